// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AssessmentRecord.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// Two assessments of one job, before and after a change, set side by side: what the
// comparison page prints, worked out apart from how it is drawn.
namespace comparison {

// A score before and after.
struct Change
{
    int before = 0;
    int after = 0;
    bool changed() const { return before != after; }
};

// One line of the score table: a body part's score, or a score computed from them.
struct ScoreLine
{
    QString label;
    bool computed = false;       // posture scores A and B, scores C and D, the grand scores
    bool actionLevel = false;    // the action levels (0: a grand score with none)
    std::optional<Change> right; // the right side's, or the one score of both sides
    std::optional<Change> left;  // empty where both sides share the score
};

struct ScoreSection
{
    QString heading;
    QStringList columns; // "Right side", "Left side"; or "Both sides"
    std::vector<ScoreLine> lines;
};

// The grand scores and action levels; the arms and wrists; the neck, trunk and legs; and REBA's
// scores when either assessment has REBA.
std::vector<ScoreSection> scoreSections(const AssessmentRecord& before, const AssessmentRecord& after);

// "Right side: action level 4 → 2; left side: 3 → 3" ("none" for a grand score without one).
QString summarySentence(const AssessmentRecord& before, const AssessmentRecord& after);

// "The same assessment, revision 1 → 3" when both were saved with evidence of one assessment
// id; empty otherwise.
QString sameAssessmentSentence(const AssessmentRecord& before, const AssessmentRecord& after);

// When an assessment was made: its observation from the evidence ("2026-11-30 09:15"), or
// else the time its file was last written, said so.
QString observedText(const AssessmentRecord& record);

} // namespace comparison
