// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string_view>

namespace rula {

// An action level of the RULA method with its three fixed texts.
struct ActionLevel
{
    int level;                       // 1 to 4
    std::string_view caption;        // "Action Level 1": shown and saved
    std::string_view longText;       // shown in the action levels window
    std::string_view Recommendation; // saved beside the caption
};

// 1-2 give level 1, 3-4 level 2, 5-6 level 3, 7-8 level 4; any other grand score gives none.
std::optional<ActionLevel> classifyGrandScore(int grandScore);

} // namespace rula
