// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Evidence.h"

// Whether an evidence file found beside a saved text file is that assessment's own. In a folder
// others can write to, anyone who can read the text file can plant an evidence file of its hash
// whose texts would then stand in for the text file's; so only a file its own account keeps, and
// that says what the text file says, is taken.

// Why the evidence file at `evidencePath` cannot be the evidence of the saved text file at
// `textPath` as files (owned by neither the user nor the text file's owner, or writable by every
// account), or an empty text.
QString evidenceOwnershipRefusal(const QString& evidencePath, const QString& textPath);

// Whether `evidence` names the employee the text file names: its texts as typed, with the
// apostrophes the text file drops dropped, are the text file's `stored` texts.
bool evidenceNamesEmployee(const Evidence& evidence, const EmployeeTexts& stored);

// The evidence of the saved text file `textPath` (read into `stored` texts), as
// evidenceOfTextFile reads it, and used only when it belongs to the assessment: otherwise not
// ok, with the error "The evidence file NAME does not belong to this assessment; it was not used."
EvidenceOfFile evidenceOfAssessment(const QString& textPath, const EmployeeTexts& stored,
                                    PictureBytes pictureBytes = PictureBytes::Read);
