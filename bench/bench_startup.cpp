// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up time and peak memory, each beside a bare Qt program (bench_floor) measured in the
// same run.
//
//   bench_startup [runs]       launches this program's start-up and bench_floor `runs` times
//                              each (default 20), alternating, and reports the time from
//                              process start to the first window shown and painted (and for a
//                              bare window holding one label, the cost of any text, and for one
//                              holding what the caution window holds, made with plain Qt); then the
//                              peak memory (VmHWM) with every window created and shown, beside
//                              the floor's.
//
// The start-up child does exactly what the program's main() does (resources, program state,
// window set, the caution window shown) and prints "painted" after the caution window's first
// paint. Run it on the display to be measured (xvfb-run, or QT_QPA_PLATFORM=offscreen).

#include "CautionStatement.h"
#include "ChildLaunch.h"
#include "EmployeeDetails.h"
#include "ExtraPics.h"
#include "FinalResults.h"
#include "FirstPaint.h"
#include "MainWindow.h"
#include "OpenExtraPics.h"
#include "OpenPictureFile.h"
#include "OverwriteFile.h"
#include "ProgramState.h"
#include "RULAAction.h"
#include "RULAOverview.h"
#include "Resources.h"
#include "SaveWindow.h"
#include "WindowSet.h"

#include <QApplication>
#include <QCoreApplication>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

int startupChild(int argc, char* argv[])
{
    QApplication app(argc, argv);
    initTalvoResources();
    ProgramState state;
    WindowSet windows(state);
    FirstPaint watcher;
    CautionStatement& caution = windows.window<CautionStatement>();
    caution.installEventFilter(&watcher);
    caution.showWindow();
    return app.exec();
}

template <typename W> void showAndPaint(WindowSet& windows)
{
    W& window = windows.window<W>();
    window.showWindow();
    window.repaint();
    QCoreApplication::processEvents();
}

int memoryChild(int argc, char* argv[])
{
    QApplication app(argc, argv);
    initTalvoResources();
    ProgramState state;
    WindowSet windows(state);
    showAndPaint<CautionStatement>(windows);
    showAndPaint<EmployeeDetails>(windows);
    showAndPaint<MainWindow>(windows);
    showAndPaint<FinalResults>(windows);
    showAndPaint<RULAAction>(windows);
    showAndPaint<RULAOverview>(windows);
    showAndPaint<SaveWindow>(windows);
    showAndPaint<OverwriteFile>(windows);
    showAndPaint<OpenPictureFile>(windows);
    showAndPaint<OpenExtraPics>(windows);
    showAndPaint<ExtraPics>(windows);
    QCoreApplication::processEvents();
    std::printf("%s\n", peakMemoryLine().constData());
    std::fflush(stdout);
    return 0;
}

long peakKb(const QByteArray& output)
{
    const int at = output.indexOf("VmHWM:");
    if (at < 0)
        return -1;
    return output.mid(at + 6).trimmed().split(' ').value(0).toLong();
}

int driver(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    const QString self = QCoreApplication::applicationFilePath();
    const QString floor = QCoreApplication::applicationDirPath() + QStringLiteral("/bench_floor");
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM", QStringLiteral("(default)"));

    std::vector<double> program;
    std::vector<double> bare;
    std::vector<double> bareText;
    std::vector<double> bareCaution;
    long floorPeak = -1;
    // One unmeasured launch of each first, so both start with warm file caches.
    launch(self, {QStringLiteral("--startup-child")});
    launch(floor, {});
    for (int i = 0; i < runs; ++i) {
        const Launch ours = launch(self, {QStringLiteral("--startup-child")});
        const Launch theirs = launch(floor, {});
        const Launch withText = launch(floor, {QStringLiteral("--text")});
        const Launch sameControls = launch(floor, {QStringLiteral("--caution")});
        if (ours.milliseconds < 0 || theirs.milliseconds < 0 || withText.milliseconds < 0 ||
            sameControls.milliseconds < 0) {
            std::fprintf(stderr, "a child did not report its first paint\n");
            return 1;
        }
        program.push_back(ours.milliseconds);
        bare.push_back(theirs.milliseconds);
        bareText.push_back(withText.milliseconds);
        bareCaution.push_back(sameControls.milliseconds);
        floorPeak = peakKb(theirs.output);
    }
    const Launch memory = launch(self, {QStringLiteral("--memory-child")});
    const long ourPeak = peakKb(memory.output);

    std::printf("platform: %s, %d runs each\n", qPrintable(platform), runs);
    std::printf("start to caution window painted: median %.1f ms, min %.1f ms\n", median(program),
                *std::min_element(program.begin(), program.end()));
    std::printf("bare Qt window painted (floor):  median %.1f ms, min %.1f ms\n", median(bare),
                *std::min_element(bare.begin(), bare.end()));
    std::printf("bare Qt window with one label:   median %.1f ms, min %.1f ms\n", median(bareText),
                *std::min_element(bareText.begin(), bareText.end()));
    std::printf("bare Qt window with the caution window's controls: median %.1f ms, min %.1f ms\n", median(bareCaution),
                *std::min_element(bareCaution.begin(), bareCaution.end()));
    std::printf("ratio to the empty window (median): %.2f\n", median(program) / median(bare));
    std::printf("ratio to the window with the same controls (median): %.2f\n", median(program) / median(bareCaution));
    std::printf("peak memory, every window created and shown: %.1f MB\n", ourPeak / 1024.0);
    std::printf("peak memory, bare Qt window (floor):         %.1f MB\n", floorPeak / 1024.0);
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc > 1 && std::strcmp(argv[1], "--startup-child") == 0)
        return startupChild(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "--memory-child") == 0) {
        // The memory child ends by returning: launch() reads its output after it finishes.
        return memoryChild(argc, argv);
    }
    return driver(argc, argv);
}
