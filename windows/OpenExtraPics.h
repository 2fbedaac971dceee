// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OpenPictureFile.h"

// The "Open Picture File" window for the extra pictures: each Open puts the chosen file
// into the next free box of ExtraPics, up to four.
class OpenExtraPics : public PictureFileWindow
{
    Q_OBJECT
public:
    OpenExtraPics(ProgramState& state, WindowSet& windows);

    void open() override;
    void exit() override;

    // Puts the picture `file` into the next free box, as Open does, without showing a window;
    // false when every box is taken or the file cannot be shown.
    bool showFile(const QString& file);

private:
    PictureLoader m_loader; // reads the chosen file for the next extra picture box
};
