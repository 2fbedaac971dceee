// SPDX-License-Identifier: GPL-3.0-or-later
// The whole process of `talvo-rula --report SAVED.txt -o OUT.pdf`, as an assessor runs it:
// start, read and check the file, draw three pages, write the PDF, exit. The program is the
// one beside this benchmark; the saved file is a typical assessment written once here.
// Usage: bench_report [runs] [saved.txt]
#include "BenchSupport.h"
#include "SavedFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

bool writeSample(const QString& path)
{
    rula::AssessmentState state;
    // Every group's second option: a posture band, or the second card of muscle use and force.
    for (const rula::GroupInfo& group : rula::groups())
        state.SelectOption(group.firstOption + 1);
    return writeWholeFile(path, savedTextFile(state, {QStringLiteral("Jane Doe"), QStringLiteral("4711"),
                                                      QStringLiteral("Plant 2, line 3")}));
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int runs = args.size() > 1 ? std::max(1, args.at(1).toInt()) : 20;
    QTemporaryDir folder;
    QString saved = args.size() > 2 ? args.at(2) : folder.filePath(QStringLiteral("Jane Doe RULA Analysis.txt"));
    if (args.size() <= 2 && !writeSample(saved)) {
        std::fprintf(stderr, "cannot write the sample assessment\n");
        return 1;
    }
    const QString program = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("talvo-rula"));
    const QString output = folder.filePath(QStringLiteral("report.pdf"));

    std::vector<double> ms;
    for (int i = 0; i < runs + 1; ++i) {
        QProcess process;
        QElapsedTimer timer;
        timer.start();
        process.start(program, {QStringLiteral("--report"), saved, QStringLiteral("-o"), output});
        if (!process.waitForFinished(60000) || process.exitCode() != 0) {
            std::fprintf(stderr, "%s failed: %s\n", qPrintable(program), process.readAllStandardError().constData());
            return 1;
        }
        if (i > 0) // the first run warms the disk cache
            ms.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    printTimings("talvo-rula --report", ms, 28, 7, 1);
    std::printf("report size %lld bytes\n", static_cast<long long>(QFileInfo(output).size()));
    return 0;
}
