// SPDX-License-Identifier: GPL-3.0-or-later
#include "CautionStatement.h"
#include "ProgramState.h"
#include "WindowSet.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    ProgramState state;
    WindowSet windows(state);
    windows.window<CautionStatement>().showWindow();
    return app.exec();
}
