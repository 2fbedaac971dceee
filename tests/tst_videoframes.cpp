// SPDX-License-Identifier: GPL-3.0-or-later
// Video Frames through its window: a video whose frames carry their numbers, frame 137 taken
// as the workplace picture, which the main window's picture box then shows; a whole assessment
// (a measured photograph, an extra picture, two key frames, one measured, details with notes, a
// planned change) saved, copied elsewhere with its originals gone, reported and registered by
// new processes and reopened in a new run. Suggest Landmarks on a frame taken from a video of a
// photograph (tests/data/pose/messi5-clip.mp4).
#include "AngleCanvas.h"
#include "AssessmentDetails.h"
#include "CautionStatement.h"
#include "Commands.h"
#include "EmployeeDetails.h"
#include "ExtraPics.h"
#include "FileLists.h"
#include "FinalResults.h"
#include "FrameReader.h"
#include "FrameView.h"
#include "MainWindow.h"
#include "MeasureAngles.h"
#include "MeasureSupport.h"
#include "MeasureWindowSupport.h"
#include "OpenExtraPics.h"
#include "OpenPictureFile.h"
#include "PdfChecks.h"
#include "PictureBox.h"
#include "PlanChange.h"
#include "ProgramRuns.h"
#include "RULAAction.h"
#include "SaveWindow.h"
#include "SavedFiles.h"
#include "VideoFrames.h"
#include "VideoSupport.h"
#include "WindowTestSupport.h"
#include "Workplace.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QProgressBar>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTemporaryDir>

#include <cmath>

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
    void wholeVideoScored();
    void frameTakenGoesToTheWorkplaceGiven();
    void openingFailsRightAfterOpening();
    void wholeAssessmentCopiedElsewhere();
    void frameOfATurnedVideoIsKeptUpright();
    void landmarksSuggestedOnAFrame();

private:
    // Goes to frame `number`, typed into the frame box.
    static void goTo(VideoFrames& video, int number)
    {
        auto* spin = child<QSpinBox>(video, "FrameNumber");
        spin->setFocus();
        spin->selectAll();
        QTest::keyClicks(spin, QString::number(number));
        QTest::keyClick(spin, Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(
            child<QLabel>(video, "FrameInfo")->text().startsWith(QStringLiteral("Frame %1 of").arg(number)), 20000);
    }

    MeasureAngles& openMeasureAngles() { return ::openMeasureAngles(*windows); }

    // Goes to frame `number` and takes it with `reason` and `note`.
    void takeFrame(VideoFrames& video, int number, const QString& reason, const QString& note)
    {
        goTo(video, number);
        QTest::mouseClick(child<QPushButton>(video, "UseFrame"), Qt::LeftButton);
        windows->window<MeasureAngles>().close();
        child<QComboBox>(video, "KeyFrameReason")->setCurrentText(reason);
        auto* noteEdit = child<QLineEdit>(video, "KeyFrameNote");
        noteEdit->selectAll();
        QTest::keyClicks(noteEdit, note);
    }

    // The options of `assessment` chosen on Main, then View Results through the caution and the
    // final results to the action levels.
    RULAAction& viewResults(const rula::AssessmentState& assessment)
    {
        MainWindow& main = windows->window<MainWindow>();
        for (int option = 0; option < rula::OptionCount; ++option) {
            if (assessment.isSelected(option) && !state->assessment.isSelected(option))
                main.selectOption(option);
        }
        click(main, "Command2");
        click(windows->window<CautionStatement>(), "Command1");
        click(windows->window<FinalResults>(), "Command2");
        return windows->window<RULAAction>();
    }

    // Saves from the action levels into `folder` as `name`.
    void saveAs(RULAAction& action, const QString& folder, const QString& name)
    {
        click(action, "Command7");
        SaveWindow& save = windows->window<SaveWindow>();
        QVERIFY(child<FolderList>(save, "Dir1")->setPath(folder));
        child<QLineEdit>(save, "Text1")->setText(name);
        QTest::keyClick(child<QLineEdit>(save, "Text1"), Qt::Key_Return);
        QCOMPARE(recorder.messages.last(), QStringLiteral("File Saved"));
        recorder.clear();
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
    windows->window<MeasureAngles>().close();
    video.hide();

    // Saved with no photograph and reopened: the frame is the workplace picture again, and still
    // a key frame, not a photograph.
    saveAs(viewResults(variedAssessment(1)), m_dir.path(), QStringLiteral("Frame only"));
    dropWindows();
    makeWindows();
    ReopenAssessment(m_dir.filePath(QStringLiteral("Frame only RULA Analysis.txt")), *windows);
    QVERIFY2(recorder.messages.isEmpty(), qPrintable(recorder.messages.join(QLatin1Char('\n'))));
    auto* reopened = child<PictureBox>(windows->window<MainWindow>(), "Picture1");
    QVERIFY(reopened->hasPicture());
    QCOMPARE(testvideo::frameNumber(reopened->picture().scaled(testvideo::Width, testvideo::Height,
                                                               Qt::IgnoreAspectRatio, Qt::SmoothTransformation)),
             137);
    QCOMPARE(state->workplacePictureFile, state->keyFrames.front().pictureFile);
    QVERIFY(state->photographFile.isEmpty());
}

void TestVideoFrames::landmarksSuggestedOnAFrame()
{
    MainWindow& main = windows->window<MainWindow>();
    main.show();
    QTest::mouseClick(child<QPushButton>(main, "VideoFramesButton"), Qt::LeftButton);
    VideoFrames& video = windows->window<VideoFrames>();
    auto* file = child<QLineEdit>(video, "VideoFile");
    file->setFocus();
    QTest::keyClicks(file, QStringLiteral(TALVO_TEST_DATA "/pose/messi5-clip.mp4"));
    QTest::keyClick(file, Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(child<QLabel>(video, "FrameInfo")->text().startsWith(QStringLiteral("Frame 0 of 5")),
                             20000);
    takeFrame(video, 3, QStringLiteral("Other"), QStringLiteral("kick"));
    MeasureAngles& measure = windows->window<MeasureAngles>();
    measure.showWindow();
    QVERIFY(measure.isVisible());
    QCOMPARE(state->workplacePictureFile, state->keyFrames.back().pictureFile);

    QTest::mouseClick(child<QPushButton>(measure, "SuggestLandmarks"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(child<QPushButton>(measure, "SuggestLandmarks")->isEnabled(), 60000);
    for (const rula::Side side : {rula::Side::Right, rula::Side::Left}) {
        for (int l = 0; l < rula::LandmarkCount; ++l)
            QVERIFY(state->angleMeasurements.side(side).asSuggested(rula::Landmark(l)));
    }
    // The person's right knuckles, marked by hand at (86, 95) on the photograph the frame shows.
    const rula::Point knuckles = *state->angleMeasurements.side(rula::Side::Right)[rula::Landmark::Knuckles];
    QVERIFY2(std::hypot(knuckles.x - 86, knuckles.y - 95) < 12, qPrintable(QString::number(knuckles.x)));
    QVERIFY(recorder.messages.isEmpty());
}

// A workplace that only records what Video Frames asks of it.
class RecordingWorkplace : public Workplace
{
public:
    PictureBox& picture() override { return box; }
    void selectOption(int optionIndex) override { selected.push_back(optionIndex); }
    void measureAngles() override { ++measured; }

    PictureBox box;
    std::vector<int> selected;
    int measured = 0;
};

void TestVideoFrames::frameTakenGoesToTheWorkplaceGiven()
{
    RecordingWorkplace workplace;
    windows->setWorkplace(workplace);
    VideoFrames& video = windows->window<VideoFrames>();
    video.showWindow();
    video.openVideo(m_video);
    QTRY_VERIFY_WITH_TIMEOUT(child<QLabel>(video, "FrameInfo")->text().startsWith(QStringLiteral("Frame 0 of 200")),
                             20000);
    goTo(video, 42);
    QTest::mouseClick(child<QPushButton>(video, "UseFrame"), Qt::LeftButton);
    QVERIFY(workplace.box.hasPicture());
    const QImage shown = workplace.box.picture().scaled(testvideo::Width, testvideo::Height, Qt::IgnoreAspectRatio,
                                                        Qt::SmoothTransformation);
    QCOMPARE(testvideo::frameNumber(shown), 42);
    QCOMPARE(workplace.measured, 1);
    QVERIFY(workplace.selected.empty());
    // The main window was never needed.
    QVERIFY(!windows->exists<MainWindow>());
}

void TestVideoFrames::openingFailsRightAfterOpening()
{
    VideoFrames& video = windows->window<VideoFrames>();
    video.showWindow();
    auto* info = child<QLabel>(video, "FrameInfo");
    auto* reader = video.findChild<FrameReader*>();
    QVERIFY(reader);
    // A second video asked for the moment the first one opened, before its first frame is
    // on screen, and that one cannot be opened.
    const QString missing = m_dir.filePath(QStringLiteral("missing.mp4"));
    QStringList statusWhenFailed;
    connect(
        reader, &FrameReader::opened, &video, [&] { video.openVideo(missing); }, Qt::SingleShotConnection);
    connect(reader, &FrameReader::openFailed, &video, [&] { statusWhenFailed << info->text(); });
    video.openVideo(m_video);
    QTRY_COMPARE_WITH_TIMEOUT(recorder.messages.size(), 1, 20000);
    QCOMPARE(statusWhenFailed, QStringList{QStringLiteral("Frame 0 of 200 \u00B7 00:00:00.000")});
    // The first video stays, and its first frame comes.
    QCOMPARE(child<QLineEdit>(video, "VideoFile")->text(), m_video);
    QTRY_VERIFY_WITH_TIMEOUT(!child<FrameView>(video, "Frame")->frame().isNull(), 20000);
    QCOMPARE(testvideo::frameNumber(child<FrameView>(video, "Frame")->frame()), 0);
}

void TestVideoFrames::wholeAssessmentCopiedElsewhere()
{
    QTemporaryDir dir;
    QDir folder(dir.path());
    QVERIFY(folder.mkpath(QStringLiteral("photos")) && folder.mkpath(QStringLiteral("saved")));
    const QString photos = folder.filePath(QStringLiteral("photos"));
    writeWorkplacePicture(QDir(photos));
    QImage side(400, 300, QImage::Format_RGB32);
    side.fill(Qt::darkCyan);
    QVERIFY(side.save(QDir(photos).filePath(QStringLiteral("side view.png"))));
    const QByteArray sideBytes = readAll(QDir(photos).filePath(QStringLiteral("side view.png")));

    CautionStatement& caution = windows->window<CautionStatement>();
    caution.showWindow();
    click(caution, "Command1");
    EmployeeDetails& employee = windows->window<EmployeeDetails>();
    QTest::keyClicks(child<QLineEdit>(employee, "Text1"), QStringLiteral("Filmed"));
    click(employee, "DetailsButton");
    AssessmentDetails& details = windows->window<AssessmentDetails>();
    QTest::keyClicks(child<QLineEdit>(details, "Task"), QStringLiteral("Loading the press"));
    QTest::keyClicks(child<QLineEdit>(details, "Notes"), QStringLiteral("Guard moved 20 cm to the left"));
    click(details, "OkButton");
    click(employee, "Command1");
    MainWindow& main = windows->window<MainWindow>();

    // The photograph: the right upper arm straight forward (90° flexion) measured and applied.
    click(main, "Command3");
    OpenPictureFile& open = windows->window<OpenPictureFile>();
    QVERIFY(child<FolderList>(open, "Dir1")->setPath(photos));
    QVERIFY(clickListEntry(child<FileList>(open, "File1"), QStringLiteral("workplace.png")));
    click(open, "cmdOpen");
    MeasureAngles& measure = openMeasureAngles();
    QTest::mouseClick(child<QRadioButton>(measure, "FacesRight"), Qt::LeftButton);
    choosePart(measure, QStringLiteral("Upper Arm (Right)"));
    for (const QPoint& point : {at(measure, 600, 800), at(measure, 600, 200), at(measure, 1000, 200)})
        QTest::mouseClick(measure.canvas(), Qt::LeftButton, {}, point);
    click(measure, "Apply");
    click(measure, "Close");

    // An extra picture.
    click(main, "Command1");
    OpenExtraPics& extra = windows->window<OpenExtraPics>();
    QVERIFY(child<FolderList>(extra, "Dir1")->setPath(photos));
    QVERIFY(clickListEntry(child<FileList>(extra, "File1"), QStringLiteral("side view.png")));
    click(extra, "cmdOpen");
    windows->window<ExtraPics>().hide();

    // Two key frames; the reason and note boxes are the chosen key frame's only.
    QTest::mouseClick(child<QPushButton>(main, "VideoFramesButton"), Qt::LeftButton);
    VideoFrames& video = windows->window<VideoFrames>();
    auto* file = child<QLineEdit>(video, "VideoFile");
    file->setFocus();
    QTest::keyClicks(file, m_video);
    QTest::keyClick(file, Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(child<QLabel>(video, "FrameInfo")->text().startsWith(QStringLiteral("Frame 0 of 200")),
                             20000);
    auto* reason = child<QComboBox>(video, "KeyFrameReason");
    auto* note = child<QLineEdit>(video, "KeyFrameNote");
    takeFrame(video, 137, QStringLiteral("Longest held"), QStringLiteral("arm highest"));
    QVERIFY(!QTest::currentTestFailed());
    goTo(video, 42);
    QVERIFY(!QTest::currentTestFailed());
    QVERIFY(!note->isEnabled());
    QTest::keyClicks(note, QStringLiteral("typed while on frame 42"));
    QTest::mouseClick(child<QPushButton>(video, "UseFrame"), Qt::LeftButton);
    windows->window<MeasureAngles>().close();
    QCOMPARE(reason->currentText(), QStringLiteral("Most extreme"));
    QCOMPARE(note->text(), QString());
    QCOMPARE(state->keyFrames.at(0).reason, QStringLiteral("Longest held"));
    QCOMPARE(state->keyFrames.at(0).note, QStringLiteral("arm highest"));
    reason->setCurrentText(QStringLiteral("Greatest force"));
    QTest::keyClicks(note, QStringLiteral("trunk bent"));
    // Frame 42's left upper arm 30° behind the trunk line, measured on the frame only.
    MeasureAngles& onFrame = openMeasureAngles();
    QTest::mouseClick(child<QRadioButton>(onFrame, "FacesRight"), Qt::LeftButton);
    choosePart(onFrame, QStringLiteral("Upper Arm (Left)"));
    for (const QPoint& point : {at(onFrame, 160, 220), at(onFrame, 160, 60), at(onFrame, 110, 146.6)})
        QTest::mouseClick(onFrame.canvas(), Qt::LeftButton, {}, point);
    click(onFrame, "Close");
    // Choosing the first key frame steps the viewer back to it.
    auto* list = child<QListWidget>(video, "KeyFrames");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    QTRY_VERIFY_WITH_TIMEOUT(child<QLabel>(video, "FrameInfo")->text().startsWith(QStringLiteral("Frame 137 of")),
                             20000);
    QCOMPARE(reason->currentText(), QStringLiteral("Longest held"));
    video.hide();

    // The options, a planned change added to the report, and the save.
    RULAAction& action = viewResults(variedAssessment(3));
    click(action, "PlanChangeButton");
    PlanChange& plan = windows->window<PlanChange>();
    auto* changes = child<QListWidget>(plan, "Changes");
    QVERIFY(changes->count() > 0);
    changes->setCurrentRow(0);
    QTest::keyClick(changes, Qt::Key_Space);
    const QString planned = changes->item(0)->text().section(QStringLiteral(": grand scores"), 0, 0);
    click(plan, "AddToReport");
    plan.hide();
    saveAs(action, folder.filePath(QStringLiteral("saved")), QStringLiteral("Filmed"));

    // Copied to another folder; the originals and the pictures gone.
    QVERIFY(folder.mkpath(QStringLiteral("copy")));
    for (const char* name : {"Filmed RULA Analysis.txt", "Filmed RULA Analysis.mdb", "Filmed RULA Evidence.sqlite"})
        QVERIFY(QFile::copy(folder.filePath(QStringLiteral("saved/") + QLatin1String(name)),
                            folder.filePath(QStringLiteral("copy/") + QLatin1String(name))));
    QVERIFY(QDir(folder.filePath(QStringLiteral("saved"))).removeRecursively());
    QVERIFY(QDir(photos).removeRecursively());
    dropWindows();
    const QString text = folder.filePath(QStringLiteral("copy/Filmed RULA Analysis.txt"));

    // A new process reports it: the notes, the photograph's angles, both key frames with theirs,
    // and the planned change.
    const QString pdf = folder.filePath(QStringLiteral("report.pdf"));
    const Run report = runProgram({QStringLiteral("--report"), text, QStringLiteral("-o"), pdf});
    QVERIFY2(report.status == 0, qPrintable(report.errorLines.join(QLatin1Char('\n'))));
    QCOMPARE(pdfAProblems(pdf), QString());
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, "-"});
    QVERIFY(pdftotext.waitForFinished(60000));
    // The PDF's fonts join "fl" and "fi" into ligatures.
    const QString shown = QString::fromUtf8(pdftotext.readAllStandardOutput())
                              .replace(QChar(0xFB02), QLatin1String("fl"))
                              .replace(QChar(0xFB01), QLatin1String("fi"))
                              .simplified();
    for (const QString& line :
         {QStringLiteral("Notes Guard moved 20 cm to the left"),
          QStringLiteral("Angles measured on the workplace picture"),
          QString::fromUtf8("Upper Arm (Right) 90° flexion"), QStringLiteral("Planned changes"), planned,
          QStringLiteral("Key frame 1: Longest held Frame 137 at 00:00:05.480"), QStringLiteral("Note: arm highest"),
          QStringLiteral("No angles were measured on this frame."),
          QStringLiteral("Key frame 2: Greatest force Frame 42 at 00:00:01.680"), QStringLiteral("Note: trunk bent"),
          QString::fromUtf8("Upper Arm (Left) 30° extension")})
        QVERIFY2(shown.contains(line), qPrintable(line));
    QCOMPARE(shown.count(QStringLiteral("No angles were measured on this frame.")), 1);

    // And registers it with every body part measured on any of its pictures (the hip and the
    // shoulder give the trunk on both).
    const QString csv = folder.filePath(QStringLiteral("register.csv"));
    QCOMPARE(
        runProgram({QStringLiteral("--register"), folder.filePath(QStringLiteral("copy")), QStringLiteral("-o"), csv})
            .status,
        0);
    const QStringList rows = QString::fromUtf8(readAll(csv)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QCOMPARE(rows.size(), 2);
    QVERIFY2(rows[1].contains(QStringLiteral(",Loading the press,")) &&
                 rows[1].endsWith(QStringLiteral(",1,Upper Arm (Right); Trunk; Upper Arm (Left),,,,")),
             qPrintable(rows[1]));

    // Reopened in a new run: the extra picture, the planned change, each picture's own angles.
    makeWindows();
    ReopenAssessment(text, *windows);
    QVERIFY2(recorder.messages.isEmpty(), qPrintable(recorder.messages.join(QLatin1Char('\n'))));
    QCOMPARE(state->ExtraPictureCount, 1);
    QCOMPARE(readAll(state->extraPictureFiles.value(0)), sideBytes);
    QVERIFY(windows->window<ExtraPics>().pictureBox(1)->hasPicture());
    QCOMPARE(state->plannedChanges.size(), std::size_t(1));
    QCOMPARE(state->keyFrames.size(), std::size_t(2));
    QCOMPARE(state->keyFrames[1].reason, QStringLiteral("Greatest force"));
    MeasureAngles& reopened = openMeasureAngles();
    choosePart(reopened, QStringLiteral("Upper Arm (Right)"));
    QCOMPARE(labelText(reopened, "Angle"), QString::fromUtf8("90° flexion"));
    QCOMPARE(labelText(reopened, "Score"), QStringLiteral("Score 3, applied"));
    click(reopened, "Close");
    VideoFrames& frames = windows->window<VideoFrames>();
    frames.showWindow();
    auto* reopenedList = child<QListWidget>(frames, "KeyFrames");
    QCOMPARE(reopenedList->count(), 2);
    QTest::mouseClick(reopenedList->viewport(), Qt::LeftButton, {},
                      reopenedList->visualItemRect(reopenedList->item(1)).center());
    QVERIFY(child<QLabel>(frames, "FrameInfo")->text().startsWith(QStringLiteral("Key frame: frame 42")));
    MeasureAngles& frameAngles = openMeasureAngles();
    choosePart(frameAngles, QStringLiteral("Upper Arm (Left)"));
    QCOMPARE(labelText(frameAngles, "Angle"), QString::fromUtf8("30° extension"));
}

void TestVideoFrames::wholeVideoScored()
{
    // A real photograph (opencv-doc's footballer) as a two-second video, turned 3° more at each
    // of its ten frames a second.
    const QString turning = m_dir.filePath(QStringLiteral("turning.mp4"));
    const QString made = testvideo::runFfmpeg(
        {QStringLiteral("-loop"), QStringLiteral("1"), QStringLiteral("-framerate"), QStringLiteral("10"),
         QStringLiteral("-i"), QStringLiteral("/usr/share/doc/opencv-doc/examples/data/messi5.jpg"),
         QStringLiteral("-t"), QStringLiteral("2"), QStringLiteral("-vf"),
         QStringLiteral("scale=1096:684,rotate=a='n*3*PI/180':fillcolor=black,format=yuv420p"), QStringLiteral("-c:v"),
         QStringLiteral("libx264"), turning});
    QVERIFY2(made.isEmpty(), qPrintable(made));

    MainWindow& main = windows->window<MainWindow>();
    main.show();
    QTest::mouseClick(child<QPushButton>(main, "VideoFramesButton"), Qt::LeftButton);
    VideoFrames& video = windows->window<VideoFrames>();
    auto* info = child<QLabel>(video, "FrameInfo");
    auto* file = child<QLineEdit>(video, "VideoFile");
    file->setFocus();
    QTest::keyClicks(file, turning);
    QTest::keyClick(file, Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(info->text().startsWith(QStringLiteral("Frame 0 of 20")), 20000);

    // The new controls come after the others in keyboard order, with help of their own.
    QWidget* next = child<QLineEdit>(video, "KeyFrameNote")->nextInFocusChain();
    while (!(next->focusPolicy() & Qt::TabFocus) || !next->isVisibleTo(&video))
        next = next->nextInFocusChain();
    QCOMPARE(next->objectName(), QStringLiteral("ScoreVideo"));
    QCOMPARE(next->property("helpTopic").toInt(), 211);
    QCOMPARE(child<QSpinBox>(video, "SampleRate")->value(), 5);
    auto* cancel = child<QPushButton>(video, "CancelScoring");
    QVERIFY(!cancel->isEnabled());
    QTest::mouseClick(child<QPushButton>(video, "ScoreVideo"), Qt::LeftButton);
    QVERIFY(cancel->isEnabled());
    auto* progress = child<QProgressBar>(video, "ScoreProgress");
    // Five samples a second of two seconds.
    QTRY_COMPARE_WITH_TIMEOUT(progress->format(), QStringLiteral("10 samples scored"), 120000);
    QVERIFY(!cancel->isEnabled());
    QCOMPARE(state->videoTimeline.samples.size(), std::size_t(10));
    QVERIFY(state->videoTimeline.complete);
    QCOMPARE(QString::fromStdString(state->videoTimeline.videoSha256).size(), 64);
    QVERIFY(child<QWidget>(video, "ScoreTimeline")->isVisible());

    // The shares of each side, whole percents adding up to 100.
    const QStringList shares = child<QLabel>(video, "TimeShares")->text().split('\n');
    QCOMPARE(shares.size(), 2);
    const QRegularExpression form(
        QStringLiteral("^(Right|Left) side: level 1 (\\d+) %, level 2 (\\d+) %, level 3 (\\d+) %, level 4 (\\d+) %$"));
    for (const QString& line : shares) {
        const QRegularExpressionMatch match = form.match(line);
        QVERIFY2(match.hasMatch(), qPrintable(line));
        QCOMPARE(match.captured(2).toInt() + match.captured(3).toInt() + match.captured(4).toInt() +
                     match.captured(5).toInt(),
                 100);
    }
    QVERIFY(child<QLabel>(video, "ScoringNote")->text().contains(QStringLiteral("Legs")));

    // A click on the chart's right end shows the last sample's frame.
    auto* chart = child<QWidget>(video, "ScoreTimeline");
    QTest::mouseClick(chart, Qt::LeftButton, {}, QPoint(chart->width() - 6, chart->height() / 2));
    QTRY_VERIFY_WITH_TIMEOUT(info->text().startsWith(QStringLiteral("Frame 18 of 20")), 20000);

    // The worst moment proposed first is looked at, then kept as a key frame, most extreme.
    auto* proposed = child<QListWidget>(video, "ProposedKeyFrames");
    QVERIFY(proposed->count() >= 1 && proposed->count() <= 5);
    const int frame = proposed->item(0)->text().section(QStringLiteral("frame "), 1).section(' ', 0, 0).toInt();
    proposed->setCurrentRow(0);
    QTRY_VERIFY_WITH_TIMEOUT(info->text().startsWith(QStringLiteral("Frame %1 of 20").arg(frame)), 20000);
    QTest::mouseClick(child<QPushButton>(video, "UseProposedFrame"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(state->keyFrames.size(), std::size_t(1), 20000);
    QCOMPARE(state->keyFrames.front().frameNumber, frame);
    QCOMPARE(state->keyFrames.front().reason, QStringLiteral("Most extreme"));
    windows->window<MeasureAngles>().close();
    video.hide();

    // Saved with the assessment, the timeline is reported by a new process: its page names the
    // video, shows both sides' shares as the window did and lists the worst moments.
    saveAs(viewResults(variedAssessment(3)), m_dir.path(), QStringLiteral("Scored"));
    const QString text = m_dir.filePath(QStringLiteral("Scored RULA Analysis.txt"));
    const QString pdf = m_dir.filePath(QStringLiteral("scored.pdf"));
    const Run report = runProgram({QStringLiteral("--report"), text, QStringLiteral("-o"), pdf});
    QVERIFY2(report.status == 0, qPrintable(report.errorLines.join(QLatin1Char('\n'))));
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, "-"});
    QVERIFY(pdftotext.waitForFinished(60000));
    const QString shown = QString::fromUtf8(pdftotext.readAllStandardOutput()).simplified();
    for (const QString& line : QStringList{QStringLiteral("The whole video scored"),
                                           QStringLiteral("turning.mp4 scored at 5 samples a second over "
                                                          "00:00:01.900: 10 samples."),
                                           shares[0], shares[1], QStringLiteral("The worst moments"),
                                           proposed->item(0)->text().section(QStringLiteral(" \u00B7 "), 2)})
        QVERIFY2(shown.contains(line), qPrintable(line));

    // Reopened in a new run, the video opened again shows the same shares without scoring.
    dropWindows();
    makeWindows();
    ReopenAssessment(text, *windows);
    QVERIFY2(recorder.messages.isEmpty(), qPrintable(recorder.messages.join(QLatin1Char('\n'))));
    QCOMPARE(state->videoTimeline.samples.size(), std::size_t(10));
    VideoFrames& reopened = windows->window<VideoFrames>();
    reopened.showWindow();
    auto* reopenedFile = child<QLineEdit>(reopened, "VideoFile");
    reopenedFile->setFocus();
    QTest::keyClicks(reopenedFile, turning);
    QTest::keyClick(reopenedFile, Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(child<QLabel>(reopened, "FrameInfo")->text().startsWith(QStringLiteral("Frame 0 of 20")),
                             20000);
    QCOMPARE(child<QLabel>(reopened, "TimeShares")->text().split('\n'), shares);
}

void TestVideoFrames::frameOfATurnedVideoIsKeptUpright()
{
    // Stored a quarter turn anticlockwise, with the display matrix of a quarter turn clockwise,
    // as a phone held upright stores it.
    const QString turned = m_dir.filePath(QStringLiteral("portrait.mp4"));
    QStringList arguments = testvideo::timing(false);
    arguments[1] += QStringLiteral(",transpose=cclock");
    const QString failure = testvideo::runFfmpeg(
        arguments +
            QString::fromLatin1("-c:v libx264 -preset veryfast -g 50 -pix_fmt yuv420p").split(QLatin1Char(' ')) +
            QStringList{turned},
        80);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QVERIFY(testvideo::setDisplayMatrix(turned, 0, 1, -1, 0, testvideo::Height, 0));

    VideoFrames& video = windows->window<VideoFrames>();
    video.showWindow();
    auto* file = child<QLineEdit>(video, "VideoFile");
    file->setFocus();
    QTest::keyClicks(file, turned);
    QTest::keyClick(file, Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(child<QLabel>(video, "FrameInfo")->text().startsWith(QStringLiteral("Frame 0 of 80")),
                             20000);
    goTo(video, 63);
    QTest::mouseClick(child<QPushButton>(video, "UseFrame"), Qt::LeftButton);
    QCOMPARE(state->keyFrames.size(), std::size_t(1));
    const KeyFrame& kept = state->keyFrames.front();
    QCOMPARE(kept.rotation, 90);
    QCOMPARE(kept.mirrored, false);
    // The picture kept, which Measure Angles measures on, reads 63 upright.
    QCOMPARE(testvideo::frameNumber(QImage(kept.pictureFile)), 63);
    QCOMPARE(windows->window<MeasureAngles>().canvas()->pictureSize(), QSize(testvideo::Width, testvideo::Height));
}

QTEST_MAIN(TestVideoFrames)
#include "tst_videoframes.moc"
