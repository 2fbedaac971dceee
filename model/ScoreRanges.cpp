// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScoreRanges.h"

#include <algorithm>
#include <climits>

namespace rula {

ScoreRange scoreRange(Group group)
{
    const GroupInfo& info = groupInfo(group);
    int lowestBand = INT_MAX;
    int highestBand = INT_MIN;
    int lowering = 0;
    int raising = 0;
    for (int i = info.firstOption; i < info.firstOption + info.optionCount; ++i) {
        const OptionInfo& option = options()[static_cast<std::size_t>(i)];
        if (option.kind == OptionKind::Base) {
            lowestBand = std::min(lowestBand, option.value);
            highestBand = std::max(highestBand, option.value);
        } else if (option.value < 0) {
            lowering += option.value;
        } else {
            raising += option.value;
        }
    }
    return {lowestBand + lowering, highestBand + raising};
}

} // namespace rula
