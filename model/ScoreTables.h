// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AssessmentState.h"

#include <cstdint>
#include <optional>

namespace rula {

// The eight results of "View Results"; zero at start, overwritten by each successful run.
struct ResultScores
{
    std::int16_t PostureScoreALeft = 0;
    std::int16_t PostureScoreARight = 0;
    std::int16_t PostureScoreB = 0;
    std::int16_t ScoreCLeft = 0;
    std::int16_t ScoreCRight = 0;
    std::int16_t ScoreD = 0;
    std::int16_t GrandScoreLeft = 0;
    std::int16_t GrandScoreRight = 0;
};

// RULA Table A: upper arm 1-6, lower arm 1-3, wrist 1-4, wrist twist 1-2 give 1-9.
// Inputs outside those ranges match no cell.
std::optional<int> lookupTableA(int upperArm, int lowerArm, int wrist, int wristTwist);

// RULA Table B: neck 1-6, trunk 1-6, legs 1-2 give 1-9.
std::optional<int> lookupTableB(int neck, int trunk, int legs);

// RULA Table C: score C 1 and up (8 or more use the 8+ row), score D 1 and up (7 or more
// use the 7+ column) give the grand score 1-7. Below 1 matches nothing.
std::optional<int> lookupTableC(int scoreC, int scoreD);

// The plan of the lookups: which body-part scores go into which table and sum, and which
// result each fills. ComputeScores follows it and TraceScores retells it, so a trace can
// never disagree with a score.
struct ArmPlan
{
    Group upperArm, lowerArm, wrist, wristTwist, muscle, force;
    std::int16_t ResultScores::*postureScoreA; // Table A
    std::int16_t ResultScores::*scoreC;        // posture score A + muscle use + force
    std::int16_t ResultScores::*grandScore;    // Table C of score C and score D
};

struct BodyPlan
{
    Group neck, trunk, legs, muscle, force; // Table B, then score D = posture score B + muscle use + force
};

// The left arm, then the right: the order in which ComputeScores fills them in.
extern const ArmPlan ArmPlans[2];
extern const BodyPlan LowerBodyPlan;

// Table A's inputs for one arm: `upperArm` as scored, and `upperArmLookedUp`, the row it is
// looked up in (a score below 1, option 1 with the arm support adjustment, is looked up as 1,
// the method's lowest band).
struct TableAInputs
{
    int upperArm, upperArmLookedUp, lowerArm, wrist, wristTwist;
};
TableAInputs tableAInputs(const AssessmentState& state, const ArmPlan& arm);

// Combines the body-part scores through Tables A, B and C into `results`, in the order
// A left, C left, A right, C right, B, D, grand left, grand right. A lookup that matches
// no cell leaves its result as it was. An upper arm score below 1 (option 1 with the arm
// support adjustment) is looked up as 1, the method's lowest band, so no result goes stale.
void ComputeScores(const AssessmentState& state, ResultScores& results);

} // namespace rula
