// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AppWindow.h"

// The "Open Picture File" window.
class OpenExtraPics : public AppWindow
{
    Q_OBJECT
public:
    OpenExtraPics(ProgramState& state, WindowSet& windows);
};
