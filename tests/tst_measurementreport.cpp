// SPDX-License-Identifier: GPL-3.0-or-later
// Angles measured on the workplace picture reach the printed report: the picture drawn over
// with the measurements and a table of them, on a page of their own; a report made from a
// saved file, which keeps no measurements, has no such page.
#include "AngleCanvas.h"
#include "CautionStatement.h"
#include "EmployeeDetails.h"
#include "FileLists.h"
#include "FinalResults.h"
#include "MainWindow.h"
#include "MeasureAngles.h"
#include "MeasureSupport.h"
#include "OpenPictureFile.h"
#include "OptionCatalogue.h"
#include "PdfChecks.h"
#include "PictureBox.h"
#include "RULAAction.h"
#include "ReportDialogs.h"
#include "WindowTestSupport.h"

#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

QByteArray runTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        qFatal("%s failed: %s", qPrintable(program), process.readAllStandardError().constData());
    return process.readAllStandardOutput();
}

// The text of pages `first` to `last` of a PDF (0: to the end), white space made single
// blanks and ligatures spelled out.
QString pdfText(const QString& path, int first = 1, int last = 0)
{
    QStringList arguments{QStringLiteral("-enc"), QStringLiteral("UTF-8"), QStringLiteral("-f"),
                          QString::number(first)};
    if (last > 0)
        arguments << QStringLiteral("-l") << QString::number(last);
    return QString::fromUtf8(runTool(QStringLiteral("pdftotext"), arguments << path << QStringLiteral("-")))
        .normalized(QString::NormalizationForm_KC)
        .simplified();
}

// The lines of one page as laid out on paper, a table's row on one line.
QStringList pdfLines(const QString& path, int page)
{
    const QString text = QString::fromUtf8(
        runTool(QStringLiteral("pdftotext"),
                {QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8"), QStringLiteral("-f"),
                 QString::number(page), QStringLiteral("-l"), QString::number(page), path, QStringLiteral("-")}));
    QStringList lines;
    for (const QString& line : text.normalized(QString::NormalizationForm_KC).split(QLatin1Char('\n')))
        lines << line.simplified();
    return lines;
}

// How many pixels of `page` have the light blue of a finished measurement's lines.
int measurementBluePixels(const QImage& page)
{
    int count = 0;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            const QColor c = page.pixelColor(x, y);
            if (c.red() < 70 && c.green() > 160 && c.green() < 235 && c.blue() > 215)
                ++count;
        }
    }
    return count;
}

} // namespace

class MeasurementReportTest : public QObject, public WindowFixture
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

    void measuredAnglesArePrintedOverThePictureAndListed();

private:
    void loadWorkplacePicture(const QString& folder);
    void choosePart(MeasureAngles& window, const QString& name);
    void clickAt(MeasureAngles& window, QPoint position)
    {
        QTest::mouseClick(window.canvas(), Qt::LeftButton, {}, position);
    }
    QPoint at(MeasureAngles& window, double x, double y)
    {
        return window.canvas()->toWidget(rula::Point{x, y}).toPoint();
    }
};

void MeasurementReportTest::loadWorkplacePicture(const QString& folder)
{
    MainWindow& main = windows->window<MainWindow>();
    click(main, "Command3");
    OpenPictureFile& open = windows->window<OpenPictureFile>();
    QVERIFY(child<FolderList>(open, "Dir1")->setPath(folder));
    auto* files = child<FileList>(open, "File1");
    QVERIFY(clickListEntry(files, QStringLiteral("workplace.png")));
    click(open, "cmdOpen");
    QVERIFY(child<PictureBox>(main, "Picture1")->hasPicture());
}

void MeasurementReportTest::choosePart(MeasureAngles& window, const QString& name)
{
    auto* parts = child<QListWidget>(window, "BodyPart");
    const QList<QListWidgetItem*> found = parts->findItems(name + QStringLiteral(" \u2013 "), Qt::MatchStartsWith);
    QCOMPARE(found.size(), 1);
    QTest::mouseClick(parts->viewport(), Qt::LeftButton, {}, parts->visualItemRect(found.front()).center());
}

// The right upper arm held straight forward (90° flexion: the published 45° to 90° band,
// score 3) is measured and applied; the left one, 30° behind the trunk line (more than 20°
// extension, score 2), is measured and left unapplied; the neck, without its ear, is not
// measured.
void MeasurementReportTest::measuredAnglesArePrintedOverThePictureAndListed()
{
    QTemporaryDir dir;
    writeWorkplacePicture(QDir(dir.path()));
    CautionStatement& caution = windows->window<CautionStatement>();
    caution.showWindow();
    click(caution, "Command1");
    EmployeeDetails& details = windows->window<EmployeeDetails>();
    for (const char* box : {"Text1", "Text2", "Text3"})
        QTest::keyClicks(child<QLineEdit>(details, box), QStringLiteral("Bench 4"));
    click(details, "Command1");
    MainWindow& main = windows->window<MainWindow>();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    loadWorkplacePicture(dir.path());

    auto* picture = child<PictureBox>(main, "Picture1");
    QTest::mouseDClick(picture, Qt::LeftButton, {}, picture->rect().center());
    MeasureAngles& window = windows->window<MeasureAngles>();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::mouseClick(child<QRadioButton>(window, "FacesRight"), Qt::LeftButton);
    choosePart(window, QStringLiteral("Upper Arm (Right)"));
    clickAt(window, at(window, 600, 800));
    clickAt(window, at(window, 600, 200));
    clickAt(window, at(window, 1000, 200));
    click(window, "Apply");
    choosePart(window, QStringLiteral("Upper Arm (Left)"));
    const QPoint shoulder = at(window, 600, 200);
    clickAt(window, at(window, 600, 800));
    clickAt(window, shoulder);
    clickAt(window, shoulder + QPoint(-100, 173));
    QCOMPARE(labelText(window, "Angle"), QString::fromUtf8("30° extension"));
    const QString leftBand = labelText(window, "BandText");
    QCOMPARE(labelText(window, "Score"), QStringLiteral("Score 2, measured"));
    // A neck still waiting for its ear is no measurement yet.
    choosePart(window, QStringLiteral("Neck"));
    QCOMPARE(labelText(window, "Angle"), QString::fromUtf8("\u2013"));
    click(window, "Close");

    // Every other body part chosen on the main window, then on to the action levels.
    for (const char* panel : {"Frame6",  "Frame11", "Frame16", "Frame18", "Frame20", "Frame19", "Frame24", "Frame28",
                              "Frame29", "Frame32", "Frame33", "Frame55", "Frame61", "Frame58", "Frame64", "Frame66",
                              "Frame35", "Frame38", "Frame39", "Frame43", "Frame45", "Frame50"})
        main.selectOption(rula::optionIndexOfPanel(panel));
    click(main, "Command2");
    click(caution, "Command1");
    click(windows->window<FinalResults>(), "Command2");
    RULAAction& action = windows->window<RULAAction>();
    QVERIFY(action.isVisible());

    const QString report = dir.filePath(QStringLiteral("measured.pdf"));
    ReportDialogs::setHandlers({[&](QWidget*, const QString&) { return report; },
                                [](QWidget*, const QString&) { return false; }, [](const QString&) { return true; }});
    click(action, "Command8");
    QVERIFY2(recorder.messages.isEmpty(), qPrintable(recorder.messages.join(QLatin1Char('\n'))));

    // The measurements' page follows the score sheet's (page 2) and precedes the reduction
    // measures.
    QCOMPARE(pdfAProblems(report), QString());
    const QString measuredPage = pdfText(report, 3, 3);
    QVERIFY2(measuredPage.startsWith(QStringLiteral("Angles measured on the workplace picture")),
             qPrintable(measuredPage));
    QVERIFY(!measuredPage.contains(QStringLiteral("Neck")));
    const QStringList lines = pdfLines(report, 3);
    QVERIFY2(lines.contains(QStringLiteral("Body part Angle Band Score Applied")), qPrintable(lines.join('|')));
    QVERIFY2(lines.contains(QString::fromUtf8("Upper Arm (Right) 90° flexion upper arm flexed 45° to 90° 3 applied")),
             qPrintable(lines.join('|')));
    // The left arm's longer band text may wrap onto the row's second line.
    const qsizetype left = lines.indexOf(QRegularExpression(QStringLiteral("^Upper Arm \\(Left\\) .* 2 not applied$")));
    QVERIFY2(left >= 0, qPrintable(lines.join('|')));
    QString leftRow = (lines[left] + QLatin1Char(' ') + lines.value(left + 1)).simplified();
    QCOMPARE(leftRow.remove(QStringLiteral(" 2 not applied")),
             QString::fromUtf8("Upper Arm (Left) 30° extension ") + leftBand);
    QVERIFY(pdfText(report, 4).contains(QStringLiteral("Reduction measures")));

    // The overlay's blue lines are on the measurements' page only, not over the summary's
    // plain workplace picture.
    const QString pages = dir.filePath(QStringLiteral("page"));
    runTool(QStringLiteral("pdftoppm"),
            {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("40"), QStringLiteral("-f"),
             QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("3"), report, pages});
    const QStringList shots = QDir(dir.path()).entryList({QStringLiteral("page-*.png")}, QDir::Files, QDir::Name);
    QCOMPARE(shots.size(), 3);
    QCOMPARE(measurementBluePixels(QImage(dir.filePath(shots[0]))), 0);
    QVERIFY(measurementBluePixels(QImage(dir.filePath(shots[2]))) > 50);

    // The same assessment reported from its saved file: no measurements, no such page.
    const QString fromFile = dir.filePath(QStringLiteral("from file.pdf"));
    runTool(QStringLiteral(TALVO_PROGRAM),
            {QStringLiteral("--report"), QStringLiteral(TALVO_TEST_DATA "/savewin_road_expected.txt"),
             QStringLiteral("-o"), fromFile});
    const QString plain = pdfText(fromFile);
    QVERIFY(plain.contains(QStringLiteral("Reduction measures")));
    QVERIFY(!plain.contains(QStringLiteral("Angles measured")));
    QVERIFY(!plain.contains(QStringLiteral("not applied")));
}

QTEST_MAIN(MeasurementReportTest)
#include "tst_measurementreport.moc"
