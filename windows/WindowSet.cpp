// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowSet.h"

#include "ExtraPics.h"
#include "MainWindow.h"
#include "ProgramState.h"
#include "RebaWindow.h"
#include "SaveWindow.h"
#include "TeamPublishing.h"

WindowSet::WindowSet(ProgramState& state) : m_state(state) {}

WindowSet::~WindowSet() = default;

Workplace& WindowSet::workplace()
{
    if (m_workplace)
        return *m_workplace;
    return window<MainWindow>();
}

TeamPublishing& WindowSet::publishing()
{
    if (!m_publishing)
        m_publishing = std::make_unique<TeamPublishing>(m_state.teamDatabase, m_state.outboxFolder);
    return *m_publishing;
}

ExtraPictures& WindowSet::extraPictures()
{
    return window<ExtraPics>();
}

RebaMeasuring& WindowSet::rebaMeasuring()
{
    return window<RebaWindow>();
}

ResultSaving& WindowSet::saving()
{
    return window<SaveWindow>();
}
