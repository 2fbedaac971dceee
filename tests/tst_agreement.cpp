// SPDX-License-Identifier: GPL-3.0-or-later
// Agreement between two assessors: every figure against published worked examples, typed from
// their sources, the undefined cases, and the program itself on two folders of saved files.
#include "Agreement.h"
#include "CommandLine.h"
#include "OptionCatalogue.h"
#include "PdfChecks.h"
#include "ProgramRuns.h"
#include "SavedFiles.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

using namespace rula::agreement;
using Pairs = std::vector<std::pair<int, int>>;

namespace {

CrossTable tableOf(const QList<double>& counts)
{
    const int q = int(std::lround(std::sqrt(double(counts.size()))));
    CrossTable table(q);
    for (int i = 0; i < q; ++i) {
        for (int j = 0; j < q; ++j)
            table.add(i, j, counts[i * q + j]);
    }
    return table;
}

// A published figure printed to `decimals` places: the computed one rounds to it.
void compareRounded(const std::optional<double>& computed, double published, int decimals = 4)
{
    QVERIFY(computed.has_value());
    const double scale = std::pow(10.0, decimals);
    QCOMPARE(std::llround(*computed * scale), std::llround(published * scale));
}

// A complete assessment with the lowest posture of every group and the neck in band `neckOption`.
rula::AssessmentState assessmentWithNeck(int neckOption)
{
    rula::AssessmentState state;
    for (const rula::GroupInfo& group : rula::groups()) {
        const int number = group.group == rula::Group::Neck ? neckOption : 1;
        state.SelectOption(group.firstOption + number - 1);
    }
    return state;
}

QList<QStringList> csvRows(const QString& path)
{
    QFile file(path);
    QList<QStringList> rows;
    if (!file.open(QIODevice::ReadOnly))
        return rows;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (QByteArray line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty())
            rows << QString::fromUtf8(line).split(QLatin1Char(','));
    }
    return rows;
}

// The PDF's text as pdftotext lays it out, line by line.
QStringList pdfLines(const QString& path)
{
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!pdftotext.waitForFinished(30000) || pdftotext.exitCode() != 0)
        return {};
    return QString::fromUtf8(pdftotext.readAllStandardOutput()).split(QLatin1Char('\n'));
}

QString lineStarting(const QStringList& lines, const QString& start)
{
    for (const QString& line : lines) {
        if (line.trimmed().startsWith(start))
            return line.simplified();
    }
    return QString();
}

} // namespace

class AgreementTest : public QObject
{
    Q_OBJECT

private slots:
    void kappas_data();
    void kappas();
    void gwetAc1();
    void shroutFleissIcc();
    void landisKoch_data();
    void landisKoch();
    void commandForms_data();
    void commandForms();
    void undefined_data();
    void undefined();
    void programOnTwoFolders();
};

// Rows: the two raters' table (first rater's category by row), the agreement weights ("cohen1968":
// Cohen's disagreement weights 0/1/3/6 turned into agreement 1 − v/6, which leaves kappa_w as
// it is), and the published kappa, its standard error and 95% interval (NaN where the source
// prints none).
void AgreementTest::kappas_data()
{
    QTest::addColumn<QList<double>>("counts");
    QTest::addColumn<QString>("weights");
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("error");
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("high");
    const double none = std::nan("");
    // Cohen (1960), Table 1: proportions of 200 cases; p_o = .70, p_c = .41, kappa = .29/.59.
    const QList<double> cohen{88, 14, 18, 10, 40, 10, 2, 6, 12};
    QTest::newRow("Cohen 1960, Table 1") << cohen << "none" << 0.4915 << none << none << none;
    // Cohen (1968), Table 1 with the weights of his illustration; he reports kappa_w = .348
    // (1 − .90/1.38 = 0.3478).
    QTest::newRow("Cohen 1968, Table 1, weights 1, 3, 6") << cohen << "cohen1968" << 0.3478 << none << none << none;
    // Gwet (2014), Handbook of Inter-Rater Reliability, 4th ed., its 3x3 abstractors table as
    // his irrCAC package prints it: kappa 0.7964094, standard error 0.05891072.
    QTest::newRow("Gwet 2014, abstractors")
        << QList<double>{13, 0, 0, 0, 20, 7, 0, 4, 56} << "none" << 0.7964 << 0.0589 << none << none;
    // SAS/STAT PROC FREQ user's guide, "Agreement Study" (skin condition, 88 patients): simple
    // kappa 0.3449, ASE 0.0724, 95% limits 0.2030 to 0.4868; weighted kappa (Cicchetti-Allison,
    // that is linear, weights) 0.5082, ASE 0.0655, limits 0.3798 to 0.6366. The ASE is Fleiss,
    // Cohen and Everitt's (1969).
    const QList<double> skin{10, 4, 1, 0, 5, 10, 12, 2, 2, 4, 12, 5, 0, 2, 6, 13};
    QTest::newRow("SAS skin condition, kappa") << skin << "none" << 0.3449 << 0.0724 << 0.2030 << 0.4868;
    QTest::newRow("SAS skin condition, linear") << skin << "linear" << 0.5082 << 0.0655 << 0.3798 << 0.6366;
}

void AgreementTest::kappas()
{
    QFETCH(QList<double>, counts);
    QFETCH(QString, weights);
    const CrossTable table = tableOf(counts);
    Estimate estimate;
    if (weights == QLatin1String("none")) {
        estimate = kappa(table);
    } else if (weights == QLatin1String("linear")) {
        estimate = linearKappa(table);
    } else {
        Weights agreementWeights;
        for (double v : {0, 1, 3, 1, 0, 6, 3, 6, 0})
            agreementWeights.push_back(1.0 - v / 6.0);
        estimate = weightedKappa(table, agreementWeights);
    }
    QFETCH(double, value);
    compareRounded(estimate.value, value);
    QFETCH(double, error);
    if (!std::isnan(error))
        compareRounded(estimate.standardError, error);
    QFETCH(double, low);
    QFETCH(double, high);
    if (!std::isnan(low)) {
        compareRounded(estimate.low, low);
        compareRounded(estimate.high, high);
    }
}

// Gwet (2014) / irrCAC, the abstractors table: AC1 0.8493305, percent agreement 0.89.
void AgreementTest::gwetAc1()
{
    const CrossTable table = tableOf({13, 0, 0, 0, 20, 7, 0, 4, 56});
    compareRounded(ac1(table), 0.8493);
    compareRounded(exactAgreement(table), 0.8900);
}

// Shrout and Fleiss (1979), Table 2: 6 targets rated by 4 judges. The paper prints the mean
// squares BMS 11.24, JMS 32.49, EMS 1.02 and ICC(2,1) = .29; the 95% interval .019 to .76 is
// the one printed for this table in the documentation of R's psych::ICC (Revelle).
void AgreementTest::shroutFleissIcc()
{
    const std::vector<std::vector<double>> ratings{{9, 2, 5, 8}, {6, 1, 3, 2},  {8, 4, 6, 8},
                                                   {7, 1, 2, 6}, {10, 5, 6, 9}, {6, 2, 4, 7}};
    const std::optional<TwoWayMeanSquares> squares = twoWayMeanSquares(ratings);
    QVERIFY(squares);
    compareRounded(squares->betweenTargets, 11.24, 2);
    compareRounded(squares->betweenRaters, 32.49, 2);
    compareRounded(squares->error, 1.02, 2);
    const Estimate icc = icc21(ratings);
    compareRounded(icc.value, 0.29, 2);
    compareRounded(icc.low, 0.019, 3);
    compareRounded(icc.high, 0.76, 2);
}

// Landis and Koch (1977), Table of "strength of agreement": < 0.00 poor, 0.00-0.20 slight,
// 0.21-0.40 fair, 0.41-0.60 moderate, 0.61-0.80 substantial, 0.81-1.00 almost perfect.
void AgreementTest::landisKoch_data()
{
    QTest::addColumn<double>("kappa");
    QTest::addColumn<QString>("band");
    QTest::newRow("-0.05") << -0.05 << "poor";
    QTest::newRow("0.20") << 0.20 << "slight";
    QTest::newRow("0.21") << 0.21 << "fair";
    QTest::newRow("0.60") << 0.60 << "moderate";
    QTest::newRow("0.61") << 0.61 << "substantial";
    QTest::newRow("0.81") << 0.81 << "almost perfect";
}

void AgreementTest::landisKoch()
{
    QFETCH(double, kappa);
    QFETCH(QString, band);
    QCOMPARE(QString::fromLatin1(landisKochBand(kappa)), band);
}

void AgreementTest::commandForms_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("usageError");
    QTest::newRow("two folders") << QStringList{"--agreement", "a", "b"} << false;
    QTest::newRow("CSV in capitals") << QStringList{"--agreement", "a", "b", "-o", "OUT.CSV"} << false;
    QTest::newRow("one folder") << QStringList{"--agreement", "a"} << true;
    QTest::newRow("three folders") << QStringList{"--agreement", "a", "b", "c"} << true;
    QTest::newRow("neither CSV nor PDF") << QStringList{"--agreement", "a", "b", "-o", "out.txt"} << true;
    QTest::newRow("no ending") << QStringList{"--agreement", "a", "b", "-o", "out"} << true;
    QTest::newRow("with --register") << QStringList{"--agreement", "a", "b", "--register", "c"} << true;
}

void AgreementTest::commandForms()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, usageError);
    const CommandLine command = ParseCommandLine(QStringList{"talvo-rula"} + arguments);
    QCOMPARE(command.mode, usageError ? CommandLine::Mode::UsageError : CommandLine::Mode::Agreement);
    if (!usageError)
        QCOMPARE(command.inputs, (QStringList{"a", "b"}));
}

// Pairs on a scale, and which figures must be undefined (and so empty in the CSV, n/a in the PDF).
void AgreementTest::undefined_data()
{
    QTest::addColumn<Pairs>("pairs");
    QTest::addColumn<int>("lowest");
    QTest::addColumn<int>("highest");
    QTest::addColumn<bool>("kappasUndefined");
    QTest::addColumn<bool>("ac1Undefined");
    QTest::addColumn<bool>("iccUndefined");
    QTest::newRow("no pairs") << Pairs{} << 1 << 4 << true << true << true;
    // Both assessors scored 2 throughout: chance agreement 1, no variance; AC1 is then 1.
    QTest::newRow("one category throughout") << Pairs{{2, 2}, {2, 2}, {2, 2}} << 1 << 4 << true << false << true;
    QTest::newRow("one pair") << Pairs{{1, 2}} << 1 << 4 << false << false << true;
    // Values outside the scale are left out, which leaves nothing.
    QTest::newRow("outside the scale") << Pairs{{0, 5}, {9, 9}} << 1 << 4 << true << true << true;
}

void AgreementTest::undefined()
{
    QFETCH(Pairs, pairs);
    QFETCH(int, lowest);
    QFETCH(int, highest);
    QFETCH(bool, kappasUndefined);
    QFETCH(bool, ac1Undefined);
    QFETCH(bool, iccUndefined);
    const ItemFigures figures = itemFigures(pairs, lowest, highest);
    for (const Estimate* estimate : {&figures.kappa, &figures.linearKappa, &figures.quadraticKappa}) {
        QCOMPARE(!estimate->value, kappasUndefined);
        QCOMPARE(!estimate->low, kappasUndefined);
    }
    QCOMPARE(!figures.ac1, ac1Undefined);
    QCOMPARE(!figures.icc.value, iccUndefined);
    QCOMPARE(!figures.icc.low, iccUndefined);
}

// Two trainees' folders written by the program's own writer: four postures in both, one file
// only under A, one only under B, and one text file under A that is no assessment. The neck
// pairs are (1,1), (2,2), (3,4), (4,4) on the neck's scale 1 to 6; worked by hand:
// exact 3/4; kappa (.75 − .25)/(1 − .25); linear weights 1 − |i − j|/5: observed .95, chance
// .725; quadratic 1 − (i − j)²/25: observed .99, chance .88; AC1: π = .25, .25, .125, .375,
// chance .71875/5; ICC(2,1): BMS 11.375/3, JMS .125, EMS .375/3.
void AgreementTest::programOnTwoFolders()
{
    QTemporaryDir work;
    QVERIFY(work.isValid());
    const QString a = work.filePath(QStringLiteral("trainee A"));
    const QString b = work.filePath(QStringLiteral("trainee B"));
    const int necksA[] = {1, 2, 3, 4};
    const int necksB[] = {1, 2, 4, 4};
    for (int i = 0; i < 4; ++i) {
        const QString name = QStringLiteral("line%1/Worker %2 RULA Analysis.txt").arg(i % 2).arg(i);
        const EmployeeTexts texts{QStringLiteral("Worker %1").arg(i), QStringLiteral("ID-%1").arg(i), QString()};
        QVERIFY(writeWholeFile(a + QLatin1Char('/') + name, savedTextFile(assessmentWithNeck(necksA[i]), texts)));
        QVERIFY(writeWholeFile(b + QLatin1Char('/') + name, savedTextFile(assessmentWithNeck(necksB[i]), texts)));
    }
    QVERIFY(writeWholeFile(a + QStringLiteral("/only A RULA Analysis.txt"), savedTextFile(assessmentWithNeck(1), {})));
    QVERIFY(writeWholeFile(b + QStringLiteral("/line1/only B RULA Analysis.txt"),
                           savedTextFile(assessmentWithNeck(2), {})));
    QVERIFY(writeWholeFile(a + QStringLiteral("/notes.txt"), "not an assessment\n"));

    const QString csv = work.filePath(QStringLiteral("agreement.csv"));
    const Run run = runProgram({QStringLiteral("--agreement"), a, b, QStringLiteral("-o"), csv});
    QCOMPARE(run.status, 0);
    QCOMPARE(run.errorLines.filter(QStringLiteral(": unpaired: ")).size(), 2);
    QVERIFY(run.errorLines.filter(QStringLiteral("only A RULA Analysis.txt: unpaired")).size() == 1);
    QVERIFY(run.errorLines.filter(QStringLiteral("only B RULA Analysis.txt: unpaired")).size() == 1);
    QVERIFY(run.errorLines.filter(QStringLiteral("notes.txt: skipped")).size() == 1);

    const QList<QStringList> rows = csvRows(csv);
    QCOMPARE(rows.size(), 32);
    // RULA's 27 items, then REBA's four (no pairs here: these files were saved without REBA).
    for (int i = 0; i < 4; ++i)
        QCOMPARE(rows[28 + i].mid(0, 2),
                 (QStringList{
                     QStringList{"REBA Score Right", "REBA Score Left", "REBA Risk Right", "REBA Risk Left"}[i], "0"}));
    QCOMPARE(rows[0].join(QLatin1Char(',')),
             QStringLiteral("item,pairs,exact_agreement,kappa,kappa_low,kappa_high,kappa_linear,kappa_linear_low,"
                            "kappa_linear_high,kappa_quadratic,kappa_quadratic_low,kappa_quadratic_high,ac1,icc,"
                            "icc_low,icc_high"));
    QStringList neck;
    QStringList legs;
    for (const QStringList& row : rows) {
        QCOMPARE(row.size(), 16);
        if (row[0] == QLatin1String("Neck Score"))
            neck = row;
        if (row[0] == QLatin1String("Legs Score"))
            legs = row;
    }
    QCOMPARE(neck.value(1), QStringLiteral("4"));
    QCOMPARE(neck.value(2), QStringLiteral("0.7500"));
    QCOMPARE(neck.value(3), QStringLiteral("0.6667"));
    QCOMPARE(neck.value(6), QStringLiteral("0.8182"));
    QCOMPARE(neck.value(9), QStringLiteral("0.9167"));
    QCOMPARE(neck.value(12), QStringLiteral("0.7080"));
    QCOMPARE(neck.value(13), QStringLiteral("0.9362"));
    // Every legs score is 1: kappa and ICC are empty cells, AC1 and exact agreement 1.
    QCOMPARE(legs,
             (QStringList{"Legs Score", "4", "1.0000", "", "", "", "", "", "", "", "", "", "1.0000", "", "", ""}));

    // The PDF is the default for an OUT ending in .pdf; any other ending is a usage error.
    const QString pdf = work.filePath(QStringLiteral("agreement.pdf"));
    QCOMPARE(runProgram({QStringLiteral("--agreement"), a, b, QStringLiteral("-o"), pdf}).status, 0);
    QFile written(pdf);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QVERIFY(written.read(5) == "%PDF-");
    QCOMPARE(pdfAProblems(pdf), QString());
    const QStringList lines = pdfLines(pdf);
    QCOMPARE(lineStarting(lines, QStringLiteral("Neck Score")).split(QLatin1Char(' ')).mid(2, 2),
             (QStringList{"4", "0.75"}));
    const QString neckLine = lineStarting(lines, QStringLiteral("Neck Score"));
    QVERIFY2(neckLine.contains(QStringLiteral("0.82")) && neckLine.count(QStringLiteral("almost perfect")) == 2 &&
                 neckLine.contains(QStringLiteral("0.71")) && neckLine.contains(QStringLiteral("0.94")),
             qPrintable(neckLine));
    QVERIFY2(lineStarting(lines, QStringLiteral("Legs Score")).contains(QStringLiteral("n/a")),
             qPrintable(lineStarting(lines, QStringLiteral("Legs Score"))));
    QVERIFY(!lineStarting(lines, QStringLiteral("only A RULA Analysis.txt")).isEmpty());
    QCOMPARE(runProgram({QStringLiteral("--agreement"), a, b, QStringLiteral("-o"), work.filePath("x.txt")}).status, 2);
}

QTEST_GUILESS_MAIN(AgreementTest)
#include "tst_agreement.moc"
