// SPDX-License-Identifier: GPL-3.0-or-later
// The comparison, run as the assessor runs it: the program itself on two saved files whose
// differences were worked out by hand, the PDF read back with pdftotext.
#include "PdfChecks.h"
#include "ProgramRuns.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool copyFile(const QString& from, const QString& to)
{
    return QFile::copy(from, to);
}

// The PDF's text laid out as on the page, ligatures ("ﬂ") spelt out.
QStringList pdfLines(const QString& path)
{
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!pdftotext.waitForFinished(30000) || pdftotext.exitCode() != 0)
        return {};
    return QString::fromUtf8(pdftotext.readAllStandardOutput())
        .normalized(QString::NormalizationForm_KC)
        .split(QLatin1Char('\n'));
}

// The line that starts with `label` followed by exactly these cells, spaced as on the page.
bool hasRow(const QStringList& lines, const QString& label, const QStringList& cells)
{
    QString pattern = QStringLiteral("^\\s*") + QRegularExpression::escape(label);
    for (const QString& cell : cells)
        pattern += QStringLiteral("\\s+") +
                   QRegularExpression::escape(cell).replace(QStringLiteral("\\ "), QStringLiteral("\\s+"));
    pattern += QStringLiteral("\\s*$");
    const QRegularExpression row(pattern);
    return std::any_of(lines.begin(), lines.end(), [&row](const QString& line) { return row.match(line).hasMatch(); });
}

// The assessment of the window tests' whole road, and the same job after a change, both
// written by hand. After: the right upper arm flexed 20° to 45° instead of 45° to 90°, no
// force in the right hand, the neck flexed 10° to 20°, the lower body neither static nor
// loaded; and another employee at the same place. Worked from the published tables: right
// A 5 → 4, C 8 → 5; B 7 → 5; D 9 → 5; grand right 7 → 6, left 5 → 4.
const QString Before = QStringLiteral(TALVO_TEST_DATA "/savewin_road_expected.txt");
const QString After = QStringLiteral(TALVO_TEST_DATA "/compare_after.txt");

} // namespace

class CompareTest : public QObject
{
    Q_OBJECT

private slots:
    void theComparisonShowsEveryScoreBeforeAndAfter()
    {
        QTemporaryDir dir;
        const QString before = dir.filePath(QStringLiteral("Bay 7 before RULA Analysis.txt"));
        const QString after = dir.filePath(QStringLiteral("Bay 7 after RULA Analysis.txt"));
        QVERIFY(copyFile(Before, before));
        QVERIFY(copyFile(After, after));
        const Run run = runProgram({QStringLiteral("--compare"), before, after});
        QVERIFY2(run.status == 0, qPrintable(run.errorLines.join(QLatin1Char('\n'))));
        QCOMPARE(run.errorLines, QStringList());

        const QString pdf = dir.filePath(QStringLiteral("Bay 7 after RULA Analysis Comparison.pdf"));
        QVERIFY(readAll(pdf).startsWith("%PDF-"));
        QCOMPARE(pdfAProblems(pdf), QString());
        const QStringList lines = pdfLines(pdf);
        QVERIFY2(lines.size() > 20, "pdftotext (poppler-utils) is needed to read the PDF back");
        const QString text = lines.join(QLatin1Char('\n'));

        QVERIFY2(lines.contains(QStringLiteral("Right side: action level 4 → 3; left side: 3 → 2")), qPrintable(text));
        // Per side and body part, changed scores marked: ▼ lower after the change.
        const struct
        {
            const char* label;
            QStringList cells;
        } rows[] = {
            {"Grand score", {"7 → 6 ▼", "5 → 4 ▼"}},
            {"Action level", {"4 → 3 ▼", "3 → 2 ▼"}},
            {"Upper arm", {"4 → 3 ▼", "1 → 1"}},
            {"Lower arm", {"3 → 3", "1 → 1"}},
            {"Wrist", {"2 → 2", "2 → 2"}},
            {"Wrist twist", {"2 → 2", "1 → 1"}},
            {"Posture score A", {"5 → 4 ▼", "2 → 2"}},
            {"Muscle use", {"1 → 1", "0 → 0"}},
            {"Force or load", {"2 → 0 ▼", "0 → 0"}},
            {"Score C", {"8 → 5 ▼", "2 → 2"}},
            {"Neck", {"4 → 3 ▼"}},
            {"Trunk", {"3 → 3"}},
            {"Legs", {"2 → 2"}},
            {"Posture score B", {"7 → 5 ▼"}},
            {"Muscle use", {"1 → 0 ▼"}},
            {"Force or load", {"1 → 0 ▼"}},
            {"Score D", {"9 → 5 ▼"}},
        };
        for (const auto& row : rows)
            QVERIFY2(hasRow(lines, QString::fromUtf8(row.label), row.cells),
                     qPrintable(QString::fromUtf8(row.label) + QLatin1Char(' ') + row.cells.join(QLatin1Char('|')) +
                                QStringLiteral("\n") + text));

        // Another employee is named; the place is the same.
        QVERIFY(hasRow(lines, QStringLiteral("Employee name"), {"OBrien", "Smith"}));
        QVERIFY(text.contains(QStringLiteral("The two assessments are of different employees.")));
        QVERIFY(!text.contains(QStringLiteral("different locations")));
        QVERIFY(
            text.contains(QStringLiteral("Neck: neck flexed more than 20°, neck twisting → neck flexed 10° to 20°")));
    }

    // The same two files the other way round, the employee the same in both: every change is
    // a rise, on the blue ground of a changed score (its pixels counted on the page, since
    // text extraction sees no colour).
    void theChangeTheOtherWayRaisesScores()
    {
        QTemporaryDir dir;
        const QString before = dir.filePath(QStringLiteral("before.txt"));
        QFile file(before);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(readAll(After).replace("\r\n\"Smith\"\r\n", "\r\n\"OBrien\"\r\n"));
        file.close();
        const QString output = dir.filePath(QStringLiteral("back.pdf"));
        const Run run = runProgram({QStringLiteral("--compare"), before, Before, QStringLiteral("-o"), output});
        QCOMPARE(run.status, 0);
        const QStringList lines = pdfLines(output);
        const QString text = lines.join(QLatin1Char('\n'));
        QVERIFY2(hasRow(lines, QStringLiteral("Grand score"), {"6 → 7 ▲", "4 → 5 ▲"}), qPrintable(text));
        QVERIFY2(hasRow(lines, QStringLiteral("Score D"), {"5 → 9 ▲"}), qPrintable(text));
        QVERIFY(!text.contains(QStringLiteral("different employees")));

        QProcess pdftoppm;
        pdftoppm.start(QStringLiteral("pdftoppm"), {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("40"),
                                                    QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                                                    QStringLiteral("1"), output, dir.filePath(QStringLiteral("page"))});
        QVERIFY(pdftoppm.waitForFinished(30000) && pdftoppm.exitCode() == 0);
        const QStringList pages = QDir(dir.path()).entryList({QStringLiteral("page*.png")});
        QCOMPARE(pages.size(), 1);
        const QImage page(dir.filePath(pages[0]));
        int blue = 0;
        for (int y = 0; y < page.height(); ++y) {
            for (int x = 0; x < page.width(); ++x) {
                const QColor c = page.pixelColor(x, y);
                blue += qAbs(c.red() - 0xcf) < 8 && qAbs(c.green() - 0xe2) < 8 && qAbs(c.blue() - 0xff) < 8;
            }
        }
        // Twelve changed cells of about 30 x 8 pixels each at this resolution.
        QVERIFY2(blue > 1000, qPrintable(QString::number(blue)));
    }

    void theSameFileTwiceChangesNothing()
    {
        QTemporaryDir dir;
        const QString output = dir.filePath(QStringLiteral("same.pdf"));
        const Run run = runProgram({QStringLiteral("--compare"), Before, Before, QStringLiteral("-o"), output});
        QCOMPARE(run.status, 0);
        const QStringList lines = pdfLines(output);
        const QString text = lines.join(QLatin1Char('\n'));
        QVERIFY2(lines.contains(QStringLiteral("Right side: action level 4 → 4; left side: 3 → 3")), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("The same options are chosen in both assessments.")));
        for (const QString& line : lines) {
            if (!line.contains(QStringLiteral("Changed scores are bold")))
                QVERIFY2(!line.contains(QStringLiteral("▼")) && !line.contains(QStringLiteral("▲")), qPrintable(line));
        }
        QVERIFY(!text.contains(QStringLiteral("different employees")));
    }

    // Bad input: one line naming the file, status 1, and no PDF; usage errors give status 2.
    void badInputWritesNothing()
    {
        QTemporaryDir dir;
        const QString good = dir.filePath(QStringLiteral("good.txt"));
        const QString truncated = dir.filePath(QStringLiteral("truncated.txt"));
        QVERIFY(copyFile(Before, good));
        QFile file(truncated);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(readAll(Before).left(3000));
        file.close();

        const Run bad = runProgram({QStringLiteral("--compare"), good, truncated});
        QCOMPARE(bad.status, 1);
        QCOMPARE(bad.errorLines.size(), 1);
        QVERIFY2(bad.errorLines[0].contains(truncated) && bad.errorLines[0].contains(QStringLiteral("line ")),
                 qPrintable(bad.errorLines[0]));

        const Run missing = runProgram({QStringLiteral("--compare"), dir.filePath(QStringLiteral("gone.txt")), good});
        QCOMPARE(missing.status, 1);
        QCOMPARE(missing.errorLines.size(), 1);
        QVERIFY(missing.errorLines[0].contains(dir.filePath(QStringLiteral("gone.txt"))));

        // Written over one of its own inputs, the comparison would destroy an assessment.
        const Run overInput = runProgram({QStringLiteral("--compare"), good, good, QStringLiteral("-o"), good});
        QCOMPARE(overInput.status, 1);
        QCOMPARE(readAll(good), readAll(Before));

        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 (QStringList{QStringLiteral("good.txt"), QStringLiteral("truncated.txt")}));
        QCOMPARE(runProgram({QStringLiteral("--compare"), good}).status, 2);
    }
};

QTEST_GUILESS_MAIN(CompareTest)
#include "tst_compare.moc"
