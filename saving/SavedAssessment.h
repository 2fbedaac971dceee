// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AssessmentRecord.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

// A result text file read back into a record.
struct SavedAssessment
{
    bool ok = false;
    QString error; // when not ok: the first bad line, "line 12: ..."

    // The selections are replayed through SelectOption (base options first, then the
    // adjustments) and every score is computed afresh from them; the employee texts are the
    // stored ones, and they are also what `record.typed` holds. `record.assessedAt` is when
    // the file was last written (invalid for bytes read from memory).
    AssessmentRecord record;

    // The scores as the file holds them, and where they disagree with the recomputed ones
    // ("Neck: saved 3, the options give 2"): a file edited by hand, or written by a program
    // with other rules. The record always keeps the recomputed scores.
    std::array<std::int16_t, rula::GroupCount> savedScores{};
    std::int16_t savedGrandScoreLeft = 0;
    std::int16_t savedGrandScoreRight = 0;
    QStringList differences;
};

// Reads the bytes of a result text file. Strict: the 184 lines of the format, every label
// exactly as the program writes it and in its order, every value of its row's kind (a score
// a number, an option "True" or "False", an action level one of the method's four), exactly
// one posture chosen in each group.
// `tracing` says whether the record carries the trace of its scores.
SavedAssessment ReadSavedAssessment(const QByteArray& bytes, ScoreTracing tracing = ScoreTracing::Traced);

// What ReadSavedAssessmentFile() read, for a caller that keeps it: the file's bytes, and when it
// was last written in UTC.
struct SavedFileRead
{
    QByteArray bytes;
    QDateTime lastWrittenUtc;
};

// Reads the file at `path`; a file that cannot be read gives an error with the system's reason.
// `read`, when given, receives what was read of a file read as a saved assessment; the record's
// `assessedAt` is then that time in UTC (the same moment, not turned into local time).
SavedAssessment ReadSavedAssessmentFile(const QString& path, SavedFileRead* read = nullptr,
                                        ScoreTracing tracing = ScoreTracing::Traced);

// As ReadSavedAssessmentFile(), of the file `name` in the folder open as `folder` (a descriptor,
// or AT_FDCWD for `name` as a path): a reader of a folder's many files opens each by its name,
// without the system walking the folder's path again for every one.
SavedAssessment ReadSavedAssessmentFileAt(int folder, const QString& name, SavedFileRead* read = nullptr,
                                          ScoreTracing tracing = ScoreTracing::Traced);
