// SPDX-License-Identifier: GPL-3.0-or-later
// "Play Video" starts "mplayer2.exe" the way the desktop finds a bare program name: the
// program's own folder first, then the search path; it does not wait for the player, and
// says so when the player cannot be started.
#include "ProgramFolder.h"
#include "ProgramLauncher.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestLauncher : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void searchOrder();
    void startsWithoutArgumentsAndWithoutWaiting();
    void failureMessage_data();
    void failureMessage();
    void everyPressStartsThePlayer();
    void realFolderHoldsOurPlayer();

private:
    // Writes a stand-in player into `folder`: it records that it ran, with how many
    // arguments, into `marker`, then waits until `release` exists.
    QString writeStandIn(const QString& folder, const QString& marker, bool executable = true);

    QTemporaryDir m_dir;
    QString m_program, m_path1, m_path2;
    QString m_release; // created when a test ends, so that its stand-ins end too
    int m_run = 0;
    QStringList m_messages;
};

QString TestLauncher::writeStandIn(const QString& folder, const QString& marker, bool executable)
{
    const QString path = QDir(folder).filePath(QString::fromLatin1(ProgramLauncher::MediaPlayer));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    // It lets go of the test's output at once, and gives up waiting after 20 seconds.
    file.write(QStringLiteral("#!/bin/sh\nexec >/dev/null 2>&1 </dev/null\n"
                              "echo \"$#\" > '%1.tmp' && mv '%1.tmp' '%1'\n"
                              "n=0; while [ ! -e '%2' ] && [ $n -lt 400 ]; do sleep 0.05; n=$((n+1)); done\n"
                              "touch '%1.done'\n")
                   .arg(marker, m_release)
                   .toLocal8Bit());
    file.close();
    QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner;
    if (executable)
        permissions |= QFile::ExeOwner;
    file.setPermissions(permissions);
    return path;
}

void TestLauncher::init()
{
    QVERIFY(m_dir.isValid());
    for (const QString& name : QDir(m_dir.path()).entryList({QStringLiteral("ran*")}, QDir::Files))
        QFile::remove(m_dir.filePath(name));
    m_release = m_dir.filePath(QStringLiteral("release%1").arg(++m_run));
    m_program = m_dir.filePath(QStringLiteral("program"));
    m_path1 = m_dir.filePath(QStringLiteral("bin1"));
    m_path2 = m_dir.filePath(QStringLiteral("bin2"));
    for (const QString& folder : {m_program, m_path1, m_path2}) {
        QDir(folder).removeRecursively();
        QVERIFY(QDir().mkpath(folder));
    }
    ProgramFolder::setPath(m_program);
    ProgramLauncher::setSearchPath(m_path1 + QDir::listSeparator() + m_path2);
    m_messages.clear();
}

void TestLauncher::cleanup()
{
    // Let every stand-in that is still waiting finish.
    QFile release(m_release);
    QVERIFY(release.open(QIODevice::WriteOnly));
    release.close();
    // ... and wait until they have.
    for (const QString& name : QDir(m_dir.path()).entryList({QStringLiteral("ran*")}, QDir::Files)) {
        if (!name.endsWith(QLatin1String(".done")))
            QTRY_VERIFY(QFile::exists(m_dir.filePath(name + QStringLiteral(".done"))));
    }
    ProgramFolder::setPath(QString());
    ProgramLauncher::setSearchPath(std::nullopt);
    ProgramLauncher::setStarter({});
}

void TestLauncher::searchOrder()
{
    const auto report = [this](const QString& text) { m_messages << text; };
    const QString inProgram = m_dir.filePath(QStringLiteral("ran-program"));
    const QString inPath2 = m_dir.filePath(QStringLiteral("ran-path2"));
    const QString programPlayer = writeStandIn(m_program, inProgram);
    const QString pathPlayer = writeStandIn(m_path2, inPath2);

    // The program's folder comes before the search path.
    QCOMPARE(ProgramLauncher::find(QStringLiteral("mplayer2.exe")), programPlayer);
    QVERIFY(ProgramLauncher::startMediaPlayer(report));
    QTRY_VERIFY(QFile::exists(inProgram));
    QVERIFY(!QFile::exists(inPath2));

    // Without it, the first folder of the search path that has the player; a file of that
    // name that cannot be run is passed over.
    QVERIFY(QFile::remove(programPlayer));
    writeStandIn(m_path1, m_dir.filePath(QStringLiteral("ran-path1")), false);
    QCOMPARE(ProgramLauncher::find(QStringLiteral("mplayer2.exe")), pathPlayer);
    QVERIFY(ProgramLauncher::startMediaPlayer(report));
    QTRY_VERIFY(QFile::exists(inPath2));
    QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("ran-path1"))));
    QVERIFY(m_messages.isEmpty());

    // The bare name is looked up exactly: a folder of that name is no program.
    QVERIFY(QFile::remove(pathPlayer));
    QVERIFY(QDir(m_path2).mkdir(QStringLiteral("mplayer2.exe")));
    QCOMPARE(ProgramLauncher::find(QStringLiteral("mplayer2.exe")), QString());
}

void TestLauncher::startsWithoutArgumentsAndWithoutWaiting()
{
    const QString marker = m_dir.filePath(QStringLiteral("ran"));
    writeStandIn(m_program, marker);
    QVERIFY(ProgramLauncher::startMediaPlayer([this](const QString& text) { m_messages << text; }));
    // The stand-in is still waiting for its release, yet start() has returned.
    QTRY_VERIFY(QFile::exists(marker));
    QFile file(marker);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll().trimmed(), QByteArray("0"));
    QVERIFY(m_messages.isEmpty());
}

void TestLauncher::failureMessage_data()
{
    QTest::addColumn<bool>("present");
    QTest::newRow("not in any folder") << false;
    QTest::newRow("found but cannot be started") << true;
}

void TestLauncher::failureMessage()
{
    QFETCH(bool, present);
    if (present) {
        writeStandIn(m_path2, m_dir.filePath(QStringLiteral("ran")));
        ProgramLauncher::setStarter([](const QString&) { return false; });
    }
    QVERIFY(!ProgramLauncher::startMediaPlayer([this](const QString& text) { m_messages << text; }));
    QCOMPARE(m_messages, QStringList{QStringLiteral("The media player \"mplayer2.exe\" could not be started.")});
}

void TestLauncher::everyPressStartsThePlayer()
{
    writeStandIn(m_program, m_dir.filePath(QStringLiteral("ran")));
    QStringList started;
    ProgramLauncher::setStarter([&](const QString& path) {
        started << path;
        return true;
    });
    QVERIFY(ProgramLauncher::startMediaPlayer({}));
    QVERIFY(ProgramLauncher::startMediaPlayer({}));
    const QString expected = QDir(m_program).filePath(QStringLiteral("mplayer2.exe"));
    QCOMPARE(started, (QStringList{expected, expected}));
}

void TestLauncher::realFolderHoldsOurPlayer()
{
    // In the build folder, the player found first is the one built beside the program,
    // whatever the search path holds.
    ProgramFolder::setPath(QString());
    ProgramLauncher::setSearchPath(std::nullopt);
    QCOMPARE(ProgramLauncher::find(QStringLiteral("mplayer2.exe")),
             QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("mplayer2.exe")));
}

QTEST_MAIN(TestLauncher)
#include "tst_launcher.moc"
