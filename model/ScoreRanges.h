// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OptionCatalogue.h"

namespace rula {

// The whole range a score can take by the method.
struct ScoreRange
{
    int lowest;
    int highest;
};

// A body-part score: from its group's lowest band with every adjustment that lowers it, to
// its highest band with every adjustment that raises it (the upper arm 0 to 6).
ScoreRange scoreRange(Group group);

// Posture scores A and B: the cells of Tables A and B.
constexpr ScoreRange PostureScoreRange{1, 9};
// Scores C and D: a posture score with muscle use (0 or 1) and force (0 to 3) added.
constexpr ScoreRange ScoreCDRange{1, 13};
// The grand scores: the cells of Table C.
constexpr ScoreRange GrandScoreRange{1, 7};
// The action levels.
constexpr ScoreRange ActionLevelRange{1, 4};

} // namespace rula
