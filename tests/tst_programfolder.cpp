// SPDX-License-Identifier: GPL-3.0-or-later
// The program finds its help folders and media player from its own location: beside the
// executable (the build folder), else in ../lib/talvo-rula or ../share/talvo-rula.

#include "ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

namespace {

void makeFile(const QString& path)
{
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("<section id=\"contents\"><h1>Contents</h1></section>\n");
}

} // namespace

class ProgramFolderTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { ProgramFolder::setPath(QString()); }

    void foundFromTheExecutablesFolder_data()
    {
        QTest::addColumn<QStringList>("files"); // below the temporary root
        QTest::addColumn<QString>("expected");
        QTest::newRow("beside the executable")
            << QStringList{"bin/HelpFile/HELPFILE.HLP", "lib/talvo-rula/HelpFile/HELPFILE.HLP"} << "bin";
        QTest::newRow("player beside the executable") << QStringList{"bin/mplayer2.exe"} << "bin";
        QTest::newRow("installed under lib")
            << QStringList{"lib/talvo-rula/HelpFile/HELPFILE.HLP", "share/talvo-rula/HelpFile/HELPFILE.HLP"}
            << "lib/talvo-rula";
        QTest::newRow("installed under share") << QStringList{"share/talvo-rula/mplayer2.exe"} << "share/talvo-rula";
        QTest::newRow("nowhere: the executable's folder") << QStringList{"lib/other/HelpFile/HELPFILE.HLP"} << "bin";
    }

    void foundFromTheExecutablesFolder()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, expected);
        QTemporaryDir root;
        QVERIFY(root.isValid());
        QVERIFY(QDir(root.path()).mkpath(QStringLiteral("bin")));
        for (const QString& file : files)
            makeFile(root.filePath(file));
        QCOMPARE(ProgramFolder::locate(root.filePath(QStringLiteral("bin"))), QDir::cleanPath(root.filePath(expected)));
    }

    // The report names every file and ends with 0 only when all were found.
    void checkInstallationNamesWhatIsMissing()
    {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        ProgramFolder::setPath(root.path());
        makeFile(root.filePath(QStringLiteral("HelpFile/HELPFILE.HLP")));
        makeFile(root.filePath(QStringLiteral("Helpfile/helpfile.hlp")));
        QString report;
        QTextStream out(&report);
        QCOMPARE(ProgramFolder::checkInstallation(out), 1);
        QVERIFY2(report.contains(QStringLiteral("Help file \\Reduction Measures\\HELPFILE.HLP: missing")),
                 qPrintable(report));
        QVERIFY2(report.contains(QStringLiteral("Help file \\HelpFile\\HELPFILE.HLP: ") +
                                 root.filePath(QStringLiteral("HelpFile/HELPFILE.HLP"))),
                 qPrintable(report));

        makeFile(root.filePath(QStringLiteral("Reduction Measures/HELPFILE.HLP")));
        QFile player(root.filePath(QStringLiteral("mplayer2.exe")));
        QVERIFY(player.open(QIODevice::WriteOnly));
        player.close();
        QVERIFY(player.setPermissions(player.permissions() | QFile::ExeOwner));
        report.clear();
        QCOMPARE(ProgramFolder::checkInstallation(out), 0);
        QVERIFY2(report.endsWith(QStringLiteral("Media player mplayer2.exe: ") +
                                 root.filePath(QStringLiteral("mplayer2.exe")) + QLatin1Char('\n')),
                 qPrintable(report));
    }
};

QTEST_GUILESS_MAIN(ProgramFolderTest)
#include "tst_programfolder.moc"
