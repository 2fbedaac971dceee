// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScoreSheetLayout.h"

#include "ModelText.h"

#include <cstring>

namespace ScoreSheetLayout {
namespace {

// What each box shows: a body part's score, or a computed score and the sentence that
// explains it.
struct BodyPartPlace
{
    rula::Group group;
    const char* name;
};

constexpr BodyPartPlace BodyPartPlaces[] = {
    {rula::Group::UpperLeft, "Label2"},
    {rula::Group::UpperRight, "Label3"},
    {rula::Group::LowerLeft, "Label4"},
    {rula::Group::LowerRight, "Label5"},
    {rula::Group::WristLeft, "Label8"},
    {rula::Group::WristRight, "Label6"},
    {rula::Group::WristTwistLeft, "Label9"},
    {rula::Group::WristTwistRight, "Label7"},
    {rula::Group::MuscleLeftUpper, "Label18"},
    {rula::Group::MuscleRightUpper, "Label12"},
    {rula::Group::ForceLeftUpper, "Label19"},
    {rula::Group::ForceRightUpper, "Label13"},
    {rula::Group::Neck, "Label20"},
    {rula::Group::Trunk, "Label21"},
    {rula::Group::Legs, "Label22"},
    {rula::Group::MuscleLower, "Label24"},
    {rula::Group::ForceLower, "Label25"},
};

struct ResultPlace
{
    std::int16_t rula::ResultScores::*score;
    std::string rula::ScoreTrace::*trace;
    const char* name;
    const char* caption;
};

constexpr ResultPlace ResultPlaces[] = {
    {&rula::ResultScores::PostureScoreALeft, &rula::ScoreTrace::PostureScoreALeft, "Label10",
     "Left side, posture score A"},
    {&rula::ResultScores::PostureScoreARight, &rula::ScoreTrace::PostureScoreARight, "Label11",
     "Right side, posture score A"},
    {&rula::ResultScores::ScoreCLeft, &rula::ScoreTrace::ScoreCLeft, "Label15", "Left side, score C"},
    {&rula::ResultScores::ScoreCRight, &rula::ScoreTrace::ScoreCRight, "Label14", "Right side, score C"},
    {&rula::ResultScores::PostureScoreB, &rula::ScoreTrace::PostureScoreB, "Label23", "Posture score B"},
    {&rula::ResultScores::ScoreD, &rula::ScoreTrace::ScoreD, "Label26", "Score D"},
    {&rula::ResultScores::GrandScoreLeft, &rula::ScoreTrace::GrandScoreLeft, "Label16", "Left side, grand score"},
    {&rula::ResultScores::GrandScoreRight, &rula::ScoreTrace::GrandScoreRight, "Label17", "Right side, grand score"},
};

QString decimal(int score)
{
    return QString::fromStdString(rula::scoreText(score));
}

const ValueBox& boxNamed(const char* name)
{
    for (const ValueBox& box : valueBoxes()) {
        if (std::strcmp(box.name, name) == 0)
            return box;
    }
    qFatal("The score sheet has no box %s", name);
}

} // namespace

QRect drawing()
{
    return {360, 2160, 14535, 7575};
}

const std::vector<ValueBox>& valueBoxes()
{
    static const std::vector<ValueBox> boxes{
        // Row A: the upper-left triangle of a box holds the left side, the lower-right the right.
        {"Label2", {1200, 2640, 375, 375}, false},   // upper arm, left
        {"Label3", {2400, 2880, 255, 375}, false},   // upper arm, right
        {"Label4", {1200, 3600, 255, 375}, false},   // lower arm, left
        {"Label5", {2400, 3720, 375, 375}, false},   // lower arm, right
        {"Label8", {1200, 4440, 375, 375}, false},   // wrist, left
        {"Label6", {2280, 4680, 495, 375}, false},   // wrist, right
        {"Label9", {1200, 5400, 495, 375}, false},   // wrist twist, left
        {"Label7", {2280, 5640, 375, 375}, false},   // wrist twist, right
        {"Label10", {4320, 3840, 375, 375}, false},  // posture score A, left
        {"Label11", {4920, 4200, 375, 375}, false},  // posture score A, right
        {"Label18", {6120, 3960, 495, 375}, false},  // muscle use, left
        {"Label12", {7080, 4200, 375, 375}, false},  // muscle use, right
        {"Label19", {8160, 3960, 375, 375}, false},  // force, left
        {"Label13", {9000, 4200, 375, 375}, false},  // force, right
        {"Label15", {10440, 3600, 495, 375}, false}, // score C, left
        {"Label14", {11280, 4080, 495, 375}, false}, // score C, right
        {"Label16", {12600, 5640, 375, 615}, true},  // grand score, left
        {"Label17", {14040, 5880, 615, 615}, true},  // grand score, right
        // Row B: one value per box, for both sides.
        {"Label20", {1680, 7080, 375, 375}, false},  // neck
        {"Label21", {1680, 8040, 375, 375}, false},  // trunk
        {"Label22", {1680, 9000, 375, 375}, false},  // legs
        {"Label23", {4560, 8160, 375, 375}, false},  // posture score B
        {"Label24", {6600, 8280, 375, 375}, false},  // muscle use, lower body
        {"Label25", {8640, 8280, 375, 375}, false},  // force, lower body
        {"Label26", {10920, 8040, 495, 495}, false}, // score D
    };
    return boxes;
}

const std::vector<EdgeLine>& edgeLines()
{
    static const std::vector<EdgeLine> lines{
        {"Line4", {6120, 3960, 6840, 3960}, 1},  {"Line5", {6120, 3960, 6720, 3960}, 1},
        {"Line6", {6120, 3960, 6600, 3960}, 1},  {"Line7", {6120, 3960, 6960, 3960}, 1},
        {"Line10", {6120, 3960, 6840, 3960}, 4}, {"Line11", {6120, 3960, 6840, 3960}, 1},
        {"Line9", {8040, 3960, 8760, 3960}, 4},  {"Line8", {8040, 3960, 8040, 4440}, 1},
        {"Line2", {1200, 4440, 1800, 4440}, 1},  {"Line1", {1200, 5400, 2040, 5400}, 1},
        {"Line3", {2160, 6000, 2760, 6000}, 1},
    };
    return lines;
}

std::vector<Value> valuesOf(const AssessmentRecord& record)
{
    std::vector<Value> values;
    for (const BodyPartPlace& place : BodyPartPlaces)
        values.push_back({place.name, decimal(record.assessment.score(place.group)), bodyPartName(place.group), false,
                          bodyPartName(place.group)});
    for (const ResultPlace& place : ResultPlaces)
        values.push_back({place.name, decimal(record.results.*place.score), modelText(record.trace.*place.trace), true,
                          QString::fromLatin1(place.caption)});
    return values;
}

ScoreSheetPlaces placesOf(const AssessmentRecord& record)
{
    ScoreSheetPlaces sheet;
    sheet.art = QString::fromLatin1(Art);
    sheet.drawing = QRectF(drawing());
    for (const Value& value : valuesOf(record)) {
        const ValueBox& box = boxNamed(value.name);
        sheet.values.push_back({QRectF(box.box), value.text, box.grand, value.computed ? value.toolTip : QString()});
    }
    for (const EdgeLine& edge : edgeLines())
        sheet.edges.push_back({QLineF(edge.line), qreal(edge.width)});
    return sheet;
}

} // namespace ScoreSheetLayout
