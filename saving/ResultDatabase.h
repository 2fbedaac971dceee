// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "SaveTable.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// The result database: an SQLite file (QSQLITE) with the table RULAResult (23 text
// columns, one row of scores, action levels and recommendations) and, when an employee
// name was given, the table EmployeeDetails (3 text columns, one row).
namespace ResultDatabase {

constexpr int ResultColumnCount = 23;
constexpr int EmployeeColumnCount = 3;

// The save-table row behind each RULAResult column, in column order.
const std::array<int, ResultColumnCount>& resultRows();
// Column names: RULAResult's are the labels of its rows; EmployeeDetails' are its own.
QStringList resultColumns();
QStringList employeeColumns();

QString createResultTableStatement();
QString createEmployeeTableStatement();

// The two INSERT statements. Every apostrophe inside a value is doubled, so the engine
// stores the value exactly as it stands in the table; without apostrophes the text is
// the plain concatenation of the values and their fixed separators. Any text makes one
// statement with every value inside its quotes: a NUL is joined in as char(0), and a lone
// surrogate is stored as "?", as the text file's encoding stores it.
QString resultInsertStatement(const SaveTable& table);
QString employeeInsertStatement(const SaveTable& table);

// EmployeeDetails is written only when row 87 holds a text that is not empty.
bool hasEmployeeDetails(const SaveTable& table);

// Creates both tables and their rows in the database file at `path`, which must be new
// (absent or empty). The file is closed when this returns, but not synced to disk.
// Returns an empty text on success, otherwise what failed with the engine's description.
QString write(const QString& path, const SaveTable& table);

// A result database read back through QtSql, for checks and later features.
struct Contents
{
    QString error;                              // empty when the file could be read
    QStringList tables;                         // user tables, in creation order
    QStringList resultColumns;                  // RULAResult's columns, in order
    QStringList resultColumnTypes;              // their declared types
    QList<QStringList> resultRows;              // every row of RULAResult
    std::optional<QStringList> employeeColumns; // set when EmployeeDetails exists
    QStringList employeeColumnTypes;
    QList<QStringList> employeeRows;
};
Contents read(const QString& path);

} // namespace ResultDatabase
