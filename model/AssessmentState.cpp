// SPDX-License-Identifier: GPL-3.0-or-later
#include "AssessmentState.h"

namespace rula {

void AssessmentState::SelectOption(int optionIndex)
{
    const OptionInfo& option = options().at(static_cast<std::size_t>(optionIndex));
    const GroupInfo& group = groupInfo(option.group);
    auto& score = m_scores[static_cast<int>(option.group)];

    if (option.kind == OptionKind::Adjustment) {
        const bool wasSelected = m_selected[optionIndex];
        score = static_cast<std::int16_t>(wasSelected ? score - option.value : score + option.value);
        m_selected[optionIndex] = !wasSelected;
        return;
    }

    std::int16_t total = static_cast<std::int16_t>(option.value);
    for (int i = group.firstOption; i < group.firstOption + group.optionCount; ++i) {
        const OptionInfo& other = options()[i];
        if (other.kind == OptionKind::Base)
            m_selected[i] = (i == optionIndex);
        else if (m_selected[i])
            total = static_cast<std::int16_t>(total + other.value);
    }
    score = total;
}

bool AssessmentState::hasBaseSelection(Group group) const
{
    const GroupInfo& info = groupInfo(group);
    for (int i = info.firstOption; i < info.firstOption + info.optionCount; ++i) {
        if (options()[i].kind == OptionKind::Base && m_selected[i])
            return true;
    }
    return false;
}

std::vector<std::string> CheckCompleteness(const AssessmentState& state)
{
    std::vector<std::string> messages;
    for (const GroupInfo& group : groups()) {
        if (!state.hasBaseSelection(group.group))
            messages.emplace_back(group.incompleteMessage);
    }
    return messages;
}

std::string scoreText(int score)
{
    return std::to_string(score);
}

} // namespace rula
