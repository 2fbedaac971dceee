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

#include <algorithm>
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

// psql run as the plain tool: `command` given with -c, standard output into `output`.
double runPsqlMs(const PostgresCluster& cluster, const QString& command, const QString& output)
{
    const QString uri = cluster.uri();
    QElapsedTimer clock;
    clock.start();
    QProcess psql;
    psql.setStandardOutputFile(output);
    psql.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    psql.start(QStringLiteral("/usr/bin/psql"),
               {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"),
                QStringLiteral("-d"), uri, QStringLiteral("-c"), command});
    if (!psql.waitForFinished(600000) || psql.exitCode() != 0)
        std::printf("psql -c %s failed\n", qPrintable(command));
    return double(clock.nsecsElapsed()) / 1e6;
}

double medianOf(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
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
    // Publishing into an empty table, beside psql's \copy of the same rows (as the program
    // stored them) into a table of the same columns; alternately, each table emptied first.
    const QString rowsFile = work.filePath(QStringLiteral("rows.copy"));
    const QString devNull = QStringLiteral("/dev/null");
    std::vector<double> publish;
    std::vector<double> copyIn;
    for (int run = 0; run < 3; ++run) {
        cluster.psql(QStringLiteral("rula"), QStringLiteral("TRUNCATE talvo_assessment"));
        publish.push_back(
            runProgramMs({QStringLiteral("--publish"), folder, QStringLiteral("--database"), cluster.uri()}));
        if (run == 0) {
            runPsqlMs(cluster, QStringLiteral("\\copy talvo_assessment TO '%1'").arg(rowsFile), devNull);
            cluster.psql(QStringLiteral("rula"),
                         QStringLiteral("CREATE TABLE anchor AS SELECT * FROM talvo_assessment WITH NO DATA"));
        }
        cluster.psql(QStringLiteral("rula"), QStringLiteral("TRUNCATE anchor"));
        copyIn.push_back(runPsqlMs(cluster, QStringLiteral("\\copy anchor FROM '%1'").arg(rowsFile), devNull));
    }
    printTimings("publish 10,000 saved assessments, whole process", publish, 44, 7, 0);
    printTimings("psql \\copy of the same rows (anchor)", copyIn, 44, 7, 0);
    std::printf("ratio of the medians, publish to psql \\copy: %.2f (goal 3)\n", medianOf(publish) / medianOf(copyIn));
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
    // The register beside psql copying the columns it shows (times formatted by the server) to
    // a file, alternately.
    const QString registerColumns = QStringLiteral(
        "copy (select file_path, to_char(last_written, 'YYYY-MM-DD HH24:MI:SS'), employee_name, employee_id, "
        "employee_location, body_part_scores, posture_a_left, posture_a_right, posture_b, score_c_left, "
        "score_c_right, score_d, grand_left, grand_right, level_left, level_right, published_by, "
        "to_char(published_at, 'YYYY-MM-DD HH24:MI:SS') from talvo_assessment order by file_path, id) to stdout");
    std::vector<double> register_;
    std::vector<double> copyOut;
    for (int run = 0; run < 5; ++run) {
        register_.push_back(runProgramMs({QStringLiteral("--register"), cluster.uri(), QStringLiteral("-o"),
                                          work.filePath(QStringLiteral("team.csv"))}));
        copyOut.push_back(runPsqlMs(cluster, registerColumns, work.filePath(QStringLiteral("copy.txt"))));
    }
    printTimings("team register of 100,000, whole process", register_, 44, 7, 0);
    printTimings("psql copy (select ...) to stdout (anchor)", copyOut, 44, 7, 0);
    std::printf("ratio of the medians, register to psql copy: %.2f (goal 1.5)\n",
                medianOf(register_) / medianOf(copyOut));

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
