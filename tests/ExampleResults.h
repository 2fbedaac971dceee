// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The assessment that the result windows are shown with in the rendering test and in the
// screenshots of docs/screenshots (bench_screenshots): one posture in every group, its scores
// computed and published as "View &Results" publishes them.

#include "OptionCatalogue.h"
#include "ProgramState.h"
#include "Results.h"
#include "WindowSet.h"

#include <initializer_list>
#include <utility>

inline void publishExampleResults(ProgramState& state, WindowSet& windows)
{
    using G = rula::Group;
    const std::initializer_list<std::pair<G, int>> postures = {
        {G::UpperRight, 3},      {G::UpperLeft, 2},      {G::LowerRight, 2},
        {G::LowerLeft, 1},       {G::WristRight, 2},     {G::WristTwistRight, 1},
        {G::WristLeft, 3},       {G::WristTwistLeft, 2}, {G::Neck, 2},
        {G::Trunk, 3},           {G::Legs, 1},           {G::MuscleRightUpper, 1},
        {G::MuscleLeftUpper, 2}, {G::MuscleLower, 2},    {G::ForceRightUpper, 2},
        {G::ForceLeftUpper, 1},  {G::ForceLower, 1},
    };
    for (const auto& [group, number] : postures)
        state.assessment.SelectOption(rula::groupInfo(group).firstOption + number - 1);
    rula::ResultScores results;
    rula::ComputeScores(state.assessment, results);
    PublishResults(state, windows, results);
}
