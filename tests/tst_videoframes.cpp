// SPDX-License-Identifier: GPL-3.0-or-later
// Video Frames through its window: a video whose frames carry their numbers, frame 137 taken
// as the workplace picture, which the main window's picture box then shows.
#include "MainWindow.h"
#include "MeasureAngles.h"
#include "PictureBox.h"
#include "VideoFrames.h"
#include "VideoSupport.h"
#include "WindowTestSupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSpinBox>
#include <QTemporaryDir>

class TestVideoFrames : public QObject, public WindowFixture
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        startRecording();
        QVERIFY(m_dir.isValid());
        m_video = m_dir.filePath(QStringLiteral("task.mp4"));
        const QString failure =
            testvideo::runFfmpeg(testvideo::timing(false) +
                                     QString::fromLatin1("-c:v libx264 -preset veryfast -bf 3 -g 60 -pix_fmt yuv420p")
                                         .split(QLatin1Char(' ')) +
                                     QStringList{m_video},
                                 200);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }
    void init() { makeWindows(); }
    void cleanup() { dropWindows(); }

    void frameTakenIsTheWorkplacePicture();

private:
    QTemporaryDir m_dir;
    QString m_video;
};

void TestVideoFrames::frameTakenIsTheWorkplacePicture()
{
    MainWindow& main = windows->window<MainWindow>();
    main.show();
    QTest::mouseClick(child<QPushButton>(main, "VideoFramesButton"), Qt::LeftButton);
    VideoFrames& video = windows->window<VideoFrames>();
    QVERIFY(video.isVisible());
    auto* info = child<QLabel>(video, "FrameInfo");

    auto* file = child<QLineEdit>(video, "VideoFile");
    file->setFocus();
    QTest::keyClicks(file, m_video);
    QTest::keyClick(file, Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(info->text(), QStringLiteral("Frame 0 of 200 \u00B7 00:00:00.000"), 20000);

    auto* number = child<QSpinBox>(video, "FrameNumber");
    number->setFocus();
    number->selectAll();
    QTest::keyClicks(number, QStringLiteral("137"));
    QTest::keyClick(number, Qt::Key_Return);
    // 137 frames of 40 ms.
    QTRY_COMPARE_WITH_TIMEOUT(info->text(), QStringLiteral("Frame 137 of 200 \u00B7 00:00:05.480"), 20000);

    // A file that is no video changes nothing.
    const QString notes = m_dir.filePath(QStringLiteral("notes.mp4"));
    QFile text(notes);
    QVERIFY(text.open(QIODevice::WriteOnly) && text.write("not a video\n") > 0);
    text.close();
    file->setFocus();
    file->selectAll();
    QTest::keyClicks(file, notes);
    QTest::keyClick(file, Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(recorder.messages.size(), 1, 20000);
    QVERIFY2(recorder.messages.front().contains(QStringLiteral("is not a video")),
             qPrintable(recorder.messages.front()));
    QCOMPARE(file->text(), m_video);
    QCOMPARE(info->text(), QStringLiteral("Frame 137 of 200 \u00B7 00:00:05.480"));

    QTest::mouseClick(child<QPushButton>(video, "UseFrame"), Qt::LeftButton);
    auto* picture1 = child<PictureBox>(main, "Picture1");
    QVERIFY(picture1->isVisible());
    QVERIFY(picture1->hasPicture());
    // The box shows the frame fitted; brought back to the frame's size, it reads 137.
    const QImage shown = picture1->picture().scaled(testvideo::Width, testvideo::Height, Qt::IgnoreAspectRatio,
                                                    Qt::SmoothTransformation);
    QCOMPARE(testvideo::frameNumber(shown), 137);

    QCOMPARE(state->keyFrames.size(), std::size_t(1));
    QCOMPARE(state->keyFrames.front().frameNumber, 137);
    QCOMPARE(child<QListWidget>(video, "KeyFrames")->count(), 1);
    QVERIFY(windows->exists<MeasureAngles>() && windows->window<MeasureAngles>().isVisible());
    QCOMPARE(state->workplacePictureFile, state->keyFrames.front().pictureFile);
}

QTEST_MAIN(TestVideoFrames)
#include "tst_videoframes.moc"
