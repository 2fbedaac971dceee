// SPDX-License-Identifier: GPL-3.0-or-later
// The program in a folder shared with other accounts: a second account (nobody, through
// setpriv, when the test runs as root) plants intents, temporaries and links as another user
// of the share could; the assessor's files stay byte-identical, no output follows a planted
// link or lands on an input or a device, inputs that are not files end at once, and the
// register names what it cannot read, follows no link, and believes no evidence file that is
// not the assessment's own.
#include "AssessmentRecord.h"
#include "Evidence.h"
#include "OutputFiles.h"
#include "RegisterCsv.h"
#include "SavedFiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

const QString Lee = QStringLiteral("Lee RULA Analysis");
const QString Ann = QStringLiteral("Ann RULA Analysis");

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray sample(const char* name)
{
    return readAll(QStringLiteral(TALVO_TEST_DATA "/") + QLatin1String(name));
}

// Why no second account can plant files, or an empty text when one can.
QString secondAccountMissing()
{
    if (::geteuid() != 0)
        return QStringLiteral("the test runs as uid %1, not as root: no second account to plant files with")
            .arg(::geteuid());
    if (QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
        return QStringLiteral("setpriv is not installed");
    if (!::getpwnam("nobody"))
        return QStringLiteral("there is no account \"nobody\"");
    return {};
}

struct Outcome
{
    int status = -1; // -1: crashed, or killed after the time limit
    QString errors;
    qint64 milliseconds = 0;
};

// Runs `program` with `arguments`, as the account nobody when `asOther`, for at most 5 s.
Outcome runCommand(const QString& program, const QStringList& arguments, bool asOther, const QByteArray& input = {})
{
    QProcess process;
    QStringList all = arguments;
    QString run = program;
    if (asOther) {
        all = QStringList{QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                          QStringLiteral("--clear-groups"), program} +
              arguments;
        run = QStringLiteral("setpriv");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        environment.insert(QStringLiteral("HOME"), QDir::tempPath());
        process.setProcessEnvironment(environment);
    }
    Outcome outcome;
    QElapsedTimer clock;
    clock.start();
    process.start(run, all);
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished();
        outcome.errors = QStringLiteral("did not finish within 5 s");
    } else if (process.exitStatus() == QProcess::NormalExit) {
        outcome.status = process.exitCode();
        outcome.errors = QString::fromUtf8(process.readAllStandardError());
    }
    outcome.milliseconds = clock.elapsed();
    return outcome;
}

Outcome runProgram(const QStringList& arguments, bool asOther = false)
{
    return runCommand(QStringLiteral(TALVO_PROGRAM), arguments, asOther);
}

// The second account writes a file, or makes a link, in the share.
void plant(const QString& path, const QByteArray& bytes)
{
    const Outcome done = runCommand(QStringLiteral("/bin/sh"),
                                    {QStringLiteral("-c"), QStringLiteral("cat > \"$0\""), path}, true, bytes);
    QVERIFY2(done.status == 0, qPrintable(path + done.errors));
}

void plantLink(const QString& target, const QString& path)
{
    const Outcome done = runCommand(QStringLiteral("/bin/ln"), {QStringLiteral("-s"), target, path}, true);
    QVERIFY2(done.status == 0, qPrintable(path + done.errors));
}

QByteArray hex(const QString& name)
{
    return QFile::encodeName(name).toHex();
}

QByteArray sha256(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

// An intent as the program writes one, with a correct check: lines of (had an old file,
// hidden new file, hidden kept file, target). `current` is the program's present form
// ("file" lines); otherwise the form of its first version ("pair" lines).
QByteArray forgedIntent(bool current, const char* state, const QList<std::tuple<int, QString, QString, QString>>& files)
{
    QByteArray bytes = current ? "TALVO RULA replacing result files 2\n" : "TALVO RULA replacing two files 1\n";
    bytes += QByteArray("state ") + state + '\n';
    for (const auto& [old, temporary, kept, target] : files)
        bytes += (current ? "file " : "pair ") + QByteArray::number(old) + ' ' + temporary.toLatin1() + ' ' +
                 kept.toLatin1() + ' ' + hex(target) + '\n';
    QByteArray checked = bytes;
    const qsizetype stateAt = bytes.indexOf("state ") + 6;
    checked.replace(stateAt, 2, "??");
    return bytes + "check " + sha256(checked) + '\n';
}

// The name the program gives the intent of saves of the result name of `textName`.
QString intentName(const QString& textName)
{
    return QStringLiteral(".talvo-%1.intent").arg(QString::fromLatin1(sha256(QFile::encodeName(textName)).left(12)));
}

// Every entry of a folder with its bytes (or its link target), hidden ones included.
QMap<QString, QByteArray> snapshot(const QString& folder)
{
    QMap<QString, QByteArray> entries;
    const QFileInfoList infos =
        QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& info : infos)
        entries[info.fileName()] =
            info.isSymLink() ? "link to " + info.symLinkTarget().toUtf8() : readAll(info.filePath());
    return entries;
}

// A folder every account can enter, holding a sticky share anyone can write and the
// assessor's private folder.
struct SharedFolders
{
    QTemporaryDir base;
    QString share;
    QString own;
    SharedFolders()
    {
        ::chmod(QFile::encodeName(base.path()).constData(), 0755);
        share = base.filePath(QStringLiteral("share"));
        own = base.filePath(QStringLiteral("private"));
        QDir().mkpath(share);
        QDir().mkpath(own);
        ::chmod(QFile::encodeName(share).constData(), 01777);
        ::chmod(QFile::encodeName(own).constData(), 0700);
    }
};

// The evidence file the program would write for the saved text file `textBytes`, with the
// employee texts as `typed` and the task "Welding".
QByteArray evidenceFileOf(const QByteArray& textBytes, const EmployeeTexts& typed)
{
    QTemporaryDir scratch;
    const QString path = scratch.filePath(QStringLiteral("evidence.sqlite"));
    Evidence evidence;
    evidence.assessmentId = QStringLiteral("a1");
    evidence.revision = 1;
    evidence.textSha256 = sha256Hex(textBytes);
    evidence.typed = typed;
    evidence.details.phase = QStringLiteral("Baseline");
    evidence.details.task = QStringLiteral("Welding");
    evidence.history.push_back({1, QDateTime::currentDateTimeUtc(), QStringLiteral("K"), "2.0", "First save."});
    if (!writeEvidence(path, evidence).isEmpty())
        return {};
    return readAll(path);
}

} // namespace

class TestSharedFolder : public QObject
{
    Q_OBJECT

private slots:
    void forgedIntentsTouchNothing();
    void plantedOutputLinksAreRefused();
    void outputOverAnInputOrDeviceIsRefused();
    void inputsThatAreNotFilesEndAtOnce();
    void registerRepairsEveryFolderAndNamesGaps();
    void formulasAreNeutralised_data();
    void formulasAreNeutralised();
    void plantedLinksInAWalkedFolderAreSkipped();
    void evidenceNotTheAssessmentsOwnIsNotBelieved_data();
    void evidenceNotTheAssessmentsOwnIsNotBelieved();
};

void TestSharedFolder::forgedIntentsTouchNothing()
{
    if (const QString why = secondAccountMissing(); !why.isEmpty())
        QSKIP(qPrintable(why));
    SharedFolders folders;
    const QString& share = folders.share;
    writeFile(share + QLatin1Char('/') + Lee + QStringLiteral(".txt"), sample("sample_result.txt"));
    writeFile(share + QLatin1Char('/') + Lee + QStringLiteral(".mdb"), "SQLite format 3\0 Lee's database");
    writeFile(share + QLatin1Char('/') + Ann + QStringLiteral(".txt"), sample("compare_after.txt"));
    writeFile(share + QLatin1Char('/') + Ann + QStringLiteral(".mdb"), "SQLite format 3\0 Ann's database");
    writeFile(share + QStringLiteral("/victim.docx"), "the assessor's letter");

    const QByteArray firstLine = sample("sample_result.txt").left(40);
    const auto at = [&share](const char* name) { return share + QLatin1Char('/') + QLatin1String(name); };
    // Undo a save that "created" two files: their removal.
    plant(at(".talvo-0000000000a1.intent"),
          forgedIntent(false, "U2",
                       {{0, QStringLiteral(".talvo-0000000000b1.txt"), QStringLiteral(".talvo-0000000000c1.kept"),
                         QStringLiteral("victim.docx")},
                        {0, QStringLiteral(".talvo-0000000000b2.mdb"), QStringLiteral(".talvo-0000000000c2.kept"),
                         Lee + QStringLiteral(".txt")}}));
    // Complete a "save" with the planter's files, one under a name with a line break.
    plant(at(".talvo-0000000000b3.txt"), firstLine + "planted");
    plant(at(".talvo-0000000000b4.txt"), firstLine + "planted");
    plant(at(".talvo-0000000000a2.intent"),
          forgedIntent(false, "F0",
                       {{1, QStringLiteral(".talvo-0000000000b3.txt"), QStringLiteral(".talvo-0000000000c3.kept"),
                         Lee + QStringLiteral(".mdb")},
                        {0, QStringLiteral(".talvo-0000000000b4.txt"), QStringLiteral(".talvo-0000000000c4.kept"),
                         QStringLiteral("bad\nname\uFFFD")}}));
    // The same in the present form, under the names the program itself would use.
    plant(share + QLatin1Char('/') + intentName(Lee + QStringLiteral(".txt")),
          forgedIntent(true, "U2",
                       {{0, QStringLiteral(".talvo-0000000000b5.txt"), QStringLiteral(".talvo-0000000000c5.kept"),
                         Lee + QStringLiteral(".txt")},
                        {0, QStringLiteral(".talvo-0000000000b6.mdb"), QStringLiteral(".talvo-0000000000c6.kept"),
                         Lee + QStringLiteral(".mdb")}}));
    plant(at(".talvo-0000000000b7.txt"), firstLine + "planted");
    plant(at(".talvo-0000000000b8.mdb"), QByteArray("SQLite format 3\0 planted", 24));
    plant(share + QLatin1Char('/') + intentName(Ann + QStringLiteral(".txt")),
          forgedIntent(true, "F0",
                       {{1, QStringLiteral(".talvo-0000000000b7.txt"), QStringLiteral(".talvo-0000000000c7.kept"),
                         Ann + QStringLiteral(".txt")},
                        {1, QStringLiteral(".talvo-0000000000b8.mdb"), QStringLiteral(".talvo-0000000000c8.kept"),
                         Ann + QStringLiteral(".mdb")}}));
    const QMap<QString, QByteArray> before = snapshot(share);

    // The assessor's register, report and comparison each repair the share first.
    const QStringList runs[] = {
        {QStringLiteral("--register"), share, QStringLiteral("-o"), folders.own + QStringLiteral("/register.csv")},
        {QStringLiteral("--report"), share + QLatin1Char('/') + Lee + QStringLiteral(".txt"), QStringLiteral("-o"),
         folders.own + QStringLiteral("/report.pdf")},
        {QStringLiteral("--compare"), share + QLatin1Char('/') + Lee + QStringLiteral(".txt"),
         share + QLatin1Char('/') + Ann + QStringLiteral(".txt"), QStringLiteral("-o"),
         folders.own + QStringLiteral("/comparison.pdf")},
    };
    for (const QStringList& arguments : runs) {
        const Outcome run = runProgram(arguments);
        QVERIFY2(run.status == 0, qPrintable(arguments.first() + QLatin1Char(' ') + run.errors));
        QVERIFY2(run.milliseconds < 2000, qPrintable(arguments.first()));
        QCOMPARE(snapshot(share), before);
    }
}

void TestSharedFolder::plantedOutputLinksAreRefused()
{
    if (const QString why = secondAccountMissing(); !why.isEmpty())
        QSKIP(qPrintable(why));
    SharedFolders folders;
    const QString& share = folders.share;
    writeFile(share + QLatin1Char('/') + Lee + QStringLiteral(".txt"), sample("sample_result.txt"));
    writeFile(share + QLatin1Char('/') + Ann + QStringLiteral(".txt"), sample("compare_after.txt"));
    const QStringList secrets{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
    for (const QString& secret : secrets)
        writeFile(folders.own + QLatin1Char('/') + secret, "private " + secret.toLatin1());
    plantLink(folders.own + QStringLiteral("/a"), share + QStringLiteral("/register.csv"));
    plantLink(folders.own + QStringLiteral("/b"), share + QLatin1Char('/') + Lee + QStringLiteral(" Report.pdf"));
    plantLink(folders.own + QStringLiteral("/c"), share + QLatin1Char('/') + Ann + QStringLiteral(" Comparison.pdf"));

    const QStringList runs[] = {
        {QStringLiteral("--register"), share},
        {QStringLiteral("--report"), share + QLatin1Char('/') + Lee + QStringLiteral(".txt")},
        {QStringLiteral("--compare"), share + QLatin1Char('/') + Lee + QStringLiteral(".txt"),
         share + QLatin1Char('/') + Ann + QStringLiteral(".txt")},
    };
    for (const QStringList& arguments : runs) {
        const Outcome run = runProgram(arguments);
        QCOMPARE(run.status, 1);
        QVERIFY2(run.errors.contains(QLatin1String("is a link")), qPrintable(run.errors));
        QVERIFY(run.milliseconds < 2000);
    }
    for (const QString& secret : secrets)
        QCOMPARE(readAll(folders.own + QLatin1Char('/') + secret), "private " + secret.toLatin1());

    // A link the assessor names with -o, to a file of their own, is written through.
    QVERIFY(QFile::link(folders.own + QStringLiteral("/a"), share + QStringLiteral("/mine.pdf")));
    const Outcome named =
        runProgram({QStringLiteral("--report"), share + QLatin1Char('/') + Lee + QStringLiteral(".txt"),
                    QStringLiteral("-o"), share + QStringLiteral("/mine.pdf")});
    QVERIFY2(named.status == 0, qPrintable(named.errors));
    QVERIFY(readAll(folders.own + QStringLiteral("/a")).startsWith("%PDF"));
    QVERIFY(QFileInfo(share + QStringLiteral("/mine.pdf")).isSymLink());
}

void TestSharedFolder::outputOverAnInputOrDeviceIsRefused()
{
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("in"));
    QDir().mkpath(in);
    const QString a = in + QStringLiteral("/a.txt");
    const QString b = in + QStringLiteral("/b.txt");
    const QString alias = dir.filePath(QStringLiteral("alias.txt")); // outside the register's tree
    writeFile(a, sample("sample_result.txt"));
    writeFile(b, sample("compare_after.txt"));
    QVERIFY(QFile::link(a, alias));
    QList<QStringList> runs = {
        {QStringLiteral("--report"), a, QStringLiteral("-o"), a},
        {QStringLiteral("--report"), in + QStringLiteral("/../in/./a.txt"), QStringLiteral("-o"), a},
        {QStringLiteral("--compare"), a, b, QStringLiteral("-o"), alias},
        {QStringLiteral("--register"), in, QStringLiteral("-o"), alias},
    };
    const QString device = dir.filePath(QStringLiteral("full"));
    if (::geteuid() == 0) {
        QCOMPARE(::mknod(QFile::encodeName(device).constData(), S_IFCHR | 0666, makedev(1, 7)), 0);
        runs.append({QStringLiteral("--report"), a, QStringLiteral("-o"), device});
    }
    for (const QStringList& arguments : runs) {
        const Outcome run = runProgram(arguments);
        QVERIFY2(run.status == 1, qPrintable(arguments.join(QLatin1Char(' ')) + QLatin1Char(' ') + run.errors));
        QCOMPARE(readAll(a), sample("sample_result.txt"));
        QVERIFY(QFileInfo(alias).isSymLink());
    }
    if (::geteuid() == 0) {
        struct stat info;
        QCOMPARE(::lstat(QFile::encodeName(device).constData(), &info), 0);
        QVERIFY(S_ISCHR(info.st_mode));
    }
}

void TestSharedFolder::inputsThatAreNotFilesEndAtOnce()
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("pipe.txt"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString good = dir.filePath(QStringLiteral("tree/good.txt"));
    QDir().mkpath(dir.filePath(QStringLiteral("tree")));
    writeFile(good, sample("sample_result.txt"));
    QVERIFY(QFile::link(fifo, dir.filePath(QStringLiteral("tree/pipe.txt"))));
    QVERIFY(QFile::link(QStringLiteral("/dev/zero"), dir.filePath(QStringLiteral("tree/zero.txt"))));
    const QString out = dir.filePath(QStringLiteral("out.pdf"));
    for (const QString& input : {fifo, QStringLiteral("/dev/zero"), QStringLiteral("/dev/urandom")}) {
        for (const QStringList& arguments :
             {QStringList{QStringLiteral("--report"), input, QStringLiteral("-o"), out},
              QStringList{QStringLiteral("--compare"), good, input, QStringLiteral("-o"), out}}) {
            const Outcome run = runProgram(arguments);
            QVERIFY2(run.status == 1, qPrintable(arguments.join(QLatin1Char(' ')) + QLatin1Char(' ') + run.errors));
            QVERIFY(run.errors.contains(input));
            QVERIFY(run.milliseconds < 2000);
        }
    }
    const Outcome tree = runProgram({QStringLiteral("--register"), dir.filePath(QStringLiteral("tree")),
                                     QStringLiteral("-o"), dir.filePath(QStringLiteral("register.csv"))});
    QVERIFY2(tree.status == 0, qPrintable(tree.errors));
    QVERIFY2(tree.errors.contains(QLatin1String("1 assessment read, 2 files skipped")), qPrintable(tree.errors));
    QVERIFY(tree.milliseconds < 2000);
}

void TestSharedFolder::registerRepairsEveryFolderAndNamesGaps()
{
    // Run by the second account, for whom a folder can be unreadable (root reads every one).
    if (const QString why = secondAccountMissing(); !why.isEmpty())
        QSKIP(qPrintable(why));
    SharedFolders folders;
    const QString tree = folders.share + QStringLiteral("/tree");
    for (const char* sub : {"Plant A", "Empty", "Locked"})
        QDir().mkpath(tree + QLatin1Char('/') + QLatin1String(sub));
    writeFile(tree + QStringLiteral("/Plant A/a.txt"), sample("sample_result.txt"));
    // Left by a first save into an empty folder that was killed: the employee's data.
    const QString leftover = tree + QStringLiteral("/Empty/.talvo-0123456789ab.txt");
    writeFile(leftover, sample("sample_result.txt").left(300));
    const struct passwd* nobody = ::getpwnam("nobody");
    for (const QString& path : {tree, tree + QStringLiteral("/Plant A"), tree + QStringLiteral("/Plant A/a.txt"),
                                tree + QStringLiteral("/Empty"), leftover, tree + QStringLiteral("/Locked")})
        QCOMPARE(::chown(QFile::encodeName(path).constData(), nobody->pw_uid, nobody->pw_gid), 0);
    ::chmod(QFile::encodeName(tree + QStringLiteral("/Locked")).constData(), 0);

    const Outcome run = runProgram({QStringLiteral("--register"), tree}, true);
    QVERIFY2(run.status == 0, qPrintable(run.errors));
    QVERIFY2(run.errors.contains(tree + QStringLiteral("/Locked: skipped")), qPrintable(run.errors));
    QVERIFY2(run.errors.contains(QLatin1String("1 folder could not be read")), qPrintable(run.errors));
    QVERIFY(!QFileInfo::exists(leftover));
    QVERIFY(QFileInfo::exists(tree + QStringLiteral("/register.csv")));
}

void TestSharedFolder::formulasAreNeutralised_data()
{
    // What a spreadsheet runs as a formula: a sign first, after any blanks, ASCII or full width.
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("formula");
    QTest::newRow("equals") << QStringLiteral("=1+1") << true;
    QTest::newRow("blank first") << QStringLiteral(" =1+1") << true;
    QTest::newRow("ideographic space") << QStringLiteral("\u3000=1+1") << true;
    QTest::newRow("full-width equals") << QStringLiteral("\uFF1D1+1") << true;
    QTest::newRow("full-width plus") << QStringLiteral("\uFF0BA1") << true;
    QTest::newRow("at") << QStringLiteral("@SUM(A1)") << true;
    QTest::newRow("tab") << QStringLiteral("\tname") << true;
    QTest::newRow("plain") << QStringLiteral("Ann Lee") << false;
    QTest::newRow("sign inside") << QStringLiteral("Ann = Lee") << false;
}

void TestSharedFolder::formulasAreNeutralised()
{
    QFETCH(QString, name);
    QFETCH(bool, formula);
    AssessmentRecord record;
    record.stored.name = name;
    const QByteArray row = RegisterCsv::row(QStringLiteral("/a.txt"), record);
    const QByteArray field = row.mid(row.indexOf(',') + 1).left(name.toUtf8().size() + 3);
    const QByteArray quoted = field.startsWith('"') ? field.mid(1) : field;
    QCOMPARE(quoted.startsWith("'" + name.toUtf8()), formula);
    QVERIFY(quoted.startsWith(name.toUtf8()) || quoted.startsWith("'" + name.toUtf8()));
}

void TestSharedFolder::plantedLinksInAWalkedFolderAreSkipped()
{
    if (const QString why = secondAccountMissing(); !why.isEmpty())
        QSKIP(qPrintable(why));
    SharedFolders folders;
    const QString& share = folders.share;
    writeFile(share + QLatin1Char('/') + Ann + QStringLiteral(".txt"), sample("compare_after.txt"));
    // The assessor's private assessment, which the second account cannot read, and links to it
    // and to its folder that the second account plants in the share.
    const QString secret = folders.own + QStringLiteral("/Kim RULA Analysis.txt");
    writeFile(secret, savedTextFile(variedAssessment(5), {QStringLiteral("Kim Private"), {}, {}}));
    const QString fileLink = share + QLatin1Char('/') + Lee + QStringLiteral(".txt");
    const QString folderLink = share + QStringLiteral("/private");
    plantLink(secret, fileLink);
    plantLink(folders.own, folderLink);

    const QString csv = folders.own + QStringLiteral("/register.csv");
    const Outcome run = runProgram({QStringLiteral("--register"), share, QStringLiteral("-o"), csv});
    QVERIFY2(run.status == 0, qPrintable(run.errors));
    const QStringList lines = run.errors.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString& link : {fileLink, folderLink})
        QVERIFY2(lines.count(QStringLiteral("talvo-rula: ") + link +
                             QStringLiteral(": skipped, a link is not followed in a folder")) == 1,
                 qPrintable(run.errors));
    QVERIFY2(run.errors.contains(QLatin1String("1 assessment read, 2 files skipped")), qPrintable(run.errors));
    QVERIFY2(!readAll(csv).contains("Kim Private"), readAll(csv).constData());
}

void TestSharedFolder::evidenceNotTheAssessmentsOwnIsNotBelieved_data()
{
    QTest::addColumn<QString>("typedName");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("planted");
    QTest::addColumn<bool>("writeAheadLog");
    QTest::addColumn<QString>("message"); // empty: the evidence is used
    const QString foreign = QStringLiteral("The evidence file %1 does not belong to this assessment; it was not used.");
    // The text file names "Lees" (its writer drops apostrophes): "Lee's" as typed is the same name.
    QTest::newRow("its own") << QStringLiteral("Lee's") << 0644 << false << false << QString();
    QTest::newRow("names another employee") << QStringLiteral("Mallory") << 0644 << false << false << foreign;
    QTest::newRow("writable by every account") << QStringLiteral("Lee's") << 0666 << false << false << foreign;
    QTest::newRow("planted by another account") << QStringLiteral("Lee's") << 0644 << true << false << foreign;
    QTest::newRow("in WAL mode") << QStringLiteral("Lee's") << 0644 << false << true
                                 << QStringLiteral("The evidence file is in write-ahead log (WAL) mode");
}

void TestSharedFolder::evidenceNotTheAssessmentsOwnIsNotBelieved()
{
    QFETCH(QString, typedName);
    QFETCH(int, mode);
    QFETCH(bool, planted);
    QFETCH(bool, writeAheadLog);
    QFETCH(QString, message);
    if (const QString why = secondAccountMissing(); planted && !why.isEmpty())
        QSKIP(qPrintable(why));
    SharedFolders folders;
    const QString text = folders.share + QLatin1Char('/') + Lee + QStringLiteral(".txt");
    const QByteArray textBytes =
        savedTextFile(variedAssessment(2), {QStringLiteral("Lees"), QStringLiteral("7"), QStringLiteral("Bay 7")});
    writeFile(text, textBytes);
    const QString evidencePath = OutputFiles::evidencePath(text);
    const QByteArray evidence = evidenceFileOf(textBytes, {typedName, QStringLiteral("7"), QStringLiteral("Bay 7")});
    QVERIFY(!evidence.isEmpty());
    if (planted) {
        plant(evidencePath, evidence);
    } else {
        writeFile(evidencePath, evidence);
        QCOMPARE(::chmod(QFile::encodeName(evidencePath).constData(), mode_t(mode)), 0);
    }
    if (writeAheadLog) {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("wal"));
            db.setDatabaseName(evidencePath);
            QVERIFY(db.open());
            QSqlQuery(db).exec(QStringLiteral("PRAGMA journal_mode=WAL"));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("wal"));
    }

    const QString csv = folders.own + QStringLiteral("/register.csv");
    const Outcome run = runProgram({QStringLiteral("--register"), folders.share, QStringLiteral("-o"), csv});
    QVERIFY2(run.status == 0, qPrintable(run.errors));
    const QByteArray row = readAll(csv).split('\n').value(1);
    if (message.isEmpty()) {
        QVERIFY2(row.contains("Lee's") && row.contains("Welding"), row.constData());
        QVERIFY2(!run.errors.contains(QLatin1String("evidence")), qPrintable(run.errors));
        return;
    }
    // The text file's own texts stand, and nothing of the evidence is used.
    QVERIFY2(row.contains(",Lees,") && !row.contains("Welding"), row.constData());
    const QString expected =
        message.contains(QLatin1String("%1")) ? message.arg(QFileInfo(evidencePath).fileName()) : message;
    QVERIFY2(run.errors.count(expected) == 1, qPrintable(run.errors));
    QVERIFY2(run.errors.count(QLatin1String("The evidence file")) == 1, qPrintable(run.errors));
}

QTEST_GUILESS_MAIN(TestSharedFolder)
#include "tst_sharedfolder.moc"
