// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ScoreTables.h"

struct ProgramState;
class WindowSet;

// After a successful completeness check and ComputeScores: builds the assessment record of
// `results` and the program state, shows the caution window, hides Main and shows the record
// on the final results window (still hidden).
void PublishResults(ProgramState& state, WindowSet& windows, const rula::ResultScores& results);

// Shows the record's action levels on the action levels window, shows that window and hides
// the final results window.
void ShowActionLevels(WindowSet& windows);
