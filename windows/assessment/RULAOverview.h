// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AppWindow.h"

// The "RULA Overview" window: one fixed picture introducing the method, and "&Exit",
// which only hides the window.
class RULAOverview : public AppWindow
{
    Q_OBJECT
public:
    RULAOverview(ProgramState& state, WindowSet& windows);
};
