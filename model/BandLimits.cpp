// SPDX-License-Identifier: GPL-3.0-or-later
#include "BandLimits.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

namespace rula {
namespace {

// The bands of the RULA method (McAtamney & Corlett 1993), as option numbers of the
// catalogue's groups. Two tolerances are this program's: a wrist counts as straight and a
// trunk as upright within 2° either side, since no photograph and no click is exact to the
// degree. The method gives no band for leaning the trunk back, so a trunk leaning back is
// banded by its size, like the same flexion.
const std::vector<BandLimit> UpperArmLimits{{2, -20, 1}, {1, 20, 3}, {3, 45, 4}, {4, 90, 5}};
const std::vector<BandLimit> LowerArmLimits{{2, 60, 1}, {1, 100, 2}};
const std::vector<BandLimit> WristLimits{{3, -15, 2}, {2, -2, 1}, {1, 2, 2}, {2, 15, 3}};
const std::vector<BandLimit> NeckLimits{{4, 0, 1}, {1, 10, 2}, {2, 20, 3}};
const std::vector<BandLimit> TrunkLimits{{4, -60, 3}, {3, -20, 2}, {2, -2, 1}, {1, 2, 2}, {2, 20, 3}, {3, 60, 4}};

constexpr int BorderlineReach = 5;

// Which group's scores decide who owns a limit does not matter: the right and left groups
// of a kind score their bands alike.
Group scoringGroup(AngleKind kind)
{
    switch (kind) {
    case AngleKind::UpperArm:
        return Group::UpperRight;
    case AngleKind::LowerArm:
        return Group::LowerRight;
    case AngleKind::Wrist:
        return Group::WristRight;
    case AngleKind::Neck:
        return Group::Neck;
    case AngleKind::Trunk:
        return Group::Trunk;
    }
    return Group::UpperRight;
}

} // namespace

const std::vector<BandLimit>& bandLimits(AngleKind kind)
{
    switch (kind) {
    case AngleKind::UpperArm:
        return UpperArmLimits;
    case AngleKind::LowerArm:
        return LowerArmLimits;
    case AngleKind::Wrist:
        return WristLimits;
    case AngleKind::Neck:
        return NeckLimits;
    case AngleKind::Trunk:
        return TrunkLimits;
    }
    throw std::invalid_argument("unknown angle kind");
}

int wholeDegrees(double degrees)
{
    return static_cast<int>(std::lround(degrees));
}

int bandScore(Group group, int optionNumber)
{
    const GroupInfo& info = groupInfo(group);
    if (optionNumber < 1 || optionNumber > info.optionCount)
        throw std::out_of_range("no such option in the group");
    const OptionInfo& option = options()[static_cast<std::size_t>(info.firstOption + optionNumber - 1)];
    if (option.kind != OptionKind::Base)
        throw std::invalid_argument("a band is always a base option");
    return option.value;
}

int bandOption(AngleKind kind, double degrees)
{
    const int shown = wholeDegrees(degrees);
    const Group group = scoringGroup(kind);
    const std::vector<BandLimit>& limits = bandLimits(kind);
    for (const BandLimit& limit : limits) {
        if (shown < limit.degrees)
            return limit.below;
        if (shown == limit.degrees)
            return bandScore(group, limit.below) <= bandScore(group, limit.above) ? limit.below : limit.above;
    }
    return limits.back().above;
}

std::optional<NearLimit> nearLimit(AngleKind kind, Group group, double degrees)
{
    const int shown = wholeDegrees(degrees);
    std::optional<NearLimit> nearest;
    int nearestDistance = BorderlineReach + 1;
    for (const BandLimit& limit : bandLimits(kind)) {
        const int distance = std::abs(shown - limit.degrees);
        if (distance < nearestDistance) {
            const int below = bandScore(group, limit.below);
            const int above = bandScore(group, limit.above);
            nearest = NearLimit{limit.degrees, std::min(below, above), std::max(below, above)};
            nearestDistance = distance;
        }
    }
    return nearest;
}

std::string borderlineNote(const NearLimit& limit)
{
    return "Borderline: within 5\u00B0 of the limit between score " + std::to_string(limit.lowerScore) + " and " +
           std::to_string(limit.higherScore) + "; the method's authors advise the higher score when in doubt.";
}

} // namespace rula
