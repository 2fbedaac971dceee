// SPDX-License-Identifier: GPL-3.0-or-later
#include "RULAOverview.h"

RULAOverview::RULAOverview(ProgramState& state, WindowSet& windows) : AppWindow(state, windows, Frame::Sizable, false)
{
    setObjectName(QStringLiteral("RULAOverview"));
    setWindowTitle(QStringLiteral("RULA Overview"));
}
