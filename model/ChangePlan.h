// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AssessmentState.h"
#include "ScoreTables.h"

#include <optional>
#include <vector>

namespace rula {

// What a single change does to one option.
enum class ChangeKind
{
    Select, // another base option of the group, of a lower value
    Tick,   // an adjustment of negative value (the upper arm's support) ticked
    Untick, // a selected adjustment of positive value unticked
};

// Both sides' grand scores and action levels (0 for a grand score that has none).
struct PlanOutcome
{
    ResultScores results;
    int levelRight = 0;
    int levelLeft = 0;

    int grandRight() const { return results.GrandScoreRight; }
    int grandLeft() const { return results.GrandScoreLeft; }
};

// One change of one option that lowers its group's score, and where it leads on its own.
struct SingleChange
{
    int optionIndex = 0; // into options()
    ChangeKind kind = ChangeKind::Select;
    int replacedOption = -1; // a Select's: the base option selected before (into options())
    int scoreBefore = 0;     // the group's score
    int scoreAfter = 0;
    PlanOutcome outcome; // the assessment with this change alone

    Group group() const { return options()[static_cast<std::size_t>(optionIndex)].group; }
};

// The grand scores and action levels of `assessment`, computed by ComputeScores starting from
// `computed` (the results it was last computed to, which a lookup that matches no cell keeps).
PlanOutcome outcomeOf(const AssessmentState& assessment, const ResultScores& computed);

// Every single change that lowers one group's score toward the neutral posture: another base
// option of lower value on the same side of neutral, or the neutral band itself; a selected
// adjustment of positive value unticked; the upper arm's support adjustment ticked. Sorted by the higher of the two
// resulting action levels, then by the sum of the grand scores, then by group and option number.
std::vector<SingleChange> singleChanges(const AssessmentState& assessment, const ResultScores& computed);

// `assessment` with `changes` made: a copy, the original is untouched. Two base options of
// one group leave the later one selected.
AssessmentState withChanges(AssessmentState assessment, const std::vector<SingleChange>& changes);

// True when `changes` may be made together: at most one base option per group.
bool combinable(const std::vector<SingleChange>& changes);

// The smallest set of `changes` (the list of singleChanges) that brings each side's action
// level down (a side already at level 1 only has to stay there), as positions in `changes`
// in rising order. Among sets of that size: the lowest higher level, then the lowest sum of
// grand scores, then the one first in the list. None when not even every change together
// would do it, or when both sides are at level 1.
std::optional<std::vector<int>> smallestLoweringSet(const AssessmentState& assessment, const ResultScores& computed,
                                                    const std::vector<SingleChange>& changes);

// True when both hold the same selections (and so the same scores).
bool sameAssessment(const AssessmentState& a, const AssessmentState& b);

} // namespace rula
