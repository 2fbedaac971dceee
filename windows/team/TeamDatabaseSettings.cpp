// SPDX-License-Identifier: GPL-3.0-or-later
#include "TeamDatabaseSettings.h"

#include "DatabaseAddress.h"
#include "ProgramState.h"
#include "Services.h"
#include "TeamDatabase.h"
#include "TeamPublishing.h"
#include "TeamSettings.h"
#include "WindowSet.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TeamDatabaseSettings::TeamDatabaseSettings(ProgramState& state, WindowSet& windows)
    : AppWindow(state, windows, Frame::FixedDialog, false)
{
    setObjectName(QStringLiteral("TeamDatabaseSettings"));
    setWindowTitle(QStringLiteral("Team Database"));

    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(QStringLiteral("Every saved assessment is also published to this PostgreSQL database, for "
                                            "the team register. Leave it empty to publish nowhere.\n"
                                            "Example: postgresql://assessor@db.example.com/rula?sslmode=require"),
                             this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    auto* label = new QLabel(QStringLiteral("&Address:"), this);
    m_address = new QLineEdit(this);
    m_address->setObjectName(QStringLiteral("TeamDatabase"));
    m_address->setMinimumWidth(420);
    label->setBuddy(m_address);
    layout->addWidget(label);
    layout->addWidget(m_address);

    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("TeamDatabaseNote"));
    m_note->setWordWrap(true);
    layout->addWidget(m_note);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* test = buttons->addButton(QStringLiteral("&Test Connection"), QDialogButtonBox::ActionRole);
    test->setObjectName(QStringLiteral("TestConnection"));
    QPushButton* ok = buttons->addButton(QDialogButtonBox::Ok);
    ok->setObjectName(QStringLiteral("Ok"));
    QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
    cancel->setObjectName(QStringLiteral("Cancel"));
    layout->addWidget(buttons);

    connect(test, &QPushButton::clicked, this, &TeamDatabaseSettings::testConnection);
    connect(ok, &QPushButton::clicked, this, &TeamDatabaseSettings::accept);
    connect(cancel, &QPushButton::clicked, this, &QWidget::hide);
}

void TeamDatabaseSettings::showWindow()
{
    m_address->setText(TeamSettings::storedDatabase());
    const QString fromEnvironment = qEnvironmentVariable("TALVO_DATABASE");
    if (m_state.teamDatabase != TeamSettings::storedDatabase() && !m_state.teamDatabase.isEmpty())
        m_note->setText(QStringLiteral("This run publishes to %1, given on the command line or in TALVO_DATABASE; "
                                       "the setting here applies when neither is given.")
                            .arg(m_state.teamDatabase));
    else
        m_note->setText(QString());
    AppWindow::showWindow();
    m_address->setFocus();
}

QString TeamDatabaseSettings::addressProblem() const
{
    const QString uri = m_address->text().trimmed();
    QString why;
    if (!uri.isEmpty() && !DatabaseAddress::parse(uri, &why))
        return why;
    return QString();
}

void TeamDatabaseSettings::testConnection()
{
    const QString problem = addressProblem();
    if (!problem.isEmpty() || m_address->text().trimmed().isEmpty()) {
        MessageService::show(problem.isEmpty() ? QStringLiteral("No address is given.")
                                               : QStringLiteral("The address cannot be used: %1.").arg(problem),
                             QStringLiteral("Team Database"));
        return;
    }
    QString why;
    TeamDatabase database(*DatabaseAddress::parse(m_address->text().trimmed(), &why));
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const bool opened = database.open();
    QGuiApplication::restoreOverrideCursor();
    MessageService::show(opened ? QStringLiteral("The team database answers and is ready.")
                                : QStringLiteral("The team database cannot be used: %1.").arg(database.error()),
                         QStringLiteral("Team Database"));
}

void TeamDatabaseSettings::accept()
{
    const QString problem = addressProblem();
    if (!problem.isEmpty()) {
        MessageService::show(QStringLiteral("The address cannot be used: %1.").arg(problem),
                             QStringLiteral("Team Database"));
        return;
    }
    const QString uri = m_address->text().trimmed();
    const bool wasInEffect = m_state.teamDatabase == TeamSettings::storedDatabase();
    TeamSettings::storeDatabase(uri);
    if (wasInEffect || m_state.teamDatabase.isEmpty()) {
        m_state.teamDatabase = uri;
        TeamPublishing& publishing = m_windows.publishing();
        publishing.setDatabase(uri);
        publishing.sendWaiting();
    }
    hide();
}

#include "moc_TeamDatabaseSettings.cpp"
