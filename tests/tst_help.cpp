// SPDX-License-Identifier: GPL-3.0-or-later
// Help: the help files and how their paths are found, the topic numbers that the windows'
// controls carry, context help (F1 and What's-This) read from the application help file
// current at that moment, the reduction measures guide, and "Play Video".
#include "ContextHelp.h"
#include "HelpFiles.h"
#include "HelpViewer.h"
#include "ProgramFolder.h"
#include "ProgramLauncher.h"
#include "ProgramState.h"
#include "Resources.h"
#include "WindowSet.h"
#include "WindowTestSupport.h"

#include "CautionStatement.h"
#include "EmployeeDetails.h"
#include "ExtraPics.h"
#include "FinalResults.h"
#include "MainWindow.h"
#include "OpenExtraPics.h"
#include "OpenPictureFile.h"
#include "OverwriteFile.h"
#include "RULAAction.h"
#include "RULAOverview.h"
#include "SaveWindow.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPainter>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QWhatsThis>
#include <QtTest>

#include <functional>
#include <memory>
#include <set>

namespace {

// The windows that have context help, with a handful of their controls and the topic each
// must carry. Every other control with a topic is checked against the help files too.
struct HelpWindow
{
    const char* name;
    std::function<QWidget&(WindowSet&)> open;
    std::vector<std::pair<const char*, int>> controls;
};

template <typename W> QWidget& open(WindowSet& windows)
{
    return windows.window<W>();
}

const std::vector<HelpWindow>& helpWindows()
{
    static const std::vector<HelpWindow> list = {
        {"Main",
         open<MainWindow>,
         {{"Command3", 30},
          {"Command5", 31},
          {"Command1", 32},
          {"Command2", 33},
          {"Command4", 34},
          {"Command8", 19},
          {"Command6", 192},
          {"Image1", 179},
          {"Label3", 179},
          {"Label9", 180},
          {"CurrentScore4", 180},
          {"Label17", 181},
          {"TwistScore", 181},
          {"Label43", 182},
          {"Image", 182},
          {"Label28", 183},
          {"LegScore", 183},
          {"Label52", 184},
          {"Image54", 184}}},
        {"EmployeeDetails",
         open<EmployeeDetails>,
         {{"Command2", 19},
          {"Label1", 20},
          {"Text1", 20},
          {"Label3", 21},
          {"Text2", 21},
          {"Label4", 22},
          {"Text3", 22},
          {"Command1", 23}}},
        {"ExtraPics", open<ExtraPics>, {{"Command1", 24}}},
        {"OpenPictureFile",
         open<OpenPictureFile>,
         {{"Drive1", 57}, {"Dir1", 58}, {"File1", 59}, {"Text1", 60}, {"Command1", 61}, {"cmdOpen", 62}}},
        {"OpenExtraPics",
         open<OpenExtraPics>,
         {{"Drive1", 57}, {"Dir1", 58}, {"File1", 59}, {"Text1", 60}, {"Command1", 61}, {"cmdOpen", 62}}},
        {"Save", open<SaveWindow>, {{"Drive1", 63}, {"Dir1", 64}, {"Text1", 65}, {"Command1", 66}, {"Command2", 67}}},
        {"FinalResults", open<FinalResults>, {{"Command7", 19}, {"Image1", 76}, {"Command6", 78}, {"Command2", 79}}},
        {"RULAAction",
         open<RULAAction>,
         {{"Command3", 19},
          {"Label6", 80},
          {"Label3", 80},
          {"Label5", 81},
          {"Label1", 81},
          {"Label4", 82},
          {"Label2", 83},
          {"Command2", 85},
          {"Command1", 147},
          {"Command7", 191},
          {"Command8", 193},
          {"PlanChangeButton", 240}}},
    };
    return list;
}

QString buildFile(const QString& relative)
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(relative);
}

bool writeFile(const QString& path, const QByteArray& data)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

QByteArray helpText(const QByteArray& topicText)
{
    return "<html><head><title>Test help</title></head><body>\n"
           "<section id=\"contents\"><h1>Contents</h1></section>\n"
           "<section id=\"topic-31\"><h2>Play Video</h2><p>" +
           topicText +
           "</p></section>\n"
           "<section id=\"topic-20\"><h2>Name</h2><p>" +
           topicText + " name</p></section>\n</body></html>\n";
}

HelpPopup* popup()
{
    return qobject_cast<HelpPopup*>(ContextHelp::currentPopup());
}

void closePopup()
{
    if (HelpPopup* p = popup()) {
        p->close();
        QTRY_VERIFY(!ContextHelp::currentPopup());
    }
}

// Shows the employee details window and presses F1 in its text box `field`; nullptr when
// the window is not shown.
QLineEdit* pressF1In(EmployeeDetails& details, const char* field)
{
    details.showWindow();
    if (!QTest::qWaitForWindowExposed(&details))
        return nullptr;
    QLineEdit* edit = child<QLineEdit>(details, field);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_F1);
    return edit;
}

} // namespace

class HelpTest : public QObject, private WindowFixture
{
    Q_OBJECT

private slots:
    void initTestCase() { startRecording(); }
    void init() { makeWindows(); }
    void cleanup()
    {
        closePopup();
        dropWindows();
        ProgramFolder::setPath(QString());
        ProgramLauncher::setSearchPath(std::nullopt);
        ProgramLauncher::setStarter({});
    }

    void pathsAreFoundIgnoringCase();
    void helpFilesLieBesideTheProgram();
    void helpFilesHoldEveryTopicTheWindowsUse_data();
    void helpFilesHoldEveryTopicTheWindowsUse();
    void contextHelpOnlyWhereSwitchedOn();
    void f1ShowsTopicOfFocusedControl();
    void whatsThisShowsTopicOfClickedControl();
    void controlWithoutTopicShowsNothing();
    void helpFileFollowsActionLevelsWindow();
    void missingHelpFileGivesMessage();
    void reductionMeasuresAlwaysSameFile();
    void reductionMeasuresGuideCoversEveryRegion();
    void missingReductionMeasuresGivesMessage();
    void playVideoStartsPlayer();
};

void HelpTest::pathsAreFoundIgnoringCase()
{
    QTemporaryDir dir;
    ProgramFolder::setPath(dir.path());
    QVERIFY(writeFile(dir.filePath(QStringLiteral("helpFILE/HelpFile.hlp")), "a"));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("Reduction Measures/helpfile.HLP")), "b"));

    // The initial path names no folder: it is taken below the program's folder.
    const QString found = dir.filePath(QStringLiteral("helpFILE/HelpFile.hlp"));
    QCOMPARE(HelpFiles::resolve(QStringLiteral("\\HelpFile\\HELPFILE.HLP")), found);
    QCOMPARE(HelpFiles::resolve(QStringLiteral("\\Helpfile\\helpfile.hlp")), found);
    // A path built from the program's folder is taken as it is, with mixed separators.
    QCOMPARE(HelpFiles::resolve(dir.path() + QStringLiteral("\\Helpfile\\helpfile.hlp")), found);
    QCOMPARE(HelpFiles::resolve(HelpFiles::reductionMeasuresFile()),
             dir.filePath(QStringLiteral("Reduction Measures/helpfile.HLP")));

    // An exact match wins over one that differs only in case.
    QVERIFY(writeFile(dir.filePath(QStringLiteral("HelpFile/HELPFILE.HLP")), "c"));
    QCOMPARE(HelpFiles::resolve(QStringLiteral("\\HelpFile\\HELPFILE.HLP")),
             dir.filePath(QStringLiteral("HelpFile/HELPFILE.HLP")));

    // Nothing there, a folder instead of a file, or no path: nothing found.
    QCOMPARE(HelpFiles::resolve(QStringLiteral("\\Other\\HELPFILE.HLP")), QString());
    QCOMPARE(HelpFiles::resolve(QStringLiteral("\\HelpFile")), QString());
    QCOMPARE(HelpFiles::resolve(QString()), QString());
    QCOMPARE(HelpFiles::expectedPath(QStringLiteral("\\Other\\HELPFILE.HLP")),
             dir.filePath(QStringLiteral("Other/HELPFILE.HLP")));
}

void HelpTest::helpFilesLieBesideTheProgram()
{
    // The build lays the three files beside the program under the names the program opens;
    // the project help file and the program-folder help file hold the same topics.
    for (const char* name : {"HelpFile/HELPFILE.HLP", "Helpfile/helpfile.hlp", "Reduction Measures/HELPFILE.HLP"})
        QVERIFY2(QFileInfo(buildFile(QString::fromLatin1(name))).isFile(), name);
    QFile project(buildFile(QStringLiteral("HelpFile/HELPFILE.HLP")));
    QFile program(buildFile(QStringLiteral("Helpfile/helpfile.hlp")));
    QVERIFY(project.open(QIODevice::ReadOnly) && program.open(QIODevice::ReadOnly));
    QCOMPARE(project.readAll(), program.readAll());

    // Every link of the contents leads to a topic, and every topic is in the contents.
    for (const QString& path : {QStringLiteral("\\HelpFile\\HELPFILE.HLP"), HelpFiles::reductionMeasuresFile()}) {
        HelpDocument document;
        QString error;
        QVERIFY2(document.load(path, &error), qPrintable(error));
        std::set<int> linked;
        static const QRegularExpression link(QStringLiteral("href=\"#topic-(\\d+)\""));
        for (auto it = link.globalMatch(document.contentsHtml()); it.hasNext();)
            linked.insert(it.next().captured(1).toInt());
        const QList<int> topics = document.topicNumbers();
        QCOMPARE(linked, std::set<int>(topics.begin(), topics.end()));
        for (int topic : topics)
            QVERIFY2(!document.topicTitle(topic).isEmpty(), qPrintable(QString::number(topic)));
    }
}

void HelpTest::helpFilesHoldEveryTopicTheWindowsUse_data()
{
    QTest::addColumn<int>("window");
    for (std::size_t i = 0; i < helpWindows().size(); ++i)
        QTest::newRow(helpWindows()[i].name) << static_cast<int>(i);
}

void HelpTest::helpFilesHoldEveryTopicTheWindowsUse()
{
    QFETCH(int, window);
    const HelpWindow& entry = helpWindows()[static_cast<std::size_t>(window)];
    QWidget& w = entry.open(*windows);
    QCOMPARE(w.objectName(), QString::fromLatin1(entry.name));

    for (const auto& [name, topic] : entry.controls) {
        const QWidget* control = w.findChild<QWidget*>(QString::fromLatin1(name));
        QVERIFY2(control, name);
        QCOMPARE(control->property("helpTopic").toInt(), topic);
    }

    HelpDocument project, program;
    QString error;
    QVERIFY2(project.load(QStringLiteral("\\HelpFile\\HELPFILE.HLP"), &error), qPrintable(error));
    QVERIFY2(program.load(QCoreApplication::applicationDirPath() + QStringLiteral("\\Helpfile\\helpfile.hlp"), &error),
             qPrintable(error));
    int carrying = 0;
    for (const QWidget* control : w.findChildren<QWidget*>()) {
        const QVariant topic = control->property("helpTopic");
        if (!topic.isValid())
            continue;
        ++carrying;
        const QString where = control->objectName() + QStringLiteral(": ") + topic.toString();
        QVERIFY2(topic.toInt() > 0, qPrintable(where));
        QVERIFY2(project.hasTopic(topic.toInt()), qPrintable(where));
        QVERIFY2(program.hasTopic(topic.toInt()), qPrintable(where));
    }
    QVERIFY(carrying >= static_cast<int>(entry.controls.size()));
}

void HelpTest::contextHelpOnlyWhereSwitchedOn()
{
    for (const HelpWindow& entry : helpWindows()) {
        QWidget& w = entry.open(*windows);
        QVERIFY2(ContextHelp::isInstalled(&w), entry.name);
        QVERIFY2(w.windowFlags() & Qt::WindowContextHelpButtonHint, entry.name);
    }
    for (QWidget* w :
         std::initializer_list<QWidget*>{&windows->window<CautionStatement>(), &windows->window<RULAOverview>(),
                                         &windows->window<OverwriteFile>()}) {
        QVERIFY2(!ContextHelp::isInstalled(w), qPrintable(w->objectName()));
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QWidget* focus = w->focusWidget() ? w->focusWidget() : w;
        QTest::keyClick(focus, Qt::Key_F1);
        QVERIFY(!ContextHelp::currentPopup());
        w->hide();
    }
}

void HelpTest::f1ShowsTopicOfFocusedControl()
{
    EmployeeDetails& details = windows->window<EmployeeDetails>();
    QLineEdit* name = pressF1In(details, "Text1");
    QVERIFY(name);
    QVERIFY(popup());
    QCOMPARE(popup()->topic(), 20);
    QVERIFY(popup()->text().contains(QLatin1String("<h2>Employees Name</h2>")));
    QCOMPARE(popup()->helpFile(), QDir::cleanPath(buildFile(QStringLiteral("HelpFile/HELPFILE.HLP"))));
    // Beside the control, and not over it.
    const QRect control(name->mapToGlobal(QPoint(0, 0)), name->size());
    QVERIFY(!popup()->geometry().intersects(control));
    // Any key closes it.
    QTest::keyClick(popup(), Qt::Key_Escape);
    QTRY_VERIFY(!ContextHelp::currentPopup());
    QCOMPARE(name->text(), QString());

    // The same topic 19 answers on "&Exit" wherever it carries it.
    for (const auto& [window, exitButton] :
         std::initializer_list<std::pair<QWidget*, const char*>>{{&windows->window<MainWindow>(), "Command8"},
                                                                 {&details, "Command2"},
                                                                 {&windows->window<FinalResults>(), "Command7"},
                                                                 {&windows->window<RULAAction>(), "Command3"}}) {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QPushButton* exit = child<QPushButton>(*window, exitButton);
        exit->setFocus();
        QTest::keyClick(exit, Qt::Key_F1);
        QVERIFY2(popup() && popup()->topic() == 19, exitButton);
        QVERIFY(popup()->text().contains(QLatin1String("<h2>Exit</h2>")));
        closePopup();
    }
    QCOMPARE(recorder.ends, 0);
}

void HelpTest::whatsThisShowsTopicOfClickedControl()
{
    MainWindow& main = windows->window<MainWindow>();
    main.showWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QWidget* picture = main.findChild<QWidget*>(QStringLiteral("Image1"));
    QVERIFY(picture && picture->isVisible());

    // Shift+F1, then a click on an option picture: its tab's topic, and the click chooses
    // nothing.
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &main, Qt::Key_F1, Qt::ShiftModifier);
    QVERIFY(QWhatsThis::inWhatsThisMode());
    QTest::mouseClick(picture, Qt::LeftButton, {}, picture->rect().center());
    QVERIFY(popup());
    QCOMPARE(popup()->topic(), 179);
    QVERIFY(popup()->text().contains(QLatin1String("Upper Arm")));
    QCOMPARE(labelText(main, "CurrentScore"), QString());
    QVERIFY(!QWhatsThis::inWhatsThisMode());
    closePopup();

    // The title-bar question mark starts the same mode.
    QWhatsThis::enterWhatsThisMode();
    QPushButton* video = child<QPushButton>(main, "Command5");
    QTest::mouseClick(video, Qt::LeftButton);
    QVERIFY(popup());
    QCOMPARE(popup()->topic(), 31);
    QCOMPARE(recorder.messages, QStringList()); // the click did not start the player
    closePopup();
}

void HelpTest::controlWithoutTopicShowsNothing()
{
    MainWindow& main = windows->window<MainWindow>();
    main.showWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    // The option panel around a picture and the window itself carry no topic.
    for (const char* name : {"Frame1"}) {
        QWidget* control = main.findChild<QWidget*>(QString::fromLatin1(name));
        QVERIFY2(control, name);
        QCOMPARE(ContextHelp::topicOf(control), 0);
        QVERIFY(!ContextHelp::showFor(control));
    }
    QVERIFY(!ContextHelp::showFor(&main));
    QWhatsThis::enterWhatsThisMode();
    QTest::mouseClick(&main, Qt::LeftButton, {}, QPoint(2, 2));
    QVERIFY(!ContextHelp::currentPopup());
    QWhatsThis::leaveWhatsThisMode();
}

void HelpTest::helpFileFollowsActionLevelsWindow()
{
    // Two help files that differ, in a program folder of the test's own.
    QTemporaryDir dir;
    ProgramFolder::setPath(dir.path());
    QVERIFY(writeFile(dir.filePath(QStringLiteral("HelpFile/HELPFILE.HLP")), helpText("From the project help file")));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("Helpfile/helpfile.hlp")), helpText("From the program help file")));

    MainWindow& main = windows->window<MainWindow>();
    EmployeeDetails& details = windows->window<EmployeeDetails>();
    main.showWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QWidget* video = child<QPushButton>(main, "Command5");
    QVERIFY(ContextHelp::showFor(video));
    QVERIFY(popup()->text().contains(QLatin1String("From the project help file")));
    closePopup();

    // Moving over a label of the action levels window changes nothing; over its background
    // it points context help at the program folder's file, on every window, for good.
    // (The pointer reaches the topmost window under it: the main window steps aside.)
    main.hide();
    RULAAction& action = windows->window<RULAAction>();
    action.showWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&action));
    QTest::mouseMove(&action, child<QLabel>(action, "Label5")->geometry().center());
    QVERIFY(ContextHelp::showFor(video));
    QVERIFY(popup()->text().contains(QLatin1String("From the project help file")));
    closePopup();
    QTest::mouseMove(&action, QPoint(5, 5));
    action.hide();
    main.showWindow();

    QVERIFY(ContextHelp::showFor(video));
    QVERIFY(popup()->text().contains(QLatin1String("From the program help file")));
    QCOMPARE(popup()->helpFile(), dir.filePath(QStringLiteral("Helpfile/helpfile.hlp")));
    closePopup();
    QVERIFY(pressF1In(details, "Text1"));
    QVERIFY(popup());
    QVERIFY(popup()->text().contains(QLatin1String("From the program help file name")));
}

void HelpTest::missingHelpFileGivesMessage()
{
    QTemporaryDir dir;
    ProgramFolder::setPath(dir.path());
    MainWindow& main = windows->window<MainWindow>();
    main.showWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QWidget* video = child<QPushButton>(main, "Command5");

    // No file: the pop-up says which file is missing.
    QVERIFY(ContextHelp::showFor(video));
    const QString expected = QDir::toNativeSeparators(dir.filePath(QStringLiteral("HelpFile/HELPFILE.HLP")));
    QVERIFY2(popup()->text().contains(
                 QStringLiteral("The help file \"%1\" could not be found.").arg(expected).toHtmlEscaped()),
             qPrintable(popup()->text()));
    closePopup();

    // A file that is no help file, and a help file that lacks the topic.
    QVERIFY(writeFile(dir.filePath(QStringLiteral("HelpFile/HELPFILE.HLP")), QByteArray("\x00\x01 binary", 9)));
    QVERIFY(ContextHelp::showFor(video));
    QVERIFY2(popup()->text().contains(QLatin1String("is not a help file")), qPrintable(popup()->text()));
    closePopup();
    QVERIFY(writeFile(dir.filePath(QStringLiteral("HelpFile/HELPFILE.HLP")), helpText("x")));
    QVERIFY(ContextHelp::showFor(child<QPushButton>(main, "Command8")));
    QVERIFY2(popup()->text().contains(QLatin1String("has no topic 19")), qPrintable(popup()->text()));
    QCOMPARE(recorder.messages, QStringList());
}

void HelpTest::reductionMeasuresAlwaysSameFile()
{
    RULAAction& action = windows->window<RULAAction>();
    action.showWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&action));
    const QString guide = QDir::cleanPath(buildFile(QStringLiteral("Reduction Measures/HELPFILE.HLP")));
    const QStringList applicationHelp = {
        state->ApplicationHelpFile, QCoreApplication::applicationDirPath() + QStringLiteral("\\Helpfile\\helpfile.hlp"),
        QStringLiteral("\\No\\Such.HLP")};
    for (const QString& help : applicationHelp) {
        state->ApplicationHelpFile = help;
        child<QLabel>(action, "Label1")->setText(QStringLiteral("Action Level 3"));
        click(action, "Command1");
        auto* viewer = action.findChild<HelpViewer*>();
        QVERIFY(viewer);
        QVERIFY(viewer->isVisible());
        QCOMPARE(viewer->helpFile(), guide);
        QCOMPARE(viewer->windowTitle(), QStringLiteral("Reduction Measures - TALVO RULA"));
        // At its contents: the top of the page, which is the contents section.
        QCOMPARE(viewer->browser()->verticalScrollBar()->value(), 0);
        QVERIFY(viewer->browser()->toPlainText().startsWith(QLatin1String("Reduction Measures")));
        // The action levels window stays as it was; one viewer, reused.
        QVERIFY(action.isVisible());
        QCOMPARE(labelText(action, "Label1"), QStringLiteral("Action Level 3"));
        QCOMPARE(state->ApplicationHelpFile, help);
        QCOMPARE(action.findChildren<HelpViewer*>().size(), 1);
        viewer->showTopic(8); // wander off; the next press starts at the contents again
    }
    QCOMPARE(recorder.messages, QStringList());
}

void HelpTest::reductionMeasuresGuideCoversEveryRegion()
{
    HelpDocument guide;
    QString error;
    QVERIFY2(guide.load(HelpFiles::reductionMeasuresFile(), &error), qPrintable(error));
    QStringList titles;
    for (int topic : guide.topicNumbers())
        titles << guide.topicTitle(topic);
    for (const char* region : {"Upper arm", "Lower arm", "Wrist", "Neck", "Trunk", "Legs", "Muscle use", "Force",
                               "Re-assessing after a change"}) {
        const auto it = std::find_if(titles.cbegin(), titles.cend(),
                                     [&](const QString& t) { return t.startsWith(QLatin1String(region)); });
        QVERIFY2(it != titles.cend(), region);
        if (QByteArray(region).startsWith("Re-"))
            continue;
        const int topic = guide.topicNumbers().at(static_cast<int>(it - titles.cbegin()));
        const QString text = guide.topicHtml(topic);
        QVERIFY2(text.contains(QLatin1String("What raises the score")), region);
        QVERIFY2(text.contains(QLatin1String("Measures that lower it")), region);
        QVERIFY2(text.contains(QLatin1String("When you re-assess")), region);
    }
}

void HelpTest::missingReductionMeasuresGivesMessage()
{
    QTemporaryDir dir;
    ProgramFolder::setPath(dir.path());
    RULAAction& action = windows->window<RULAAction>();
    action.showWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&action));
    click(action, "Command1");
    const QString expected = QDir::toNativeSeparators(dir.filePath(QStringLiteral("Reduction Measures/HELPFILE.HLP")));
    QCOMPARE(recorder.messages, QStringList{QStringLiteral("The help file \"%1\" could not be found.").arg(expected)});
    QCOMPARE(recorder.titles, QStringList{QStringLiteral("Project1")});
    QVERIFY(!action.findChild<HelpViewer*>()); // no empty viewer
    QVERIFY(action.isVisible());
}

void HelpTest::playVideoStartsPlayer()
{
    MainWindow& main = windows->window<MainWindow>();
    main.showWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QStringList started;
    ProgramLauncher::setStarter([&](const QString& path) {
        started << path;
        return true;
    });
    // In the build folder our own player is found first; each press starts it again.
    click(main, "Command5");
    click(main, "Command5");
    const QString player = buildFile(QStringLiteral("mplayer2.exe"));
    QCOMPARE(started, (QStringList{player, player}));
    QCOMPARE(recorder.messages, QStringList());
    QVERIFY(main.isVisible());

    // Without a player anywhere, a message and nothing else.
    QTemporaryDir dir;
    ProgramFolder::setPath(dir.path());
    ProgramLauncher::setSearchPath(dir.path());
    click(main, "Command5");
    QCOMPARE(started.size(), 2);
    QCOMPARE(recorder.messages, QStringList{QStringLiteral("The media player \"mplayer2.exe\" could not be started.")});
    QCOMPARE(recorder.titles, QStringList{QStringLiteral("Project1")});
    QVERIFY(main.isVisible());
}

QTEST_MAIN(HelpTest)
#include "tst_help.moc"
