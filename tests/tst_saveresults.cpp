// SPDX-License-Identifier: GPL-3.0-or-later
// The save routine on real files: both result files written and read back, old files
// kept byte for byte on every failure, no temporary file left behind.
#include "DurableFiles.h"
#include "OutputFiles.h"
#include "PairReplacement.h"
#include "ResultDatabase.h"
#include "ResultTextFile.h"
#include "SaveResults.h"
#include "SaveStepsWithoutLinks.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <linux/fs.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QString Stem = QStringLiteral("Smith RULA Analysis");

int optionIndex(rula::Group group, int number)
{
    return rula::groupInfo(group).firstOption + number - 1;
}

// The sample assessment of tests/data/sample_result.txt.
rula::AssessmentState sampleAssessment()
{
    using G = rula::Group;
    const std::pair<G, int> clicks[] = {
        {G::UpperRight, 1},
        {G::UpperLeft, 2},
        {G::LowerRight, 1},
        {G::LowerLeft, 2},
        {G::WristRight, 1},
        {G::WristTwistRight, 1},
        {G::WristLeft, 2},
        {G::WristTwistLeft, 1},
        {G::Neck, 2},
        {G::Neck, 5},
        {G::Trunk, 1},
        {G::Legs, 1},
        {G::MuscleRightUpper, 2},
        {G::MuscleLeftUpper, 2},
        {G::MuscleLower, 2},
        {G::ForceRightUpper, 1},
        {G::ForceLeftUpper, 1},
        {G::ForceLower, 1},
    };
    rula::AssessmentState state;
    for (const auto& [group, number] : clicks)
        state.SelectOption(optionIndex(group, number));
    return state;
}

SaveTable sampleTable()
{
    SaveTable table;
    const std::pair<int, std::int16_t> scores[] = {{2, 2},  {3, 2},  {4, 2},  {5, 1},  {6, 0},  {7, 0},  {10, 1},
                                                   {11, 1}, {12, 1}, {13, 1}, {14, 0}, {15, 0}, {16, 3}, {17, 1},
                                                   {18, 1}, {19, 0}, {20, 0}, {90, 3}, {91, 2}};
    for (const auto& [row, score] : scores)
        table.setValue(row, score);
    table.setValue(0, QStringLiteral("Action Level 2"));
    table.setValue(1, QStringLiteral("Further investigation is needed and changes may be required"));
    table.setValue(8, QStringLiteral("Action Level 1"));
    table.setValue(
        9, QStringLiteral("posture is Acceptable posture if it is not maintained or repeated for long periods"));
    table.setValue(87, QStringLiteral("Jürgen Müller"));
    table.setValue(88, QStringLiteral("4711"));
    table.setValue(89, QStringLiteral("Hall \"B\", Plant 2"));
    table.WriteLabels();
    table.WriteOptionRows(sampleAssessment());
    return table;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArrayLiteral("<unreadable>");
    return file.readAll();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Every entry of a folder, hidden ones included, with the contents of its files.
QMap<QString, QByteArray> snapshot(const QString& folder)
{
    QMap<QString, QByteArray> entries;
    const QDir dir(folder);
    const auto list =
        dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& info : list)
        entries.insert(info.fileName(), info.isDir() ? QByteArrayLiteral("<folder>") : readAll(info.filePath()));
    return entries;
}

// An old result of that name: a text file and a database with more rows and an extra table.
bool createOldResult(const QString& folder, const QString& stem)
{
    QFile text(resultTextPath(folder, stem));
    const QByteArray bytes = QByteArray(20000, 'x') + "\r\nold result\r\n";
    if (!text.open(QIODevice::WriteOnly) || text.write(bytes) != bytes.size() || !text.flush())
        return false;
    const QString connection = QStringLiteral("old-result");
    bool done = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(resultDatabasePath(folder, stem));
        if (db.open()) {
            QSqlQuery query(db);
            done = query.exec(QStringLiteral("CREATE TABLE RULAResult (\"Old\" TEXT)")) &&
                   query.exec(QStringLiteral("INSERT INTO RULAResult VALUES ('old 1')")) &&
                   query.exec(QStringLiteral("INSERT INTO RULAResult VALUES ('old 2')")) &&
                   query.exec(QStringLiteral("CREATE TABLE Extra (x TEXT)"));
            query.finish();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(connection);
    return done;
}

#define writeOldResult(folder, stem) QVERIFY(createOldResult(folder, stem))

QStringList expectedResultRow(const SaveTable& table)
{
    QStringList row;
    for (int r : ResultDatabase::resultRows())
        row << cellText(table.value(r));
    return row;
}

// What is wrong with the two files of a save, read back through the text parser and
// QtSql, compared with the table they were written from; empty when they hold exactly it.
// Plain checks, so that a child process can run them too.
QString savedProblem(const QString& folder, const QString& stem, const SaveTable& table)
{
#define EXPECT(condition)                                                                                              \
    if (!(condition))                                                                                                  \
    return QStringLiteral(#condition)

    const QByteArray text = readAll(resultTextPath(folder, stem));
    EXPECT(text == ResultTextFile::contents(table));
    const ResultTextFile::Parsed parsed = ResultTextFile::parse(text);
    if (!parsed.ok)
        return parsed.error;
    for (int row = 0; row < SaveTable::RowCount; ++row) {
        EXPECT(parsed.items[2 * row] == table.label(row));
        EXPECT(parsed.items[2 * row + 1] == table.value(row));
    }

    const ResultDatabase::Contents db = ResultDatabase::read(resultDatabasePath(folder, stem));
    if (!db.error.isEmpty())
        return db.error;
    EXPECT(db.resultColumns == ResultDatabase::resultColumns());
    EXPECT(db.resultColumnTypes == QStringList(23, QStringLiteral("NVARCHAR(200)")));
    EXPECT(db.resultRows == QList<QStringList>{expectedResultRow(table)});
    if (ResultDatabase::hasEmployeeDetails(table)) {
        EXPECT(db.tables == (QStringList{QStringLiteral("RULAResult"), QStringLiteral("EmployeeDetails")}));
        EXPECT(db.employeeColumns && *db.employeeColumns == ResultDatabase::employeeColumns());
        EXPECT(db.employeeColumnTypes == QStringList(3, QStringLiteral("NVARCHAR(200)")));
        EXPECT(db.employeeRows ==
               (QList<QStringList>{{cellText(table.value(87)), cellText(table.value(88)), cellText(table.value(89))}}));
    } else {
        EXPECT(db.tables == QStringList{QStringLiteral("RULAResult")});
        EXPECT(!db.employeeColumns);
    }

    // Nothing but the two result files (and whatever was there before) in the folder, once the
    // old files are removed.
    PairReplacement::waitForOldFilesRemoved();
    for (const QString& name : QDir(folder).entryList(QDir::Hidden | QDir::Files))
        EXPECT(!name.startsWith(QLatin1String(".talvo-")));
    return {};
#undef EXPECT
}

#define verifySaved(folder, stem, table)                                                                               \
    do {                                                                                                               \
        const QString problem = savedProblem(folder, stem, table);                                                     \
        QVERIFY2(problem.isEmpty(), qPrintable(problem));                                                              \
    } while (false)

// Runs `body` in a child process and returns what it reported; empty if the child died.
template <typename Body> QByteArray runInChild(Body body)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        const QByteArray report = body();
        PairReplacement::waitForOldFilesRemoved(); // as the program does before it ends
        [[maybe_unused]] ssize_t n = ::write(fds[1], report.constData(), static_cast<size_t>(report.size()));
        ::_exit(0);
    }
    ::close(fds[1]);
    QByteArray report;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0)
        report.append(buffer, n);
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? report : QByteArray();
}

// A save run in a child process, after `prepare` (limits, privileges) has run there.
struct ChildOutcome
{
    bool ran = false;
    bool ok = false;
    QString error;
};

template <typename Prepare>
ChildOutcome saveInChild(const QString& folder, const QString& stem, const SaveTable& table, Prepare prepare)
{
    const QByteArray report = runInChild([&]() -> QByteArray {
        if (!prepare())
            return "-";
        SaveTable copy = table;
        const SaveOutcome outcome = SaveResults(copy, folder, stem);
        return (outcome.ok ? "1" : "0") + outcome.error.toUtf8();
    });
    ChildOutcome outcome;
    if (report.isEmpty() || report.startsWith('-'))
        return outcome;
    outcome.ran = true;
    outcome.ok = report.startsWith('1');
    outcome.error = QString::fromUtf8(report.mid(1));
    return outcome;
}

// The failures a test makes at the points of a save, and a file system without hard links.
enum class Fault
{
    None,
    BeforeReplacing,     // after the old files are kept, before the first rename
    BetweenReplacements, // after the first temporary has taken its target's name
    WhileRestoring,      // additionally, putting an old file back fails
};

class FaultySteps : public SaveStepsWithoutLinks
{
public:
    explicit FaultySteps(Fault fault, bool noHardLinks = false) : SaveStepsWithoutLinks(noHardLinks), m_fault(fault) {}
    QString reached(DurableFiles::Step step) override
    {
        using S = DurableFiles::Step;
        if (step == S::OldFilesKept && m_fault == Fault::BeforeReplacing)
            return QStringLiteral("Simulated failure before replacing");
        if (step == S::FirstReplaced && (m_fault == Fault::BetweenReplacements || m_fault == Fault::WhileRestoring))
            return QStringLiteral("Simulated failure between replacements");
        if (step == S::Restoring && m_fault == Fault::WhileRestoring)
            return QStringLiteral("Simulated failure while restoring");
        return {};
    }

private:
    Fault m_fault;
};

bool setImmutable(const QString& path, bool on)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}

} // namespace

class TestSaveResults : public QObject
{
    Q_OBJECT

private slots:
    void textFileMatchesTheHandWrittenSample();
    void textFileOfAnUnfinishedAssessment();
    void textParserRefusesMalformedFiles();
    void namesBesideATextFileIgnoreTheCaseOfTxt();
    void statementsAreTheFixedTexts();
    void saveWritesLabelsAndOptionRows();
    void employeeTextsSurviveBothFiles_data();
    void employeeTextsSurviveBothFiles();
    void emptyNameBoxStillSaves();
    void oldResultIsReplacedCompletely();
    void pathsAreJoinedAsGiven();
    void newFilesGetOrdinaryPermissions();
    void missingOrUnusableFolderIsReported();
    void unwritableFolderKeepsOldFiles();
    void immutableFolderKeepsOldFiles();
    void fullDiskKeepsOldFiles();
    void fullFileSystemKeepsOldFiles();
    void replacingIsAllOrNothing_data();
    void replacingIsAllOrNothing();
    void failedRestoreSaysWhereTheOldFilesAre();
    void folderNamedLikeTheResultFileIsRefused();
    void unsafeStemsAreRefusedBeforeAnythingIsTouched_data();
    void unsafeStemsAreRefusedBeforeAnythingIsTouched();
    void existenceTestCountsOnlyPlainFiles();
};

void TestSaveResults::textFileMatchesTheHandWrittenSample()
{
    QTemporaryDir dir;
    SaveTable table = sampleTable();
    const SaveOutcome outcome = SaveResults(table, dir.path(), Stem);
    QVERIFY2(outcome.ok, qPrintable(outcome.error));
    const QByteArray expected = readAll(QStringLiteral(TALVO_TEST_DATA "/sample_result.txt"));
    QCOMPARE(expected.count("\r\n"), 184);
    QCOMPARE(readAll(dir.filePath(Stem + QStringLiteral(".txt"))), expected);
    verifySaved(dir.path(), Stem, table);
}

void TestSaveResults::textFileOfAnUnfinishedAssessment()
{
    // No "Action Level" press, no scores, an empty employee name: empty lines and "".
    SaveTable table;
    table.WriteLabels();
    table.setValue(87, QString());
    const QByteArray bytes = ResultTextFile::contents(table);
    const QList<QByteArray> lines = bytes.split('\n');
    QCOMPARE(lines.size(), 185); // 184 lines and nothing after the last line end
    QVERIFY(lines.last().isEmpty());
    QCOMPARE(lines[1], QByteArray("\r"));                   // row 0's value
    QCOMPARE(lines[5], QByteArray("\r"));                   // row 2's score
    QCOMPARE(lines[175], QByteArray("\"\"\r"));             // row 87: empty name
    QCOMPARE(lines[176], QByteArray("\"Employee ID:\"\r")); // row 88's label
    QVERIFY(!bytes.startsWith("\xEF\xBB\xBF"));

    table.setValue(16, std::int16_t(-1));
    const ResultTextFile::Parsed parsed = ResultTextFile::parse(ResultTextFile::contents(table));
    QVERIFY2(parsed.ok, qPrintable(parsed.error));
    QCOMPARE(parsed.items[33], SaveCell(std::int16_t(-1)));
    QCOMPARE(parsed.items[1], SaveCell());
    QCOMPARE(parsed.items[175], SaveCell(QString()));
}

void TestSaveResults::textParserRefusesMalformedFiles()
{
    const SaveTable table = sampleTable();
    const QByteArray good = ResultTextFile::contents(table);
    QVERIFY(ResultTextFile::parse(good).ok);
    QVERIFY(!ResultTextFile::parse(good.chopped(2)).ok);       // last line end missing
    QVERIFY(!ResultTextFile::parse(good + "\r\n").ok);         // 185 lines
    QVERIFY(!ResultTextFile::parse("\xEF\xBB\xBF" + good).ok); // byte-order mark
    // A file saved again by an editor that ends lines in LF alone is named for what it is.
    const ResultTextFile::Parsed edited = ResultTextFile::parse(QByteArray(good).replace("\r\n", "\n"));
    QVERIFY(!edited.ok);
    QCOMPARE(edited.error, QStringLiteral("The lines of this file end differently from a saved assessment: it was "
                                          "changed by another program."));
    QVERIFY(!ResultTextFile::parse(QByteArray(good).replace("\r\n3\r\n", "\r\n03\r\n")).ok);
    QVERIFY(!ResultTextFile::parse(QByteArray(good).replace("\r\n3\r\n", "\r\n40000\r\n")).ok);
    QVERIFY(!ResultTextFile::parse(QByteArray(good).replace("\"True\"", "True")).ok);
}

// A saved file copied through a system that writes names in capitals ends in ".TXT".
void TestSaveResults::namesBesideATextFileIgnoreTheCaseOfTxt()
{
    QCOMPARE(OutputFiles::evidencePath(QStringLiteral("/a/Lee RULA Analysis.TXT")),
             QStringLiteral("/a/Lee RULA Evidence.sqlite"));
    QCOMPARE(OutputFiles::besideInput(QStringLiteral("/a/Lee RULA Analysis.Txt"), QStringLiteral(" Report.pdf")),
             QStringLiteral("/a/Lee RULA Analysis Report.pdf"));
}

void TestSaveResults::statementsAreTheFixedTexts()
{
    SaveTable table = sampleTable();
    table.setValue(87, QStringLiteral("Jane Doe"));
    table.setValue(88, QStringLiteral("4711"));
    table.setValue(89, QStringLiteral("Plant 2"));
    QCOMPARE(ResultDatabase::employeeInsertStatement(table),
             QStringLiteral("INSERT INTO EmployeeDetails VALUES ('Jane Doe', '4711', 'Plant 2')"));
    QCOMPARE(ResultDatabase::resultInsertStatement(table),
             QStringLiteral("INSERT INTO RULAResult VALUES ('3','Action Level 2', "
                            "'Further investigation is needed and changes may be required',  '2',  '2', '2', '1', "
                            "'0', '0','2','Action Level 1', "
                            "'posture is Acceptable posture if it is not maintained or repeated for long periods',  "
                            "'1', '1', '1', '1', '0', '0', '3', '1', '1', '0', '0')"));

    // Apostrophes are doubled inside the values, nowhere else.
    table.setValue(87, QStringLiteral("O'Brien"));
    table.setValue(89, QStringLiteral("'); DROP TABLE RULAResult; --"));
    QCOMPARE(
        ResultDatabase::employeeInsertStatement(table),
        QStringLiteral("INSERT INTO EmployeeDetails VALUES ('O''Brien', '4711', '''); DROP TABLE RULAResult; --')"));

    // Empty cells become empty texts; the employee table needs a name.
    SaveTable empty;
    QVERIFY(ResultDatabase::resultInsertStatement(empty).startsWith(
        QStringLiteral("INSERT INTO RULAResult VALUES ('','', '',  '',  '")));
    QVERIFY(!ResultDatabase::hasEmployeeDetails(empty));
    empty.setValue(88, QStringLiteral("4711"));
    QVERIFY(!ResultDatabase::hasEmployeeDetails(empty));
    empty.setValue(87, QStringLiteral(" "));
    QVERIFY(ResultDatabase::hasEmployeeDetails(empty));
}

void TestSaveResults::saveWritesLabelsAndOptionRows()
{
    QTemporaryDir dir;
    const SaveTable table = sampleTable();
    const QStringList connectionsBefore = QSqlDatabase::connectionNames();
    const SaveOutcome outcome = SaveResults(table, dir.path(), Stem);
    QVERIFY2(outcome.ok, qPrintable(outcome.error));
    QCOMPARE(QSqlDatabase::connectionNames(), connectionsBefore);

    QCOMPARE(table.label(0), SaveCell(QStringLiteral("Action Level - Left Arm")));
    QCOMPARE(table.label(21), SaveCell(QStringLiteral("Upper Right - Option 1")));
    QCOMPARE(table.label(86), SaveCell(QStringLiteral("Force Lower - Option 4")));
    QCOMPARE(table.label(91), SaveCell(QStringLiteral("RULA - Right Arm Score")));
    QCOMPARE(table.value(21), SaveCell(QStringLiteral("True")));
    QCOMPARE(table.value(22), SaveCell(QStringLiteral("False")));
    QCOMPARE(table.value(26), SaveCell(QStringLiteral("False")));
    QCOMPARE(table.value(59), SaveCell(QStringLiteral("True"))); // Neck option 5
    int selected = 0;
    for (int row = 21; row <= 86; ++row)
        selected += table.value(row) == SaveCell(QStringLiteral("True"));
    QCOMPARE(selected, 18);
    verifySaved(dir.path(), Stem, table);

    // Scores are stored as texts: "Neck Score" holds the text 3, not a number.
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("typeof"));
        db.setDatabaseName(resultDatabasePath(dir.path(), Stem));
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY(query.exec(QStringLiteral("SELECT typeof(\"Neck Score\"), \"Neck Score\" FROM RULAResult")));
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toString(), QStringLiteral("text"));
        QCOMPARE(query.value(1).toString(), QStringLiteral("3"));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("typeof"));
}

void TestSaveResults::employeeTextsSurviveBothFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("location");
    QTest::newRow("double quotes") << "Anna \"Nan\" Berg"
                                   << "\"7\""
                                   << "Hall \"B\"";
    QTest::newRow("101 apostrophes") << QString(101, QLatin1Char('\'')) << "'"
                                     << "x'y''z";
    QTest::newRow("one apostrophe left") << "O'Brien"
                                         << "47'11"
                                         << "Plant 2";
    QTest::newRow("5000 characters") << QString(5000, QLatin1Char('n')) << QString(5000, QLatin1Char('7'))
                                     << QString(5000, QChar(0x00E9));
    QTest::newRow("non-ASCII letters") << QStringLiteral("Zoë Ångström Łukasz 李小龍") << "Nº 12"
                                       << QStringLiteral("Čakovec — Werk Süd");
    QTest::newRow("only a name") << "Jane Doe"
                                 << ""
                                 << "";
    QTest::newRow("empty name") << ""
                                << "4711"
                                << "Plant 2";
    QTest::newRow("all empty") << ""
                               << ""
                               << "";
    QTest::newRow("SQL in the texts") << "x'); DROP TABLE RULAResult; --"
                                      << "1' OR '1'='1"
                                      << "--";
}

void TestSaveResults::employeeTextsSurviveBothFiles()
{
    QFETCH(QString, name);
    QFETCH(QString, id);
    QFETCH(QString, location);
    QTemporaryDir dir;
    SaveTable table = sampleTable();
    table.setValue(87, name);
    table.setValue(88, id);
    table.setValue(89, location);
    const SaveOutcome outcome = SaveResults(table, dir.path(), Stem);
    QVERIFY2(outcome.ok, qPrintable(outcome.error));
    QVERIFY(outcome.error.isEmpty());
    verifySaved(dir.path(), Stem, table);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

void TestSaveResults::emptyNameBoxStillSaves()
{
    QTemporaryDir dir;
    SaveTable table = sampleTable();
    const QString stem = QStringLiteral(" RULA Analysis");
    const SaveOutcome outcome = SaveResults(table, dir.path(), stem);
    QVERIFY2(outcome.ok, qPrintable(outcome.error));
    QVERIFY(QFileInfo::exists(dir.path() + QStringLiteral("/ RULA Analysis.txt")));
    QVERIFY(QFileInfo::exists(dir.path() + QStringLiteral("/ RULA Analysis.mdb")));
    verifySaved(dir.path(), stem, table);
}

void TestSaveResults::oldResultIsReplacedCompletely()
{
    QTemporaryDir dir;
    writeOldResult(dir.path(), Stem);
    writeFile(dir.filePath(QStringLiteral("Other RULA Analysis.txt")), "other\r\n");
    SaveTable table = sampleTable();
    const SaveOutcome outcome = SaveResults(table, dir.path(), Stem);
    QVERIFY2(outcome.ok, qPrintable(outcome.error));
    verifySaved(dir.path(), Stem, table); // one row, no table Extra, text file not longer than it should be
    QCOMPARE(readAll(dir.filePath(QStringLiteral("Other RULA Analysis.txt"))), QByteArray("other\r\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 3);

    // A second save over the first one.
    table.setValue(87, QStringLiteral("Second"));
    QVERIFY(SaveResults(table, dir.path(), Stem).ok);
    verifySaved(dir.path(), Stem, table);
}

void TestSaveResults::pathsAreJoinedAsGiven()
{
    QCOMPARE(resultTextPath(QStringLiteral("/data"), Stem), QStringLiteral("/data/Smith RULA Analysis.txt"));
    QCOMPARE(resultDatabasePath(QStringLiteral("/"), Stem), QStringLiteral("//Smith RULA Analysis.mdb"));

    QTemporaryDir dir;
    SaveTable table = sampleTable();
    const QString folder = dir.path() + QStringLiteral("/");
    const SaveOutcome outcome = SaveResults(table, folder, Stem);
    QVERIFY2(outcome.ok, qPrintable(outcome.error));
    verifySaved(dir.path(), Stem, table);
}

void TestSaveResults::newFilesGetOrdinaryPermissions()
{
    QTemporaryDir dir;
    SaveTable table = sampleTable();
    const mode_t oldMask = ::umask(022);
    const SaveOutcome outcome = SaveResults(table, dir.path(), Stem);
    ::umask(oldMask);
    QVERIFY2(outcome.ok, qPrintable(outcome.error));
    for (const QString& path : {resultTextPath(dir.path(), Stem), resultDatabasePath(dir.path(), Stem)}) {
        struct stat info;
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, mode_t(0644));
    }
}

void TestSaveResults::missingOrUnusableFolderIsReported()
{
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("plain.txt")), "plain");
    const auto before = snapshot(dir.path());
    SaveTable table = sampleTable();

    SaveOutcome outcome = SaveResults(table, dir.filePath(QStringLiteral("missing")), Stem);
    QVERIFY(!outcome.ok);
    QVERIFY2(outcome.error.contains(QLatin1String("No such file or directory")), qPrintable(outcome.error));
    QVERIFY(outcome.error.contains(dir.filePath(QStringLiteral("missing"))));

    // A folder path that runs through a regular file cannot be written by anyone, root included.
    outcome = SaveResults(table, dir.filePath(QStringLiteral("plain.txt/sub")), Stem);
    QVERIFY(!outcome.ok);
    QVERIFY2(outcome.error.contains(QLatin1String("Not a directory")), qPrintable(outcome.error));
    outcome = SaveResults(table, dir.filePath(QStringLiteral("plain.txt")), Stem);
    QVERIFY(!outcome.ok);
    QVERIFY2(outcome.error.contains(QLatin1String("Not a directory")), qPrintable(outcome.error));

    outcome = SaveResults(table, QString(), Stem);
    QVERIFY(!outcome.ok);
    QVERIFY(!outcome.error.isEmpty());

    // A NUL would cut the folder name short and save into its parent.
    outcome = SaveResults(table, dir.path() + QChar(0) + QStringLiteral("x"), Stem);
    QVERIFY(!outcome.ok);
    QVERIFY2(outcome.error.contains(QLatin1String("NUL")), qPrintable(outcome.error));
    QCOMPARE(snapshot(dir.path()), before);
}

void TestSaveResults::unwritableFolderKeepsOldFiles()
{
    // Root ignores permission bits, so the save runs in a child that has given up root
    // (or is not root in the first place).
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("results"));
    QVERIFY(QDir().mkdir(folder));
    writeOldResult(folder, Stem);
    QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0755) == 0);
    QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0555) == 0);
    const auto before = snapshot(folder);

    const ChildOutcome outcome = saveInChild(folder, Stem, sampleTable(), [] {
        if (::geteuid() != 0)
            return true; // the permission bits hold already
        return ::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0 && ::geteuid() == 65534;
    });
    ::chmod(QFile::encodeName(folder).constData(), 0755);
    if (!outcome.ran)
        QSKIP("This system does not let a child process give up root, so no folder is unwritable here");
    QVERIFY(!outcome.ok);
    QVERIFY2(outcome.error.contains(QLatin1String("Permission denied")), qPrintable(outcome.error));
    QCOMPARE(snapshot(folder), before);
}

void TestSaveResults::immutableFolderKeepsOldFiles()
{
    // A folder marked immutable refuses new names even to root.
    QTemporaryDir dir;
    writeOldResult(dir.path(), Stem);
    const auto before = snapshot(dir.path());
    if (!setImmutable(dir.path(), true))
        QSKIP("The file system here has no immutable flag");
    SaveTable table = sampleTable();
    const SaveOutcome outcome = SaveResults(table, dir.path(), Stem);
    QVERIFY(setImmutable(dir.path(), false));
    QVERIFY(!outcome.ok);
    QVERIFY2(outcome.error.contains(QLatin1String("Operation not permitted")), qPrintable(outcome.error));
    QCOMPARE(snapshot(dir.path()), before);
}

void TestSaveResults::fullDiskKeepsOldFiles()
{
    // A file-size limit in a child stands for a full disk: writes beyond it fail with EFBIG.
    // Limits from nothing to plenty hit every write of the database and of the text file.
    SaveTable table = sampleTable();
    table.setValue(87, QString(5000, QLatin1Char('n'))); // makes the text file the larger one
    QStringList failures;
    int saved = 0;
    for (const rlim_t limit :
         {rlim_t(0), rlim_t(1), rlim_t(100), rlim_t(4095), rlim_t(4096), rlim_t(8192), rlim_t(12288), rlim_t(16384),
          rlim_t(20480), rlim_t(24576), rlim_t(28672), rlim_t(32768), rlim_t(1 << 20)}) {
        QTemporaryDir dir;
        writeOldResult(dir.path(), Stem);
        const auto before = snapshot(dir.path());
        const ChildOutcome outcome = saveInChild(dir.path(), Stem, table, [limit] {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit size{limit, limit};
            return ::setrlimit(RLIMIT_FSIZE, &size) == 0;
        });
        QVERIFY(outcome.ran);
        if (outcome.ok) {
            ++saved;
            verifySaved(dir.path(), Stem, table);
        } else {
            failures << outcome.error;
            QVERIFY2(!outcome.error.isEmpty(), qPrintable(QString::number(limit)));
            QCOMPARE(snapshot(dir.path()), before);
        }
    }
    QVERIFY(saved >= 1);
    const auto mentions = [&failures](const char* text) {
        return std::any_of(failures.begin(), failures.end(),
                           [text](const QString& e) { return e.contains(QLatin1String(text)); });
    };
    QVERIFY2(mentions("Could not write the database file"), qPrintable(failures.join('\n')));
    QVERIFY2(mentions("Could not write the text file"), qPrintable(failures.join('\n')));
    QVERIFY2(mentions("File too large"), qPrintable(failures.join('\n')));
}

void TestSaveResults::fullFileSystemKeepsOldFiles()
{
    // A really full disk: a small memory file system, mounted in a child's own mount
    // namespace (gone with the child), holding an old result and a filler file that
    // leaves 0 to 48 KiB free. Every save there either completes or changes nothing.
    QTemporaryDir dir;
    const QString disk = dir.filePath(QStringLiteral("disk"));
    QVERIFY(QDir().mkdir(disk));
    const SaveTable table = sampleTable();
    QStringList failures;
    int saved = 0;
    for (int freeKiB = 0; freeKiB <= 48; freeKiB += 4) {
        const QByteArray report = runInChild([&]() -> QByteArray {
            const QByteArray point = QFile::encodeName(disk);
            if (::unshare(CLONE_NEWNS) != 0 || ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                ::mount("tmpfs", point.constData(), "tmpfs", 0, "size=128k") != 0)
                return "-";
            if (!createOldResult(disk, Stem))
                return "!the old result does not fit";
            struct statvfs space;
            if (::statvfs(point.constData(), &space) != 0)
                return "!statvfs";
            const qint64 available = qint64(space.f_bavail) * qint64(space.f_frsize);
            QFile filler(disk + QStringLiteral("/filler"));
            if (!filler.open(QIODevice::WriteOnly))
                return "!filler";
            filler.write(QByteArray(qMax<qint64>(0, available - freeKiB * 1024), 'f'));
            filler.close();
            const auto before = snapshot(disk);
            SaveTable copy = table;
            const SaveOutcome outcome = SaveResults(copy, disk, Stem);
            if (outcome.ok)
                return "1" + savedProblem(disk, Stem, copy).toUtf8();
            if (snapshot(disk) != before)
                return "!the folder changed after: " + outcome.error.toUtf8();
            return "0" + outcome.error.toUtf8();
        });
        if (report.startsWith('-'))
            QSKIP("No private mount namespace can be made here for a small file system");
        QVERIFY2(report.startsWith('0') || report == "1", report.constData());
        if (report.startsWith('1'))
            ++saved;
        else
            failures << QString::fromUtf8(report.mid(1));
    }
    QVERIFY(saved >= 1);
    QVERIFY(!failures.isEmpty());
    for (const QString& failure : failures) {
        QVERIFY2(failure.contains(QLatin1String("No space left on device")) ||
                     failure.contains(QLatin1String("database or disk is full")),
                 qPrintable(failure));
    }
}

void TestSaveResults::replacingIsAllOrNothing_data()
{
    QTest::addColumn<int>("fault");
    QTest::addColumn<bool>("oldFiles");
    QTest::addColumn<bool>("hardLinks");
    using F = Fault;
    for (bool links : {true, false}) {
        const char* fs = links ? "" : ", no hard links";
        QTest::addRow("before replacing, old files%s", fs) << int(F::BeforeReplacing) << true << links;
        QTest::addRow("between the renames, old files%s", fs) << int(F::BetweenReplacements) << true << links;
        QTest::addRow("between the renames, no old files%s", fs) << int(F::BetweenReplacements) << false << links;
        QTest::addRow("no fault, old files%s", fs) << int(F::None) << true << links;
    }
}

void TestSaveResults::replacingIsAllOrNothing()
{
    QFETCH(int, fault);
    QFETCH(bool, oldFiles);
    QFETCH(bool, hardLinks);
    QTemporaryDir dir;
    if (oldFiles)
        writeOldResult(dir.path(), Stem);
    const auto before = snapshot(dir.path());
    SaveTable table = sampleTable();
    FaultySteps steps(static_cast<Fault>(fault), !hardLinks);
    const SaveOutcome outcome = SaveResultsWithSteps(table, dir.path(), Stem, steps);
    if (fault == int(Fault::None)) {
        QVERIFY2(outcome.ok, qPrintable(outcome.error));
        verifySaved(dir.path(), Stem, table);
        return;
    }
    QVERIFY(!outcome.ok);
    QVERIFY2(outcome.error.contains(QLatin1String("Simulated failure")), qPrintable(outcome.error));
    QVERIFY(outcome.error.contains(resultTextPath(dir.path(), Stem)));
    QCOMPARE(snapshot(dir.path()), before);

    // The next save is not affected.
    QVERIFY(SaveResults(table, dir.path(), Stem).ok);
    verifySaved(dir.path(), Stem, table);
}

void TestSaveResults::failedRestoreSaysWhereTheOldFilesAre()
{
    QTemporaryDir dir;
    writeOldResult(dir.path(), Stem);
    const QByteArray oldText = readAll(resultTextPath(dir.path(), Stem));
    SaveTable table = sampleTable();
    FaultySteps steps(Fault::WhileRestoring);
    const SaveOutcome outcome = SaveResultsWithSteps(table, dir.path(), Stem, steps);
    QVERIFY(!outcome.ok);
    QVERIFY2(outcome.error.contains(QLatin1String("could not be put back")), qPrintable(outcome.error));
    // The text file was replaced before the fault; its old contents are kept and named.
    const QStringList kept = QDir(dir.path()).entryList({QStringLiteral(".talvo-*.kept")}, QDir::Files | QDir::Hidden);
    QCOMPARE(kept.size(), 1);
    QVERIFY(outcome.error.contains(kept.first()));
    QCOMPARE(readAll(dir.filePath(kept.first())), oldText);
    QCOMPARE(QDir(dir.path()).entryList({QStringLiteral(".talvo-*.tmp")}, QDir::Files | QDir::Hidden).size(), 0);
}

void TestSaveResults::folderNamedLikeTheResultFileIsRefused()
{
    for (const QString& suffix : {QStringLiteral(".txt"), QStringLiteral(".mdb")}) {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(Stem + suffix));
        writeFile(dir.filePath(Stem + suffix + QStringLiteral("/inside")), "kept");
        const auto before = snapshot(dir.path());
        QVERIFY(!resultFileExists(dir.filePath(Stem + suffix)));
        SaveTable table = sampleTable();
        const SaveOutcome outcome = SaveResults(table, dir.path(), Stem);
        QVERIFY(!outcome.ok);
        QVERIFY2(outcome.error.contains(QLatin1String("is not a file")), qPrintable(outcome.error));
        QCOMPARE(snapshot(dir.path()), before);
        QCOMPARE(readAll(dir.filePath(Stem + suffix + QStringLiteral("/inside"))), QByteArray("kept"));
    }
}

void TestSaveResults::unsafeStemsAreRefusedBeforeAnythingIsTouched_data()
{
    QTest::addColumn<QString>("stem");
    QTest::newRow("slash") << "sub/x RULA Analysis";
    QTest::newRow("climbing out") << "../x RULA Analysis";
    QTest::newRow("backslash") << "sub\\x RULA Analysis";
    QTest::newRow("NUL") << QStringLiteral("a") + QChar(0) + QStringLiteral("b RULA Analysis");
    QTest::newRow("tab") << "a\tb RULA Analysis";
    QTest::newRow("line feed") << "a\nb RULA Analysis";
    QTest::newRow("DEL") << "a\x7f RULA Analysis";
    QTest::newRow("dot") << ".";
    QTest::newRow("dot dot") << "..";
    QTest::newRow("empty") << "";
    QTest::newRow("too long") << QString(300, QLatin1Char('a')) + QStringLiteral(" RULA Analysis");
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) + QStringLiteral(" RULA Analysis");
}

void TestSaveResults::unsafeStemsAreRefusedBeforeAnythingIsTouched()
{
    QFETCH(QString, stem);
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("chosen"));
    QVERIFY(QDir().mkpath(folder + QStringLiteral("/sub")));
    writeOldResult(folder + QStringLiteral("/sub"), QStringLiteral("x RULA Analysis"));
    const auto outside = snapshot(dir.path());
    const auto inside = snapshot(folder);
    const auto sub = snapshot(folder + QStringLiteral("/sub"));
    const SaveTable table = sampleTable();
    QVERIFY(!unsafeStemReason(stem).isEmpty());
    const SaveOutcome outcome = SaveResults(table, folder, stem);
    QVERIFY(!outcome.ok);
    QCOMPARE(outcome.error, unsafeStemReason(stem));
    QCOMPARE(snapshot(dir.path()), outside);
    QCOMPARE(snapshot(folder), inside);
    QCOMPARE(snapshot(folder + QStringLiteral("/sub")), sub);

    QVERIFY(unsafeStemReason(QStringLiteral(" RULA Analysis")).isEmpty());
    QVERIFY(unsafeStemReason(QStringLiteral("...x RULA Analysis")).isEmpty());
    QVERIFY(unsafeStemReason(QStringLiteral("Zoë: *? RULA Analysis")).isEmpty());
}

void TestSaveResults::existenceTestCountsOnlyPlainFiles()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("a RULA Analysis.txt"));
    QVERIFY(!resultFileExists(file));
    writeFile(file, "");
    QVERIFY(resultFileExists(file));
    QVERIFY(!resultFileExists(dir.filePath(QStringLiteral("A RULA Analysis.txt")))); // exact name only
    QVERIFY(!resultFileExists(dir.filePath(QStringLiteral("* RULA Analysis.txt")))); // no patterns
    QVERIFY(!resultFileExists(dir.filePath(QStringLiteral("a RULA Analysis.txt/"))));
    QVERIFY(!resultFileExists(dir.path()));

    QVERIFY(QFile::link(file, dir.filePath(QStringLiteral("link.txt"))));
    QVERIFY(resultFileExists(dir.filePath(QStringLiteral("link.txt"))));
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("gone")), dir.filePath(QStringLiteral("dangling.txt"))));
    QVERIFY(!resultFileExists(dir.filePath(QStringLiteral("dangling.txt"))));

    // Linux has no hidden attribute: a dot name is the file the save would replace, so it counts.
    writeFile(dir.filePath(QStringLiteral(".x RULA Analysis.txt")), "");
    QVERIFY(resultFileExists(dir.filePath(QStringLiteral(".x RULA Analysis.txt"))));

    // A save over a link replaces the link, never the file it points to.
    writeFile(file, "target");
    SaveTable table = sampleTable();
    QVERIFY(SaveResults(table, dir.path(), QStringLiteral("link")).ok);
    QVERIFY(!QFileInfo(dir.filePath(QStringLiteral("link.txt"))).isSymLink());
    QCOMPARE(readAll(file), QByteArray("target"));
}

QTEST_GUILESS_MAIN(TestSaveResults)
#include "tst_saveresults.moc"
