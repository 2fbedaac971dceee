// SPDX-License-Identifier: GPL-3.0-or-later
// The evidence kept with an assessment: saved through the windows with a workplace picture and
// the assessment's details, reopened after the picture has gone, saved again as revision 2,
// and reported from the file as in the windows; evidence files that are damaged or belong to
// another version of the text file are named and left unused; a table of tampered evidence files.
// Suggested landmarks keep their suggestion, confidence and whether the assessor moved them.
#include "AngleCanvas.h"
#include "AssessmentDetails.h"
#include "CautionStatement.h"
#include "Commands.h"
#include "EmployeeDetails.h"
#include "Evidence.h"
#include "EvidencePictureBytes.h"
#include "EvidencePictureFile.h"
#include "FileLists.h"
#include "FilledEvidence.h"
#include "FinalResults.h"
#include "MainWindow.h"
#include "MeasureAngles.h"
#include "MeasureSupport.h"
#include "MeasureWindowSupport.h"
#include "OpenPictureFile.h"
#include "OptionCatalogue.h"
#include "OverwriteFile.h"
#include "PdfChecks.h"
#include "PictureBox.h"
#include "ProgramRuns.h"
#include "RULAAction.h"
#include "ReportDialogs.h"
#include "RevisionChanges.h"
#include "SaveWindow.h"
#include "SavedFiles.h"
#include "WindowTestSupport.h"

#include <QComboBox>
#include <QCryptographicHash>
#include <QDateTimeEdit>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QProcess>
#include <QRadioButton>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <fcntl.h>
#include <map>
#include <sys/stat.h>

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// The text of a PDF as pdftotext gives it.
QString pdfText(const QString& path)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), path, "-"});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        qFatal("pdftotext failed on %s", qPrintable(path));
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Every body part but the measured ones, one posture each.
const char* const OtherPanels[] = {"Frame11", "Frame16", "Frame18", "Frame20", "Frame19", "Frame24",
                                   "Frame28", "Frame29", "Frame32", "Frame33", "Frame55", "Frame61",
                                   "Frame58", "Frame64", "Frame66", "Frame35", "Frame38", "Frame39",
                                   "Frame43", "Frame45", "Frame50", "Frame4"};

const QDateTime Observed(QDate(2026, 11, 30), QTime(9, 15));

} // namespace

class EvidenceTest : public QObject, public WindowFixture
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        startRecording();
    }
    void init() { makeWindows(); }
    void cleanup()
    {
        ReportDialogs::resetHandlers();
        dropWindows();
    }

    void keptWithTheAssessmentAndItsRevisions()
    {
        QTemporaryDir dir;
        QDir folder(dir.path());
        QVERIFY(folder.mkdir(QStringLiteral("photos")));
        const QString picture = writeWorkplacePicture(QDir(folder.filePath(QStringLiteral("photos"))));
        const QByteArray pictureBytes = readAll(picture);

        // ---- The first save, through the windows.
        CautionStatement& caution = windows->window<CautionStatement>();
        caution.showWindow();
        click(caution, "Command1");
        EmployeeDetails& employee = windows->window<EmployeeDetails>();
        QTest::keyClicks(child<QLineEdit>(employee, "Text1"), QStringLiteral("O'Brien"));
        QTest::keyClicks(child<QLineEdit>(employee, "Text2"), QStringLiteral("E-042"));
        QTest::keyClicks(child<QLineEdit>(employee, "Text3"), QStringLiteral("Press shop, bay 7"));
        click(employee, "DetailsButton");
        AssessmentDetails& details = windows->window<AssessmentDetails>();
        QVERIFY(details.isVisible());
        QTest::keyClicks(child<QLineEdit>(details, "Task"), QStringLiteral("Loading the press"));
        child<QDateTimeEdit>(details, "Observed")->setDateTime(Observed);
        child<QLineEdit>(details, "Assessor")->setText(QStringLiteral("Dana Kowalski"));
        child<QComboBox>(details, "Phase")->setCurrentText(QStringLiteral("After change"));
        QTest::keyClicks(child<QLineEdit>(details, "Notes"), QStringLiteral("Guard moved 20 cm"));
        click(details, "OkButton");
        QVERIFY(!details.isVisible());
        click(employee, "Command1");

        MainWindow& main = windows->window<MainWindow>();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        loadWorkplacePicture(folder.filePath(QStringLiteral("photos")));
        // The right upper arm straight forward (90° flexion, score 3) measured and applied; the
        // left one 30° behind the trunk line (extension beyond 20°, score 2) measured only.
        MeasureAngles& measure = openMeasureAngles();
        QTest::mouseClick(child<QRadioButton>(measure, "FacesRight"), Qt::LeftButton);
        choosePart(measure, QStringLiteral("Upper Arm (Right)"));
        for (const QPoint& point : {at(measure, 600, 800), at(measure, 600, 200), at(measure, 1000, 200)})
            QTest::mouseClick(measure.canvas(), Qt::LeftButton, {}, point);
        click(measure, "Apply");
        choosePart(measure, QStringLiteral("Upper Arm (Left)"));
        const QPoint shoulder = at(measure, 600, 200);
        for (const QPoint& point : {at(measure, 600, 800), shoulder, shoulder + QPoint(-100, 173)})
            QTest::mouseClick(measure.canvas(), Qt::LeftButton, {}, point);
        click(measure, "Close");
        for (const char* panel : OtherPanels)
            main.selectOption(rula::optionIndexOfPanel(panel));
        saveAs(QStringLiteral("O'Brien"), dir.path(), false);

        const QString text = folder.filePath(QStringLiteral("O'Brien RULA Analysis.txt"));
        const QString evidencePath = folder.filePath(QStringLiteral("O'Brien RULA Evidence.sqlite"));
        const QString textHash =
            QString::fromLatin1(QCryptographicHash::hash(readAll(text), QCryptographicHash::Sha256).toHex());
        EvidenceReading first = readEvidence(evidencePath, textHash);
        QVERIFY2(first.ok, qPrintable(first.error));
        QCOMPARE(first.evidence.revision, 1);
        QCOMPARE(first.evidence.history.size(), std::size_t(1));
        QCOMPARE(first.evidence.history[0].assessor, QStringLiteral("Dana Kowalski"));
        const QString id = first.evidence.assessmentId;
        QVERIFY(!id.isEmpty());

        // ---- The photo is moved away; a new run reopens the file.
        QVERIFY(folder.rename(QStringLiteral("photos"), QStringLiteral("elsewhere")));
        dropWindows();
        makeWindows();
        ReopenAssessment(text, *windows);
        QVERIFY2(recorder.messages.isEmpty(), qPrintable(recorder.messages.join(QLatin1Char('\n'))));
        // As at an ordinary start, no window is made before the caution window: each shows the
        // reopened assessment when it is first asked for.
        QVERIFY(!windows->exists<MainWindow>() && !windows->exists<EmployeeDetails>());
        CautionStatement& caution2 = windows->window<CautionStatement>();
        caution2.showWindow();
        click(caution2, "Command1");
        EmployeeDetails& employee2 = windows->window<EmployeeDetails>();
        QCOMPARE(child<QLineEdit>(employee2, "Text1")->text(), QStringLiteral("O'Brien"));
        QCOMPARE(child<QLineEdit>(employee2, "Text3")->text(), QStringLiteral("Press shop, bay 7"));
        click(employee2, "DetailsButton");
        AssessmentDetails& details2 = windows->window<AssessmentDetails>();
        QCOMPARE(child<QLineEdit>(details2, "Task")->text(), QStringLiteral("Loading the press"));
        QCOMPARE(child<QDateTimeEdit>(details2, "Observed")->dateTime(), Observed);
        QCOMPARE(child<QLineEdit>(details2, "Assessor")->text(), QStringLiteral("Dana Kowalski"));
        QCOMPARE(child<QComboBox>(details2, "Phase")->currentText(), QStringLiteral("After change"));
        QCOMPARE(child<QLineEdit>(details2, "Notes")->text(), QStringLiteral("Guard moved 20 cm"));
        child<QComboBox>(details2, "Phase")->setCurrentText(QStringLiteral("Follow-up"));
        click(details2, "OkButton");
        click(employee2, "Command1");
        MainWindow& main2 = windows->window<MainWindow>();
        auto* box = child<PictureBox>(main2, "Picture1");
        QVERIFY(box->isVisible() && box->hasPicture());
        QCOMPARE(readAll(state->workplacePictureFile), pictureBytes);
        MeasureAngles& measured = openMeasureAngles();
        choosePart(measured, QStringLiteral("Upper Arm (Right)"));
        QCOMPARE(labelText(measured, "Angle"), QString::fromUtf8("90° flexion"));
        QCOMPARE(labelText(measured, "Score"), QStringLiteral("Score 3, applied"));
        choosePart(measured, QStringLiteral("Upper Arm (Left)"));
        QCOMPARE(labelText(measured, "Angle"), QString::fromUtf8("30° extension"));
        QCOMPARE(labelText(measured, "Score"), QStringLiteral("Score 2, measured"));
        click(measured, "Close");

        // The neck a band higher, then saved over the first revision.
        main2.selectOption(rula::optionIndexOfPanel("Frame56"));
        saveAs(QStringLiteral("O'Brien"), dir.path(), true);

        const QString secondHash =
            QString::fromLatin1(QCryptographicHash::hash(readAll(text), QCryptographicHash::Sha256).toHex());
        EvidenceReading second = readEvidence(evidencePath, secondHash);
        QVERIFY2(second.ok, qPrintable(second.error));
        QCOMPARE(second.evidence.assessmentId, id);
        QCOMPARE(second.evidence.revision, 2);
        QCOMPARE(second.evidence.history.size(), std::size_t(2));
        QCOMPARE(filled::bytesOf(*second.evidence.workplacePicture()), pictureBytes);
        const QStringList changes = second.evidence.history[1].changes.split(QLatin1Char('\n'));
        QVERIFY2(changes.contains(QStringLiteral("Phase: \"After change\" → \"Follow-up\"")),
                 qPrintable(changes.join('|')));
        QVERIFY2(changes.size() == 2 && changes[0].startsWith(QStringLiteral("Neck: ")), qPrintable(changes.join('|')));
        // The first evidence no longer belongs to the text file.
        QVERIFY(readEvidence(evidencePath, textHash).error.contains(QStringLiteral("another version")));

        // ---- A third run reports it in the windows; the report from the file reads the same.
        dropWindows();
        makeWindows();
        ReopenAssessment(text, *windows);
        const QString live = folder.filePath(QStringLiteral("live.pdf"));
        reportThroughTheWindows(live);
        const QString fromFile = folder.filePath(QStringLiteral("file.pdf"));
        const Run run = runProgram({QStringLiteral("--report"), text, QStringLiteral("-o"), fromFile});
        QCOMPARE(run.status, 0);
        QCOMPARE(pdfAProblems(live), QString());
        const QString liveText = pdfText(live);
        QCOMPARE(pdfText(fromFile), liveText);
        for (const QString& shown :
             {QStringLiteral("O'Brien"), QStringLiteral("Loading the press"), QStringLiteral("Dana Kowalski"),
              QStringLiteral("Follow-up"), QStringLiteral("Angles measured on the workplace picture"),
              QStringLiteral("Revision 2"), QStringLiteral("Phase: \"After change\" → \"Follow-up\"")})
            QVERIFY2(liveText.contains(shown), qPrintable(shown));
    }

    // A picture of 8000 x 8000 pixels decodes to 256 MB, twice what Qt lets one picture take:
    // it is shown at the size of its box, kept whole, and measured in its own pixels.
    void aLargePictureIsKeptAndReopened()
    {
        QTemporaryDir dir;
        QDir folder(dir.path());
        QVERIFY(folder.mkdir(QStringLiteral("photos")));
        const QString picture = folder.filePath(QStringLiteral("photos/workplace.png"));
        {
            QImage image(8000, 8000, QImage::Format_RGB888);
            image.fill(QColor(200, 40, 30));
            QPainter painter(&image);
            painter.fillRect(4000, 0, 4000, 8000, QColor(30, 60, 190));
            painter.end();
            QVERIFY(image.save(picture));
        }
        const QByteArray pictureBytes = readAll(picture);

        CautionStatement& caution = windows->window<CautionStatement>();
        caution.showWindow();
        click(caution, "Command1");
        EmployeeDetails& employee = windows->window<EmployeeDetails>();
        QTest::keyClicks(child<QLineEdit>(employee, "Text1"), QStringLiteral("Ito"));
        click(employee, "Command1");
        QVERIFY(QTest::qWaitForWindowExposed(&windows->window<MainWindow>()));
        loadWorkplacePicture(folder.filePath(QStringLiteral("photos")));
        // The right upper arm straight forward: 90° flexion, placed in the picture's own pixels.
        MeasureAngles& measure = openMeasureAngles();
        QTest::mouseClick(child<QRadioButton>(measure, "FacesRight"), Qt::LeftButton);
        choosePart(measure, QStringLiteral("Upper Arm (Right)"));
        for (const QPoint& point : {at(measure, 2000, 6000), at(measure, 2000, 2000), at(measure, 6000, 2000)})
            QTest::mouseClick(measure.canvas(), Qt::LeftButton, {}, point);
        click(measure, "Apply");
        click(measure, "Close");
        for (const char* panel : OtherPanels)
            main().selectOption(rula::optionIndexOfPanel(panel));
        saveAs(QStringLiteral("Ito"), dir.path(), false);

        QVERIFY(QFile::remove(picture));
        dropWindows();
        makeWindows();
        const QString text = folder.filePath(QStringLiteral("Ito RULA Analysis.txt"));
        ReopenAssessment(text, *windows);
        QVERIFY2(recorder.messages.isEmpty(), qPrintable(recorder.messages.join(QLatin1Char('\n'))));
        QCOMPARE(readAll(state->workplacePictureFile), pictureBytes);
        QCOMPARE(state->reopenedEvidence.workplacePicture()->pixelSize, QSize(8000, 8000));
        CautionStatement& caution2 = windows->window<CautionStatement>();
        caution2.showWindow();
        click(caution2, "Command1");
        click(windows->window<EmployeeDetails>(), "Command1");
        auto* box = child<PictureBox>(main(), "Picture1");
        // Decoded on another core while the windows were made; on the screen when Main is.
        const QImage onScreen = box->grab().toImage();
        QVERIFY(box->isVisible() && box->hasPicture());
        const QPoint left = box->contentsRect().topLeft() + box->pictureRect().topLeft() +
                            QPoint(box->pictureRect().width() / 4, box->pictureRect().height() / 2);
        QCOMPARE(onScreen.pixelColor(left * onScreen.devicePixelRatio()), QColor(200, 40, 30));
        // Shown at the box's size, red on the left and blue on the right.
        const QImage shown = box->picture();
        QVERIFY2(shown.width() <= box->width() && shown.height() <= box->height(),
                 qPrintable(QStringLiteral("%1 x %2").arg(shown.width()).arg(shown.height())));
        QCOMPARE(shown.pixelColor(shown.width() / 4, shown.height() / 2), QColor(200, 40, 30));
        QCOMPARE(shown.pixelColor(shown.width() * 3 / 4, shown.height() / 2), QColor(30, 60, 190));
        MeasureAngles& measured = openMeasureAngles();
        choosePart(measured, QStringLiteral("Upper Arm (Right)"));
        QCOMPARE(labelText(measured, "Angle"), QString::fromUtf8("90° flexion"));
        QCOMPARE(labelText(measured, "Score"), QStringLiteral("Score 3, applied"));
        const auto& shoulder = state->angleMeasurements.side(rula::Side::Right)[rula::Landmark::Shoulder];
        QVERIFY(shoulder && std::abs(shoulder->x - 2000) < 40 && std::abs(shoulder->y - 2000) < 40);
        click(measured, "Close");
    }

    void damagedOrMismatchedEvidenceIsNamedAndLeftUnused_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("reason");
        QTest::newRow("mismatched") << "text"
                                    << "The evidence file belongs to another version of this assessment; "
                                       "it was not used.";
        QTest::newRow("damaged") << "evidence"
                                 << "The evidence file is damaged";
        // REBA's table with a score that its choices do not give, as an edit by hand leaves it.
        QTest::newRow("REBA score altered") << "reba"
                                            << "The evidence file is damaged (REBA's Score A is not what its "
                                               "choices give)";
        QTest::newRow("picture altered") << "picture"
                                         << "The evidence file is damaged (the picture \"press.png\" does not "
                                            "match its SHA-256)";
    }
    void damagedOrMismatchedEvidenceIsNamedAndLeftUnused()
    {
        QFETCH(QString, damage);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString text = dir.filePath(QStringLiteral("Lee RULA Analysis.txt"));
        const QString evidencePath = dir.filePath(QStringLiteral("Lee RULA Evidence.sqlite"));
        const rula::AssessmentState assessment = variedAssessment(3);
        const QByteArray textBytes = savedTextFile(assessment, {QStringLiteral("Lees"), QStringLiteral("7"), {}});
        QVERIFY(writeWholeFile(text, textBytes));
        Evidence evidence;
        evidence.assessmentId = QStringLiteral("a1");
        evidence.revision = 1;
        evidence.textSha256 = sha256Hex(textBytes);
        evidence.typed = {QStringLiteral("Lee's"), QStringLiteral("7"), {}};
        evidence.details.phase = QStringLiteral("Baseline");
        evidence.details.task = QStringLiteral("Welding");
        evidence.history.push_back({1, QDateTime::currentDateTimeUtc(), QStringLiteral("K"), "2.0", "First save."});
        for (const char* band : {"RebaNeck1", "RebaTrunk1", "RebaLegs1", "RebaKnees0", "RebaLoad0"})
            evidence.reba.click(rula::reba::rebaOptionIndex(band)); // score A 1
        evidence.pictures.push_back(filled::picture(QStringLiteral("workplace"), QStringLiteral("press.png"),
                                                    filled::png(8, 6, qRgb(200, 40, 30)), QSize(8, 6)));
        QCOMPARE(writeEvidence(evidencePath, evidence), QString());
        if (damage == QLatin1String("reba") || damage == QLatin1String("picture")) {
            {
                QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("edit"));
                db.setDatabaseName(evidencePath);
                QVERIFY(db.open());
                QSqlQuery edit(db);
                if (damage == QLatin1String("reba")) {
                    QVERIFY(edit.exec(QStringLiteral("UPDATE reba SET value = 2 WHERE name = 'Score A'")));
                } else { // another picture of the same size in the photograph's place
                    QVERIFY(edit.prepare(QStringLiteral("UPDATE pictures SET data = ? WHERE picture = 1")));
                    edit.addBindValue(filled::png(8, 6, qRgb(30, 60, 190)));
                    QVERIFY(edit.exec());
                }
            }
            QSqlDatabase::removeDatabase(QStringLiteral("edit"));
        } else if (damage == QLatin1String("text")) {
            // The text file saved again by another program: the evidence is of its earlier version.
            QVERIFY(writeWholeFile(text, savedTextFile(assessment, {QStringLiteral("Lees"), QStringLiteral("8"), {}})));
        } else {
            // The first page after the file header overwritten, as a broken copy leaves it.
            QFile file(evidencePath);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.seek(100));
            file.write(QByteArray(4096, '\x5a'));
        }

        ReopenAssessment(text, *windows);
        QCOMPARE(recorder.messages.size(), 1);
        QVERIFY2(recorder.messages[0].contains(QStringLiteral("Lee RULA Evidence.sqlite")) &&
                     recorder.messages[0].contains(reason),
                 qPrintable(recorder.messages[0]));
        // The assessment opens from its text file alone, and is reported from it alone.
        QCOMPARE(child<QLineEdit>(windows->window<EmployeeDetails>(), "Text1")->text(), QStringLiteral("Lees"));
        QVERIFY(state->details.task.isEmpty());
        QVERIFY(state->workplacePictureFile.isEmpty());
        const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
        const Run report = runProgram({QStringLiteral("--report"), text, QStringLiteral("-o"), pdf});
        QCOMPARE(report.status, 0);
        QVERIFY2(report.errorLines.join(QLatin1Char('\n')).contains(reason),
                 qPrintable(report.errorLines.join(QLatin1Char('\n'))));
        QVERIFY(!pdfText(pdf).contains(QStringLiteral("Welding")));
    }

    // A photograph kept with the assessment that no reader here can show (a format another
    // computer could read) is named; the rest of the evidence is used.
    void aKeptPhotographThatCannotBeShownIsNamed()
    {
        QTemporaryDir dir;
        const QString text = dir.filePath(QStringLiteral("ONeil RULA Analysis.txt"));
        const QByteArray textBytes = savedTextFile(
            variedAssessment(2), {QStringLiteral("ONeil"), QStringLiteral("E-7"), QStringLiteral("Bay 3")});
        QVERIFY(writeWholeFile(text, textBytes));
        Evidence evidence = filled::evidence(sha256Hex(textBytes));
        for (EvidencePicture& picture : evidence.pictures) {
            if (picture.role == QLatin1String("workplace"))
                picture = filled::picture(picture.role, picture.fileName, "\x89PNG but no more", picture.pixelSize);
        }
        QCOMPARE(writeEvidence(dir.filePath(QStringLiteral("ONeil RULA Evidence.sqlite")), evidence), QString());

        ReopenAssessment(text, *windows);
        QCOMPARE(recorder.messages,
                 QStringList{
                     QStringLiteral("The workplace picture \"press.png\" kept with the assessment cannot be shown.")});
        QCOMPARE(state->details.task, QStringLiteral("Loading the press"));
        QVERIFY(state->workplacePictureFile.isEmpty());
        QVERIFY(child<PictureBox>(windows->window<MainWindow>(), "Picture1")->isHidden());
    }

    // A suggested wrist left where it was, a suggested elbow moved, a hip clicked by hand: the
    // evidence keeps each as it is and gives the same measurements back.
    void suggestedLandmarksAreKept()
    {
        rula::PictureMeasurements sheet;
        sheet.facing = rula::Facing::Right;
        rula::Skeleton& right = sheet.side(rula::Side::Right);
        right[rula::Landmark::Wrist] = rula::Point{100, 200};
        right.suggested[std::size_t(rula::Landmark::Wrist)] = rula::Suggestion{{100, 200}, 0.4};
        right[rula::Landmark::Elbow] = rula::Point{150, 210};
        right.suggested[std::size_t(rula::Landmark::Elbow)] = rula::Suggestion{{140, 200}, 0.9};
        sheet.side(rula::Side::Left)[rula::Landmark::Hip] = rula::Point{300, 400};

        EvidencePicture picture;
        picture.role = QStringLiteral("extra");
        picture.fileName = QStringLiteral("worker.jpg");
        picture.sha256 = sha256Hex("worker");
        picture.pixelSize = QSize(640, 480);
        putMeasurements(picture, sheet);
        Evidence evidence;
        evidence.assessmentId = QStringLiteral("a1");
        evidence.revision = 1;
        evidence.textSha256 = sha256Hex("text");
        evidence.history.push_back({1, QDateTime::currentDateTimeUtc(), QStringLiteral("K"), "2.0", "First save."});
        evidence.pictures.push_back(picture);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("evidence.sqlite"));
        QCOMPARE(writeEvidence(path, evidence), QString());
        const EvidenceReading read = readEvidence(path, sha256Hex("text"));
        QVERIFY2(read.ok, qPrintable(read.error));

        std::map<QString, EvidenceLandmark> kept;
        for (const EvidenceLandmark& landmark : read.evidence.pictures.at(0).landmarks)
            kept[landmark.side + QLatin1Char(' ') + landmark.name] = landmark;
        QCOMPARE(kept.size(), std::size_t(3));
        const EvidenceLandmark& wrist = kept.at(QStringLiteral("Right wrist"));
        QCOMPARE(wrist.suggestedAt, std::optional<QPointF>(QPointF(100, 200)));
        QCOMPARE(wrist.confidence, 0.4);
        QVERIFY(!wrist.moved);
        const EvidenceLandmark& elbow = kept.at(QStringLiteral("Right elbow"));
        QCOMPARE(elbow.at, QPointF(150, 210));
        QCOMPARE(elbow.suggestedAt, std::optional<QPointF>(QPointF(140, 200)));
        QCOMPARE(elbow.confidence, 0.9);
        QVERIFY(elbow.moved);
        QVERIFY(!kept.at(QStringLiteral("Left hip")).suggestedAt);

        const rula::PictureMeasurements back = measurementsOf(read.evidence.pictures.at(0), "worker.jpg");
        QVERIFY(back.side(rula::Side::Right).asSuggested(rula::Landmark::Wrist));
        QVERIFY(!back.side(rula::Side::Right).asSuggested(rula::Landmark::Elbow));
        QCOMPARE(back.side(rula::Side::Right).suggested[std::size_t(rula::Landmark::Elbow)]->confidence, 0.9);
        QVERIFY(!back.side(rula::Side::Left).suggested[std::size_t(rula::Landmark::Hip)]);
    }

    // A fully filled evidence file, tampered with as a hand or another program could, is
    // refused with the reason; untouched (or made a readable older version) it reads back whole.
    void aPictureFileIsKeptWithItsHashOrNamedWhenGone()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("bench.jpg"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("abc") == 3);
        file.close();
        QString error;
        const std::optional<EvidencePicture> picture = readEvidencePicture(path, QStringLiteral("extra"), &error);
        QVERIFY2(picture, qPrintable(error));
        QCOMPARE(picture->role, QStringLiteral("extra"));
        QCOMPARE(picture->fileName, QStringLiteral("bench.jpg"));
        QCOMPARE(picture->source.file, path); // left there, not read into memory
        QCOMPARE(picture->source.size, 3);
        // FIPS 180-2, appendix B.1.
        QCOMPARE(picture->sha256, QStringLiteral("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));

        QVERIFY(QFile::remove(path));
        QVERIFY(!readEvidencePicture(path, QStringLiteral("extra"), &error));
        QVERIFY2(error.startsWith(QStringLiteral("The picture \"%1\" cannot be read any more: ").arg(path)),
                 qPrintable(error));
    }

    void sha256InAnyParts_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        // FIPS 180-2, appendix B.1 to B.3.
        QTest::newRow("abc") << QByteArray("abc")
                             << QStringLiteral("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
        QTest::newRow("448 bits") << QByteArray("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")
                                  << QStringLiteral("248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
        QTest::newRow("a million a") << QByteArray(1000000, 'a')
                                     << QStringLiteral(
                                            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
        // Every way the last block can end, against Qt's own SHA-256.
        for (int size : {0, 1, 55, 56, 57, 63, 64, 65, 119, 120, 127, 128, 129}) {
            QByteArray bytes(size, '\0');
            for (int i = 0; i < size; ++i)
                bytes[i] = char(i * 37 + 11);
            QTest::addRow("%d bytes", size)
                << bytes << QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
        }
    }

    // The hash of the pictures and the text file, fed in parts of any size.
    void sha256InAnyParts()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        for (const qsizetype part : {qsizetype(1), qsizetype(7), qsizetype(64), qsizetype(65), qsizetype(1000)}) {
            Sha256Stream hash;
            for (qsizetype at = 0; at < bytes.size(); at += part)
                hash.add(QByteArrayView(bytes.constData() + at, std::min(part, bytes.size() - at)));
            QCOMPARE(hash.hex(), expected);
        }
        QCOMPARE(sha256Hex(bytes), expected);
    }

    void pictureBytesMoveInPartsCheckedAsTheyGo_data()
    {
        QTest::addColumn<qsizetype>("size");
        QTest::newRow("two and a half parts of a megabyte, and 7 bytes") << qsizetype(5 * 512 * 1024 + 7);
        QTest::newRow("a picture too large to be held, 40 MB") << qsizetype(40 * 1024 * 1024 + 7);
    }

    // A picture of several parts goes into the evidence from its file and comes out of it byte for
    // byte; bytes that change after they were hashed are not saved.
    void pictureBytesMoveInPartsCheckedAsTheyGo()
    {
        QFETCH(qsizetype, size);
        QTemporaryDir dir;
        const QString photo = dir.filePath(QStringLiteral("press.png"));
        QByteArray bytes(size, '\0');
        for (qsizetype i = 0; i < bytes.size(); ++i)
            bytes[i] = char(i * 7 + i / 4093);
        QVERIFY(writeWholeFile(photo, bytes));
        QString error;
        const std::optional<EvidencePicture> fromFile = readEvidencePicture(photo, QStringLiteral("workplace"), &error);
        QVERIFY2(fromFile, qPrintable(error));
        QCOMPARE(fromFile->sha256,
                 QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex()));
        const QString textSha256 = sha256Hex("the text file");
        Evidence evidence = filled::evidence(textSha256);
        evidence.pictures.front().bytes.clear();
        evidence.pictures.front().sha256 = fromFile->sha256;
        evidence.pictures.front().source = fromFile->source;
        const QString path = dir.filePath(QStringLiteral("Lee RULA Evidence.sqlite"));
        QCOMPARE(writeEvidence(path, evidence), QString());
        const EvidenceReading read = readEvidence(path, textSha256);
        QVERIFY2(read.ok, qPrintable(read.error));
        QCOMPARE(filled::bytesOf(*read.evidence.workplacePicture()), bytes);

        // The photograph changed after it was hashed, in its last byte or its first: it is not saved.
        for (const qsizetype changed : {size - 1, qsizetype(0)}) {
            bytes[changed] = char(bytes[changed] ^ 1);
            QVERIFY(writeWholeFile(photo, bytes));
            QCOMPARE(writeEvidence(dir.filePath(QStringLiteral("again.sqlite")), evidence),
                     QStringLiteral("The picture \"press.png\" no longer matches its SHA-256"));
            bytes[changed] = char(bytes[changed] ^ 1);
        }
        // Or grown by a byte at its end.
        QVERIFY(writeWholeFile(photo, bytes + 'x'));
        QCOMPARE(writeEvidence(dir.filePath(QStringLiteral("grown.sqlite")), evidence),
                 QStringLiteral("The picture \"press.png\" no longer matches its SHA-256"));
    }

    // A picture is hashed as soon as it is chosen, and the save takes that hash; changed since,
    // even to the same size and the same modification time (as a copy that keeps times makes
    // it), it is hashed again.
    void aPictureHashedWhenChosenIsHashedAgainOnceChanged()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("bench.jpg"));
        QVERIFY(writeWholeFile(path, "abc"));
        struct stat written;
        QVERIFY(::stat(QFile::encodeName(path).constData(), &written) == 0);
        hashPictureAhead(path);
        QString error;
        std::optional<EvidencePicture> picture = readEvidencePicture(path, QStringLiteral("extra"), &error);
        QVERIFY2(picture, qPrintable(error));
        // FIPS 180-2, appendix B.1.
        QCOMPARE(picture->sha256, QStringLiteral("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));

        QThread::msleep(50); // past the file system clock's tick
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite) && file.write("abd") == 3);
        file.close();
        const timespec times[2] = {written.st_atim, written.st_mtim};
        QVERIFY(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0);
        picture = readEvidencePicture(path, QStringLiteral("extra"), &error);
        QVERIFY2(picture, qPrintable(error));
        QCOMPARE(picture->sha256,
                 QString::fromLatin1(QCryptographicHash::hash("abd", QCryptographicHash::Sha256).toHex()));
    }

    // A hash known for a picture that no longer fits its bytes is found out as the picture is
    // copied into the evidence: that save is refused, and the next one hashes the picture anew.
    void aSaveRefusedForAWrongHashSucceedsWhenTriedAgain()
    {
        QTemporaryDir dir;
        const QString photo = dir.filePath(QStringLiteral("press.png"));
        QVERIFY(writeWholeFile(photo, "the photograph"));
        knowPictureHash(photo, sha256Hex("another photograph"), 7);
        const QString textSha256 = sha256Hex("the text file");
        Evidence evidence = filled::evidence(textSha256);
        QStringList outcomes;
        for (const char* name : {"refused.sqlite", "saved.sqlite"}) {
            QString error;
            const std::optional<EvidencePicture> picture =
                readEvidencePicture(photo, QStringLiteral("workplace"), &error);
            QVERIFY2(picture, qPrintable(error));
            evidence.pictures.front().bytes.clear();
            evidence.pictures.front().sha256 = picture->sha256;
            evidence.pictures.front().source = picture->source;
            outcomes << writeEvidence(dir.filePath(QString::fromLatin1(name)), evidence);
        }
        QCOMPARE(outcomes,
                 QStringList({QStringLiteral("The picture \"press.png\" no longer matches its SHA-256"), {}}));
        const EvidenceReading read = readEvidence(dir.filePath(QStringLiteral("saved.sqlite")), textSha256);
        QVERIFY2(read.ok, qPrintable(read.error));
        QCOMPARE(read.evidence.workplacePicture()->sha256, sha256Hex("the photograph"));
    }

    void historyNamesPlansAndScoredVideos_data()
    {
        QTest::addColumn<int>("change");
        QTest::addColumn<QString>("expected");
        QTest::newRow("nothing") << 0 << QStringLiteral("No changes.");
        QTest::newRow("a planned change added") << 1 << QStringLiteral("Planned changes: 2 → 3");
        QTest::newRow("a planned change replaced") << 2 << QStringLiteral("Planned changes: 2 → 2");
        QTest::newRow("a video scored") << 3
                                        << QStringLiteral(
                                               "Whole video scored: task.mp4, 3 samples at 2 a second (stopped early)");
        QTest::newRow("the same video scored again, to the end")
            << 4 << QStringLiteral("Whole video scored: task.mp4, 3 samples at 2 a second");
        QTest::newRow("the scored video left out") << 5 << QStringLiteral("Scored video left out");
    }
    void historyNamesPlansAndScoredVideos()
    {
        QFETCH(int, change);
        QFETCH(QString, expected);
        Evidence was = filled::evidence(QString(64, QLatin1Char('0')));
        Evidence is = was;
        if (change == 1)
            is.plannedChanges.push_back({QStringLiteral("Frame5"), QStringLiteral("Select"), 2});
        if (change == 2)
            is.plannedChanges[1].option = QStringLiteral("Frame10");
        if (change == 3)
            was.timeline = {};
        if (change == 4)
            is.timeline.complete = true;
        if (change == 5)
            is.timeline = {};
        QCOMPARE(describeChanges(AssessmentRecord(), was, AssessmentRecord(), is), expected);
    }

    void tamperedEvidenceIsRefused_data()
    {
        QTest::addColumn<QString>("statements");
        QTest::addColumn<QString>("reason"); // empty: read
        const auto row = [](const char* name, const char* statements, const char* reason) {
            QTest::newRow(name) << QString::fromUtf8(statements) << QString::fromUtf8(reason);
        };
#define NO_TIMELINE                                                                                                    \
    "DROP TABLE video_timeline; DROP TABLE video_samples; DROP TABLE video_sample_sides; "                             \
    "DROP TABLE video_sample_parts; DROP TABLE video_sample_landmarks"
        row("untouched", "", "");
        row("version 2 without planned changes",
            "UPDATE schema_version SET version = 2; DROP TABLE planned_changes; DROP TABLE key_frame_turns; "
            "DROP TABLE landmark_suggestions; " NO_TIMELINE,
            "");
        row("version 3 without key frame turns",
            "UPDATE schema_version SET version = 3; DROP TABLE key_frame_turns; DROP TABLE "
            "landmark_suggestions; " NO_TIMELINE,
            "");
        row("version 4 without suggested landmarks",
            "UPDATE schema_version SET version = 4; DROP TABLE landmark_suggestions; " NO_TIMELINE, "");
        row("version 5 without a scored video", "UPDATE schema_version SET version = 5; " NO_TIMELINE, "");
#undef NO_TIMELINE
        row("version 5 with a scored video's tables", "UPDATE schema_version SET version = 5",
            "unexpected table \"video_timeline\"");
        // The method gives a grand score of 7 action level 4, and no grand score above 7.
        row("an action level not the grand score's", "UPDATE video_sample_sides SET action_level = 3 WHERE grand = 7",
            "an action level is not the one its grand score gives");
        row("a grand score above 7", "UPDATE video_sample_sides SET grand = 8 WHERE grand = 7",
            "grand is out of range");
        row("a gap in the samples", "UPDATE video_samples SET sample = 4 WHERE sample = 3",
            "the samples skip a number");
        row("samples out of frame order", "UPDATE video_samples SET frame = 10 WHERE sample = 3",
            "the samples are not in frame order");
        row("a side scored where no worker was found",
            "UPDATE video_sample_sides SET grand = 1, action_level = 1 WHERE sample = 2 AND side = 'Right'",
            "a side scored where the worker was not found");
        row("a landmark where no worker was found", "UPDATE video_sample_landmarks SET sample = 2 WHERE name = 'hip'",
            "a landmark where the worker was not found, or twice");
        row("a body part of a sample missing",
            "DELETE FROM video_sample_parts WHERE sample = 3 AND side = 'Left' AND part = 'neck'",
            "a body part of a sample is missing");
        row("a scored side with a body part not measured",
            "UPDATE video_sample_parts SET angle = NULL WHERE sample = 1 AND side = 'Right' AND part = 'trunk'",
            "a scored side with a body part not measured");
        row("an unknown group counted at its lowest", "UPDATE video_timeline SET defaulted = 'Tail'",
            "defaulted names \"Tail\"");
        row("picture bytes not matching their hash", "UPDATE pictures SET data = X'89504E470D0A' WHERE picture = 1",
            "the picture \"press.png\" does not match its SHA-256");
        row("extra picture bytes not matching their hash", "UPDATE pictures SET data = X'00' WHERE picture = 2",
            "the picture \"side view.jpg\" does not match its SHA-256");
        row("a non-hex hash", "UPDATE pictures SET sha256 = 'g' || substr(sha256, 2) WHERE picture = 2",
            "sha256 is not a SHA-256");
        row("a key frame pointing at a missing picture", "UPDATE key_frames SET picture = 9 WHERE picture = 3",
            "a row names a picture it does not hold");
        row("a key frame row on the photograph", "UPDATE key_frames SET picture = 1 WHERE picture = 3",
            "a key frame row names a picture that is none, or twice");
        row("a key frame picture without its row", "DELETE FROM key_frames WHERE picture = 4",
            "the key frame \"task frame 1.png\" names no frame");
        row("an unknown reason", "UPDATE key_frames SET reason = 'Because'", "reason \"Because\" is unknown");
        row("a non-hex video hash", "UPDATE key_frames SET video_sha256 = upper(video_sha256)",
            "video_sha256 is not a SHA-256");
        row("a video name with a folder", "UPDATE key_frames SET video_file = '../task.mp4'",
            "video_file is not a file name");
        row("a gap in the history", "UPDATE history SET revision = 3 WHERE revision = 2",
            "the history skips a revision");
        row("a history short of the revision", "DELETE FROM history WHERE revision = 2",
            "the history does not end at revision 2");
        row("an unknown role", "UPDATE pictures SET role = 'poster' WHERE picture = 2", "role \"poster\" is unknown");
        row("a picture name with a folder", "UPDATE pictures SET file_name = '/etc/passwd' WHERE picture = 2",
            "file_name is not a file name");
        row("the photograph without its bytes", "UPDATE pictures SET data = NULL WHERE picture = 1",
            "the workplace picture has no data");
        row("an unknown landmark", "UPDATE landmarks SET name = 'tail'", "name \"tail\" is unknown");
        row("a planned change of no option", "UPDATE planned_changes SET option = 'Frame999' WHERE position = 1",
            "option \"Frame999\" is unknown");
        row("an unknown change kind", "UPDATE planned_changes SET kind = 'Swap'", "kind \"Swap\" is unknown");
        row("a gap in the planned changes", "UPDATE planned_changes SET position = 3 WHERE position = 2",
            "the planned changes skip a position");
        row("planned on a later revision", "UPDATE planned_changes SET planned_on_revision = 3",
            "planned_on_revision is out of range");
        row("version 2 with a planned changes table", "UPDATE schema_version SET version = 2",
            "unexpected table \"planned_changes\"");
        row("no planned changes table", "DROP TABLE planned_changes", "a table is missing");
        row("a turn of no quarter", "UPDATE key_frame_turns SET rotation = 45", "rotation is not a quarter turn");
        row("a key frame without its turn", "DELETE FROM key_frame_turns WHERE picture = 4",
            "the key frame \"task frame 1.png\" has no turn");
        row("a turn on the photograph", "UPDATE key_frame_turns SET picture = 1 WHERE picture = 3",
            "a key frame turn names a picture that is none, or twice");
        row("version 3 with a turns table", "UPDATE schema_version SET version = 3",
            "unexpected table \"key_frame_turns\"");
        row("version 4 with a suggestions table", "UPDATE schema_version SET version = 4",
            "unexpected table \"landmark_suggestions\"");
        row("a suggestion of a landmark not placed", "UPDATE landmark_suggestions SET name = 'wrist'",
            "a suggestion names no landmark, or one twice");
        row("a confidence above 1", "UPDATE landmark_suggestions SET confidence = 1.5", "confidence is out of range");
        row("a later version", "UPDATE schema_version SET version = 7",
            "was written in version 7 of its format, which this program cannot read");
        row("an unknown table", "CREATE TABLE notes (x)", "unexpected table \"notes\"");
    }
    void tamperedEvidenceIsRefused()
    {
        QFETCH(QString, statements);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Lee RULA Evidence.sqlite"));
        const QString textSha256 = sha256Hex("the text file");
        const Evidence written = filled::evidence(textSha256);
        QCOMPARE(writeEvidence(path, written), QString());
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("tamper"));
            db.setDatabaseName(path);
            QVERIFY(db.open());
            for (const QString& statement : statements.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
                QSqlQuery query(db);
                QVERIFY2(query.exec(statement), qPrintable(query.lastError().text()));
            }
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("tamper"));

        const EvidenceReading reading = readEvidence(path, textSha256);
        // Writing and reading, refused or not, leave no connection behind.
        QCOMPARE(QSqlDatabase::connectionNames(), QStringList());
        if (!reason.isEmpty()) {
            QVERIFY2(!reading.ok, qPrintable(reason));
            QCOMPARE(reading.error, QStringLiteral("The evidence file %1; it was not used.")
                                        .arg(reason.startsWith(QLatin1String("was "))
                                                 ? reason
                                                 : QStringLiteral("is damaged (%1)").arg(reason)));
            return;
        }
        QVERIFY2(reading.ok, qPrintable(reading.error));
        Evidence expected = written;
        if (statements.contains(QLatin1String("version = 2")))
            expected.plannedChanges.clear();
        // Before version 4 key frames were kept unturned.
        if (statements.contains(QLatin1String("version = 2")) || statements.contains(QLatin1String("version = 3"))) {
            for (EvidencePicture& picture : expected.pictures) {
                if (picture.keyFrame) {
                    picture.keyFrame->rotation = 0;
                    picture.keyFrame->mirrored = false;
                }
            }
        }
        if (statements.contains(QLatin1String("DROP TABLE video_timeline")))
            expected.timeline = {};
        if (statements.contains(QLatin1String("DROP TABLE landmark_suggestions"))) {
            for (EvidencePicture& picture : expected.pictures) {
                for (EvidenceLandmark& landmark : picture.landmarks)
                    landmark = filled::landmark(landmark.side, landmark.name, landmark.at);
            }
        }
        filled::compare(reading.evidence, expected, true);
    }

private:
    MainWindow& main()
    {
        return windows->window<MainWindow>();
    }

    MeasureAngles& openMeasureAngles()
    {
        return ::openMeasureAngles(*windows);
    }

    void loadWorkplacePicture(const QString& folder)
    {
        MainWindow& main = windows->window<MainWindow>();
        click(main, "Command3");
        OpenPictureFile& open = windows->window<OpenPictureFile>();
        QVERIFY(child<FolderList>(open, "Dir1")->setPath(folder));
        QVERIFY(clickListEntry(child<FileList>(open, "File1"), QStringLiteral("workplace.png")));
        click(open, "cmdOpen");
        QVERIFY(child<PictureBox>(main, "Picture1")->hasPicture());
    }

    void toActionLevels()
    {
        click(windows->window<MainWindow>(), "Command2");
        click(windows->window<CautionStatement>(), "Command1");
        click(windows->window<FinalResults>(), "Command2");
    }

    void saveAs(const QString& name, const QString& folder, bool overwrite)
    {
        toActionLevels();
        click(windows->window<RULAAction>(), "Command7");
        SaveWindow& save = windows->window<SaveWindow>();
        QVERIFY(child<FolderList>(save, "Dir1")->setPath(folder));
        child<QLineEdit>(save, "Text1")->setText(name);
        QTest::keyClick(child<QLineEdit>(save, "Text1"), Qt::Key_Return);
        if (overwrite)
            click(windows->window<OverwriteFile>(), "Command3");
        QCOMPARE(recorder.messages, QStringList{QStringLiteral("File Saved")});
        recorder.clear();
    }

    void reportThroughTheWindows(const QString& pdf)
    {
        CautionStatement& caution = windows->window<CautionStatement>();
        caution.showWindow();
        click(caution, "Command1");
        click(windows->window<EmployeeDetails>(), "Command1");
        toActionLevels();
        ReportDialogs::setHandlers({[&](QWidget*, const QString&) { return pdf; },
                                    [](QWidget*, const QString&) { return false; },
                                    [](const QString&) { return true; }});
        click(windows->window<RULAAction>(), "Command8");
        QVERIFY2(recorder.messages.isEmpty(), qPrintable(recorder.messages.join(QLatin1Char('\n'))));
    }
};

QTEST_MAIN(EvidenceTest)
#include "tst_evidence.moc"
