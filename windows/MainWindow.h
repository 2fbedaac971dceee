// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AppWindow.h"

// The "RULA" window.
class MainWindow : public AppWindow
{
    Q_OBJECT
public:
    MainWindow(ProgramState& state, WindowSet& windows);
};
