// SPDX-License-Identifier: GPL-3.0-or-later
#include "Results.h"

void PublishResults(ProgramState&, WindowSet&) {}

void ShowActionLevels(ProgramState&, WindowSet&) {}
