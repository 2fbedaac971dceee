// SPDX-License-Identifier: GPL-3.0-or-later
#include "BandLimits.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

namespace rula {
namespace {

// Every rule an angle is banded by, in one table: the bands of the RULA method (McAtamney &
// Corlett 1993) as option numbers of the catalogue's groups, and this program's own rules
// around them. The method gives no band for leaning the trunk back, so a trunk leaning back
// is banded by its size, like the same flexion.
constexpr int ZeroTolerance = 2;
constexpr int BorderlineReach = 5;
constexpr int ShortestSegment = 20;
constexpr int SteepestReferenceTilt = 30;

struct KindRules
{
    AngleKind kind;
    std::vector<BandLimit> limits;
    int readingStart;
    PlausibleRange plausible;
    const char* zeroName; // "straight", "upright"; null without a "0°" band of its own
    const char* zeroFrom; // what 0° is measured from
};

const std::array<KindRules, 5> Rules{{
    // A shoulder extends to about 60° and flexes to about 180° (overhead, a little past the
    // trunk line): an upper arm beyond 90° of extension is read as flexion past the overhead.
    {AngleKind::UpperArm, {{2, -20, 1}, {1, 20, 3}, {3, 45, 4}, {4, 90, 5}}, -90, {-60, 210}, nullptr, nullptr},
    {AngleKind::LowerArm, {{2, 60, 1}, {1, 100, 2}}, -180, {}, nullptr, nullptr},
    {AngleKind::Wrist,
     {{3, -15, 2}, {2, -ZeroTolerance, 1, true}, {1, ZeroTolerance, 2, true}, {2, 15, 3}},
     -180,
     {},
     "straight",
     "the forearm line"},
    // The neck extends to about 30° at most from the trunk line.
    {AngleKind::Neck, {{4, -ZeroTolerance, 1, true}, {1, 10, 2}, {2, 20, 3}}, -180, {-30, {}}, nullptr, nullptr},
    {AngleKind::Trunk,
     {{4, -60, 3}, {3, -20, 2}, {2, -ZeroTolerance, 1, true}, {1, ZeroTolerance, 2, true}, {2, 20, 3}, {3, 60, 4}},
     -180,
     {},
     "upright",
     "the vertical"},
}};

const KindRules& rulesOf(AngleKind kind)
{
    for (const KindRules& rules : Rules) {
        if (rules.kind == kind)
            return rules;
    }
    throw std::invalid_argument("unknown angle kind");
}

std::string degreesText(int degrees)
{
    return std::to_string(degrees) + "\u00B0";
}

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
    return rulesOf(kind).limits;
}

int zeroTolerance()
{
    return ZeroTolerance;
}

int borderlineReach()
{
    return BorderlineReach;
}

int shortestSegment()
{
    return ShortestSegment;
}

int steepestReferenceTilt()
{
    return SteepestReferenceTilt;
}

int readingStart(AngleKind kind)
{
    return rulesOf(kind).readingStart;
}

PlausibleRange plausibleRange(AngleKind kind)
{
    return rulesOf(kind).plausible;
}

std::string facingNote(AngleKind kind, double degrees)
{
    const PlausibleRange range = plausibleRange(kind);
    const int shown = wholeDegrees(degrees);
    const bool below = range.lowest && shown < *range.lowest;
    const bool above = range.highest && shown > *range.highest;
    if (!below && !above)
        return {};
    const std::string what = kind == AngleKind::Neck ? "A neck" : "An upper arm";
    const std::string limit =
        below ? "extended more than " + degreesText(-*range.lowest) : "flexed more than " + degreesText(*range.highest);
    return what + " " + limit + " is hardly possible: check which way the worker faces.";
}

std::string zeroRuleNote(AngleKind kind)
{
    const std::string tolerance = "\u00B1" + degreesText(ZeroTolerance);
    const KindRules& rules = rulesOf(kind);
    if (kind == AngleKind::Neck)
        return "The neck counts as not extended (0\u00B0) within " + tolerance +
               " of the trunk line; any more extension scores " + std::to_string(bandScore(Group::Neck, 4)) + ".";
    if (!rules.zeroName)
        return {};
    return std::string(kind == AngleKind::Wrist ? "The wrist" : "The trunk") + " counts as " + rules.zeroName +
           " (0\u00B0, score 1) within " + tolerance + " of " + rules.zeroFrom + "; any more is " +
           (kind == AngleKind::Wrist ? "bent." : "flexed or leaning back.");
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
        if (limit.zeroRule)
            continue;
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
    return "Borderline: within " + degreesText(BorderlineReach) + " of the limit between score " +
           std::to_string(limit.lowerScore) + " and " + std::to_string(limit.higherScore) +
           "; the method's authors advise the higher score when in doubt.";
}

} // namespace rula
