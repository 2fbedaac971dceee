// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AppWindow.h"

// The "Action Levels - RULA" window: the action level of each side with its explanation.
// The right side's results are on the left half, the left side's on the right half.
// Its labels are filled by ShowActionLevels.
class RULAAction : public AppWindow
{
    Q_OBJECT
public:
    RULAAction(ProgramState& state, WindowSet& windows);

protected:
    // Moving the pointer over the window's own background (not over a control) points
    // context help at the program folder's help file.
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void reductionMeasures();
    void back();
};
