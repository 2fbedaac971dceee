// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

struct ProgramState;
class WindowSet;

// After a successful completeness check and ComputeScores: builds the assessment record from
// the program state, shows the caution window, hides Main and shows the record on the final
// results window (still hidden).
void PublishResults(ProgramState& state, WindowSet& windows);

// Classifies both grand scores into the record's action levels, shows them on the action
// levels window, shows that window and hides the final results window.
void ShowActionLevels(ProgramState& state, WindowSet& windows);
