// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AssessmentState.h"

#include <QString>

#include <array>
#include <cstdint>
#include <variant>

// One cell of the save table: never filled, a text, or a 16-bit integer.
using SaveCell = std::variant<std::monostate, QString, std::int16_t>;

// The 92 labelled values (rows 0 to 91) that a save writes to both result files, made from an
// assessment record by SaveTableOf (AssessmentRecord.h).
class SaveTable
{
public:
    static constexpr int RowCount = 92;

    // Rows with a fixed meaning.
    static constexpr int ActionLevelLeft = 0;
    static constexpr int RecommendationLeft = 1;
    static constexpr int ActionLevelRight = 8;
    static constexpr int RecommendationRight = 9;
    static constexpr int FirstOptionRow = 21;
    static constexpr int EmployeeName = 87;
    static constexpr int EmployeeId = 88;
    static constexpr int EmployeeLocation = 89;
    static constexpr int GrandScoreLeft = 90;
    static constexpr int GrandScoreRight = 91;

    const SaveCell& label(int row) const { return m_labels.at(static_cast<std::size_t>(row)); }
    const SaveCell& value(int row) const { return m_values.at(static_cast<std::size_t>(row)); }
    void setValue(int row, SaveCell value) { m_values.at(static_cast<std::size_t>(row)) = std::move(value); }

    // Writes every label cell: the fixed texts and "<group key> - Option <n>" for option rows.
    void WriteLabels();
    // Writes the 66 option rows' values: "True" for a selected option, "False" otherwise.
    void WriteOptionRows(const rula::AssessmentState& state);

    // The fixed label text of a row ("Neck Score", "Upper Right - Option 1", ...).
    static QString labelText(int row);
    // The row that receives a body-part score (rows 2-7, 10-20).
    static int scoreRow(rula::Group group);
    // Every body-part score row, in the order the file holds them.
    static std::array<int, rula::GroupCount> scoreRowsInFileOrder();

private:
    std::array<SaveCell, RowCount> m_labels{};
    std::array<SaveCell, RowCount> m_values{};
};

// The text of a cell as the database stores it: a text as it is, an integer as decimal
// digits, an empty cell as an empty text.
QString cellText(const SaveCell& cell);
