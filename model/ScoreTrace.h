// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ScoreTables.h"

#include <string>

namespace rula {

// How each computed score of ComputeScores was reached, one sentence each (UTF-8), so an
// assessor can check every step against the published tables:
//   "Table A: upper arm 3, lower arm 2, wrist 2, twist 1 gives 4 (row 8, column 3)"
//   "Score C: posture score A 4 + muscle use 1 + force 0 gives 5"
//   "Table C: score C 9 (read as 8+), score D 4 gives 7 (row 8, column 4)"
// Rows and columns are counted as the tables are printed: Table A has 18 rows (upper arm by
// lower arm) and 8 columns (wrist by twist), Table B 6 rows (neck) and 12 columns (trunk by
// legs), Table C 8 rows (score C, the last 8+) and 7 columns (score D, the last 7+).
struct ScoreTrace
{
    std::string PostureScoreALeft;
    std::string PostureScoreARight;
    std::string PostureScoreB;
    std::string ScoreCLeft;
    std::string ScoreCRight;
    std::string ScoreD;
    std::string GrandScoreLeft;
    std::string GrandScoreRight;
};

// The trace of ComputeScores(state, ...) having produced `results`. A lookup that matched no
// cell says so and names the score that was kept.
ScoreTrace TraceScores(const AssessmentState& state, const ResultScores& results);

} // namespace rula
