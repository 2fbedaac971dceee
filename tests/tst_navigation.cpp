// SPDX-License-Identifier: GPL-3.0-or-later
// The whole road of a run, driven as an assessor drives it: caution, employee details, the
// main window's pictures, View Results, caution again, final results, action levels, back
// and forth, a changed option, a second assessment, and every way the program ends.
// Expected scores are worked out by hand from the RULA tables.

#include "CautionStatement.h"
#include "EmployeeDetails.h"
#include "FinalResults.h"
#include "MainWindow.h"
#include "OptionCatalogue.h"
#include "PictureControl.h"
#include "ProgramState.h"
#include "RULAAction.h"
#include "RULAOverview.h"
#include "Resources.h"
#include "TabbedPanel.h"
#include "WindowSet.h"
#include "WindowTestSupport.h"

#include <QLineEdit>
#include <QScreen>
#include <QtTest>

#include <map>
#include <memory>

namespace {

using G = rula::Group;

// Label name -> expected text, for the 25 value labels of the final results window.
using Sheet = std::map<QString, int>;

} // namespace

class NavigationTest : public QObject, private WindowFixture
{
    Q_OBJECT

private:
    MainWindow& main() { return windows->window<MainWindow>(); }
    // Clicks the picture of option `number` of `group`, switching to its tab first by a
    // click on the tab's header.
    void choose(G group, int number);
    void viewResults() { click(main(), "Command2"); }
    void checkSheet(const Sheet& expected);
    void checkVisible(const QList<QWidget*>& shown);

private slots:
    void initTestCase() { startRecording(); }
    void init() { makeWindows(); }
    void cleanup() { dropWindows(); }

    void wholeRoad();
    void everyExitEnds();
    void overviewFromMain();
};

void NavigationTest::choose(G group, int number)
{
    const rula::GroupInfo& info = rula::groupInfo(group);
    const rula::OptionInfo& option = rula::options()[static_cast<std::size_t>(info.firstOption + number - 1)];
    QVERIFY(option.number == number);
    TabbedPanel* tabs = child<TabbedPanel>(main(), "SSTab1");
    QWidget* headers = child<QWidget>(*tabs, "SSTab1Headers");
    const QPoint header = headers->mapFrom(tabs, tabs->headerRect(info.tab - 1).center());
    QTest::mouseClick(headers, Qt::LeftButton, {}, header);
    QCOMPARE(tabs->currentIndex(), info.tab - 1);
    PictureControl* picture = child<PictureControl>(main(), std::string(option.picture).c_str());
    QVERIFY2(picture->isVisible(), std::string(option.picture).c_str());
    QTest::mouseClick(picture, Qt::LeftButton);
}

void NavigationTest::checkSheet(const Sheet& expected)
{
    QCOMPARE(expected.size(), std::size_t(25));
    FinalResults& results = windows->window<FinalResults>();
    for (const auto& [label, value] : expected)
        QCOMPARE(child<QLabel>(results, qPrintable(label))->text(), QString::number(value));
}

// Exactly these windows are visible, no other.
void NavigationTest::checkVisible(const QList<QWidget*>& shown)
{
    QStringList visible;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible())
            visible << w->objectName();
    }
    QStringList expected;
    for (QWidget* w : shown)
        expected << w->objectName();
    visible.sort();
    expected.sort();
    QCOMPARE(visible, expected);
}

void NavigationTest::wholeRoad()
{
    // Start: the caution window alone, Accept focused.
    CautionStatement& caution = windows->window<CautionStatement>();
    caution.showWindow();
    QVERIFY(QTest::qWaitForWindowActive(&caution));
    QCOMPARE(caution.focusWidget(), child<QPushButton>(caution, "Command1"));
    // In the middle of the screen, not in a corner where the first clicks would miss it.
    const QPoint offCentre = caution.frameGeometry().center() - caution.screen()->availableGeometry().center();
    QVERIFY2(offCentre.manhattanLength() <= 40,
             qPrintable(QStringLiteral("%1, %2").arg(offCentre.x()).arg(offCentre.y())));
    QVERIFY(!windows->exists<MainWindow>());
    QTest::keyClick(caution.focusWidget(), Qt::Key_Space);

    // Employee details: Enter in the name box does nothing, Enter in the location continues.
    EmployeeDetails& details = windows->window<EmployeeDetails>();
    checkVisible({&details});
    QCOMPARE(state->CautionAccepted, std::int16_t(1));
    QLineEdit* name = child<QLineEdit>(details, "Text1");
    QTest::keyClicks(name, QStringLiteral("Se"));
    QTest::sendKeyEvent(QTest::Click, name, Qt::Key_unknown, QStringLiteral("\u00e1"), Qt::NoModifier);
    QTest::keyClicks(name, QStringLiteral("n O'Brien's"));
    QCOMPARE(name->text(), QStringLiteral("Se\u00e1n O'Brien's"));
    QTest::keyClick(child<QLineEdit>(details, "Text1"), Qt::Key_Return);
    QVERIFY(details.isVisible());
    QTest::keyClicks(child<QLineEdit>(details, "Text2"), QStringLiteral("E-0'42"));
    QTest::keyClicks(child<QLineEdit>(details, "Text3"), QStringLiteral("Packing line 3"));
    QTest::keyClick(child<QLineEdit>(details, "Text3"), Qt::Key_Return);
    checkVisible({&main()});

    // An incomplete assessment: only the trunk and the lower body's force are missing.
    choose(G::UpperRight, 5); // 4
    choose(G::UpperRight, 6); // shoulder raised: 5
    choose(G::UpperLeft, 1);  // 1
    choose(G::LowerRight, 2); // 2
    choose(G::LowerLeft, 1);  // 1
    choose(G::WristRight, 3); // 3
    choose(G::WristTwistRight, 2);
    choose(G::WristLeft, 1);
    choose(G::WristTwistLeft, 1);
    choose(G::Neck, 3);
    choose(G::Legs, 2);
    choose(G::MuscleRightUpper, 1); // 1
    choose(G::MuscleLeftUpper, 2);  // 0
    choose(G::MuscleLower, 2);      // 0
    choose(G::ForceRightUpper, 3);  // 2
    choose(G::ForceLeftUpper, 1);   // 0
    viewResults();
    QCOMPARE(recorder.messages,
             QStringList({"You have not completed all of the necessary fields for the Trunk",
                          "You have not completed all of the necessary fields for Force Lower Body"}));
    checkVisible({&main()});
    QVERIFY(!windows->exists<FinalResults>());

    choose(G::Trunk, 2);      // 2
    choose(G::ForceLower, 1); // 0
    recorder.clear();
    viewResults();
    QVERIFY(recorder.messages.isEmpty());
    checkVisible({&caution});
    QVERIFY(QTest::qWaitForWindowActive(&caution));
    QTRY_COMPARE(QApplication::focusWidget(), child<QPushButton>(caution, "Command1"));

    // Right: Table A (upper 5, lower 2, wrist 3, twist 2) = 7; C = 7 + 1 + 2 = 10.
    // Left: Table A (1, 1, 1, 1) = 1; C = 1. Table B (neck 3, trunk 2, legs 2) = 4; D = 4.
    // Table C: right (8+, 4) = 7, left (1, 4) = 3.
    Sheet sheet{{"Label2", 1},   {"Label3", 5},  {"Label4", 1},  {"Label5", 2},  {"Label8", 1},
                {"Label6", 3},   {"Label9", 1},  {"Label7", 2},  {"Label18", 0}, {"Label12", 1},
                {"Label19", 0},  {"Label13", 2}, {"Label20", 3}, {"Label21", 2}, {"Label22", 2},
                {"Label24", 0},  {"Label25", 0}, {"Label10", 1}, {"Label11", 7}, {"Label15", 1},
                {"Label14", 10}, {"Label23", 4}, {"Label26", 4}, {"Label16", 3}, {"Label17", 7}};
    checkSheet(sheet); // filled while still hidden

    click(caution, "Command1"); // Accept goes straight to the final results now
    FinalResults& results = windows->window<FinalResults>();
    checkVisible({&results});
    QCOMPARE(results.focusWidget(), child<QPushButton>(results, "Command2"));

    click(results, "Command2"); // Action Level >>
    RULAAction& action = windows->window<RULAAction>();
    checkVisible({&action});
    QCOMPARE(labelText(action, "Label1"), QStringLiteral("Action Level 4")); // right side, left half
    QVERIFY(child<QLabel>(action, "Label1")->geometry().right() < action.width() / 2);
    QCOMPARE(labelText(action, "Label3"), QStringLiteral("Action Level 2"));
    QCOMPARE(labelText(action, "Label4"),
             QStringLiteral("A score of three or four indicates further investigation is needed and changes may be "
                            "required"));

    // The save table of the first assessment's record (and later of each new one).
    const auto saved = [this] { return SaveTableOf(state->record); };
    QCOMPARE(cellString(saved().value(0)), QStringLiteral("Action Level 2"));
    QCOMPARE(cellString(saved().value(1)),
             QStringLiteral("Further investigation is needed and changes may be required"));
    QCOMPARE(cellString(saved().value(8)), QStringLiteral("Action Level 4"));
    QCOMPARE(cellString(saved().value(9)), QStringLiteral("Investigation and changes are required immediately"));
    const int scoreRows[][2] = {{2, 1},  {3, 1},  {4, 1},  {5, 1},  {6, 0},  {7, 0},  {10, 5},
                                {11, 2}, {12, 3}, {13, 2}, {14, 1}, {15, 2}, {16, 3}, {17, 2},
                                {18, 2}, {19, 0}, {20, 0}, {90, 3}, {91, 7}};
    for (const auto& row : scoreRows)
        QCOMPARE(cellInt(saved().value(row[0])), row[1]);
    QCOMPARE(cellString(saved().value(87)), QStringLiteral("Se\u00e1n OBriens"));
    QCOMPARE(cellString(saved().value(88)), QStringLiteral("E-042"));
    QCOMPARE(cellString(saved().value(89)), QStringLiteral("Packing line 3"));

    // Back and "&Action Level >>" again, without a new View Results: the same window with
    // the same levels and cells.
    click(action, "Command2");
    checkVisible({&results});
    click(results, "Command2");
    QCOMPARE(&windows->window<RULAAction>(), &action);
    checkVisible({&action});
    QCOMPARE(labelText(action, "Label1"), QStringLiteral("Action Level 4"));
    QCOMPARE(labelText(action, "Label3"), QStringLiteral("Action Level 2"));
    QCOMPARE(cellString(saved().value(0)), QStringLiteral("Action Level 2"));
    QCOMPARE(cellString(saved().value(9)), QStringLiteral("Investigation and changes are required immediately"));

    // Back, back: the main window still holds every choice.
    click(action, "Command2");
    checkVisible({&results});
    click(results, "Command6");
    checkVisible({&main()});

    // One changed option: trunk 4. Table B (3, 4, 2) = 6 = D; Table C right (8+, 6) = 7,
    // left (1, 6) = 5.
    choose(G::Trunk, 4);
    viewResults();
    checkVisible({&caution});
    click(caution, "Command1");
    checkVisible({&results});
    sheet["Label21"] = 4;
    sheet["Label23"] = 6;
    sheet["Label26"] = 6;
    sheet["Label16"] = 5;
    checkSheet(sheet);
    QCOMPARE(cellInt(saved().value(17)), 4);
    QCOMPARE(cellInt(saved().value(90)), 5);
    click(results, "Command2");
    QCOMPARE(labelText(action, "Label1"), QStringLiteral("Action Level 4"));
    QCOMPARE(labelText(action, "Label3"), QStringLiteral("Action Level 3"));
    QCOMPARE(cellString(saved().value(1)), QStringLiteral("Investigation and changes are required soon"));

    // A second assessment in the same run: the smallest one, every score 1 and no muscle use
    // or force. The shoulder adjustment is clicked off again.
    click(action, "Command2");
    click(results, "Command6");
    choose(G::UpperRight, 1);
    choose(G::UpperRight, 6);
    choose(G::LowerRight, 1);
    choose(G::WristRight, 1);
    choose(G::WristTwistRight, 1);
    choose(G::Neck, 1);
    choose(G::Trunk, 1);
    choose(G::Legs, 1);
    choose(G::MuscleRightUpper, 2);
    choose(G::ForceRightUpper, 1);
    viewResults();
    click(caution, "Command1");
    checkVisible({&results});
    checkSheet({{"Label2", 1},  {"Label3", 1},  {"Label4", 1},  {"Label5", 1},  {"Label8", 1},
                {"Label6", 1},  {"Label9", 1},  {"Label7", 1},  {"Label18", 0}, {"Label12", 0},
                {"Label19", 0}, {"Label13", 0}, {"Label20", 1}, {"Label21", 1}, {"Label22", 1},
                {"Label24", 0}, {"Label25", 0}, {"Label10", 1}, {"Label11", 1}, {"Label15", 1},
                {"Label14", 1}, {"Label23", 1}, {"Label26", 1}, {"Label16", 1}, {"Label17", 1}});
    click(results, "Command2");
    checkVisible({&action});
    QCOMPARE(labelText(action, "Label1"), QStringLiteral("Action Level 1"));
    QCOMPARE(labelText(action, "Label3"), QStringLiteral("Action Level 1"));
    for (int row : {0, 8})
        QCOMPARE(cellString(saved().value(row)), QStringLiteral("Action Level 1"));
    for (int row : {1, 9})
        QCOMPARE(cellString(saved().value(row)),
                 QStringLiteral("posture is Acceptable posture if it is not maintained or repeated for long periods"));
    for (int row : {2, 3, 4, 5, 10, 11, 12, 13, 16, 17, 18, 90, 91})
        QCOMPARE(cellInt(saved().value(row)), 1);
    for (int row : {6, 7, 14, 15, 19, 20})
        QCOMPARE(cellInt(saved().value(row)), 0);
    QCOMPARE(state->CautionAccepted, std::int16_t(1));
    QCOMPARE(recorder.ends, 0);
    QVERIFY(recorder.messages.isEmpty());
}

void NavigationTest::everyExitEnds()
{
    // "Exit " of the caution window at start ends before any other window exists.
    CautionStatement& caution = windows->window<CautionStatement>();
    caution.showWindow();
    click(caution, "Command2");
    QCOMPARE(recorder.ends, 1);
    QVERIFY(!windows->exists<EmployeeDetails>() && !windows->exists<MainWindow>());
    recorder.clear();

    struct ExitButton
    {
        AppWindow* window;
        const char* button;
    };
    const ExitButton exits[] = {
        {&windows->window<CautionStatement>(), "Command2"},
        {&windows->window<EmployeeDetails>(), "Command2"},
        {&main(), "Command8"},
        {&windows->window<FinalResults>(), "Command7"},
        {&windows->window<RULAAction>(), "Command3"},
    };
    int ends = 0;
    for (const ExitButton& exit : exits) {
        exit.window->showWindow();
        click(*exit.window, exit.button);
        QCOMPARE(recorder.ends, ++ends);
    }
    // The overview's Exit only hides it.
    RULAOverview& overview = windows->window<RULAOverview>();
    overview.showWindow();
    click(overview, "Command1");
    QVERIFY(!overview.isVisible());
    QCOMPARE(recorder.ends, ends);
}

void NavigationTest::overviewFromMain()
{
    main().showWindow();
    choose(G::Neck, 2);
    click(main(), "Command6"); // "  RULA &Overview"
    click(main(), "Command6");
    RULAOverview& overview = windows->window<RULAOverview>();
    QVERIFY(overview.isVisible());
    QVERIFY(main().isVisible());
    click(overview, "Command1");
    QVERIFY(!overview.isVisible());
    QCOMPARE(state->assessment.score(G::Neck), std::int16_t(2));
    click(main(), "Command6");
    QVERIFY(overview.isVisible());
}

QTEST_MAIN(NavigationTest)
#include "tst_navigation.moc"
