// SPDX-License-Identifier: GPL-3.0-or-later
// The team database on a throwaway PostgreSQL cluster of its own: publishing 10,000 saved
// assessments (the whole process), the team register of 100,000 as CSV (the whole process),
// and a save with the server unreachable beside a save without a team database.
#include "AssessmentRecord.h"
#include "BenchSupport.h"
#include "PostgresCluster.h"
#include "SaveResults.h"
#include "SavedFiles.h"
#include "TeamPublishing.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

namespace {

double runProgramMs(const QStringList& arguments)
{
    QElapsedTimer clock;
    clock.start();
    QProcess program;
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(QCoreApplication::applicationDirPath() + QStringLiteral("/talvo-rula"), arguments);
    if (!program.waitForFinished(600000) || program.exitCode() != 0)
        std::printf("talvo-rula %s failed\n", qPrintable(arguments.join(QLatin1Char(' '))));
    return double(clock.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("bench_teamdb"));
    PostgresCluster cluster;
    if (!cluster.create()) {
        std::printf("no cluster: %s\n", qPrintable(cluster.why()));
        return 1;
    }
    QTemporaryDir work;
    const QString folder = work.filePath(QStringLiteral("assessments"));
    for (int i = 0; i < 10000; ++i) {
        const EmployeeTexts texts{QStringLiteral("Worker %1").arg(i), QStringLiteral("ID-%1").arg(i),
                                  QStringLiteral("Hall %1").arg(i % 7)};
        writeWholeFile(QStringLiteral("%1/folder%2/Worker %3 RULA Analysis.txt").arg(folder).arg(i % 100).arg(i),
                       savedTextFile(variedAssessment(i), texts));
    }
    std::printf("publish 10,000 saved assessments, whole process: %.0f ms\n",
                runProgramMs({QStringLiteral("--publish"), folder, QStringLiteral("--database"), cluster.uri()}));
    std::printf("publish them again (all already there): %.0f ms\n",
                runProgramMs({QStringLiteral("--publish"), folder, QStringLiteral("--database"), cluster.uri()}));

    // 100,000 rows: the 10,000 published ten times over under other keys.
    cluster.psql(QStringLiteral("rula"),
                 QStringLiteral("INSERT INTO talvo_assessment (publication_key, assessment_id, revision, file_path, "
                                "file_sha256, last_written, employee_name, employee_id, employee_location, selections, "
                                "body_part_scores, posture_a_left, posture_a_right, posture_b, score_c_left, "
                                "score_c_right, score_d, grand_left, grand_right, level_left, level_right) SELECT "
                                "publication_key || n, assessment_id, revision, file_path || n, file_sha256, "
                                "last_written, employee_name, employee_id, employee_location, selections, "
                                "body_part_scores, posture_a_left, posture_a_right, posture_b, score_c_left, "
                                "score_c_right, score_d, grand_left, grand_right, level_left, level_right FROM "
                                "talvo_assessment, generate_series(1, 9) AS n"));
    std::printf("rows: %s\n", qPrintable(cluster.value(QStringLiteral("SELECT count(*) FROM talvo_assessment"))));
    std::vector<double> register_;
    for (int run = 0; run < 3; ++run)
        register_.push_back(runProgramMs({QStringLiteral("--register"), cluster.uri(), QStringLiteral("-o"),
                                          work.filePath(QStringLiteral("team.csv"))}));
    printTimings("team register of 100,000, whole process", register_, 44, 7, 0);

    // A save into a folder, then its publication kept for a server that does not answer.
    cluster.stop();
    const AssessmentRecord record =
        BuildRecord(variedAssessment(5), {QStringLiteral("Lee"), QString(), QString()}, QDateTime());
    const SaveTable table = SaveTableOf(record);
    std::vector<double> plain;
    std::vector<double> published;
    TeamPublishing publishing(cluster.uri(), work.filePath(QStringLiteral("outbox")));
    for (int run = 0; run < 40; ++run) {
        const QString saves = work.filePath(QStringLiteral("saves%1").arg(run));
        QDir().mkpath(saves);
        QElapsedTimer clock;
        clock.start();
        SaveResults(table, saves, QStringLiteral("Lee %1 RULA Analysis").arg(run));
        const double saved = double(clock.nsecsElapsed()) / 1e6;
        (run % 2 ? published : plain).push_back(saved);
        if (run % 2) {
            clock.restart();
            publishing.publishSaved(resultTextPath(saves, QStringLiteral("Lee %1 RULA Analysis").arg(run)), record,
                                    Evidence());
            published.back() += double(clock.nsecsElapsed()) / 1e6;
        }
    }
    printTimings("save without a team database", plain, 44, 7, 2);
    printTimings("save, server unreachable (save + outbox)", published, 44, 7, 2);
    return 0;
}
