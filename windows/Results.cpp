// SPDX-License-Identifier: GPL-3.0-or-later
#include "Results.h"

#include "CautionStatement.h"
#include "FinalResults.h"
#include "MainWindow.h"
#include "ModelText.h"
#include "ProgramState.h"
#include "RULAAction.h"
#include "WindowSet.h"

#include <QDateTime>

namespace {

// The save table rows that the results and action levels windows have published, kept
// beside the record for the windows that read them.
void publishScoreRows(const AssessmentRecord& record, SaveTable& table)
{
    for (const rula::GroupInfo& group : rula::groups())
        table.setValue(SaveTable::scoreRow(group.group), record.assessment.score(group.group));
    table.setValue(SaveTable::GrandScoreLeft, record.results.GrandScoreLeft);
    table.setValue(SaveTable::GrandScoreRight, record.results.GrandScoreRight);
}

void publishLevelRows(const AssessmentRecord& record, SaveTable& table)
{
    auto publish = [&table](const std::optional<rula::ActionLevel>& level, int captionRow, int recommendationRow) {
        if (!level)
            return; // a score outside 1 to 8 leaves this side as it was
        table.setValue(captionRow, modelText(level->caption));
        table.setValue(recommendationRow, modelText(level->Recommendation));
    };
    publish(record.levelRight, SaveTable::ActionLevelRight, SaveTable::RecommendationRight);
    publish(record.levelLeft, SaveTable::ActionLevelLeft, SaveTable::RecommendationLeft);
}

} // namespace

void PublishResults(ProgramState& state, WindowSet& windows)
{
    state.record = BuildRecord(state.assessment, state.results, state.employee, QDateTime::currentDateTime());

    windows.window<CautionStatement>().showWindow();
    if (windows.exists<MainWindow>())
        windows.window<MainWindow>().hide();
    windows.window<FinalResults>().showScores(state.record);
    publishScoreRows(state.record, state.saveTable);
}

void ShowActionLevels(ProgramState& state, WindowSet& windows)
{
    // The levels are those of the grand scores the final results window shows now.
    const AssessmentRecord& previous = state.record;
    state.record = BuildRecord(previous.assessment, state.results, previous.typed, previous.assessedAt);

    RULAAction& action = windows.window<RULAAction>();
    action.showLevels(state.record);
    publishLevelRows(state.record, state.saveTable);
    action.showWindow();
    if (windows.exists<FinalResults>())
        windows.window<FinalResults>().hide();
}
