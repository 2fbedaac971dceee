// SPDX-License-Identifier: GPL-3.0-or-later
#include "OpenPictureFile.h"

OpenPictureFile::OpenPictureFile(ProgramState& state, WindowSet& windows)
    : AppWindow(state, windows, Frame::FixedDialog, true)
{
    setObjectName(QStringLiteral("OpenPictureFile"));
    setWindowTitle(QStringLiteral("Open Picture File"));
}
