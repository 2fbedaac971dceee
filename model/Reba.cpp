// SPDX-License-Identifier: GPL-3.0-or-later
#include "Reba.h"

#include "BandLimits.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace rula::reba {
namespace {

constexpr OptionKind Band = OptionKind::Base;
constexpr OptionKind Adj = OptionKind::Adjustment;
using RG = RebaGroup;

// The one table of REBA's options: every other list of them is derived from it.
constexpr std::array<RebaOption, RebaOptionCount> Options{{
    {RG::Neck, "RebaNeck1", Band, 1, "0° to 20° flexion", "reba_neck_1", false},
    {RG::Neck, "RebaNeck2", Band, 2, "more than 20° flexion, or extension", "reba_neck_2", false},
    {RG::Neck, "RebaNeckAdjust", Adj, +1, "Neck twisted or side bending", "", false},

    {RG::Trunk, "RebaTrunk1", Band, 1, "upright", "trunk_1", false},
    {RG::Trunk, "RebaTrunk2", Band, 2, "0° to 20° flexion or extension", "reba_trunk_2", false},
    {RG::Trunk, "RebaTrunk3", Band, 3, "20° to 60° flexion, or more than 20° extension", "reba_trunk_3", false},
    {RG::Trunk, "RebaTrunk4", Band, 4, "more than 60° flexion", "trunk_4", false},
    {RG::Trunk, "RebaTrunkAdjust", Adj, +1, "Trunk twisted or side bending", "", false},

    {RG::Legs, "RebaLegs1", Band, 1, "both legs bearing weight, walking or sitting", "reba_legs_1", false},
    {RG::Legs, "RebaLegs2", Band, 2, "one leg bearing weight, or an unstable posture", "reba_legs_2", false},

    {RG::Knees, "RebaKnees0", Band, 0, "knees straight or bent less than 30°", "reba_knees_0", false},
    {RG::Knees, "RebaKnees1", Band, 1, "knees bent 30° to 60°", "reba_knees_1", false},
    {RG::Knees, "RebaKnees2", Band, 2, "knees bent more than 60°, not sitting", "reba_knees_2", false},

    {RG::Load, "RebaLoad0", Band, 0, "less than 5 kg", "reba_load_0", false},
    {RG::Load, "RebaLoad1", Band, 1, "5 to 10 kg", "reba_load_1", false},
    {RG::Load, "RebaLoad2", Band, 2, "more than 10 kg", "reba_load_2", false},
    {RG::Load, "RebaShock", Adj, +1, "shock or rapid build-up of force", "", false},

    {RG::UpperArmRight, "RebaUpperArm1Right", Band, 1, "20° extension to 20° flexion", "upper_arm_1", false},
    {RG::UpperArmRight, "RebaUpperArm2Right", Band, 2, "more than 20° extension, or 20° to 45° flexion",
     "reba_upper_arm_2", false},
    {RG::UpperArmRight, "RebaUpperArm3Right", Band, 3, "45° to 90° flexion", "upper_arm_4", false},
    {RG::UpperArmRight, "RebaUpperArm4Right", Band, 4, "more than 90° flexion", "upper_arm_5", false},
    {RG::UpperArmRight, "RebaAbductedRight", Adj, +1, "arm abducted or rotated", "", false},
    {RG::UpperArmRight, "RebaShoulderRaisedRight", Adj, +1, "shoulder raised", "", false},
    {RG::UpperArmRight, "RebaArmSupportedRight", Adj, -1, "arm supported, leaning, or gravity assisted", "", false},
    {RG::LowerArmRight, "RebaLowerArm1Right", Band, 1, "60° to 100° flexion", "lower_arm_1", false},
    {RG::LowerArmRight, "RebaLowerArm2Right", Band, 2, "less than 60° or more than 100° flexion", "lower_arm_2", false},
    {RG::WristRight, "RebaWrist1Right", Band, 1, "0° to 15° flexion or extension", "reba_wrist_1", false},
    {RG::WristRight, "RebaWrist2Right", Band, 2, "more than 15° flexion or extension", "reba_wrist_2", false},
    {RG::WristRight, "RebaWristAdjustRight", Adj, +1, "wrist deviated or twisted", "", false},

    {RG::UpperArmLeft, "RebaUpperArm1Left", Band, 1, "20° extension to 20° flexion", "upper_arm_1", true},
    {RG::UpperArmLeft, "RebaUpperArm2Left", Band, 2, "more than 20° extension, or 20° to 45° flexion",
     "reba_upper_arm_2", true},
    {RG::UpperArmLeft, "RebaUpperArm3Left", Band, 3, "45° to 90° flexion", "upper_arm_4", true},
    {RG::UpperArmLeft, "RebaUpperArm4Left", Band, 4, "more than 90° flexion", "upper_arm_5", true},
    {RG::UpperArmLeft, "RebaAbductedLeft", Adj, +1, "arm abducted or rotated", "", false},
    {RG::UpperArmLeft, "RebaShoulderRaisedLeft", Adj, +1, "shoulder raised", "", false},
    {RG::UpperArmLeft, "RebaArmSupportedLeft", Adj, -1, "arm supported, leaning, or gravity assisted", "", false},
    {RG::LowerArmLeft, "RebaLowerArm1Left", Band, 1, "60° to 100° flexion", "lower_arm_1", true},
    {RG::LowerArmLeft, "RebaLowerArm2Left", Band, 2, "less than 60° or more than 100° flexion", "lower_arm_2", true},
    {RG::WristLeft, "RebaWrist1Left", Band, 1, "0° to 15° flexion or extension", "reba_wrist_1", true},
    {RG::WristLeft, "RebaWrist2Left", Band, 2, "more than 15° flexion or extension", "reba_wrist_2", true},
    {RG::WristLeft, "RebaWristAdjustLeft", Adj, +1, "wrist deviated or twisted", "", false},

    {RG::Coupling, "RebaCoupling0", Band, 0, "good", "reba_coupling_0", false},
    {RG::Coupling, "RebaCoupling1", Band, 1, "fair", "reba_coupling_1", false},
    {RG::Coupling, "RebaCoupling2", Band, 2, "poor", "reba_coupling_2", false},
    {RG::Coupling, "RebaCoupling3", Band, 3, "unacceptable", "reba_coupling_3", false},

    {RG::Activity, "RebaStatic", Adj, +1, "one or more body parts held longer than 1 minute", "", false},
    {RG::Activity, "RebaRepeated", Adj, +1, "small-range actions repeated more than 4 times a minute", "", false},
    {RG::Activity, "RebaRapid", Adj, +1, "rapid large changes in posture, or an unstable base", "", false},
}};

constexpr std::array<std::string_view, RebaGroupCount> GroupNames = {
    "Neck",
    "Trunk",
    "Legs",
    "Knees",
    "Load or force",
    "Upper arm (right)",
    "Lower arm (right)",
    "Wrist (right)",
    "Upper arm (left)",
    "Lower arm (left)",
    "Wrist (left)",
    "Coupling",
    "Activity",
};

std::array<RebaGroupInfo, RebaGroupCount> makeGroups()
{
    std::array<RebaGroupInfo, RebaGroupCount> groups{};
    for (int g = 0; g < RebaGroupCount; ++g) {
        auto& info = groups[static_cast<std::size_t>(g)];
        info.group = static_cast<RebaGroup>(g);
        info.name = GroupNames[static_cast<std::size_t>(g)];
        info.firstOption = -1;
        info.needsChoice = false;
    }
    for (int i = 0; i < RebaOptionCount; ++i) {
        const RebaOption& option = Options[static_cast<std::size_t>(i)];
        auto& info = groups[static_cast<std::size_t>(option.group)];
        if (info.firstOption < 0)
            info.firstOption = i;
        ++info.optionCount;
        info.needsChoice = info.needsChoice || option.kind == Band;
    }
    return groups;
}

// [trunk 1-5][neck 1-3][legs 1-4]
constexpr std::uint8_t TableA[5][3][4] = {
    {{1, 2, 3, 4}, {1, 2, 3, 4}, {3, 3, 5, 6}}, {{2, 3, 4, 5}, {3, 4, 5, 6}, {4, 5, 6, 7}},
    {{2, 4, 5, 6}, {4, 5, 6, 7}, {5, 6, 7, 8}}, {{3, 5, 6, 7}, {5, 6, 7, 8}, {6, 7, 8, 9}},
    {{4, 6, 7, 8}, {6, 7, 8, 9}, {7, 8, 9, 9}},
};

// [upper arm 1-6][lower arm 1-2][wrist 1-3]
constexpr std::uint8_t TableB[6][2][3] = {
    {{1, 2, 2}, {1, 2, 3}}, {{1, 2, 3}, {2, 3, 4}}, {{3, 4, 5}, {4, 5, 5}},
    {{4, 5, 5}, {5, 6, 7}}, {{6, 7, 8}, {7, 8, 8}}, {{7, 8, 8}, {8, 9, 9}},
};

// [score A 1-12][score B 1-12]
constexpr std::uint8_t TableC[12][12] = {
    {1, 1, 1, 2, 3, 3, 4, 5, 6, 7, 7, 7},
    {1, 2, 2, 3, 4, 4, 5, 6, 6, 7, 7, 8},
    {2, 3, 3, 3, 4, 5, 6, 7, 7, 8, 8, 8},
    {3, 4, 4, 4, 5, 6, 7, 8, 8, 9, 9, 9},
    {4, 4, 4, 5, 6, 7, 8, 8, 9, 9, 9, 9},
    {6, 6, 6, 7, 8, 8, 9, 9, 10, 10, 10, 10},
    {7, 7, 7, 8, 9, 9, 9, 10, 10, 11, 11, 11},
    {8, 8, 8, 9, 10, 10, 10, 10, 10, 11, 11, 11},
    {9, 9, 9, 10, 10, 10, 11, 11, 11, 12, 12, 12},
    {10, 10, 10, 11, 11, 11, 11, 12, 12, 12, 12, 12},
    {11, 11, 11, 11, 12, 12, 12, 12, 12, 12, 12, 12},
    {12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 12},
};

bool inRange(int value, int low, int high)
{
    return value >= low && value <= high;
}

std::optional<int> plus(std::optional<int> a, std::optional<int> b)
{
    if (!a || !b)
        return std::nullopt;
    return *a + *b;
}

struct SideGroups
{
    RebaGroup upperArm, lowerArm, wrist;
};
constexpr SideGroups RightGroups{RG::UpperArmRight, RG::LowerArmRight, RG::WristRight};
constexpr SideGroups LeftGroups{RG::UpperArmLeft, RG::LowerArmLeft, RG::WristLeft};

std::string number(std::optional<int> value)
{
    return value ? std::to_string(*value) : std::string("none");
}

} // namespace

const std::array<RebaOption, RebaOptionCount>& rebaOptions()
{
    return Options;
}

const std::array<RebaGroupInfo, RebaGroupCount>& rebaGroups()
{
    static const std::array<RebaGroupInfo, RebaGroupCount> groups = makeGroups();
    return groups;
}

const RebaGroupInfo& rebaGroupInfo(RebaGroup group)
{
    return rebaGroups()[static_cast<std::size_t>(group)];
}

int rebaOptionIndex(std::string_view name)
{
    for (int i = 0; i < RebaOptionCount; ++i) {
        if (Options[static_cast<std::size_t>(i)].name == name)
            return i;
    }
    return -1;
}

void RebaChoices::click(int optionIndex)
{
    const RebaOption& option = Options.at(static_cast<std::size_t>(optionIndex));
    if (option.kind == Adj) {
        m_selected[static_cast<std::size_t>(optionIndex)] = !m_selected[static_cast<std::size_t>(optionIndex)];
        return;
    }
    const RebaGroupInfo& info = rebaGroupInfo(option.group);
    for (int i = info.firstOption; i < info.firstOption + info.optionCount; ++i) {
        if (Options[static_cast<std::size_t>(i)].kind == Band)
            m_selected[static_cast<std::size_t>(i)] = i == optionIndex;
    }
    m_measured[static_cast<std::size_t>(option.group)] = false;
}

void RebaChoices::applyMeasured(int optionIndex)
{
    if (Options.at(static_cast<std::size_t>(optionIndex)).kind != Band)
        return;
    click(optionIndex);
    m_measured[static_cast<std::size_t>(Options[static_cast<std::size_t>(optionIndex)].group)] = true;
}

void RebaChoices::setSelected(int optionIndex, bool selected)
{
    m_selected.at(static_cast<std::size_t>(optionIndex)) = selected;
}

void RebaChoices::setMeasured(RebaGroup group, bool measured)
{
    m_measured.at(static_cast<std::size_t>(group)) = measured;
}

std::optional<int> RebaChoices::band(RebaGroup group) const
{
    const RebaGroupInfo& info = rebaGroupInfo(group);
    for (int i = info.firstOption; i < info.firstOption + info.optionCount; ++i) {
        if (Options[static_cast<std::size_t>(i)].kind == Band && m_selected[static_cast<std::size_t>(i)])
            return i;
    }
    return std::nullopt;
}

std::optional<int> RebaChoices::groupScore(RebaGroup group) const
{
    const RebaGroupInfo& info = rebaGroupInfo(group);
    const std::optional<int> chosen = band(group);
    if (info.needsChoice && !chosen)
        return std::nullopt;
    int score = chosen ? Options[static_cast<std::size_t>(*chosen)].value : 0;
    for (int i = info.firstOption; i < info.firstOption + info.optionCount; ++i) {
        if (Options[static_cast<std::size_t>(i)].kind == Adj && m_selected[static_cast<std::size_t>(i)])
            score += Options[static_cast<std::size_t>(i)].value;
    }
    return score;
}

bool RebaChoices::isEmpty() const
{
    return std::none_of(m_selected.begin(), m_selected.end(), [](bool s) { return s; });
}

std::optional<int> lookupRebaTableA(int trunk, int neck, int legs)
{
    if (!inRange(trunk, 1, 5) || !inRange(neck, 1, 3) || !inRange(legs, 1, 4))
        return std::nullopt;
    return TableA[trunk - 1][neck - 1][legs - 1];
}

std::optional<int> lookupRebaTableB(int upperArm, int lowerArm, int wrist)
{
    if (!inRange(upperArm, 1, 6) || !inRange(lowerArm, 1, 2) || !inRange(wrist, 1, 3))
        return std::nullopt;
    return TableB[upperArm - 1][lowerArm - 1][wrist - 1];
}

std::optional<int> lookupRebaTableC(int scoreA, int scoreB)
{
    if (!inRange(scoreA, 1, 12) || !inRange(scoreB, 1, 12))
        return std::nullopt;
    return TableC[scoreA - 1][scoreB - 1];
}

RebaScores scoreReba(const RebaChoices& choices)
{
    RebaScores s;
    s.neck = choices.groupScore(RG::Neck);
    s.trunk = choices.groupScore(RG::Trunk);
    s.legs = plus(choices.groupScore(RG::Legs), choices.groupScore(RG::Knees));
    if (s.neck && s.trunk && s.legs)
        s.tableA = lookupRebaTableA(*s.trunk, *s.neck, *s.legs);
    s.load = choices.groupScore(RG::Load);
    s.scoreA = plus(s.tableA, s.load);
    s.coupling = choices.groupScore(RG::Coupling);
    s.activity = choices.groupScore(RG::Activity).value_or(0);
    for (bool left : {false, true}) {
        const SideGroups& g = left ? LeftGroups : RightGroups;
        RebaSide& side = left ? s.left : s.right;
        side.upperArm = choices.groupScore(g.upperArm);
        if (side.upperArm)
            side.upperArm = std::max(*side.upperArm, 1);
        side.lowerArm = choices.groupScore(g.lowerArm);
        side.wrist = choices.groupScore(g.wrist);
        if (side.upperArm && side.lowerArm && side.wrist)
            side.tableB = lookupRebaTableB(*side.upperArm, *side.lowerArm, *side.wrist);
        side.scoreB = plus(side.tableB, s.coupling);
        if (s.scoreA && side.scoreB)
            side.scoreC = lookupRebaTableC(*s.scoreA, *side.scoreB);
        side.rebaScore = plus(side.scoreC, s.activity);
    }
    return s;
}

std::vector<std::string> missingRebaGroups(const RebaChoices& choices)
{
    std::vector<std::string> lines;
    for (const RebaGroupInfo& info : rebaGroups()) {
        if (info.needsChoice && !choices.band(info.group))
            lines.push_back(std::string(info.name) + ": no band chosen");
    }
    return lines;
}

std::string_view rebaRiskText(int score)
{
    if (score == 1)
        return "1 Negligible: none necessary";
    if (inRange(score, 2, 3))
        return "2\u20133 Low: may be necessary";
    if (inRange(score, 4, 7))
        return "4\u20137 Medium: necessary";
    if (inRange(score, 8, 10))
        return "8\u201310 High: necessary soon";
    if (inRange(score, 11, 15))
        return "11\u201315 Very high: necessary now";
    return {};
}

int rebaRiskLevel(int score)
{
    return score == 1               ? 1
           : inRange(score, 2, 3)   ? 2
           : inRange(score, 4, 7)   ? 3
           : inRange(score, 8, 10)  ? 4
           : inRange(score, 11, 15) ? 5
                                    : 0;
}

std::vector<std::string> traceReba(const RebaChoices& choices)
{
    const RebaScores s = scoreReba(choices);
    std::vector<std::string> lines;
    auto missing = [&choices](std::initializer_list<RebaGroup> groups) {
        std::string names;
        for (RebaGroup g : groups) {
            if (rebaGroupInfo(g).needsChoice && !choices.band(g))
                names += (names.empty() ? "" : ", ") + std::string(rebaGroupInfo(g).name);
        }
        return names;
    };
    auto part = [&choices](RebaGroup g, std::optional<int> score) {
        std::string line = std::string(rebaGroupInfo(g).name) + ": ";
        const std::optional<int> chosen = choices.band(g);
        if (!chosen)
            return line + "no band chosen";
        line += std::string(Options[static_cast<std::size_t>(*chosen)].caption) + " " +
                std::to_string(Options[static_cast<std::size_t>(*chosen)].value);
        const RebaGroupInfo& info = rebaGroupInfo(g);
        for (int i = info.firstOption; i < info.firstOption + info.optionCount; ++i) {
            const RebaOption& o = Options[static_cast<std::size_t>(i)];
            if (o.kind == Adj && choices.isSelected(i))
                line += (o.value > 0 ? " + " : " \u2212 ") + std::to_string(std::abs(o.value)) + " (" +
                        std::string(o.caption) + ")";
        }
        return line + " gives " + number(score);
    };

    lines.push_back(part(RG::Neck, s.neck));
    lines.push_back(part(RG::Trunk, s.trunk));
    lines.push_back(part(RG::Legs, choices.groupScore(RG::Legs)));
    lines.push_back(part(RG::Knees, choices.groupScore(RG::Knees)));
    if (s.tableA) {
        lines.push_back("Table A: trunk " + number(s.trunk) + ", neck " + number(s.neck) + ", legs " + number(s.legs) +
                        " (legs " + number(choices.groupScore(RG::Legs)) + " + knees " +
                        number(choices.groupScore(RG::Knees)) + ") gives " + number(s.tableA) + " (neck " +
                        number(s.neck) + " block, trunk row " + number(s.trunk) + ", legs column " + number(s.legs) +
                        ")");
    } else {
        lines.push_back("Table A: not looked up (missing: " + missing({RG::Neck, RG::Trunk, RG::Legs, RG::Knees}) +
                        ")");
    }
    lines.push_back(part(RG::Load, s.load));
    lines.push_back(
        s.scoreA ? "Score A: Table A " + number(s.tableA) + " + load " + number(s.load) + " gives " + number(s.scoreA)
                 : "Score A: none (missing: " + missing({RG::Neck, RG::Trunk, RG::Legs, RG::Knees, RG::Load}) + ")");
    lines.push_back(part(RG::Coupling, s.coupling));
    lines.push_back("Activity: " + std::to_string(s.activity) + " (one for each of: static, repeated, rapid)");
    for (bool left : {false, true}) {
        const SideGroups& g = left ? LeftGroups : RightGroups;
        const RebaSide& side = s.side(left);
        const std::string name = left ? "left" : "right";
        std::string upper = part(g.upperArm, side.upperArm);
        const std::optional<int> raw = choices.groupScore(g.upperArm);
        if (raw && *raw < 1)
            upper += " (" + std::to_string(*raw) + " kept at 1, the lowest)";
        lines.push_back(upper);
        lines.push_back(part(g.lowerArm, side.lowerArm));
        lines.push_back(part(g.wrist, side.wrist));
        lines.push_back(side.tableB
                            ? "Table B (" + name + "): upper arm " + number(side.upperArm) + ", lower arm " +
                                  number(side.lowerArm) + ", wrist " + number(side.wrist) + " gives " +
                                  number(side.tableB) + " (upper arm row " + number(side.upperArm) + ", lower arm " +
                                  number(side.lowerArm) + " block, wrist column " + number(side.wrist) + ")"
                            : "Table B (" + name +
                                  "): not looked up (missing: " + missing({g.upperArm, g.lowerArm, g.wrist}) + ")");
        lines.push_back(side.scoreB ? "Score B (" + name + "): Table B " + number(side.tableB) + " + coupling " +
                                          number(s.coupling) + " gives " + number(side.scoreB)
                                    : "Score B (" + name + "): none (missing: " +
                                          missing({g.upperArm, g.lowerArm, g.wrist, RG::Coupling}) + ")");
        lines.push_back(side.scoreC ? "Table C (" + name + "): score A " + number(s.scoreA) + ", score B " +
                                          number(side.scoreB) + " gives " + number(side.scoreC) + " (row " +
                                          number(s.scoreA) + ", column " + number(side.scoreB) + ")"
                                    : "Table C (" + name + "): not looked up (score A " + number(s.scoreA) +
                                          ", score B " + number(side.scoreB) + ")");
        lines.push_back(side.rebaScore ? "REBA score (" + name + "): score C " + number(side.scoreC) + " + activity " +
                                             std::to_string(s.activity) + " gives " + number(side.rebaScore) +
                                             ", risk " + std::string(rebaRiskText(*side.rebaScore))
                                       : "REBA score (" + name + "): none");
    }
    return lines;
}

int rebaBandOfAngle(Group bodyPart, double angle)
{
    const long a = std::lround(angle);
    const long zero = zeroTolerance();
    auto index = [](std::string_view name) { return rebaOptionIndex(name); };
    switch (bodyPart) {
    case Group::Neck:
        return index(a < -zero || a > 20 ? "RebaNeck2" : "RebaNeck1");
    case Group::Trunk:
        if (std::labs(a) <= zero)
            return index("RebaTrunk1");
        if (a >= -20 && a <= 20)
            return index("RebaTrunk2");
        return index(a < -20 || a <= 60 ? "RebaTrunk3" : "RebaTrunk4");
    case Group::UpperRight:
    case Group::UpperLeft: {
        const char* side = bodyPart == Group::UpperRight ? "Right" : "Left";
        const int band = a >= -20 && a <= 20 ? 1 : (a < -20 || a <= 45) ? 2 : a <= 90 ? 3 : 4;
        return index("RebaUpperArm" + std::to_string(band) + side);
    }
    case Group::LowerRight:
    case Group::LowerLeft: {
        const char* side = bodyPart == Group::LowerRight ? "Right" : "Left";
        return index("RebaLowerArm" + std::to_string(a >= 60 && a <= 100 ? 1 : 2) + side);
    }
    case Group::WristRight:
    case Group::WristLeft: {
        const char* side = bodyPart == Group::WristRight ? "Right" : "Left";
        return index("RebaWrist" + std::to_string(std::labs(a) <= 15 ? 1 : 2) + side);
    }
    default:
        return -1;
    }
}

} // namespace rula::reba
