// SPDX-License-Identifier: GPL-3.0-or-later
// Enter and Return press the focused push button in every window, with the same effect as
// a click; after "&New Filename" the Save window is in front with the focus in its name box.
// Assessment Details is filled by the keyboard alone without losing a word; the overwrite
// question opens centred on the Save window with its whole title.

#include "AssessmentDetails.h"
#include "CautionStatement.h"
#include "EmployeeDetails.h"
#include "ExtraPics.h"
#include "FinalResults.h"
#include "HelpViewer.h"
#include "MainWindow.h"
#include "OpenExtraPics.h"
#include "OpenPictureFile.h"
#include "OverwriteFile.h"
#include "ProgramFolder.h"
#include "ProgramLauncher.h"
#include "RULAAction.h"
#include "RULAOverview.h"
#include "SaveWindow.h"
#include "WindowTestSupport.h"

#include <QApplication>
#include <QDateTimeEdit>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <vector>

namespace {

struct KeyboardFixture;

// One push button: the window it stands in, how to open that window, and what its press
// must have done.
struct ButtonCase
{
    const char* window;
    const char* button;
    std::function<AppWindow&(KeyboardFixture&)> open;
    std::function<bool(KeyboardFixture&)> done;
};

struct KeyboardFixture : WindowFixture
{
    QStringList started; // programs the launcher was asked to start
    int saves = 0;       // runs of the save routine

    template <typename W> W& shown()
    {
        W& window = windows->window<W>();
        window.showWindow();
        return window;
    }
    template <typename W> bool visible() { return windows->exists<W>() && windows->window<W>().isVisible(); }
    template <typename W> bool hidden() { return windows->exists<W>() && windows->window<W>().isHidden(); }
};

const std::vector<ButtonCase>& buttonCases()
{
    using F = KeyboardFixture;
    static const std::vector<ButtonCase> cases = {
        {"CautionStatement", "Command1", [](F& f) -> AppWindow& { return f.shown<CautionStatement>(); },
         [](F& f) { return f.visible<EmployeeDetails>() && f.state->CautionAccepted == 1; }},
        {"CautionStatement", "Command2", [](F& f) -> AppWindow& { return f.shown<CautionStatement>(); },
         [](F& f) { return f.recorder.ends == 1; }},
        {"EmployeeDetails", "Command1", [](F& f) -> AppWindow& { return f.shown<EmployeeDetails>(); },
         [](F& f) { return f.visible<MainWindow>() && f.hidden<EmployeeDetails>(); }},
        {"EmployeeDetails", "Command2", [](F& f) -> AppWindow& { return f.shown<EmployeeDetails>(); },
         [](F& f) { return f.recorder.ends == 1; }},
        {"Main", "Command3", [](F& f) -> AppWindow& { return f.shown<MainWindow>(); },
         [](F& f) { return f.visible<OpenPictureFile>(); }},
        {"Main", "Command5", [](F& f) -> AppWindow& { return f.shown<MainWindow>(); },
         [](F& f) { return f.started.size() == 1 && f.started[0].endsWith(QLatin1String("/mplayer2.exe")); }},
        {"Main", "Command1", [](F& f) -> AppWindow& { return f.shown<MainWindow>(); },
         [](F& f) { return f.visible<OpenExtraPics>(); }},
        {"Main", "Command2", [](F& f) -> AppWindow& { return f.shown<MainWindow>(); },
         [](F& f) {
             return f.recorder.messages.size() == 17 &&
                    f.recorder.messages[0] == QLatin1String("You have not completed all of the necessary fields "
                                                            "for Upper Arm (Right)");
         }},
        {"Main", "Command4", [](F& f) -> AppWindow& { return f.shown<MainWindow>(); },
         [](F& f) { return f.recorder.titles == QStringList{QStringLiteral("Error")} && !f.visible<ExtraPics>(); }},
        {"Main", "Command8", [](F& f) -> AppWindow& { return f.shown<MainWindow>(); },
         [](F& f) { return f.recorder.ends == 1; }},
        {"Main", "Command6", [](F& f) -> AppWindow& { return f.shown<MainWindow>(); },
         [](F& f) { return f.visible<RULAOverview>(); }},
        {"FinalResults", "Command2", [](F& f) -> AppWindow& { return f.shown<FinalResults>(); },
         [](F& f) { return f.visible<RULAAction>() && f.hidden<FinalResults>(); }},
        {"FinalResults", "Command6", [](F& f) -> AppWindow& { return f.shown<FinalResults>(); },
         [](F& f) { return f.visible<MainWindow>() && f.hidden<FinalResults>(); }},
        {"FinalResults", "Command7", [](F& f) -> AppWindow& { return f.shown<FinalResults>(); },
         [](F& f) { return f.recorder.ends == 1; }},
        {"RULAAction", "Command1", [](F& f) -> AppWindow& { return f.shown<RULAAction>(); },
         [](F& f) {
             auto* viewer = f.windows->window<RULAAction>().findChild<HelpViewer*>();
             return viewer && viewer->isVisible() && f.recorder.messages.isEmpty();
         }},
        {"RULAAction", "Command7", [](F& f) -> AppWindow& { return f.shown<RULAAction>(); },
         [](F& f) { return f.visible<SaveWindow>(); }},
        {"RULAAction", "Command2", [](F& f) -> AppWindow& { return f.shown<RULAAction>(); },
         [](F& f) { return f.visible<FinalResults>() && f.hidden<RULAAction>(); }},
        {"RULAAction", "Command3", [](F& f) -> AppWindow& { return f.shown<RULAAction>(); },
         [](F& f) { return f.recorder.ends == 1; }},
        {"RULAOverview", "Command1", [](F& f) -> AppWindow& { return f.shown<RULAOverview>(); },
         [](F& f) { return f.hidden<RULAOverview>() && f.recorder.ends == 0; }},
        {"Save", "Command1", [](F& f) -> AppWindow& { return f.shown<SaveWindow>(); },
         [](F& f) { return f.saves == 1 && f.recorder.ends == 1; }},
        {"Save", "Command2", [](F& f) -> AppWindow& { return f.shown<SaveWindow>(); },
         [](F& f) { return f.hidden<SaveWindow>() && f.saves == 0; }},
        {"OverwriteFile", "Command3", [](F& f) -> AppWindow& { return f.shown<OverwriteFile>(); },
         [](F& f) { return f.saves == 1 && f.recorder.ends == 1; }},
        {"OverwriteFile", "Command5", [](F& f) -> AppWindow& { return f.shown<OverwriteFile>(); },
         [](F& f) {
             return f.hidden<OverwriteFile>() && f.visible<SaveWindow>() &&
                    f.recorder.messages == QStringList{QStringLiteral("Please select another file name")};
         }},
        {"ExtraPics", "Command1", [](F& f) -> AppWindow& { return f.shown<ExtraPics>(); },
         [](F& f) { return f.hidden<ExtraPics>(); }},
        // With no file chosen "&Open" opens nothing and the window stays; "&Exit" hides it.
        {"OpenPictureFile", "cmdOpen", [](F& f) -> AppWindow& { return f.shown<OpenPictureFile>(); },
         [](F& f) { return f.visible<OpenPictureFile>() && f.recorder.messages.isEmpty(); }},
        {"OpenPictureFile", "Command1", [](F& f) -> AppWindow& { return f.shown<OpenPictureFile>(); },
         [](F& f) { return f.hidden<OpenPictureFile>(); }},
        {"OpenExtraPics", "cmdOpen", [](F& f) -> AppWindow& { return f.shown<OpenExtraPics>(); },
         [](F& f) { return f.visible<OpenExtraPics>() && f.recorder.messages.isEmpty(); }},
        {"OpenExtraPics", "Command1", [](F& f) -> AppWindow& { return f.shown<OpenExtraPics>(); },
         [](F& f) { return f.hidden<OpenExtraPics>(); }},
    };
    return cases;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class KeyboardTest : public QObject, private KeyboardFixture
{
    Q_OBJECT

private:
    QTemporaryDir m_folder; // the current folder while testing: Save and the file windows start here
    QString m_originalFolder;

private slots:
    void initTestCase()
    {
        startRecording();
        QVERIFY(m_folder.isValid());
        m_originalFolder = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_folder.path()));
    }
    void init()
    {
        QVERIFY(QDir::setCurrent(m_folder.path()));
        makeWindows();
        started.clear();
        saves = 0;
        ProgramLauncher::setStarter([this](const QString& path) {
            started << path;
            return true;
        });
        SaveWindow::setSaveRoutine([this](const SaveTable&, const QString&, const QString&, const ResultFileWriter&) {
            ++saves;
            return SaveOutcome{true, QString()};
        });
    }
    void cleanup()
    {
        dropWindows();
        ProgramLauncher::setStarter({});
        SaveWindow::resetSaveRoutine();
        QuestionService::resetHandler();
    }
    void cleanupTestCase() { QDir::setCurrent(m_originalFolder); }

    void enterPressesTheFocusedButton_data();
    void enterPressesTheFocusedButton();
    void enterOnOverwriteSavesOverTheOldFiles();
    void newFilenameBringsTheSaveWindowForward();
    void enterPressesTheHelpViewersButtons();
    void assessmentDetailsByKeyboard();
    void cancelAsksBeforeDiscarding();
    void overwriteQuestionCentredWithItsTitle();
    void overwriteTitleFitsItsBar();
};

void KeyboardTest::enterPressesTheFocusedButton_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("key");
    for (int i = 0; i < int(buttonCases().size()); ++i) {
        const ButtonCase& c = buttonCases()[std::size_t(i)];
        QTest::addRow("%s %s Return", c.window, c.button) << i << int(Qt::Key_Return);
        QTest::addRow("%s %s Enter", c.window, c.button) << i << int(Qt::Key_Enter);
    }
}

void KeyboardTest::enterPressesTheFocusedButton()
{
    QFETCH(int, index);
    QFETCH(int, key);
    const ButtonCase& c = buttonCases()[std::size_t(index)];
    AppWindow& window = c.open(*this);
    QCOMPARE(window.objectName(), QString::fromLatin1(c.window));
    auto* button = child<QPushButton>(window, c.button);
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    button->setFocus();
    QCOMPARE(QApplication::focusWidget(), button);
    recorder.clear();
    QSignalSpy clicks(button, &QPushButton::clicked);

    const Qt::KeyboardModifiers modifiers = key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier;
    QTest::keyClick(button, Qt::Key(key), modifiers);
    QCOMPARE(clicks.size(), 1);
    QVERIFY2(c.done(*this), qPrintable(recorder.messages.join(QLatin1Char('|'))));
}

// The whole road from "&Save" to the overwrite question and "&Overwrite" by Enter, with the
// real save into a folder that holds an earlier result.
void KeyboardTest::enterOnOverwriteSavesOverTheOldFiles()
{
    SaveWindow::resetSaveRoutine();
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString oldText = dir.filePath(QStringLiteral("Smith RULA Analysis.txt"));
    writeFile(oldText, "old");
    QVERIFY(QDir::setCurrent(dir.path()));
    child<QLineEdit>(windows->window<EmployeeDetails>(), "Text1")->setText(QStringLiteral("Smith"));
    SaveWindow& save = shown<SaveWindow>();
    QCOMPARE(save.saveFolder(), dir.path());
    auto* saveButton = child<QPushButton>(save, "Command1");
    saveButton->setFocus();
    QTest::keyClick(saveButton, Qt::Key_Return);

    OverwriteFile& overwrite = windows->window<OverwriteFile>();
    QVERIFY(overwrite.isVisible());
    QApplication::setActiveWindow(&overwrite);
    QVERIFY(QTest::qWaitForWindowActive(&overwrite));
    QCOMPARE(QApplication::focusWidget(), child<QPushButton>(overwrite, "Command3")); // "&Overwrite", first
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(recorder.messages, QStringList{QStringLiteral("File Saved")});
    QCOMPARE(recorder.ends, 1);
    QFile text(oldText);
    QVERIFY(text.open(QIODevice::ReadOnly));
    QVERIFY(text.readAll().startsWith("\"Action Level - Left Arm\"\r\n"));
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("Smith RULA Analysis.mdb"))));
}

void KeyboardTest::newFilenameBringsTheSaveWindowForward()
{
    writeFile(m_folder.filePath(QStringLiteral("Smith RULA Analysis.mdb")), "old");
    child<QLineEdit>(windows->window<EmployeeDetails>(), "Text1")->setText(QStringLiteral("Smith"));
    SaveWindow& save = shown<SaveWindow>();
    QLineEdit* name = child<QLineEdit>(save, "Text1");
    QTest::keyClick(name, Qt::Key_Return);
    OverwriteFile& overwrite = windows->window<OverwriteFile>();
    QApplication::setActiveWindow(&overwrite);
    QVERIFY(QTest::qWaitForWindowActive(&overwrite));

    auto* newFilename = child<QPushButton>(overwrite, "Command5");
    newFilename->setFocus();
    QTest::keyClick(newFilename, Qt::Key_Return);
    QCOMPARE(recorder.messages, QStringList{QStringLiteral("Please select another file name")});
    QVERIFY(overwrite.isHidden());
    QVERIFY(QTest::qWaitForWindowActive(&save));
    QCOMPARE(QApplication::activeWindow(), &save);
    QCOMPARE(QApplication::focusWidget(), name);
    QCOMPARE(name->text(), QString());
    QTest::keyClicks(name, QStringLiteral("Jones"));
    QTest::keyClick(name, Qt::Key_Return);
    QCOMPARE(saves, 1);
    QCOMPARE(state->SaveFileName, QStringLiteral("Jones RULA Analysis"));
    QVERIFY(QFile::remove(m_folder.filePath(QStringLiteral("Smith RULA Analysis.mdb"))));
}

// The help viewer is no assessment window, yet Enter presses its focused button too.
void KeyboardTest::enterPressesTheHelpViewersButtons()
{
    AppWindow& action = shown<RULAAction>();
    child<QPushButton>(action, "Command1")->click();
    auto* viewer = action.findChild<HelpViewer*>();
    QVERIFY(viewer && viewer->isVisible());
    auto* close = viewer->findChild<QPushButton*>(QStringLiteral("HelpClose"));
    QVERIFY(close);
    QApplication::setActiveWindow(viewer);
    QVERIFY(QTest::qWaitForWindowActive(viewer));
    close->setFocus();
    QTest::keyClick(close, Qt::Key_Return);
    QVERIFY(!viewer->isVisible());
}

// Task, Tab, Tab: the second Tab leaves the date for the assessor's box, so the name typed
// there lands there; Enter in it is OK.
void KeyboardTest::assessmentDetailsByKeyboard()
{
    AssessmentDetails& details = shown<AssessmentDetails>();
    QApplication::setActiveWindow(&details);
    QVERIFY(QTest::qWaitForWindowActive(&details));
    QCOMPARE(QApplication::focusWidget(), child<QLineEdit>(details, "Task"));
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Loading the press"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    auto* observed = child<QDateTimeEdit>(details, "Observed");
    QCOMPARE(QApplication::focusWidget(), observed);
    const QDateTime before = observed->dateTime();
    QTest::keyClick(observed, Qt::Key_Up); // the day, the part the date opens at
    QCOMPARE(observed->dateTime(), before.addDays(1));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), child<QLineEdit>(details, "Assessor"));
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Dana Kowalski")); // replaces the proposal
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QVERIFY(details.isHidden());
    QCOMPARE(state->details.task, QStringLiteral("Loading the press"));
    QCOMPARE(state->details.assessor, QStringLiteral("Dana Kowalski"));
    QCOMPARE(state->details.observed, before.addDays(1));
}

// Cancel (Alt+L) with a typed task asks; "keep editing" keeps the text, "discard" hides the
// window and leaves the details as they were. Untouched, Escape hides it without a word.
void KeyboardTest::cancelAsksBeforeDiscarding()
{
    QStringList asked;
    bool discard = false;
    QuestionService::setHandler([&](const QString& text, const QString&, const QString&, const QString&) {
        asked << text;
        return discard;
    });
    AssessmentDetails& details = shown<AssessmentDetails>();
    QApplication::setActiveWindow(&details);
    QVERIFY(QTest::qWaitForWindowActive(&details));
    QTest::keyClick(&details, Qt::Key_Escape);
    QVERIFY(details.isHidden());
    QCOMPARE(asked.size(), 0);

    details.showWindow();
    QVERIFY(QTest::qWaitForWindowActive(&details));
    QTest::keyClicks(child<QLineEdit>(details, "Task"), QStringLiteral("Loading the press"));
    QTest::keyClick(&details, Qt::Key_L, Qt::AltModifier);
    QTRY_COMPARE(asked.size(), 1);
    QVERIFY(details.isVisible());
    QCOMPARE(child<QLineEdit>(details, "Task")->text(), QStringLiteral("Loading the press"));
    discard = true;
    click(details, "CancelButton");
    QCOMPARE(asked.size(), 2);
    QVERIFY(details.isHidden());
    QCOMPARE(state->details.task, QString());
}

// "&Save" over an existing file: the question stands centred on the Save window, wherever
// the assessor moved it, in front and focused, its title naming the file.
void KeyboardTest::overwriteQuestionCentredWithItsTitle()
{
    writeFile(m_folder.filePath(QStringLiteral("Smith RULA Analysis.txt")), "old");
    child<QLineEdit>(windows->window<EmployeeDetails>(), "Text1")->setText(QStringLiteral("Smith"));
    SaveWindow& save = shown<SaveWindow>();
    QVERIFY(QTest::qWaitForWindowActive(&save));
    save.move(300, 200);
    QTest::keyClick(child<QLineEdit>(save, "Text1"), Qt::Key_Return);
    OverwriteFile& overwrite = windows->window<OverwriteFile>();
    QVERIFY(QTest::qWaitForWindowActive(&overwrite));
    QCOMPARE(overwrite.windowTitle(), QStringLiteral("Overwrite File - Smith RULA Analysis.txt"));
    const QPoint offCentre = overwrite.frameGeometry().center() - save.frameGeometry().center();
    QVERIFY2(offCentre.manhattanLength() <= 40,
             qPrintable(QStringLiteral("%1, %2").arg(offCentre.x()).arg(offCentre.y())));
    QVERIFY(QFile::remove(m_folder.filePath(QStringLiteral("Smith RULA Analysis.txt"))));
}

// A name longer than the title bar: shortened in its middle, the start and the end kept, so
// the bar shows the whole title.
void KeyboardTest::overwriteTitleFitsItsBar()
{
    const OverwriteFile& overwrite = windows->window<OverwriteFile>();
    const QString longName = QStringLiteral("Alexandra Konstantinopoulou-Papadimitriou, Press Shop Bay 7 RULA "
                                            "Analysis.txt");
    const QString title = OverwriteFile::titleFor(longName, overwrite.width());
    QVERIFY2(title.startsWith(QStringLiteral("Overwrite File - Alexandra")) && title.endsWith(QStringLiteral(".txt")),
             qPrintable(title));
    QFont bold = QApplication::font();
    bold.setBold(true);
    QVERIFY(QFontMetrics(bold).horizontalAdvance(title) <= overwrite.width() - OverwriteFile::TitleBarButtons);
}

QTEST_MAIN(KeyboardTest)
#include "tst_keyboard.moc"
