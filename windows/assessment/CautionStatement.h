// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AppWindow.h"

// The "TALVO - Caution Statement" window: the first window of a run, and shown again before
// every display of results. Its Accept leads to the employee details the first time and to
// the final results afterwards.
class CautionStatement : public AppWindow
{
    Q_OBJECT
public:
    CautionStatement(ProgramState& state, WindowSet& windows);

    // Shows the window with the keyboard focus on "Accept".
    void showWindow() override;

private:
    void accept();
};
