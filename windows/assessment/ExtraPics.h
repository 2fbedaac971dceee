// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AppWindow.h"
#include "ExtraPictures.h"

// The "Form1" window: the up to four extra pictures side by side, in the picture boxes
// Picture1 to Picture4, each hidden until its picture is loaded (by OpenExtraPics).
class ExtraPics : public AppWindow, public ExtraPictures
{
    Q_OBJECT
public:
    ExtraPics(ProgramState& state, WindowSet& windows);

    PictureBox* pictureBox(int n) const override;
};
