// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Reba.h"

#include <QString>

#include <optional>
#include <utility>
#include <vector>

class QSqlDatabase;

// REBA's part of the evidence file: one table, `reba`, a row per REBA option (its objectName,
// whether it is selected, whether its group's band came from a measurement) and a row per score
// (its name, its value; empty for a score not reached), so that the file alone shows what was
// chosen and what it gave. A file without the table (saved before REBA) holds no REBA choices.

namespace RebaEvidence {

// The table's statement, exactly as written and as the reader expects it.
const char* tableStatement();

// True for the table's entry in sqlite_master (type "table", name "reba", this statement).
bool isRebaTable(const QString& type, const QString& name, const QString& sql);

// Creates the table in `db` (inside the writer's transaction) and writes `choices` and their
// scores into it. Returns what failed, empty on success.
QString write(QSqlDatabase& db, const rula::reba::RebaChoices& choices);

// Reads the table, when the file has it, into `choices`, strictly: every option exactly once,
// flags 0 or 1, a measured mark only on a group with a band, and every score row equal to what
// the choices give. Returns why the file is refused (a sentence after the file's name), empty
// when it was read or is not there.
QString read(QSqlDatabase& db, rula::reba::RebaChoices& choices);

// The score rows' names and values of `choices`: "Score A", "Score B Right", "Score C Right",
// "REBA Score Right", the same for the left side; none for a score not reached.
std::vector<std::pair<QString, std::optional<int>>> scoreRows(const rula::reba::RebaChoices& choices);

} // namespace RebaEvidence
