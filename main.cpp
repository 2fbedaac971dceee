// SPDX-License-Identifier: GPL-3.0-or-later
#include "CautionStatement.h"
#include "ProgramState.h"
#include "Resources.h"
#include "WindowSet.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    initTalvoResources();
    ProgramState state;
    WindowSet windows(state);
    // The caution window is the only window at start; every other one is created when
    // first shown.
    windows.window<CautionStatement>().showWindow();
    return app.exec();
}
