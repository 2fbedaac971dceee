// SPDX-License-Identifier: GPL-3.0-or-later
#include "CautionStatement.h"

CautionStatement::CautionStatement(ProgramState& state, WindowSet& windows)
    : AppWindow(state, windows, Frame::Sizable, false)
{
    setObjectName(QStringLiteral("CautionStatement"));
    setWindowTitle(QStringLiteral("TALVO - Caution Statement"));
}
