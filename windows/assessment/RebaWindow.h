// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AppWindow.h"
#include "Reba.h"
#include "RebaMeasuring.h"

#include <array>

class OptionPanel;
class QCheckBox;
class QLabel;

// The "REBA: Rapid Entire Body Assessment" window: the whole body of the same worker, scored
// beside RULA. Each group's bands are option panels chosen like Main's (a click, or the arrow
// keys and Space, one per group), its adjustments are check boxes; every score is shown again
// at each click, and a line names the groups still without a band.
class RebaWindow : public AppWindow, public RebaMeasuring
{
    Q_OBJECT
public:
    RebaWindow(ProgramState& state, WindowSet& windows);

    // Runs a click on the option `optionIndex` (into rula::reba::rebaOptions()) and shows the result.
    void click(int optionIndex);
    // Chooses the band a measurement gave, marked as measured, and shows the result.
    void applyMeasured(int optionIndex) override;
    // Shows the program's REBA choices and their scores (after they changed elsewhere).
    void showChoices();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::array<OptionPanel*, rula::reba::RebaOptionCount> m_panels{};
    std::array<QCheckBox*, rula::reba::RebaOptionCount> m_checks{};
};
