// SPDX-License-Identifier: GPL-3.0-or-later
// The register of a large folder tree, timed as the whole program run.
//
//   bench_register [files] [runs]   writes `files` saved assessments (default 10000) with the
//                                   program's own writer into 100 folders of a temporary tree,
//                                   then runs `talvo-rula --register` on it `runs` times
//                                   (default 5) and reports the wall-clock time of each run,
//                                   from process start to exit.

#include "SavedFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

bool writeTree(const QString& root, int files)
{
    for (int i = 0; i < files; ++i) {
        const QString folder = root + QStringLiteral("/site %1/assessor %2").arg(i % 10).arg(i / 10 % 10);
        if (i < 100 && !QDir().mkpath(folder))
            return false;
        const EmployeeTexts texts{QStringLiteral("Worker %1").arg(i), QStringLiteral("ID-%1").arg(i),
                                  QStringLiteral("Hall %1, line %2").arg(i % 7).arg(i % 3)};
        QFile file(folder + QStringLiteral("/Worker %1 RULA Analysis.txt").arg(i));
        const QByteArray bytes = savedTextFile(variedAssessment(i), texts);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int files = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/talvo-rula");
    QTemporaryDir tree;
    const QString root = tree.filePath(QStringLiteral("assessments"));
    if (!tree.isValid() || !writeTree(root, files)) {
        std::fprintf(stderr, "cannot write the saved files\n");
        return 1;
    }

    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        QProcess process;
        QElapsedTimer timer;
        timer.start();
        process.start(program, {QStringLiteral("--register"), root, QStringLiteral("-o"),
                                tree.filePath(QStringLiteral("register.csv"))});
        if (!process.waitForFinished(120000) || process.exitCode() != 0) {
            std::fprintf(stderr, "the register failed: %s\n", process.readAllStandardError().constData());
            return 1;
        }
        times.push_back(timer.nsecsElapsed() / 1e6);
        if (run == 0)
            std::printf("%s", process.readAllStandardError().constData());
    }
    std::sort(times.begin(), times.end());
    std::printf("register of %d saved files, whole process: median %.0f ms, min %.0f ms, max %.0f ms (%d runs)\n",
                files, times[times.size() / 2], times.front(), times.back(), runs);
    return 0;
}
