// SPDX-License-Identifier: GPL-3.0-or-later
#include "RebaLayout.h"

#include <array>

namespace rebalayout {
namespace {

using rula::reba::RebaGroup;
constexpr ControlKind L = ControlKind::Label;
constexpr ControlKind Own = ControlKind::Custom;
constexpr FontStyle CaptionFont = Arial(8.25, true);
constexpr FontStyle TextFont = Arial(8.25);
constexpr FontStyle ScoreFont = Arial(12, true);

// Where each group's box stands: its caption's top-left corner; the panels start 20 pixels
// below it and the check boxes stand right of the panels.
struct GroupPlace
{
    RebaGroup group;
    int x, y;
    const char* caption;
    const char* source; // the measured / chosen-by-hand mark, for the groups Measure Angles sets
    int checkWidth;     // of its check boxes: up to the next box
};

constexpr std::array<GroupPlace, rula::reba::RebaGroupCount> Places = {{
    {RebaGroup::Neck, 8, 4, "Neck", "RebaNeckSource", 170},
    {RebaGroup::Legs, 340, 4, "Legs", nullptr, 0},
    {RebaGroup::Knees, 500, 4, "Knees (added to legs)", nullptr, 0},
    {RebaGroup::Trunk, 8, 116, "Trunk", "RebaTrunkSource", 176},
    {RebaGroup::Load, 500, 116, "Load or force", nullptr, 260},
    {RebaGroup::UpperArmRight, 8, 228, "Upper arm (right)", "RebaUpperArmSourceRight", 226},
    {RebaGroup::LowerArmRight, 550, 228, "Lower arm (right)", "RebaLowerArmSourceRight", 0},
    {RebaGroup::WristRight, 710, 228, "Wrist (right)", "RebaWristSourceRight", 140},
    {RebaGroup::UpperArmLeft, 8, 340, "Upper arm (left)", "RebaUpperArmSourceLeft", 226},
    {RebaGroup::LowerArmLeft, 550, 340, "Lower arm (left)", "RebaLowerArmSourceLeft", 0},
    {RebaGroup::WristLeft, 710, 340, "Wrist (left)", "RebaWristSourceLeft", 140},
    {RebaGroup::Coupling, 8, 452, "Coupling", nullptr, 0},
    {RebaGroup::Activity, 330, 452, "Activity (+1 each)", nullptr, 330},
}};

// The caption labels' names, kept alive for the rows.
constexpr std::array<const char*, rula::reba::RebaGroupCount> CaptionNames = {
    "RebaNeckCaption",         "RebaTrunkCaption",         "RebaLegsCaption",          "RebaKneesCaption",
    "RebaLoadCaption",         "RebaUpperArmCaptionRight", "RebaLowerArmCaptionRight", "RebaWristCaptionRight",
    "RebaUpperArmCaptionLeft", "RebaLowerArmCaptionLeft",  "RebaWristCaptionLeft",     "RebaCouplingCaption",
    "RebaActivityCaption",
};

ControlRow label(const char* name, int x, int y, int w, int h, const char* text, FontStyle font = TextFont,
                 unsigned style = Plain)
{
    return ControlRow{L, name, x, y, w, h, text, font, -1, HelpTopic, style, Black};
}

ControlRow scoreBox(const char* name, int x, int y, int w)
{
    return ControlRow{L, name, x, y, w, 22, "", ScoreFont, -1, HelpTopic, Border | Centred | WhiteBack, Black};
}

std::vector<ControlRow> makeRows()
{
    std::vector<ControlRow> rows;
    int order = 0;
    for (const GroupPlace& place : Places) {
        const auto& info = rula::reba::rebaGroupInfo(place.group);
        rows.push_back(label(CaptionNames[static_cast<std::size_t>(place.group)], place.x, place.y, 150, 18,
                             place.caption, CaptionFont));
        int bands = 0;
        int checks = 0;
        for (int i = info.firstOption; i < info.firstOption + info.optionCount; ++i) {
            const auto& option = rula::reba::rebaOptions()[static_cast<std::size_t>(i)];
            if (option.kind == rula::OptionKind::Base) {
                rows.push_back(ControlRow{Own, option.name.data(), place.x + bands * PanelStep, place.y + 20,
                                          PanelWidth, PanelHeight, option.caption.data(), TextFont, order++,
                                          HelpTopic});
                ++bands;
            }
        }
        // The mark stands at the right end of the caption row, above the last band.
        if (place.source)
            rows.push_back(label(place.source, place.x + bands * PanelStep - 54, place.y + 2, 50, 16, ""));
        for (int i = info.firstOption; i < info.firstOption + info.optionCount; ++i) {
            const auto& option = rula::reba::rebaOptions()[static_cast<std::size_t>(i)];
            if (option.kind == rula::OptionKind::Adjustment) {
                rows.push_back(ControlRow{Own, option.name.data(), place.x + bands * PanelStep + 6,
                                          place.y + 22 + checks * 26, place.checkWidth, 22, option.caption.data(),
                                          TextFont, order++, HelpTopic});
                ++checks;
            }
        }
    }
    rows.push_back(label("RebaScoreACaption", 8, 572, 200, 22, "Score A (Table A + load):", CaptionFont));
    rows.push_back(scoreBox("RebaScoreA", 210, 570, 44));
    const char* sideNames[2][6] = {
        {"RebaSideRight", "RebaScoreBRight", "RebaScoreCRight", "RebaScoreRight", "RebaRiskRight", "Right:"},
        {"RebaSideLeft", "RebaScoreBLeft", "RebaScoreCLeft", "RebaScoreLeft", "RebaRiskLeft", "Left:"},
    };
    rows.push_back(label("RebaScoreBCaption", 70, 598, 150, 16, "Score B (Table B + coupling)"));
    rows.push_back(label("RebaScoreCCaption", 226, 598, 110, 16, "Score C (Table C)"));
    rows.push_back(label("RebaScoreCaption", 342, 598, 140, 16, "REBA score (C + activity)"));
    rows.push_back(label("RebaRiskCaption", 488, 598, 300, 16, "Risk level and action"));
    for (int side = 0; side < 2; ++side) {
        const int y = 616 + side * 26;
        rows.push_back(label(sideNames[side][0], 8, y + 3, 60, 18, sideNames[side][5], CaptionFont));
        rows.push_back(scoreBox(sideNames[side][1], 120, y, 44));
        rows.push_back(scoreBox(sideNames[side][2], 258, y, 44));
        rows.push_back(scoreBox(sideNames[side][3], 390, y, 44));
        rows.push_back(scoreBox(sideNames[side][4], 488, y, 300));
    }
    rows.push_back(label("RebaMissing", 8, 670, 994, 20, "", TextFont, WordWrap));
    return rows;
}

} // namespace

const std::vector<ControlRow>& rows()
{
    static const std::vector<ControlRow> all = makeRows();
    return all;
}

const char* sourceLabel(RebaGroup group)
{
    for (const GroupPlace& place : Places) {
        if (place.group == group)
            return place.source;
    }
    return nullptr;
}

} // namespace rebalayout
