// SPDX-License-Identifier: GPL-3.0-or-later
// The printed report: made from a live assessment by "Re&port..." and from its saved file by
// the command line, the two read the same; hostile texts stay on the page; a file that is no
// saved assessment is refused with its first bad line and leaves no report behind.
#include "AssessmentReport.h"
#include "CautionStatement.h"
#include "EmployeeDetails.h"
#include "FileLists.h"
#include "FinalResults.h"
#include "MainWindow.h"
#include "OptionCatalogue.h"
#include "PdfChecks.h"
#include "RULAAction.h"
#include "ReportDialogs.h"
#include "SaveWindow.h"
#include "SavedAssessment.h"
#include "ScoreSheetLayout.h"
#include "WindowTestSupport.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString RoadFile = QStringLiteral(TALVO_TEST_DATA "/savewin_road_expected.txt");

struct ProgramRun
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

ProgramRun run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    ProgramRun result;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

// The text of a PDF as pdftotext reads it, every run of white space made one blank.
QString pdfText(const QString& path)
{
    const ProgramRun text =
        run(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), path, QStringLiteral("-")});
    if (text.exitCode != 0)
        qFatal("pdftotext failed on %s: %s", qPrintable(path), text.err.constData());
    return QString::fromUtf8(text.out).simplified();
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray replaceLine(QByteArray bytes, int line, const QByteArray& with)
{
    qsizetype start = 0;
    for (int i = 1; i < line; ++i)
        start = bytes.indexOf("\r\n", start) + 2;
    const qsizetype end = bytes.indexOf("\r\n", start);
    return bytes.replace(start, end - start, with);
}

QByteArray dropLine(QByteArray bytes, int line)
{
    qsizetype start = 0;
    for (int i = 1; i < line; ++i)
        start = bytes.indexOf("\r\n", start) + 2;
    return bytes.remove(start, bytes.indexOf("\r\n", start) + 2 - start);
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Types any letters, one key press each (QTest::keyClicks takes only ASCII).
void type(QWidget* box, const QString& text)
{
    for (const QChar letter : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(letter));
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(letter));
        QApplication::sendEvent(box, &press);
        QApplication::sendEvent(box, &release);
    }
}

std::vector<int> optionsOf(std::initializer_list<const char*> panels)
{
    std::vector<int> options;
    for (const char* panel : panels)
        options.push_back(rula::optionIndexOfPanel(panel));
    return options;
}

} // namespace

class ReportTest : public QObject, public WindowFixture
{
    Q_OBJECT

private slots:
    void initTestCase() { startRecording(); }
    void init() { makeWindows(); }
    void cleanup()
    {
        dropWindows();
        ReportDialogs::resetHandlers();
    }

    void liveReportAndTheReportOfItsSavedFileReadTheSame();
    void upperArmZeroIsExplainedOnTheScoreSheet();
    void hostileTextsStayInsideThePage();
    void aReportThatCannotBeWrittenChangesNothing();
    void malformedFileIsRefusedWithItsLine_data();
    void malformedFileIsRefusedWithItsLine();
    void defaultReportNameIsBesideTheSavedFile();
    void writeErrorNamesTheFileAsItsSiblingsDo();
    void savedScoresThatDifferFromTheOptionsAreNamed();

private:
    // Caution, employee details and the main window, with the options chosen as their
    // pictures' clicks choose them, up to the final results window.
    FinalResults& assessUpToTheResults(const QStringList& texts, const std::vector<int>& options)
    {
        CautionStatement& caution = windows->window<CautionStatement>();
        caution.showWindow();
        click(caution, "Command1");
        EmployeeDetails& details = windows->window<EmployeeDetails>();
        for (int i = 0; i < 3; ++i)
            type(child<QLineEdit>(details, qPrintable(QStringLiteral("Text%1").arg(i + 1))), texts[i]);
        click(details, "Command1");
        MainWindow& main = windows->window<MainWindow>();
        for (int option : options)
            main.selectOption(option);
        click(main, "Command2"); // View &Results
        click(caution, "Command1");
        return windows->window<FinalResults>();
    }
};

// The whole road of tst_savewindow, worked by hand from the published tables: A left 2,
// A right 5, B 7, C left 2, C right 8, D 9, grand left 5 (action level 3), grand right 7
// (action level 4).
void ReportTest::liveReportAndTheReportOfItsSavedFileReadTheSame()
{
    QTemporaryDir dir;
    const QStringList texts = {QStringLiteral("Ana Mar\u00eda O'N\u00fa\u00f1ez"), QStringLiteral("E-042"),
                               QStringLiteral("Bay \"7\", Line 2")};
    // Both reports print the employee texts as typed, the apostrophe included: the evidence
    // file keeps them so.
    const QStringList printed = texts;
    FinalResults& results = assessUpToTheResults(
        texts, optionsOf({"Frame4",  "Frame6",  "Frame11", "Frame16", "Frame18", "Frame20", "Frame19", "Frame24",
                          "Frame28", "Frame29", "Frame32", "Frame33", "Frame55", "Frame61", "Frame58", "Frame64",
                          "Frame66", "Frame35", "Frame38", "Frame39", "Frame43", "Frame45", "Frame50"}));
    QVERIFY2(recorder.messages.isEmpty(), qPrintable(recorder.messages.join(QLatin1Char('\n'))));

    // Each computed score's tool tip says how it was reached.
    const std::pair<const char*, const char*> tips[] = {
        {"Label10", "Table A: upper arm 1, lower arm 1, wrist 2, twist 1 gives 2 (row 1, column 3)"},
        {"Label11", "Table A: upper arm 4, lower arm 3, wrist 2, twist 2 gives 5 (row 12, column 4)"},
        {"Label23", "Table B: neck 4, trunk 3, legs 2 gives 7 (row 4, column 6)"},
        {"Label14", "Score C: posture score A 5 + muscle use 1 + force 2 gives 8"},
        {"Label15", "Score C: posture score A 2 + muscle use 0 + force 0 gives 2"},
        {"Label26", "Score D: posture score B 7 + muscle use 1 + force 1 gives 9"},
        {"Label16", "Table C: score C 2, score D 9 (read as 7+) gives 5 (row 2, column 7)"},
        {"Label17", "Table C: score C 8 (read as 8+), score D 9 (read as 7+) gives 7 (row 8, column 7)"},
    };
    for (const auto& [label, tip] : tips)
        QCOMPARE(child<QLabel>(results, label)->toolTip(), QString::fromUtf8(tip));
    QCOMPARE(labelText(results, "Label17"), QStringLiteral("7"));

    click(results, "Command2"); // &Action Level >>
    RULAAction& action = windows->window<RULAAction>();
    QCOMPARE(labelText(action, "Label1"), QStringLiteral("Action Level 4"));

    // Re&port...: the platform's dialog proposes the name in the Save window's folder.
    const QString live = dir.filePath(QStringLiteral("live.pdf"));
    QString proposed, asked, opened;
    ReportDialogs::setHandlers({[&](QWidget*, const QString& path) {
                                    proposed = path;
                                    return live;
                                },
                                [&](QWidget*, const QString& text) {
                                    asked = text;
                                    return true;
                                },
                                [&](const QString& path) {
                                    opened = path;
                                    return false; // no PDF viewer on this desktop
                                }});
    QApplication::setActiveWindow(&action);
    QVERIFY(QTest::qWaitForWindowActive(&action));
    QTest::keyClick(&action, Qt::Key_P, Qt::AltModifier); // the access key of Re&port...
    QTRY_COMPARE(asked, QStringLiteral("Report saved:\n") + live);
    QCOMPARE(proposed, QDir(windows->window<SaveWindow>().saveFolder())
                           .filePath(QStringLiteral("Ana Mar\u00eda O'N\u00fa\u00f1ez RULA Report.pdf")));
    QCOMPARE(opened, live);
    QCOMPARE(recorder.messages.size(), 1);
    QVERIFY2(recorder.messages[0].contains(QStringLiteral("no program to show PDF files")) &&
                 recorder.messages[0].contains(live),
             qPrintable(recorder.messages[0]));
    recorder.clear();
    QVERIFY(action.isVisible()); // the assessment stays open to be saved

    // Saved as usual, then reported from the command line.
    click(action, "Command7");
    SaveWindow& save = windows->window<SaveWindow>();
    QVERIFY(child<FolderList>(save, "Dir1")->setPath(dir.path()));
    QTest::keyClick(child<QLineEdit>(save, "Text1"), Qt::Key_Return);
    QCOMPARE(recorder.messages, QStringList{QStringLiteral("File Saved")});
    const QString saved = dir.filePath(texts[0] + QStringLiteral(" RULA Analysis.txt"));
    {
        // A report from a file is dated when the file was last written: here, the moment of
        // the results.
        QFile file(saved);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(state->record.assessedAt, QFileDevice::FileModificationTime));
    }
    const QString fromFile = dir.filePath(QStringLiteral("from file.pdf"));
    const ProgramRun report =
        run(QStringLiteral(TALVO_PROGRAM), {QStringLiteral("--report"), saved, QStringLiteral("-o"), fromFile});
    QVERIFY2(report.exitCode == 0, report.err.constData());
    QVERIFY2(report.err.isEmpty(), report.err.constData());

    // The save after the live report is the assessment's first revision: the report of the
    // file adds its history on a last page of its own, and reads the same before it.
    QCOMPARE(pdfAProblems(live), QString());
    const QString liveText = pdfText(live);
    const QString fileText = pdfText(fromFile);
    const qsizetype history = fileText.lastIndexOf(QStringLiteral("History of this assessment"));
    QVERIFY2(history > 0, qPrintable(fileText.right(300)));
    QVERIFY2(fileText.mid(history).contains(QStringLiteral("Revision 1,")), qPrintable(fileText.mid(history)));
    QCOMPARE(fileText.left(history).section(QStringLiteral(" TALVO RULA "), 0, -2),
             liveText.section(QStringLiteral(" TALVO RULA "), 0, -2));
    for (const QString& text : printed)
        QVERIFY2(liveText.contains(text), qPrintable(text));
    for (const auto& [label, tip] : tips)
        QVERIFY2(liveText.contains(QString::fromUtf8(tip)), tip);
    for (const char* level :
         {"Right side: Action Level 4", "Left side: Action Level 3",
          "investigation and changes are required immediately", "investigation and changes are required soon"})
        QVERIFY2(liveText.contains(QLatin1String(level)), level);
    QVERIFY(liveText.contains(QLocale::system().toString(state->record.assessedAt.date(), QLocale::LongFormat)));
}

// Upper arm option 1 with the arm supported scores 0, which Table A reads as 1.
void ReportTest::upperArmZeroIsExplainedOnTheScoreSheet()
{
    // Every group at its lowest score, then the right arm's "supported" adjustment (option 8).
    std::vector<int> options =
        optionsOf({"Frame1", "Frame9", "Frame17", "Frame19", "Frame23", "Frame27", "Frame29", "Frame33", "Frame53",
                   "Frame57", "Frame65", "Frame36", "Frame38", "Frame40", "Frame41", "Frame45", "Frame49"});
    options.push_back(rula::groupInfo(rula::Group::UpperRight).firstOption + 7);
    FinalResults& results =
        assessUpToTheResults({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}, options);
    QCOMPARE(labelText(results, "Label3"), QStringLiteral("0")); // the right upper arm
    QCOMPARE(child<QLabel>(results, "Label11")->toolTip(),
             QStringLiteral("Table A: upper arm 0 (looked up as 1, the lowest band), lower arm 1, wrist 1, twist 1 "
                            "gives 1 (row 1, column 1)"));
    QCOMPARE(child<QLabel>(results, "Label3")->toolTip(), QStringLiteral("Upper Right Arm"));
}

// Five thousand characters in each box, quotes, right-to-left and CJK letters, and a word
// longer than a line: every word pdftotext finds lies inside the 15 mm margins, and the
// texts are printed whole.
void ReportTest::hostileTextsStayInsideThePage()
{
    SavedAssessment saved = ReadSavedAssessmentFile(RoadFile);
    QVERIFY2(saved.ok, qPrintable(saved.error));
    QString mixed;
    while (mixed.size() < 4990)
        mixed += QStringLiteral("\"Quoted\" \u0645\u0631\u062d\u0628\u0627 \u05e9\u05dc\u05d5\u05dd "
                                "\u4f60\u597d\u4e16\u754c Ta\u00df ");
    mixed = mixed.left(4990) + QStringLiteral(" ENDMARK");
    QString rightToLeft;
    while (rightToLeft.size() < 5000)
        rightToLeft += QStringLiteral("\u0645\u0631\u062d\u0628\u0627 \u0628\u0643\u0645 ");
    saved.record.stored = {mixed, QString(5000, QLatin1Char('W')), rightToLeft.left(5000)};
    saved.record.typed = saved.record.stored;

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("hostile.pdf"));
    ReportContent content;
    content.record = saved.record;
    content.scoreSheet = ScoreSheetLayout::placesOf(saved.record);
    // A tall workplace picture beside the long texts, and more extra pictures than are shown.
    content.workplacePicture = QImage(300, 2000, QImage::Format_RGB32);
    content.workplacePicture.fill(Qt::darkCyan);
    for (int i = 0; i < 5; ++i) {
        content.extraPictures.emplace_back(1600, 300, QImage::Format_RGB32);
        content.extraPictures.back().fill(QColor::fromHsv(60 * i, 200, 200));
    }
    const ReportOutcome outcome = WriteReport(content, path);
    QVERIFY2(outcome.ok, qPrintable(outcome.error));

    const ProgramRun boxes = run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, QStringLiteral("-")});
    QCOMPARE(boxes.exitCode, 0);
    const QString html = QString::fromUtf8(boxes.out);
    const QRegularExpression page(QStringLiteral("<page width=\"([\\d.]+)\" height=\"([\\d.]+)\">"));
    const QRegularExpression word(QStringLiteral("<word xMin=\"([\\d.-]+)\" yMin=\"([\\d.-]+)\" xMax=\"([\\d.-]+)\" "
                                                 "yMax=\"([\\d.-]+)\">([^<]*)</word>"));
    const double margin = 15 / 25.4 * 72 - 1.5; // points, less a little for glyph overhang
    int pages = 0, words = 0;
    for (const QString& pageHtml : html.split(QStringLiteral("</page>"))) {
        const QRegularExpressionMatch size = page.match(pageHtml);
        if (!size.hasMatch())
            continue;
        ++pages;
        const double width = size.captured(1).toDouble();
        const double height = size.captured(2).toDouble();
        for (auto it = word.globalMatch(pageHtml); it.hasNext();) {
            const QRegularExpressionMatch w = it.next();
            ++words;
            const QRectF box(QPointF(w.captured(1).toDouble(), w.captured(2).toDouble()),
                             QPointF(w.captured(3).toDouble(), w.captured(4).toDouble()));
            const QString where = QStringLiteral("page %1: \"%2\" at %3,%4-%5,%6")
                                      .arg(pages)
                                      .arg(w.captured(5).left(20))
                                      .arg(box.left())
                                      .arg(box.top())
                                      .arg(box.right())
                                      .arg(box.bottom());
            QVERIFY2(box.left() >= margin && box.top() >= margin, qPrintable(where));
            QVERIFY2(box.right() <= width - margin && box.bottom() <= height - margin, qPrintable(where));
        }
    }
    QVERIFY(words > 500);
    QVERIFY2(pages >= 4, "the texts in full continue after the third page");
    const QString text = pdfText(path);
    QVERIFY(text.contains(QStringLiteral("ENDMARK")));
    QVERIFY(text.contains(QStringLiteral("Employee details in full")));
}

// A folder that does not exist: the message says what failed; no file, the window stays.
void ReportTest::aReportThatCannotBeWrittenChangesNothing()
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("missing/report.pdf"));
    bool asked = false;
    ReportDialogs::setHandlers({[&](QWidget*, const QString&) { return target; },
                                [&](QWidget*, const QString&) {
                                    asked = true;
                                    return false;
                                },
                                [](const QString&) { return true; }});
    RULAAction& action = windows->window<RULAAction>();
    action.showWindow();
    click(action, "Command8");
    QCOMPARE(recorder.messages.size(), 1);
    QVERIFY2(recorder.messages[0].startsWith(QStringLiteral("The report could not be saved.")),
             qPrintable(recorder.messages[0]));
    QVERIFY2(recorder.messages[0].contains(QDir::toNativeSeparators(target)), qPrintable(recorder.messages[0]));
    QCOMPARE(recorder.titles[0], QStringLiteral("Error"));
    QVERIFY(!asked);
    QVERIFY(!QFile::exists(target));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    QVERIFY(action.isVisible());
    QCOMPARE(recorder.ends, 0);
}

void ReportTest::malformedFileIsRefusedWithItsLine_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("line");
    const QByteArray good = readAll(RoadFile);
    // Lines 21 and 22 are "Upper Right Arm Score" and its value; the file has 184 lines.
    QTest::newRow("a line missing") << dropLine(good, 184) << QStringLiteral("line 184:");
    QTest::newRow("a label changed") << replaceLine(good, 21, "\"Upper Rigth Arm Score\"")
                                     << QStringLiteral("line 21:");
    QTest::newRow("a score not a number") << replaceLine(good, 22, "four") << QStringLiteral("line 22:");
}

// Run as an assessor runs it: one line on stderr naming the file and its first bad line,
// exit status 1, no report.
void ReportTest::malformedFileIsRefusedWithItsLine()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, line);
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("Smith RULA Analysis.txt"));
    QVERIFY(writeFile(input, bytes));

    for (const QStringList& extra : {QStringList(), QStringList{QStringLiteral("-o"), dir.filePath("out.pdf")}}) {
        const ProgramRun report =
            run(QStringLiteral(TALVO_PROGRAM), QStringList{QStringLiteral("--report"), input} + extra);
        QCOMPARE(report.exitCode, 1);
        const QString err = QString::fromUtf8(report.err);
        QCOMPARE(err.count(QLatin1Char('\n')), 1);
        QVERIFY2(err.startsWith(QStringLiteral("talvo-rula: %1: %2 ").arg(input, line)), qPrintable(err));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("Smith RULA Analysis.txt")});
    }
}

// " Report.pdf" in place of ".txt", beside the input; appended to any other name.
void ReportTest::defaultReportNameIsBesideTheSavedFile()
{
    QTemporaryDir dir;
    const QByteArray good = readAll(RoadFile);
    const QString input = dir.filePath(QStringLiteral("Smith RULA Analysis.txt"));
    QVERIFY(writeFile(input, good));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("copy.saved")), good));
    for (const QString& name : {QStringLiteral("Smith RULA Analysis.txt"), QStringLiteral("copy.saved")}) {
        const ProgramRun report = run(QStringLiteral(TALVO_PROGRAM), {QStringLiteral("--report"), dir.filePath(name)});
        QVERIFY2(report.exitCode == 0, report.err.constData());
    }
    QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name),
             (QStringList{QStringLiteral("Smith RULA Analysis Report.pdf"), QStringLiteral("copy.saved Report.pdf")}));
    QVERIFY(pdfText(dir.filePath(QStringLiteral("copy.saved Report.pdf"))).contains(QStringLiteral("OBrien")));
}

// "talvo-rula: FILE: why", as --compare and --register write theirs.
void ReportTest::writeErrorNamesTheFileAsItsSiblingsDo()
{
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("Smith RULA Analysis.txt"));
    QVERIFY(writeFile(input, readAll(RoadFile)));
    const QString output = dir.filePath(QStringLiteral("no such folder/out.pdf"));
    const ProgramRun report = run(QStringLiteral(TALVO_PROGRAM), {QStringLiteral("--report"), input, "-o", output});
    QCOMPARE(report.exitCode, 1);
    const QString err = QString::fromUtf8(report.err);
    QCOMPARE(err.count(QLatin1Char('\n')), 1);
    QVERIFY2(err.startsWith(QStringLiteral("talvo-rula: %1: cannot be written: ").arg(output)), qPrintable(err));
}

// A file whose saved score was changed by hand is still reported, from its options, and the
// assessor is told which score differs.
void ReportTest::savedScoresThatDifferFromTheOptionsAreNamed()
{
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("Smith RULA Analysis.txt"));
    QVERIFY(writeFile(input, replaceLine(readAll(RoadFile), 22, "6")));
    const ProgramRun report = run(QStringLiteral(TALVO_PROGRAM), {QStringLiteral("--report"), input});
    QVERIFY2(report.exitCode == 0, report.err.constData());
    const QString err = QString::fromUtf8(report.err);
    QCOMPARE(err.count(QLatin1Char('\n')), 1);
    QVERIFY2(err.startsWith(QStringLiteral("talvo-rula: %1: the saved scores differ from its options (").arg(input)),
             qPrintable(err));
    QVERIFY2(err.contains(QStringLiteral("the report shows the scores its options give.")), qPrintable(err));
}

QTEST_MAIN(ReportTest)
#include "tst_report.moc"
