// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

struct ProgramState;
class WindowSet;

// After a successful completeness check and ComputeScores: shows the caution window,
// hides Main, fills the final results window's labels (still hidden) and the save table.
void PublishResults(ProgramState& state, WindowSet& windows);

// Classifies both grand scores into the action levels window and the save table,
// shows that window and hides the final results window.
void ShowActionLevels(ProgramState& state, WindowSet& windows);
