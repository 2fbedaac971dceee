// SPDX-License-Identifier: GPL-3.0-or-later
#include "Program.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    prepareForCommandLine(argc, argv);
    QApplication app(argc, argv);
    return runProgram(app);
}
