// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AppWindow.h"

#include <QDateTime>
#include <QString>

class QComboBox;
class QDateTimeEdit;
class QLineEdit;

// What the window's boxes show, to tell whether the assessor changed anything.
struct AssessmentDetailsTexts
{
    QString task;
    QDateTime observed;
    QString assessor;
    QString phase;
    QString notes;

    bool operator==(const AssessmentDetailsTexts& other) const
    {
        return task == other.task && observed == other.observed && assessor == other.assessor && phase == other.phase &&
               notes == other.notes;
    }
};

// The "Assessment Details" window: the task observed, when it was observed, by whom, the
// phase of the investigation and notes. "&OK" keeps what is shown in the program state,
// "Cance&l" leaves the state as it was, after asking when something was typed; the next
// showing starts from the state. Enter is OK, Escape is Cancel, Tab leaves the date.
class AssessmentDetails : public AppWindow
{
    Q_OBJECT
public:
    AssessmentDetails(ProgramState& state, WindowSet& windows);

    void showWindow() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void accept();
    void cancel();
    bool mayDiscard();
    AssessmentDetailsTexts shownDetails() const;

    QLineEdit* m_task;
    QDateTimeEdit* m_observed;
    QLineEdit* m_assessor;
    QComboBox* m_phase;
    QLineEdit* m_notes;
    AssessmentDetailsTexts m_shown; // as the last showing filled them in
};
