// SPDX-License-Identifier: GPL-3.0-or-later
#include "FinalResults.h"

FinalResults::FinalResults(ProgramState& state, WindowSet& windows)
    : AppWindow(state, windows, Frame::FixedMaximised, true)
{
    setObjectName(QStringLiteral("FinalResults"));
    setWindowTitle(QStringLiteral("Final Results - RULA"));
}
