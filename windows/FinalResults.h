// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AppWindow.h"

// The "Final Results - RULA" window.
class FinalResults : public AppWindow
{
    Q_OBJECT
public:
    FinalResults(ProgramState& state, WindowSet& windows);
};
