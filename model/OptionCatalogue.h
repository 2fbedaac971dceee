// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace rula {

// The 17 option groups, in the order of the completeness check and of the result files.
enum class Group : int
{
    UpperRight,
    UpperLeft,
    LowerRight,
    LowerLeft,
    WristRight,
    WristTwistRight,
    WristLeft,
    WristTwistLeft,
    Neck,
    Trunk,
    Legs,
    MuscleRightUpper,
    MuscleLeftUpper,
    MuscleLower,
    ForceRightUpper,
    ForceLeftUpper,
    ForceLower,
};

constexpr int GroupCount = 17;
constexpr int OptionCount = 66;

enum class OptionKind
{
    Base,       // one posture band; exclusive within its group, sets the group's score
    Adjustment, // a toggle that moves the group's score by its delta
};

struct GroupInfo
{
    Group group;
    std::string_view key;               // "Upper Right": the name the result files use
    std::string_view scoreVariable;     // "UpperArmRight"
    std::string_view scoreLabel;        // the main window's score box, "CurrentScore"
    std::string_view incompleteMessage; // shown when no base option is chosen
    int tab;                            // main window tab, 1 to 9
    int firstOption;                    // index of option 1 in options()
    int optionCount;
    std::string_view words; // the body part as a listener hears it: "Upper arm, right"
};

struct OptionInfo
{
    Group group;
    int number;               // 1-based within the group, the numbering of the result files
    std::string_view panel;   // "Frame1"
    std::string_view picture; // the picture control inside the panel, "Image1"
    OptionKind kind;
    int value;                // base: the score it sets; adjustment: its delta (+1 or -1)
    std::string_view art;     // the drawing or text card it shows (a file in resources/pictures)
    bool mirrored;            // left-side drawings are the right-side art mirrored
    std::string_view meaning; // the posture or circumstance shown: "upper arm flexed 45° to 90°" (UTF-8)
    // A base band on the other side of neutral from the group's other bands (the upper arm
    // or the neck in extension). A change toward neutral stays on its band's side or goes to
    // the group's neutral band, its lowest.
    bool beyondNeutral = false;
};

// The groups in order; groups()[int(g)] describes g.
const std::array<GroupInfo, GroupCount>& groups();

// All options, group by group in group order, options of a group in option-number order.
// This is the order of the result files' option rows.
const std::array<OptionInfo, OptionCount>& options();

const GroupInfo& groupInfo(Group group);

// The group whose key is `key` ("Upper Right"); none when no group has it.
std::optional<Group> groupOfKey(std::string_view key);

// Index into options() of the option shown by the panel of that name, or -1.
int optionIndexOfPanel(std::string_view panel);

} // namespace rula
