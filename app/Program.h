// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The program's start in two steps around the construction of the application object:
// QApplication, which takes Qt's own options (-style, -reverse, -platform ...) out of the
// arguments, or QCoreApplication for the forms that draw nothing (RunsWithoutPictures).

// Before QApplication exists: when the arguments, read without Qt's own options, ask for a
// form that opens no window, the program runs on the offscreen platform (unless one was
// chosen) and prints only its own error lines. The windowed forms are left to the desktop.
void prepareForCommandLine(int argc, char* argv[]);

// After: runs what the arguments ask for and returns the exit status.
int runProgram();
