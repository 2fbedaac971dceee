// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandLine.h"
#include "Program.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    prepareForCommandLine(argc, argv);
    if (RunsWithoutPictures(argc, argv)) {
        QCoreApplication app(argc, argv);
        return runProgram();
    }
    QApplication app(argc, argv);
    return runProgram();
}
