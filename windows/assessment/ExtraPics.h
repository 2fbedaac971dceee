// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AppWindow.h"

class PictureBox;

// The "Form1" window: the up to four extra pictures side by side, in the picture boxes
// Picture1 to Picture4, each hidden until its picture is loaded (by OpenExtraPics).
class ExtraPics : public AppWindow
{
    Q_OBJECT
public:
    ExtraPics(ProgramState& state, WindowSet& windows);

    // The box for the n-th extra picture, n = 1 to 4.
    PictureBox* pictureBox(int n) const;
};
