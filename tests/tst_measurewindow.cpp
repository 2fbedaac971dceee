// SPDX-License-Identifier: GPL-3.0-or-later
// The Measure Angles window driven as the assessor uses it: a workplace picture loaded
// through the Open Picture File window, the window opened from Main, points clicked on the
// picture, the angle read, the band applied and found selected and scored on Main.
#include "AngleCanvas.h"
#include "ContextHelp.h"
#include "FileLists.h"
#include "HelpFiles.h"
#include "MainWindow.h"
#include "MeasureAngles.h"
#include "MeasureSupport.h"
#include "OpenPictureFile.h"
#include "OptionCatalogue.h"
#include "OptionPanel.h"
#include "PictureBox.h"
#include "WindowTestSupport.h"

#include <QDir>
#include <QImage>
#include <QListWidget>
#include <QRadioButton>
#include <QTemporaryDir>

class TestMeasureWindow : public QObject, public WindowFixture
{
    Q_OBJECT
private slots:
    void initTestCase() { startRecording(); }
    void init();
    void cleanup() { dropWindows(); }

    void upperArmMeasuredAndApplied();
    void trunkAndNeckOfAWorkerFacingLeft();
    void verticalReferenceTurnsTheTrunk();
    void measurementsStayForTheRun();
    void nothingToMeasureWithoutAPicture();
    void vanishedPictureGivesAMessage();
    void everyControlHasItsHelpTopic();

private:
    // Loads the picture as the assessor does: Load Picture, its folder, the file, Open.
    void loadWorkplacePicture();
    MeasureAngles& openByDoubleClick();
    void choosePart(MeasureAngles& window, const QString& name);
    QPoint at(MeasureAngles& window, double x, double y);
    void clickAt(MeasureAngles& window, QPoint position);
    QString text(MeasureAngles& window, const char* label) { return labelText(window, label); }
    MainWindow& main() { return windows->window<MainWindow>(); }

    std::unique_ptr<QTemporaryDir> m_folder;
    QString m_picture;
};

void TestMeasureWindow::init()
{
    makeWindows();
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
    m_picture = writeWorkplacePicture(QDir(m_folder->path()));
    main().showWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&main()));
}

void TestMeasureWindow::loadWorkplacePicture()
{
    click(main(), "Command3");
    OpenPictureFile& open = windows->window<OpenPictureFile>();
    QVERIFY(open.isVisible());
    QVERIFY(child<FolderList>(open, "Dir1")->setPath(m_folder->path()));
    auto* files = child<FileList>(open, "File1");
    QVERIFY(clickListEntry(files, QStringLiteral("workplace.png")));
    click(open, "cmdOpen");
    QVERIFY(!open.isVisible());
    QVERIFY(child<PictureBox>(main(), "Picture1")->isVisible());
}

MeasureAngles& TestMeasureWindow::openByDoubleClick()
{
    auto* picture = child<PictureBox>(main(), "Picture1");
    QTest::mouseDClick(picture, Qt::LeftButton, {}, picture->rect().center());
    MeasureAngles& window = windows->window<MeasureAngles>();
    if (!QTest::qWaitForWindowExposed(&window))
        qWarning("Measure Angles not exposed");
    return window;
}

void TestMeasureWindow::choosePart(MeasureAngles& window, const QString& name)
{
    auto* parts = child<QListWidget>(window, "BodyPart");
    QVERIFY(clickListEntry(parts, name));
    QCOMPARE(parts->currentItem()->text(), name);
}

QPoint TestMeasureWindow::at(MeasureAngles& window, double x, double y)
{
    return window.canvas()->toWidget(rula::Point{x, y}).toPoint();
}

void TestMeasureWindow::clickAt(MeasureAngles& window, QPoint position)
{
    QTest::mouseClick(window.canvas(), Qt::LeftButton, {}, position);
}

void TestMeasureWindow::upperArmMeasuredAndApplied()
{
    loadWorkplacePicture();
    MeasureAngles& window = openByDoubleClick();
    QVERIFY(window.isVisible());
    QCOMPARE(window.windowTitle(), QStringLiteral("Measure Angles"));
    QVERIFY(window.isMaximized());
    QCOMPARE(window.canvas()->pictureSize(), QSize(1200, 900));

    auto* parts = child<QListWidget>(window, "BodyPart");
    QStringList names;
    for (int i = 0; i < parts->count(); ++i)
        names << parts->item(i)->text();
    QCOMPARE(names, QStringList({"Upper Arm (Right)", "Upper Arm (Left)", "Lower Arm (Right)", "Lower Arm (Left)",
                                 "Wrist (Right)", "Wrist (Left)", "Neck", "Trunk"}));

    choosePart(window, QStringLiteral("Upper Arm (Right)"));
    QCOMPARE(text(window, "Prompt"), QStringLiteral("Click the hip"));
    QVERIFY(!child<QPushButton>(window, "Apply")->isEnabled());
    // Hip, shoulder and elbow of the drawn figure: the arm held straight forward.
    clickAt(window, at(window, 600, 800));
    QCOMPARE(text(window, "Prompt"), QStringLiteral("Click the shoulder"));
    clickAt(window, at(window, 600, 200));
    QCOMPARE(text(window, "Prompt"), QStringLiteral("Click the elbow"));
    clickAt(window, at(window, 1000, 200));

    QCOMPARE(text(window, "Angle"), QString::fromUtf8("90° flexion"));
    QCOMPARE(text(window, "BandText"), QString::fromUtf8("upper arm flexed 45° to 90°"));
    QCOMPARE(text(window, "Score"), QStringLiteral("Score 3"));
    QCOMPARE(text(window, "Borderline"),
             QString::fromUtf8("Borderline: within 5° of the limit between score 3 and 4; the method's authors "
                               "advise the higher score when in doubt."));
    QVERIFY(!child<QLabel>(window, "BandPicture")->pixmap().isNull());
    QVERIFY(text(window, "ProjectionNote").contains(QStringLiteral("projection")));

    QCOMPARE(labelText(main(), "CurrentScore"), QString());
    click(window, "Apply");
    OptionPanel* band = child<OptionPanel>(main(), "Frame4");
    QVERIFY(band->isSelected());
    QCOMPARE(band->colour(), QColor(OptionPanel::SelectedColour));
    QCOMPARE(labelText(main(), "CurrentScore"), QStringLiteral("3"));
    QVERIFY(state->assessment.isSelected(rula::optionIndexOfPanel("Frame4")));
    QCOMPARE(text(window, "Score"), QStringLiteral("Score 3, applied"));

    // The elbow dragged down beside the hip: the arm hangs, 0°, the first band.
    const QPoint elbow = at(window, 1000, 200);
    const QPoint hanging = at(window, 600, 500);
    QTest::mousePress(window.canvas(), Qt::LeftButton, {}, elbow);
    QTest::mouseMove(window.canvas(), (elbow + hanging) / 2);
    QTest::mouseMove(window.canvas(), hanging);
    QTest::mouseRelease(window.canvas(), Qt::LeftButton, {}, hanging);
    QCOMPARE(text(window, "Angle"), QString::fromUtf8("0° flexion"));
    QCOMPARE(text(window, "BandText"), QString::fromUtf8("upper arm between 20° extension and 20° flexion"));
    QCOMPARE(text(window, "Score"), QStringLiteral("Score 1"));
    QCOMPARE(text(window, "Borderline"), QString());
    // Not applied until Apply is pressed again.
    QCOMPARE(labelText(main(), "CurrentScore"), QStringLiteral("3"));
    click(window, "Apply");
    QCOMPARE(labelText(main(), "CurrentScore"), QStringLiteral("1"));
    QVERIFY(child<OptionPanel>(main(), "Frame1")->isSelected());
    QVERIFY(!child<OptionPanel>(main(), "Frame4")->isSelected());
    QVERIFY(recorder.messages.isEmpty());
}

void TestMeasureWindow::trunkAndNeckOfAWorkerFacingLeft()
{
    loadWorkplacePicture();
    QTest::keyClick(&main(), Qt::Key_M, Qt::ControlModifier);
    MeasureAngles& window = windows->window<MeasureAngles>();
    QVERIFY(window.isVisible());
    QTest::mouseClick(child<QRadioButton>(window, "FacesLeft"), Qt::LeftButton);
    QVERIFY(child<QRadioButton>(window, "FacesLeft")->isChecked());

    // Points chosen on the screen, so that the angles are exact whatever the zoom: the trunk
    // leans 45° towards the left, the neck carries on in its line.
    choosePart(window, QStringLiteral("Trunk"));
    const QPoint hip = at(window, 700, 800);
    const QPoint shoulder = hip + QPoint(-150, -150);
    clickAt(window, hip);
    clickAt(window, shoulder);
    QCOMPARE(text(window, "Angle"), QString::fromUtf8("45° flexion"));
    QCOMPARE(text(window, "BandText"), QString::fromUtf8("trunk flexed 20° to 60°"));
    QCOMPARE(text(window, "Score"), QStringLiteral("Score 3"));
    click(window, "Apply");

    choosePart(window, QStringLiteral("Neck"));
    QVERIFY(text(window, "PartNote").contains(QStringLiteral("trunk line")));
    clickAt(window, shoulder);
    clickAt(window, shoulder + QPoint(-60, -60));
    QCOMPARE(text(window, "Angle"), QString::fromUtf8("0° flexion"));
    QCOMPARE(text(window, "BandText"), QString::fromUtf8("neck flexed 0° to 10°"));
    click(window, "Apply");

    QCOMPARE(labelText(main(), "TrunkScore"), QStringLiteral("3"));
    QCOMPARE(labelText(main(), "NeckScore"), QStringLiteral("1"));
    QVERIFY(child<OptionPanel>(main(), "Frame59")->isSelected());
    QVERIFY(child<OptionPanel>(main(), "Frame53")->isSelected());

    // Facing right after all: the trunk now leans back, the neck turns with it.
    QTest::mouseClick(child<QRadioButton>(window, "FacesRight"), Qt::LeftButton);
    choosePart(window, QStringLiteral("Trunk"));
    QCOMPARE(text(window, "Angle"), QString::fromUtf8("45° leaning back"));
    // Still the band that was applied.
    QCOMPARE(text(window, "Score"), QStringLiteral("Score 3, applied"));
    choosePart(window, QStringLiteral("Neck"));
    QCOMPARE(text(window, "Angle"), QString::fromUtf8("0° flexion"));
}

void TestMeasureWindow::verticalReferenceTurnsTheTrunk()
{
    loadWorkplacePicture();
    MeasureAngles& window = openByDoubleClick();
    // The door frame in this picture runs 45° to the right of the picture's vertical.
    click(window, "VerticalReference");
    const QPoint bottom = at(window, 300, 800);
    clickAt(window, bottom);
    clickAt(window, bottom + QPoint(100, -100));
    choosePart(window, QStringLiteral("Trunk"));
    const QPoint hip = at(window, 600, 800);
    clickAt(window, hip);
    clickAt(window, hip + QPoint(120, -120));
    QCOMPARE(text(window, "Angle"), QString::fromUtf8("0° flexion"));
    QCOMPARE(text(window, "BandText"), QString::fromUtf8("trunk upright (0°)"));
    // Back from the vertical to the part already chosen, by clicking it again.
    click(window, "VerticalReference");
    QVERIFY(text(window, "Prompt").contains(QStringLiteral("vertical")));
    choosePart(window, QStringLiteral("Trunk"));
    QCOMPARE(text(window, "Prompt"), QStringLiteral("Drag a point to adjust it."));
    QVERIFY(text(window, "PartNote").contains(QString::fromUtf8("±2°")));
    click(window, "PictureVertical");
    QCOMPARE(text(window, "Angle"), QString::fromUtf8("45° flexion"));
}

void TestMeasureWindow::measurementsStayForTheRun()
{
    loadWorkplacePicture();
    MeasureAngles& window = openByDoubleClick();
    choosePart(window, QStringLiteral("Lower Arm (Left)"));
    clickAt(window, at(window, 600, 200));
    clickAt(window, at(window, 600, 500));
    clickAt(window, at(window, 900, 500));
    QCOMPARE(text(window, "Angle"), QString::fromUtf8("90° flexion"));
    QCOMPARE(text(window, "BandText"), QString::fromUtf8("forearm flexed 60° to 100°"));
    click(window, "Apply");
    click(window, "Close");
    QVERIFY(!window.isVisible());

    choosePart(window, QStringLiteral("Neck"));
    main().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&main()));
    QTest::keyClick(&main(), Qt::Key_M, Qt::ControlModifier);
    QVERIFY(window.isVisible());
    QVERIFY(
        text(window, "Measurements").contains(QString::fromUtf8("Lower Arm (Left): 90° flexion, score 1, applied")));
    choosePart(window, QStringLiteral("Lower Arm (Left)"));
    QCOMPARE(text(window, "Angle"), QString::fromUtf8("90° flexion"));
    QCOMPARE(window.canvas()->activePoints().size(), std::size_t(3));

    // What the report will read: the plain list of measurements.
    const auto& list = state->angleMeasurements.measurements();
    QCOMPARE(list.size(), std::size_t(1));
    QCOMPARE(list.front().part, rula::BodyPart::LowerArmLeft);
    QCOMPARE(list.front().optionIndex, rula::optionIndexOfPanel("Frame19"));
    QVERIFY(list.front().applied);
    QCOMPARE(QString::fromStdString(state->angleMeasurements.pictureFile()),
             QDir(m_folder->path()).filePath("workplace.png"));
    QCOMPARE(labelText(main(), "CurrentScore4"), QStringLiteral("1"));
}

void TestMeasureWindow::nothingToMeasureWithoutAPicture()
{
    QTest::keyClick(&main(), Qt::Key_M, Qt::ControlModifier);
    QCOMPARE(recorder.messages,
             QStringList{QStringLiteral("Please load the workplace picture before measuring angles on it.")});
    QVERIFY(!windows->exists<MeasureAngles>() || !windows->window<MeasureAngles>().isVisible());
}

void TestMeasureWindow::vanishedPictureGivesAMessage()
{
    loadWorkplacePicture();
    QVERIFY(QFile::remove(m_picture));
    QTest::keyClick(&main(), Qt::Key_M, Qt::ControlModifier);
    QCOMPARE(recorder.messages, QStringList{QStringLiteral("The file %1 is not a picture that can be shown.")
                                                .arg(QDir(m_folder->path()).filePath("workplace.png"))});
    QVERIFY(!windows->window<MeasureAngles>().isVisible());
    // The main window keeps its picture and scores.
    QVERIFY(child<PictureBox>(main(), "Picture1")->hasPicture());
}

void TestMeasureWindow::everyControlHasItsHelpTopic()
{
    MeasureAngles& window = windows->window<MeasureAngles>();
    HelpDocument help;
    QString error;
    QVERIFY2(help.load(state->ApplicationHelpFile, &error), qPrintable(error));
    QCOMPARE(help.topicTitle(MeasureAngles::HelpTopic), QStringLiteral("Measure Angles"));
    QVERIFY(help.contentsHtml().contains(QStringLiteral("#topic-%1").arg(MeasureAngles::HelpTopic)));
    for (const char* name : {"BodyPart", "FacesLeft", "FacesRight", "VerticalReference", "PictureVertical", "Apply",
                             "ClearPoints", "Fit", "Close", "Picture"})
        QCOMPARE(ContextHelp::topicOf(child<QWidget>(window, name)), MeasureAngles::HelpTopic);

    loadWorkplacePicture();
    QTest::keyClick(&main(), Qt::Key_M, Qt::ControlModifier);
    QVERIFY(window.isVisible());
    auto* popup = qobject_cast<HelpPopup*>(ContextHelp::showFor(child<QPushButton>(window, "Apply")));
    QVERIFY(popup);
    QVERIFY(popup->text().contains(QStringLiteral("Ctrl+M")));
    popup->close();
    QTRY_VERIFY(!ContextHelp::currentPopup());
}

QTEST_MAIN(TestMeasureWindow)
#include "tst_measurewindow.moc"
