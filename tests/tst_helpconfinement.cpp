// SPDX-License-Identifier: GPL-3.0-or-later
// A hostile help file: the viewer and the context help open nothing outside the help
// folder, follow only the file's own topics, and index thousands of topics in one pass.
#include "ContextHelp.h"
#include "HelpFiles.h"
#include "HelpViewer.h"
#include "HostileHelpFile.h"
#include "ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QtTest>

#include <sys/stat.h>
#include <utime.h>

namespace {

const QString HelpPath = QStringLiteral("\\HelpFile\\HELPFILE.HLP");

// The last time a file was read. Its times are first set two days back, so that any read
// moves its access time (even on file systems that update it lazily).
struct ReadWatch
{
    QString path;
    explicit ReadWatch(const QString& file) : path(file)
    {
        const time_t past = ::time(nullptr) - 2 * 24 * 3600;
        const utimbuf times{past, past};
        ::utime(QFile::encodeName(path).constData(), &times);
    }
    bool wasRead() const
    {
        struct stat info;
        return ::stat(QFile::encodeName(path).constData(), &info) == 0 && info.st_atime > ::time(nullptr) - 3600;
    }
};

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

void writePicture(const QString& path)
{
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QVERIFY(picture.save(path, "PNG"));
}

} // namespace

class TestHelpConfinement : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void viewerOpensNothingOutsideTheHelpFolder();
    void sectionsKeepNoReferenceOutside();
    void thousandsOfTopicsAndAnUnclosedSection();
    void oversizedFileGetsTheMessage();
    void longWordStaysWhole();

private:
    QTemporaryDir* m_dir = nullptr;
    QString m_outside;
    QString m_inside;
};

void TestHelpConfinement::init()
{
    m_dir = new QTemporaryDir;
    const QString program = m_dir->filePath(QStringLiteral("program"));
    QVERIFY(QDir().mkpath(program + QStringLiteral("/HelpFile")));
    m_outside = m_dir->filePath(QStringLiteral("program/outside.png"));
    m_inside = program + QStringLiteral("/HelpFile/inside.png");
    writePicture(m_outside);
    writePicture(m_inside);
    writeFile(program + QStringLiteral("/HelpFile/HELPFILE.HLP"), hostileHelpFile(20000, QFile::encodeName(m_outside)));
    ProgramFolder::setPath(program);
}

void TestHelpConfinement::cleanup()
{
    ProgramFolder::setPath(QString());
    delete m_dir;
    m_dir = nullptr;
}

void TestHelpConfinement::viewerOpensNothingOutsideTheHelpFolder()
{
    const ReadWatch outside(m_outside);
    const ReadWatch inside(m_inside);
    QWidget owner;
    QStringList reports;
    HelpViewer* viewer = HelpViewer::showContents(&owner, HelpPath, [&](const QString& t) { reports << t; });
    QVERIFY(viewer);
    QCOMPARE(reports, QStringList());
    QCOMPARE(viewer->windowTitle(), QStringLiteral("Hostile Help"));
    QTextBrowser* browser = viewer->browser();
    QVERIFY(browser->toPlainText().startsWith(QLatin1String("Hostile Help")));
    QVERIFY(QTest::qWaitForWindowExposed(viewer));
    browser->grab(); // laid out and painted, pictures included

    // Links outside the file lead nowhere: the contents stay.
    for (const char* link : {"file:///etc/passwd", "file:///dev/zero", "http://example.com/", "/etc/passwd#topic-1",
                             "file:///etc/HELPFILE.HLP#topic-5x"}) {
        emit browser->anchorClicked(QUrl(QString::fromLatin1(link)));
        QCOMPARE(viewer->currentTopic(), 0);
        QVERIFY(!browser->toPlainText().contains(QLatin1String("root:")));
    }
    emit browser->anchorClicked(QUrl::fromLocalFile(m_outside + QStringLiteral("#topic-1")));
    QCOMPARE(viewer->currentTopic(), 0);

    // The file's own topics open, the last of 20,000 too.
    emit browser->anchorClicked(QUrl(QStringLiteral("#topic-19999")));
    QCOMPARE(viewer->currentTopic(), 19999);
    QVERIFY(browser->toPlainText().contains(QLatin1String("Text of topic 19999.")));
    browser->grab();
    emit browser->anchorClicked(QUrl(QStringLiteral("#topic-20000")));
    QCOMPARE(viewer->currentTopic(), 20000);
    QVERIFY(viewer->findChild<QWidget*>(QStringLiteral("HelpBack"))->isEnabled());

    QVERIFY(!outside.wasRead());
    QVERIFY(inside.wasRead()); // the watch does see reads
}

void TestHelpConfinement::sectionsKeepNoReferenceOutside()
{
    HelpDocument document;
    QString error;
    QVERIFY2(document.load(HelpPath, &error), qPrintable(error));
    const QString insideUrl = QUrl::fromLocalFile(QFileInfo(m_inside).canonicalFilePath()).toString();
    for (const QString& html : {document.contentsHtml(), document.topicHtml(1), document.topicHtml(20000)}) {
        QVERIFY(!html.contains(QLatin1String("src=\"/etc/passwd\"")));
        QVERIFY(!html.contains(QLatin1String("/dev/zero\"")));
        QVERIFY(!html.contains(QRegularExpression(QStringLiteral("src=\"[^\"]*outside"))));
        QVERIFY(!html.contains(QLatin1String("url(")));
        QVERIFY(html.contains(QStringLiteral("src=\"%1\"").arg(insideUrl)));
    }
    QVERIFY(!document.contentsHtml().contains(QLatin1String("background=")));

    // The context help pop-up shows the same confined topic.
    QWidget window;
    ContextHelp::install(&window, [] { return HelpPath; });
    auto* control = new QWidget(&window);
    control->setProperty("helpTopic", 20000);
    window.show();
    QWidget* popup = ContextHelp::showFor(control);
    QVERIFY(popup);
    const QString shown = static_cast<HelpPopup*>(popup)->text();
    QVERIFY(shown.contains(QLatin1String("Text of topic 20000.")));
    QVERIFY(!shown.contains(QLatin1String("outside.png")));
    popup->close();
}

void TestHelpConfinement::thousandsOfTopicsAndAnUnclosedSection()
{
    HelpDocument document;
    QString error;
    QVERIFY2(document.load(HelpPath, &error), qPrintable(error));
    QCOMPARE(document.topicNumbers().size(), 20000);
    QCOMPARE(document.topicNumbers().first(), 1);
    QCOMPARE(document.topicNumbers().last(), 20000);
    QVERIFY(!document.hasTopic(999999)); // never closed, so no section
    QCOMPARE(document.topicTitle(12345), QStringLiteral("Topic 12345"));
}

void TestHelpConfinement::oversizedFileGetsTheMessage()
{
    QFile file(ProgramFolder::path() + QStringLiteral("/HelpFile/HELPFILE.HLP"));
    QVERIFY(file.open(QIODevice::Append));
    QVERIFY(file.resize(HelpFiles::MaxFileSize + 1));
    file.close();
    QWidget owner;
    QStringList reports;
    QVERIFY(!HelpViewer::showContents(&owner, HelpPath, [&](const QString& t) { reports << t; }));
    QCOMPARE(reports.size(), 1);
    QVERIFY2(reports.first().endsWith(QLatin1String("could not be read.")), qPrintable(reports.first()));
}

void TestHelpConfinement::longWordStaysWhole()
{
    // A word of 100,000 letters gets places to break, and reads as it was written.
    const QByteArray word = QByteArray(50000, 'w') + "&amp;" + QByteArray(50000, 'v');
    writeFile(ProgramFolder::path() + QStringLiteral("/HelpFile/HELPFILE.HLP"),
              "<section id=\"contents\"><h1>Long</h1></section><section id=\"topic-1\"><h2>Word</h2><p>" + word +
                  "</p></section>");
    QWidget owner;
    HelpViewer* viewer = HelpViewer::showContents(&owner, HelpPath, {});
    QVERIFY(viewer);
    viewer->showTopic(1);
    QCOMPARE(viewer->currentTopic(), 1);
    viewer->browser()->grab();
    const QString shown = viewer->browser()->toPlainText();
    QVERIFY(shown.contains(QChar(0x200B)));
    QVERIFY(QString(shown)
                .remove(QChar(0x200B))
                .contains(QString(50000, QLatin1Char('w')) + QLatin1Char('&') + QString(50000, QLatin1Char('v'))));
}

QTEST_MAIN(TestHelpConfinement)
#include "tst_helpconfinement.moc"
