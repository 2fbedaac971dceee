// SPDX-License-Identifier: GPL-3.0-or-later
#include "Results.h"

#include "CautionStatement.h"
#include "FinalResults.h"
#include "MainWindow.h"
#include "ProgramState.h"
#include "RULAAction.h"
#include "WindowSet.h"

#include <QDateTime>

void PublishResults(ProgramState& state, WindowSet& windows, const rula::ResultScores& results)
{
    state.record = BuildRecord(state.assessment, results, state.employee, QDateTime::currentDateTime());
    state.record.details = state.details;
    state.record.assessmentId = state.reopenedEvidence.assessmentId;
    state.record.history = state.reopenedEvidence.history;
    state.record.reba = state.reba;

    windows.window<CautionStatement>().showWindow();
    if (windows.exists<MainWindow>())
        windows.window<MainWindow>().hide();
    windows.window<FinalResults>().showScores(state.record);
}

void ShowActionLevels(WindowSet& windows)
{
    windows.window<RULAAction>().showWindow();
    if (windows.exists<FinalResults>())
        windows.window<FinalResults>().hide();
}
