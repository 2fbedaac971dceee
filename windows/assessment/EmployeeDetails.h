// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AppWindow.h"

struct EmployeeTexts;

// The "Employee Details" window: the employee's name, ID number and location. The program state
// holds the texts as typed; the assessment record built by "View &Results" keeps them for saving.
class EmployeeDetails : public AppWindow
{
    Q_OBJECT
public:
    EmployeeDetails(ProgramState& state, WindowSet& windows);

    // The colour behind the four labels: the system colour of an inactive window's border.
    static QColor labelBackground();

    // Puts the texts into the three boxes, as if typed: a reopened assessment's employee.
    void setTexts(const EmployeeTexts& texts);

private:
    void continueToMain();
};
