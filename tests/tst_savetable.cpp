// SPDX-License-Identifier: GPL-3.0-or-later
#include "SaveTable.h"

#include <QtTest>

#include <set>

using namespace rula;

class TestSaveTable : public QObject
{
    Q_OBJECT

private slots:
    void emptyUntilFilled();
    void labels();
    void optionRowsFollowTheSelection();
    void scoreRowsCoverRowsTwoToTwenty();
    void cellTexts();
};

void TestSaveTable::emptyUntilFilled()
{
    SaveTable table;
    for (int row = 0; row < SaveTable::RowCount; ++row) {
        QVERIFY(std::holds_alternative<std::monostate>(table.label(row)));
        QVERIFY(std::holds_alternative<std::monostate>(table.value(row)));
    }
    table.setValue(SaveTable::EmployeeName, QString());
    QVERIFY(std::holds_alternative<QString>(table.value(SaveTable::EmployeeName)));
    table.setValue(16, std::int16_t(2));
    table.setValue(16, std::int16_t(3));
    QCOMPARE(std::get<std::int16_t>(table.value(16)), std::int16_t(3));
}

void TestSaveTable::labels()
{
    SaveTable table;
    table.WriteLabels();
    QCOMPARE(cellText(table.label(0)), QString("Action Level - Left Arm"));
    QCOMPARE(cellText(table.label(9)), QString("Recommendation - Right Arm"));
    QCOMPARE(cellText(table.label(20)), QString("Lower Body Force Score"));
    QCOMPARE(cellText(table.label(21)), QString("Upper Right - Option 1"));
    QCOMPARE(cellText(table.label(28)), QString("Upper Right - Option 8"));
    QCOMPARE(cellText(table.label(37)), QString("Lower Right - Option 1"));
    QCOMPARE(cellText(table.label(55)), QString("Neck - Option 1"));
    QCOMPARE(cellText(table.label(67)), QString("Legs - Option 1"));
    QCOMPARE(cellText(table.label(69)), QString("Muscle Right Upper - Option 1"));
    QCOMPARE(cellText(table.label(86)), QString("Force Lower - Option 4"));
    QCOMPARE(cellText(table.label(87)), QString("Employee Name:"));
    QCOMPARE(cellText(table.label(91)), QString("RULA - Right Arm Score"));
    std::set<QString> distinct;
    for (int row = 0; row < SaveTable::RowCount; ++row) {
        QVERIFY2(!cellText(table.label(row)).isEmpty(), qPrintable(QString::number(row)));
        distinct.insert(cellText(table.label(row)));
    }
    QCOMPARE(int(distinct.size()), SaveTable::RowCount);
    // Labelling writes no value.
    QVERIFY(std::holds_alternative<std::monostate>(table.value(0)));
}

void TestSaveTable::optionRowsFollowTheSelection()
{
    AssessmentState state;
    const int neck1 = optionIndexOfPanel("Frame53"); // "Neck" option 1, row 55
    const int twist = optionIndexOfPanel("Frame61"); // "Neck" option 5, row 59
    state.SelectOption(neck1);
    state.SelectOption(twist);
    state.SelectOption(optionIndexOfPanel("Frame20")); // "Lower Right" option 3 clicked twice
    state.SelectOption(optionIndexOfPanel("Frame20"));

    SaveTable table;
    table.WriteOptionRows(state);
    QCOMPARE(cellText(table.value(55)), QString("True"));
    QCOMPARE(cellText(table.value(59)), QString("True"));
    QCOMPARE(cellText(table.value(39)), QString("False"));
    int trueRows = 0;
    for (int row = SaveTable::FirstOptionRow; row < SaveTable::FirstOptionRow + OptionCount; ++row) {
        const QString text = cellText(table.value(row));
        QVERIFY(text == "True" || text == "False");
        trueRows += text == "True";
    }
    QCOMPARE(trueRows, 2);
    QVERIFY(std::holds_alternative<std::monostate>(table.value(20)));
    QVERIFY(std::holds_alternative<std::monostate>(table.value(87)));
}

void TestSaveTable::scoreRowsCoverRowsTwoToTwenty()
{
    std::set<int> rows;
    for (const GroupInfo& group : groups())
        rows.insert(SaveTable::scoreRow(group.group));
    std::set<int> expected;
    for (int row = 2; row <= 20; ++row) {
        if (row != 8 && row != 9)
            expected.insert(row);
    }
    QCOMPARE(rows, expected);
    QCOMPARE(SaveTable::scoreRow(Group::UpperLeft), 2);
    QCOMPARE(SaveTable::scoreRow(Group::WristLeft), 4);
    QCOMPARE(SaveTable::scoreRow(Group::UpperRight), 10);
    QCOMPARE(SaveTable::scoreRow(Group::ForceLower), 20);
    // Each score row's label names its own body part.
    QCOMPARE(SaveTable::labelText(SaveTable::scoreRow(Group::WristTwistRight)), QString("Right Wrist Twist Score"));
    QCOMPARE(SaveTable::labelText(SaveTable::scoreRow(Group::MuscleLower)), QString("Lower Body Muscle Score"));
}

void TestSaveTable::cellTexts()
{
    QCOMPARE(cellText(SaveCell{}), QString());
    QCOMPARE(cellText(SaveCell{std::int16_t(-1)}), QString("-1"));
    QCOMPARE(cellText(SaveCell{std::int16_t(0)}), QString("0"));
    QCOMPARE(cellText(SaveCell{QString("Ünal \"Q\"")}), QString("Ünal \"Q\""));
}

QTEST_APPLESS_MAIN(TestSaveTable)
#include "tst_savetable.moc"
