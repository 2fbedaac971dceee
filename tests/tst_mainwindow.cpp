// SPDX-License-Identifier: GPL-3.0-or-later
// The main window driven as an assessor drives it: clicks on tab headers and pictures,
// command buttons and their access keys; what the panels, score boxes and message boxes show.
#include "CautionStatement.h"
#include "FinalResults.h"
#include "MainWindow.h"
#include "ModelText.h"
#include "OptionCatalogue.h"
#include "OptionPanel.h"
#include "PictureControl.h"
#include "ProgramState.h"
#include "Services.h"
#include "TabbedPanel.h"
#include "WindowSet.h"
#include "WindowTestSupport.h"

#include <QAbstractButton>
#include <QFontInfo>
#include <QHash>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QTest>

#include <memory>

namespace {

QString allMissing(int group)
{
    return QString::fromUtf8(rula::groups()[static_cast<std::size_t>(group)].incompleteMessage.data());
}

} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ProgramState> m_state;
    std::unique_ptr<WindowSet> m_windows;
    MainWindow* m_main = nullptr;
    ServiceRecorder m_recorder;

    template <typename T> T* find(const QString& name) const
    {
        T* widget = m_main->findChild<T*>(name);
        if (!widget)
            qWarning("no control %s", qPrintable(name));
        return widget;
    }

    TabbedPanel* tabs() const { return find<TabbedPanel>(QStringLiteral("SSTab1")); }

    // Clicks the header of tab `index` (0-based) as the assessor would.
    void clickTab(int index)
    {
        QWidget* strip = find<QWidget>(QStringLiteral("SSTab1Headers"));
        QTest::mouseClick(strip, Qt::LeftButton, Qt::NoModifier, tabs()->headerRect(index).center());
    }

    int tabOf(QWidget* widget) const
    {
        for (int i = 0; i < tabs()->count(); ++i) {
            if (tabs()->page(i)->isAncestorOf(widget))
                return i;
        }
        return -1;
    }

    // Brings the picture's tab to the front by its header, then clicks the picture.
    void clickPicture(const QString& name)
    {
        auto* picture = find<PictureControl>(name);
        QVERIFY(picture);
        clickTab(tabOf(picture));
        QVERIFY(picture->isVisible());
        QTest::mouseClick(picture, Qt::LeftButton, Qt::NoModifier, picture->rect().center());
    }

    // Clicks the picture of option `number` of group `group`.
    void choose(rula::Group group, int number)
    {
        const rula::GroupInfo& info = rula::groupInfo(group);
        const rula::OptionInfo& option = rula::options()[static_cast<std::size_t>(info.firstOption + number - 1)];
        clickPicture(modelText(option.picture));
    }

    QString score(const char* box) const { return find<QLabel>(QString::fromLatin1(box))->text(); }

    bool red(const char* panel) const
    {
        OptionPanel* p = find<OptionPanel>(QString::fromLatin1(panel));
        return p->isSelected() && p->colour() == QColor(255, 0, 0);
    }

    bool buttonFace(const char* panel) const
    {
        OptionPanel* p = find<OptionPanel>(QString::fromLatin1(panel));
        return !p->isSelected() && p->colour() == p->palette().color(QPalette::Button);
    }

    // Every group but the listed ones gets its first base option.
    void completeAllBut(std::initializer_list<rula::Group> skipped)
    {
        for (const rula::GroupInfo& group : rula::groups()) {
            if (std::find(skipped.begin(), skipped.end(), group.group) == skipped.end())
                choose(group.group, 1);
        }
    }

private slots:
    void init()
    {
        m_recorder.clear();
        m_recorder.install();
        m_state = std::make_unique<ProgramState>();
        m_windows = std::make_unique<WindowSet>(*m_state);
        m_main = &m_windows->window<MainWindow>();
        m_main->showWindow();
        QVERIFY(QTest::qWaitForWindowExposed(m_main));
    }

    void cleanup()
    {
        m_windows.reset();
        m_state.reset();
        m_main = nullptr;
        MessageService::resetHandler();
        ProgramEnd::resetHandler();
    }

    void startsFreshOnTheFirstTab()
    {
        QCOMPARE(m_main->objectName(), QStringLiteral("Main"));
        QCOMPARE(m_main->windowTitle(), QStringLiteral("RULA"));
        QVERIFY(m_main->isMaximized());
        QCOMPARE(tabs()->currentIndex(), 0);
        QVERIFY(tabs()->page(0)->isVisible());
        for (int i = 1; i < tabs()->count(); ++i)
            QVERIFY(!tabs()->page(i)->isVisible());
        QVERIFY(!find<QWidget>(QStringLiteral("Picture1"))->isVisible());
        for (const rula::GroupInfo& group : rula::groups())
            QCOMPARE(score(group.scoreLabel.data()), QString());
    }

    // Every option has its panel on its group's tab, holding its picture, which fits inside
    // the panel and leaves a visible margin for the selection colour.
    void everyOptionHasItsPanelAndPicture()
    {
        QSet<QString> pictures;
        for (const rula::OptionInfo& option : rula::options()) {
            const QString panelName = modelText(option.panel);
            const QString pictureName = modelText(option.picture);
            auto* panel = find<OptionPanel>(panelName);
            QVERIFY2(panel, qPrintable(panelName));
            QVERIFY2(buttonFace(panel->objectName().toLatin1().constData()), qPrintable(panelName));
            auto* picture = panel->findChild<PictureControl*>(pictureName);
            QVERIFY2(picture, qPrintable(pictureName));
            QCOMPARE(picture->parentWidget(), panel);
            QCOMPARE(picture->art(), modelText(option.art));
            QVERIFY(panel->rect().contains(picture->geometry()));
            QVERIFY(picture->geometry() != panel->rect());
            QCOMPARE(picture->focusPolicy(), Qt::NoFocus);
            QCOMPARE(tabOf(panel), rula::groupInfo(option.group).tab - 1);
            pictures.insert(pictureName);
        }
        QCOMPARE(m_main->findChildren<OptionPanel*>().size(), 66);
        QCOMPARE(pictures.size(), 66);
        QVERIFY(pictures.contains(QStringLiteral("Image")));
        for (int i = 1; i <= 65; ++i)
            QVERIFY(pictures.contains(QStringLiteral("Image%1").arg(i)));
    }

    void upperArmClickSequence()
    {
        choose(rula::Group::UpperRight, 4);
        QCOMPARE(score("CurrentScore"), QStringLiteral("3"));
        choose(rula::Group::UpperRight, 6);
        QCOMPARE(score("CurrentScore"), QStringLiteral("4"));
        choose(rula::Group::UpperRight, 8);
        QCOMPARE(score("CurrentScore"), QStringLiteral("3"));
        choose(rula::Group::UpperRight, 2);
        QCOMPARE(score("CurrentScore"), QStringLiteral("2"));
        for (const char* panel : {"Frame2", "Frame6", "Frame8"})
            QVERIFY2(red(panel), panel);
        for (const char* panel : {"Frame1", "Frame3", "Frame4", "Frame5", "Frame7"})
            QVERIFY2(buttonFace(panel), panel);
        // The left arm's group is untouched.
        for (int i = 9; i <= 16; ++i)
            QVERIFY(buttonFace(QStringLiteral("Frame%1").arg(i).toLatin1().constData()));
        QCOMPARE(score("CurrentScore2"), QString());
    }

    void adjustmentsBeforeAndTwice()
    {
        choose(rula::Group::UpperLeft, 8);
        QCOMPARE(score("CurrentScore2"), QStringLiteral("-1"));
        QVERIFY(red("Frame16"));
        choose(rula::Group::UpperLeft, 1);
        QCOMPARE(score("CurrentScore2"), QStringLiteral("0"));
        choose(rula::Group::UpperLeft, 7);
        QCOMPARE(score("CurrentScore2"), QStringLiteral("1"));
        choose(rula::Group::UpperLeft, 7);
        QCOMPARE(score("CurrentScore2"), QStringLiteral("0"));
        QVERIFY(buttonFace("Frame15"));
        choose(rula::Group::UpperLeft, 1); // the selected base option again: nothing changes
        QCOMPARE(score("CurrentScore2"), QStringLiteral("0"));
        QVERIFY(red("Frame9"));
        QCOMPARE(score("CurrentScore"), QString());

        choose(rula::Group::LowerLeft, 3);
        QCOMPARE(score("CurrentScore4"), QStringLiteral("1"));
        choose(rula::Group::LowerLeft, 2);
        QCOMPARE(score("CurrentScore4"), QStringLiteral("3"));
        QVERIFY(red("Frame22") && red("Frame21") && buttonFace("Frame19"));
        QCOMPARE(score("CurrentScore3"), QString());
        for (const char* panel : {"Frame17", "Frame18", "Frame20"})
            QVERIFY(buttonFace(panel));
    }

    void neckMuscleForceGroups()
    {
        choose(rula::Group::Neck, 5);
        choose(rula::Group::Neck, 6);
        choose(rula::Group::Neck, 4);
        QCOMPARE(score("NeckScore"), QStringLiteral("6"));
        QCOMPARE(score("TrunkScore"), QString());
        for (const char* panel : {"Frame57", "Frame58", "Frame59", "Frame60", "Frame63", "Frame64"})
            QVERIFY(buttonFace(panel));

        choose(rula::Group::MuscleRightUpper, 2);
        QCOMPARE(score("UpperRightScore"), QStringLiteral("0"));
        QVERIFY(red("Frame36") && buttonFace("Frame35"));
        QCOMPARE(score("UpperLeftScore"), QString());

        choose(rula::Group::ForceLower, 1);
        QCOMPARE(score("Label44"), QStringLiteral("0"));
        choose(rula::Group::ForceLower, 4);
        QCOMPARE(score("Label44"), QStringLiteral("3"));
        QVERIFY(red("Frame52") && buttonFace("Frame49"));
        QCOMPARE(score("Label48"), QString());
        QCOMPARE(score("Label46"), QString());

        choose(rula::Group::WristTwistLeft, 2);
        QCOMPARE(score("Label21"), QStringLiteral("2"));
        QCOMPARE(score("TwistScore"), QString());
    }

    // Only the picture reacts: the panel's margin, captions, score boxes and the header strip
    // outside the headers leave the assessment alone.
    void onlyThePictureReacts()
    {
        auto* panel = find<OptionPanel>(QStringLiteral("Frame1"));
        QTest::mouseClick(panel, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
        QTest::mouseClick(find<QLabel>(QStringLiteral("Label1")), Qt::LeftButton);
        QTest::mouseClick(find<QLabel>(QStringLiteral("CurrentScore")), Qt::LeftButton);
        QVERIFY(buttonFace("Frame1"));
        QCOMPARE(score("CurrentScore"), QString());
        QVERIFY(!m_state->assessment.isSelected(0));
        QWidget* strip = find<QWidget>(QStringLiteral("SSTab1Headers"));
        QTest::mouseClick(strip, Qt::LeftButton, Qt::NoModifier, QPoint(strip->width() - 2, 30));
        QCOMPARE(tabs()->currentIndex(), 0);
    }

    // A click repaints its own group's panels and score box, not the rest of the tab.
    void aClickRepaintsOnlyItsGroup()
    {
        struct PaintCounter : QObject
        {
            QHash<QObject*, int> paints;
            bool eventFilter(QObject* watched, QEvent* event) override
            {
                if (event->type() == QEvent::Paint)
                    ++paints[watched];
                return false;
            }
        } counter;
        clickTab(4);
        QCoreApplication::processEvents();
        const QStringList names = {"Frame23", "Frame24", "Frame27", "Frame28", "WristScore", "TwistScore", "Label17"};
        for (const QString& name : names)
            find<QWidget>(name)->installEventFilter(&counter);
        QTest::mouseClick(find<QWidget>(QStringLiteral("Image27")), Qt::LeftButton);
        QTRY_VERIFY(counter.paints.value(find<QWidget>(QStringLiteral("WristScore"))) > 0);
        QVERIFY(counter.paints.value(find<QWidget>(QStringLiteral("Frame24"))) > 0);
        for (const char* other : {"Frame23", "Frame27", "Frame28", "TwistScore", "Label17"})
            QVERIFY2(counter.paints.value(find<QWidget>(QString::fromLatin1(other))) == 0, other);
        QCOMPARE(score("WristScore"), QStringLiteral("2"));
    }

    void tabSwitchingKeepsChoices()
    {
        choose(rula::Group::UpperRight, 3);
        clickTab(6);
        QCOMPARE(tabs()->currentIndex(), 6);
        QVERIFY(tabs()->page(6)->isVisible() && !tabs()->page(0)->isVisible());
        QVERIFY(find<QWidget>(QStringLiteral("Frame53"))->isVisible());
        clickTab(0);
        QVERIFY(red("Frame3"));
        QCOMPARE(score("CurrentScore"), QStringLiteral("2"));
        QCOMPARE(m_state->assessment.score(rula::Group::UpperRight), 2);
    }

    void freshAssessmentGivesAllSeventeenMessages()
    {
        QTest::mouseClick(find<QPushButton>(QStringLiteral("Command2")), Qt::LeftButton);
        QCOMPARE(m_recorder.messages.size(), 17);
        for (int i = 0; i < 17; ++i) {
            QCOMPARE(m_recorder.messages[i], allMissing(i));
            QCOMPARE(m_recorder.titles[i], QStringLiteral("Project1"));
        }
        QCOMPARE(m_recorder.messages.first(),
                 QStringLiteral("You have not completed all of the necessary fields for Upper Arm (Right)"));
        QCOMPARE(m_recorder.messages.last(),
                 QStringLiteral("You have not completed all of the necessary fields for Force Lower Body"));
        QVERIFY(m_main->isVisible());
        QCOMPARE(m_state->record.results.GrandScoreLeft, 0);
    }

    void onlyTheMissingGroupsAreNamed()
    {
        // What an earlier publication left: results, score sheet labels and the record (of an
        // assessment with no option selected).
        rula::ResultScores earlierResults;
        earlierResults.GrandScoreRight = 6;
        earlierResults.ScoreD = 4;
        FinalResults& sheet = m_windows->window<FinalResults>();
        const QStringList sheetLabels = {"Label2",  "Label3",  "Label10", "Label16",
                                         "Label17", "Label21", "Label25", "Label26"};
        for (const QString& label : sheetLabels)
            sheet.findChild<QLabel*>(label)->setText(QStringLiteral("9"));
        const QDateTime earlier(QDate(2026, 3, 2), QTime(9, 30));
        m_state->record = BuildRecord(m_state->assessment, earlierResults,
                                      {QStringLiteral("Ann"), QStringLiteral("7"), QStringLiteral("Bay")}, earlier);
        const SaveTable earlierRows = SaveTableOf(m_state->record);

        completeAllBut({rula::Group::Trunk, rula::Group::ForceLower});
        choose(rula::Group::Trunk, 5); // an adjustment does not complete a group
        QTest::mouseClick(find<QPushButton>(QStringLiteral("Command2")), Qt::LeftButton);
        QCOMPARE(
            m_recorder.messages,
            QStringList({QStringLiteral("You have not completed all of the necessary fields for the Trunk"),
                         QStringLiteral("You have not completed all of the necessary fields for Force Lower Body")}));

        // An unsuccessful run changes no result, label, table cell or window.
        QCOMPARE(m_state->record.results.GrandScoreRight, 6);
        QCOMPARE(m_state->record.results.ScoreD, 4);
        QCOMPARE(m_state->record.results.PostureScoreARight, 0);
        for (const QString& label : sheetLabels)
            QCOMPARE(sheet.findChild<QLabel*>(label)->text(), QStringLiteral("9"));
        QCOMPARE(sheet.findChild<QLabel*>(QStringLiteral("Label20"))->text(), QString());
        QCOMPARE(m_state->record.assessedAt, earlier);
        QCOMPARE(m_state->record.results.GrandScoreRight, 6);
        const SaveTable rows = SaveTableOf(m_state->record);
        for (int row = 0; row < SaveTable::RowCount; ++row)
            QVERIFY2(rows.value(row) == earlierRows.value(row), qPrintable(QString::number(row)));
        QCOMPARE(cellString(rows.value(SaveTable::FirstOptionRow)), QStringLiteral("False"));
        QCOMPARE(cellString(rows.value(SaveTable::ActionLevelRight)), QStringLiteral("Action Level 3"));
        QVERIFY(m_main->isVisible());
        QVERIFY(!sheet.isVisible());
        QVERIFY(!m_windows->exists<CautionStatement>() || !m_windows->window<CautionStatement>().isVisible());
    }

    void adjustmentAloneIsIncomplete()
    {
        completeAllBut({rula::Group::UpperRight});
        choose(rula::Group::UpperRight, 6);
        QTest::mouseClick(find<QPushButton>(QStringLiteral("Command2")), Qt::LeftButton);
        QCOMPARE(
            m_recorder.messages,
            QStringList({QStringLiteral("You have not completed all of the necessary fields for Upper Arm (Right)")}));
    }

    void completeAssessmentIsScored()
    {
        completeAllBut({});
        choose(rula::Group::ForceLower, 4); // force 3 on the lower body
        QTest::mouseClick(find<QPushButton>(QStringLiteral("Command2")), Qt::LeftButton);
        QVERIFY(m_recorder.messages.isEmpty());
        // Every score 1, force and muscle of the lower body 3 and 1: score D = 1 + 3 + 1 = 5.
        QCOMPARE(m_state->record.results.PostureScoreARight, 1);
        QCOMPARE(m_state->record.results.ScoreD, 5);
        QCOMPARE(m_state->record.results.GrandScoreRight, 4);
    }

    void extraPicturesNeedLoadingFirst()
    {
        QTest::mouseClick(find<QPushButton>(QStringLiteral("Command4")), Qt::LeftButton);
        QCOMPARE(m_recorder.messages.size(), 1);
        QCOMPARE(m_recorder.messages[0], QStringLiteral("You have not loaded any extra pictures yet. Please load extra "
                                                        "pictures before viewing them"));
        QCOMPARE(m_recorder.titles[0], QStringLiteral("Error"));
        QVERIFY(m_main->isVisible());
    }

    void buttonsAccessKeysAndKeyboardOrder()
    {
        const QStringList order = {"Command3", "Command5", "Command1", "Command2", "Command4", "Command8", "Command6"};
        const QStringList captions = {"&Load Picture",        "Play &Video", "Load E&xtra Pictures", "View &Results",
                                      "View Extra &Pictures", "&Exit",       "  RULA &Overview"};
        for (int i = 0; i < order.size(); ++i)
            QCOMPARE(find<QPushButton>(order[i])->text(), captions[i]);

        m_main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_main));
        find<QPushButton>(order[0])->setFocus();
        for (int i = 1; i < order.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(), order[i]);
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); // the hidden picture box is skipped
        QCOMPARE(QApplication::focusWidget(), tabs());
        QTest::keyClick(tabs(), Qt::Key_Right);
        QCOMPARE(tabs()->currentIndex(), 1);
        QTest::keyClick(tabs(), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(tabs()->currentIndex(), 2);
        find<QPushButton>(QStringLiteral("Command2"))->setFocus(); // Ctrl+Tab works from a button too
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(tabs()->currentIndex(), 3);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(tabs()->currentIndex(), 2);
        tabs()->setFocus();
        QTest::keyClick(tabs(), Qt::Key_Left);
        QTest::keyClick(tabs(), Qt::Key_Left);
        QTest::keyClick(tabs(), Qt::Key_Left);
        QCOMPARE(tabs()->currentIndex(), 8);

        // An access key clicks its button as a mouse click would (after the button's press animation).
        QTest::keyClick(m_main, Qt::Key_R, Qt::AltModifier);
        QTRY_COMPARE(m_recorder.messages.size(), 17);
        m_recorder.messages.clear();
        m_recorder.titles.clear();
        QTest::keyClick(m_main, Qt::Key_P, Qt::AltModifier);
        QTRY_COMPARE(m_recorder.messages.size(), 1);
        QCOMPARE(m_recorder.titles[0], QStringLiteral("Error"));
        QCOMPARE(m_recorder.ends, 0);
        QTest::keyClick(m_main, Qt::Key_E, Qt::AltModifier);
        QTRY_COMPARE(m_recorder.ends, 1);
    }

    // An access key presses one button only: Alt+V plays the video, Alt+F opens Video Frames.
    void everyAccessKeyOnce()
    {
        QHash<QChar, QString> owners;
        for (const QAbstractButton* button : m_main->findChildren<QAbstractButton*>()) {
            const QString text = button->text();
            const qsizetype amp = text.indexOf(QLatin1Char('&'));
            if (amp < 0 || amp + 1 >= text.size())
                continue;
            const QChar key = text.at(amp + 1).toUpper();
            QVERIFY2(!owners.contains(key), qPrintable(owners.value(key) + QStringLiteral(" and ") + text));
            owners.insert(key, text);
        }
        QCOMPARE(owners.value(QLatin1Char('V')), QStringLiteral("Play &Video"));
        QCOMPARE(owners.value(QLatin1Char('F')), QStringLiteral("Video &Frames..."));
    }

    // Positions in window terms: the tabbed panel stands at 264, 0 and a tab's controls are
    // measured from its top-left corner, header rows included.
    void layoutOfTabsOneAndSeven()
    {
        struct Expect
        {
            const char* name;
            int x, y, w, h;
        };
        auto check = [this](const Expect& e, int originX) {
            QWidget* w = find<QWidget>(QString::fromLatin1(e.name));
            QVERIFY2(w, e.name);
            QCOMPARE(QRect(w->mapTo(m_main, QPoint(0, 0)), w->size()), QRect(originX + e.x, e.y, e.w, e.h));
        };
        const Expect left[] = {
            {"Command3", 8, 16, 121, 49},   {"Command5", 136, 16, 121, 49}, {"Command1", 8, 96, 121, 49},
            {"Command2", 136, 96, 121, 49}, {"Command4", 8, 176, 121, 49},  {"Command8", 136, 176, 121, 49},
            {"Command6", 64, 256, 121, 49}, {"Picture1", 8, 328, 249, 369}, {"SSTab1", 264, 0, 753, 721}};
        for (const Expect& e : left)
            check(e, 0);

        const Expect tab1[] = {
            {"Label1", 24, 56, 657, 65},    {"Frame1", 24, 144, 137, 177},     {"Image1", 32, 152, 118, 160},
            {"Frame5", 568, 144, 137, 177}, {"Image5", 576, 152, 118, 160},    {"Label2", 32, 372, 593, 41},
            {"Frame6", 8, 432, 241, 105},   {"Image6", 16, 440, 224, 91},      {"Frame8", 488, 432, 241, 105},
            {"Label53", 32, 580, 257, 49},  {"CurrentScore", 296, 580, 57, 49}};
        for (const Expect& e : tab1)
            check(e, 264);

        clickTab(6);
        const Expect tab7[] = {
            {"Label28", 16, 60, 705, 65},     {"Label35", 16, 148, 97, 41},    {"Frame53", 120, 136, 113, 105},
            {"Image48", 128, 144, 96, 88},    {"Frame56", 456, 136, 113, 105}, {"Frame61", 576, 136, 161, 73},
            {"Image44", 584, 144, 141, 59},   {"Frame62", 576, 208, 161, 73},  {"Label31", 120, 244, 209, 57},
            {"NeckScore", 328, 244, 57, 57},  {"Frame60", 456, 312, 113, 105}, {"Frame64", 576, 384, 161, 73},
            {"TrunkScore", 336, 420, 57, 57}, {"Frame65", 112, 496, 209, 97},  {"Image36", 120, 504, 193, 81},
            {"Label32", 352, 500, 97, 81},    {"Frame66", 488, 496, 209, 97},  {"Label29", 120, 624, 177, 49},
            {"LegScore", 296, 624, 57, 49}};
        for (const Expect& e : tab7) {
            check(e, 264);
            QVERIFY2(find<QWidget>(QString::fromLatin1(e.name))->isVisible(), e.name);
        }
        // The two pictures whose inset differs.
        QCOMPARE(find<QWidget>(QStringLiteral("Image17"))->pos(), QPoint(16, 16));
        QCOMPARE(find<QWidget>(QStringLiteral("Image32"))->pos(), QPoint(8, 16));
    }

    // Every label, option panel and picture of the nine tabs against the design: class, tab,
    // place on the tab (header rows included), caption and point size; every picture inside
    // its own panel at its inset.
    void everyTabControlAsDesigned()
    {
        struct Caption
        {
            int tab;
            const char* name;
            int x, y, w, h;
            const char* text; // empty for a score box
            double size;
        };
        const double H = 32.25, I = 20.25, R = 24, S = 26.25, O = 48, Box = 27.75;
        const Caption captions[] = {
            {1, "Label1", 24, 56, 657, 65, "Group A - Upper Arm (RIGHT)", H},
            {1, "Label2", 32, 372, 593, 41, "Please choose from the following if relevant:", I},
            {1, "Label53", 32, 580, 257, 49, "Current Score", S},
            {1, "CurrentScore", 296, 580, 57, 49, "", Box},
            {2, "Label3", 24, 56, 625, 65, "Group A - Upper Arm (LEFT)", H},
            {2, "Label5", 32, 372, 593, 41, "Please choose from the following if relevant:", I},
            {2, "Label7", 32, 580, 241, 49, "Current Score", S},
            {2, "CurrentScore2", 296, 580, 57, 49, "", Box},
            {3, "Label9", 24, 60, 657, 65, "Group A - Lower Arm (RIGHT)", H},
            {3, "Label6", 48, 612, 241, 57, "Current Score", S},
            {3, "CurrentScore3", 328, 612, 57, 57, "", Box},
            {4, "Label10", 24, 60, 617, 65, "Group A - Lower Arm (LEFT)", H},
            {4, "Label12", 48, 612, 241, 57, "Current Score", S},
            {4, "CurrentScore4", 328, 612, 57, 57, "", Box},
            {5, "Label17", 24, 60, 689, 65, "Wrist and Wrist Twist (RIGHT)", H},
            {5, "Label16", 40, 136, 113, 41, "Wrist:", R},
            {5, "Label11", 88, 280, 449, 41, "Click on the following if relevant:", I},
            {5, "Label8", 88, 340, 217, 57, "Wrist Score", S},
            {5, "WristScore", 312, 348, 57, 57, "", Box},
            {5, "Label15", 40, 440, 105, 97, "Wrist Twist:", R},
            {5, "Label13", 360, 464, 97, 81, "OR", O},
            {5, "Label14", 40, 600, 217, 57, "Twist Score", S},
            {5, "TwistScore", 272, 600, 57, 57, "", Box},
            {6, "Label18", 24, 60, 689, 65, "Wrist and Wrist Twist (LEFT)", H},
            {6, "Label19", 40, 136, 113, 41, "Wrist:", R},
            {6, "Label24", 88, 276, 449, 41, "Click on the following if relevant:", I},
            {6, "Label25", 88, 340, 217, 57, "Wrist Score", S},
            {6, "Label27", 312, 340, 57, 57, "", Box},
            {6, "Label20", 40, 440, 105, 97, "Wrist Twist:", R},
            {6, "Label23", 360, 464, 97, 81, "OR", O},
            {6, "Label22", 40, 592, 217, 57, "Twist Score", S},
            {6, "Label21", 272, 592, 57, 57, "", Box},
            {7, "Label28", 16, 60, 705, 65, "Group B - Neck, Trunk and Legs", H},
            {7, "Label35", 16, 148, 97, 41, "Neck:", R},
            {7, "Label31", 120, 244, 209, 57, "Neck Score", S},
            {7, "NeckScore", 328, 244, 57, 57, "", Box},
            {7, "Label34", 8, 324, 105, 41, "Trunk:", R},
            {7, "Label30", 120, 420, 217, 57, "Trunk Score", S},
            {7, "TrunkScore", 336, 420, 57, 57, "", Box},
            {7, "Label33", 24, 508, 89, 49, "Legs:", R},
            {7, "Label32", 352, 500, 97, 81, "OR", O},
            {7, "Label29", 120, 624, 177, 49, "Leg Score", S},
            {7, "LegScore", 296, 624, 57, 49, "", Box},
            {8, "Label43", 160, 60, 377, 65, "Muscle Use Score", H},
            {8, "Label4_2", 24, 128, 425, 41, "Group A - Upper Body (RIGHT)", I},
            {8, "Label41", 256, 180, 97, 81, "OR", O},
            {8, "Label37", 608, 172, 113, 57, "Score:", S},
            {8, "UpperRightScore", 624, 232, 57, 57, "", Box},
            {8, "Label4_1", 24, 292, 409, 41, "Group A - Upper Body (LEFT)", I},
            {8, "Label40", 256, 348, 97, 81, "OR", O},
            {8, "Label38", 608, 332, 113, 57, "Score:", S},
            {8, "UpperLeftScore", 624, 396, 57, 57, "", Box},
            {8, "Label42", 24, 452, 297, 41, "Group B -Lower Body", I},
            {8, "Label39", 256, 516, 97, 81, "OR", O},
            {8, "Label36", 608, 492, 113, 57, "Score:", S},
            {8, "LowerScore", 624, 548, 57, 57, "", Box},
            {9, "Label52", 128, 56, 465, 65, "Forces or Load Score", H},
            {9, "Label4_3", 32, 116, 417, 41, "Group A - Upper Body (RIGHT)", I},
            {9, "Label49", 624, 156, 113, 57, "Score:", S},
            {9, "Label48", 648, 216, 57, 57, "", Box},
            {9, "Label50", 32, 272, 417, 41, "Group A - Upper Body (LEFT)", I},
            {9, "Label47", 624, 320, 113, 57, "Score:", S},
            {9, "Label46", 648, 380, 57, 57, "", Box},
            {9, "Label51", 32, 444, 369, 44, "Group B - Lower Body", I},
            {9, "Label45", 624, 488, 113, 57, "Score:", S},
            {9, "Label44", 648, 548, 57, 57, "", Box},
        };
        struct Panel
        {
            int tab;
            const char* frame;
            int x, y, w, h;
            const char* picture;
            int pw, ph;
            int px = 8, py = 8;
        };
        const Panel panels[] = {
            {1, "Frame1", 24, 144, 137, 177, "Image1", 118, 160},
            {1, "Frame2", 160, 144, 137, 177, "Image2", 118, 160},
            {1, "Frame3", 296, 144, 137, 177, "Image3", 118, 160},
            {1, "Frame4", 432, 144, 137, 177, "Image4", 118, 160},
            {1, "Frame5", 568, 144, 137, 177, "Image5", 118, 160},
            {1, "Frame6", 8, 432, 241, 105, "Image6", 224, 91},
            {1, "Frame7", 248, 432, 241, 105, "Image7", 224, 91},
            {1, "Frame8", 488, 432, 241, 105, "Image8", 224, 91},
            {2, "Frame9", 24, 144, 137, 177, "Image9", 118, 160},
            {2, "Frame10", 160, 144, 137, 177, "Image10", 118, 160},
            {2, "Frame11", 296, 144, 137, 177, "Image11", 118, 160},
            {2, "Frame12", 432, 144, 137, 177, "Image12", 118, 160},
            {2, "Frame13", 568, 144, 137, 177, "Image13", 118, 160},
            {2, "Frame14", 8, 432, 241, 105, "Image14", 224, 91},
            {2, "Frame15", 248, 432, 241, 105, "Image15", 224, 91},
            {2, "Frame16", 488, 432, 241, 105, "Image16", 224, 91},
            {3, "Frame17", 152, 144, 257, 225, "Image19", 237, 203},
            {3, "Frame18", 456, 144, 257, 225, "Image18", 237, 203},
            {3, "Frame20", 272, 376, 329, 225, "Image17", 300, 200, 16, 16},
            {4, "Frame19", 152, 144, 257, 225, "Image20", 237, 203},
            {4, "Frame21", 456, 144, 257, 225, "Image21", 237, 203},
            {4, "Frame22", 280, 384, 329, 225, "Image22", 300, 200},
            {5, "Frame23", 152, 128, 161, 145, "Image28", 143, 125},
            {5, "Frame24", 312, 128, 161, 145, "Image27", 143, 125},
            {5, "Frame25", 472, 128, 161, 145, "Image26", 143, 125},
            {5, "Frame26", 536, 280, 185, 153, "Image25", 167, 133},
            {5, "Frame27", 152, 448, 185, 145, "Image23", 166, 129},
            {5, "Frame28", 472, 448, 185, 145, "Image24", 166, 129},
            {6, "Frame29", 152, 128, 161, 145, "Image29", 143, 125},
            {6, "Frame30", 312, 128, 161, 145, "Image30", 143, 125},
            {6, "Frame31", 472, 128, 161, 145, "Image31", 143, 125},
            {6, "Frame32", 536, 272, 185, 153, "Image32", 167, 133, 8, 16},
            {6, "Frame33", 152, 432, 185, 145, "Image34", 166, 129},
            {6, "Frame34", 464, 432, 185, 145, "Image33", 166, 129},
            {7, "Frame53", 120, 136, 113, 105, "Image48", 96, 88},
            {7, "Frame54", 232, 136, 113, 105, "Image47", 96, 88},
            {7, "Frame55", 344, 136, 113, 105, "Image46", 96, 88},
            {7, "Frame56", 456, 136, 113, 105, "Image45", 96, 88},
            {7, "Frame61", 576, 136, 161, 73, "Image44", 141, 59},
            {7, "Frame62", 576, 208, 161, 73, "Image43", 141, 59},
            {7, "Frame57", 120, 312, 113, 105, "Image42", 96, 88},
            {7, "Frame58", 232, 312, 113, 105, "Image41", 96, 88},
            {7, "Frame59", 344, 312, 113, 105, "Image40", 96, 88},
            {7, "Frame60", 456, 312, 113, 105, "Image39", 96, 88},
            {7, "Frame63", 576, 312, 161, 73, "Image38", 141, 59},
            {7, "Frame64", 576, 384, 161, 73, "Image37", 141, 59},
            {7, "Frame65", 112, 496, 209, 97, "Image36", 193, 81},
            {7, "Frame66", 488, 496, 209, 97, "Image35", 193, 81},
            {8, "Frame35", 16, 168, 241, 121, "Image53", 228, 105},
            {8, "Frame36", 360, 168, 241, 121, "Image52", 228, 105},
            {8, "Frame37", 16, 336, 241, 121, "Image51", 228, 105},
            {8, "Frame38", 360, 336, 241, 121, "Image50", 228, 105},
            {8, "Frame39", 16, 496, 241, 121, "Image49", 228, 105},
            {8, "Frame40", 360, 496, 241, 121, "Image", 228, 105},
            {9, "Frame41", 8, 160, 153, 113, "Image65", 133, 95},
            {9, "Frame42", 160, 160, 153, 113, "Image62", 133, 95},
            {9, "Frame43", 312, 160, 153, 113, "Image59", 133, 95},
            {9, "Frame44", 464, 160, 153, 113, "Image56", 133, 95},
            {9, "Frame45", 8, 320, 153, 113, "Image64", 133, 95},
            {9, "Frame46", 160, 320, 153, 113, "Image61", 133, 95},
            {9, "Frame47", 312, 320, 153, 113, "Image58", 133, 95},
            {9, "Frame48", 464, 320, 153, 113, "Image55", 133, 95},
            {9, "Frame49", 8, 488, 153, 113, "Image63", 133, 95},
            {9, "Frame50", 160, 488, 153, 113, "Image60", 133, 95},
            {9, "Frame51", 312, 488, 153, 113, "Image57", 133, 95},
            {9, "Frame52", 464, 488, 153, 113, "Image54", 133, 95},
        };
        QCOMPARE(std::size(captions), std::size_t(66));
        QCOMPARE(std::size(panels), std::size_t(66));

        TabbedPanel* panel = tabs();
        auto onTab = [panel](QWidget* w) { return QRect(w->mapTo(panel, QPoint(0, 0)), w->size()); };
        for (const Caption& c : captions) {
            auto* label = find<QLabel>(QString::fromLatin1(c.name));
            QVERIFY2(label, c.name);
            QVERIFY2(panel->page(c.tab - 1)->isAncestorOf(label), c.name);
            QCOMPARE(onTab(label), QRect(c.x, c.y, c.w, c.h));
            QCOMPARE(label->text(), QString::fromLatin1(c.text));
            QCOMPARE(label->font().pointSizeF(), c.size);
        }
        for (const Panel& p : panels) {
            auto* frame = find<OptionPanel>(QString::fromLatin1(p.frame));
            QVERIFY2(frame, p.frame);
            QVERIFY2(panel->page(p.tab - 1)->isAncestorOf(frame), p.frame);
            QCOMPARE(onTab(frame), QRect(p.x, p.y, p.w, p.h));
            auto* picture = find<PictureControl>(QString::fromLatin1(p.picture));
            QVERIFY2(picture, p.picture);
            QCOMPARE(picture->parentWidget(), frame);
            QCOMPARE(picture->geometry(), QRect(p.px, p.py, p.pw, p.ph));
        }
        // Nothing on the tabs beyond the design.
        int labels = 0, frames = 0, pictures = 0;
        for (int i = 0; i < panel->count(); ++i) {
            labels += int(panel->page(i)->findChildren<QLabel*>().size());
            frames += int(panel->page(i)->findChildren<OptionPanel*>().size());
            pictures += int(panel->page(i)->findChildren<PictureControl*>().size());
        }
        QCOMPARE(labels, 66);
        QCOMPARE(frames, 66);
        QCOMPARE(pictures, 66);

        // The left column's buttons: bold Arial 12 pt, each with its help topic; the tab
        // headers in regular Arial 8.25 pt.
        const std::pair<const char*, int> buttons[] = {{"Command3", 30}, {"Command5", 31}, {"Command1", 32},
                                                       {"Command2", 33}, {"Command4", 34}, {"Command8", 19},
                                                       {"Command6", 192}};
        for (auto [name, topic] : buttons) {
            auto* button = find<QPushButton>(QString::fromLatin1(name));
            QVERIFY2(button, name);
            QCOMPARE(QFontInfo(button->font()).family(), QStringLiteral("Liberation Sans"));
            QCOMPARE(button->font().pointSizeF(), 12.0);
            QVERIFY2(button->font().bold(), name);
            QCOMPARE(button->property("helpTopic").toInt(), topic);
        }
        // Beyond the design, "Video Frames..." and "Details..." in the strip below "RULA Overview".
        QCOMPARE(find<QPushButton>(QStringLiteral("VideoFramesButton"))->geometry(), QRect(82, 307, 100, 19));
        // "&Details..." in the strip below "RULA Overview": small Arial, after the designed controls.
        auto* details = find<QPushButton>(QStringLiteral("DetailsButton"));
        QVERIFY(details);
        QCOMPARE(details->geometry(), QRect(8, 307, 70, 19));
        QCOMPARE(details->font().pointSizeF(), 8.0);
        QCOMPARE(details->property("helpTopic").toInt(), 201);
        // "&Team..." at the strip's right end, the team database's settings.
        auto* team = find<QPushButton>(QStringLiteral("TeamDatabaseButton"));
        QCOMPARE(team->geometry(), QRect(186, 307, 71, 19));
        QCOMPARE(team->text(), QStringLiteral("&Team..."));
        // "RE&BA..." beside "RULA Overview", last in keyboard order.
        auto* reba = find<QPushButton>(QStringLiteral("RebaButton"));
        QCOMPARE(reba->geometry(), QRect(188, 272, 69, 19));
        QCOMPARE(reba->text(), QStringLiteral("RE&BA..."));
        QCOMPARE(reba->property("helpTopic").toInt(), 250);
        QCOMPARE(m_main->findChildren<QPushButton*>().size(), std::size(buttons) + 4);
        QCOMPARE(QFontInfo(panel->font()).family(), QStringLiteral("Liberation Sans"));
        QCOMPARE(panel->font().pointSizeF(), 8.25);
        QVERIFY(!panel->font().bold());

        // A fixed frame without minimise and maximise buttons, with context help.
        QVERIFY(!(m_main->windowFlags() & Qt::WindowMinMaxButtonsHint));
        QVERIFY(m_main->windowFlags() & Qt::WindowContextHelpButtonHint);
    }

    // Texts, fonts and colours as the assessor reads them; no caption is cut off.
    void captionsFontsAndColours()
    {
        QCOMPARE(find<QLabel>(QStringLiteral("Label42"))->text(), QStringLiteral("Group B -Lower Body"));
        QCOMPARE(find<QLabel>(QStringLiteral("Label51"))->text(), QStringLiteral("Group B - Lower Body"));
        QCOMPARE(find<QLabel>(QStringLiteral("Label4_1"))->text(), QStringLiteral("Group A - Upper Body (LEFT)"));
        QCOMPARE(find<QLabel>(QStringLiteral("Label4_2"))->text(), QStringLiteral("Group A - Upper Body (RIGHT)"));
        QCOMPARE(find<QLabel>(QStringLiteral("Label4_3"))->text(), QStringLiteral("Group A - Upper Body (RIGHT)"));
        for (int i = 0; i < tabs()->count(); ++i)
            QCOMPARE(tabs()->tabText(i), expectedTabCaption(i));

        const QColor darkBlue(0, 0, 128);
        const QColor highlight = m_main->palette().color(QPalette::Highlight);
        QList<QLabel*> labels;
        for (int i = 0; i < tabs()->count(); ++i)
            labels += tabs()->page(i)->findChildren<QLabel*>();
        QCOMPARE(labels.size(), 66); // 49 captions and 17 score boxes
        int scoreBoxes = 0;
        for (QLabel* label : labels) {
            const QString name = label->objectName();
            const bool isScoreBox = label->frameShape() == QFrame::Box;
            const QFontInfo info(label->font());
            QVERIFY2(label->font().bold(), qPrintable(name));
            QVERIFY2(label->property("helpTopic").toInt() >= 179, qPrintable(name));
            if (isScoreBox) {
                ++scoreBoxes;
                QCOMPARE(info.family(), QStringLiteral("Comic Neue"));
                QCOMPARE(label->font().pointSizeF(), 27.75);
                const bool highlighted =
                    name == "CurrentScore3" || name == "CurrentScore4" || name == "WristScore" || name == "Label27";
                QCOMPARE(label->palette().color(QPalette::WindowText), highlighted ? highlight : darkBlue);
                QVERIFY(label->alignment() & Qt::AlignHCenter);
            } else {
                QCOMPARE(info.family(), QStringLiteral("Liberation Sans"));
                QCOMPARE(label->palette().color(QPalette::WindowText), darkBlue);
                QVERIFY2(label->heightForWidth(label->width()) <= label->height(), qPrintable(name));
            }
        }
        QCOMPARE(scoreBoxes, 17);
        QCOMPARE(QFontInfo(find<QPushButton>(QStringLiteral("Command2"))->font()).family(),
                 QStringLiteral("Liberation Sans"));
        QCOMPARE(find<QWidget>(QStringLiteral("Command6"))->property("helpTopic").toInt(), 192);
        QCOMPARE(find<QWidget>(QStringLiteral("Image48"))->property("helpTopic").toInt(), 183);
        QCOMPARE(find<QWidget>(QStringLiteral("Label43"))->property("helpTopic").toInt(), 182);
        QVERIFY(!find<QWidget>(QStringLiteral("Frame53"))->property("helpTopic").isValid());
        // The workplace picture opens Measure Angles, and shows its topic.
        QCOMPARE(find<QWidget>(QStringLiteral("Picture1"))->property("helpTopic").toInt(), 200);
    }

private:
    static QString expectedTabCaption(int i)
    {
        static const QStringList captions = {"1. Upper Arm (Right)",    "2. Upper Arm (Left)", "3. Lower Arm (Right)",
                                             "4. Lower Arm (Left)",     "5. Wrist (Right)",    "6. Wrist (Left)",
                                             "7. Neck, Trunk and Legs", "8. Muscle Use",       "9. Force / Load Score"};
        return captions[i];
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
