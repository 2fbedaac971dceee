// SPDX-License-Identifier: GPL-3.0-or-later
#include "SaveTable.h"

#include "ModelText.h"
#include "ScoreRowGroup.h"

#include <algorithm>

namespace {

struct FixedRow
{
    int row;
    const char* label;
};

constexpr FixedRow FixedRows[] = {
    {0, "Action Level - Left Arm"},
    {1, "Recommendation - Left Arm"},
    {2, "Upper Left Arm Score"},
    {3, "Lower Left Arm Score"},
    {4, "Left Wrist Angle Score"},
    {5, "Left Wrist Twist Score"},
    {6, "Left Muscle Use Score"},
    {7, "Left Force Score"},
    {8, "Action Level - Right Arm"},
    {9, "Recommendation - Right Arm"},
    {10, "Upper Right Arm Score"},
    {11, "Lower Right Arm Score"},
    {12, "Right Wrist Angle Score"},
    {13, "Right Wrist Twist Score"},
    {14, "Right Muscle Use Score"},
    {15, "Right Force Score"},
    {16, "Neck Score"},
    {17, "Trunk Score"},
    {18, "Legs Score"},
    {19, "Lower Body Muscle Score"},
    {20, "Lower Body Force Score"},
    {87, "Employee Name:"},
    {88, "Employee ID:"},
    {89, "Employee Location:"},
    {90, "RULA - Left Arm Score"},
    {91, "RULA - Right Arm Score"},
};

// Body-part score rows, indexed by group.
constexpr int ScoreRows[rula::GroupCount] = {
    10, // UpperRight
    2,  // UpperLeft
    11, // LowerRight
    3,  // LowerLeft
    12, // WristRight
    13, // WristTwistRight
    4,  // WristLeft
    5,  // WristTwistLeft
    16, // Neck
    17, // Trunk
    18, // Legs
    14, // MuscleRightUpper
    6,  // MuscleLeftUpper
    19, // MuscleLower
    15, // ForceRightUpper
    7,  // ForceLeftUpper
    20, // ForceLower
};

} // namespace

QString SaveTable::labelText(int row)
{
    const int option = row - FirstOptionRow;
    if (option >= 0 && option < rula::OptionCount) {
        const rula::OptionInfo& info = rula::options()[option];
        return QStringLiteral("%1 - Option %2").arg(modelText(rula::groupInfo(info.group).key)).arg(info.number);
    }
    for (const FixedRow& fixed : FixedRows) {
        if (fixed.row == row)
            return QString::fromLatin1(fixed.label);
    }
    return {};
}

int SaveTable::scoreRow(rula::Group group)
{
    return ScoreRows[static_cast<int>(group)];
}

std::array<int, rula::GroupCount> SaveTable::scoreRowsInFileOrder()
{
    std::array<int, rula::GroupCount> rows{};
    std::copy(std::begin(ScoreRows), std::end(ScoreRows), rows.begin());
    std::sort(rows.begin(), rows.end());
    return rows;
}

rula::Group scoreRowGroup(int row)
{
    for (int group = 0; group < rula::GroupCount; ++group) {
        if (ScoreRows[group] == row)
            return static_cast<rula::Group>(group);
    }
    return rula::Group(0);
}

void SaveTable::WriteLabels()
{
    for (int row = 0; row < RowCount; ++row)
        m_labels[row] = labelText(row);
}

void SaveTable::WriteOptionRows(const rula::AssessmentState& state)
{
    for (int option = 0; option < rula::OptionCount; ++option)
        m_values[FirstOptionRow + option] = state.isSelected(option) ? QStringLiteral("True") : QStringLiteral("False");
}

QString cellText(const SaveCell& cell)
{
    if (const auto* text = std::get_if<QString>(&cell))
        return *text;
    if (const auto* number = std::get_if<std::int16_t>(&cell))
        return QString::number(*number);
    return {};
}
