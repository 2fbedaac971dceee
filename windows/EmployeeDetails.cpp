// SPDX-License-Identifier: GPL-3.0-or-later
#include "EmployeeDetails.h"

EmployeeDetails::EmployeeDetails(ProgramState& state, WindowSet& windows)
    : AppWindow(state, windows, Frame::FixedDialog, true)
{
    setObjectName(QStringLiteral("EmployeeDetails"));
    setWindowTitle(QStringLiteral("Employee Details"));
}
