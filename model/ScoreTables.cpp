// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScoreTables.h"

#include <algorithm>
#include <cstdint>

namespace rula {
namespace {

// [upper arm 1-6][lower arm 1-3][wrist 1-4 * 2 + twist 1-2]
constexpr std::uint8_t TableA[6][3][8] = {
    {{1, 2, 2, 2, 2, 3, 3, 3}, {2, 2, 2, 2, 3, 3, 3, 3}, {2, 3, 3, 3, 3, 3, 4, 4}},
    {{2, 3, 3, 3, 3, 4, 4, 4}, {3, 3, 3, 3, 3, 4, 4, 4}, {3, 4, 4, 4, 4, 4, 5, 5}},
    {{3, 3, 4, 4, 4, 4, 5, 5}, {3, 4, 4, 4, 4, 4, 5, 5}, {4, 4, 4, 4, 4, 5, 5, 5}},
    {{4, 4, 4, 4, 4, 5, 5, 5}, {4, 4, 4, 4, 4, 5, 5, 5}, {4, 4, 4, 5, 5, 5, 6, 6}},
    {{5, 5, 5, 5, 5, 6, 6, 7}, {5, 6, 6, 6, 6, 7, 7, 7}, {6, 6, 6, 7, 7, 7, 7, 8}},
    {{7, 7, 7, 7, 7, 8, 8, 9}, {8, 8, 8, 8, 8, 9, 9, 9}, {9, 9, 9, 9, 9, 9, 9, 9}},
};

// [neck 1-6][trunk 1-6 * 2 + legs 1-2]
constexpr std::uint8_t TableB[6][12] = {
    {1, 3, 2, 3, 3, 4, 5, 5, 6, 6, 7, 7}, {2, 3, 2, 3, 4, 5, 5, 5, 6, 7, 7, 7}, {3, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 7},
    {5, 5, 5, 6, 6, 7, 7, 7, 7, 7, 8, 8}, {7, 7, 7, 7, 7, 8, 8, 8, 8, 8, 8, 8}, {8, 8, 8, 8, 8, 8, 8, 9, 9, 9, 9, 9},
};

// [score C 1-8+][score D 1-7+]
constexpr std::uint8_t TableC[8][7] = {
    {1, 2, 3, 3, 4, 5, 5}, {2, 2, 3, 4, 4, 5, 5}, {3, 3, 3, 4, 4, 5, 6}, {3, 3, 3, 4, 5, 6, 6},
    {4, 4, 4, 5, 6, 7, 7}, {4, 4, 5, 6, 6, 7, 7}, {5, 5, 6, 6, 7, 7, 7}, {5, 5, 6, 7, 7, 7, 7},
};

bool inRange(int value, int low, int high)
{
    return value >= low && value <= high;
}

void assignIfFound(std::int16_t& target, std::optional<int> value)
{
    if (value)
        target = static_cast<std::int16_t>(*value);
}

} // namespace

std::optional<int> lookupTableA(int upperArm, int lowerArm, int wrist, int wristTwist)
{
    if (!inRange(upperArm, 1, 6) || !inRange(lowerArm, 1, 3) || !inRange(wrist, 1, 4) || !inRange(wristTwist, 1, 2))
        return std::nullopt;
    return TableA[upperArm - 1][lowerArm - 1][(wrist - 1) * 2 + (wristTwist - 1)];
}

std::optional<int> lookupTableB(int neck, int trunk, int legs)
{
    if (!inRange(neck, 1, 6) || !inRange(trunk, 1, 6) || !inRange(legs, 1, 2))
        return std::nullopt;
    return TableB[neck - 1][(trunk - 1) * 2 + (legs - 1)];
}

std::optional<int> lookupTableC(int scoreC, int scoreD)
{
    if (scoreC < 1 || scoreD < 1)
        return std::nullopt;
    return TableC[std::min(scoreC, 8) - 1][std::min(scoreD, 7) - 1];
}

const ArmPlan ArmPlans[2] = {
    {Group::UpperLeft, Group::LowerLeft, Group::WristLeft, Group::WristTwistLeft, Group::MuscleLeftUpper,
     Group::ForceLeftUpper, &ResultScores::PostureScoreALeft, &ResultScores::ScoreCLeft, &ResultScores::GrandScoreLeft},
    {Group::UpperRight, Group::LowerRight, Group::WristRight, Group::WristTwistRight, Group::MuscleRightUpper,
     Group::ForceRightUpper, &ResultScores::PostureScoreARight, &ResultScores::ScoreCRight,
     &ResultScores::GrandScoreRight},
};

const BodyPlan LowerBodyPlan = {Group::Neck, Group::Trunk, Group::Legs, Group::MuscleLower, Group::ForceLower};

TableAInputs tableAInputs(const AssessmentState& state, const ArmPlan& arm)
{
    const int upperArm = state.score(arm.upperArm);
    return {upperArm, std::max(upperArm, 1), state.score(arm.lowerArm), state.score(arm.wrist),
            state.score(arm.wristTwist)};
}

void ComputeScores(const AssessmentState& state, ResultScores& results)
{
    auto s = [&state](Group g) { return int(state.score(g)); };
    for (const ArmPlan& arm : ArmPlans) {
        const TableAInputs a = tableAInputs(state, arm);
        assignIfFound(results.*arm.postureScoreA, lookupTableA(a.upperArmLookedUp, a.lowerArm, a.wrist, a.wristTwist));
        results.*arm.scoreC = static_cast<std::int16_t>(results.*arm.postureScoreA + s(arm.muscle) + s(arm.force));
    }
    const BodyPlan& body = LowerBodyPlan;
    assignIfFound(results.PostureScoreB, lookupTableB(s(body.neck), s(body.trunk), s(body.legs)));
    results.ScoreD = static_cast<std::int16_t>(results.PostureScoreB + s(body.force) + s(body.muscle));
    for (const ArmPlan& arm : ArmPlans)
        assignIfFound(results.*arm.grandScore, lookupTableC(results.*arm.scoreC, results.ScoreD));
}

} // namespace rula
