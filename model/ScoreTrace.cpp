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

std::string traceTableA(int upperArm, int lowerArm, int wrist, int twist, int kept)
{
    const int lookedUp = std::max(upperArm, 1);
    std::string text = "Table A: upper arm " + number(upperArm);
    if (lookedUp != upperArm)
        text += " (looked up as 1, the lowest band)";
    text += ", lower arm " + number(lowerArm) + ", wrist " + number(wrist) + ", twist " + number(twist);
    const int row = (lookedUp - 1) * 3 + lowerArm;
    const int column = (wrist - 1) * 2 + twist;
    return text + outcome(lookupTableA(lookedUp, lowerArm, wrist, twist), kept, row, column);
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

} // namespace

ScoreTrace TraceScores(const AssessmentState& state, const ResultScores& results)
{
    auto s = [&state](Group g) { return int(state.score(g)); };
    ScoreTrace trace;
    trace.PostureScoreALeft = traceTableA(s(Group::UpperLeft), s(Group::LowerLeft), s(Group::WristLeft),
                                          s(Group::WristTwistLeft), results.PostureScoreALeft);
    trace.PostureScoreARight = traceTableA(s(Group::UpperRight), s(Group::LowerRight), s(Group::WristRight),
                                           s(Group::WristTwistRight), results.PostureScoreARight);
    trace.ScoreCLeft = traceSum("Score C", "posture score A", results.PostureScoreALeft, s(Group::MuscleLeftUpper),
                                s(Group::ForceLeftUpper));
    trace.ScoreCRight = traceSum("Score C", "posture score A", results.PostureScoreARight, s(Group::MuscleRightUpper),
                                 s(Group::ForceRightUpper));

    const int neck = s(Group::Neck);
    const int trunk = s(Group::Trunk);
    const int legs = s(Group::Legs);
    trace.PostureScoreB = "Table B: neck " + number(neck) + ", trunk " + number(trunk) + ", legs " + number(legs) +
                          outcome(lookupTableB(neck, trunk, legs), results.PostureScoreB, neck, (trunk - 1) * 2 + legs);
    trace.ScoreD =
        traceSum("Score D", "posture score B", results.PostureScoreB, s(Group::MuscleLower), s(Group::ForceLower));
    trace.GrandScoreLeft = traceTableC(results.ScoreCLeft, results.ScoreD, results.GrandScoreLeft);
    trace.GrandScoreRight = traceTableC(results.ScoreCRight, results.ScoreD, results.GrandScoreRight);
    return trace;
}

} // namespace rula
