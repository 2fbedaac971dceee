// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AppWindow.h"

// The "Employee Details" window.
class EmployeeDetails : public AppWindow
{
    Q_OBJECT
public:
    EmployeeDetails(ProgramState& state, WindowSet& windows);
};
