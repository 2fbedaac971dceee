// SPDX-License-Identifier: GPL-3.0-or-later
// Reopening a saved assessment, beside the ordinary start, measured in the same run.
//
//   bench_reopen [runs]        launches the ordinary start-up and the start-up that reopens a
//                              saved result file `runs` times each (default 20), alternating,
//                              and reports the time from process start to the caution window
//                              shown and painted, and their ratio.
//
// Both children do exactly what the program's main() does; the reopening child also restores
// the assessment (the selections, the names, the details and the evidence, read and checked)
// before the caution window shows, into the state the other windows show when first made.
// The saved file is written by the program's own writer into a temporary folder. Run it on
// the display to be measured (xvfb-run, or QT_QPA_PLATFORM=offscreen).

#include "CautionStatement.h"
#include "ChildLaunch.h"
#include "Commands.h"
#include "Evidence.h"
#include "FirstPaint.h"
#include "ProgramState.h"
#include "Resources.h"
#include "SavedFiles.h"
#include "WindowSet.h"

#include <QApplication>
#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
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

// The same assessment with an evidence file beside it: the details, a 1600 x 1200 workplace
// photograph (laid out and checked on reopening, decoded when the main window first shows) and
// one revision.
bool writeSavedFileWithEvidence(const QString& path, const QString& evidencePath)
{
    if (!writeSavedFile(path))
        return false;
    QFile text(path);
    if (!text.open(QIODevice::ReadOnly))
        return false;
    QImage image(1600, 1200, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x % 256, y % 256, (x * y) % 256));
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 90);
    Evidence evidence;
    evidence.assessmentId = QStringLiteral("bench");
    evidence.revision = 1;
    evidence.textSha256 = sha256Hex(text.readAll());
    evidence.typed = {QStringLiteral("Jane Doe"), QStringLiteral("4711"), QStringLiteral("Plant 2, line 4")};
    evidence.details = {QStringLiteral("Loading"),
                        QDateTime::currentDateTime(),
                        QStringLiteral("A. Assessor"),
                        QStringLiteral("Baseline"),
                        {}};
    evidence.pictures.push_back({QStringLiteral("workplace"),
                                 QStringLiteral("workplace.jpg"),
                                 sha256Hex(jpeg),
                                 image.size(),
                                 jpeg,
                                 QStringLiteral("Right"),
                                 std::nullopt,
                                 false,
                                 {},
                                 {},
                                 std::nullopt,
                                 {}});
    evidence.history.push_back({1, QDateTime::currentDateTimeUtc(), QStringLiteral("A. Assessor"),
                                QStringLiteral("2.0"), QStringLiteral("First save.")});
    return writeEvidence(evidencePath, evidence).isEmpty();
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

    const QString withEvidence = folder.filePath(QStringLiteral("Lee RULA Analysis.txt"));
    if (!writeSavedFileWithEvidence(withEvidence, folder.filePath(QStringLiteral("Lee RULA Evidence.sqlite")))) {
        std::fprintf(stderr, "cannot write the saved file with evidence\n");
        return 1;
    }

    std::vector<double> ordinary;
    std::vector<double> reopening;
    std::vector<double> restoring;
    std::vector<double> evidenced;
    std::vector<double> restoringEvidence;
    // One unmeasured launch of each first, so both start with warm file caches.
    launch(self, {QStringLiteral("--start-child")});
    launch(self, {QStringLiteral("--reopen-child"), saved});
    launch(self, {QStringLiteral("--reopen-child"), withEvidence});
    for (int i = 0; i < runs; ++i) {
        const Launch evidence = launch(self, {QStringLiteral("--reopen-child"), withEvidence});
        evidenced.push_back(evidence.milliseconds);
        restoringEvidence.push_back(restoringTime(evidence.output));
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
    std::printf("reopening with evidence (details, a 1600 x 1200 photo): median %.1f ms, restoring %.1f ms, "
                "ratio to the ordinary start %.2f\n",
                median(evidenced), median(restoringEvidence), median(evidenced) / median(ordinary));
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
