// SPDX-License-Identifier: GPL-3.0-or-later
// The team register in PostgreSQL, against a throwaway cluster of the test's own: folders
// published and read back, nothing doubled, saves waiting in the outbox while the server is
// away, a save made while a round sends going right after it, two publishers at once, texts
// kept exactly, a refused login, a publication the server refuses for its privileges kept
// until the grant, the program's end while it sends, the bulk copy of --publish storing what
// one row at a time stores (copying only what the table lacks, and inserted past a key another
// publisher stores meanwhile), and the team register's rows as the folder register's.
#include "BulkPublish.h"
#include "EmployeeDetails.h"
#include "EvidenceJson.h"
#include "FileLists.h"
#include "FilledEvidence.h"
#include "MainWindow.h"
#include "Outbox.h"
#include "PostgresCluster.h"
#include "RegisterCsv.h"
#include "SaveWindow.h"
#include "SavedFiles.h"
#include "TeamDatabase.h"
#include "TeamPublishing.h"
#include "WindowTestSupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcessEnvironment>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QtTest>

#include <algorithm>
#include <future>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

struct Finished
{
    int status = -1;
    QString errors;
};

// Runs the program with `arguments`, and with `environment` added to this process's.
Finished runWith(const QStringList& arguments, const QStringList& environment = {})
{
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& setting : environment)
        env.insert(setting.section(QLatin1Char('='), 0, 0), setting.section(QLatin1Char('='), 1));
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(TALVO_PROGRAM), arguments);
    Finished finished;
    if (program.waitForFinished(120000) && program.exitStatus() == QProcess::NormalExit)
        finished.status = program.exitCode();
    finished.errors = QString::fromUtf8(program.readAllStandardError());
    return finished;
}

// Writes `count` different saved assessments under `folder`, spread over two subfolders.
void writeAssessments(const QString& folder, int first, int count)
{
    for (int i = first; i < first + count; ++i) {
        const EmployeeTexts texts{QStringLiteral("Worker %1").arg(i), QStringLiteral("ID-%1").arg(i),
                                  QStringLiteral("Line %1, hall \"B\"").arg(i % 3)};
        const QString path = QStringLiteral("%1/line%2/Worker %3 RULA Analysis.txt").arg(folder).arg(i % 2).arg(i);
        if (!writeWholeFile(path, savedTextFile(variedAssessment(i), texts)))
            qFatal("cannot write %s", qPrintable(path));
    }
}

// The CSV's rows after the header, each cut to its first `fields` fields (none of the fields
// compared here holds a comma inside quotes but the location, which both registers quote alike).
QStringList rowsOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {QStringLiteral("<cannot read %1>").arg(path)};
    QStringList rows = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    rows.removeFirst();
    return rows;
}

// A server on the loopback that takes connections and never answers: the listening socket
// (-1 when it cannot be made), its port in `port`.
int silentServer(quint16* port)
{
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(listener, 4) != 0 || ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (listener >= 0)
            ::close(listener);
        return -1;
    }
    *port = ntohs(address.sin_port);
    return listener;
}

QString withoutLastFields(const QString& row, int fields)
{
    QString cut = row;
    for (int i = 0; i < fields; ++i)
        cut.truncate(cut.lastIndexOf(QLatin1Char(',')));
    return cut;
}

} // namespace

class TestTeamDatabase : public QObject, public WindowFixture
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!PostgresCluster::installed())
            QSKIP("PostgreSQL 15 is not installed (Debian's postgresql package); the install script installs it");
        QVERIFY2(m_cluster.create(), qPrintable(m_cluster.why()));
        startRecording();
    }
    void init()
    {
        makeWindows();
        QVERIFY2(m_cluster.start(), qPrintable(m_cluster.why()));
    }
    void cleanup() { dropWindows(); }

    // A folder named relative to the working folder is published under the files' full paths.
    void aRelativeFolderIsPublishedUnderFullPaths()
    {
        QTemporaryDir work;
        writeAssessments(work.filePath(QStringLiteral("plant")), 700, 2);
        QProcess program;
        program.setWorkingDirectory(work.path());
        program.start(QStringLiteral(TALVO_PROGRAM),
                      {QStringLiteral("--publish"), QStringLiteral("plant"), QStringLiteral("--database"), uri()});
        QVERIFY(program.waitForFinished(120000));
        QVERIFY2(program.exitCode() == 0, program.readAllStandardError().constData());
        const QString stored =
            m_cluster.value(QStringLiteral("SELECT string_agg(file_path, '|' ORDER BY file_path) FROM "
                                           "talvo_assessment WHERE employee_name IN ('Worker 700', 'Worker 701')"));
        QCOMPARE(stored.trimmed(), QStringLiteral("%1/plant/line0/Worker 700 RULA Analysis.txt|"
                                                  "%1/plant/line1/Worker 701 RULA Analysis.txt")
                                       .arg(work.path()));
    }

    void aPublishedFolderReadsBackAsItsRegisterAndNothingDoubles()
    {
        QTemporaryDir work;
        const QString folder = work.filePath(QStringLiteral("plant"));
        writeAssessments(folder, 0, 20);
        const QString before = m_cluster.value(QStringLiteral("SELECT count(*) FROM talvo_assessment"));

        // Publishing and the team register draw nothing: they run where no display can be had
        // (a server, a scheduled job), even with a desktop platform asked for.
        const QStringList noDisplay{QStringLiteral("QT_QPA_PLATFORM=xcb"), QStringLiteral("DISPLAY=")};
        Finished published =
            runWith({QStringLiteral("--publish"), folder, QStringLiteral("--database"), uri()}, noDisplay);
        QVERIFY2(published.status == 0, qPrintable(published.errors));
        QVERIFY2(published.errors.contains(QStringLiteral("20 new, 0 already there, 0 refused")),
                 qPrintable(published.errors));

        const QString folderCsv = work.filePath(QStringLiteral("folder.csv"));
        const QString teamCsv = work.filePath(QStringLiteral("team.csv"));
        QCOMPARE(runWith({QStringLiteral("--register"), folder, QStringLiteral("-o"), folderCsv}).status, 0);
        const Finished team = runWith({QStringLiteral("--register"), uri(), QStringLiteral("-o"), teamCsv}, noDisplay);
        QVERIFY2(team.status == 0, qPrintable(team.errors));
        const QStringList folderRows = rowsOf(folderCsv);
        QStringList teamRows = rowsOf(teamCsv);
        // Other tests' publications stand in the same database: only this folder's rows count.
        teamRows.erase(std::remove_if(teamRows.begin(), teamRows.end(),
                                      [&](const QString& row) { return !row.startsWith(folder); }),
                       teamRows.end());
        QCOMPARE(teamRows.size(), 20);
        QStringList teamWithoutPublisher;
        for (const QString& row : teamRows) {
            QVERIFY2(row.section(QLatin1Char(','), -2, -2) == QLatin1String("talvo"), qPrintable(row));
            teamWithoutPublisher << withoutLastFields(row, 2);
        }
        QCOMPARE(teamWithoutPublisher, folderRows);

        published = runWith({QStringLiteral("--publish"), folder, QStringLiteral("--database"), uri()});
        QCOMPARE(published.status, 0);
        QVERIFY2(published.errors.contains(QStringLiteral("0 new, 20 already there")), qPrintable(published.errors));
        QCOMPARE(m_cluster.value(QStringLiteral("SELECT count(*) FROM talvo_assessment")).toInt(), before.toInt() + 20);
    }

    // The evidence a publication carries: every field of a fully filled evidence (key frames,
    // planned changes, notes, each picture's measurements) back from its JSON, the bytes left out.
    void evidenceJsonCarriesAllButPictureBytes()
    {
        const Evidence evidence = filled::evidence(QString(64, QLatin1Char('c')));
        const QByteArray json = evidenceToJson(evidence);
        for (const EvidencePicture& picture : evidence.pictures)
            QVERIFY(!json.contains(picture.bytes.toBase64().left(24)));
        const std::optional<Evidence> back = evidenceFromJson(json);
        QVERIFY(back);
        filled::compare(*back, evidence, false);
    }

    void savesWaitWhileTheServerIsAwayAndGoAtTheNextStart()
    {
        QTemporaryDir work;
        state->teamDatabase = uri();
        state->outboxFolder = work.filePath(QStringLiteral("outbox"));
        // Typed as an assessor may type them: every one must come back exactly.
        const QStringList hostile{
            QStringLiteral("O'Brien \"; DROP TABLE talvo_assessment; -- \\ 'x'"),
            QStringLiteral("Jürgen 😀 日本 שלום عربي"),
            QStringLiteral("=1+1, @SUM(A1) %s %n ${HOME} `id`"),
        };
        QVERIFY(m_cluster.stop());
        saveThroughWindows(work.path(), QStringLiteral("First"), hostile, 7);
        saveThroughWindows(work.path(), QStringLiteral("Second"), hostile, 8);
        QCOMPARE(recorder.messages, (QStringList{QStringLiteral("File Saved"), QStringLiteral("File Saved")}));
        TeamPublishing& publishing = windows->publishing();
        QTRY_VERIFY2_WITH_TIMEOUT(publishing.status().contains(QStringLiteral("2 assessments waiting")),
                                  qPrintable(publishing.status()), 20000);
        QCOMPARE(Outbox(state->outboxFolder).pending().size(), 2);
        QVERIFY(labelText(windows->window<MainWindow>(), "TeamStatus").startsWith(QStringLiteral("Team database: 2")));

        QVERIFY2(m_cluster.start(), qPrintable(m_cluster.why()));
        // The next start: a fresh publisher sends what waits.
        TeamPublishing nextStart(uri(), state->outboxFolder);
        QSignalSpy sent(&nextStart, &TeamPublishing::sent);
        nextStart.sendWaiting();
        QVERIFY(sent.wait(20000));
        QCOMPARE(Outbox(state->outboxFolder).pending().size(), 0);
        const QString stored = m_cluster.value(
            QStringLiteral("SELECT count(*) FROM talvo_assessment WHERE file_path LIKE '%1/%%'").arg(work.path()));
        QCOMPARE(stored, QStringLiteral("2"));
        // Byte for byte as typed, apostrophes and all.
        const QString names = m_cluster.value(QStringLiteral("SELECT encode(convert_to(employee_name || '|' || "
                                                             "employee_id || '|' || employee_location, 'UTF8'), "
                                                             "'hex') FROM talvo_assessment WHERE file_path LIKE "
                                                             "'%1/First%%'")
                                                  .arg(work.path()));
        QCOMPARE(QString::fromUtf8(QByteArray::fromHex(names.toLatin1())), hostile.join(QLatin1Char('|')));
        // With their evidence: the team register's rows of the two saves are the folder register's.
        const QString folderCsv = work.filePath(QStringLiteral("folder.csv"));
        const QString teamCsv = work.filePath(QStringLiteral("team.csv"));
        QCOMPARE(runWith({QStringLiteral("--register"), work.path(), QStringLiteral("-o"), folderCsv}).status, 0);
        QCOMPARE(runWith({QStringLiteral("--register"), uri(), QStringLiteral("-o"), teamCsv}).status, 0);
        QStringList teamRows;
        for (const QString& row : rowsOf(teamCsv)) {
            if (row.startsWith(work.path()))
                teamRows << withoutLastFields(row, 2);
        }
        QCOMPARE(teamRows, rowsOf(folderCsv));
        QCOMPARE(teamRows.size(), 2);
        QVERIFY2(teamRows.value(0).section(QLatin1Char(','), -6, -6) == QLatin1String("1"),
                 qPrintable(teamRows.value(0))); // revision 1 of its evidence, before REBA's four columns
        // Published again from the command line, the folder is the saves' publications again.
        const Finished again = runWith({QStringLiteral("--publish"), work.path(), QStringLiteral("--database"), uri()});
        QVERIFY2(again.status == 0 && again.errors.contains(QStringLiteral("0 new, 2 already there")),
                 qPrintable(again.errors));
    }

    // A save made while a round is sending goes in a round of its own as soon as that one ends,
    // not at the next save or start. The first round is held on a server that takes its
    // connection and says nothing until the second save has asked to be sent.
    void aSaveDuringARoundGoesRightAfterIt()
    {
        QTemporaryDir work;
        const QString outbox = work.filePath(QStringLiteral("outbox"));
        const auto saved = [&work](int i) {
            return Publication::of(work.filePath(QStringLiteral("W%1 RULA Analysis.txt").arg(i)), QByteArray::number(i),
                                   BuildRecord(variedAssessment(i), {}, QDateTime::currentDateTime()),
                                   QDateTime::currentDateTime());
        };
        QString error;
        QVERIFY(Outbox(outbox).add(saved(1), &error));
        quint16 port = 0;
        const int listener = silentServer(&port);
        QVERIFY(listener >= 0);
        TeamPublishing publishing(QStringLiteral("postgresql://talvo@127.0.0.1:%1/rula?connect_timeout=10").arg(port),
                                  outbox);
        QSignalSpy sent(&publishing, &TeamPublishing::sent);
        publishing.sendWaiting();
        // The round connects only after it has read the outbox.
        pollfd knock{listener, POLLIN, 0};
        QVERIFY(::poll(&knock, 1, 10000) == 1);
        const int held = ::accept(listener, nullptr, nullptr);
        publishing.setDatabase(uri());
        QVERIFY(Outbox(outbox).add(saved(2), &error));
        publishing.sendWaiting();
        QVERIFY(publishing.isSending());
        ::close(held);
        ::close(listener);
        QTRY_COMPARE_WITH_TIMEOUT(Outbox(outbox).pending().size(), 0, 10000);
        QCOMPARE(sent.count(), 2);
        QCOMPARE(
            m_cluster.value(
                QStringLiteral("SELECT count(*) FROM talvo_assessment WHERE file_path LIKE '%1/%%'").arg(work.path())),
            QStringLiteral("2"));
    }

    void twoPublishersAtOnceStoreEachOnce()
    {
        QTemporaryDir work;
        const QString a = work.filePath(QStringLiteral("a"));
        const QString b = work.filePath(QStringLiteral("b"));
        writeAssessments(a, 1000, 500);
        writeAssessments(b, 1250, 500); // 250 of them the same files as a's last 250, in other folders
        const int before = m_cluster.value(QStringLiteral("SELECT count(*) FROM talvo_assessment")).toInt();

        QProcess first;
        QProcess second;
        first.start(QStringLiteral(TALVO_PROGRAM),
                    {QStringLiteral("--publish"), a, QStringLiteral("--database"), uri()});
        second.start(QStringLiteral(TALVO_PROGRAM),
                     {QStringLiteral("--publish"), b, QStringLiteral("--database"), uri()});
        QVERIFY(first.waitForFinished(120000) && second.waitForFinished(120000));
        QVERIFY2(first.exitCode() == 0, first.readAllStandardError().constData());
        QVERIFY2(second.exitCode() == 0, second.readAllStandardError().constData());
        QCOMPARE(m_cluster.value(QStringLiteral("SELECT count(*) FROM talvo_assessment")).toInt(), before + 750);
        QCOMPARE(m_cluster.value(QStringLiteral("SELECT count(*) - count(DISTINCT publication_key) FROM "
                                                "talvo_assessment")),
                 QStringLiteral("0"));
    }

    // A file the server refuses (a NUL in a name, which PostgreSQL's text cannot hold) spoils
    // its batch's transaction; the batch is sent again row by row and only that file is left out.
    void aRefusedRowLeavesTheOthersStored()
    {
        QTemporaryDir work;
        const QString folder = work.filePath(QStringLiteral("refusing"));
        writeAssessments(folder, 200, 3);
        const EmployeeTexts nul{QStringLiteral("Ann") + QChar(0) + QStringLiteral("Lee"), QStringLiteral("ID-9"),
                                QStringLiteral("Line 9")};
        QVERIFY(
            writeWholeFile(folder + QStringLiteral("/Nul RULA Analysis.txt"), savedTextFile(variedAssessment(9), nul)));
        // A file far longer than any saved assessment is named and skipped, not read to its end.
        const QString huge = folder + QStringLiteral("/Huge RULA Analysis.txt");
        QVERIFY(writeWholeFile(huge, savedTextFile(variedAssessment(8), nul) + QByteArray(5000000, 'x')));
        const Finished published = runWith({QStringLiteral("--publish"), folder, QStringLiteral("--database"), uri()},
                                           {QStringLiteral("XDG_DATA_HOME=") + work.filePath(QStringLiteral("data"))});
        QCOMPARE(published.status, 1);
        QVERIFY2(published.errors.contains(QStringLiteral(": 3 new, 0 already there, 1 refused")),
                 qPrintable(published.errors));
        QVERIFY2(published.errors.contains(QStringLiteral("Nul RULA Analysis.txt: an employee text holds a NUL")),
                 qPrintable(published.errors));
        QVERIFY2(published.errors.contains(huge + QStringLiteral(": skipped, the file is ")) &&
                     published.errors.contains(QStringLiteral(" bytes long, far more than a saved assessment")) &&
                     published.errors.contains(QStringLiteral("; 1 file skipped")),
                 qPrintable(published.errors));
    }

    // A port typed wrong is named, not taken as libpq's default.
    void aMistypedPortIsNamed()
    {
        QTemporaryDir work;
        const QString mistyped = m_cluster.uri(QStringLiteral("guarded")) + QStringLiteral("&port=abc");
        const Finished badPort =
            runWith({QStringLiteral("--publish"), work.path(), QStringLiteral("--database"), mistyped},
                    {QStringLiteral("XDG_DATA_HOME=") + work.filePath(QStringLiteral("data"))});
        QCOMPARE(badPort.status, 1);
        QCOMPARE(badPort.errors, QStringLiteral("talvo-rula: ") + mistyped +
                                     QStringLiteral(": the port \"abc\" is not a number from 1 to 65535\n"));
    }

    void refusalsAreSortedByTheirSqlState_data()
    {
        // The codes and their classes as PostgreSQL's manual lists them (Appendix A).
        QTest::addColumn<QString>("sqlState");
        QTest::addColumn<bool>("refusesTheRow");
        QTest::newRow("22001 string data right truncation") << QStringLiteral("22001") << true;
        QTest::newRow("22P05 untranslatable character") << QStringLiteral("22P05") << true;
        QTest::newRow("23502 not null violation") << QStringLiteral("23502") << true;
        QTest::newRow("23505 unique violation") << QStringLiteral("23505") << true;
        QTest::newRow("42501 insufficient privilege") << QStringLiteral("42501") << false;
        QTest::newRow("42P01 undefined table") << QStringLiteral("42P01") << false;
        QTest::newRow("53100 disk full") << QStringLiteral("53100") << false;
        QTest::newRow("57014 query canceled (statement timeout)") << QStringLiteral("57014") << false;
        QTest::newRow("08006 connection failure") << QStringLiteral("08006") << false;
        QTest::newRow("40001 serialization failure") << QStringLiteral("40001") << false;
        QTest::newRow("no code: the server did not answer") << QString() << false;
    }
    void refusalsAreSortedByTheirSqlState()
    {
        QFETCH(QString, sqlState);
        QFETCH(bool, refusesTheRow);
        QCOMPARE(TeamDatabase::refusesTheRow(sqlState), refusesTheRow);
    }

    void aPublicationRefusedForItsPrivilegesWaitsForTheGrant()
    {
        QString why;
        {
            TeamDatabase owner(*DatabaseAddress::parse(uri(), &why));
            QVERIFY2(owner.open(), qPrintable(owner.error()));
        }
        // A second account of the team, which may read the team register but not add to it.
        QVERIFY2(m_cluster.psql(QStringLiteral("rula"), QStringLiteral("CREATE ROLE reader LOGIN; GRANT SELECT ON "
                                                                       "talvo_schema, talvo_assessment TO reader")),
                 qPrintable(m_cluster.why()));
        QTemporaryDir work;
        const QString outbox = work.filePath(QStringLiteral("data/talvo-rula/outbox"));
        const QString saved = work.filePath(QStringLiteral("Waited RULA Analysis.txt"));
        const QDateTime now = QDateTime::currentDateTime();
        QVERIFY(
            Outbox(outbox).add(Publication::of(saved, "saved", BuildRecord(variedAssessment(4), {}, now), now), &why));
        const QString plant = work.filePath(QStringLiteral("plant"));
        writeAssessments(plant, 3000, 1);
        const QStringList arguments{QStringLiteral("--publish"), plant, QStringLiteral("--database"),
                                    m_cluster.uri(QStringLiteral("reader"))};
        const QStringList environment{QStringLiteral("XDG_DATA_HOME=") + work.filePath(QStringLiteral("data"))};

        const Finished refused = runWith(arguments, environment);
        QCOMPARE(refused.status, 1);
        // One line, with the server's reason and its code.
        QVERIFY2(refused.errors.count(QLatin1Char('\n')) == 1, qPrintable(refused.errors));
        QVERIFY2(
            refused.errors.contains(QLatin1String("permission denied for table talvo_assessment (SQLSTATE 42501)")),
            qPrintable(refused.errors));
        QCOMPARE(Outbox(outbox).pending().size(), 1);
        QCOMPARE(QDir(outbox).entryList({QStringLiteral("*.refused")}, QDir::Files).size(), 0);

        QVERIFY2(m_cluster.psql(QStringLiteral("rula"), QStringLiteral("GRANT INSERT ON talvo_assessment TO reader; "
                                                                       "GRANT USAGE ON SEQUENCE "
                                                                       "talvo_assessment_id_seq TO reader")),
                 qPrintable(m_cluster.why()));
        const Finished granted = runWith(arguments, environment);
        QVERIFY2(granted.status == 0, qPrintable(granted.errors));
        QCOMPARE(Outbox(outbox).pending().size(), 0);
        QCOMPARE(m_cluster.value(QStringLiteral("SELECT count(*) FROM talvo_assessment WHERE published_by = 'reader' "
                                                "AND file_path = '%1'")
                                     .arg(saved)),
                 QStringLiteral("1"));
    }

    void theProgramEndsCleanlyWhileItSends()
    {
        // A save ends the program once "File Saved" is answered, while its publication is being
        // sent: answered after 0 to 30 ms, the end meets the sending thread at each of its steps
        // (reading the outbox, loading the driver, connecting, publishing).
        QTemporaryDir work;
        for (int run = 0; run < 16; ++run) {
            const QString folder = work.filePath(QStringLiteral("run%1").arg(run));
            QVERIFY(QDir().mkpath(folder));
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(),
                        {QStringLiteral("--save-and-end"), uri(), folder, QString::number(run * 2)});
            QVERIFY(child.waitForFinished(60000));
            QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
                     qPrintable(QStringLiteral("run %1: status %2, %3")
                                    .arg(run)
                                    .arg(child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1)
                                    .arg(QString::fromUtf8(child.readAllStandardError()))));
            QVERIFY(QFileInfo::exists(folder + QStringLiteral("/Ended RULA Analysis.txt")));
            // Sent, or waiting for the next start: never lost.
            const int stored = m_cluster
                                   .value(QStringLiteral("SELECT count(*) FROM talvo_assessment WHERE file_path LIKE "
                                                         "'%1/%%'")
                                              .arg(folder))
                                   .toInt();
            QCOMPARE(stored + Outbox(folder + QStringLiteral("/outbox")).pending().size(), 1);
        }
    }

    void theProgramEndWaitsForASilentServerOnlyItsTimeout()
    {
        // A server that takes the connection and never answers: "File Saved" answered after
        // 0.5 s, the end waits for the rest of the connection timeout (2 s here), not for ever,
        // and the publication waits for the next start.
        quint16 port = 0;
        const int listener = silentServer(&port);
        QVERIFY(listener >= 0);
        QTemporaryDir work;
        QElapsedTimer clock;
        clock.start();
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--save-and-end"),
                     QStringLiteral("postgresql://talvo@127.0.0.1:%1/rula?connect_timeout=2").arg(port), work.path(),
                     QStringLiteral("500")});
        const bool finished = child.waitForFinished(30000);
        const qint64 took = clock.elapsed();
        ::close(listener);
        QVERIFY(finished);
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
                 child.readAllStandardError().constData());
        QVERIFY2(took >= 1500 && took < 8000, qPrintable(QString::number(took)));
        QCOMPARE(Outbox(work.filePath(QStringLiteral("outbox"))).pending().size(), 1);
    }

    void aRefusedLoginIsNamedAndTheOutboxKept()
    {
        QTemporaryDir work;
        const QString outbox = work.filePath(QStringLiteral("data/talvo-rula/outbox"));
        QString error;
        const Publication waiting = Publication::of(work.filePath(QStringLiteral("x.txt")), "saved",
                                                    BuildRecord(variedAssessment(3), {}, QDateTime::currentDateTime()),
                                                    QDateTime::currentDateTime());
        QVERIFY(Outbox(outbox).add(waiting, &error));
        // The same publication added again, a moment later, waits once.
        QTest::qWait(5);
        QVERIFY(Outbox(outbox).add(waiting, &error));
        QCOMPARE(Outbox(outbox).pending().size(), 1);
        writeAssessments(work.filePath(QStringLiteral("plant")), 0, 2);
        const QString guarded = m_cluster.uri(QStringLiteral("guarded"));
        const Finished refused = runWith({QStringLiteral("--publish"), work.filePath(QStringLiteral("plant")),
                                          QStringLiteral("--database"), guarded},
                                         {QStringLiteral("PGPASSWORD=wrong"),
                                          QStringLiteral("XDG_DATA_HOME=") + work.filePath(QStringLiteral("data"))});
        QCOMPARE(refused.status, 1);
        QVERIFY2(
            refused.errors.startsWith(QStringLiteral("talvo-rula: ") + guarded + QStringLiteral(": cannot connect: ")),
            qPrintable(refused.errors));
        QVERIFY2(refused.errors.contains(QStringLiteral("password authentication failed")), qPrintable(refused.errors));
        QCOMPARE(refused.errors.count(QLatin1Char('\n')), 1);
        QCOMPARE(Outbox(outbox).pending().size(), 1);
    }

    // The bulk copy of --publish stores each row exactly as the insert of one row at a time
    // does: texts with tabs, backslashes and line breaks, times with their milliseconds, NULLs
    // and evidence. A publication already there, or twice in the batch, is stored once; one the
    // server refuses (evidence that is not JSON) is named and the rest are stored.
    void theBulkCopyStoresTheRowsOneByOneStores()
    {
        std::vector<Publication> publications;
        const QDateTime written(QDate(2026, 3, 29), QTime(1, 59, 58, 125), QTimeZone(3600 * 5 + 1800));
        const QStringList names{QStringLiteral("Tab\there"),
                                QStringLiteral("Back\\slash \\N"),
                                QStringLiteral("Two\nlines\r\n"),
                                QStringLiteral("Zoë \"Q\", 北京"),
                                QStringLiteral(""),
                                QStringLiteral("\\.")};
        for (int i = 0; i < 12; ++i) {
            const EmployeeTexts typed{names[i % names.size()], QStringLiteral("ID\t%1").arg(i),
                                      QStringLiteral("Hall\\%1").arg(i % 3)};
            Publication publication = Publication::of(
                QStringLiteral("/plant/line\t%1/W%1 RULA Analysis.txt").arg(i), QByteArray::number(i),
                BuildRecord(variedAssessment(i), typed, {}), i % 3 == 0 ? QDateTime() : written.addSecs(i * 3607));
            if (i % 2) {
                publication.assessmentId = QStringLiteral("id-%1").arg(i);
                publication.revision = i;
                publication.evidence = QByteArrayLiteral("{\"task\": \"cut\\\\t and \\\"x\\\"\", \"n\": ") +
                                       QByteArray::number(i) + QByteArrayLiteral(", \"line\": \"a\\nb\"}");
            }
            publications.push_back(publication);
        }
        publications.push_back(publications[4]); // twice in one batch, and already there
        publications.push_back(publications[8]); // twice in one batch, and new

        QVERIFY(m_cluster.psql(QStringLiteral("postgres"), QStringLiteral("CREATE DATABASE one_by_one")));
        QVERIFY(m_cluster.psql(QStringLiteral("postgres"), QStringLiteral("CREATE DATABASE bulk")));
        const QString bulkDatabase = QStringLiteral("bulk");
        std::vector<SendState> states;
        const SendSummary oneByOne = sendPublications(
            *DatabaseAddress::parse(m_cluster.uri(QStringLiteral("talvo"), QStringLiteral("one_by_one")), nullptr),
            publications, &states);
        QCOMPARE(oneByOne.added, 12);
        QCOMPARE(oneByOne.alreadyThere, 2);
        const DatabaseAddress bulk =
            *DatabaseAddress::parse(m_cluster.uri(QStringLiteral("talvo"), QStringLiteral("bulk")), nullptr);
        {
            // Copied in bulk, not sent again row by row: the first six already there, then all.
            TeamDatabase database(bulk);
            QVERIFY2(database.open(), qPrintable(database.error()));
            int added = 0;
            QCOMPARE(database.publishBatch(publications.data(), 6, &added), TeamDatabase::Stored::New);
            QCOMPARE(added, 6);
            QCOMPARE(database.publishBatch(publications.data(), publications.size(), &added),
                     TeamDatabase::Stored::New);
            QVERIFY2(added == 6, qPrintable(database.error()));
            // Each row the table takes draws one id, and so does each row an insert tries: twelve
            // different publications drew twelve, so neither one already there nor the second of
            // one key was sent to be inserted.
            QCOMPARE(valueIn(bulkDatabase, QStringLiteral("SELECT last_value FROM talvo_assessment_id_seq")),
                     QStringLiteral("12"));
            QCOMPARE(database.publishBatch(publications.data(), publications.size(), &added),
                     TeamDatabase::Stored::New);
            QCOMPARE(added, 0);
            QCOMPARE(valueIn(bulkDatabase, QStringLiteral("SELECT last_value FROM talvo_assessment_id_seq")),
                     QStringLiteral("12"));
        }
        {
            // Another connection finds the table holding rows it did not copy: it asks, and sends
            // none of them to be inserted.
            TeamDatabase again(bulk);
            QVERIFY2(again.open(), qPrintable(again.error()));
            int added = -1;
            QCOMPARE(again.publishBatch(publications.data(), publications.size(), &added), TeamDatabase::Stored::New);
            QCOMPARE(added, 0);
            QCOMPARE(valueIn(bulkDatabase, QStringLiteral("SELECT last_value FROM talvo_assessment_id_seq")),
                     QStringLiteral("12"));
        }

        const QString columns = QStringLiteral(
            "SELECT publication_key, assessment_id, revision, file_path, file_sha256, last_written, employee_name, "
            "employee_id, employee_location, selections, body_part_scores, posture_a_left, posture_a_right, posture_b, "
            "score_c_left, score_c_right, score_d, grand_left, grand_right, level_left, level_right, evidence, "
            "published_by FROM talvo_assessment ORDER BY publication_key");
        QString expected;
        QString actual;
        QVERIFY(m_cluster.psql(QStringLiteral("one_by_one"), columns, &expected));
        QVERIFY(m_cluster.psql(QStringLiteral("bulk"), columns, &actual));
        QVERIFY(expected.count(QLatin1Char('\n')) >= 11);
        QCOMPARE(actual, expected);

        // Evidence that is not JSON: the server refuses that row alone.
        std::vector<Publication> withRefused;
        for (int i = 0; i < 3; ++i) {
            Publication publication = publications[std::size_t(i)];
            publication.filePath += QStringLiteral(".again");
            publication.fileSha256 = QString(63, QLatin1Char('a')) + QString::number(i);
            withRefused.push_back(publication);
        }
        withRefused[1].evidence = "{not json";
        const SendSummary refused = publishInBulk(bulk, withRefused, &states);
        QCOMPARE(refused.added, 2);
        QCOMPARE(refused.refused, 1);
        QVERIFY2(refused.refusals.value(0).startsWith(withRefused[1].filePath + QStringLiteral(": ")) &&
                     refused.refusals.value(0).contains(QStringLiteral("json")),
                 qPrintable(refused.refusals.join('|')));
        QCOMPARE(states[1], SendState::Refused);
        QCOMPARE(states[2], SendState::Held);
        QString count;
        QVERIFY(
            m_cluster.psql(QStringLiteral("bulk"), QStringLiteral("SELECT count(*) FROM talvo_assessment"), &count));
        QCOMPARE(count, QStringLiteral("14"));
    }

    // Another publisher stores one of a batch's publications, not yet committed when the batch
    // looks at the table (it finds it empty): the copy fails on that key, and the batch is
    // inserted past it, the other publisher's row kept and the rest stored once.
    void aPublicationStoredMeanwhileByAnotherIsPassedOver()
    {
        QVERIFY(m_cluster.psql(QStringLiteral("postgres"), QStringLiteral("CREATE DATABASE race")));
        const DatabaseAddress address =
            *DatabaseAddress::parse(m_cluster.uri(QStringLiteral("talvo"), QStringLiteral("race")), nullptr);
        std::vector<Publication> publications;
        for (int i = 0; i < 5; ++i)
            publications.push_back(Publication::of(
                QStringLiteral("/plant/R%1 RULA Analysis.txt").arg(i), QByteArray::number(i + 500),
                BuildRecord(variedAssessment(i),
                            {QStringLiteral("R%1").arg(i), QStringLiteral("ID-R"), QStringLiteral("Hall")}, {}),
                QDateTime()));
        TeamDatabase other(address);
        QVERIFY2(other.open(), qPrintable(other.error()));
        TeamDatabase::Stored stored = TeamDatabase::Stored::Failed;
        TeamDatabase::Stored storedAgain = TeamDatabase::Stored::Failed;
        int added = -1;
        int addedAgain = -1;
        QString error;
        std::thread batch;
        std::promise<void> firstDone;
        std::promise<void> counted;
        const bool committed = other.inTransaction([&] {
            // The other publisher's row is in, not yet committed: the batch does not see it when
            // it asks, and its copy waits on that key until the other commits.
            if (other.publish(publications[2]) != TeamDatabase::Stored::New) {
                error = other.error();
                return false;
            }
            batch = std::thread([&] {
                TeamDatabase database(address);
                if (!database.open()) {
                    error = database.error();
                    firstDone.set_value();
                    return;
                }
                stored = database.publishBatch(publications.data(), publications.size(), &added);
                error = database.error();
                firstDone.set_value();
                // The same batch again, once the ids drawn so far are counted.
                counted.get_future().wait();
                storedAgain = database.publishBatch(publications.data(), publications.size(), &addedAgain);
            });
            QElapsedTimer waited;
            waited.start();
            while (valueIn(QStringLiteral("race"), QStringLiteral("SELECT count(*) FROM pg_locks WHERE NOT granted")) ==
                       "0" &&
                   waited.elapsed() < 20000)
                QThread::msleep(20);
            return true;
        });
        if (batch.joinable())
            firstDone.get_future().wait();
        const QString drawn =
            valueIn(QStringLiteral("race"), QStringLiteral("SELECT last_value FROM talvo_assessment_id_seq"));
        counted.set_value();
        if (batch.joinable())
            batch.join();
        QVERIFY2(committed, qPrintable(error));
        QVERIFY2(stored == TeamDatabase::Stored::New, qPrintable(error));
        QCOMPARE(added, 4);
        // Having met another publisher's key, the connection asks before its next batch: nothing
        // of the batch is sent to be inserted again.
        QCOMPARE(storedAgain, TeamDatabase::Stored::New);
        QCOMPARE(addedAgain, 0);
        QCOMPARE(valueIn(QStringLiteral("race"), QStringLiteral("SELECT last_value FROM talvo_assessment_id_seq")),
                 drawn);
        QCOMPARE(valueIn(QStringLiteral("race"), QStringLiteral("SELECT count(DISTINCT publication_key) || ' of ' "
                                                                "|| count(*) FROM talvo_assessment")),
                 QStringLiteral("5 of 5"));
    }

    // A row without evidence is written straight from what the server sends when its texts allow;
    // whichever way it is written, it is the folder register's row of the same assessment.
    void aRowWithoutEvidenceIsTheFolderRegistersRow_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << QStringLiteral("Ann Lee 7");
        QTest::newRow("apostrophes dropped") << QStringLiteral("O'Brien's");
        QTest::newRow("a formula once its apostrophe is dropped") << QStringLiteral("'=1+1");
        QTest::newRow("a formula") << QStringLiteral("=SUM(A1)");
        QTest::newRow("a sign") << QStringLiteral("-5");
        QTest::newRow("an at sign") << QStringLiteral("@cell");
        QTest::newRow("a formula after blanks") << QStringLiteral("  +1");
        QTest::newRow("a tab first") << QStringLiteral("\tIndented");
        QTest::newRow("a comma and quotes") << QStringLiteral("Lee, \"Ann\"");
        QTest::newRow("a line break") << QStringLiteral("Two\r\nlines");
        QTest::newRow("a backslash") << QStringLiteral("Back\\slash");
        QTest::newRow("letters outside ASCII") << QStringLiteral("Zoë 北京");
        QTest::newRow("a full-width formula") << QStringLiteral("＝1");
        QTest::newRow("empty") << QString(QLatin1String(""));
        QTest::newRow("101 apostrophes") << QString(101, QLatin1Char('\'')) + QStringLiteral("x");
    }
    void aRowWithoutEvidenceIsTheFolderRegistersRow()
    {
        QFETCH(QString, name);
        const QString database = QStringLiteral("rows");
        const DatabaseAddress address = addressOf(database);
        const QString path = QStringLiteral("/plant/%1 RULA Analysis.txt").arg(QTest::currentDataTag());
        const QDateTime written(QDate(2026, 2, 3), QTime(4, 5, 6));
        const AssessmentRecord record =
            BuildRecord(variedAssessment(name.size()),
                        {name, QStringLiteral("ID ") + name, name + QStringLiteral(" hall")}, written);
        TeamDatabase team(address);
        QVERIFY2(team.open(), qPrintable(team.error()));
        QCOMPARE(team.publish(Publication::of(path, path.toUtf8(), record, written)), TeamDatabase::Stored::New);
        int rows = 0;
        const QByteArray csv = team.registerCsv(false, &rows);
        const QByteArray expected = RegisterCsv::row(path, record).chopped(2) + ",talvo,";
        QVERIFY2(csv.contains("\r\n" + expected), expected.constData());
    }

    // The body-part scores as the server's subscripts give them, whatever shape the array stored
    // has: a NULL or missing score is left out, an array of other bounds is read by its bounds.
    void theBodyPartScoresAreTheServersSubscripts_data()
    {
        QTest::addColumn<QString>("scores");
        QTest::newRow("as published") << QString();
        QTest::newRow("a NULL") << QStringLiteral("{1,2,NULL,4,5,6,7,8,9,10,11,12,13,14,15,16,17}");
        QTest::newRow("short") << QStringLiteral("{1,2,3}");
        QTest::newRow("long") << QStringLiteral("{1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19}");
        QTest::newRow("from zero") << QStringLiteral("[0:16]={1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17}");
        QTest::newRow("from five") << QStringLiteral("[5:7]={-1,-2,-3}");
        QTest::newRow("empty") << QStringLiteral("{}");
        QTest::newRow("two dimensions") << QStringLiteral("{{1,2},{3,4}}");
    }
    void theBodyPartScoresAreTheServersSubscripts()
    {
        QFETCH(QString, scores);
        const QString database = QStringLiteral("arrays");
        const DatabaseAddress address = addressOf(database);
        const QString path = QStringLiteral("/plant/%1 RULA Analysis.txt").arg(QTest::currentDataTag());
        const AssessmentRecord record =
            BuildRecord(variedAssessment(3), {QStringLiteral("Ann"), QStringLiteral("1"), QStringLiteral("Bay")},
                        QDateTime(QDate(2026, 2, 3), QTime(4, 5, 6)));
        TeamDatabase team(address);
        QVERIFY2(team.open(), qPrintable(team.error()));
        QCOMPARE(team.publish(Publication::of(path, path.toUtf8(), record, record.assessedAt)),
                 TeamDatabase::Stored::New);
        const QString where = QStringLiteral(" WHERE file_path = '%1'").arg(path);
        if (!scores.isEmpty())
            QVERIFY(m_cluster.psql(
                database, QStringLiteral("UPDATE talvo_assessment SET body_part_scores = '%1'").arg(scores) + where));
        // The columns in the register's order, joined by the server as its subscripts read them.
        QString joined = QStringLiteral("SELECT concat_ws(','");
        for (const int group : RegisterCsv::scoreGroupOrder())
            joined += QStringLiteral(", body_part_scores[%1]").arg(group + 1);
        joined += QStringLiteral(", posture_a_left, posture_a_right, posture_b, score_c_left, score_c_right, score_d, "
                                 "grand_left, grand_right, coalesce(level_left::text, ''), coalesce(level_right::text, "
                                 "'')) FROM talvo_assessment");
        const QByteArray serverScores = valueIn(database, joined + where).toUtf8();
        int rows = 0;
        const QByteArray csv = team.registerCsv(false, &rows);
        const QByteArray expected =
            RegisterCsv::storedRow(path, record.stored, "2026-02-03 04:05:06", serverScores).chopped(2) + ",talvo,";
        QVERIFY2(csv.contains("\r\n" + expected), expected.constData());
    }

public:
    // In a child process: one save through the windows with the team database at `uri` set,
    // into `folder`, its "File Saved" answered after `answerMs`, ended by the program's own end
    // as an assessor's save is.
    static void saveAndEnd(const QString& uri, const QString& folder, int answerMs)
    {
        initTalvoResources();
        MessageService::setHandler([answerMs](const QString&, const QString&) { QThread::msleep(answerMs); });
        ProgramState state;
        state.teamDatabase = uri;
        state.outboxFolder = folder + QStringLiteral("/outbox");
        WindowSet windows(state);
        saveThroughWindows(windows, state, folder, QStringLiteral("Ended"),
                           {QStringLiteral("Ann"), QStringLiteral("1"), QStringLiteral("Bay")}, 3);
    }

private:
    QString uri() const { return m_cluster.uri(); }

    // The address of `database`, made at its first use.
    DatabaseAddress addressOf(const QString& database)
    {
        if (m_cluster.value(QStringLiteral("SELECT count(*) FROM pg_database WHERE datname = '%1'").arg(database)) ==
            QLatin1String("0"))
            m_cluster.psql(QStringLiteral("postgres"), QStringLiteral("CREATE DATABASE %1").arg(database));
        return *DatabaseAddress::parse(m_cluster.uri(QStringLiteral("talvo"), database), nullptr);
    }

    // One value of a query in `database`, as text.
    QString valueIn(const QString& database, const QString& sql)
    {
        QString output;
        return m_cluster.psql(database, sql, &output) ? output : QStringLiteral("<%1>").arg(m_cluster.why());
    }

    // An assessment made in the windows with these employee texts, saved as `name` into `folder`
    // through the Save window.
    void saveThroughWindows(const QString& folder, const QString& name, const QStringList& texts, int variant)
    {
        saveThroughWindows(*windows, *state, folder, name, texts, variant);
    }
    static void saveThroughWindows(WindowSet& windows, const ProgramState& state, const QString& folder,
                                   const QString& name, const QStringList& texts, int variant)
    {
        EmployeeDetails& details = windows.window<EmployeeDetails>();
        child<QLineEdit>(details, "Text1")->setText(texts.value(0));
        child<QLineEdit>(details, "Text2")->setText(texts.value(1));
        child<QLineEdit>(details, "Text3")->setText(texts.value(2));
        MainWindow& main = windows.window<MainWindow>();
        const rula::AssessmentState wanted = variedAssessment(variant);
        for (int option = 0; option < rula::OptionCount; ++option) {
            if (wanted.isSelected(option) != state.assessment.isSelected(option))
                main.selectOption(option);
        }
        click(main, "Command2"); // View Results
        SaveWindow& save = windows.window<SaveWindow>();
        save.showWindow();
        QVERIFY(child<FolderList>(save, "Dir1")->setPath(folder));
        child<QLineEdit>(save, "Text1")->setText(name);
        click(save, "Command1");
    }

    PostgresCluster m_cluster;
};

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc == 5 && qstrcmp(argv[1], "--save-and-end") == 0) {
        TestTeamDatabase::saveAndEnd(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                                     std::atoi(argv[4]));
        return 3; // the program's end did not end the program
    }
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestTeamDatabase test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_teamdb.moc"
