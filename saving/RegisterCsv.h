// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AssessmentRecord.h"
#include "Evidence.h"
#include "ScoreRanges.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// The register: one CSV row per saved assessment, as a spreadsheet opens it. UTF-8, fields
// quoted as RFC 4180 says (only where needed, quotes doubled), rows ending in CR LF.
namespace RegisterCsv {

// The column names, in order: the file, the employee texts, the time the file was last
// written, the 17 body-part scores as the result files name them, posture scores A and B,
// scores C and D, the grand scores and the action levels of both sides; then what the
// evidence file adds: task, observed, assessor, phase, assessment id, revision and the body
// parts measured on the workplace picture.
QStringList columns();

// One score column: its name and the whole range its value can take by the method.
struct ScoreColumn
{
    QString name;
    rula::ScoreRange range;
};

// The score columns, the last 27 of columns(): the body-part scores, posture scores A and B,
// scores C and D, the grand scores and the action levels, each with its range.
QList<ScoreColumn> scoreColumnsWithRanges();

// The names of the score columns.
QStringList scoreColumns();

// The values of the score columns for `record`, in their order; an action level is empty for a
// grand score with none.
QList<std::optional<int>> scores(const AssessmentRecord& record);

// REBA's columns, after the evidence's: "REBA Score Right", "REBA Score Left", "REBA Risk Right",
// "REBA Risk Left".
QStringList rebaColumns();

// REBA's items as numbers, in rebaColumns()' order: both REBA scores (1-15) and both risk levels
// (1 negligible to 5 very high); empty for a side not scored.
QList<std::optional<int>> rebaScores(const rula::reba::RebaChoices& choices);

// The header row.
QByteArray header();

// The row of an assessment read from the file at `path`. The time is local, written
// "yyyy-MM-dd HH:mm:ss"; an action level is its number, empty for a grand score with none.
// An employee text that a spreadsheet would take for a formula ("=", "+", "-" or "@" first)
// gets an apostrophe in front: saved texts never hold one, so it cannot be mistaken for theirs.
// With `evidence` (nullptr for none), the employee texts are the ones it keeps as typed, and
// its columns are filled; without, they are empty.
QByteArray row(const QString& path, const AssessmentRecord& record, const Evidence* evidence = nullptr);

// The row of an assessment without evidence from what a database keeps of it: the employee
// texts as saved, the time already written "yyyy-MM-dd HH:mm:ss" (empty for none), and the
// values of the score columns joined by commas in their order. The same row as row() gives.
QByteArray storedRow(const QString& path, const EmployeeTexts& stored, QByteArrayView written, QByteArrayView scores);

// The position of each body-part score column in rula::groups() order: the n-th score column
// holds the score of group scoreGroupOrder()[n].
std::array<int, rula::GroupCount> scoreGroupOrder();

// One field as RFC 4180 writes it: quoted when it holds a comma, a quote or a line break.
QByteArray field(const QString& text);

} // namespace RegisterCsv
