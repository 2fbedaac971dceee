// SPDX-License-Identifier: GPL-3.0-or-later
#include "OpenExtraPics.h"

OpenExtraPics::OpenExtraPics(ProgramState& state, WindowSet& windows)
    : AppWindow(state, windows, Frame::FixedDialog, true)
{
    setObjectName(QStringLiteral("OpenExtraPics"));
    setWindowTitle(QStringLiteral("Open Picture File"));
}
