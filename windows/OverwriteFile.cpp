// SPDX-License-Identifier: GPL-3.0-or-later
#include "OverwriteFile.h"

OverwriteFile::OverwriteFile(ProgramState& state, WindowSet& windows) : AppWindow(state, windows, Frame::Sizable, false)
{
    setObjectName(QStringLiteral("OverwriteFile"));
    setWindowTitle(QStringLiteral("Overwrite File"));
}
