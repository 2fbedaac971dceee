// SPDX-License-Identifier: GPL-3.0-or-later
// Video Frames through its window: a video whose frames carry their numbers, frame 137 taken
// as the workplace picture, which the main window's picture box then shows; two key frames
// saved, reopened in a new run and reported from the saved file.
#include "CautionStatement.h"
#include "Commands.h"
#include "EmployeeDetails.h"
#include "FileLists.h"
#include "FinalResults.h"
#include "MainWindow.h"
#include "MeasureAngles.h"
#include "PdfChecks.h"
#include "PictureBox.h"
#include "ProgramRuns.h"
#include "RULAAction.h"
#include "SaveWindow.h"
#include "SavedFiles.h"
#include "VideoFrames.h"
#include "VideoSupport.h"
#include "WindowTestSupport.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QSpinBox>
#include <QTemporaryDir>

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

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
    void keyFramesKeptWithTheAssessment();

private:
    // Goes to frame `number` and takes it with `reason` and `note`.
    void takeFrame(VideoFrames& video, int number, const QString& reason, const QString& note)
    {
        auto* spin = child<QSpinBox>(video, "FrameNumber");
        spin->setFocus();
        spin->selectAll();
        QTest::keyClicks(spin, QString::number(number));
        QTest::keyClick(spin, Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(
            child<QLabel>(video, "FrameInfo")->text().startsWith(QStringLiteral("Frame %1 of").arg(number)), 20000);
        QTest::mouseClick(child<QPushButton>(video, "UseFrame"), Qt::LeftButton);
        windows->window<MeasureAngles>().close();
        child<QComboBox>(video, "KeyFrameReason")->setCurrentText(reason);
        auto* noteEdit = child<QLineEdit>(video, "KeyFrameNote");
        noteEdit->selectAll();
        QTest::keyClicks(noteEdit, note);
    }

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

void TestVideoFrames::keyFramesKeptWithTheAssessment()
{
    CautionStatement& caution = windows->window<CautionStatement>();
    caution.showWindow();
    click(caution, "Command1");
    EmployeeDetails& employee = windows->window<EmployeeDetails>();
    QTest::keyClicks(child<QLineEdit>(employee, "Text1"), QStringLiteral("Filmed"));
    click(employee, "Command1");
    MainWindow& main = windows->window<MainWindow>();
    QTest::mouseClick(child<QPushButton>(main, "VideoFramesButton"), Qt::LeftButton);
    VideoFrames& video = windows->window<VideoFrames>();
    auto* file = child<QLineEdit>(video, "VideoFile");
    file->setFocus();
    QTest::keyClicks(file, m_video);
    QTest::keyClick(file, Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(child<QLabel>(video, "FrameInfo")->text().startsWith(QStringLiteral("Frame 0 of 200")),
                             20000);
    takeFrame(video, 137, QStringLiteral("Longest held"), QStringLiteral("arm highest"));
    QVERIFY(!QTest::currentTestFailed());
    takeFrame(video, 42, QStringLiteral("Greatest force"), QStringLiteral("trunk bent"));
    QCOMPARE(state->keyFrames.size(), std::size_t(2));
    const QByteArray png137 = readAll(state->keyFrames[0].pictureFile);
    const QByteArray png42 = readAll(state->keyFrames[1].pictureFile);

    const rula::AssessmentState assessment = variedAssessment(3);
    for (int option = 0; option < rula::OptionCount; ++option) {
        if (assessment.isSelected(option))
            main.selectOption(option);
    }
    click(main, "Command2");
    click(windows->window<CautionStatement>(), "Command1");
    click(windows->window<FinalResults>(), "Command2");
    click(windows->window<RULAAction>(), "Command7");
    SaveWindow& save = windows->window<SaveWindow>();
    QVERIFY(child<FolderList>(save, "Dir1")->setPath(m_dir.path()));
    child<QLineEdit>(save, "Text1")->setText(QStringLiteral("Filmed"));
    QTest::keyClick(child<QLineEdit>(save, "Text1"), Qt::Key_Return);
    QCOMPARE(recorder.messages.last(), QStringLiteral("File Saved"));

    // A new run reopens it: both frames back, exactly as taken, and listed in the window.
    dropWindows();
    makeWindows();
    const QString text = m_dir.filePath(QStringLiteral("Filmed RULA Analysis.txt"));
    ReopenAssessment(text, *windows);
    QVERIFY2(recorder.messages.isEmpty(), qPrintable(recorder.messages.join(QLatin1Char('\n'))));
    QCOMPARE(state->keyFrames.size(), std::size_t(2));
    QCOMPARE(state->keyFrames[0].frameNumber, 137);
    QCOMPARE(state->keyFrames[0].reason, KeyFrameReason::LongestHeld);
    QCOMPARE(readAll(state->keyFrames[0].pictureFile), png137);
    QCOMPARE(state->keyFrames[1].frameNumber, 42);
    QCOMPARE(state->keyFrames[1].reason, KeyFrameReason::GreatestForce);
    QCOMPARE(state->keyFrames[1].note, QStringLiteral("trunk bent"));
    QCOMPARE(readAll(state->keyFrames[1].pictureFile), png42);
    VideoFrames& reopened = windows->window<VideoFrames>();
    reopened.showWindow();
    QCOMPARE(child<QListWidget>(reopened, "KeyFrames")->count(), 2);

    const QString pdf = m_dir.filePath(QStringLiteral("report.pdf"));
    QCOMPARE(runProgram({QStringLiteral("--report"), text, QStringLiteral("-o"), pdf}).status, 0);
    QCOMPARE(pdfAProblems(pdf), QString());
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, "-"});
    QVERIFY(pdftotext.waitForFinished(60000));
    const QString shown = QString::fromUtf8(pdftotext.readAllStandardOutput()).simplified();
    for (const char* line : {"Key frame 1: Longest held Frame 137 at 00:00:05.480", "Note: arm highest",
                             "Key frame 2: Greatest force Frame 42 at 00:00:01.680", "Note: trunk bent"})
        QVERIFY2(shown.contains(QLatin1String(line)), line);
}

QTEST_MAIN(TestVideoFrames)
#include "tst_videoframes.moc"
