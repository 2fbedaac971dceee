// SPDX-License-Identifier: GPL-3.0-or-later
#include "SaveWindow.h"

SaveWindow::SaveWindow(ProgramState& state, WindowSet& windows) : AppWindow(state, windows, Frame::FixedDialog, true)
{
    setObjectName(QStringLiteral("Save"));
    setWindowTitle(QStringLiteral("Save"));
}
