// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AppWindow.h"

// The "Open Picture File" window.
class OpenPictureFile : public AppWindow
{
    Q_OBJECT
public:
    OpenPictureFile(ProgramState& state, WindowSet& windows);
};
