// SPDX-License-Identifier: GPL-3.0-or-later
// The Save and Overwrite File windows, driven by their controls, saving into real folders.
#include "CautionStatement.h"
#include "EmployeeDetails.h"
#include "FileLists.h"
#include "FinalResults.h"
#include "MainWindow.h"
#include "OptionPanel.h"
#include "OverwriteFile.h"
#include "PictureControl.h"
#include "ProgramState.h"
#include "RULAAction.h"
#include "ResultDatabase.h"
#include "ResultTextFile.h"
#include "SaveResults.h"
#include "SaveWindow.h"
#include "Services.h"
#include "TabbedPanel.h"
#include "WindowSet.h"

#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

struct Message
{
    QString text;
    QString title;
};

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Alt with the letter after "&", typed into the window the assessor is working in; the
// button clicks after its short press animation.
void pressAccessKey(QWidget& window, Qt::Key key)
{
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(window.focusWidget() ? window.focusWidget() : &window, key, Qt::AltModifier);
}

} // namespace

class SaveWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_state = std::make_unique<ProgramState>();
        m_windows = std::make_unique<WindowSet>(*m_state);
        m_messages.clear();
        m_ends = 0;
        m_filesAtMessage.clear();
        MessageService::setHandler([this](const QString& text, const QString& title) {
            m_messages.push_back({text, title});
            if (text == QStringLiteral("File Saved") && !m_watch.isEmpty())
                m_filesAtMessage = QDir(m_watch).entryList(QDir::Files, QDir::Name);
        });
        ProgramEnd::setHandler([this] { ++m_ends; });
        m_watch.clear();
    }
    void cleanup()
    {
        m_windows.reset();
        m_state.reset();
        MessageService::resetHandler();
        ProgramEnd::resetHandler();
        DriveList::resetVolumeSource();
        SaveWindow::resetSaveRoutine();
    }

    void layoutsAreAsDesigned()
    {
        SaveWindow& save = saveWindow();
        QCOMPARE(save.objectName(), QStringLiteral("Save"));
        QCOMPARE(save.windowTitle(), QStringLiteral("Save"));
        QCOMPARE(save.size(), QSize(370, 293));
        QCOMPARE(save.minimumSize(), save.maximumSize());
        QVERIFY(save.windowFlags() & Qt::WindowContextHelpButtonHint);
        QVERIFY(!(save.windowFlags() & Qt::WindowMinimizeButtonHint));

        QCOMPARE(control<DriveList>(&save, "Drive1")->geometry(), QRect(32, 8, 209, 22));
        QCOMPARE(control<FolderList>(&save, "Dir1")->geometry(), QRect(32, 40, 209, 182));
        QCOMPARE(control<QLineEdit>(&save, "Text1")->geometry(), QRect(88, 240, 153, 33));
        auto* label = control<QLabel>(&save, "Label1");
        QCOMPARE(label->text(), QStringLiteral("Name:"));
        QVERIFY(label->font().bold());
        QCOMPARE(label->font().pointSizeF(), 12.0);
        QCOMPARE(control<FolderList>(&save, "Dir1")->font().pointSizeF(), 8.25);
        QCOMPARE(control<QPushButton>(&save, "Command1")->text(), QStringLiteral("&Save"));
        QCOMPARE(control<QPushButton>(&save, "Command2")->text(), QStringLiteral("&Exit"));
        QCOMPARE(control<QPushButton>(&save, "Command2")->geometry(), QRect(256, 208, 105, 41));
        QCOMPARE(control<QPushButton>(&save, "Command1")->geometry(), QRect(256, 96, 105, 41));
        QCOMPARE(label->geometry(), QRect(32, 248, 49, 33));
        QCOMPARE(control<DriveList>(&save, "Drive1")->font().pointSizeF(), 8.25);
        QCOMPARE(control<QLineEdit>(&save, "Text1")->font().pointSizeF(), 12.0);
        QVERIFY(!control<QLineEdit>(&save, "Text1")->font().bold());
        for (const char* name : {"Label1", "Text1", "Command1", "Command2", "Drive1", "Dir1"})
            QCOMPARE(QFontInfo(control<QWidget>(&save, name)->font()).family(), QStringLiteral("Liberation Sans"));
        for (const char* name : {"Command1", "Command2"}) {
            QCOMPARE(control<QPushButton>(&save, name)->font().pointSizeF(), 12.0);
            QVERIFY(control<QPushButton>(&save, name)->font().bold());
        }

        // Keyboard order: name, Save, Exit, drives, folders, and round again.
        QStringList order;
        QWidget* widget = control<QLineEdit>(&save, "Text1");
        for (int i = 0; i < 5; ++i, widget = widget->nextInFocusChain()) {
            while (widget->focusPolicy() == Qt::NoFocus || widget->parentWidget() != &save)
                widget = widget->nextInFocusChain();
            order << widget->objectName();
        }
        QCOMPARE(order, (QStringList{"Text1", "Command1", "Command2", "Drive1", "Dir1"}));

        QStringList topics;
        for (const char* name : {"Drive1", "Dir1", "Text1", "Command1", "Command2"})
            topics << control<QWidget>(&save, name)->property("helpTopic").toString();
        QCOMPARE(topics, (QStringList{"63", "64", "65", "66", "67"}));

        OverwriteFile& overwrite = m_windows->window<OverwriteFile>();
        QCOMPARE(overwrite.objectName(), QStringLiteral("OverwriteFile"));
        QCOMPARE(overwrite.windowTitle(), QStringLiteral("Overwrite File"));
        QCOMPARE(overwrite.size(), QSize(410, 297));
        QVERIFY(!(overwrite.windowFlags() & Qt::WindowContextHelpButtonHint));
        auto* question = control<QLabel>(&overwrite, "Label84");
        QCOMPARE(question->text(),
                 QStringLiteral("File already exists. Do  you wish to overwrite      the existing file?"));
        QVERIFY(question->wordWrap());
        QCOMPARE(question->palette().color(QPalette::WindowText), QColor(0, 0, 128));
        QCOMPARE(question->font().pointSizeF(), 24.0);
        QCOMPARE(question->geometry(), QRect(16, 32, 369, 145));
        QCOMPARE(control<QPushButton>(&overwrite, "Command3")->text(), QStringLiteral("&Overwrite"));
        QCOMPARE(control<QPushButton>(&overwrite, "Command5")->text(), QStringLiteral("&New Filename"));
        QCOMPARE(control<QPushButton>(&overwrite, "Command5")->geometry(), QRect(216, 224, 121, 49));
        QCOMPARE(control<QPushButton>(&overwrite, "Command3")->geometry(), QRect(80, 224, 121, 49));
        QVERIFY(question->font().bold());
        QCOMPARE(QFontInfo(question->font()).family(), QStringLiteral("Liberation Sans"));
        for (const char* name : {"Command3", "Command5"}) {
            QCOMPARE(control<QPushButton>(&overwrite, name)->font().pointSizeF(), 12.0);
            QVERIFY(control<QPushButton>(&overwrite, name)->font().bold());
        }
        QVERIFY(overwrite.minimumSize() != overwrite.maximumSize()); // a normal, resizable border
        QCOMPARE(control<QPushButton>(&overwrite, "Command3")->nextInFocusChain()->objectName(),
                 QStringLiteral("Command5"));
    }

    void theActionLevelsSaveShowsTheOneSaveWindow()
    {
        employeeName()->setText(QStringLiteral("Smith"));
        RULAAction& action = m_windows->window<RULAAction>();
        auto* button = control<QPushButton>(&action, "Command7");
        QCOMPARE(button->text(), QStringLiteral("&Save"));
        QTest::mouseClick(button, Qt::LeftButton);
        control<QLineEdit>(&saveWindow(), "Text1")->setText(QStringLiteral("Changed"));
        QTest::mouseClick(button, Qt::LeftButton);
        int saves = 0;
        for (QWidget* window : QApplication::topLevelWidgets())
            saves += window->objectName() == QStringLiteral("Save");
        QCOMPARE(saves, 1);
        QVERIFY(saveWindow().isVisible());
        QCOMPARE(control<QLineEdit>(&saveWindow(), "Text1")->text(), QStringLiteral("Changed"));
    }

    void nameComesFromEmployeeDetailsAndExitKeepsIt()
    {
        employeeName()->setText(QStringLiteral("O'Brien's"));
        SaveWindow& save = saveWindow();
        save.showWindow();
        QLineEdit* name = control<QLineEdit>(&save, "Text1");
        QCOMPARE(name->text(), QStringLiteral("O'Brien's"));
        QApplication::setActiveWindow(&save);
        QVERIFY(QTest::qWaitForWindowActive(&save));
        QCOMPARE(QApplication::focusWidget(), name);

        // "&Exit" hides and keeps what the assessor typed; the next showing is the same window.
        name->setText(QStringLiteral("Typed"));
        pressAccessKey(save, Qt::Key_E);
        QTRY_VERIFY(save.isHidden());
        employeeName()->setText(QStringLiteral("Other"));
        save.showWindow();
        QCOMPARE(&saveWindow(), &save);
        QCOMPARE(name->text(), QStringLiteral("Typed"));

        // Closing by the close box forgets the typed name: the next showing loads the
        // employee's name again.
        save.close();
        QVERIFY(save.isHidden());
        save.showWindow();
        QCOMPARE(name->text(), QStringLiteral("Other"));
        QVERIFY(m_messages.empty());
    }

    void saveIntoAnEmptyFolderWritesBothFilesAndEnds_data()
    {
        QTest::addColumn<bool>("byEnter");
        QTest::newRow("Save button") << false;
        QTest::newRow("Enter in the name box") << true;
    }
    void saveIntoAnEmptyFolderWritesBothFilesAndEnds()
    {
        QFETCH(bool, byEnter);
        QTemporaryDir dir;
        SaveWindow& save = openSaveIn(dir.path(), QStringLiteral("Smith"));
        m_watch = dir.path();
        if (byEnter)
            QTest::keyClick(control<QLineEdit>(&save, "Text1"), Qt::Key_Return);
        else
            QTest::mouseClick(control<QPushButton>(&save, "Command1"), Qt::LeftButton);

        QCOMPARE(m_state->SaveFileName, QStringLiteral("Smith RULA Analysis"));
        QCOMPARE(m_messages.size(), std::size_t(1));
        QCOMPARE(m_messages[0].text, QStringLiteral("File Saved"));
        QCOMPARE(m_messages[0].title, QStringLiteral("Project1"));
        QCOMPARE(m_ends, 1);
        // Both files were there when "File Saved" was shown.
        QCOMPARE(m_filesAtMessage,
                 (QStringList{"Smith RULA Analysis.mdb", "Smith RULA Analysis.txt", "Smith RULA Evidence.sqlite"}));
        QCOMPARE(readAll(dir.filePath(QStringLiteral("Smith RULA Analysis.txt"))).count("\r\n"), 184);
        QVERIFY(!m_windows->exists<OverwriteFile>() || m_windows->window<OverwriteFile>().isHidden());
    }

    void anExistingResultFileAsksFirst_data()
    {
        QTest::addColumn<QStringList>("present");
        QTest::newRow("only the database") << QStringList{"mdb"};
        QTest::newRow("only the text") << QStringList{"txt"};
        QTest::newRow("both") << QStringList{"txt", "mdb"};
    }
    void anExistingResultFileAsksFirst()
    {
        QFETCH(QStringList, present);
        QTemporaryDir dir;
        for (const QString& ext : present)
            writeFile(dir.filePath(QStringLiteral("Smith RULA Analysis.") + ext), "old " + ext.toLatin1());
        // Look-alikes do not count.
        writeFile(dir.filePath(QStringLiteral("smith RULA Analysis.txt")), "other");
        writeFile(dir.filePath(QStringLiteral("Smith RULA Analysis")), "other");

        SaveWindow& save = openSaveIn(dir.path(), QStringLiteral("Smith"));
        QTest::mouseClick(control<QPushButton>(&save, "Command1"), Qt::LeftButton);

        OverwriteFile& overwrite = m_windows->window<OverwriteFile>();
        QVERIFY(overwrite.isVisible());
        QVERIFY(save.isVisible());
        QCOMPARE(control<QLineEdit>(&save, "Text1")->text(), QString());
        QApplication::setActiveWindow(&overwrite);
        QVERIFY(QTest::qWaitForWindowActive(&overwrite));
        QCOMPARE(QApplication::focusWidget(), control<QPushButton>(&overwrite, "Command3"));
        QCOMPARE(m_state->SaveFileName, QStringLiteral("Smith RULA Analysis"));
        QVERIFY(m_messages.empty());
        QCOMPARE(m_ends, 0);
        for (const QString& ext : present)
            QCOMPARE(readAll(dir.filePath(QStringLiteral("Smith RULA Analysis.") + ext)), "old " + ext.toLatin1());
        QCOMPARE(QDir(dir.path()).count(), uint(present.size() + 2 + 2));

        // Confirmed: both files are written over, in that folder.
        QTest::mouseClick(control<QPushButton>(&overwrite, "Command3"), Qt::LeftButton);
        QCOMPARE(m_ends, 1);
        QCOMPARE(m_messages.size(), std::size_t(1));
        QCOMPARE(m_messages[0].text, QStringLiteral("File Saved"));
        QCOMPARE(readAll(dir.filePath(QStringLiteral("Smith RULA Analysis.txt"))).count("\r\n"), 184);
        const QByteArray database = readAll(dir.filePath(QStringLiteral("Smith RULA Analysis.mdb")));
        QVERIFY(database != "old mdb" && database != "<missing>" && !database.isEmpty());
        QCOMPARE(readAll(dir.filePath(QStringLiteral("smith RULA Analysis.txt"))), QByteArray("other"));
    }

    void keyboardAloneChoosesAFolderAndSaves()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("reports")));
        SaveWindow& save = openSaveIn(dir.path(), QStringLiteral("Smith"));
        QApplication::setActiveWindow(&save);
        QVERIFY(QTest::qWaitForWindowActive(&save));
        auto* name = control<QLineEdit>(&save, "Text1");
        name->setFocus();
        QTest::keyClick(name, Qt::Key_Backtab); // back round to the folder list
        auto* folders = control<FolderList>(&save, "Dir1");
        QCOMPARE(QApplication::focusWidget(), folders);
        QTest::keyClick(folders, Qt::Key_Down);
        QTest::keyClick(folders, Qt::Key_Return);
        QCOMPARE(folders->path(), QDir::cleanPath(dir.filePath(QStringLiteral("reports"))));
        QTest::keyClick(folders, Qt::Key_Tab); // on round to the name box
        QCOMPARE(QApplication::focusWidget(), name);
        name->selectAll();
        QTest::keyClicks(name, QStringLiteral("Jones"));
        QTest::keyClick(name, Qt::Key_Return);
        QCOMPARE(m_ends, 1);
        QCOMPARE(QDir(folders->path()).entryList(QDir::Files, QDir::Name),
                 (QStringList{"Jones RULA Analysis.mdb", "Jones RULA Analysis.txt", "Jones RULA Evidence.sqlite"}));
    }

    void newFilenameThenSaveUnderAnotherName()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath(QStringLiteral("Smith RULA Analysis.txt")), "old");
        SaveWindow& save = openSaveIn(dir.path(), QStringLiteral("Smith"));
        QLineEdit* name = control<QLineEdit>(&save, "Text1");
        QTest::keyClick(name, Qt::Key_Return);
        OverwriteFile& overwrite = m_windows->window<OverwriteFile>();
        QVERIFY(overwrite.isVisible());

        pressAccessKey(overwrite, Qt::Key_N);
        QTRY_COMPARE(m_messages.size(), std::size_t(1));
        QCOMPARE(m_messages[0].text, QStringLiteral("Please select another file name"));
        QCOMPARE(m_messages[0].title, QStringLiteral("Project1"));
        QVERIFY(overwrite.isHidden());
        QCOMPARE(overwrite.focusWidget(), control<QPushButton>(&overwrite, "Command3"));
        QCOMPARE(name->text(), QString());
        QCOMPARE(m_ends, 0);

        QTest::keyClicks(name, QStringLiteral("Jones"));
        pressAccessKey(save, Qt::Key_S);
        QTRY_COMPARE(m_ends, 1);
        QCOMPARE(m_messages.back().text, QStringLiteral("File Saved"));
        QCOMPARE(m_state->SaveFileName, QStringLiteral("Jones RULA Analysis"));
        QCOMPARE(readAll(dir.filePath(QStringLiteral("Smith RULA Analysis.txt"))), QByteArray("old"));
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("Jones RULA Analysis.txt"))));
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("Jones RULA Analysis.mdb"))));
    }

    void overwriteSavesIntoTheFolderChosenLast()
    {
        QTemporaryDir first;
        QTemporaryDir second;
        writeFile(first.filePath(QStringLiteral("Smith RULA Analysis.mdb")), "old");
        SaveWindow& save = openSaveIn(first.path(), QStringLiteral("Smith"));
        QTest::mouseClick(control<QPushButton>(&save, "Command1"), Qt::LeftButton);
        QVERIFY(m_windows->window<OverwriteFile>().isVisible());

        // The Save window stays usable behind the question: another folder, another name typed.
        QVERIFY(control<FolderList>(&save, "Dir1")->setPath(second.path()));
        control<QLineEdit>(&save, "Text1")->setText(QStringLiteral("Typed later"));
        QTest::mouseClick(control<QPushButton>(&m_windows->window<OverwriteFile>(), "Command3"), Qt::LeftButton);

        QCOMPARE(m_ends, 1);
        QCOMPARE(QDir(second.path()).entryList(QDir::Files, QDir::Name),
                 (QStringList{"Smith RULA Analysis.mdb", "Smith RULA Analysis.txt", "Smith RULA Evidence.sqlite"}));
        QCOMPARE(QDir(first.path()).entryList(QDir::Files), QStringList{"Smith RULA Analysis.mdb"});
        QCOMPARE(readAll(first.filePath(QStringLiteral("Smith RULA Analysis.mdb"))), QByteArray("old"));
    }

    // Root ignores permission bits, so these saves fail the way a vanished folder (an
    // unplugged stick, a folder deleted meanwhile) makes them fail: the folder list still
    // shows a folder that is gone.
    void aFailedSaveLosesNothingAndTheProgramGoesOn()
    {
        QTemporaryDir dir;
        const QString gone = dir.filePath(QStringLiteral("gone"));
        QVERIFY(QDir().mkpath(gone));
        SaveWindow& save = openSaveIn(gone, QStringLiteral("Smith"));
        QVERIFY(QDir(gone).removeRecursively());
        const rula::AssessmentState before = m_state->assessment;

        QTest::mouseClick(control<QPushButton>(&save, "Command1"), Qt::LeftButton);
        QCOMPARE(m_ends, 0);
        QCOMPARE(m_messages.size(), std::size_t(1));
        QCOMPARE(m_messages[0].title, QStringLiteral("Error"));
        QVERIFY2(m_messages[0].text.contains(QStringLiteral("Nothing was changed")), qPrintable(m_messages[0].text));
        QVERIFY2(m_messages[0].text.contains(gone), qPrintable(m_messages[0].text));
        QVERIFY(save.isVisible());
        QCOMPARE(control<QLineEdit>(&save, "Text1")->text(), QStringLiteral("Smith"));
        QVERIFY(!QFileInfo::exists(gone));
        for (int i = 0; i < rula::OptionCount; ++i)
            QCOMPARE(m_state->assessment.isSelected(i), before.isSelected(i));

        // Another folder, and the same press now saves.
        QVERIFY(control<FolderList>(&save, "Dir1")->setPath(dir.path()));
        QTest::mouseClick(control<QPushButton>(&save, "Command1"), Qt::LeftButton);
        QCOMPARE(m_ends, 1);
        QCOMPARE(m_messages.back().text, QStringLiteral("File Saved"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files, QDir::Name),
                 (QStringList{"Smith RULA Analysis.mdb", "Smith RULA Analysis.txt", "Smith RULA Evidence.sqlite"}));
    }

    void aFailedOverwriteKeepsTheQuestionAndTheOldFiles()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath(QStringLiteral("Smith RULA Analysis.txt")), "old text");
        writeFile(dir.filePath(QStringLiteral("Smith RULA Analysis.mdb")), "old base");
        SaveWindow& save = openSaveIn(dir.path(), QStringLiteral("Smith"));
        QTest::mouseClick(control<QPushButton>(&save, "Command1"), Qt::LeftButton);
        OverwriteFile& overwrite = m_windows->window<OverwriteFile>();
        QVERIFY(overwrite.isVisible());

        // The chosen folder vanishes before "&Overwrite": the error, and everything stays.
        const QString gone = dir.filePath(QStringLiteral("stick"));
        QVERIFY(QDir().mkpath(gone));
        QVERIFY(control<FolderList>(&save, "Dir1")->setPath(gone));
        QVERIFY(QDir(gone).removeRecursively());
        QTest::mouseClick(control<QPushButton>(&overwrite, "Command3"), Qt::LeftButton);
        QCOMPARE(m_ends, 0);
        QCOMPARE(m_messages.size(), std::size_t(1));
        QCOMPARE(m_messages[0].title, QStringLiteral("Error"));
        QVERIFY(overwrite.isVisible());
        QVERIFY(save.isVisible());
        QCOMPARE(readAll(dir.filePath(QStringLiteral("Smith RULA Analysis.txt"))), QByteArray("old text"));
        QCOMPARE(readAll(dir.filePath(QStringLiteral("Smith RULA Analysis.mdb"))), QByteArray("old base"));

        // Back to the first folder: the question is still there, and now it works.
        QVERIFY(control<FolderList>(&save, "Dir1")->setPath(dir.path()));
        QTest::mouseClick(control<QPushButton>(&overwrite, "Command3"), Qt::LeftButton);
        QCOMPARE(m_ends, 1);
        QCOMPARE(m_messages.back().text, QStringLiteral("File Saved"));
        QCOMPARE(readAll(dir.filePath(QStringLiteral("Smith RULA Analysis.txt"))).count("\r\n"), 184);
    }

    void aDriveThatCannotBeReadRevertsSilently()
    {
        QTemporaryDir dir;
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("b"))));
        DriveList::setVolumeSource([&dir] {
            return std::vector<Volume>{{QStringLiteral("A"), dir.path()},
                                       {QStringLiteral("B"), dir.filePath(QStringLiteral("b"))},
                                       {QStringLiteral("no medium"), dir.filePath(QStringLiteral("none"))}};
        });
        SaveWindow& save = openSaveIn(dir.path(), QStringLiteral("Smith"));
        auto* drives = control<DriveList>(&save, "Drive1");
        auto* folders = control<FolderList>(&save, "Dir1");

        drives->setCurrentIndex(1);
        emit drives->activated(1);
        QCOMPARE(folders->path(), dir.filePath(QStringLiteral("b")));
        QCOMPARE(m_state->LastDriveIndex, std::int16_t(1));

        drives->setCurrentIndex(2);
        emit drives->activated(2);
        QCOMPARE(drives->currentIndex(), 1);
        QCOMPARE(folders->path(), dir.filePath(QStringLiteral("b")));
        QCOMPARE(m_state->LastDriveIndex, std::int16_t(1));
        QVERIFY(m_messages.empty());
        QVERIFY(save.isVisible());
    }

    void aRootFolderGivesTheDoubleSeparator()
    {
        QString folderSeen;
        QString stemSeen;
        SaveWindow::setSaveRoutine(
            [&](const SaveTable&, const QString& folder, const QString& stem, const ResultFileWriter&) {
                folderSeen = folder;
                stemSeen = stem;
                return SaveOutcome{false, QStringLiteral("not written in this test")};
            });
        SaveWindow& save = saveWindow();
        save.showWindow();
        auto* folders = control<FolderList>(&save, "Dir1");
        QVERIFY(folders->setPath(QStringLiteral("/")));
        control<QLineEdit>(&save, "Text1")->setText(QStringLiteral("No Such Talvo Name"));
        QTest::mouseClick(control<QPushButton>(&save, "Command1"), Qt::LeftButton);
        QCOMPARE(folderSeen, QStringLiteral("/"));
        QCOMPARE(save.saveFolder(), QStringLiteral("/"));
        QCOMPARE(resultTextPath(folderSeen, stemSeen), QStringLiteral("//No Such Talvo Name RULA Analysis.txt"));
        QCOMPARE(resultDatabasePath(folderSeen, stemSeen), QStringLiteral("//No Such Talvo Name RULA Analysis.mdb"));
        QCOMPARE(m_messages.back().title, QStringLiteral("Error"));
        QVERIFY(m_messages.back().text.contains(QStringLiteral("not written in this test")));
    }

    void anEmptyNameStillGetsItsStem()
    {
        QTemporaryDir dir;
        SaveWindow& save = openSaveIn(dir.path(), QString());
        QTest::mouseClick(control<QPushButton>(&save, "Command1"), Qt::LeftButton);
        QCOMPARE(m_state->SaveFileName, QStringLiteral(" RULA Analysis"));
        QCOMPARE(m_ends, 1);
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral(" RULA Analysis.txt"))));
    }

    // A name that reaches outside the chosen folder is refused before anything is looked up
    // or touched: no overwrite question about a file elsewhere, and the program goes on.
    void aNameThatLeavesTheFolderIsRefused()
    {
        QTemporaryDir dir;
        const QString chosen = dir.filePath(QStringLiteral("chosen"));
        QVERIFY(QDir().mkpath(chosen + QStringLiteral("/sub")));
        writeFile(chosen + QStringLiteral("/sub/x RULA Analysis.txt"), "elsewhere");
        writeFile(dir.filePath(QStringLiteral("y RULA Analysis.mdb")), "beside");
        SaveWindow& save = openSaveIn(chosen, QString());
        for (const QString& name : {QStringLiteral("sub/x"), QStringLiteral("../y"), QStringLiteral("sub\\x")}) {
            m_messages.clear();
            control<QLineEdit>(&save, "Text1")->setText(name);
            QTest::mouseClick(control<QPushButton>(&save, "Command1"), Qt::LeftButton);
            QVERIFY2(!m_windows->exists<OverwriteFile>(), qPrintable(name));
            QCOMPARE(m_messages.size(), std::size_t(1));
            QCOMPARE(m_messages[0].title, QStringLiteral("Error"));
            QCOMPARE(m_ends, 0);
            QVERIFY(save.isVisible());
            QCOMPARE(control<QLineEdit>(&save, "Text1")->text(), name);
        }
        QCOMPARE(readAll(chosen + QStringLiteral("/sub/x RULA Analysis.txt")), QByteArray("elsewhere"));
        QCOMPARE(readAll(dir.filePath(QStringLiteral("y RULA Analysis.mdb"))), QByteArray("beside"));
        QCOMPARE(QDir(chosen).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("sub")});
    }

    // Going back from the final results to change the assessment puts the Save window away,
    // so a save always follows a fresh "View &Results": the options and the scores of a saved
    // file come from one moment. Empty employee boxes give empty texts.
    void goingBackToChangeOptionsPutsTheSaveAwayUntilFreshResults()
    {
        QTemporaryDir dir;
        CautionStatement& caution = m_windows->window<CautionStatement>();
        caution.showWindow();
        click(caution, "Command1");
        click(m_windows->window<EmployeeDetails>(), "Command1"); // all three boxes empty
        QVERIFY(m_state->employee.name.isEmpty() && m_state->employee.id.isEmpty() &&
                m_state->employee.location.isEmpty());

        MainWindow& main = m_windows->window<MainWindow>();
        QVERIFY(main.isVisible());
        // Every score 1, no static muscle use and no force: every result 1.
        for (const char* frame :
             {"Frame1", "Frame9", "Frame17", "Frame19", "Frame23", "Frame27", "Frame29", "Frame33", "Frame53",
              "Frame57", "Frame65", "Frame36", "Frame38", "Frame40", "Frame41", "Frame45", "Frame49"})
            clickOption(main, frame);
        click(main, "Command2");
        click(caution, "Command1");
        FinalResults& results = m_windows->window<FinalResults>();
        click(results, "Command2");
        RULAAction& action = m_windows->window<RULAAction>();
        click(action, "Command7"); // &Save
        SaveWindow& save = saveWindow();
        QVERIFY(control<FolderList>(&save, "Dir1")->setPath(dir.path()));
        control<QLineEdit>(&save, "Text1")->setText(QStringLiteral("Later"));
        m_windows->window<OverwriteFile>().showWindow();

        click(action, "Command2");  // << Back
        QVERIFY(save.isVisible());  // still the same results
        click(results, "Command6"); // << Back, to change the assessment
        QVERIFY(main.isVisible());
        QVERIFY(!save.isVisible());
        QVERIFY(!m_windows->window<OverwriteFile>().isVisible());
        clickOption(main, "Frame4"); // upper arm right: option 4 instead of option 1, score 3
        QCOMPARE(m_ends, 0);

        click(main, "Command2"); // View &Results again
        click(caution, "Command1");
        click(results, "Command2");
        click(action, "Command7"); // &Save: the same window, the name typed before
        QVERIFY(save.isVisible());
        QCOMPARE(control<QLineEdit>(&save, "Text1")->text(), QStringLiteral("Later"));
        click(save, "Command1");
        QCOMPARE(m_ends, 1);

        const ResultTextFile::Parsed text =
            ResultTextFile::parse(readAll(dir.filePath(QStringLiteral("Later RULA Analysis.txt"))));
        QVERIFY2(text.ok, qPrintable(text.error));
        auto value = [&text](int row) { return text.items[static_cast<std::size_t>(2 * row + 1)]; };
        QCOMPARE(value(21), SaveCell(QStringLiteral("False"))); // "Upper Right - Option 1"
        QCOMPARE(value(24), SaveCell(QStringLiteral("True")));  // "Upper Right - Option 4"
        QCOMPARE(value(10), SaveCell(std::int16_t(3)));         // "Upper Right Arm Score"
        // Table A: upper arm 3, lower arm 1, wrist 1, twist 1 gives 3; C 3; Table C (3, 1) gives 3.
        QCOMPARE(value(91), SaveCell(std::int16_t(3)));
        QCOMPARE(value(90), SaveCell(std::int16_t(1)));
        for (int row : {87, 88, 89})
            QCOMPARE(value(row), SaveCell(QString()));
        const ResultDatabase::Contents db =
            ResultDatabase::read(dir.filePath(QStringLiteral("Later RULA Analysis.mdb")));
        QVERIFY2(db.error.isEmpty(), qPrintable(db.error));
        QCOMPARE(db.tables, QStringList{QStringLiteral("RULAResult")});
        QCOMPARE(db.resultRows.size(), 1);
        QCOMPARE(db.resultRows[0][12], QStringLiteral("3")); // "Upper Right Arm Score"
    }

    // The whole road of one assessment, by clicks and typing only, down to the saved file,
    // which must equal the one written by hand from the rules byte for byte.
    void wholeRoadSavesTheExpectedFile()
    {
        QTemporaryDir dir;
        CautionStatement& caution = m_windows->window<CautionStatement>();
        caution.showWindow();
        click(caution, "Command1"); // Accept
        EmployeeDetails& details = m_windows->window<EmployeeDetails>();
        QVERIFY(details.isVisible());
        QTest::keyClicks(control<QLineEdit>(&details, "Text1"), QStringLiteral("O'Brien"));
        QTest::keyClicks(control<QLineEdit>(&details, "Text2"), QStringLiteral("E-042"));
        QTest::keyClicks(control<QLineEdit>(&details, "Text3"), QStringLiteral("Bay \"7\", Line 2"));
        click(details, "Command1"); // &Continue

        MainWindow& main = m_windows->window<MainWindow>();
        QVERIFY(main.isVisible());
        // Right arm: upper 3 + shoulder raised = 4 (abduction clicked on and off again),
        // lower 2 + midline = 3, wrist 2, twist 2, static use, force 2: A 5, C 8.
        // Left arm: upper 2 - supported = 1, lower 1, wrist 1 + away from midline = 2,
        // twist 1, no static use, force 0: A 2, C 2.
        // Neck 3 + twisting = 4, trunk 2 + side-bending = 3, legs 2: B 7; muscle 1,
        // force 1: D 9. Grand scores: left C 2 / D 7+ = 5, right C 8+ / D 7+ = 7.
        for (const char* frame :
             {"Frame4",  "Frame6",  "Frame7",  "Frame7",  "Frame11", "Frame16", "Frame18", "Frame20", "Frame19",
              "Frame24", "Frame28", "Frame29", "Frame32", "Frame33", "Frame55", "Frame61", "Frame58", "Frame64",
              "Frame66", "Frame35", "Frame38", "Frame39", "Frame43", "Frame45", "Frame50"})
            clickOption(main, frame);
        click(main, "Command2"); // View &Results
        QVERIFY2(m_messages.empty(), m_messages.empty() ? "" : qPrintable(m_messages[0].text));
        QVERIFY(main.isHidden());
        QVERIFY(caution.isVisible());

        click(caution, "Command1"); // Accept, now to the results
        FinalResults& results = m_windows->window<FinalResults>();
        QVERIFY(results.isVisible());
        click(results, "Command2"); // &Action Level >>
        RULAAction& action = m_windows->window<RULAAction>();
        QVERIFY(action.isVisible());
        click(action, "Command7"); // &Save

        SaveWindow& save = saveWindow();
        QVERIFY(save.isVisible());
        QCOMPARE(control<QLineEdit>(&save, "Text1")->text(), QStringLiteral("O'Brien"));
        QVERIFY(control<FolderList>(&save, "Dir1")->setPath(dir.path()));
        QTest::keyClick(control<QLineEdit>(&save, "Text1"), Qt::Key_Return);

        QCOMPARE(m_messages.size(), std::size_t(1));
        QCOMPARE(m_messages[0].text, QStringLiteral("File Saved"));
        QCOMPARE(m_ends, 1);
        QCOMPARE(
            QDir(dir.path()).entryList(QDir::Files, QDir::Name),
            (QStringList{"O'Brien RULA Analysis.mdb", "O'Brien RULA Analysis.txt", "O'Brien RULA Evidence.sqlite"}));
        const QByteArray expected = readAll(QStringLiteral(TALVO_TEST_DATA "/savewin_road_expected.txt"));
        const QByteArray written = readAll(dir.filePath(QStringLiteral("O'Brien RULA Analysis.txt")));
        QCOMPARE(expected.count("\r\n"), 184);
        if (written != expected) {
            const QList<QByteArray> want = expected.split('\n');
            const QList<QByteArray> got = written.split('\n');
            for (int i = 0; i < std::min(want.size(), got.size()); ++i)
                QCOMPARE(QString::number(i + 1) + QLatin1Char(' ') + QString::fromLatin1(got[i]),
                         QString::number(i + 1) + QLatin1Char(' ') + QString::fromLatin1(want[i]));
            QCOMPARE(got.size(), want.size());
        }
        QCOMPARE(written, expected);
    }

private:
    // The Employee Details name box the Save window copies its name from.
    QLineEdit* employeeName()
    {
        QWidget& details = m_windows->window<EmployeeDetails>();
        return control<QLineEdit>(&details, "Text1");
    }

    static void click(QWidget& window, const char* button)
    {
        QTest::mouseClick(control<QPushButton>(&window, button), Qt::LeftButton);
    }

    // Brings the option's tab to the front by its header, then clicks the option's picture.
    static void clickOption(MainWindow& main, const char* frame)
    {
        auto* panel = control<OptionPanel>(&main, frame);
        TabbedPanel* tabs = main.tabs();
        int tab = 0;
        while (tab < tabs->count() && !tabs->page(tab)->isAncestorOf(panel))
            ++tab;
        QWidget* headers = control<QWidget>(tabs, "SSTab1Headers");
        QTest::mouseClick(headers, Qt::LeftButton, {}, headers->mapFrom(tabs, tabs->headerRect(tab).center()));
        QCOMPARE(tabs->currentIndex(), tab);
        auto* picture = panel->findChild<PictureControl*>();
        QVERIFY(picture && picture->isVisible());
        QTest::mouseClick(picture, Qt::LeftButton);
    }

    SaveWindow& saveWindow()
    {
        employeeName();
        return m_windows->window<SaveWindow>();
    }

    SaveWindow& openSaveIn(const QString& folder, const QString& name)
    {
        employeeName()->setText(name);
        SaveWindow& save = saveWindow();
        save.showWindow();
        if (!control<FolderList>(&save, "Dir1")->setPath(folder))
            qFatal("cannot open %s", qPrintable(folder));
        return save;
    }

    std::unique_ptr<ProgramState> m_state;
    std::unique_ptr<WindowSet> m_windows;
    std::vector<Message> m_messages;
    int m_ends = 0;
    QString m_watch;
    QStringList m_filesAtMessage;
};

QTEST_MAIN(SaveWindowTest)
#include "tst_savewindow.moc"
