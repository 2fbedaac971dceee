// SPDX-License-Identifier: GPL-3.0-or-later
// The caution, employee details, final results, action levels and overview windows on their
// own: layouts, fonts, keyboard order, the routing of their buttons, and the publishing of
// results into them from a prepared program state.

#include "CaptionButton.h"
#include "CautionStatement.h"
#include "EmployeeDetails.h"
#include "ExampleResults.h"
#include "ExtraPics.h"
#include "FinalResults.h"
#include "LineControl.h"
#include "MainWindow.h"
#include "OpenExtraPics.h"
#include "OpenPictureFile.h"
#include "OverwriteFile.h"
#include "PictureControl.h"
#include "ProgramState.h"
#include "RULAAction.h"
#include "RULAOverview.h"
#include "Resources.h"
#include "Results.h"
#include "SaveWindow.h"
#include "ScoreTables.h"
#include "StripApostrophes.h"
#include "WindowSet.h"
#include "WindowTestSupport.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFontInfo>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionButton>
#include <QtTest>

#include <memory>

namespace {

// The record that "View Results" leaves for these grand scores of the current assessment.
void setGrandScores(ProgramState& state, int right, int left)
{
    rula::ResultScores results;
    results.GrandScoreRight = static_cast<std::int16_t>(right);
    results.GrandScoreLeft = static_cast<std::int16_t>(left);
    state.record = BuildRecord(state.assessment, results, state.employee, QDateTime::currentDateTime());
}

// One control of a window as designed: class, place in twips, caption and font.
struct Designed
{
    const char* name;
    const char* className;
    int left, top, width, height;
    const char* text;
    const char* family; // the face the design's font resolves to
    double pointSize;
    bool bold;
};

// Compares every control of `window` with its design, and checks that the window has no
// label, button or text box the design does not list.
void checkDesign(const QWidget& window, std::initializer_list<Designed> design)
{
    for (const Designed& d : design) {
        QWidget* w = window.findChild<QWidget*>(QString::fromLatin1(d.name));
        QVERIFY2(w, d.name);
        QVERIFY2(w->inherits(d.className), d.name);
        QCOMPARE(w->geometry(), twips(d.left, d.top, d.width, d.height));
        if (auto* label = qobject_cast<QLabel*>(w))
            QCOMPARE(label->text(), QString::fromUtf8(d.text));
        else if (auto* button = qobject_cast<QAbstractButton*>(w))
            QCOMPARE(button->text(), QString::fromUtf8(d.text));
        else if (auto* box = qobject_cast<QLineEdit*>(w))
            QCOMPARE(box->text(), QString::fromUtf8(d.text));
        const QFontInfo font(w->font());
        QCOMPARE(font.family(), QString::fromLatin1(d.family));
        QCOMPARE(w->font().pointSizeF(), d.pointSize);
        QVERIFY2(w->font().bold() == d.bold, d.name);
    }
    const int controls = int(window.findChildren<QLabel*>().size() + window.findChildren<QAbstractButton*>().size() +
                             window.findChildren<QLineEdit*>().size());
    QCOMPARE(controls, int(design.size()));
}

// True when the button shows its whole caption: on one line within the button's contents
// or, for a button whose caption wraps, on lines that fit its caption rectangle.
bool captionFits(const QPushButton* button)
{
    const QFontMetrics metrics(button->font());
    if (auto* wrapping = qobject_cast<const CaptionButton*>(button)) {
        const QRect area = wrapping->captionRect();
        const QRect needed =
            metrics.boundingRect(area, Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic, button->text());
        return area.contains(needed);
    }
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    const QRect contents = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    QString shown = button->text();
    shown.remove(QLatin1Char('&'));
    return metrics.horizontalAdvance(shown) <= contents.width();
}

} // namespace

class ResultsWindowsTest : public QObject, private WindowFixture
{
    Q_OBJECT

private slots:
    void initTestCase() { startRecording(); }
    void init() { makeWindows(); }
    void cleanup() { dropWindows(); }

    void fontsResolveToTheInstalledFaces();
    void cautionLayoutAndTexts();
    void cautionKeyboardOrderAndFocus();
    void cautionAcceptRoutesByFlag();
    void stripApostrophesRemovesTheFirstHundred();
    void employeeDetailsLayoutAndColours();
    void employeeDetailsContinueStoresStrippedTexts();
    void employeeDetailsEnterOnlyInLocation();
    void finalResultsLayout();
    void publishResultsFillsLabelsAndCells();
    void finalResultsButtons();
    void actionLevelsBothSides();
    void actionLevelsSideWithoutLevelIsUnchanged();
    void actionLevelsWindowLayoutAndButtons();
    void actionLevelsMouseMoveSetsHelpFile();
    void overviewShowsAndHides();
    void resultWindowsStayOnTheTaskBar();
    void contextHelpTopics();
    void everyButtonShowsItsWholeCaption();
    void renderedWindows();
};

void ResultsWindowsTest::fontsResolveToTheInstalledFaces()
{
    QCOMPARE(QFontInfo(makeFont(Arial(12))).family(), QStringLiteral("Liberation Sans"));
    QCOMPARE(QFontInfo(makeFont(Comic(12))).family(), QStringLiteral("Comic Neue"));

    // The controls themselves, at their sizes and weights.
    CautionStatement& caution = windows->window<CautionStatement>();
    const QFontInfo heading(child<QLabel>(caution, "Label2")->font());
    QCOMPARE(heading.family(), QStringLiteral("Liberation Sans"));
    QVERIFY(heading.bold());
    QCOMPARE(heading.pointSizeF(), 27.75);
    FinalResults& results = windows->window<FinalResults>();
    const QFontInfo grand(child<QLabel>(results, "Label17")->font());
    QCOMPARE(grand.family(), QStringLiteral("Comic Neue"));
    QVERIFY(grand.bold());
    QCOMPARE(grand.pointSizeF(), 24.0);
    const QFontInfo value(child<QLabel>(results, "Label20")->font());
    QCOMPARE(value.family(), QStringLiteral("Comic Neue"));
    QVERIFY(!value.bold());
    QCOMPARE(value.pointSizeF(), 14.25);
    QCOMPARE(QFontInfo(child<QLabel>(results, "Label1")->font()).pointSizeF(), 72.0);
}

void ResultsWindowsTest::cautionLayoutAndTexts()
{
    CautionStatement& caution = windows->window<CautionStatement>();
    QVERIFY(!caution.isVisible()); // created hidden
    QCOMPARE(caution.objectName(), QStringLiteral("CautionStatement"));
    QCOMPARE(caution.windowTitle(), QStringLiteral("TALVO - Caution Statement"));
    QCOMPARE(caution.size(), QSize(9405 / 15, 7680 / 15));

    const char* arial = "Liberation Sans";
    const char* firstParagraph =
        "This software package is intended to assist people who design or assess workplaces, to help to identify "
        "and reduce or eliminate, possible risks of Work-related Musculo-Skeletal Disorders (WMSDs).  In no way can "
        "it be presumed to guarantee that such problems will not arise.  Rather it provides aids to what can be "
        "considered good practice.  Users employ this tool at their own risk.";
    const char* secondParagraph =
        "Proper and appropriate application of this tool is expected to give most workers a reasonable level of "
        "protection from musculo-skeletal injuries in most jobs.  In particular it attempts to address those jobs "
        "that have a high degree of repetition.  However marginal situations will inevitably arise where the "
        "exercise of professional judgement and experience is necessary.  In such cases the advice of specialists "
        "such as ergonomists must be requested.";
    checkDesign(caution, {
                             {"Label2", "QLabel", 2040, 0, 4575, 735, "Cautionary Note", arial, 27.75, true},
                             {"Label1", "QLabel", 480, 960, 8415, 2055, firstParagraph, arial, 14.25, false},
                             {"Label3", "QLabel", 480, 3240, 8535, 2655, secondParagraph, arial, 14.25, false},
                             {"Command1", "QPushButton", 4800, 6360, 1935, 975, "Accept", arial, 12, true},
                             {"Command2", "QPushButton", 7080, 6360, 1935, 975, "Exit ", arial, 12, true},
                         });

    QVERIFY(child<QLabel>(caution, "Label1")->wordWrap());
    QVERIFY(child<QLabel>(caution, "Label3")->wordWrap());
    QVERIFY(!windows->exists<EmployeeDetails>());
}

void ResultsWindowsTest::cautionKeyboardOrderAndFocus()
{
    CautionStatement& caution = windows->window<CautionStatement>();
    caution.showWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&caution));
    QPushButton* accept = child<QPushButton>(caution, "Command1");
    QPushButton* exitButton = child<QPushButton>(caution, "Command2");
    QCOMPARE(caution.focusWidget(), accept);
    QCOMPARE(nextTabStop(accept), exitButton);

    // Space on the focused Accept presses it.
    QTest::keyClick(accept, Qt::Key_Space);
    QVERIFY(windows->window<EmployeeDetails>().isVisible());
    QVERIFY(!caution.isVisible());
}

void ResultsWindowsTest::cautionAcceptRoutesByFlag()
{
    CautionStatement& caution = windows->window<CautionStatement>();
    caution.showWindow();
    QCOMPARE(state->CautionAccepted, std::int16_t(0));
    click(caution, "Command1");
    QCOMPARE(state->CautionAccepted, std::int16_t(1));
    QVERIFY(windows->window<EmployeeDetails>().isVisible());
    QVERIFY(!caution.isVisible());
    QVERIFY(!windows->exists<FinalResults>());

    windows->window<EmployeeDetails>().hide();
    for (int round = 0; round < 3; ++round) {
        caution.showWindow();
        click(caution, "Command1");
        QVERIFY(windows->window<FinalResults>().isVisible());
        QVERIFY(!windows->window<EmployeeDetails>().isVisible());
        QVERIFY(!caution.isVisible());
        QCOMPARE(state->CautionAccepted, std::int16_t(1));
        windows->window<FinalResults>().hide();
    }
}

void ResultsWindowsTest::stripApostrophesRemovesTheFirstHundred()
{
    QCOMPARE(StripApostrophes(QStringLiteral("O'Brien's")), QStringLiteral("OBriens"));
    QCOMPARE(StripApostrophes(QString()), QString());
    QCOMPARE(StripApostrophes(QStringLiteral("'")), QString());
    QCOMPARE(StripApostrophes(QString(101, QLatin1Char('\''))), QStringLiteral("'"));
    QCOMPARE(StripApostrophes(QString(100, QLatin1Char('\''))), QString());
    QCOMPARE(StripApostrophes(QString(100, QLatin1Char('\'')) + QStringLiteral("a'b'")), QStringLiteral("a'b'"));
    // Only U+0027: typographic quotes, backquotes and letters outside ASCII stay as they are.
    const QString mixed = QString::fromUtf8("Zo\u00eb D'\u00c1ngel \u2019 ` \U0001F600 \u4e2d'\u6587");
    QCOMPARE(StripApostrophes(mixed), QString::fromUtf8("Zo\u00eb D\u00c1ngel \u2019 ` \U0001F600 \u4e2d\u6587"));
}

void ResultsWindowsTest::employeeDetailsLayoutAndColours()
{
    EmployeeDetails& details = windows->window<EmployeeDetails>();
    QCOMPARE(details.windowTitle(), QStringLiteral("Employee Details"));
    QCOMPARE(details.size(), QSize(8505 / 15, 5370 / 15));
    QCOMPARE(details.minimumSize(), details.maximumSize()); // fixed dialog
    QVERIFY(details.windowFlags() & Qt::WindowContextHelpButtonHint);
    QVERIFY(!(details.windowFlags() & Qt::WindowMinMaxButtonsHint));

    const char* arial = "Liberation Sans";
    checkDesign(details, {
                             {"Label2", "QLabel", 2040, 360, 4575, 735, "Employee Details", arial, 24, true},
                             {"Label1", "QLabel", 480, 1680, 3015, 495, "Employees Name:", arial, 15.75, false},
                             {"Text1", "QLineEdit", 4200, 1680, 3975, 495, "", arial, 14.25, false},
                             {"Label3", "QLabel", 480, 2520, 3615, 495, "Employees ID Number:", arial, 15.75, false},
                             {"Text2", "QLineEdit", 4200, 2520, 3975, 495, "", arial, 14.25, false},
                             {"Label4", "QLabel", 480, 3360, 3135, 495, "Employees Location:", arial, 15.75, false},
                             {"Text3", "QLineEdit", 4200, 3360, 3975, 495, "", arial, 14.25, false},
                             {"Command1", "QPushButton", 4080, 4200, 1935, 855, "&Continue", arial, 12, true},
                             {"Command2", "QPushButton", 6240, 4200, 1935, 855, "&Exit", arial, 12, true},
                             {"DetailsButton", "QPushButton", 480, 4200, 1935, 855, "&Details...", arial, 12, true},
                         });

    for (const char* name : {"Label1", "Label2", "Label3", "Label4"}) {
        QLabel* label = child<QLabel>(details, name);
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(0, 0, 128));
        QCOMPARE(label->palette().color(QPalette::Window), EmployeeDetails::labelBackground());
        QVERIFY(label->autoFillBackground());
        QCOMPARE(QFontInfo(label->font()).family(), QStringLiteral("Liberation Sans"));
    }
    QCOMPARE(child<QLabel>(details, "Label2")->font().pointSizeF(), 24.0);
    QCOMPARE(child<QLabel>(details, "Label1")->font().pointSizeF(), 15.75);

    // Keyboard order: the three boxes, Continue, Exit.
    details.showWindow();
    QCOMPARE(details.focusWidget(), child<QLineEdit>(details, "Text1"));
    QStringList order;
    QWidget* w = child<QLineEdit>(details, "Text1");
    for (int i = 0; i < 5; ++i) {
        order << w->objectName();
        w = nextTabStop(w);
    }
    QCOMPARE(order, QStringList({"Text1", "Text2", "Text3", "Command1", "Command2"}));
}

void ResultsWindowsTest::employeeDetailsContinueStoresStrippedTexts()
{
    EmployeeDetails& details = windows->window<EmployeeDetails>();
    details.showWindow();
    QTest::keyClicks(child<QLineEdit>(details, "Text1"), QStringLiteral("O'Brien's"));
    QTest::keyClicks(child<QLineEdit>(details, "Text2"), QStringLiteral("'7'"));
    child<QLineEdit>(details, "Text3")->setFocus();
    click(details, "Command1");

    QVERIFY(!details.isVisible());
    QVERIFY(windows->window<MainWindow>().isVisible());
    QCOMPARE(details.focusWidget(), child<QLineEdit>(details, "Text1"));
    // The box and the program state keep what was typed, apostrophes included; the results
    // computed next carry the texts into the saved rows without them.
    QCOMPARE(child<QLineEdit>(details, "Text1")->text(), QStringLiteral("O'Brien's"));
    QCOMPARE(state->employee.name, QStringLiteral("O'Brien's"));
    QCOMPARE(state->employee.id, QStringLiteral("'7'"));
    PublishResults(*state, *windows, {});
    windows->window<CautionStatement>().hide();
    const SaveTable saved = SaveTableOf(state->record);
    QCOMPARE(cellString(saved.value(87)), QStringLiteral("OBriens"));
    QCOMPARE(cellString(saved.value(88)), QStringLiteral("7"));
    QCOMPARE(cellString(saved.value(89)), QString()); // empty text, not an empty cell

    // Alt+C is the access key of Continue; the next results carry the texts as they are now.
    windows->window<MainWindow>().hide();
    details.showWindow();
    QVERIFY(QTest::qWaitForWindowActive(&details));
    child<QLineEdit>(details, "Text3")->setText(QStringLiteral("Bay 'B'"));
    QTest::keyClick(&details, Qt::Key_C, Qt::AltModifier); // an access key clicks after a short delay
    QTRY_VERIFY(windows->window<MainWindow>().isVisible());
    QVERIFY(!details.isVisible());
    PublishResults(*state, *windows, {});
    QCOMPARE(cellString(SaveTableOf(state->record).value(89)), QStringLiteral("Bay B"));
    QCOMPARE(cellString(SaveTableOf(state->record).value(87)), QStringLiteral("OBriens"));
}

void ResultsWindowsTest::employeeDetailsEnterOnlyInLocation()
{
    EmployeeDetails& details = windows->window<EmployeeDetails>();
    details.showWindow();
    QLineEdit* name = child<QLineEdit>(details, "Text1");
    name->setText(QStringLiteral("Ann"));
    QTest::keyClick(name, Qt::Key_Return);
    QTest::keyClick(child<QLineEdit>(details, "Text2"), Qt::Key_Enter);
    QVERIFY(details.isVisible());
    QVERIFY(!windows->exists<MainWindow>()); // Continue never ran: the main window was never made

    // The keypad's Enter in the location box continues, like Return.
    QTest::keyClick(child<QLineEdit>(details, "Text3"), Qt::Key_Enter);
    QVERIFY(!details.isVisible());
    QVERIFY(windows->window<MainWindow>().isVisible());
    PublishResults(*state, *windows, {});
    QCOMPARE(cellString(SaveTableOf(state->record).value(87)), QStringLiteral("Ann"));

    windows->window<MainWindow>().hide();
    details.showWindow();
    QTest::keyClick(child<QLineEdit>(details, "Text3"), Qt::Key_Return);
    QVERIFY(!details.isVisible());
}

void ResultsWindowsTest::finalResultsLayout()
{
    FinalResults& results = windows->window<FinalResults>();
    QCOMPARE(results.windowTitle(), QStringLiteral("Final Results - RULA"));
    QCOMPARE(results.size(), QSize(15270 / 15, 10635 / 15));
    QCOMPARE(child<QLabel>(results, "Label1")->geometry(), twips(3240, 0, 8175, 1815));
    QCOMPARE(labelText(results, "Label1"), QStringLiteral("Final Result"));
    QCOMPARE(child<QLabel>(results, "Label1")->palette().color(QPalette::WindowText), QColor(0, 0, 128));
    PictureControl* sheet = child<PictureControl>(results, "Image1");
    QCOMPARE(sheet->geometry(), twips(360, 2160, 14535, 7575));
    QCOMPARE(sheet->art(), QStringLiteral("score_sheet"));

    struct Box
    {
        const char* name;
        int x, y, w, h;
    };
    const Box boxes[] = {
        {"Label2", 1200, 2640, 375, 375},   {"Label3", 2400, 2880, 255, 375},   {"Label4", 1200, 3600, 255, 375},
        {"Label5", 2400, 3720, 375, 375},   {"Label8", 1200, 4440, 375, 375},   {"Label6", 2280, 4680, 495, 375},
        {"Label9", 1200, 5400, 495, 375},   {"Label7", 2280, 5640, 375, 375},   {"Label10", 4320, 3840, 375, 375},
        {"Label11", 4920, 4200, 375, 375},  {"Label18", 6120, 3960, 495, 375},  {"Label12", 7080, 4200, 375, 375},
        {"Label19", 8160, 3960, 375, 375},  {"Label13", 9000, 4200, 375, 375},  {"Label15", 10440, 3600, 495, 375},
        {"Label14", 11280, 4080, 495, 375}, {"Label16", 12600, 5640, 375, 615}, {"Label17", 14040, 5880, 615, 615},
        {"Label20", 1680, 7080, 375, 375},  {"Label21", 1680, 8040, 375, 375},  {"Label22", 1680, 9000, 375, 375},
        {"Label23", 4560, 8160, 375, 375},  {"Label24", 6600, 8280, 375, 375},  {"Label25", 8640, 8280, 375, 375},
        {"Label26", 10920, 8040, 495, 495},
    };
    const QObjectList& stack = results.children(); // back to front
    for (const Box& box : boxes) {
        QLabel* label = child<QLabel>(results, box.name);
        QCOMPARE(label->geometry(), twips(box.x, box.y, box.w, box.h));
        QVERIFY2(label->text().isEmpty(), box.name);
        QVERIFY(label->autoFillBackground());
        QCOMPARE(label->palette().color(QPalette::Window), QColor(Qt::white));
        QVERIFY2(stack.indexOf(label) > stack.indexOf(sheet), box.name); // above the drawing
    }

    struct Edge
    {
        const char* name;
        int x1, y1, x2, y2, width;
    };
    const Edge edges[] = {
        {"Line4", 6120, 3960, 6840, 3960, 1},  {"Line5", 6120, 3960, 6720, 3960, 1},
        {"Line6", 6120, 3960, 6600, 3960, 1},  {"Line7", 6120, 3960, 6960, 3960, 1},
        {"Line10", 6120, 3960, 6840, 3960, 4}, {"Line11", 6120, 3960, 6840, 3960, 1},
        {"Line9", 8040, 3960, 8760, 3960, 4},  {"Line8", 8040, 3960, 8040, 4440, 1},
        {"Line2", 1200, 4440, 1800, 4440, 1},  {"Line1", 1200, 5400, 2040, 5400, 1},
        {"Line3", 2160, 6000, 2760, 6000, 1},
    };
    int lowestLine = stack.size();
    for (const Edge& edge : edges) {
        LineControl* line = child<LineControl>(results, edge.name);
        QCOMPARE(line->from(), QPoint(edge.x1 / 15, edge.y1 / 15));
        QCOMPARE(line->to(), QPoint(edge.x2 / 15, edge.y2 / 15));
        QCOMPARE(line->lineWidth(), edge.width);
        lowestLine = std::min<int>(lowestLine, stack.indexOf(line));
    }
    QCOMPARE(results.findChildren<LineControl*>().size(), 11);
    for (const Box& box : boxes) // every line above every value label
        QVERIFY(stack.indexOf(child<QLabel>(results, box.name)) < lowestLine);

    QCOMPARE(child<QPushButton>(results, "Command7")->geometry(), twips(8760, 9840, 2055, 855));
    QCOMPARE(child<QPushButton>(results, "Command6")->geometry(), twips(10800, 9840, 2055, 855));
    QCOMPARE(child<QPushButton>(results, "Command2")->geometry(), twips(12840, 9840, 2055, 855));
    QCOMPARE(child<QPushButton>(results, "Command7")->text(), QStringLiteral("&Exit"));
    QCOMPARE(child<QPushButton>(results, "Command6")->text(), QStringLiteral("<< &Back"));
    QCOMPARE(child<QPushButton>(results, "Command2")->text(), QStringLiteral("&Action Level >>"));
    for (QPushButton* button : results.findChildren<QPushButton*>()) {
        QCOMPARE(QFontInfo(button->font()).family(), QStringLiteral("Comic Neue"));
        QCOMPARE(button->font().pointSizeF(), 12.0);
        QVERIFY(!button->font().bold());
    }
    QCOMPARE(results.findChildren<QPushButton*>().size(), 3);
    // Value labels in Comic Sans MS 14.25 pt, the grand scores in 24 pt bold.
    for (const Box& box : boxes) {
        const QFont font = child<QLabel>(results, box.name)->font();
        const bool grand = qstrcmp(box.name, "Label16") == 0 || qstrcmp(box.name, "Label17") == 0;
        QCOMPARE(QFontInfo(font).family(), QStringLiteral("Comic Neue"));
        QCOMPARE(font.pointSizeF(), grand ? 24.0 : 14.25);
        QCOMPARE(font.bold(), grand);
    }
    QCOMPARE(results.findChildren<QLabel*>().size(), std::size(boxes) + 1);
    QVERIFY(child<QLabel>(results, "Label1")->font().bold());

    // Keyboard order: Action Level, Exit, Back; Action Level has the focus on opening.
    results.showWindow();
    QCOMPARE(results.focusWidget(), child<QPushButton>(results, "Command2"));
    QCOMPARE(nextTabStop(child<QPushButton>(results, "Command2")), child<QPushButton>(results, "Command7"));
    QCOMPARE(nextTabStop(child<QPushButton>(results, "Command7")), child<QPushButton>(results, "Command6"));
}

void ResultsWindowsTest::publishResultsFillsLabelsAndCells()
{
    // Hiding the main window does not create it when it was never shown.
    PublishResults(*state, *windows, {});
    QVERIFY(!windows->exists<MainWindow>());
    QCOMPARE(labelText(windows->window<FinalResults>(), "Label17"), QStringLiteral("0"));

    using G = rula::Group;
    auto select = [this](G group, int number) {
        state->assessment.SelectOption(rula::groupInfo(group).firstOption + number - 1);
    };
    select(G::UpperRight, 5); // 4, shoulder raised +1
    select(G::UpperRight, 6);
    select(G::UpperLeft, 2);
    select(G::LowerRight, 2); // 2, across the midline +1
    select(G::LowerRight, 3);
    select(G::LowerLeft, 3); // an adjustment alone still moves the score
    select(G::WristRight, 3);
    select(G::WristRight, 4);
    select(G::WristTwistRight, 2);
    select(G::Neck, 4);
    select(G::Neck, 5);
    select(G::Trunk, 3);
    select(G::Legs, 2);
    select(G::MuscleRightUpper, 1);
    select(G::MuscleLeftUpper, 2);
    select(G::ForceLeftUpper, 4);
    select(G::ForceLower, 2);
    rula::ResultScores r;
    r.PostureScoreALeft = 3;
    r.PostureScoreARight = 6;
    r.ScoreCLeft = 5;
    r.ScoreCRight = 8;
    r.PostureScoreB = 9;
    r.ScoreD = 11;
    r.GrandScoreLeft = -1; // any 16-bit value is written as plain decimal
    r.GrandScoreRight = 7;
    windows->window<MainWindow>().showWindow();

    PublishResults(*state, *windows, r);

    QVERIFY(windows->window<CautionStatement>().isVisible());
    QVERIFY(!windows->window<MainWindow>().isVisible());
    FinalResults& results = windows->window<FinalResults>();
    QVERIFY(!results.isVisible());

    struct Expect
    {
        const char* label;
        int value;
        int row;
    };
    const Expect expected[] = {
        {"Label3", 5, 10},  {"Label2", 2, 2},   {"Label5", 3, 11},   {"Label4", 1, 3},    {"Label6", 4, 12},
        {"Label7", 2, 13},  {"Label8", 0, 4},   {"Label9", 0, 5},    {"Label20", 5, 16},  {"Label21", 3, 17},
        {"Label22", 2, 18}, {"Label12", 1, 14}, {"Label18", 0, 6},   {"Label24", 0, 19},  {"Label13", 0, 15},
        {"Label19", 3, 7},  {"Label25", 1, 20}, {"Label10", 3, -1},  {"Label11", 6, -1},  {"Label15", 5, -1},
        {"Label14", 8, -1}, {"Label23", 9, -1}, {"Label26", 11, -1}, {"Label16", -1, 90}, {"Label17", 7, 91},
    };
    const SaveTable saved = SaveTableOf(state->record);
    for (const Expect& e : expected) {
        QCOMPARE(labelText(results, e.label), QString::number(e.value));
        if (e.row >= 0)
            QCOMPARE(cellInt(saved.value(e.row)), e.value);
    }
    // The rest of the saved rows: the options as selected, no action level for a grand score
    // of -1, level 4 for 7, and the employee boxes' empty texts.
    const int firstOptionRow = SaveTable::FirstOptionRow;
    QCOMPARE(cellString(saved.value(firstOptionRow + rula::groupInfo(G::UpperRight).firstOption)),
             QStringLiteral("False"));
    QCOMPARE(cellString(saved.value(firstOptionRow + rula::groupInfo(G::UpperRight).firstOption + 4)),
             QStringLiteral("True"));
    QCOMPARE(cellString(saved.value(firstOptionRow + rula::groupInfo(G::ForceLower).firstOption + 1)),
             QStringLiteral("True"));
    for (int row : {0, 1})
        QVERIFY(std::holds_alternative<std::monostate>(saved.value(row)));
    QCOMPARE(cellString(saved.value(8)), QStringLiteral("Action Level 4"));
    QCOMPARE(cellString(saved.value(9)), QStringLiteral("Investigation and changes are required immediately"));
    for (int row : {87, 88, 89})
        QCOMPARE(saved.value(row), SaveCell(QString()));
}

void ResultsWindowsTest::finalResultsButtons()
{
    FinalResults& results = windows->window<FinalResults>();
    results.showWindow();
    click(results, "Command6"); // << Back
    QVERIFY(windows->window<MainWindow>().isVisible());
    QVERIFY(!results.isVisible());

    results.showWindow();
    QVERIFY(QTest::qWaitForWindowActive(&results));
    setGrandScores(*state, 2, 3);
    QTest::keyClick(&results, Qt::Key_A, Qt::AltModifier); // access key of "&Action Level >>"
    QTRY_VERIFY(windows->exists<RULAAction>() && windows->window<RULAAction>().isVisible());
    QVERIFY(!results.isVisible());
    QCOMPARE(labelText(windows->window<RULAAction>(), "Label1"), QStringLiteral("Action Level 1"));
    QCOMPARE(labelText(windows->window<RULAAction>(), "Label3"), QStringLiteral("Action Level 2"));
    const SaveTable saved = SaveTableOf(state->record);
    QCOMPARE(cellString(saved.value(9)),
             QStringLiteral("posture is Acceptable posture if it is not maintained or repeated for long periods"));
    QCOMPARE(cellString(saved.value(1)), QStringLiteral("Further investigation is needed and changes may be required"));
    QCOMPARE(recorder.ends, 0);
}

void ResultsWindowsTest::actionLevelsBothSides()
{
    setGrandScores(*state, 7, 1);
    windows->window<FinalResults>().showWindow();
    ShowActionLevels(*windows);

    RULAAction& action = windows->window<RULAAction>();
    QVERIFY(action.isVisible());
    QVERIFY(!windows->window<FinalResults>().isVisible());
    // The right side's level is shown under "Right Hand Side", on the left half.
    QLabel* rightCaption = child<QLabel>(action, "Label1");
    QCOMPARE(rightCaption->text(), QStringLiteral("Action Level 4"));
    QVERIFY(rightCaption->geometry().right() < action.width() / 2);
    QCOMPARE(labelText(action, "Label5"), QStringLiteral("Right Hand Side"));
    QVERIFY(child<QLabel>(action, "Label5")->geometry().right() < action.width() / 2);
    QCOMPARE(labelText(action, "Label2"),
             QStringLiteral("A score of seven or eight indicates investigation and changes are required immediately"));
    QLabel* leftCaption = child<QLabel>(action, "Label3");
    QCOMPARE(leftCaption->text(), QStringLiteral("Action Level 1"));
    QVERIFY(leftCaption->geometry().left() > action.width() / 2);
    QCOMPARE(labelText(action, "Label4"), QStringLiteral("A score of one or two indicates that posture is acceptable "
                                                         "if it is not maintained or repeated for long periods"));

    const SaveTable saved = SaveTableOf(state->record);
    QCOMPARE(cellString(saved.value(8)), QStringLiteral("Action Level 4"));
    QCOMPARE(cellString(saved.value(9)), QStringLiteral("Investigation and changes are required immediately"));
    QCOMPARE(cellString(saved.value(0)), QStringLiteral("Action Level 1"));
    QCOMPARE(cellString(saved.value(1)),
             QStringLiteral("posture is Acceptable posture if it is not maintained or repeated for long periods"));

    // Pressing again with new grand scores re-evaluates them.
    setGrandScores(*state, 5, 6);
    ShowActionLevels(*windows);
    QCOMPARE(rightCaption->text(), QStringLiteral("Action Level 3"));
    QCOMPARE(leftCaption->text(), QStringLiteral("Action Level 3"));
    QCOMPARE(cellString(SaveTableOf(state->record).value(1)),
             QStringLiteral("Investigation and changes are required soon"));
}

void ResultsWindowsTest::actionLevelsSideWithoutLevelIsUnchanged()
{
    RULAAction& action = windows->window<RULAAction>();
    // Before any level: a grand score of 0 on both sides writes nothing at all.
    ShowActionLevels(*windows);
    QVERIFY(action.isVisible());
    QVERIFY(labelText(action, "Label1").isEmpty());
    QVERIFY(labelText(action, "Label4").isEmpty());
    QVERIFY(!state->record.levelLeft && !state->record.levelRight);
    for (int row : {0, 1, 8, 9})
        QVERIFY(std::holds_alternative<std::monostate>(SaveTableOf(state->record).value(row)));

    setGrandScores(*state, 4, 8);
    ShowActionLevels(*windows);
    QCOMPARE(labelText(action, "Label3"), QStringLiteral("Action Level 4"));

    for (int stale : {0, 9, -3}) {
        setGrandScores(*state, 1, stale);
        ShowActionLevels(*windows);
        const SaveTable saved = SaveTableOf(state->record);
        QCOMPARE(labelText(action, "Label1"), QStringLiteral("Action Level 1"));
        QCOMPARE(cellString(saved.value(8)), QStringLiteral("Action Level 1"));
        QCOMPARE(labelText(action, "Label3"), QStringLiteral("Action Level 4"));
        QCOMPARE(
            labelText(action, "Label4"),
            QStringLiteral("A score of seven or eight indicates investigation and changes are required immediately"));
        // The window keeps the earlier level, but the record has none for that side: its two
        // saved rows stay empty.
        QVERIFY(!state->record.levelLeft);
        QVERIFY(std::holds_alternative<std::monostate>(saved.value(0)));
        QVERIFY(std::holds_alternative<std::monostate>(saved.value(1)));
    }
}

void ResultsWindowsTest::actionLevelsWindowLayoutAndButtons()
{
    RULAAction& action = windows->window<RULAAction>();
    QCOMPARE(action.windowTitle(), QStringLiteral("Action Levels - RULA"));
    QCOMPARE(action.size(), QSize(15270 / 15, 11145 / 15));
    const char* comic = "Comic Neue";
    const char* plan = "Plan a &Change...";
    checkDesign(action, {
                            {"Label5", "QLabel", 1200, 1200, 5775, 1095, "Right Hand Side", comic, 36, true},
                            {"Label6", "QLabel", 7800, 1200, 6255, 1095, "Left Hand Side", comic, 36, true},
                            {"Label1", "QLabel", 1080, 2520, 5295, 1335, "", comic, 36, true},
                            {"Label2", "QLabel", 1080, 4320, 5415, 3975, "", comic, 24, false},
                            {"Label3", "QLabel", 7680, 2520, 5295, 1335, "", comic, 36, true},
                            {"Label4", "QLabel", 7680, 4200, 5415, 3975, "", comic, 24, false},
                            {"Command1", "QPushButton", 5280, 9720, 2055, 855, "&Reduction Measures", comic, 12, false},
                            {"Command7", "QPushButton", 7560, 9720, 2055, 855, "&Save", comic, 12, false},
                            {"Command2", "QPushButton", 9840, 9720, 2055, 855, "<< &Back", comic, 12, false},
                            {"Command3", "QPushButton", 12120, 9720, 2055, 855, "&Exit", comic, 12, false},
                            // Added in the free lower-left corner.
                            {"Command8", "QPushButton", 3000, 9720, 2055, 855, "Re&port...", comic, 12, false},
                            {"PlanChangeButton", "QPushButton", 720, 9720, 2055, 855, plan, comic, 12, false},
                        });
    for (const char* heading : {"Label5", "Label6"})
        QCOMPARE(child<QLabel>(action, heading)->palette().color(QPalette::WindowText), QColor(0, 0, 128));
    for (const char* caption : {"Label1", "Label3"})
        QVERIFY(child<QLabel>(action, caption)->alignment() & Qt::AlignHCenter);
    for (const char* text : {"Label2", "Label4"})
        QVERIFY(child<QLabel>(action, text)->wordWrap());

    const char* order[] = {"Command1", "Command7", "Command2", "Command3", "Command8", "PlanChangeButton"};
    for (int i = 0; i < 5; ++i)
        QCOMPARE(nextTabStop(child<QPushButton>(action, order[i])), child<QPushButton>(action, order[i + 1]));

    action.showWindow();
    click(action, "Command1"); // Reduction Measures leaves the window as it is
    QVERIFY(action.isVisible());
    click(action, "Command7"); // Save
    click(action, "Command7");
    QVERIFY(windows->window<SaveWindow>().isVisible());
    QVERIFY(action.isVisible());
    click(action, "Command2"); // << Back
    QVERIFY(!action.isVisible());
    QVERIFY(windows->window<FinalResults>().isVisible());
    QCOMPARE(recorder.ends, 0);
}

void ResultsWindowsTest::actionLevelsMouseMoveSetsHelpFile()
{
    const QString initial = state->ApplicationHelpFile;
    QCOMPARE(initial, QStringLiteral("\\HelpFile\\HELPFILE.HLP"));
    RULAAction& action = windows->window<RULAAction>();
    action.showWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&action));
    QVERIFY(action.hasMouseTracking());

    // Over a label: not the background.
    QTest::mouseMove(&action, child<QLabel>(action, "Label5")->geometry().center());
    QCOMPARE(state->ApplicationHelpFile, initial);
    QTest::mouseMove(&action, QPoint(5, 5));
    const QString expected = QCoreApplication::applicationDirPath() + QStringLiteral("\\Helpfile\\helpfile.hlp");
    QCOMPARE(state->ApplicationHelpFile, expected);
    // Repeated on every move; nothing sets it back.
    state->ApplicationHelpFile = initial;
    QTest::mouseMove(&action, QPoint(700, 20));
    QCOMPARE(state->ApplicationHelpFile, expected);
    action.hide();
    QCOMPARE(state->ApplicationHelpFile, expected);
}

void ResultsWindowsTest::overviewShowsAndHides()
{
    RULAOverview& overview = windows->window<RULAOverview>();
    QCOMPARE(overview.windowTitle(), QStringLiteral("RULA Overview"));
    QCOMPARE(overview.size(), QSize(10815 / 15, 7020 / 15));
    QCOMPARE(child<PictureControl>(overview, "Image1")->geometry(), twips(0, 0, 8850, 7005));
    QCOMPARE(child<PictureControl>(overview, "Image1")->art(), QStringLiteral("rula_overview"));
    QPushButton* exitButton = child<QPushButton>(overview, "Command1");
    QCOMPARE(exitButton->geometry(), twips(8880, 0, 1935, 855));
    QCOMPARE(exitButton->text(), QStringLiteral("&Exit"));
    QCOMPARE(QFontInfo(exitButton->font()).family(), QStringLiteral("Comic Neue"));
    QCOMPARE(exitButton->font().pointSizeF(), 12.0);
    QVERIFY(!exitButton->font().bold());
    QVERIFY(!(overview.windowFlags() & Qt::WindowContextHelpButtonHint));

    overview.showWindow();
    overview.showWindow();
    QVERIFY(overview.isVisible());
    click(overview, "Command1");
    QVERIFY(!overview.isVisible());
    QCOMPARE(recorder.ends, 0); // hides, never ends
    overview.showWindow();
    QCOMPARE(&windows->window<RULAOverview>(), &overview);
    QVERIFY(overview.isVisible());
}

void ResultsWindowsTest::resultWindowsStayOnTheTaskBar()
{
    // Windows that can be the only one visible are plain top-level windows (listed on the
    // task bar), never dialogs or tool windows.
    for (QWidget* w :
         std::initializer_list<QWidget*>{&windows->window<FinalResults>(), &windows->window<RULAAction>()}) {
        QCOMPARE(w->windowType(), Qt::Window);
        QVERIFY(!(w->windowFlags() & Qt::WindowMinMaxButtonsHint));
        QVERIFY(w->windowFlags() & Qt::WindowContextHelpButtonHint);
        static_cast<AppWindow*>(w)->showWindow();
        QVERIFY(w->windowState() & Qt::WindowMaximized);
    }
    QCOMPARE(windows->window<EmployeeDetails>().windowType(), Qt::Dialog);
    QCOMPARE(windows->window<CautionStatement>().windowType(), Qt::Window);
}

void ResultsWindowsTest::contextHelpTopics()
{
    auto topic = [](const QWidget& window, const char* name) {
        return child<QWidget>(window, name)->property("helpTopic").toInt();
    };
    const EmployeeDetails& details = windows->window<EmployeeDetails>();
    QCOMPARE(topic(details, "Command2"), 19);
    QCOMPARE(topic(details, "Label1"), 20);
    QCOMPARE(topic(details, "Text1"), 20);
    QCOMPARE(topic(details, "Text2"), 21);
    QCOMPARE(topic(details, "Label4"), 22);
    QCOMPARE(topic(details, "Command1"), 23);
    QCOMPARE(topic(details, "Label2"), 0);
    const FinalResults& results = windows->window<FinalResults>();
    QCOMPARE(topic(results, "Command7"), 19);
    QCOMPARE(topic(results, "Image1"), 76);
    QCOMPARE(topic(results, "Command6"), 78);
    QCOMPARE(topic(results, "Command2"), 79);
    const RULAAction& action = windows->window<RULAAction>();
    QCOMPARE(topic(action, "Command3"), 19);
    QCOMPARE(topic(action, "Label6"), 80);
    QCOMPARE(topic(action, "Label3"), 80);
    QCOMPARE(topic(action, "Label5"), 81);
    QCOMPARE(topic(action, "Label1"), 81);
    QCOMPARE(topic(action, "Label4"), 82);
    QCOMPARE(topic(action, "Label2"), 83);
    QCOMPARE(topic(action, "Command2"), 85);
    QCOMPARE(topic(action, "Command1"), 147);
    QCOMPARE(topic(action, "Command7"), 191);
    QCOMPARE(topic(action, "PlanChangeButton"), 240);
    QCOMPARE(topic(windows->window<CautionStatement>(), "Command1"), 0);
}

// No push button of any window cuts its caption off: a caption wider than its button
// ("&Reduction Measures" in Comic Neue 12 pt on its 137-pixel button) wraps onto two lines.
void ResultsWindowsTest::everyButtonShowsItsWholeCaption()
{
    const std::initializer_list<QWidget*> all = {
        &windows->window<CautionStatement>(), &windows->window<EmployeeDetails>(), &windows->window<MainWindow>(),
        &windows->window<FinalResults>(),     &windows->window<RULAAction>(),      &windows->window<RULAOverview>(),
        &windows->window<SaveWindow>(),       &windows->window<OverwriteFile>(),   &windows->window<OpenPictureFile>(),
        &windows->window<OpenExtraPics>(),    &windows->window<ExtraPics>(),
    };
    int buttons = 0;
    for (QWidget* window : all) {
        for (QPushButton* button : window->findChildren<QPushButton*>()) {
            ++buttons;
            const QString where = window->objectName() + QLatin1Char('.') + button->objectName();
            QVERIFY2(captionFits(button), qPrintable(where));
        }
    }
    // Employee Details: its two designed buttons and "Details..."; Main: its seven designed
    // buttons, "Video Frames...", "Details...", "Team..." and "REBA...".
    QCOMPARE(buttons, 2 + 3 + 11 + 3 + 6 + 1 + 2 + 2 + 2 + 2 + 1);
    // The one caption too wide for a single line wraps.
    QVERIFY(qobject_cast<CaptionButton*>(child<QPushButton>(windows->window<RULAAction>(), "Command1")));
}

// Renders the windows as the assessor sees them. The edge lines must be painted over the
// white value labels, and the labels over the drawing. (bench_screenshots saves the same
// pictures for docs/screenshots.)
void ResultsWindowsTest::renderedWindows()
{

    CautionStatement& caution = windows->window<CautionStatement>();
    const QImage cautionImage = caution.grab().toImage();
    QCOMPARE(cautionImage.size(), QSize(627, 512));

    publishExampleResults(*state, *windows);
    FinalResults& results = windows->window<FinalResults>();
    const QImage sheet = results.grab().toImage();
    QCOMPARE(sheet.size(), QSize(1018, 709));
    // Line2 runs along the top edge of Label8 (the left wrist's white box): it is drawn on top.
    const QRect wristLeft = child<QLabel>(results, "Label8")->geometry();
    QCOMPARE(wristLeft.top(), 4440 / 15);
    QVERIFY(qGray(sheet.pixel(wristLeft.left() + 3, wristLeft.top())) < 80);
    // Below the line, the label's own white background.
    QCOMPARE(QColor(sheet.pixel(wristLeft.right() - 1, wristLeft.bottom() - 1)), QColor(Qt::white));

    ShowActionLevels(*windows);
    RULAAction& action = windows->window<RULAAction>();
    action.hide();
    const QImage levels = action.grab().toImage();
    QCOMPARE(levels.size(), QSize(1018, 743));
}

QTEST_MAIN(ResultsWindowsTest)
#include "tst_resultswindows.moc"
