// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AppWindow.h"

// The "Save" window.
class SaveWindow : public AppWindow
{
    Q_OBJECT
public:
    SaveWindow(ProgramState& state, WindowSet& windows);
};
