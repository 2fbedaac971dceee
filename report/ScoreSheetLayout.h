// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AssessmentRecord.h"
#include "ScoreSheetPlaces.h"

#include <QLine>
#include <QRect>
#include <QString>

#include <vector>

// The RULA score sheet as the final results window shows it and the report prints it: the
// drawing, one white box per value and the edges of the drawing that the boxes cover, in
// twips of the window's client area. Data that the window's layout table and the report
// both read, so the two can never place a value differently.
namespace ScoreSheetLayout {

// A value's white box; `name` is the final results window's label for it.
struct ValueBox
{
    const char* name;
    QRect box;
    bool grand; // a grand score: larger and bold
};

// An edge of the drawing that a box covers, from one end to the other, `width` pixels wide
// in the window's design.
struct EdgeLine
{
    const char* name;
    QLine line;
    int width;
};

// The drawing's box edges and underlines are this wide in its own units; an edge drawn again
// over a box is as wide as they appear, whatever `EdgeLine::width` says.
inline constexpr qreal DrawnEdgeWidth = 2.0;

// The drawing in the picture library and where it lies.
inline constexpr const char* Art = "score_sheet";
QRect drawing();

// The 25 boxes, back to front as the window creates them.
const std::vector<ValueBox>& valueBoxes();
// The edges redrawn over the boxes.
const std::vector<EdgeLine>& edgeLines();

// A record's value for a box: its text, and what its tool tip says (the body part for a
// body-part score, how it was reached for a computed score).
struct Value
{
    const char* name;
    QString text;
    QString toolTip;
    bool computed;
    QString caption; // what the value is: "Upper Right Arm", "Right side, posture score A"
};

// The record's 25 values: the 17 body-part scores, then the 8 computed ones.
std::vector<Value> valuesOf(const AssessmentRecord& record);

// The sheet filled in with the record's values, for the report.
ScoreSheetPlaces placesOf(const AssessmentRecord& record);

} // namespace ScoreSheetLayout
