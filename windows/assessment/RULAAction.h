// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AppWindow.h"

struct AssessmentRecord;

// The "Action Levels - RULA" window: the action level of each side with its explanation.
// The right side's results are on the left half, the left side's on the right half.
// "Re&port..." writes the printed report of the assessment; "Plan a &Change..." opens Plan a Change.
class RULAAction : public AppWindow
{
    Q_OBJECT
public:
    RULAAction(ProgramState& state, WindowSet& windows);

    // Shows each side's action level and its explanation; a side whose grand score has no
    // level keeps what it showed.
    void showLevels(const AssessmentRecord& record);

    // Shows the levels of the program's assessment record, then the window.
    void showWindow() override;

protected:
    // Moving the pointer over the window's own background (not over a control) points
    // context help at the program folder's help file.
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void reductionMeasures();
    void back();
    void writeReport();
};
