// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AppWindow.h"

// The "Action Levels - RULA" window.
class RULAAction : public AppWindow
{
    Q_OBJECT
public:
    RULAAction(ProgramState& state, WindowSet& windows);
};
