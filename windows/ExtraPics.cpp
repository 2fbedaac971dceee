// SPDX-License-Identifier: GPL-3.0-or-later
#include "ExtraPics.h"

ExtraPics::ExtraPics(ProgramState& state, WindowSet& windows) : AppWindow(state, windows, Frame::FixedMaximised, true)
{
    setObjectName(QStringLiteral("ExtraPics"));
    setWindowTitle(QStringLiteral("Form1"));
}
