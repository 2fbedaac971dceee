// SPDX-License-Identifier: GPL-3.0-or-later
// One complete durable save of both result files (written, synced, moved into place),
// timed over many runs: into an empty folder, and over an earlier result of that name.
// Usage: bench_save [folder] [runs] [keep]; the folder defaults to a fresh temporary one,
// removed afterwards unless "keep" is given (to look at the files by hand).
#include "BenchSupport.h"
#include "SaveResults.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

SaveTable benchTable()
{
    SaveTable table;
    for (int row : {2, 3, 4, 5, 6, 7, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 90, 91})
        table.setValue(row, std::int16_t(row % 4));
    table.setValue(0, QStringLiteral("Action Level 2"));
    table.setValue(1, QStringLiteral("Further investigation is needed and changes may be required"));
    table.setValue(8, QStringLiteral("Action Level 1"));
    table.setValue(
        9, QStringLiteral("posture is Acceptable posture if it is not maintained or repeated for long periods"));
    table.setValue(87, QStringLiteral("Jane Doe"));
    table.setValue(88, QStringLiteral("4711"));
    table.setValue(89, QStringLiteral("Plant 2"));
    return table;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QTemporaryDir temporary(args.size() > 1 ? args.at(1) + QStringLiteral("/bench_save-XXXXXX") : QString());
    if (!temporary.isValid()) {
        std::fprintf(stderr, "cannot create a folder to save in\n");
        return 1;
    }
    const int runs = args.size() > 2 ? args.at(2).toInt() : 50;
    temporary.setAutoRemove(args.size() <= 3 || args.at(3) != QLatin1String("keep"));
    rula::AssessmentState state;
    for (int option : {0, 9, 16, 19, 22, 26, 29, 34, 37, 43, 49, 51, 54, 56, 58, 61, 63})
        state.SelectOption(option);

    std::vector<double> fresh;
    std::vector<double> over;
    std::vector<double> three;
    // An evidence file of 64 KB, as its writer would leave it.
    const ResultFileWriter evidence = [](const QString& path) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(QByteArrayLiteral("SQLite format 3\0") + QByteArray(65520, 'e')) != 65536)
            return file.errorString();
        return QString();
    };
    for (int run = 0; run < runs; ++run) {
        for (bool replacing : {false, true}) {
            SaveTable table = benchTable();
            table.WriteLabels();
            table.WriteOptionRows(state);
            const QString stem = QStringLiteral("Run %1 RULA Analysis").arg(run);
            QElapsedTimer timer;
            timer.start();
            const SaveOutcome outcome = SaveResults(table, temporary.path(), stem);
            const double ms = double(timer.nsecsElapsed()) / 1e6;
            if (!outcome.ok) {
                std::fprintf(stderr, "save failed: %s\n", qPrintable(outcome.error));
                return 1;
            }
            (replacing ? over : fresh).push_back(ms);
        }
        SaveTable table = benchTable();
        table.WriteLabels();
        table.WriteOptionRows(state);
        DurableFiles::SaveSteps plain;
        QElapsedTimer timer;
        timer.start();
        const SaveOutcome outcome = SaveResultsWithSteps(
            table, temporary.path(), QStringLiteral("Run %1 RULA Analysis").arg(run), plain, evidence);
        if (!outcome.ok) {
            std::fprintf(stderr, "save failed: %s\n", qPrintable(outcome.error));
            return 1;
        }
        three.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::printf("folder %s\n", qPrintable(temporary.path()));
    printTimings("save into an empty name", fresh, 28, 7, 2);
    printTimings("save over an earlier result", over, 28, 7, 2);
    printTimings("three files over two earlier", three, 28, 7, 2);
    return 0;
}
