// SPDX-License-Identifier: GPL-3.0-or-later
// The agreement of two assessors' folders, timed as the whole program run.
//
//   bench_agreement [pairs] [runs] [folder]
//                                    writes `pairs` saved assessments (default 1000) under each
//                                    of two folders with the program's own writer (B differs
//                                    from A in one file of three), then runs
//                                    `talvo-rula --agreement A B` `runs` times (default 5) for
//                                    the CSV and for the PDF and reports the wall-clock time of
//                                    each, from process start to exit. With `folder`, the saved
//                                    files and outputs are written there and kept.

#include "SavedFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

bool writeFolders(const QString& a, const QString& b, int pairs)
{
    for (int i = 0; i < pairs; ++i) {
        const QString name = QStringLiteral("/site %1/Worker %2 RULA Analysis.txt").arg(i % 10).arg(i);
        const EmployeeTexts texts{QStringLiteral("Worker %1").arg(i), QStringLiteral("ID-%1").arg(i), QString()};
        if (!writeWholeFile(a + name, savedTextFile(variedAssessment(i), texts)) ||
            !writeWholeFile(b + name, savedTextFile(variedAssessment(i % 3 == 0 ? i + 1 : i), texts)))
            return false;
    }
    return true;
}

// The median wall-clock time in milliseconds of `runs` runs writing `output`; negative on failure.
double medianRun(const QString& program, const QStringList& arguments, int runs)
{
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        QProcess process;
        QElapsedTimer timer;
        timer.start();
        process.start(program, arguments);
        if (!process.waitForFinished(120000) || process.exitCode() != 0) {
            std::fprintf(stderr, "the agreement failed: %s\n", process.readAllStandardError().constData());
            return -1;
        }
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int pairs = argc > 1 ? std::max(2, std::atoi(argv[1])) : 1000;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/talvo-rula");
    QTemporaryDir temporary;
    const QDir work(argc > 3 ? QString::fromLocal8Bit(argv[3]) : temporary.path());
    const QString a = work.filePath(QStringLiteral("A"));
    const QString b = work.filePath(QStringLiteral("B"));
    if (!temporary.isValid() || !writeFolders(a, b, pairs)) {
        std::fprintf(stderr, "cannot write the saved files\n");
        return 1;
    }
    for (const char* ending : {"csv", "pdf"}) {
        const QString output = work.filePath(QStringLiteral("agreement.") + QLatin1String(ending));
        const double median =
            medianRun(program, {QStringLiteral("--agreement"), a, b, QStringLiteral("-o"), output}, runs);
        if (median < 0)
            return 1;
        std::printf("agreement of %d pairs to %s, whole process: median %.0f ms (%d runs)\n", pairs, ending, median,
                    runs);
    }
    return 0;
}
