// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AppWindow.h"

// The "Form1" window.
class ExtraPics : public AppWindow
{
    Q_OBJECT
public:
    ExtraPics(ProgramState& state, WindowSet& windows);
};
