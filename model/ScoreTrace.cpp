// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScoreTrace.h"

#include <algorithm>

namespace rula {
namespace {

std::string number(int value)
{
    return scoreText(value);
}

// " gives 4 (row 8, column 3)", or what was kept when no cell matched.
std::string outcome(std::optional<int> found, int kept, int row, int column)
{
    if (!found)
        return " matches no cell of the table; the score stays " + number(kept);
    return " gives " + number(*found) + " (row " + number(row) + ", column " + number(column) + ")";
}

std::string traceTableA(const TableAInputs& a, int kept)
{
    std::string text = "Table A: upper arm " + number(a.upperArm);
    if (a.upperArmLookedUp != a.upperArm)
        text += " (looked up as 1, the lowest band)";
    text += ", lower arm " + number(a.lowerArm) + ", wrist " + number(a.wrist) + ", twist " + number(a.wristTwist);
    const int row = (a.upperArmLookedUp - 1) * 3 + a.lowerArm;
    const int column = (a.wrist - 1) * 2 + a.wristTwist;
    return text + outcome(lookupTableA(a.upperArmLookedUp, a.lowerArm, a.wrist, a.wristTwist), kept, row, column);
}

std::string traceSum(const char* name, const char* postureName, int posture, int muscle, int force)
{
    return std::string(name) + ": " + postureName + " " + number(posture) + " + muscle use " + number(muscle) +
           " + force " + number(force) + " gives " + number(posture + muscle + force);
}

std::string traceTableC(int scoreC, int scoreD, int kept)
{
    std::string text = "Table C: score C " + number(scoreC);
    if (scoreC >= 8)
        text += " (read as 8+)";
    text += ", score D " + number(scoreD);
    if (scoreD >= 7)
        text += " (read as 7+)";
    return text + outcome(lookupTableC(scoreC, scoreD), kept, std::min(scoreC, 8), std::min(scoreD, 7));
}

// Where each arm's sentences go, in the order of ArmPlans.
struct ArmTrace
{
    std::string ScoreTrace::*postureScoreA;
    std::string ScoreTrace::*scoreC;
    std::string ScoreTrace::*grandScore;
};

constexpr ArmTrace ArmTraces[2] = {
    {&ScoreTrace::PostureScoreALeft, &ScoreTrace::ScoreCLeft, &ScoreTrace::GrandScoreLeft},
    {&ScoreTrace::PostureScoreARight, &ScoreTrace::ScoreCRight, &ScoreTrace::GrandScoreRight},
};

} // namespace

ScoreTrace TraceScores(const AssessmentState& state, const ResultScores& results)
{
    auto s = [&state](Group g) { return int(state.score(g)); };
    ScoreTrace trace;
    const BodyPlan& body = LowerBodyPlan;
    for (int side = 0; side < 2; ++side) {
        const ArmPlan& arm = ArmPlans[side];
        const ArmTrace& to = ArmTraces[side];
        const int postureA = results.*arm.postureScoreA;
        trace.*to.postureScoreA = traceTableA(tableAInputs(state, arm), postureA);
        trace.*to.scoreC = traceSum("Score C", "posture score A", postureA, s(arm.muscle), s(arm.force));
        trace.*to.grandScore = traceTableC(results.*arm.scoreC, results.ScoreD, results.*arm.grandScore);
    }

    const int neck = s(body.neck);
    const int trunk = s(body.trunk);
    const int legs = s(body.legs);
    trace.PostureScoreB = "Table B: neck " + number(neck) + ", trunk " + number(trunk) + ", legs " + number(legs) +
                          outcome(lookupTableB(neck, trunk, legs), results.PostureScoreB, neck, (trunk - 1) * 2 + legs);
    trace.ScoreD = traceSum("Score D", "posture score B", results.PostureScoreB, s(body.muscle), s(body.force));
    return trace;
}

} // namespace rula
