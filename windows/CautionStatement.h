// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AppWindow.h"

// The "TALVO - Caution Statement" window.
class CautionStatement : public AppWindow
{
    Q_OBJECT
public:
    CautionStatement(ProgramState& state, WindowSet& windows);
};
