// SPDX-License-Identifier: GPL-3.0-or-later
// The media player laid beside the program: it opens a short clip, reports its length and
// the playing position, and says clearly when a file cannot be played.
#include "PlayerWindow.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QtTest>

#if defined(__SANITIZE_ADDRESS__)
// Qt Multimedia keeps its sound-server connection for the whole run, and a video widget's
// window on the offscreen platform keeps its backing store; neither is ours to free. Only
// this test program carries these suppressions.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libpulse\n"
           "leak:libQt6Multimedia\n"
           "leak:libqoffscreen\n"
           "leak:QBackingStore\n"
           "leak:QPlatformBackingStore\n"
           "leak:QRasterPaintEngine\n"
           "leak:QImageData::create\n"
           "leak:QSurfaceFormat\n";
}
#endif

class TestPlayer : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void playsClip_data();
    void playsClip();
    void pauseAndResume();
    void unplayableFileGivesMessage_data();
    void unplayableFileGivesMessage();
    void timeFormat();
    void executableLiesBesideProgram();
};

void TestPlayer::initTestCase()
{
    // The clips are 2 seconds of 64 x 48 video, 10 frames a second, made once with
    //   gst-launch-1.0 videotestsrc num-buffers=20 ! video/x-raw,width=64,height=48,framerate=10/1
    //     ! vp8enc ! webmmux (theoraenc ! oggmux) ! filesink location=...
    // and the MP4 (H.264 baseline) one with
    //   ffmpeg -f lavfi -i testsrc=size=64x48:rate=10 -t 2 -c:v libx264 -profile:v baseline
    //     -pix_fmt yuv420p -crf 35 -movflags +faststart clip.mp4
    for (const char* name : {"clip.webm", "clip.ogv", "clip.mp4"})
        QVERIFY2(QFileInfo::exists(QStringLiteral(TALVO_TEST_DATA "/clips/") + QLatin1String(name)), name);
}

void TestPlayer::playsClip_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("WebM (VP8)") << QStringLiteral("clip.webm");
    QTest::newRow("Ogg (Theora)") << QStringLiteral("clip.ogv");
    QTest::newRow("MP4 (H.264)") << QStringLiteral("clip.mp4");
}

void TestPlayer::playsClip()
{
    QFETCH(QString, file);
    PlayerWindow window;
    QStringList messages;
    window.setReport([&](const QString& text) { messages << text; });
    window.show();
    window.openFile(QStringLiteral(TALVO_TEST_DATA "/clips/") + file);

    QTRY_VERIFY_WITH_TIMEOUT(window.player()->duration() > 0 || !messages.isEmpty(), 10000);
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join(QLatin1Char('\n'))));
    // The length may first be an estimate that the back end corrects as it reads on.
    QTRY_VERIFY2_WITH_TIMEOUT(qAbs(window.player()->duration() - 2000) <= 200,
                              qPrintable(QString::number(window.player()->duration())), 5000);
    auto* slider = window.findChild<QSlider*>(QStringLiteral("Position"));
    QCOMPARE(slider->maximum(), static_cast<int>(window.player()->duration()));
    QVERIFY(window.timeText().endsWith(QLatin1String("/ 0:02")));

    // It plays: the position moves on, and the slider and the time follow it.
    QTRY_VERIFY_WITH_TIMEOUT(window.player()->position() > 300, 10000);
    QVERIFY(slider->value() > 0);
    QCOMPARE(window.findChild<QPushButton*>(QStringLiteral("PlayPause"))->text(), QStringLiteral("&Pause"));
    QTRY_COMPARE_WITH_TIMEOUT(window.player()->mediaStatus(), QMediaPlayer::EndOfMedia, 10000);
    QCOMPARE(window.timeText(), QStringLiteral("0:02 / 0:02"));
    QVERIFY(messages.isEmpty());
}

void TestPlayer::pauseAndResume()
{
    PlayerWindow window;
    window.setReport([](const QString& text) { QFAIL(qPrintable(text)); });
    window.show();
    window.openFile(QStringLiteral(TALVO_TEST_DATA "/clips/clip.webm"));
    QTRY_VERIFY_WITH_TIMEOUT(window.player()->position() > 100, 10000);
    auto* button = window.findChild<QPushButton*>(QStringLiteral("PlayPause"));
    button->click();
    QTRY_COMPARE(window.player()->playbackState(), QMediaPlayer::PausedState);
    QCOMPARE(button->text(), QStringLiteral("&Play"));
    const qint64 held = window.player()->position();
    QTest::qWait(300);
    QVERIFY(qAbs(window.player()->position() - held) < 50);
    // Enter on the focused button resumes, as a click does.
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(window.player()->position() > held + 100, 10000);
}

void TestPlayer::unplayableFileGivesMessage_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<bool>("create");
    QTest::newRow("text file") << QByteArray("These are the notes of the assessment, not a video.\n") << true;
    QTest::newRow("damaged video") << QByteArray("\x1a\x45\xdf\xa3 broken", 12) << true;
    QTest::newRow("no such file") << QByteArray() << false;
}

void TestPlayer::unplayableFileGivesMessage()
{
    QFETCH(QByteArray, contents);
    QFETCH(bool, create);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("notes.webm"));
    if (create) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(contents);
    }
    PlayerWindow window;
    QStringList messages;
    window.setReport([&](const QString& text) { messages << text; });
    window.show();
    window.openFile(path);
    QTRY_COMPARE_WITH_TIMEOUT(messages.size(), 1, 10000);
    QVERIFY2(messages.first().startsWith(
                 QStringLiteral("The file \"%1\" cannot be played").arg(QDir::toNativeSeparators(path))),
             qPrintable(messages.first()));
    QCOMPARE(window.statusText(), messages.first());
    QVERIFY(!window.findChild<QPushButton*>(QStringLiteral("PlayPause"))->isEnabled());
    QTest::qWait(200);
    QCOMPARE(messages.size(), 1); // one message, however often the back end reports it

    // A good clip plays afterwards in the same window.
    window.openFile(QStringLiteral(TALVO_TEST_DATA "/clips/clip.ogv"));
    QTRY_VERIFY_WITH_TIMEOUT(window.player()->position() > 100, 10000);
    QCOMPARE(messages.size(), 1);
}

void TestPlayer::timeFormat()
{
    QCOMPARE(PlayerWindow::formatTime(0), QStringLiteral("0:00"));
    QCOMPARE(PlayerWindow::formatTime(59999), QStringLiteral("0:59"));
    QCOMPARE(PlayerWindow::formatTime(61000), QStringLiteral("1:01"));
    QCOMPARE(PlayerWindow::formatTime(3600000 + 62000), QStringLiteral("1:01:02"));
    QCOMPARE(PlayerWindow::formatTime(-5), QStringLiteral("0:00"));
}

void TestPlayer::executableLiesBesideProgram()
{
    // The launcher finds the player in the program's folder under exactly this name.
    const QFileInfo player(QCoreApplication::applicationDirPath() + QStringLiteral("/mplayer2.exe"));
    QVERIFY(player.isFile());
    QVERIFY(player.isExecutable());
}

QTEST_MAIN(TestPlayer)
#include "tst_player.moc"
