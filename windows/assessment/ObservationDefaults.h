// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QString>

struct ProgramState;

// What the observation's details hold until the assessor types otherwise: shown by the
// Assessment Details window, filled in when the employee details are continued, and the
// assessor remembered by a completed save.
namespace ObservationDefaults {

// The assessor proposed for a new assessment: the last one saved, kept in the program's
// settings; the first time, the account's full name, else its login name.
QString assessor();
// Remembers `assessor` as the one to propose next time (an empty one is not remembered).
void rememberAssessor(const QString& assessor);
// Fills in what the assessor has not: the observation time (`now`), the assessor and the phase.
void fillIn(ProgramState& state, const QDateTime& now);

} // namespace ObservationDefaults
