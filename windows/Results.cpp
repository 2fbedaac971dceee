// SPDX-License-Identifier: GPL-3.0-or-later
#include "Results.h"

#include "ActionLevels.h"
#include "CautionStatement.h"
#include "FinalResults.h"
#include "MainWindow.h"
#include "ModelText.h"
#include "ProgramState.h"
#include "RULAAction.h"
#include "WindowSet.h"

#include <QLabel>

#include <cstdint>

namespace {

using rula::Group;

// The final results label of each body-part score (the save table row comes from
// SaveTable::scoreRow).
struct BodyPartPlace
{
    Group group;
    const char* label;
};

constexpr BodyPartPlace BodyPartPlaces[] = {
    {Group::UpperLeft, "Label2"},
    {Group::UpperRight, "Label3"},
    {Group::LowerLeft, "Label4"},
    {Group::LowerRight, "Label5"},
    {Group::WristLeft, "Label8"},
    {Group::WristRight, "Label6"},
    {Group::WristTwistLeft, "Label9"},
    {Group::WristTwistRight, "Label7"},
    {Group::MuscleLeftUpper, "Label18"},
    {Group::MuscleRightUpper, "Label12"},
    {Group::ForceLeftUpper, "Label19"},
    {Group::ForceRightUpper, "Label13"},
    {Group::Neck, "Label20"},
    {Group::Trunk, "Label21"},
    {Group::Legs, "Label22"},
    {Group::MuscleLower, "Label24"},
    {Group::ForceLower, "Label25"},
};

// The final results label and save table row (-1: not saved) of each computed score.
struct ResultPlace
{
    std::int16_t rula::ResultScores::*score;
    const char* label;
    int row;
};

const ResultPlace ResultPlaces[] = {
    {&rula::ResultScores::PostureScoreALeft, "Label10", -1},
    {&rula::ResultScores::PostureScoreARight, "Label11", -1},
    {&rula::ResultScores::ScoreCLeft, "Label15", -1},
    {&rula::ResultScores::ScoreCRight, "Label14", -1},
    {&rula::ResultScores::PostureScoreB, "Label23", -1},
    {&rula::ResultScores::ScoreD, "Label26", -1},
    {&rula::ResultScores::GrandScoreLeft, "Label16", SaveTable::GrandScoreLeft},
    {&rula::ResultScores::GrandScoreRight, "Label17", SaveTable::GrandScoreRight},
};

QString decimal(int score)
{
    return QString::fromStdString(rula::scoreText(score));
}

// One side of the action levels window and its two save table rows.
struct SidePlace
{
    std::int16_t rula::ResultScores::*grandScore;
    const char* captionLabel;
    const char* textLabel;
    int captionRow;
    int recommendationRow;
};

const SidePlace Sides[] = {
    {&rula::ResultScores::GrandScoreRight, "Label1", "Label2", SaveTable::ActionLevelRight,
     SaveTable::RecommendationRight},
    {&rula::ResultScores::GrandScoreLeft, "Label3", "Label4", SaveTable::ActionLevelLeft,
     SaveTable::RecommendationLeft},
};

} // namespace

void PublishResults(ProgramState& state, WindowSet& windows)
{
    windows.window<CautionStatement>().showWindow();
    if (windows.exists<MainWindow>())
        windows.window<MainWindow>().hide();

    FinalResults& finalResults = windows.window<FinalResults>();
    for (const BodyPartPlace& place : BodyPartPlaces) {
        const std::int16_t score = state.assessment.score(place.group);
        control<QLabel>(&finalResults, place.label)->setText(decimal(score));
        state.saveTable.setValue(SaveTable::scoreRow(place.group), score);
    }
    for (const ResultPlace& place : ResultPlaces) {
        const std::int16_t score = state.results.*place.score;
        control<QLabel>(&finalResults, place.label)->setText(decimal(score));
        if (place.row >= 0)
            state.saveTable.setValue(place.row, score);
    }
}

void ShowActionLevels(ProgramState& state, WindowSet& windows)
{
    RULAAction& action = windows.window<RULAAction>();
    for (const SidePlace& side : Sides) {
        const std::optional<rula::ActionLevel> level = rula::classifyGrandScore(state.results.*side.grandScore);
        if (!level)
            continue; // a score outside 1 to 8 leaves this side as it was
        const QString caption = modelText(level->caption);
        control<QLabel>(&action, side.captionLabel)->setText(caption);
        state.saveTable.setValue(side.captionRow, caption);
        control<QLabel>(&action, side.textLabel)->setText(modelText(level->longText));
        state.saveTable.setValue(side.recommendationRow, modelText(level->Recommendation));
    }
    action.showWindow();
    if (windows.exists<FinalResults>())
        windows.window<FinalResults>().hide();
}
