// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AppWindow.h"

struct AssessmentRecord;

// The "Final Results - RULA" window: every body-part, intermediate and grand score of both
// sides on a drawing of the RULA score sheet. It computes nothing: it shows a record.
class FinalResults : public AppWindow
{
    Q_OBJECT
public:
    FinalResults(ProgramState& state, WindowSet& windows);

    // Shows the window maximised with the keyboard focus on "&Action Level >>".
    void showWindow() override;

    // Fills the 25 value labels with the record's scores; each computed score's tool tip says
    // how it was reached.
    void showScores(const AssessmentRecord& record);

    // The window's controls in twips, back to front: the heading, the score sheet drawing,
    // the 25 white value labels, the edge lines redrawn over them and the buttons.
    static const std::vector<ControlRow>& layout();

private:
    void back();
    void drawLinesAsTheEdges();
};
