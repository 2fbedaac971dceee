// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AppWindow.h"

class QLabel;
class QLineEdit;

// The "Team Database" window: the address of the team database that saves are published to,
// kept in the program's settings. A password is never asked for or kept: libpq reads it from
// ~/.pgpass, PGPASSWORD or a service file.
class TeamDatabaseSettings : public AppWindow
{
    Q_OBJECT
public:
    TeamDatabaseSettings(ProgramState& state, WindowSet& windows);

    void showWindow() override;

private:
    void testConnection();
    void accept();
    // Why the typed address cannot be used, or an empty string (an empty address is fine: none).
    QString addressProblem() const;

    QLineEdit* m_address = nullptr;
    QLabel* m_note = nullptr;
};
