// SPDX-License-Identifier: GPL-3.0-or-later
#include "MainLayout.h"

#include <array>

namespace mainlayout {
namespace {

constexpr ControlKind L = ControlKind::Label;
constexpr ControlKind Own = ControlKind::Custom;

// Caption sizes by role.
constexpr double Heading = 32.25;     // tab headings
constexpr double Instruction = 20.25; // instructions and body-group headings
constexpr double RowName = 24;        // "Wrist:", "Neck:", ...
constexpr double ScoreCaption = 26.25;
constexpr double Or = 48; // the word "OR" between two alternatives

constexpr FontStyle ButtonFont = Arial(12, true);
constexpr FontStyle ScoreFont = Comic(27.75, true);

// A caption: bold Arial in dark blue; like every label here it wraps at word boundaries
// when its text is wider than the label.
ControlRow caption(const char* name, int x, int y, int w, int h, const char* text, double size, int topic)
{
    return ControlRow{L, name, x, y, w, h, text, Arial(size, true), -1, topic, WordWrap, DarkBlue};
}

// A score box: bordered, centred, empty until its group is first clicked.
ControlRow scoreBox(const char* name, int x, int y, int w, int h, int topic, bool highlight = false)
{
    return ControlRow{L, name, x, y, w, h, "", ScoreFont, -1, topic, Border | (highlight ? Highlight : 0u), DarkBlue};
}

// The command buttons are Custom rows: the window makes them as buttons whose caption wraps
// onto a second line when it is wider than the button.
const std::vector<ControlRow> LeftColumn = {
    {Own, "Command3", 8, 16, 121, 49, "&Load Picture", ButtonFont, 0, 30},
    {Own, "Command5", 136, 16, 121, 49, "Play &Video", ButtonFont, 1, 31},
    {Own, "Command1", 8, 96, 121, 49, "Load E&xtra Pictures", ButtonFont, 2, 32},
    {Own, "Command2", 136, 96, 121, 49, "View &Results", ButtonFont, 3, 33},
    {Own, "Command4", 8, 176, 121, 49, "View Extra &Pictures", ButtonFont, 4, 34},
    {Own, "Command8", 136, 176, 121, 49, "&Exit", ButtonFont, 5, 19},
    {Own, "Command6", 64, 256, 121, 49, "  RULA &Overview", ButtonFont, 6, 192},
    {Own, "Picture1", 8, 328, 249, 369, "", {}, 7, 200}, // the Measure Angles topic: double-click opens it
    {Own, "SSTab1", 264, 0, 753, 721, "", Arial(8.25), 8, 0},
    // Added in the strip between "RULA Overview" and the picture, after the designed controls.
    {Own, "VideoFramesButton", 82, 307, 100, 19, "Video &Frames...", Arial(8), 10, 210},
    {Own, "DetailsButton", 8, 307, 70, 19, "&Details...", Arial(8), 9, 201},
    {Own, "TeamDatabaseButton", 186, 307, 71, 19, "&Team...", Arial(8.25), 11, 196},
    // Beside "RULA Overview", the second method on the same assessment.
    {Own, "RebaButton", 188, 272, 69, 19, "RE&BA...", Arial(8.25), 12, 250},
    {L, "TeamStatus", 8, 698, 249, 13, "", Arial(7.5), -1, 196, Plain, Black},
};

// Tabs 1 and 2: the upper arm of one side.
std::vector<ControlRow> upperArmTab(bool left)
{
    const int t = 179;
    return {
        caption(left ? "Label3" : "Label1", 24, 56, left ? 625 : 657, 65,
                left ? "Group A - Upper Arm (LEFT)" : "Group A - Upper Arm (RIGHT)", Heading, t),
        caption(left ? "Label5" : "Label2", 32, 372, 593, 41,
                "Please choose from the following if relevant:", Instruction, t),
        caption(left ? "Label7" : "Label53", 32, 580, left ? 241 : 257, 49, "Current Score", ScoreCaption, t),
        scoreBox(left ? "CurrentScore2" : "CurrentScore", 296, 580, 57, 49, t),
    };
}

// Tabs 3 and 4: the lower arm of one side.
std::vector<ControlRow> lowerArmTab(bool left)
{
    const int t = 180;
    return {
        caption(left ? "Label10" : "Label9", 24, 60, left ? 617 : 657, 65,
                left ? "Group A - Lower Arm (LEFT)" : "Group A - Lower Arm (RIGHT)", Heading, t),
        caption(left ? "Label12" : "Label6", 48, 612, 241, 57, "Current Score", ScoreCaption, t),
        scoreBox(left ? "CurrentScore4" : "CurrentScore3", 328, 612, 57, 57, t, true),
    };
}

// Tabs 5 and 6: wrist angle above, wrist twist below, of one side.
std::vector<ControlRow> wristTab(bool left)
{
    const int t = 181;
    return {
        caption(left ? "Label18" : "Label17", 24, 60, 689, 65,
                left ? "Wrist and Wrist Twist (LEFT)" : "Wrist and Wrist Twist (RIGHT)", Heading, t),
        caption(left ? "Label19" : "Label16", 40, 136, 113, 41, "Wrist:", RowName, t),
        caption(left ? "Label24" : "Label11", 88, left ? 276 : 280, 449, 41,
                "Click on the following if relevant:", Instruction, t),
        caption(left ? "Label25" : "Label8", 88, 340, 217, 57, "Wrist Score", ScoreCaption, t),
        scoreBox(left ? "Label27" : "WristScore", 312, left ? 340 : 348, 57, 57, t, true),
        // "Wrist Twist:" is too wide for its label and wraps onto two lines.
        caption(left ? "Label20" : "Label15", 40, 440, 105, 97, "Wrist Twist:", RowName, t),
        caption(left ? "Label23" : "Label13", 360, 464, 97, 81, "OR", Or, t),
        caption(left ? "Label22" : "Label14", 40, left ? 592 : 600, 217, 57, "Twist Score", ScoreCaption, t),
        scoreBox(left ? "Label21" : "TwistScore", 272, left ? 592 : 600, 57, 57, t),
    };
}

std::vector<ControlRow> neckTrunkLegsTab()
{
    const int t = 183;
    return {
        caption("Label28", 16, 60, 705, 65, "Group B - Neck, Trunk and Legs", Heading, t),
        caption("Label35", 16, 148, 97, 41, "Neck:", RowName, t),
        caption("Label31", 120, 244, 209, 57, "Neck Score", ScoreCaption, t),
        scoreBox("NeckScore", 328, 244, 57, 57, t),
        caption("Label34", 8, 324, 105, 41, "Trunk:", RowName, t),
        caption("Label30", 120, 420, 217, 57, "Trunk Score", ScoreCaption, t),
        scoreBox("TrunkScore", 336, 420, 57, 57, t),
        caption("Label33", 24, 508, 89, 49, "Legs:", RowName, t),
        caption("Label32", 352, 500, 97, 81, "OR", Or, t),
        caption("Label29", 120, 624, 177, 49, "Leg Score", ScoreCaption, t),
        scoreBox("LegScore", 296, 624, 57, 49, t),
    };
}

// Three body-group headings of tabs 8 and 9 are one family, `Label4_1` to `Label4_3`, told
// apart by the number after the underscore.
std::vector<ControlRow> muscleUseTab()
{
    const int t = 182;
    return {
        caption("Label43", 160, 60, 377, 65, "Muscle Use Score", Heading, t),
        caption("Label4_2", 24, 128, 425, 41, "Group A - Upper Body (RIGHT)", Instruction, t),
        caption("Label41", 256, 180, 97, 81, "OR", Or, t),
        caption("Label37", 608, 172, 113, 57, "Score:", ScoreCaption, t),
        scoreBox("UpperRightScore", 624, 232, 57, 57, t),
        caption("Label4_1", 24, 292, 409, 41, "Group A - Upper Body (LEFT)", Instruction, t),
        caption("Label40", 256, 348, 97, 81, "OR", Or, t),
        caption("Label38", 608, 332, 113, 57, "Score:", ScoreCaption, t),
        scoreBox("UpperLeftScore", 624, 396, 57, 57, t),
        caption("Label42", 24, 452, 297, 41, "Group B -Lower Body", Instruction, t),
        caption("Label39", 256, 516, 97, 81, "OR", Or, t),
        caption("Label36", 608, 492, 113, 57, "Score:", ScoreCaption, t),
        scoreBox("LowerScore", 624, 548, 57, 57, t),
    };
}

std::vector<ControlRow> forceTab()
{
    const int t = 184;
    return {
        caption("Label52", 128, 56, 465, 65, "Forces or Load Score", Heading, t),
        caption("Label4_3", 32, 116, 417, 41, "Group A - Upper Body (RIGHT)", Instruction, t),
        caption("Label49", 624, 156, 113, 57, "Score:", ScoreCaption, t),
        scoreBox("Label48", 648, 216, 57, 57, t),
        caption("Label50", 32, 272, 417, 41, "Group A - Upper Body (LEFT)", Instruction, t),
        caption("Label47", 624, 320, 113, 57, "Score:", ScoreCaption, t),
        scoreBox("Label46", 648, 380, 57, 57, t),
        caption("Label51", 32, 444, 369, 44, "Group B - Lower Body", Instruction, t),
        caption("Label45", 624, 488, 113, 57, "Score:", ScoreCaption, t),
        scoreBox("Label44", 648, 548, 57, 57, t),
    };
}

const std::array<std::vector<ControlRow>, TabCount> TabControls = {
    upperArmTab(false), upperArmTab(true),  lowerArmTab(false), lowerArmTab(true), wristTab(false),
    wristTab(true),     neckTrunkLegsTab(), muscleUseTab(),     forceTab(),
};

constexpr std::array<int, TabCount> HelpTopics = {179, 179, 180, 180, 181, 181, 183, 182, 184};

// Panel (x, y, w, h) on its tab, then the picture control's size and, where it differs
// from 8, 8, its inset.
const PanelPlace Panels[] = {
    // Tab 1: upper arm (right). Tab 2: upper arm (left), the same places.
    {"Frame1", 24, 144, 137, 177, 118, 160},
    {"Frame2", 160, 144, 137, 177, 118, 160},
    {"Frame3", 296, 144, 137, 177, 118, 160},
    {"Frame4", 432, 144, 137, 177, 118, 160},
    {"Frame5", 568, 144, 137, 177, 118, 160},
    {"Frame6", 8, 432, 241, 105, 224, 91},
    {"Frame7", 248, 432, 241, 105, 224, 91},
    {"Frame8", 488, 432, 241, 105, 224, 91},
    {"Frame9", 24, 144, 137, 177, 118, 160},
    {"Frame10", 160, 144, 137, 177, 118, 160},
    {"Frame11", 296, 144, 137, 177, 118, 160},
    {"Frame12", 432, 144, 137, 177, 118, 160},
    {"Frame13", 568, 144, 137, 177, 118, 160},
    {"Frame14", 8, 432, 241, 105, 224, 91},
    {"Frame15", 248, 432, 241, 105, 224, 91},
    {"Frame16", 488, 432, 241, 105, 224, 91},
    // Tabs 3 and 4: lower arm.
    {"Frame17", 152, 144, 257, 225, 237, 203},
    {"Frame18", 456, 144, 257, 225, 237, 203},
    {"Frame20", 272, 376, 329, 225, 300, 200, 16, 16},
    {"Frame19", 152, 144, 257, 225, 237, 203},
    {"Frame21", 456, 144, 257, 225, 237, 203},
    {"Frame22", 280, 384, 329, 225, 300, 200},
    // Tabs 5 and 6: wrist and wrist twist.
    {"Frame23", 152, 128, 161, 145, 143, 125},
    {"Frame24", 312, 128, 161, 145, 143, 125},
    {"Frame25", 472, 128, 161, 145, 143, 125},
    {"Frame26", 536, 280, 185, 153, 167, 133},
    {"Frame27", 152, 448, 185, 145, 166, 129},
    {"Frame28", 472, 448, 185, 145, 166, 129},
    {"Frame29", 152, 128, 161, 145, 143, 125},
    {"Frame30", 312, 128, 161, 145, 143, 125},
    {"Frame31", 472, 128, 161, 145, 143, 125},
    {"Frame32", 536, 272, 185, 153, 167, 133, 8, 16},
    {"Frame33", 152, 432, 185, 145, 166, 129},
    {"Frame34", 464, 432, 185, 145, 166, 129},
    // Tab 7: neck, trunk and legs.
    {"Frame53", 120, 136, 113, 105, 96, 88},
    {"Frame54", 232, 136, 113, 105, 96, 88},
    {"Frame55", 344, 136, 113, 105, 96, 88},
    {"Frame56", 456, 136, 113, 105, 96, 88},
    {"Frame61", 576, 136, 161, 73, 141, 59},
    {"Frame62", 576, 208, 161, 73, 141, 59},
    {"Frame57", 120, 312, 113, 105, 96, 88},
    {"Frame58", 232, 312, 113, 105, 96, 88},
    {"Frame59", 344, 312, 113, 105, 96, 88},
    {"Frame60", 456, 312, 113, 105, 96, 88},
    {"Frame63", 576, 312, 161, 73, 141, 59},
    {"Frame64", 576, 384, 161, 73, 141, 59},
    {"Frame65", 112, 496, 209, 97, 193, 81},
    {"Frame66", 488, 496, 209, 97, 193, 81},
    // Tab 8: muscle use.
    {"Frame35", 16, 168, 241, 121, 228, 105},
    {"Frame36", 360, 168, 241, 121, 228, 105},
    {"Frame37", 16, 336, 241, 121, 228, 105},
    {"Frame38", 360, 336, 241, 121, 228, 105},
    {"Frame39", 16, 496, 241, 121, 228, 105},
    {"Frame40", 360, 496, 241, 121, 228, 105},
    // Tab 9: force / load.
    {"Frame41", 8, 160, 153, 113, 133, 95},
    {"Frame42", 160, 160, 153, 113, 133, 95},
    {"Frame43", 312, 160, 153, 113, 133, 95},
    {"Frame44", 464, 160, 153, 113, 133, 95},
    {"Frame45", 8, 320, 153, 113, 133, 95},
    {"Frame46", 160, 320, 153, 113, 133, 95},
    {"Frame47", 312, 320, 153, 113, 133, 95},
    {"Frame48", 464, 320, 153, 113, 133, 95},
    {"Frame49", 8, 488, 153, 113, 133, 95},
    {"Frame50", 160, 488, 153, 113, 133, 95},
    {"Frame51", 312, 488, 153, 113, 133, 95},
    {"Frame52", 464, 488, 153, 113, 133, 95},
};

} // namespace

const std::vector<ControlRow>& leftColumn()
{
    return LeftColumn;
}

QStringList tabCaptions()
{
    return {
        QStringLiteral("1. Upper Arm (Right)"),    QStringLiteral("2. Upper Arm (Left)"),
        QStringLiteral("3. Lower Arm (Right)"),    QStringLiteral("4. Lower Arm (Left)"),
        QStringLiteral("5. Wrist (Right)"),        QStringLiteral("6. Wrist (Left)"),
        QStringLiteral("7. Neck, Trunk and Legs"), QStringLiteral("8. Muscle Use"),
        QStringLiteral("9. Force / Load Score"),
    };
}

const std::vector<ControlRow>& tabControls(int tab)
{
    return TabControls.at(static_cast<std::size_t>(tab - 1));
}

int tabHelpTopic(int tab)
{
    return HelpTopics.at(static_cast<std::size_t>(tab - 1));
}

const PanelPlace* panelPlace(std::string_view panel)
{
    for (const PanelPlace& place : Panels) {
        if (panel == place.panel)
            return &place;
    }
    return nullptr;
}

QSize pictureSize(std::string_view panel)
{
    const PanelPlace* place = panelPlace(panel);
    return place ? QSize(place->pw, place->ph) : QSize();
}

} // namespace mainlayout
