// SPDX-License-Identifier: GPL-3.0-or-later
// Reopening a saved assessment, beside the ordinary start, measured in the same run.
//
//   bench_reopen [runs]        launches the ordinary start-up and the start-up that reopens a
//                              saved result file `runs` times each (default 20), alternating,
//                              and reports the time from process start to the caution window
//                              shown and painted, and their ratio.
//
// Both children do exactly what the program's main() does; the reopening child also restores
// the assessment (employee details, every option panel and score box) before the caution
// window shows. The saved file is written by the program's own writer into a temporary
// folder. Run it on the display to be measured (xvfb-run, or QT_QPA_PLATFORM=offscreen).

#include "CautionStatement.h"
#include "ChildLaunch.h"
#include "Commands.h"
#include "FirstPaint.h"
#include "ProgramState.h"
#include "Resources.h"
#include "SavedFiles.h"
#include "WindowSet.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

int startupChild(int argc, char* argv[], const char* reopen)
{
    QApplication app(argc, argv);
    initTalvoResources();
    ProgramState state;
    WindowSet windows(state);
    if (reopen) {
        QElapsedTimer timer;
        timer.start();
        ReopenAssessment(QString::fromLocal8Bit(reopen), windows);
        std::printf("restored %.2f\n", timer.nsecsElapsed() / 1e6);
    }
    FirstPaint watcher;
    CautionStatement& caution = windows.window<CautionStatement>();
    caution.installEventFilter(&watcher);
    caution.showWindow();
    return app.exec();
}

// A complete assessment with adjustments in most groups, saved as the program saves it.
bool writeSavedFile(const QString& path)
{
    rula::AssessmentState state;
    // Upper arms 4 and 2 with adjustments, lower arms 2 + midline, wrists 3 + midline, twist 2,
    // neck 3 + twist, trunk 2 + side-bending, legs 2, static muscle use, forces.
    for (int option : {3, 5, 9, 15, 17, 18, 19, 24, 25, 27, 30, 31, 32, 36, 38, 41, 45, 47, 48, 51, 52, 55, 59, 63})
        state.SelectOption(option);
    return writeWholeFile(path, savedTextFile(state, {QStringLiteral("Jane Doe"), QStringLiteral("4711"),
                                                      QStringLiteral("Plant 2, line 4")}));
}

// The time the reopening child took to restore the assessment, as it printed it.
double restoringTime(const QByteArray& output)
{
    const int at = output.indexOf("restored ");
    return at < 0 ? 0 : output.mid(at + 9, output.indexOf('\n', at) - at - 9).toDouble();
}

int driver(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    const QString self = QCoreApplication::applicationFilePath();
    QTemporaryDir folder;
    const QString saved = folder.filePath(QStringLiteral("Jane Doe RULA Analysis.txt"));
    if (!folder.isValid() || !writeSavedFile(saved)) {
        std::fprintf(stderr, "cannot write the saved file to reopen\n");
        return 1;
    }

    std::vector<double> ordinary;
    std::vector<double> reopening;
    std::vector<double> restoring;
    // One unmeasured launch of each first, so both start with warm file caches.
    launch(self, {QStringLiteral("--start-child")});
    launch(self, {QStringLiteral("--reopen-child"), saved});
    for (int i = 0; i < runs; ++i) {
        const Launch plain = launch(self, {QStringLiteral("--start-child")});
        const Launch reopened = launch(self, {QStringLiteral("--reopen-child"), saved});
        if (plain.milliseconds < 0 || reopened.milliseconds < 0) {
            std::fprintf(stderr, "a child did not report its first paint\n");
            return 1;
        }
        ordinary.push_back(plain.milliseconds);
        reopening.push_back(reopened.milliseconds);
        restoring.push_back(restoringTime(reopened.output));
    }
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM", QStringLiteral("(default)"));
    std::printf("platform: %s, %d runs each\n", qPrintable(platform), runs);
    std::printf("ordinary start to caution window painted: median %.1f ms, min %.1f ms\n", median(ordinary),
                *std::min_element(ordinary.begin(), ordinary.end()));
    std::printf("reopening a saved file, the same:         median %.1f ms, min %.1f ms\n", median(reopening),
                *std::min_element(reopening.begin(), reopening.end()));
    std::printf("  of which restoring the assessment:      median %.1f ms\n", median(restoring));
    std::printf("ratio (median): %.2f\n", median(reopening) / median(ordinary));
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc > 1 && std::strcmp(argv[1], "--start-child") == 0)
        return startupChild(argc, argv, nullptr);
    if (argc > 2 && std::strcmp(argv[1], "--reopen-child") == 0)
        return startupChild(argc, argv, argv[2]);
    return driver(argc, argv);
}
