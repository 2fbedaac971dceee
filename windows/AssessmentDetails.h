// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AppWindow.h"

class QComboBox;
class QDateTimeEdit;
class QLineEdit;

// The "Assessment Details" window: the task observed, when it was observed, by whom, the
// phase of the investigation and notes. "&OK" keeps what is shown in the program state,
// "&Cancel" leaves the state as it was; the next showing starts from the state.
class AssessmentDetails : public AppWindow
{
    Q_OBJECT
public:
    AssessmentDetails(ProgramState& state, WindowSet& windows);

    void showWindow() override;

    // The assessor proposed for a new assessment: the last one saved, kept in the program's
    // settings; the first time, the account's full name, else its login name.
    static QString defaultAssessor();
    // Remembers `assessor` as the one to propose next time.
    static void rememberAssessor(const QString& assessor);

    // Fills in what the assessor has not: the observation time (`now`), the assessor and the
    // phase. Called when the employee details are continued.
    static void fillDefaults(ProgramState& state, const QDateTime& now);

private:
    void accept();

    QLineEdit* m_task;
    QDateTimeEdit* m_observed;
    QLineEdit* m_assessor;
    QComboBox* m_phase;
    QLineEdit* m_notes;
};
