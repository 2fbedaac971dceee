// SPDX-License-Identifier: GPL-3.0-or-later
// REBA: every cell of Tables A, B and C, read from tests/data/reba_tables.txt (typed by hand
// from the published worksheet), looked up through the program's tables; worked examples
// scored through the options by their names; the bands measured angles give.

#include "Reba.h"

#include <QFile>
#include <QList>
#include <QRegularExpression>
#include <QStringList>
#include <QTest>

using namespace rula::reba;

namespace {

struct Cell
{
    QList<int> inputs; // in the table's lookup order: A trunk/neck/legs, B upper/lower/wrist, C A/B
    int score = 0;
};

struct PublishedTables
{
    QList<Cell> a, b, c;
    QString error;
};

PublishedTables readPublishedTables(const QString& path)
{
    PublishedTables tables;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        tables.error = QStringLiteral("cannot open %1").arg(path);
        return tables;
    }
    QString table;
    int lineNumber = 0;
    while (!file.atEnd()) {
        ++lineNumber;
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1String("Table "))) {
            table = line.mid(6);
            continue;
        }
        QList<int> row;
        for (const QString& token : line.split(QRegularExpression(QStringLiteral("\\s+")))) {
            bool ok = false;
            row << token.toInt(&ok);
            if (!ok) {
                tables.error = QStringLiteral("line %1: not a row of numbers").arg(lineNumber);
                return tables;
            }
        }
        const int first = row.takeFirst();
        if (table == QLatin1String("A") && row.size() == 12) {
            for (int column = 0; column < 12; ++column)
                tables.a.append({{first, column / 4 + 1, column % 4 + 1}, row[column]});
        } else if (table == QLatin1String("B") && row.size() == 6) {
            for (int column = 0; column < 6; ++column)
                tables.b.append({{first, column / 3 + 1, column % 3 + 1}, row[column]});
        } else if (table == QLatin1String("C") && row.size() == 12) {
            for (int column = 0; column < 12; ++column)
                tables.c.append({{first, column + 1}, row[column]});
        } else {
            tables.error = QStringLiteral("line %1: unexpected row for table '%2'").arg(lineNumber).arg(table);
            return tables;
        }
    }
    return tables;
}

QString cellName(const QString& table, const QList<int>& inputs)
{
    QStringList parts;
    for (int value : inputs)
        parts << QString::number(value);
    return table + QLatin1Char(' ') + parts.join(QLatin1Char('/'));
}

// The choices of a worksheet, clicked option by option as named on the window.
RebaChoices clicked(const QStringList& names)
{
    RebaChoices choices;
    for (const QString& name : names) {
        const int index = rebaOptionIndex(name.toStdString());
        if (index < 0)
            qFatal("no REBA option %s", qPrintable(name));
        choices.click(index);
    }
    return choices;
}

std::optional<int> some(int value)
{
    return value;
}

} // namespace

class RebaTablesTest : public QObject
{
    Q_OBJECT

private:
    PublishedTables m_published;

    void addCells(const QList<Cell>& cells, const QString& table)
    {
        QTest::addColumn<QList<int>>("inputs");
        QTest::addColumn<int>("score");
        for (const Cell& cell : cells)
            QTest::newRow(qPrintable(cellName(table, cell.inputs))) << cell.inputs << cell.score;
    }

private slots:
    void initTestCase()
    {
        m_published = readPublishedTables(QStringLiteral(TALVO_TEST_DATA "/reba_tables.txt"));
        QVERIFY2(m_published.error.isEmpty(), qPrintable(m_published.error));
        QCOMPARE(m_published.a.size(), 5 * 3 * 4);
        QCOMPARE(m_published.b.size(), 6 * 2 * 3);
        QCOMPARE(m_published.c.size(), 12 * 12);
    }

    void tableA_data() { addCells(m_published.a, QStringLiteral("A")); }
    void tableA()
    {
        QFETCH(QList<int>, inputs);
        QFETCH(int, score);
        QCOMPARE(lookupRebaTableA(inputs[0], inputs[1], inputs[2]), some(score));
    }

    void tableB_data() { addCells(m_published.b, QStringLiteral("B")); }
    void tableB()
    {
        QFETCH(QList<int>, inputs);
        QFETCH(int, score);
        QCOMPARE(lookupRebaTableB(inputs[0], inputs[1], inputs[2]), some(score));
    }

    void tableC_data() { addCells(m_published.c, QStringLiteral("C")); }
    void tableC()
    {
        QFETCH(QList<int>, inputs);
        QFETCH(int, score);
        QCOMPARE(lookupRebaTableC(inputs[0], inputs[1]), some(score));
    }

    void outsideTheTables()
    {
        QCOMPARE(lookupRebaTableA(6, 1, 1), std::nullopt);
        QCOMPARE(lookupRebaTableA(1, 4, 1), std::nullopt);
        QCOMPARE(lookupRebaTableA(1, 1, 5), std::nullopt);
        QCOMPARE(lookupRebaTableB(0, 1, 1), std::nullopt);
        QCOMPARE(lookupRebaTableB(1, 3, 1), std::nullopt);
        QCOMPARE(lookupRebaTableB(1, 1, 4), std::nullopt);
        QCOMPARE(lookupRebaTableC(13, 1), std::nullopt);
        QCOMPARE(lookupRebaTableC(1, 0), std::nullopt);
    }

    // Worked examples, every score of the worksheet from its ticks.
    void workedExamples_data()
    {
        QTest::addColumn<QStringList>("ticks");
        // table A, score A, then right: table B, score B, score C, REBA score; then left the same
        QTest::addColumn<QList<int>>("expected");
        QTest::addColumn<QString>("riskRight");

        // A welding task on a filled REBA worksheet: trunk 4, neck 1, legs 3 give Table A 6;
        // load 3 gives score A 9; upper arm 4, lower arm 1, wrist 2 give Table B 5; coupling 3
        // gives score B 8; Table C gives 11 (both arms scored alike here).
        QStringList welding{QStringLiteral("RebaTrunk4"),   QStringLiteral("RebaNeck1"), QStringLiteral("RebaLegs1"),
                            QStringLiteral("RebaKnees2"),   QStringLiteral("RebaLoad2"), QStringLiteral("RebaShock"),
                            QStringLiteral("RebaCoupling3")};
        for (const char* side : {"Right", "Left"}) {
            welding << QStringLiteral("RebaUpperArm4%1").arg(QLatin1String(side))
                    << QStringLiteral("RebaLowerArm1%1").arg(QLatin1String(side))
                    << QStringLiteral("RebaWrist2%1").arg(QLatin1String(side));
        }
        QTest::newRow("welding worksheet") << welding << QList<int>{6, 9, 5, 8, 11, 11, 5, 8, 11, 11}
                                           << QStringLiteral("11–15 Very high: necessary now");

        // A nurse turning a patient, worked by hand through the worksheet: neck 2 + twist = 3,
        // trunk 3 + twist = 4, legs 2 + knees 30-60° = 3: Table A (trunk 4, neck 3, legs 3) 8;
        // more than 10 kg with a jerk: load 3, score A 11. Right: upper arm 3 + abducted = 4,
        // lower arm 2, wrist 2 + twisted = 3: Table B 7, poor coupling 2: score B 9; Table C
        // (11, 9) 12; rapid change +1: 13. Left: upper arm 2 - supported = 1, lower arm 1,
        // wrist 1: Table B 1, score B 3; Table C (11, 3) 11; 12.
        QTest::newRow("nurse turning a patient")
            << QStringList{QStringLiteral("RebaNeck2"),
                           QStringLiteral("RebaNeckAdjust"),
                           QStringLiteral("RebaTrunk3"),
                           QStringLiteral("RebaTrunkAdjust"),
                           QStringLiteral("RebaLegs2"),
                           QStringLiteral("RebaKnees1"),
                           QStringLiteral("RebaLoad2"),
                           QStringLiteral("RebaShock"),
                           QStringLiteral("RebaUpperArm3Right"),
                           QStringLiteral("RebaAbductedRight"),
                           QStringLiteral("RebaLowerArm2Right"),
                           QStringLiteral("RebaWrist2Right"),
                           QStringLiteral("RebaWristAdjustRight"),
                           QStringLiteral("RebaUpperArm2Left"),
                           QStringLiteral("RebaArmSupportedLeft"),
                           QStringLiteral("RebaLowerArm1Left"),
                           QStringLiteral("RebaWrist1Left"),
                           QStringLiteral("RebaCoupling2"),
                           QStringLiteral("RebaRapid")}
            << QList<int>{8, 11, 7, 9, 12, 13, 1, 3, 11, 12} << QStringLiteral("11–15 Very high: necessary now");

        // The lowest of everything; the supported arm in the lowest band stays at 1.
        QTest::newRow("lowest, arm supported")
            << QStringList{QStringLiteral("RebaNeck1"),
                           QStringLiteral("RebaTrunk1"),
                           QStringLiteral("RebaLegs1"),
                           QStringLiteral("RebaKnees0"),
                           QStringLiteral("RebaLoad0"),
                           QStringLiteral("RebaUpperArm1Right"),
                           QStringLiteral("RebaArmSupportedRight"),
                           QStringLiteral("RebaLowerArm1Right"),
                           QStringLiteral("RebaWrist1Right"),
                           QStringLiteral("RebaUpperArm1Left"),
                           QStringLiteral("RebaLowerArm2Left"),
                           QStringLiteral("RebaWrist2Left"),
                           QStringLiteral("RebaCoupling0"),
                           QStringLiteral("RebaStatic"),
                           QStringLiteral("RebaStatic")}
            << QList<int>{1, 1, 1, 1, 1, 1, 2, 2, 1, 1} << QStringLiteral("1 Negligible: none necessary");
    }

    void workedExamples()
    {
        QFETCH(QStringList, ticks);
        QFETCH(QList<int>, expected);
        QFETCH(QString, riskRight);
        const RebaChoices choices = clicked(ticks);
        QVERIFY(missingRebaGroups(choices).empty());
        const RebaScores s = scoreReba(choices);
        QCOMPARE(s.tableA, some(expected[0]));
        QCOMPARE(s.scoreA, some(expected[1]));
        for (bool left : {false, true}) {
            const int at = left ? 6 : 2;
            const RebaSide& side = s.side(left);
            QCOMPARE(side.tableB, some(expected[at]));
            QCOMPARE(side.scoreB, some(expected[at + 1]));
            QCOMPARE(side.scoreC, some(expected[at + 2]));
            QCOMPARE(side.rebaScore, some(expected[at + 3]));
        }
        QCOMPARE(QString::fromUtf8(rebaRiskText(*s.right.rebaScore).data(),
                                   qsizetype(rebaRiskText(*s.right.rebaScore).size())),
                 riskRight);
    }

    // Every score from 1 to 15 has the method's words; nothing else has any.
    void riskLevels()
    {
        const QStringList words{
            QStringLiteral("1 Negligible: none necessary"),   QStringLiteral("2–3 Low: may be necessary"),
            QStringLiteral("2–3 Low: may be necessary"),      QStringLiteral("4–7 Medium: necessary"),
            QStringLiteral("4–7 Medium: necessary"),          QStringLiteral("4–7 Medium: necessary"),
            QStringLiteral("4–7 Medium: necessary"),          QStringLiteral("8–10 High: necessary soon"),
            QStringLiteral("8–10 High: necessary soon"),      QStringLiteral("8–10 High: necessary soon"),
            QStringLiteral("11–15 Very high: necessary now"), QStringLiteral("11–15 Very high: necessary now"),
            QStringLiteral("11–15 Very high: necessary now"), QStringLiteral("11–15 Very high: necessary now"),
            QStringLiteral("11–15 Very high: necessary now")};
        for (int score = 0; score <= 16; ++score) {
            const std::string_view text = rebaRiskText(score);
            const QString expected = score >= 1 && score <= 15 ? words[score - 1] : QString();
            QCOMPARE(QString::fromUtf8(text.data(), qsizetype(text.size())), expected);
        }
    }

    // A group without a band leaves the scores that need it empty and is named.
    void missingGroupIsNamed()
    {
        RebaChoices choices = clicked({QStringLiteral("RebaNeck1"), QStringLiteral("RebaTrunk1"),
                                       QStringLiteral("RebaLegs1"), QStringLiteral("RebaLoad0")});
        RebaScores s = scoreReba(choices);
        QCOMPARE(s.tableA, std::nullopt);
        QCOMPARE(s.right.rebaScore, std::nullopt);
        const std::vector<std::string> missing = missingRebaGroups(choices);
        QCOMPARE(missing.front(), std::string("Knees: no band chosen"));
        QCOMPARE(missing.size(), std::size_t(8)); // knees, 3 parts of each arm, coupling
        choices.click(rebaOptionIndex("RebaKnees0"));
        QCOMPARE(scoreReba(choices).scoreA, some(1));
    }

    // A band chosen by a measurement is marked so until a click chooses another.
    void measuredBandIsMarked()
    {
        RebaChoices choices;
        choices.applyMeasured(rebaOptionIndex("RebaNeck2"));
        QVERIFY(choices.isMeasured(RebaGroup::Neck));
        choices.click(rebaOptionIndex("RebaNeckAdjust"));
        QVERIFY(choices.isMeasured(RebaGroup::Neck));
        choices.click(rebaOptionIndex("RebaNeck1"));
        QVERIFY(!choices.isMeasured(RebaGroup::Neck));
        QCOMPARE(choices.groupScore(RebaGroup::Neck), some(2));
    }

    // The band of a measured angle, on both sides of each of the method's limits.
    void bandOfAngle_data()
    {
        QTest::addColumn<int>("group");
        QTest::addColumn<double>("angle");
        QTest::addColumn<QString>("band");
        auto row = [](const char* name, rula::Group g, double angle, const char* band) {
            QTest::newRow(name) << int(g) << angle << QString::fromLatin1(band);
        };
        row("neck 20", rula::Group::Neck, 20, "RebaNeck1");
        row("neck 21", rula::Group::Neck, 21, "RebaNeck2");
        row("neck -10", rula::Group::Neck, -10, "RebaNeck2");
        row("trunk 0", rula::Group::Trunk, 0, "RebaTrunk1");
        row("trunk 15", rula::Group::Trunk, 15, "RebaTrunk2");
        row("trunk -15", rula::Group::Trunk, -15, "RebaTrunk2");
        row("trunk -25", rula::Group::Trunk, -25, "RebaTrunk3");
        row("trunk 60", rula::Group::Trunk, 60, "RebaTrunk3");
        row("trunk 61", rula::Group::Trunk, 61, "RebaTrunk4");
        row("upper arm -20", rula::Group::UpperRight, -20, "RebaUpperArm1Right");
        row("upper arm -21", rula::Group::UpperLeft, -21, "RebaUpperArm2Left");
        row("upper arm 45", rula::Group::UpperRight, 45, "RebaUpperArm2Right");
        row("upper arm 46", rula::Group::UpperRight, 46, "RebaUpperArm3Right");
        row("upper arm 91", rula::Group::UpperRight, 91, "RebaUpperArm4Right");
        row("lower arm 59", rula::Group::LowerLeft, 59, "RebaLowerArm2Left");
        row("lower arm 100", rula::Group::LowerRight, 100, "RebaLowerArm1Right");
        row("lower arm 101", rula::Group::LowerRight, 101, "RebaLowerArm2Right");
        row("wrist -15", rula::Group::WristRight, -15, "RebaWrist1Right");
        row("wrist 16", rula::Group::WristLeft, 16, "RebaWrist2Left");
    }

    void bandOfAngle()
    {
        QFETCH(int, group);
        QFETCH(double, angle);
        QFETCH(QString, band);
        QCOMPARE(rebaBandOfAngle(static_cast<rula::Group>(group), angle), rebaOptionIndex(band.toStdString()));
    }
};

QTEST_APPLESS_MAIN(RebaTablesTest)
#include "tst_rebatables.moc"
