// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CommandLine.h"

class QTextStream;
class WindowSet;

// The command-line forms that open no window. Each writes its one-line errors to `errors`
// naming the file, and returns the exit status: 0 done, 1 bad input.
int RunReportCommand(const CommandLine& command, QTextStream& errors);
int RunCompareCommand(const CommandLine& command, QTextStream& errors);
int RunRegisterCommand(const CommandLine& command, QTextStream& errors);
int RunPublishCommand(const CommandLine& command, QTextStream& errors);
int RunTeamRegisterCommand(const CommandLine& command, QTextStream& errors);
int RunAgreementCommand(const CommandLine& command, QTextStream& errors);
int RunPlanCommand(const CommandLine& command, QTextStream& errors);
int RunLandmarksCommand(const CommandLine& command, QTextStream& errors);
int RunScoreVideoCommand(const CommandLine& command, QTextStream& errors);

// Restores the saved assessment at `path` into the program's state before the caution window
// shows and before any other window is made: the windows show it when they are first made. A
// file that cannot be read is reported in an "Error" box and the assessment stays empty.
void ReopenAssessment(const QString& path, WindowSet& windows);
