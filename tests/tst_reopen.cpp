// SPDX-License-Identifier: GPL-3.0-or-later
// Reopening a saved result file: an assessment saved through the windows comes back into
// every box and panel, and saved again gives the same bytes; files that disagree with
// themselves or are not saved assessments are reported and change nothing.
#include "CautionStatement.h"
#include "Commands.h"
#include "EmployeeDetails.h"
#include "FileLists.h"
#include "FinalResults.h"
#include "MainWindow.h"
#include "ModelText.h"
#include "OptionCatalogue.h"
#include "OptionPanel.h"
#include "OverwriteFile.h"
#include "PictureControl.h"
#include "ProgramRuns.h"
#include "RULAAction.h"
#include "RebaWindow.h"
#include "SaveWindow.h"
#include "TabbedPanel.h"
#include "WindowTestSupport.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The hand-written file of an assessment (see tst_savewindow's whole road): its options, its
// body-part scores worked from the published tables, its employee texts as stored.
const QString RoadFile = QStringLiteral(TALVO_TEST_DATA "/savewin_road_expected.txt");

// The clicks of that assessment; Frame7 twice is the abduction clicked on and off again.
const char* const RoadClicks[] = {"Frame4",  "Frame6",  "Frame7",  "Frame7",  "Frame11", "Frame16", "Frame18",
                                  "Frame20", "Frame19", "Frame24", "Frame28", "Frame29", "Frame32", "Frame33",
                                  "Frame55", "Frame61", "Frame58", "Frame64", "Frame66", "Frame35", "Frame38",
                                  "Frame39", "Frame43", "Frame45", "Frame50"};

const QStringList RoadSelected = {"Frame4",  "Frame6",  "Frame11", "Frame16", "Frame18", "Frame20",
                                  "Frame19", "Frame24", "Frame28", "Frame29", "Frame32", "Frame33",
                                  "Frame55", "Frame61", "Frame58", "Frame64", "Frame66", "Frame35",
                                  "Frame38", "Frame39", "Frame43", "Frame45", "Frame50"};

// Each body part's score box and the score it shows for that assessment.
struct ScoreBox
{
    rula::Group group;
    const char* text;
};
const ScoreBox RoadScores[] = {
    {rula::Group::UpperRight, "4"},      {rula::Group::UpperLeft, "1"},      {rula::Group::LowerRight, "3"},
    {rula::Group::LowerLeft, "1"},       {rula::Group::WristRight, "2"},     {rula::Group::WristTwistRight, "2"},
    {rula::Group::WristLeft, "2"},       {rula::Group::WristTwistLeft, "1"}, {rula::Group::Neck, "4"},
    {rula::Group::Trunk, "3"},           {rula::Group::Legs, "2"},           {rula::Group::MuscleRightUpper, "1"},
    {rula::Group::MuscleLeftUpper, "0"}, {rula::Group::MuscleLower, "1"},    {rula::Group::ForceRightUpper, "2"},
    {rula::Group::ForceLeftUpper, "0"},  {rula::Group::ForceLower, "1"},
};

QByteArray replaceLine(QByteArray bytes, int line, const QByteArray& with)
{
    qsizetype start = 0;
    for (int i = 1; i < line; ++i)
        start = bytes.indexOf("\r\n", start) + 2;
    return bytes.replace(start, bytes.indexOf("\r\n", start) - start, with);
}

QByteArray firstLines(const QByteArray& bytes, int count)
{
    qsizetype end = 0;
    for (int i = 0; i < count; ++i)
        end = bytes.indexOf("\r\n", end) + 2;
    return bytes.left(end);
}

} // namespace

class ReopenTest : public QObject, public WindowFixture
{
    Q_OBJECT

private slots:
    void initTestCase() { startRecording(); }
    void init() { makeWindows(); }
    void cleanup() { dropWindows(); }

    // Saved through the windows, reopened in a fresh run, looked at, viewed and saved again
    // under another name: the second file is the first byte for byte.
    void reopenedAssessmentSavesTheSameFile()
    {
        QTemporaryDir dir;
        saveRoadThroughTheWindows(dir.path());
        const QString first = dir.filePath(QStringLiteral("O'Brien RULA Analysis.txt"));
        QCOMPARE(readAll(first), readAll(RoadFile));

        // A new run of the program with the file as its argument.
        dropWindows();
        makeWindows();
        ReopenAssessment(first, *windows);
        QVERIFY2(recorder.messages.isEmpty(), qPrintable(recorder.messages.join(QLatin1Char('\n'))));

        CautionStatement& caution = windows->window<CautionStatement>();
        caution.showWindow();
        click(caution, "Command1");
        EmployeeDetails& details = windows->window<EmployeeDetails>();
        QVERIFY(details.isVisible());
        // The evidence kept the name as typed, apostrophe and all.
        QCOMPARE(child<QLineEdit>(details, "Text1")->text(), QStringLiteral("O'Brien"));
        QCOMPARE(child<QLineEdit>(details, "Text2")->text(), QStringLiteral("E-042"));
        QCOMPARE(child<QLineEdit>(details, "Text3")->text(), QStringLiteral("Bay \"7\", Line 2"));
        click(details, "Command1");

        MainWindow& main = windows->window<MainWindow>();
        QVERIFY(main.isVisible());
        const QList<OptionPanel*> panels = main.findChildren<OptionPanel*>();
        QCOMPARE(panels.size(), rula::OptionCount);
        for (const OptionPanel* panel : panels)
            QVERIFY2(panel->isSelected() == RoadSelected.contains(panel->objectName()),
                     qPrintable(panel->objectName()));
        for (const ScoreBox& box : RoadScores) {
            const QByteArray name = modelText(rula::groupInfo(box.group).scoreLabel).toLatin1();
            QCOMPARE(labelText(main, name.constData()), QString::fromLatin1(box.text));
        }

        click(main, "Command2"); // View &Results
        QVERIFY2(recorder.messages.isEmpty(), qPrintable(recorder.messages.join(QLatin1Char('\n'))));
        click(caution, "Command1");
        FinalResults& results = windows->window<FinalResults>();
        QVERIFY(results.isVisible());
        QCOMPARE(labelText(results, "Label16"), QStringLiteral("5")); // grand score, left
        QCOMPARE(labelText(results, "Label17"), QStringLiteral("7")); // grand score, right
        click(results, "Command2");
        RULAAction& action = windows->window<RULAAction>();
        click(action, "Command7"); // &Save

        // The same name in the file's folder: saving asks before overwriting it.
        SaveWindow& save = windows->window<SaveWindow>();
        QVERIFY(save.isVisible());
        auto* name = child<QLineEdit>(save, "Text1");
        QCOMPARE(name->text(), QStringLiteral("O'Brien"));
        QCOMPARE(QDir(child<FolderList>(save, "Dir1")->path()), QDir(dir.path()));
        QTest::keyClick(name, Qt::Key_Return);
        OverwriteFile& overwrite = windows->window<OverwriteFile>();
        QVERIFY(overwrite.isVisible());
        click(overwrite, "Command5"); // &New Filename
        QCOMPARE(recorder.messages, QStringList{QStringLiteral("Please select another file name")});

        QTest::keyClicks(name, QStringLiteral("Second"));
        QTest::keyClick(name, Qt::Key_Return);
        QCOMPARE(recorder.messages.last(), QStringLiteral("File Saved"));
        QCOMPARE(recorder.ends, 1);
        QCOMPARE(readAll(dir.filePath(QStringLiteral("Second RULA Analysis.txt"))), readAll(first));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files, QDir::Name),
                 (QStringList{"O'Brien RULA Analysis.mdb", "O'Brien RULA Analysis.txt", "O'Brien RULA Evidence.sqlite",
                              "Second RULA Analysis.mdb", "Second RULA Analysis.txt", "Second RULA Evidence.sqlite"}));
    }

    // REBA beside RULA for the same worker, a nurse moving a patient: chosen by keyboard and
    // by clicks on the REBA window, shown at every click, saved with the assessment, shown
    // again when it is reopened, and printed on the report's REBA page. The expected scores are
    // worked by hand from the published worksheet (tests/data/reba_tables.txt): neck 2 + 1,
    // trunk 3 + 1, legs 2 + knees 1: Table A (trunk 4, neck 3, legs 3) 8, load 1: score A 9.
    // Right: upper arm 3 + 1, lower arm 2, wrist 2: Table B 6, poor coupling 2: score B 8,
    // Table C (9, 8) 11, rapid changes 1: 12. Left: upper arm 2 - 1, lower arm 1, wrist 1:
    // Table B 1, score B 3, Table C (9, 3) 9: 10.
    void rebaIsScoredSavedReopenedAndReported()
    {
        QTemporaryDir dir;
        MainWindow& main = windows->window<MainWindow>();
        main.showWindow();
        click(main, "RebaButton");
        RebaWindow& reba = windows->window<RebaWindow>();
        QVERIFY(QTest::qWaitForWindowActive(&reba));
        QCOMPARE(reba.windowTitle(), QStringLiteral("REBA: Rapid Entire Body Assessment"));
        QVERIFY(!(reba.windowFlags() & (Qt::Dialog & ~Qt::Window))); // a window of its own on the task bar
        QVERIFY(labelText(reba, "RebaMissing").startsWith(QStringLiteral("Neck: no band chosen")));
        QCOMPARE(labelText(reba, "RebaScoreA"), QString());

        // By keyboard: the first band has the focus; an arrow moves to the next, Space chooses,
        // Tab goes on to the adjustment and to the next group.
        auto* neck1 = child<PictureControl>(reba, "RebaNeck1Picture");
        neck1->setFocus(Qt::TabFocusReason);
        QTest::keyClick(neck1, Qt::Key_Right);
        QVERIFY(child<PictureControl>(reba, "RebaNeck2Picture")->hasFocus());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), child<QCheckBox>(reba, "RebaNeckAdjust"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), child<PictureControl>(reba, "RebaLegs1Picture"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left); // wraps round to the last
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        for (const char* name : {"RebaNeck2", "RebaLegs2", "RebaKnees1"})
            QVERIFY2(child<OptionPanel>(reba, name)->isSelected(), name);
        QVERIFY(child<QCheckBox>(reba, "RebaNeckAdjust")->isChecked());

        // By clicks; the coupling last.
        for (const char* name : {"RebaTrunk3", "RebaLoad1", "RebaUpperArm3Right", "RebaLowerArm2Right",
                                 "RebaWrist2Right", "RebaUpperArm2Left", "RebaLowerArm1Left", "RebaWrist1Left"})
            QTest::mouseClick(child<OptionPanel>(reba, name)->picture(), Qt::LeftButton);
        for (const char* name : {"RebaTrunkAdjust", "RebaAbductedRight", "RebaArmSupportedLeft", "RebaRapid"})
            QTest::mouseClick(child<QCheckBox>(reba, name), Qt::LeftButton);
        QCOMPARE(labelText(reba, "RebaScoreA"), QStringLiteral("9"));
        QCOMPARE(labelText(reba, "RebaScoreBRight"), QString());
        QCOMPARE(labelText(reba, "RebaRiskRight"), QString());
        QCOMPARE(labelText(reba, "RebaMissing"), QStringLiteral("Coupling: no band chosen"));
        QTest::mouseClick(child<OptionPanel>(reba, "RebaCoupling2")->picture(), Qt::LeftButton);
        const std::pair<const char*, const char*> shown[] = {
            {"RebaScoreA", "9"},
            {"RebaScoreBRight", "8"},
            {"RebaScoreBLeft", "3"},
            {"RebaScoreCRight", "11"},
            {"RebaScoreCLeft", "9"},
            {"RebaScoreRight", "12"},
            {"RebaScoreLeft", "10"},
            {"RebaRiskRight", "11–15 Very high: necessary now"},
            {"RebaRiskLeft", "8–10 High: necessary soon"},
            {"RebaMissing", ""},
            {"RebaNeckSource", "by hand"},
        };
        for (const auto& [name, text] : shown)
            QCOMPARE(labelText(reba, name), QString::fromUtf8(text));
        const rula::reba::RebaChoices chosen = state->reba;
        reba.hide();

        saveRoadThroughTheWindows(dir.path());
        const QString file = dir.filePath(QStringLiteral("O'Brien RULA Analysis.txt"));
        // REBA lives in the evidence only: the specified result file is the one RULA alone gives.
        QCOMPARE(readAll(file), readAll(RoadFile));

        dropWindows();
        makeWindows();
        ReopenAssessment(file, *windows);
        QVERIFY2(recorder.messages.isEmpty(), qPrintable(recorder.messages.join(QLatin1Char('\n'))));
        QVERIFY(state->reba == chosen);
        RebaWindow& again = windows->window<RebaWindow>();
        for (const auto& [name, text] : shown)
            QCOMPARE(labelText(again, name), QString::fromUtf8(text));
        QVERIFY(child<OptionPanel>(again, "RebaKnees1")->isSelected());
        QVERIFY(child<QCheckBox>(again, "RebaArmSupportedLeft")->isChecked());

        // The report of the saved file has REBA's page, every score traced.
        const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
        const Run report = runProgram({QStringLiteral("--report"), file, QStringLiteral("-o"), pdf});
        QCOMPARE(report.status, 0);
        QProcess pdftotext;
        pdftotext.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        QVERIFY(pdftotext.waitForFinished(30000));
        const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput()).simplified();
        for (const char* expected :
             {"REBA: Rapid Entire Body Assessment", "Table A: trunk 4, neck 3, legs 3 (legs 2 + knees 1) gives 8",
              "Score A: Table A 8 + load 1 gives 9", "Table B (right): upper arm 4, lower arm 2, wrist 2 gives 6",
              "Table C (right): score A 9, score B 8 gives 11", "REBA score (left): score C 9 + activity 1 gives 10",
              "risk 11–15 Very high: necessary now"})
            QVERIFY2(text.contains(QString::fromUtf8(expected)), expected);

        // The register has REBA's four columns.
        const QString csv = dir.filePath(QStringLiteral("register.csv"));
        QCOMPARE(runProgram({QStringLiteral("--register"), dir.path(), QStringLiteral("-o"), csv}).status, 0);
        const QList<QByteArray> rows = readAll(csv).split('\n');
        QVERIFY(rows[0].trimmed().endsWith("REBA Score Right,REBA Score Left,REBA Risk Right,REBA Risk Left"));
        QVERIFY2(rows[1].trimmed().endsWith(QString::fromUtf8(",12,10,11–15 Very high: necessary now,"
                                                              "8–10 High: necessary soon")
                                                .toUtf8()),
                 rows[1].constData());
    }

    // A file edited by hand: its neck and left wrist scores no longer follow from its options.
    // The assessor is told which, and the boxes show what the options give.
    void savedScoresThatDisagreeAreNamedAndRecomputed()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Edited RULA Analysis.txt"));
        QVERIFY(writeFile(path, replaceLine(replaceLine(readAll(RoadFile), 34, "2"), 10, "3")));
        ReopenAssessment(path, *windows);

        QCOMPARE(recorder.messages.size(), 1);
        const QString message = recorder.messages[0];
        QVERIFY2(message.contains(path), qPrintable(message));
        QVERIFY2(message.contains(QStringLiteral("Neck: saved 2, the options give 4")), qPrintable(message));
        QVERIFY2(message.contains(QStringLiteral("Left Wrist Angle: saved 3, the options give 2")),
                 qPrintable(message));
        QVERIFY2(!message.contains(QStringLiteral("Trunk")), qPrintable(message));
        MainWindow& main = windows->window<MainWindow>();
        QCOMPARE(labelText(main, modelText(rula::groupInfo(rula::Group::Neck).scoreLabel).toLatin1().constData()),
                 QStringLiteral("4"));
        QCOMPARE(labelText(main, modelText(rula::groupInfo(rula::Group::WristLeft).scoreLabel).toLatin1().constData()),
                 QStringLiteral("2"));
        QVERIFY(main.panel(36)->isSelected()); // Frame55: neck flexed more than 20°
        QCOMPARE(child<QLineEdit>(windows->window<EmployeeDetails>(), "Text1")->text(), QStringLiteral("OBrien"));
    }

    void aFileThatIsNotASavedAssessmentChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("firstBadLine");
        const QByteArray road = readAll(RoadFile);
        QTest::newRow("truncated after 100 lines") << firstLines(road, 100) << QStringLiteral("line 101");
        QTest::newRow("a shopping list") << QByteArray("milk\r\neggs\r\n") << QStringLiteral("line 1");
        QTest::newRow("two postures for the neck")
            << replaceLine(road, 114, "\"True\"") << QStringLiteral("line 116"); // Neck options 2 and 3
    }
    void aFileThatIsNotASavedAssessmentChangesNothing()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, firstBadLine);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Smith RULA Analysis.txt"));
        QVERIFY(writeFile(path, bytes));
        ReopenAssessment(path, *windows);

        QCOMPARE(recorder.titles, QStringList{QStringLiteral("Error")});
        const QString message = recorder.messages[0];
        QVERIFY2(message.contains(path), qPrintable(message));
        QVERIFY2(message.contains(firstBadLine + QLatin1Char(':')), qPrintable(message));
        // An empty assessment: empty boxes, nothing selected, and the Save window as usual.
        for (const char* box : {"Text1", "Text2", "Text3"})
            QCOMPARE(child<QLineEdit>(windows->window<EmployeeDetails>(), box)->text(), QString());
        for (int option = 0; option < rula::OptionCount; ++option)
            QVERIFY(!state->assessment.isSelected(option));
        QCOMPARE(QDir(child<FolderList>(windows->window<SaveWindow>(), "Dir1")->path()), QDir::current());
        QCOMPARE(readAll(path), bytes);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("Smith RULA Analysis.txt")});
    }

private:
    // The whole road of tst_savewindow by clicks and typing, saved as "O'Brien" in `folder`.
    void saveRoadThroughTheWindows(const QString& folder)
    {
        CautionStatement& caution = windows->window<CautionStatement>();
        caution.showWindow();
        click(caution, "Command1");
        EmployeeDetails& details = windows->window<EmployeeDetails>();
        QTest::keyClicks(child<QLineEdit>(details, "Text1"), QStringLiteral("O'Brien"));
        QTest::keyClicks(child<QLineEdit>(details, "Text2"), QStringLiteral("E-042"));
        QTest::keyClicks(child<QLineEdit>(details, "Text3"), QStringLiteral("Bay \"7\", Line 2"));
        click(details, "Command1");
        MainWindow& main = windows->window<MainWindow>();
        for (const char* frame : RoadClicks)
            clickOption(main, frame);
        click(main, "Command2");
        click(caution, "Command1");
        click(windows->window<FinalResults>(), "Command2");
        click(windows->window<RULAAction>(), "Command7");
        SaveWindow& save = windows->window<SaveWindow>();
        QVERIFY(child<FolderList>(save, "Dir1")->setPath(folder));
        QTest::keyClick(child<QLineEdit>(save, "Text1"), Qt::Key_Return);
        QCOMPARE(recorder.messages, QStringList{QStringLiteral("File Saved")});
    }

    // Brings the option's tab to the front by its header, then clicks the option's picture.
    static void clickOption(MainWindow& main, const char* frame)
    {
        auto* panel = child<OptionPanel>(main, frame);
        TabbedPanel* tabs = main.tabs();
        int tab = 0;
        while (tab < tabs->count() && !tabs->page(tab)->isAncestorOf(panel))
            ++tab;
        QWidget* headers = child<QWidget>(*tabs, "SSTab1Headers");
        QTest::mouseClick(headers, Qt::LeftButton, {}, headers->mapFrom(tabs, tabs->headerRect(tab).center()));
        auto* picture = panel->findChild<PictureControl*>();
        QVERIFY(picture && picture->isVisible());
        QTest::mouseClick(picture, Qt::LeftButton);
    }
};

QTEST_MAIN(ReopenTest)
#include "tst_reopen.moc"
