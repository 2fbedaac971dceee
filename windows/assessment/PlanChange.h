// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AppWindow.h"
#include "ChangePlan.h"

#include <vector>

class QLabel;
class QListWidget;
class QListWidgetItem;

// The "Plan a Change" window: every single change that lowers one body part's score, with
// where it leads, tried on a copy of the assessment of the last results. Ticked changes are
// combined (one posture per body part) and their grand scores and action levels shown; "Add
// to Report" keeps them for the next report of this run. The assessment itself never changes.
class PlanChange : public AppWindow
{
    Q_OBJECT
public:
    // The help topic of every control of this window.
    static constexpr int HelpTopic = 240;

    PlanChange(ProgramState& state, WindowSet& windows);

    // Shows the changes of the assessment of the last results; the ticks stay while that
    // assessment is the same.
    void showWindow() override;

private:
    void fill();
    void ticked(QListWidgetItem* item);
    void showPlanned();
    void addToReport();
    std::vector<rula::SingleChange> tickedChanges() const;

    rula::AssessmentState m_planned; // the assessment the list was made for
    rula::PlanOutcome m_before;
    std::vector<rula::SingleChange> m_changes;
    bool m_filled = false;
    QLabel* m_now;
    QLabel* m_smallest;
    QListWidget* m_list;
    QLabel* m_grandRight;
    QLabel* m_grandLeft;
    QLabel* m_levelRight;
    QLabel* m_levelLeft;
    QLabel* m_status;
};
