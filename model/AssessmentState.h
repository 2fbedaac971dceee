// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OptionCatalogue.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace rula {

// The assessment of one run: the seventeen body-part scores and the selected flag of
// each of the 66 options. Changed only by SelectOption; never cleared.
class AssessmentState
{
public:
    // Runs one click on the option at `optionIndex` (an index into options()).
    // A base option selects itself, deselects its group's other base options and sets the
    // score to its value plus the selected adjustments; an adjustment toggles and moves the
    // score by its delta. Only the option's own group changes. No clamp is applied.
    void SelectOption(int optionIndex);

    // The group's score: its selected base value (0 while none) plus selected adjustment deltas.
    std::int16_t score(Group group) const { return m_scores[static_cast<int>(group)]; }
    bool isSelected(int optionIndex) const { return m_selected.at(static_cast<std::size_t>(optionIndex)); }
    bool hasBaseSelection(Group group) const;

private:
    std::array<std::int16_t, GroupCount> m_scores{};
    std::array<bool, OptionCount> m_selected{};
};

// The messages of the incomplete groups (no base option chosen), in group order.
// Empty when the assessment is complete. Adjustments are never tested.
std::vector<std::string> CheckCompleteness(const AssessmentState& state);

// A score as the assessor sees it: plain decimal, minus sign when negative ("-1", "0", "3").
std::string scoreText(int score);

} // namespace rula
