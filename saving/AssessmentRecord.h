// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ActionLevels.h"
#include "AssessmentState.h"
#include "Reba.h"
#include "SaveTable.h"
#include "ScoreTables.h"
#include "ScoreTrace.h"

#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

// The three employee details texts.
struct EmployeeTexts
{
    QString name;
    QString id;
    QString location;
};

// What the assessor records about the observation, beside the employee texts.
struct ObservationDetails
{
    QString task;       // the job or job step observed
    QDateTime observed; // when it was observed
    QString assessor;
    QString phase; // one of assessmentPhases() (saving/Evidence.h)
    QString notes;
};

// One save of an assessment, as its evidence keeps it.
struct AssessmentRevision
{
    int revision = 0;
    QDateTime savedUtc;
    QString assessor;
    QString programVersion;
    QString changes; // in words, since the previous revision
};

// One assessment as every output sees it: the result files, the report, the comparison and
// the register are all written from this, and the final results and action levels windows
// show it. Built in one place, by BuildRecord, or read back from a saved text file.
struct AssessmentRecord
{
    EmployeeTexts typed;              // as typed in the employee details boxes
    EmployeeTexts stored;             // as saved: the first 100 apostrophes removed
    rula::AssessmentState assessment; // the 66 selections and the 17 body-part scores
    rula::ResultScores results;       // posture scores A and B, scores C and D, grand scores
    rula::ScoreTrace trace;           // how each of `results` was reached
    rula::reba::RebaChoices reba;     // REBA for the same worker; its scores follow from it
    std::optional<rula::ActionLevel> levelLeft;
    std::optional<rula::ActionLevel> levelRight;
    QDateTime assessedAt; // when the results were computed, or when a saved file was last written
    // The observation's details; a saved file without evidence has none (`observed` invalid).
    ObservationDetails details;
    // The identity and saves kept in the evidence: no id and no history for an assessment never
    // saved with evidence.
    QString assessmentId;
    std::vector<AssessmentRevision> history;
};

// Whether a record carries the trace of its scores: every record shown, saved or reported does;
// one made only to be published need not (the team database keeps no trace, and tracing is a
// seventh of the time a folder of saved files takes to publish).
enum class ScoreTracing
{
    Traced,
    Untraced, // `trace` left empty
};

// The record of `assessment` with every score computed from it now.
AssessmentRecord BuildRecord(const rula::AssessmentState& assessment, const EmployeeTexts& typed,
                             const QDateTime& assessedAt, ScoreTracing tracing = ScoreTracing::Traced);

// The record of `assessment` whose results were computed earlier (results keep what a lookup
// that matched no cell left in them, exactly as ComputeScores does).
AssessmentRecord BuildRecord(const rula::AssessmentState& assessment, const rula::ResultScores& results,
                             const EmployeeTexts& typed, const QDateTime& assessedAt,
                             ScoreTracing tracing = ScoreTracing::Traced);

// The save table of a record: labels, the 66 option rows, the 17 body-part scores, both action
// levels with their recommendations, the stored employee texts and both grand scores. A side
// whose grand score has no action level leaves its two rows empty.
SaveTable SaveTableOf(const AssessmentRecord& record);

// The body part a group scores, named as the saved files name its score row without the
// word "Score": "Upper Right Arm", "Left Wrist Twist", "Lower Body Force".
QString bodyPartName(rula::Group group);
