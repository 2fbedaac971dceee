// SPDX-License-Identifier: GPL-3.0-or-later
#include "OptionCatalogue.h"

#include <string>

namespace rula {
namespace {

constexpr OptionKind B = OptionKind::Base;
constexpr OptionKind A = OptionKind::Adjustment;
using G = Group;

// The one option table: every other list of options (completeness, save rows,
// main window panels) is derived from it.
constexpr std::array<OptionInfo, OptionCount> Options{{
    {G::UpperRight, 1, "Frame1", "Image1", B, 1, "upper_arm_1", false,
     "upper arm between 20° extension and 20° flexion"},
    {G::UpperRight, 2, "Frame2", "Image2", B, 2, "upper_arm_2", false, "upper arm extended backwards more than 20°",
     true},
    {G::UpperRight, 3, "Frame3", "Image3", B, 2, "upper_arm_3", false, "upper arm flexed 20° to 45°"},
    {G::UpperRight, 4, "Frame4", "Image4", B, 3, "upper_arm_4", false, "upper arm flexed 45° to 90°"},
    {G::UpperRight, 5, "Frame5", "Image5", B, 4, "upper_arm_5", false, "upper arm flexed more than 90°"},
    {G::UpperRight, 6, "Frame6", "Image6", A, +1, "card_shoulder_raised", false, "shoulder raised"},
    {G::UpperRight, 7, "Frame7", "Image7", A, +1, "card_arm_abducted", false, "upper arm abducted"},
    {G::UpperRight, 8, "Frame8", "Image8", A, -1, "card_arm_supported", false,
     "leaning, or the weight of the arm supported"},

    {G::UpperLeft, 1, "Frame9", "Image9", B, 1, "upper_arm_1", true, "upper arm between 20° extension and 20° flexion"},
    {G::UpperLeft, 2, "Frame10", "Image10", B, 2, "upper_arm_2", true, "upper arm extended backwards more than 20°",
     true},
    {G::UpperLeft, 3, "Frame11", "Image11", B, 2, "upper_arm_3", true, "upper arm flexed 20° to 45°"},
    {G::UpperLeft, 4, "Frame12", "Image12", B, 3, "upper_arm_4", true, "upper arm flexed 45° to 90°"},
    {G::UpperLeft, 5, "Frame13", "Image13", B, 4, "upper_arm_5", true, "upper arm flexed more than 90°"},
    {G::UpperLeft, 6, "Frame14", "Image14", A, +1, "card_shoulder_raised", false, "shoulder raised"},
    {G::UpperLeft, 7, "Frame15", "Image15", A, +1, "card_arm_abducted", false, "upper arm abducted"},
    {G::UpperLeft, 8, "Frame16", "Image16", A, -1, "card_arm_supported", false,
     "leaning, or the weight of the arm supported"},

    {G::LowerRight, 1, "Frame17", "Image19", B, 1, "lower_arm_1", false, "forearm flexed 60° to 100°"},
    {G::LowerRight, 2, "Frame18", "Image18", B, 2, "lower_arm_2", false,
     "forearm flexed less than 60° or more than 100°"},
    {G::LowerRight, 3, "Frame20", "Image17", A, +1, "lower_arm_midline", false,
     "working across the midline of the body or out to the side"},

    {G::LowerLeft, 1, "Frame19", "Image20", B, 1, "lower_arm_1", true, "forearm flexed 60° to 100°"},
    {G::LowerLeft, 2, "Frame21", "Image21", B, 2, "lower_arm_2", true,
     "forearm flexed less than 60° or more than 100°"},
    {G::LowerLeft, 3, "Frame22", "Image22", A, +1, "lower_arm_midline", false,
     "working across the midline of the body or out to the side"},

    {G::WristRight, 1, "Frame23", "Image28", B, 1, "wrist_1", false, "wrist straight (0°)"},
    {G::WristRight, 2, "Frame24", "Image27", B, 2, "wrist_2", false, "wrist bent up to 15° up or down"},
    {G::WristRight, 3, "Frame25", "Image26", B, 3, "wrist_3", false, "wrist bent more than 15° up or down"},
    {G::WristRight, 4, "Frame26", "Image25", A, +1, "wrist_midline", false, "wrist bent away from the midline"},

    {G::WristTwistRight, 1, "Frame27", "Image23", B, 1, "card_twist_mid", false, "wrist mainly in mid-range of twist"},
    {G::WristTwistRight, 2, "Frame28", "Image24", B, 2, "card_twist_end", false,
     "wrist at or near the end of its twisting range"},

    {G::WristLeft, 1, "Frame29", "Image29", B, 1, "wrist_1", true, "wrist straight (0°)"},
    {G::WristLeft, 2, "Frame30", "Image30", B, 2, "wrist_2", true, "wrist bent up to 15° up or down"},
    {G::WristLeft, 3, "Frame31", "Image31", B, 3, "wrist_3", true, "wrist bent more than 15° up or down"},
    {G::WristLeft, 4, "Frame32", "Image32", A, +1, "wrist_midline", false, "wrist bent away from the midline"},

    {G::WristTwistLeft, 1, "Frame33", "Image34", B, 1, "card_twist_mid", false, "wrist mainly in mid-range of twist"},
    {G::WristTwistLeft, 2, "Frame34", "Image33", B, 2, "card_twist_end", false,
     "wrist at or near the end of its twisting range"},

    {G::Neck, 1, "Frame53", "Image48", B, 1, "neck_1", false, "neck flexed 0° to 10°"},
    {G::Neck, 2, "Frame54", "Image47", B, 2, "neck_2", false, "neck flexed 10° to 20°"},
    {G::Neck, 3, "Frame55", "Image46", B, 3, "neck_3", false, "neck flexed more than 20°"},
    {G::Neck, 4, "Frame56", "Image45", B, 4, "neck_4", false, "neck in extension", true},
    {G::Neck, 5, "Frame61", "Image44", A, +1, "card_neck_twist", false, "neck twisting"},
    {G::Neck, 6, "Frame62", "Image43", A, +1, "card_neck_side", false, "neck side-bending"},

    {G::Trunk, 1, "Frame57", "Image42", B, 1, "trunk_1", false, "trunk upright (0°)"},
    {G::Trunk, 2, "Frame58", "Image41", B, 2, "trunk_2", false, "trunk flexed 0° to 20°"},
    {G::Trunk, 3, "Frame59", "Image40", B, 3, "trunk_3", false, "trunk flexed 20° to 60°"},
    {G::Trunk, 4, "Frame60", "Image39", B, 4, "trunk_4", false, "trunk flexed more than 60°"},
    {G::Trunk, 5, "Frame63", "Image38", A, +1, "card_trunk_twist", false, "trunk twisting"},
    {G::Trunk, 6, "Frame64", "Image37", A, +1, "card_trunk_side", false, "trunk side-bending"},

    {G::Legs, 1, "Frame65", "Image36", B, 1, "card_legs_supported", false,
     "legs well supported, posture evenly balanced"},
    {G::Legs, 2, "Frame66", "Image35", B, 2, "card_legs_unsupported", false,
     "legs not well supported or posture not evenly balanced"},

    {G::MuscleRightUpper, 1, "Frame35", "Image53", B, 1, "card_muscle_static", false,
     "posture mainly static or repeated more than 4 times a minute"},
    {G::MuscleRightUpper, 2, "Frame36", "Image52", B, 0, "card_muscle_not_static", false, "posture not mainly static"},
    {G::MuscleLeftUpper, 1, "Frame37", "Image51", B, 1, "card_muscle_static", false,
     "posture mainly static or repeated more than 4 times a minute"},
    {G::MuscleLeftUpper, 2, "Frame38", "Image50", B, 0, "card_muscle_not_static", false, "posture not mainly static"},
    {G::MuscleLower, 1, "Frame39", "Image49", B, 1, "card_muscle_static", false,
     "posture mainly static or repeated more than 4 times a minute"},
    {G::MuscleLower, 2, "Frame40", "Image", B, 0, "card_muscle_not_static", false, "posture not mainly static"},

    {G::ForceRightUpper, 1, "Frame41", "Image65", B, 0, "card_force_1", false,
     "no resistance, or less than 2 kg intermittent"},
    {G::ForceRightUpper, 2, "Frame42", "Image62", B, 1, "card_force_2", false, "2 to 10 kg intermittent"},
    {G::ForceRightUpper, 3, "Frame43", "Image59", B, 2, "card_force_3", false, "2 to 10 kg static or repeated"},
    {G::ForceRightUpper, 4, "Frame44", "Image56", B, 3, "card_force_4", false,
     "10 kg or more static or repeated, or shock or rapidly built-up force"},
    {G::ForceLeftUpper, 1, "Frame45", "Image64", B, 0, "card_force_1", false,
     "no resistance, or less than 2 kg intermittent"},
    {G::ForceLeftUpper, 2, "Frame46", "Image61", B, 1, "card_force_2", false, "2 to 10 kg intermittent"},
    {G::ForceLeftUpper, 3, "Frame47", "Image58", B, 2, "card_force_3", false, "2 to 10 kg static or repeated"},
    {G::ForceLeftUpper, 4, "Frame48", "Image55", B, 3, "card_force_4", false,
     "10 kg or more static or repeated, or shock or rapidly built-up force"},
    {G::ForceLower, 1, "Frame49", "Image63", B, 0, "card_force_1", false,
     "no resistance, or less than 2 kg intermittent"},
    {G::ForceLower, 2, "Frame50", "Image60", B, 1, "card_force_2", false, "2 to 10 kg intermittent"},
    {G::ForceLower, 3, "Frame51", "Image57", B, 2, "card_force_3", false, "2 to 10 kg static or repeated"},
    {G::ForceLower, 4, "Frame52", "Image54", B, 3, "card_force_4", false,
     "10 kg or more static or repeated, or shock or rapidly built-up force"},
}};

constexpr std::string_view Incomplete = "You have not completed all of the necessary fields for ";

struct GroupRow
{
    Group group;
    std::string_view key;
    std::string_view scoreVariable;
    std::string_view scoreLabel;
    std::string_view messageTail;
    int tab;
    std::string_view words;
};

constexpr std::array<GroupRow, GroupCount> GroupRows{{
    {G::UpperRight, "Upper Right", "UpperArmRight", "CurrentScore", "Upper Arm (Right)", 1, "Upper arm, right"},
    {G::UpperLeft, "Upper Left", "UpperArmLeft", "CurrentScore2", "Upper Arm (Left)", 2, "Upper arm, left"},
    {G::LowerRight, "Lower Right", "LowerArmRight", "CurrentScore3", "Lower Arm (Right)", 3, "Lower arm, right"},
    {G::LowerLeft, "Lower Left", "LowerArmLeft", "CurrentScore4", "Lower Arm (Left)", 4, "Lower arm, left"},
    {G::WristRight, "Wrist Right", "WristRight", "WristScore", "Wrist (Right)", 5, "Wrist, right"},
    {G::WristTwistRight, "Wrist Twist Right", "WristTwistRight", "TwistScore", "Wrist Twist(Right)", 5,
     "Wrist twist, right"},
    {G::WristLeft, "Wrist Left", "WristLeft", "Label27", "Wrist (Left)", 6, "Wrist, left"},
    {G::WristTwistLeft, "Wrist Twist Left", "WristTwistLeft", "Label21", "Wrist Twist (Left)", 6, "Wrist twist, left"},
    {G::Neck, "Neck", "Neck", "NeckScore", "the Neck", 7, "Neck"},
    {G::Trunk, "Trunk", "Trunk", "TrunkScore", "the Trunk", 7, "Trunk"},
    {G::Legs, "Legs", "Legs", "LegScore", "the Legs", 7, "Legs"},
    {G::MuscleRightUpper, "Muscle Right Upper", "MuscleRightUpper", "UpperRightScore", "Muscle Use Upper Body (Right)",
     8, "Muscle use, upper body, right"},
    {G::MuscleLeftUpper, "Muscle Left Upper", "MuscleLeftUpper", "UpperLeftScore", "Muscle Use Upper Body (Left)", 8,
     "Muscle use, upper body, left"},
    {G::MuscleLower, "Muscle Lower", "MuscleLower", "LowerScore", "Muscle Use Lower Body", 8, "Muscle use, lower body"},
    {G::ForceRightUpper, "Force Right Upper", "ForceRightUpper", "Label48", "Force Upper Body (Right)", 9,
     "Force or load, upper body, right"},
    {G::ForceLeftUpper, "Force Left Upper", "ForceLeftUpper", "Label46", "Force Upper Body (Left)", 9,
     "Force or load, upper body, left"},
    {G::ForceLower, "Force Lower", "ForceLower", "Label44", "Force Lower Body", 9, "Force or load, lower body"},
}};

// The messages are built once from the common opening and each group's tail.
struct MessageStore
{
    std::array<std::string, GroupCount> text;
    MessageStore()
    {
        for (int i = 0; i < GroupCount; ++i)
            text[i] = std::string(Incomplete) + std::string(GroupRows[i].messageTail);
    }
};

std::array<GroupInfo, GroupCount> buildGroups()
{
    static const MessageStore messages;
    std::array<GroupInfo, GroupCount> result{};
    for (int i = 0; i < GroupCount; ++i) {
        const GroupRow& row = GroupRows[i];
        int first = -1;
        int count = 0;
        for (int o = 0; o < OptionCount; ++o) {
            if (Options[o].group == row.group) {
                if (first < 0)
                    first = o;
                ++count;
            }
        }
        result[i] = GroupInfo{row.group, row.key, row.scoreVariable, row.scoreLabel, messages.text[i], row.tab,
                              first,     count,   row.words};
    }
    return result;
}

} // namespace

const std::array<GroupInfo, GroupCount>& groups()
{
    static const std::array<GroupInfo, GroupCount> all = buildGroups();
    return all;
}

const std::array<OptionInfo, OptionCount>& options()
{
    return Options;
}

const GroupInfo& groupInfo(Group group)
{
    return groups()[static_cast<int>(group)];
}

std::optional<Group> groupOfKey(std::string_view key)
{
    for (const GroupInfo& info : groups()) {
        if (info.key == key)
            return info.group;
    }
    return std::nullopt;
}

int optionIndexOfPanel(std::string_view panel)
{
    for (int i = 0; i < OptionCount; ++i) {
        if (Options[i].panel == panel)
            return i;
    }
    return -1;
}

} // namespace rula
