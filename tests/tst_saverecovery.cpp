// SPDX-License-Identifier: GPL-3.0-or-later
// A save stopped at any moment (between every two of its steps, or by a real kill of a
// process saving in a loop) is repaired by the next run that touches the folder: the result
// files (two, or three with the evidence file) are all old or all new, byte for byte, and no
// hidden file is left.
#include "DurableFiles.h"
#include "Evidence.h"
#include "InterruptedSaves.h"
#include "OutputFiles.h"
#include "PairReplacement.h"
#include "ResultDatabase.h"
#include "ResultTextFile.h"
#include "SaveResults.h"
#include "SaveStepsWithoutLinks.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using DurableFiles::Step;
const QString Stem = QStringLiteral("Lee RULA Analysis");

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// An assessment; `variant` changes the employee and one option, so that two saves differ.
rula::AssessmentState assessment(int variant)
{
    rula::AssessmentState state;
    for (int option : {0, 9, 16, 19, 22, 26, 29, 34, 37, 43, 49, 51, 54, 56, 58, 61, 63})
        state.SelectOption(option);
    if (variant == 1)
        state.SelectOption(1);
    return state;
}

SaveTable table(int variant)
{
    SaveTable t;
    t.setValue(SaveTable::EmployeeName,
               variant == 0 ? QStringLiteral("Ann Lee") : QStringLiteral("Bo Lee, night shift"));
    t.setValue(SaveTable::EmployeeId, QStringLiteral("47%1").arg(variant));
    t.setValue(SaveTable::EmployeeLocation, QStringLiteral("Bay 7"));
    t.WriteLabels();
    t.WriteOptionRows(assessment(variant));
    return t;
}

QString evidencePath(const QString& folder)
{
    return OutputFiles::evidencePath(resultTextPath(folder, Stem));
}

// The evidence file of each assessment as the program's own writer makes it: it names the
// text file it belongs to by its SHA-256.
ResultFileWriter realEvidenceWriter(int variant)
{
    return [variant](const QString& path) {
        Evidence evidence;
        evidence.assessmentId = QStringLiteral("kill-loop");
        evidence.revision = 1;
        evidence.textSha256 = sha256Hex(ResultTextFile::contents(table(variant)));
        evidence.details.phase = QStringLiteral("Baseline");
        evidence.details.task = QStringLiteral("variant %1").arg(variant);
        evidence.history.push_back({1, QDateTime(QDate(2026, 12, 7), QTime(12, 0), Qt::UTC), QStringLiteral("K"),
                                    QStringLiteral("2.0"), QStringLiteral("First save.")});
        return writeEvidence(path, evidence);
    };
}

// An evidence file as a writer makes it: the engine's header, then bytes of each assessment.
ResultFileWriter evidenceWriter(int variant)
{
    return [variant](const QString& path) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return file.errorString();
        file.write(QByteArrayLiteral("SQLite format 3\0") + QByteArray(3000, char('a' + variant)));
        return QString();
    };
}

struct Pair
{
    QByteArray text;
    QByteArray database;
    QByteArray evidence; // empty when there is none
    bool operator==(const Pair& other) const
    {
        return text == other.text && database == other.database && evidence == other.evidence;
    }
};

Pair pairIn(const QString& folder)
{
    return {readAll(resultTextPath(folder, Stem)), readAll(resultDatabasePath(folder, Stem)),
            readAll(evidencePath(folder))};
}

// The files each assessment saves as, made once in a folder of their own.
Pair referencePair(int variant, bool evidence)
{
    QTemporaryDir dir;
    SaveTable t = table(variant);
    DurableFiles::SaveSteps plain;
    const SaveOutcome outcome =
        SaveResultsWithSteps(t, dir.path(), Stem, plain, evidence ? evidenceWriter(variant) : ResultFileWriter());
    if (!outcome.ok)
        qFatal("reference save failed: %s", qPrintable(outcome.error));
    return pairIn(dir.path());
}

void writePair(const QString& folder, const Pair& pair)
{
    writeFile(resultTextPath(folder, Stem), pair.text);
    writeFile(resultDatabasePath(folder, Stem), pair.database);
    if (!pair.evidence.isEmpty())
        writeFile(evidencePath(folder), pair.evidence);
}

// The hidden files left once this program's saves have removed their old files.
QStringList hiddenFiles(const QString& folder)
{
    PairReplacement::waitForOldFilesRemoved();
    return QDir(folder).entryList({QStringLiteral(".talvo-*")}, QDir::Files | QDir::Hidden | QDir::System);
}

QStringList allNames(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// Stops the process at the n-th point of a save, as a kill would.
class StopAt : public SaveStepsWithoutLinks
{
public:
    StopAt(Step step, bool noHardLinks) : SaveStepsWithoutLinks(noHardLinks), m_step(step) {}
    QString reached(Step step) override
    {
        if (step == m_step)
            ::_exit(3);
        return {};
    }

private:
    Step m_step;
};

// Makes the save fail at one point, as a failing disk would.
class FailAt : public DurableFiles::SaveSteps
{
public:
    explicit FailAt(Step step, bool failRestoring = false) : m_step(step), m_failRestoring(failRestoring) {}
    QString reached(Step step) override
    {
        if (step == m_step || (m_failRestoring && step == Step::Restoring))
            return QStringLiteral("Simulated failure");
        return {};
    }

private:
    Step m_step;
    bool m_failRestoring;
};

// Runs a save in a child process that stops at `step`; true when it stopped there.
bool saveStoppingAt(const QString& folder, int variant, Step step, bool noHardLinks, bool evidence = false)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        StopAt steps(step, noHardLinks);
        SaveTable t = table(variant);
        const SaveOutcome outcome =
            SaveResultsWithSteps(t, folder, Stem, steps, evidence ? evidenceWriter(variant) : ResultFileWriter());
        ::_exit(outcome.ok ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 3;
}

const Step SaveSteps[] = {Step::IntentWritten,  Step::TextWritten,  Step::DatabaseCreated, Step::DatabaseWritten,
                          Step::DatabaseSynced, Step::OldFilesKept, Step::ReadyMarked,     Step::FirstReplaced,
                          Step::AllReplaced,    Step::FolderSynced, Step::Succeeded};

const char* stepName(Step step)
{
    static const char* names[] = {"intent written",  "text written",   "database created", "database written",
                                  "database synced", "old files kept", "ready marked",     "first replaced",
                                  "all replaced",    "folder synced",  "succeeded",        "restoring"};
    return names[int(step)];
}

} // namespace

class TestSaveRecovery : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void stopBetweenAnyTwoStepsIsRepaired_data();
    void stopBetweenAnyTwoStepsIsRepaired();
    void failureAtAnyStepKeepsTheOldPair_data();
    void failureAtAnyStepKeepsTheOldPair();
    void failedEvidenceFileKeepsTheOldFiles();
    void failedRestoreIsRepairedByTheNextRun();
    void killedSaveLoopIsAlwaysRepaired();
    void killedEvidenceSaveKeepsItsTextFile();
    void onlyOwnFilesAreRemoved();
    void runningSaveIsLeftAlone();
    void oldFilesAreGoneWhenTheProgramEnds();

private:
    Pair m_old;
    Pair m_new;
    Pair m_oldThree; // with the evidence file
    Pair m_newThree;
};

void TestSaveRecovery::initTestCase()
{
    m_old = referencePair(0, false);
    m_new = referencePair(1, false);
    m_oldThree = referencePair(0, true);
    m_newThree = referencePair(1, true);
    QVERIFY(!(m_old == m_new));
    QVERIFY(!m_old.database.isEmpty());
    QVERIFY(m_old.evidence.isEmpty());
    QVERIFY(m_oldThree.evidence.startsWith(QByteArrayLiteral("SQLite format 3\0")));
    QCOMPARE(m_newThree.text, m_new.text);
    // Two saves of one assessment are the same bytes, so pairs compare byte for byte.
    QVERIFY(referencePair(1, false) == m_new);
}

void TestSaveRecovery::stopBetweenAnyTwoStepsIsRepaired_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<bool>("oldFiles");
    QTest::addColumn<bool>("noHardLinks");
    QTest::addColumn<bool>("expectNew");
    QTest::addColumn<bool>("evidence");
    for (const Step step : SaveSteps) {
        // From the moment the intent says "replacing", the repair completes the save.
        const bool completes = int(step) >= int(Step::ReadyMarked);
        for (bool oldFiles : {true, false}) {
            for (bool noLinks : {false, true}) {
                for (bool evidence : {false, true}) {
                    QTest::addRow("%s, %s%s%s", stepName(step), oldFiles ? "old files" : "no old files",
                                  noLinks ? ", no hard links" : "", evidence ? ", evidence" : "")
                        << int(step) << oldFiles << noLinks << completes << evidence;
                }
            }
        }
    }
}

void TestSaveRecovery::stopBetweenAnyTwoStepsIsRepaired()
{
    QFETCH(int, step);
    QFETCH(bool, oldFiles);
    QFETCH(bool, noHardLinks);
    QFETCH(bool, expectNew);
    QFETCH(bool, evidence);
    const Pair& oldFilesSaved = evidence ? m_oldThree : m_old;
    const Pair& newFilesSaved = evidence ? m_newThree : m_new;
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("notes.txt")), "the assessor's own file");
    if (oldFiles)
        writePair(dir.path(), oldFilesSaved);
    QVERIFY(saveStoppingAt(dir.path(), 1, Step(step), noHardLinks, evidence));
    if (int(step) < int(Step::Succeeded))
        QVERIFY(!hiddenFiles(dir.path()).isEmpty()); // the stop left something to repair

    QCOMPARE(RecoverInterruptedSaves(dir.path()), QString());
    QCOMPARE(hiddenFiles(dir.path()), QStringList());
    if (expectNew)
        QVERIFY(pairIn(dir.path()) == newFilesSaved);
    else if (oldFiles)
        QVERIFY(pairIn(dir.path()) == oldFilesSaved);
    else
        QCOMPARE(allNames(dir.path()), QStringList{QStringLiteral("notes.txt")});
    QCOMPARE(readAll(dir.filePath(QStringLiteral("notes.txt"))), QByteArray("the assessor's own file"));

    // A repair is idempotent, and the next save works.
    QCOMPARE(RecoverInterruptedSaves(dir.path()), QString());
    SaveTable t = table(1);
    DurableFiles::SaveSteps plain;
    QVERIFY(SaveResultsWithSteps(t, dir.path(), Stem, plain, evidence ? evidenceWriter(1) : ResultFileWriter()).ok);
    QVERIFY(pairIn(dir.path()) == newFilesSaved);
    QCOMPARE(hiddenFiles(dir.path()), QStringList());
}

void TestSaveRecovery::failureAtAnyStepKeepsTheOldPair_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<bool>("evidence");
    for (const Step step : SaveSteps) {
        if (step == Step::Succeeded) // by then the save has succeeded
            continue;
        for (bool evidence : {false, true})
            QTest::addRow("%s%s", stepName(step), evidence ? ", evidence" : "") << int(step) << evidence;
    }
}

void TestSaveRecovery::failureAtAnyStepKeepsTheOldPair()
{
    QFETCH(int, step);
    QFETCH(bool, evidence);
    const Pair& oldFiles = evidence ? m_oldThree : m_old;
    QTemporaryDir dir;
    writePair(dir.path(), oldFiles);
    const QStringList before = allNames(dir.path());
    FailAt steps{Step(step)};
    SaveTable t = table(1);
    // The evidence file is written on another core, here slowly enough to be still under way
    // when the failure comes; nothing of it may be left behind.
    const ResultFileWriter writer = [](const QString& path) {
        QThread::msleep(40);
        return evidenceWriter(1)(path);
    };
    const SaveOutcome outcome =
        SaveResultsWithSteps(t, dir.path(), Stem, steps, evidence ? writer : ResultFileWriter());
    QVERIFY(!outcome.ok);
    QVERIFY2(outcome.error.contains(QLatin1String("Simulated failure")), qPrintable(outcome.error));
    QVERIFY(pairIn(dir.path()) == oldFiles);
    QCOMPARE(allNames(dir.path()), before);
}

void TestSaveRecovery::failedEvidenceFileKeepsTheOldFiles()
{
    QTemporaryDir dir;
    writePair(dir.path(), m_oldThree);
    const QStringList before = allNames(dir.path());
    SaveTable t = table(1);
    DurableFiles::SaveSteps plain;
    const SaveOutcome outcome = SaveResultsWithSteps(t, dir.path(), Stem, plain,
                                                     [](const QString&) { return QStringLiteral("the disk is full"); });
    QVERIFY(!outcome.ok);
    QCOMPARE(outcome.error, QStringLiteral("Could not write the evidence file \"%1\": the disk is full")
                                .arg(OutputFiles::evidencePath(resultTextPath(dir.path(), Stem))));
    QVERIFY(pairIn(dir.path()) == m_oldThree);
    QCOMPARE(allNames(dir.path()), before);
}

void TestSaveRecovery::failedRestoreIsRepairedByTheNextRun()
{
    // The second rename fails and so does putting the first old file back: the save says
    // where the old file is; the next run puts it back.
    QTemporaryDir dir;
    writeFile(resultTextPath(dir.path(), Stem), m_old.text);
    writeFile(resultDatabasePath(dir.path(), Stem), m_old.database);
    FailAt steps(Step::FirstReplaced, true);
    SaveTable t = table(1);
    const SaveOutcome outcome = SaveResultsWithSteps(t, dir.path(), Stem, steps);
    QVERIFY(!outcome.ok);
    QVERIFY2(outcome.error.contains(QLatin1String("could not be put back")), qPrintable(outcome.error));
    QCOMPARE(readAll(resultTextPath(dir.path(), Stem)), m_new.text); // mixed until repaired

    QCOMPARE(RecoverInterruptedSaves(dir.path()), QString());
    QVERIFY(pairIn(dir.path()) == m_old);
    QCOMPARE(hiddenFiles(dir.path()), QStringList());
}

void TestSaveRecovery::killedSaveLoopIsAlwaysRepaired()
{
    // Two children save the two assessments (three files each, with the evidence file) in
    // turn, for ever, at the same time; both are killed at random moments, the folder
    // repaired and checked, and the next children go on from there.
    QTemporaryDir dir;
    writePair(dir.path(), m_oldThree);
    QRandomGenerator random(20261207);
    QElapsedTimer clock;
    clock.start();
    int held = 0; // the assessment the folder holds
    int kills = 0;
    int interrupted = 0;
    int completedByRepair = 0;
    int changes = 0;
    while (kills < 400 && clock.elapsed() < 15000) {
        pid_t savers[2];
        for (pid_t& pid : savers) {
            pid = ::fork();
            if (pid == 0) {
                DurableFiles::SaveSteps plain;
                for (int variant = 1 - held;; variant = 1 - variant) {
                    SaveTable t = table(variant);
                    const SaveOutcome outcome =
                        SaveResultsWithSteps(t, dir.path(), Stem, plain, evidenceWriter(variant));
                    if (!outcome.ok) {
                        qWarning("save failed: %s", qPrintable(outcome.error));
                        ::_exit(1);
                    }
                }
            }
            QVERIFY(pid > 0);
        }
        for (const pid_t pid : savers) {
            ::usleep(static_cast<useconds_t>(random.bounded(1000, 20000)));
            QCOMPARE(::kill(pid, SIGKILL), 0);
            int status = 0;
            QCOMPARE(::waitpid(pid, &status, 0), pid);
            QVERIFY2(WIFSIGNALED(status), "a saving child ended by itself: a save failed");
            ++kills;
        }
        const QStringList hidden = hiddenFiles(dir.path());
        if (!hidden.isEmpty())
            ++interrupted;
        for (const QString& name : hidden) {
            if (name.endsWith(QLatin1String(".intent")) && readAll(dir.filePath(name)).contains("\nstate F"))
                ++completedByRepair; // killed while the files were being renamed
        }

        QCOMPARE(RecoverInterruptedSaves(dir.path()), QString());
        const QStringList left = hiddenFiles(dir.path());
        QVERIFY2(left.isEmpty(), qPrintable(left.join(QLatin1Char(' ')) + QStringLiteral(" after kill %1").arg(kills)));
        const Pair pair = pairIn(dir.path());
        QVERIFY2(pair == m_oldThree || pair == m_newThree,
                 qPrintable(QStringLiteral("mixed files after kill %1").arg(kills)));
        const int now = pair == m_newThree ? 1 : 0;
        if (now != held)
            ++changes;
        held = now;
        QCOMPARE(allNames(dir.path()), QStringList({Stem + QStringLiteral(".mdb"), Stem + QStringLiteral(".txt"),
                                                    QFileInfo(evidencePath(dir.path())).fileName()}));
    }
    qInfo("%d kills: %d folders in the middle of a save, %d while renaming (completed by the repair), %d changed "
          "the files",
          kills, interrupted, completedByRepair, changes);
    QVERIFY(kills >= 50);
    QVERIFY(interrupted >= kills / 8); // the kills did land inside saves
    QVERIFY(completedByRepair > 0);
    QVERIFY(changes > 0);
}

void TestSaveRecovery::killedEvidenceSaveKeepsItsTextFile()
{
    // One child at a time saves the two assessments in turn with real evidence files and is
    // killed at a random moment; after the repair the evidence reader accepts the evidence as
    // that of the text file beside it.
    QTemporaryDir dir;
    DurableFiles::SaveSteps plain;
    SaveTable first = table(0);
    QVERIFY(SaveResultsWithSteps(first, dir.path(), Stem, plain, realEvidenceWriter(0)).ok);
    QRandomGenerator random(20261208);
    std::set<QString> seen;
    for (int kill = 0; kill < 150; ++kill) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            for (int variant = kill % 2;; variant = 1 - variant) {
                SaveTable t = table(variant);
                if (!SaveResultsWithSteps(t, dir.path(), Stem, plain, realEvidenceWriter(variant)).ok)
                    ::_exit(1);
            }
        }
        QVERIFY(pid > 0);
        ::usleep(static_cast<useconds_t>(random.bounded(2000, 40000)));
        QCOMPARE(::kill(pid, SIGKILL), 0);
        int status = 0;
        QCOMPARE(::waitpid(pid, &status, 0), pid);
        QVERIFY2(WIFSIGNALED(status), "the saving child ended by itself: a save failed");
        QCOMPARE(RecoverInterruptedSaves(dir.path()), QString());
        QCOMPARE(hiddenFiles(dir.path()), QStringList());
        const QByteArray text = readAll(resultTextPath(dir.path(), Stem));
        const EvidenceReading reading = readEvidence(evidencePath(dir.path()), sha256Hex(text));
        QVERIFY2(reading.ok, qPrintable(reading.error + QStringLiteral(" after kill %1").arg(kill)));
        seen.insert(reading.evidence.details.task);
    }
    QCOMPARE(seen.size(), std::size_t(2)); // both assessments were saved in turn
}

void TestSaveRecovery::onlyOwnFilesAreRemoved()
{
    QTemporaryDir dir;
    const auto put = [&dir](const char* name, const QByteArray& bytes) {
        writeFile(dir.filePath(QString::fromLatin1(name)), bytes);
    };
    // Left by an earlier program: the start of a result text file, an empty new file, the
    // start of a database. They hold the employee's data and go.
    put(".talvo-0123456789ab.txt", m_new.text.left(50));
    put(".talvo-0123456789ac.mdb", {});
    put(".talvo-0123456789ad.mdb", m_new.database.left(100));
    put(".talvo-0123456789a0.intent", {}); // a save killed before it wrote its intent
    // The assessor's own files, some named like ours: they stay.
    const QMap<QString, QByteArray> own = {
        {QStringLiteral(".talvo-0123456789ae.txt"), "my own notes"},
        {QStringLiteral(".talvo-0123456789af.mdb"), "not a database"},
        {QStringLiteral(".talvo-0123456789b0.kept"), m_old.text}, // an old result someone was told about
        {QStringLiteral(".talvo-notes.txt"), m_new.text.left(50)},
        {QStringLiteral(".talvo-0123456789b1.intent"), "TALVO RULA replacing two files 1\nstate U0\nbroken\n"},
        {QStringLiteral("x.talvo-0123456789b2.txt"), m_new.text.left(50)},
    };
    for (auto it = own.begin(); it != own.end(); ++it)
        writeFile(dir.filePath(it.key()), it.value());
    // A link named like a new file is not followed or removed.
    QVERIFY(QFile::link(dir.filePath(QStringLiteral(".talvo-notes.txt")),
                        dir.filePath(QStringLiteral(".talvo-0123456789b3.txt"))));

    // An intent whose names were altered (the check no longer matches) is not carried out.
    {
        QTemporaryDir other;
        writeFile(resultTextPath(other.path(), Stem), m_old.text);
        QVERIFY(saveStoppingAt(other.path(), 1, Step::DatabaseSynced, false));
        const QStringList intents =
            QDir(other.path()).entryList({QStringLiteral("*.intent")}, QDir::Hidden | QDir::Files);
        QCOMPARE(intents.size(), 1);
        QByteArray bytes = readAll(other.filePath(intents.first()));
        const qsizetype pair = bytes.indexOf("file 1 ");
        QVERIFY(pair > 0);
        bytes[pair + 5] = '0';
        writeFile(dir.filePath(QStringLiteral(".talvo-0123456789b4.intent")), bytes);
    }

    QCOMPARE(RecoverInterruptedSaves(dir.path()), QString());
    QStringList expected = own.keys();
    expected << QStringLiteral(".talvo-0123456789b3.txt") << QStringLiteral(".talvo-0123456789b4.intent");
    expected.sort();
    QCOMPARE(allNames(dir.path()), expected);
    for (auto it = own.begin(); it != own.end(); ++it)
        QCOMPARE(readAll(dir.filePath(it.key())), it.value());
}

void TestSaveRecovery::runningSaveIsLeftAlone()
{
    // A save in progress (its intent locked, its new text file written) is not a leftover.
    QTemporaryDir dir;
    writeFile(resultTextPath(dir.path(), Stem), m_old.text);
    writeFile(resultDatabasePath(dir.path(), Stem), m_old.database);
    DurableFiles::SaveSteps plain;
    PairReplacement running;
    QCOMPARE(running.begin(dir.path(), {resultTextPath(dir.path(), Stem), resultDatabasePath(dir.path(), Stem)}, plain),
             QString());
    QCOMPARE(DurableFiles::writeNewFileAs(running.temporary(0), m_new.text, true), QString());
    QCOMPARE(DurableFiles::writeNewFileAs(running.temporary(1), m_new.database, true), QString());
    const QStringList before = allNames(dir.path());
    QCOMPARE(hiddenFiles(dir.path()).size(), 3);
    QCOMPARE(RecoverInterruptedSaves(dir.path()), QString());
    QCOMPARE(allNames(dir.path()), before);
    QCOMPARE(running.replace(), QString());
    QVERIFY(pairIn(dir.path()) == m_new);
    QCOMPARE(hiddenFiles(dir.path()), QStringList());
}

void TestSaveRecovery::oldFilesAreGoneWhenTheProgramEnds()
{
    // The old files a save leaves to another core are removed before the program ends, however
    // soon after the save it ends.
    QTemporaryDir dir;
    writePair(dir.path(), m_oldThree);
    const pid_t pid = ::fork();
    if (pid == 0) {
        DurableFiles::SaveSteps plain;
        SaveTable t = table(1);
        const bool saved = SaveResultsWithSteps(t, dir.path(), Stem, plain, evidenceWriter(1)).ok;
        std::exit(saved ? 0 : 1);
    }
    int status = 0;
    QCOMPARE(::waitpid(pid, &status, 0), pid);
    QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    QCOMPARE(QDir(dir.path()).entryList({QStringLiteral(".talvo-*")}, QDir::Files | QDir::Hidden), QStringList());
    QVERIFY(pairIn(dir.path()) == m_newThree);
}

QTEST_GUILESS_MAIN(TestSaveRecovery)
#include "tst_saverecovery.moc"
