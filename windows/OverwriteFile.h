// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AppWindow.h"

// The "Overwrite File" window.
class OverwriteFile : public AppWindow
{
    Q_OBJECT
public:
    OverwriteFile(ProgramState& state, WindowSet& windows);
};
