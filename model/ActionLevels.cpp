// SPDX-License-Identifier: GPL-3.0-or-later
#include "ActionLevels.h"

#include <array>

namespace rula {
namespace {

constexpr std::array<ActionLevel, 4> Levels{{
    {1, "Action Level 1",
     "A score of one or two indicates that posture is acceptable if it is not maintained or repeated for long "
     "periods",
     "posture is Acceptable posture if it is not maintained or repeated for long periods"},
    {2, "Action Level 2",
     "A score of three or four indicates further investigation is needed and changes may be required",
     "Further investigation is needed and changes may be required"},
    {3, "Action Level 3", "A score of five or six indicates investigation and changes are required soon",
     "Investigation and changes are required soon"},
    {4, "Action Level 4", "A score of seven or eight indicates investigation and changes are required immediately",
     "Investigation and changes are required immediately"},
}};

} // namespace

std::optional<ActionLevel> classifyGrandScore(int grandScore)
{
    if (grandScore < 1 || grandScore > 8)
        return std::nullopt;
    return Levels[(grandScore - 1) / 2];
}

} // namespace rula
