// SPDX-License-Identifier: GPL-3.0-or-later
#include "MainWindow.h"

MainWindow::MainWindow(ProgramState& state, WindowSet& windows) : AppWindow(state, windows, Frame::FixedMaximised, true)
{
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(QStringLiteral("RULA"));
}
