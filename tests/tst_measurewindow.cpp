// SPDX-License-Identifier: GPL-3.0-or-later
// The Measure Angles window driven as the assessor uses it: a workplace picture loaded
// through the Open Picture File window, the window opened from Main, one side of the worker
// marked with six clicks, every band applied at once and found selected and scored on Main,
// and a band changed by a drag left alone on Main until it is applied. Suggest Landmarks on a
// real photograph places both skeletons, and nothing reaches Main until Apply All.
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
#include "RebaWindow.h"
#include "WindowTestSupport.h"

#include <QCheckBox>
#include <QDir>
#include <QImage>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cmath>

class TestMeasureWindow : public QObject, public WindowFixture
{
    Q_OBJECT
private slots:
    void initTestCase() { startRecording(); }
    void init();
    void cleanup() { dropWindows(); }

    void oneSideMarkedWithSixClicks();
    void verticalReferenceTurnsTheTrunk();
    void measurementsStayForTheRun();
    void nothingToMeasureWithoutAPicture();
    void vanishedPictureGivesAMessage();
    void everyControlHasItsHelpTopic();
    void suggestedLandmarksWaitForApplyAll();
    void noPersonToSuggest();

private:
    // The workplace picture replaced by a photograph shipped with opencv-doc.
    void usePhotograph(const QString& photograph);
    bool anyOptionSelected() const;
    // Loads the picture as the assessor does: Load Picture, its folder, the file, Open.
    void loadWorkplacePicture();
    MeasureAngles& openByDoubleClick();
    void choosePart(MeasureAngles& window, const QString& name);
    QString listEntry(MeasureAngles& window, const QString& name);
    void drag(MeasureAngles& window, QPoint from, QPoint to);
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

// The BodyPart entry of `name`: "Neck – applied", then its angle, score and band.
QString TestMeasureWindow::listEntry(MeasureAngles& window, const QString& name)
{
    auto* parts = child<QListWidget>(window, "BodyPart");
    for (int i = 0; i < parts->count(); ++i) {
        if (parts->item(i)->text().startsWith(name + QStringLiteral(" – ")))
            return parts->item(i)->text();
    }
    return QString();
}

void TestMeasureWindow::choosePart(MeasureAngles& window, const QString& name)
{
    auto* parts = child<QListWidget>(window, "BodyPart");
    const QList<QListWidgetItem*> found = parts->findItems(name + QStringLiteral(" – "), Qt::MatchStartsWith);
    QCOMPARE(found.size(), 1);
    QTest::mouseClick(parts->viewport(), Qt::LeftButton, {}, parts->visualItemRect(found.front()).center());
    QCOMPARE(parts->currentItem(), found.front());
}

void TestMeasureWindow::drag(MeasureAngles& window, QPoint from, QPoint to)
{
    QTest::mousePress(window.canvas(), Qt::LeftButton, {}, from);
    QTest::mouseMove(window.canvas(), (from + to) / 2);
    QTest::mouseMove(window.canvas(), to);
    QTest::mouseRelease(window.canvas(), Qt::LeftButton, {}, to);
}

QPoint TestMeasureWindow::at(MeasureAngles& window, double x, double y)
{
    return window.canvas()->toWidget(rula::Point{x, y}).toPoint();
}

void TestMeasureWindow::clickAt(MeasureAngles& window, QPoint position)
{
    QTest::mouseClick(window.canvas(), Qt::LeftButton, {}, position);
}

void TestMeasureWindow::oneSideMarkedWithSixClicks()
{
    loadWorkplacePicture();
    MeasureAngles& window = openByDoubleClick();
    QVERIFY(window.isVisible());
    QVERIFY(window.isMaximized());
    QCOMPARE(window.canvas()->pictureSize(), QSize(1200, 900));
    QCOMPARE(child<PictureBox>(main(), "Picture1")->toolTip(),
             QStringLiteral("Double-click to measure angles (Ctrl+M)"));

    // Neither facing is chosen for a new picture, and nothing can be marked before one is.
    QVERIFY(!child<QRadioButton>(window, "FacesLeft")->isChecked());
    QVERIFY(!child<QRadioButton>(window, "FacesRight")->isChecked());
    choosePart(window, QStringLiteral("Upper Arm (Right)"));
    QVERIFY(text(window, "Prompt").contains(QStringLiteral("which way the worker faces")));
    clickAt(window, at(window, 600, 800));
    QVERIFY(state->angleMeasurements.isEmpty());
    QTest::mouseClick(child<QRadioButton>(window, "FacesRight"), Qt::LeftButton);

    // The drawn worker faces right: trunk upright, the arm straight forward at shoulder
    // height, the hand in line, the head upright. Six clicks in the order asked for.
    const QStringList asked{"Click the hip (right side)",
                            "Click the shoulder (right side)",
                            "Click the elbow (right side)",
                            "Click the wrist of the right side next, or drag a point to adjust it.",
                            "Click the knuckles of the right side next, or drag a point to adjust it.",
                            "Click the ear of the right side next, or drag a point to adjust it."};
    const QPoint clicks[] = {at(window, 600, 800),  at(window, 600, 200),  at(window, 800, 200),
                             at(window, 1000, 200), at(window, 1100, 200), at(window, 600, 130)};
    for (int i = 0; i < 6; ++i) {
        QCOMPARE(text(window, "Prompt"), asked[i]);
        clickAt(window, clicks[i]);
    }
    QCOMPARE(text(window, "Prompt"), QStringLiteral("Drag a point to adjust it; every angle that uses it follows."));
    QCOMPARE(text(window, "Angle"), QString::fromUtf8("90° flexion"));
    QCOMPARE(labelText(main(), "CurrentScore"), QString());

    // The published bands: upper arm 45-90° 3, forearm under 60° 2, wrist straight 1, trunk
    // upright 1, neck 0-10° 1.
    const QString lines[][2] = {{"Upper Arm (Right)", "90° flexion, score 3"},
                                {"Lower Arm (Right)", "0° flexion, score 2"},
                                {"Wrist (Right)", "0°, score 1"},
                                {"Trunk", "0° flexion, score 1"},
                                {"Neck", "0° flexion, score 1"}};
    for (const auto& [part, reading] : lines)
        QCOMPARE(listEntry(window, part).section(QLatin1Char('\n'), 0, 1),
                 part + QString::fromUtf8(" – measured\n") + reading);
    QVERIFY(listEntry(window, QStringLiteral("Upper Arm (Left)"))
                .startsWith(QString::fromUtf8("Upper Arm (Left) – not measured")));

    click(window, "ApplyAll");
    for (const char* panel : {"Frame4", "Frame18", "Frame23", "Frame57", "Frame53"})
        QVERIFY2(child<OptionPanel>(main(), panel)->isSelected(), panel);
    for (const auto& [part, reading] : lines)
        QVERIFY(listEntry(window, part).startsWith(part + QString::fromUtf8(" – applied")));
    QCOMPARE(labelText(main(), "CurrentScore"), QStringLiteral("3"));
    QCOMPARE(labelText(main(), "NeckScore"), QStringLiteral("1"));
    QVERIFY(!child<QPushButton>(window, "ApplyAll")->isEnabled());
    // The same angles choose REBA's bands, marked as measured: upper arm 45-90° (band 3),
    // forearm under 60° (2), wrist within 15° (1), trunk upright (1), neck 0-20° (1).
    RebaWindow& reba = windows->window<RebaWindow>();
    for (const char* band : {"RebaUpperArm3Right", "RebaLowerArm2Right", "RebaWrist1Right", "RebaTrunk1", "RebaNeck1"})
        QVERIFY2(child<OptionPanel>(reba, band)->isSelected(), band);
    QCOMPARE(labelText(reba, "RebaNeckSource"), QStringLiteral("measured"));
    QCOMPARE(labelText(reba, "RebaUpperArmSourceLeft"), QString());

    // The shoulder dragged forward: the trunk leans 6° and the neck, from the trunk line,
    // is extended about 46° (band 4). Both are marked changed; Main keeps what was applied.
    choosePart(window, QStringLiteral("Neck"));
    QCoreApplication::processEvents();
    const QRect applyPlace = child<QPushButton>(window, "Apply")->geometry();
    QCOMPARE(text(window, "Borderline"), QString());
    drag(window, clicks[1], at(window, 660, 200));
    QVERIFY2(text(window, "Angle").endsWith(QStringLiteral(" extension")), qPrintable(text(window, "Angle")));
    QVERIFY(listEntry(window, QStringLiteral("Neck")).startsWith(QString::fromUtf8("Neck – changed since applied")));
    QVERIFY(listEntry(window, QStringLiteral("Trunk")).startsWith(QString::fromUtf8("Trunk – changed since applied")));
    QVERIFY(child<OptionPanel>(main(), "Frame53")->isSelected());
    QVERIFY(child<OptionPanel>(main(), "Frame57")->isSelected());
    QCOMPARE(labelText(main(), "NeckScore"), QStringLiteral("1"));
    // A note appeared (46° of neck extension is hardly possible) and Apply stayed where it was.
    QVERIFY(text(window, "Borderline").contains(QStringLiteral("check which way the worker faces")));
    QCoreApplication::processEvents(); // the layout settles
    QCOMPARE(child<QPushButton>(window, "Apply")->geometry(), applyPlace);

    click(window, "Apply");
    QVERIFY(child<OptionPanel>(main(), "Frame56")->isSelected());
    QCOMPARE(labelText(main(), "NeckScore"), QStringLiteral("4"));
    QVERIFY(listEntry(window, QStringLiteral("Neck")).startsWith(QString::fromUtf8("Neck – applied")));
    QVERIFY(child<OptionPanel>(main(), "Frame57")->isSelected());
    QVERIFY(recorder.messages.isEmpty());
}

void TestMeasureWindow::verticalReferenceTurnsTheTrunk()
{
    loadWorkplacePicture();
    MeasureAngles& window = openByDoubleClick();
    QTest::mouseClick(child<QRadioButton>(window, "FacesRight"), Qt::LeftButton);
    // A line nearly across the picture is refused; the door frame, 20° to the right of the
    // picture's vertical, is taken.
    click(window, "VerticalReference");
    const QPoint bottom = at(window, 300, 800);
    clickAt(window, bottom);
    clickAt(window, bottom + QPoint(200, -10));
    QVERIFY(text(window, "Borderline").contains(QString::fromUtf8("may lean at most 30°")));
    QVERIFY(!state->angleMeasurements.verticalReference);
    drag(window, bottom + QPoint(200, -10), bottom + QPoint(73, -200));
    QCOMPARE(text(window, "Borderline"), QString());
    QVERIFY(state->angleMeasurements.verticalReference);
    choosePart(window, QStringLiteral("Trunk"));
    const QPoint hip = at(window, 600, 800);
    clickAt(window, hip);
    clickAt(window, hip + QPoint(73, -200));
    QCOMPARE(text(window, "Angle"), QString::fromUtf8("0° flexion"));
    QCOMPARE(text(window, "BandText"), QString::fromUtf8("trunk upright (0°)"));
    QVERIFY(text(window, "PartNote").contains(QString::fromUtf8("±2°")));
    click(window, "PictureVertical");
    QCOMPARE(text(window, "Angle"), QString::fromUtf8("20° flexion"));
    // Seated with the trunk well supported: score 1 whatever the angle.
    QCOMPARE(text(window, "Score"), QStringLiteral("Score 2, measured"));
    child<QCheckBox>(window, "Seated")->click();
    QCOMPARE(text(window, "Score"), QStringLiteral("Score 1, measured"));
}

void TestMeasureWindow::measurementsStayForTheRun()
{
    loadWorkplacePicture();
    MeasureAngles& window = openByDoubleClick();
    QTest::mouseClick(child<QRadioButton>(window, "FacesLeft"), Qt::LeftButton);
    choosePart(window, QStringLiteral("Lower Arm (Left)"));
    clickAt(window, at(window, 600, 200));
    clickAt(window, at(window, 600, 500));
    clickAt(window, at(window, 900, 500));
    QCOMPARE(text(window, "Angle"), QString::fromUtf8("90° flexion"));
    click(window, "Apply");
    click(window, "Close");
    QVERIFY(!window.isVisible());

    main().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&main()));
    QTest::keyClick(&main(), Qt::Key_M, Qt::ControlModifier);
    QVERIFY(window.isVisible());
    QVERIFY(child<QRadioButton>(window, "FacesLeft")->isChecked());
    QVERIFY(listEntry(window, QStringLiteral("Lower Arm (Left)"))
                .startsWith(QString::fromUtf8("Lower Arm (Left) – applied\n90° flexion, score 1")));

    // What the report and the saved evidence read: landmarks, facing and the applied band.
    const rula::PictureMeasurements& sheet = state->angleMeasurements;
    QCOMPARE(QString::fromStdString(sheet.pictureFile), QDir(m_folder->path()).filePath("workplace.png"));
    QCOMPARE(sheet.facing, rula::Facing::Left);
    QVERIFY(sheet.side(rula::Side::Left)[rula::Landmark::Elbow]);
    QVERIFY(!sheet.side(rula::Side::Left)[rula::Landmark::Hip]);
    QCOMPARE(sheet.applied(rula::BodyPart::LowerArmLeft), std::optional<int>(rula::optionIndexOfPanel("Frame19")));
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
                             "ApplyAll", "Seated", "ClearPoints", "Fit", "Close", "Picture", "SuggestLandmarks"})
        QCOMPARE(ContextHelp::topicOf(child<QWidget>(window, name)), MeasureAngles::HelpTopic);
    // The way in from the main window: F1 on the workplace picture.
    QCOMPARE(ContextHelp::topicOf(child<QWidget>(main(), "Picture1")), MeasureAngles::HelpTopic);

    loadWorkplacePicture();
    QTest::keyClick(&main(), Qt::Key_M, Qt::ControlModifier);
    QVERIFY(window.isVisible());
    auto* popup = qobject_cast<HelpPopup*>(ContextHelp::showFor(child<QPushButton>(window, "Apply")));
    QVERIFY(popup);
    QVERIFY(popup->text().contains(QStringLiteral("Ctrl+M")));
    popup->close();
    QTRY_VERIFY(!ContextHelp::currentPopup());
}

void TestMeasureWindow::usePhotograph(const QString& photograph)
{
    QVERIFY(QImage(photograph).save(m_picture));
}

bool TestMeasureWindow::anyOptionSelected() const
{
    for (std::size_t i = 0; i < rula::options().size(); ++i) {
        if (state->assessment.isSelected(int(i)))
            return true;
    }
    return false;
}

void TestMeasureWindow::suggestedLandmarksWaitForApplyAll()
{
    usePhotograph(QStringLiteral("/usr/share/doc/opencv-doc/examples/data/messi5.jpg"));
    loadWorkplacePicture();
    MeasureAngles& window = openByDoubleClick();
    QVERIFY(!anyOptionSelected());
    QVERIFY(!child<QRadioButton>(window, "FacesRight")->isChecked());

    // The search runs in the background: the window answers meanwhile.
    click(window, "SuggestLandmarks");
    QVERIFY(!child<QPushButton>(window, "SuggestLandmarks")->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(child<QPushButton>(window, "SuggestLandmarks")->isEnabled(), 60000);
    const QString status = text(window, "SuggestStatus");
    QVERIFY2(QRegularExpression(QStringLiteral("^Found confidently: [56] of 6 points on the right side, [56] of 6 on "
                                               "the left\\."))
                 .match(status)
                 .hasMatch(),
             qPrintable(status));

    // Both skeletons placed, each point kept with its suggestion; the footballer looks to the
    // picture's right, and that facing is chosen.
    for (const rula::Side side : {rula::Side::Right, rula::Side::Left}) {
        for (int l = 0; l < rula::LandmarkCount; ++l)
            QVERIFY(state->angleMeasurements.side(side).asSuggested(rula::Landmark(l)));
    }
    // The person's right hand is on the picture's left (hand-marked at 86, 95).
    const rula::Point knuckles = *state->angleMeasurements.side(rula::Side::Right)[rula::Landmark::Knuckles];
    QVERIFY2(std::hypot(knuckles.x - 86, knuckles.y - 95) < 12, qPrintable(QString::number(knuckles.x)));
    QVERIFY(child<QRadioButton>(window, "FacesRight")->isChecked());
    QVERIFY(listEntry(window, QStringLiteral("Upper Arm (Left)"))
                .startsWith(QString::fromUtf8("Upper Arm (Left) – measured\n")));
    QVERIFY(listEntry(window, QStringLiteral("Upper Arm (Right)"))
                .startsWith(QString::fromUtf8("Upper Arm (Right) – measured\n")));
    // Nothing reaches Main before Apply All.
    QVERIFY(!anyOptionSelected());
    QCOMPARE(labelText(main(), "CurrentScore"), QString());

    // A doubtful point is marked "check" in the list until the assessor moves it.
    rula::Skeleton& right = state->angleMeasurements.side(rula::Side::Right);
    right.suggested[std::size_t(rula::Landmark::Wrist)]->confidence = 0.3;
    choosePart(window, QStringLiteral("Wrist (Right)"));
    const QString wristEntry = listEntry(window, QStringLiteral("Wrist (Right)"));
    QVERIFY2(wristEntry.section(QLatin1Char('\n'), 0, 0).endsWith(QStringLiteral(", check")), qPrintable(wristEntry));
    QVERIFY(listEntry(window, QStringLiteral("Lower Arm (Right)")).contains(QStringLiteral(", check")));
    QVERIFY(!listEntry(window, QStringLiteral("Upper Arm (Right)")).contains(QStringLiteral(", check")));
    const rula::Point wrist = *right[rula::Landmark::Wrist];
    drag(window, at(window, wrist.x, wrist.y), at(window, wrist.x + 8, wrist.y + 4));
    QVERIFY(!right.asSuggested(rula::Landmark::Wrist));
    QVERIFY(right.suggested[std::size_t(rula::Landmark::Wrist)].has_value());
    QVERIFY(!listEntry(window, QStringLiteral("Wrist (Right)")).contains(QStringLiteral(", check")));

    click(window, "ApplyAll");
    QVERIFY(anyOptionSelected());
    QVERIFY(!labelText(main(), "CurrentScore").isEmpty());
    QVERIFY(recorder.messages.isEmpty());
}

void TestMeasureWindow::noPersonToSuggest()
{
    usePhotograph(QStringLiteral("/usr/share/doc/opencv-doc/examples/data/fruits.jpg"));
    loadWorkplacePicture();
    MeasureAngles& window = openByDoubleClick();
    click(window, "SuggestLandmarks");
    QTRY_VERIFY_WITH_TIMEOUT(child<QPushButton>(window, "SuggestLandmarks")->isEnabled(), 60000);
    QCOMPARE(text(window, "SuggestStatus"),
             QStringLiteral("No person was found in this picture; click the landmarks yourself."));
    QVERIFY(state->angleMeasurements.isEmpty());
    QVERIFY(!child<QRadioButton>(window, "FacesRight")->isChecked());
    QVERIFY(!child<QRadioButton>(window, "FacesLeft")->isChecked());
}

QTEST_MAIN(TestMeasureWindow)
#include "tst_measurewindow.moc"
