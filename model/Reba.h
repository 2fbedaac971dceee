// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OptionCatalogue.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// REBA, the Rapid Entire Body Assessment (Hignett and McAtamney, Applied Ergonomics 31 (2000)
// 201-205): the whole body of the same worker, scored beside RULA. Group A (neck, trunk,
// legs, load) gives score A; group B (upper arm, lower arm, wrist, coupling) gives score B for
// each side; Table C of the two, plus the activity score, gives the REBA score of each side.
namespace rula::reba {

// The option groups of REBA, in the order the window shows them and the evidence keeps them.
enum class RebaGroup : int
{
    Neck,
    Trunk,
    Legs,
    Knees,
    Load,
    UpperArmRight,
    LowerArmRight,
    WristRight,
    UpperArmLeft,
    LowerArmLeft,
    WristLeft,
    Coupling,
    Activity,
};
constexpr int RebaGroupCount = 13;
constexpr int RebaOptionCount = 48;

struct RebaGroupInfo
{
    RebaGroup group;
    std::string_view name; // "Neck", "Upper arm (right)": how a line or the report names it
    bool needsChoice;      // one of its bands must be chosen (all but the activity)
    int firstOption;       // index of its first option in rebaOptions()
    int optionCount;
};

struct RebaOption
{
    RebaGroup group;
    std::string_view name;    // the control's objectName: "RebaNeck1", "RebaUpperArm3Right"
    OptionKind kind;          // a band (one per group) or an adjustment (a check box)
    int value;                // a band's score, or an adjustment's change (+1, -1)
    std::string_view caption; // as the window shows it (UTF-8)
    std::string_view art;     // the band's picture in resources/pictures; empty for an adjustment
    bool mirrored;            // left-side pictures are the right side's drawn mirrored
};

// The one table of REBA's options, group by group in group order; the window's controls, the
// completeness lines, the evidence and the report are all derived from it.
const std::array<RebaOption, RebaOptionCount>& rebaOptions();
const std::array<RebaGroupInfo, RebaGroupCount>& rebaGroups();
const RebaGroupInfo& rebaGroupInfo(RebaGroup group);

// Index in rebaOptions() of the option whose objectName is `name`, or -1.
int rebaOptionIndex(std::string_view name);

// What the assessor has chosen: the selected flag of each option, and for each group whether
// its band came from a measurement (Measure Angles' Apply) rather than from a click.
class RebaChoices
{
public:
    // A click on the option: a band selects itself and deselects its group's other bands (its
    // group is then chosen by hand); an adjustment toggles.
    void click(int optionIndex);
    // Selects the band `optionIndex` as a measurement gives it: like a click on a band, but the
    // group is marked as measured. An adjustment index is ignored.
    void applyMeasured(int optionIndex);
    // Sets one option's flag as it was saved, without any other change.
    void setSelected(int optionIndex, bool selected);
    void setMeasured(RebaGroup group, bool measured);

    bool isSelected(int optionIndex) const { return m_selected.at(static_cast<std::size_t>(optionIndex)); }
    bool isMeasured(RebaGroup group) const { return m_measured.at(static_cast<std::size_t>(group)); }
    // The chosen band of the group (an index into rebaOptions()), if any.
    std::optional<int> band(RebaGroup group) const;
    // The group's score: its band's value plus its selected adjustments; none without a band
    // (the activity, which has no bands, is the sum of its ticks).
    std::optional<int> groupScore(RebaGroup group) const;
    // True when nothing is chosen at all.
    bool isEmpty() const;

    bool operator==(const RebaChoices& other) const
    {
        return m_selected == other.m_selected && m_measured == other.m_measured;
    }
    bool operator!=(const RebaChoices& other) const { return !(*this == other); }

private:
    std::array<bool, RebaOptionCount> m_selected{};
    std::array<bool, RebaGroupCount> m_measured{};
};

// REBA Table A: trunk 1-5, neck 1-3, legs 1-4 give 1-9. Outside those ranges, none.
std::optional<int> lookupRebaTableA(int trunk, int neck, int legs);
// REBA Table B: upper arm 1-6, lower arm 1-2, wrist 1-3 give 1-9. Outside, none.
std::optional<int> lookupRebaTableB(int upperArm, int lowerArm, int wrist);
// REBA Table C: score A 1-12, score B 1-12 give 1-12. Outside, none.
std::optional<int> lookupRebaTableC(int scoreA, int scoreB);

// One side's group B and final scores.
struct RebaSide
{
    std::optional<int> upperArm;  // band + adjustments, never below 1 (at most 6)
    std::optional<int> lowerArm;  // 1-2
    std::optional<int> wrist;     // 1-3
    std::optional<int> tableB;    // Table B of the three
    std::optional<int> scoreB;    // Table B + coupling, 1-12
    std::optional<int> scoreC;    // Table C of score A and score B, 1-12
    std::optional<int> rebaScore; // score C + activity, 1-15
};

// Every score of a REBA assessment; a score is empty while a group it needs is not chosen.
struct RebaScores
{
    std::optional<int> neck;     // 1-3
    std::optional<int> trunk;    // 1-5
    std::optional<int> legs;     // legs band + knees, 1-4
    std::optional<int> tableA;   // Table A of trunk, neck and legs
    std::optional<int> load;     // load band + shock, 0-3
    std::optional<int> scoreA;   // Table A + load, 1-12
    std::optional<int> coupling; // 0-3
    int activity = 0;            // one for each tick, 0-3
    RebaSide right, left;

    const RebaSide& side(bool left_) const { return left_ ? left : right; }
};

// Scores `choices` through Tables A, B and C. The upper arm score is kept at 1 or more (the
// support adjustment cannot take the lowest band below 1).
RebaScores scoreReba(const RebaChoices& choices);

// The groups that still need a band, one line each ("Neck: no band chosen"), in group order.
// Empty when the assessment is complete.
std::vector<std::string> missingRebaGroups(const RebaChoices& choices);

// The risk level of a REBA score 1-15 in the method's words: "1 Negligible: none necessary",
// "2–3 Low: may be necessary", "4–7 Medium: necessary", "8–10 High: necessary soon",
// "11–15 Very high: necessary now" (UTF-8, en dashes). Empty outside 1-15.
std::string_view rebaRiskText(int score);
// The risk level of a REBA score as a number: 1 negligible, 2 low, 3 medium, 4 high, 5 very
// high; 0 outside 1-15.
int rebaRiskLevel(int score);

// How each score was reached, one sentence each (UTF-8), in the order of the worksheet:
//   "Table A: trunk 3, neck 2, legs 2 gives 5 (neck 2 block, trunk row 3, legs column 2)"
//   "Score A: Table A 5 + load 1 gives 6"
// and per side upper arm, Table B, score B, Table C and REBA score. A score not reached says
// which group is missing. `left` selects the side of the side sentences.
std::vector<std::string> traceReba(const RebaChoices& choices);

// The REBA band a measured angle gives (an index into rebaOptions()), or -1 for a body part REBA
// does not score from an angle. `bodyPart` is the RULA group the measurement is applied to
// (Group::Neck, Group::Trunk, Group::UpperRight, Group::LowerLeft, Group::WristRight, ...);
// angles are signed degrees, flexion positive.
int rebaBandOfAngle(Group bodyPart, double angle);

} // namespace rula::reba
