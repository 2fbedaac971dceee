// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScoreTrace.h"

#include <algorithm>

namespace rula {
namespace {

// Each sentence is written into one string made large enough at once: a folder of thousands
// of saved files is traced as it is read.
constexpr std::size_t SentenceRoom = 128;

// Appends the pieces: texts as they are, numbers in decimal.
void appendPiece(std::string& text, const char* piece)
{
    text += piece;
}
void appendPiece(std::string& text, int value)
{
    text += scoreText(value);
}
template <typename... Pieces> void append(std::string& text, const Pieces&... pieces)
{
    (appendPiece(text, pieces), ...);
}

// " gives 4 (row 8, column 3)", or what was kept when no cell matched.
void appendOutcome(std::string& text, std::optional<int> found, int kept, int row, int column)
{
    if (!found)
        append(text, " matches no cell of the table; the score stays ", kept);
    else
        append(text, " gives ", *found, " (row ", row, ", column ", column, ")");
}

std::string traceTableA(const TableAInputs& a, int kept)
{
    std::string text;
    text.reserve(SentenceRoom);
    append(text, "Table A: upper arm ", a.upperArm);
    if (a.upperArmLookedUp != a.upperArm)
        append(text, " (looked up as 1, the lowest band)");
    append(text, ", lower arm ", a.lowerArm, ", wrist ", a.wrist, ", twist ", a.wristTwist);
    const int row = (a.upperArmLookedUp - 1) * 3 + a.lowerArm;
    const int column = (a.wrist - 1) * 2 + a.wristTwist;
    appendOutcome(text, lookupTableA(a.upperArmLookedUp, a.lowerArm, a.wrist, a.wristTwist), kept, row, column);
    return text;
}

std::string traceSum(const char* name, const char* postureName, int posture, int muscle, int force)
{
    std::string text;
    text.reserve(SentenceRoom);
    append(text, name, ": ", postureName, " ", posture, " + muscle use ", muscle, " + force ", force, " gives ",
           posture + muscle + force);
    return text;
}

std::string traceTableC(int scoreC, int scoreD, int kept)
{
    std::string text;
    text.reserve(SentenceRoom);
    append(text, "Table C: score C ", scoreC);
    if (scoreC >= 8)
        append(text, " (read as 8+)");
    append(text, ", score D ", scoreD);
    if (scoreD >= 7)
        append(text, " (read as 7+)");
    appendOutcome(text, lookupTableC(scoreC, scoreD), kept, std::min(scoreC, 8), std::min(scoreD, 7));
    return text;
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
    trace.PostureScoreB.reserve(SentenceRoom);
    append(trace.PostureScoreB, "Table B: neck ", neck, ", trunk ", trunk, ", legs ", legs);
    appendOutcome(trace.PostureScoreB, lookupTableB(neck, trunk, legs), results.PostureScoreB, neck,
                  (trunk - 1) * 2 + legs);
    trace.ScoreD = traceSum("Score D", "posture score B", results.PostureScoreB, s(body.muscle), s(body.force));
    return trace;
}

} // namespace rula
