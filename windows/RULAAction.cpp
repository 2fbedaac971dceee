// SPDX-License-Identifier: GPL-3.0-or-later
#include "RULAAction.h"

RULAAction::RULAAction(ProgramState& state, WindowSet& windows) : AppWindow(state, windows, Frame::FixedMaximised, true)
{
    setObjectName(QStringLiteral("RULAAction"));
    setWindowTitle(QStringLiteral("Action Levels - RULA"));
}
