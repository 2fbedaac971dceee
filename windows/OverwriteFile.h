// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AppWindow.h"

// The "Overwrite File" window: asks whether the result files that already exist under the
// chosen name are to be replaced, or another name chosen.
class OverwriteFile : public AppWindow
{
    Q_OBJECT
public:
    OverwriteFile(ProgramState& state, WindowSet& windows);

    // Shows the question with the existing text file's name in the title.
    void showWindow() override;

private:
    void overwrite();
    void newFilename();
};
