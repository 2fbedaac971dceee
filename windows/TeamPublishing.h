// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AssessmentRecord.h"
#include "TeamSender.h"

#include <QFutureWatcher>
#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

// Publishes the assessments this run saves to the team database, without ever holding up the
// assessor: a save adds its publication to the outbox, and the outbox is sent in the
// background, at the start and after each save. What happened is one line of status.
class TeamPublishing : public QObject
{
    Q_OBJECT
public:
    // `database` is the team database's URI (empty: none is set, nothing is published);
    // `outboxFolder` where publications wait.
    TeamPublishing(const QString& database, const QString& outboxFolder, QObject* parent = nullptr);
    ~TeamPublishing() override;

    // Keeps the publication of the saved text file `textPath` (written from `record`, with
    // `evidence` beside it) and
    // starts sending. Returns false, with status() saying why, only when it could not even be
    // kept in the outbox.
    bool publishSaved(const QString& textPath, const AssessmentRecord& record, const Evidence& evidence);

    // Publishes to `database` from now on (empty: to none).
    void setDatabase(const QString& database) { m_database = database; }
    QString database() const { return m_database; }

    // Sends what waits in the outbox, in the background.
    void sendWaiting();

    // True while a round of sending runs.
    bool isSending() const { return m_sending.isRunning(); }

    // Stops sending before the program ends: the round under way stops after the statement it
    // runs, and what it did not send waits in the outbox. False when the round has not ended
    // within the connection timeout and 2 s (a server that stopped answering).
    bool finish();

    QString status() const { return m_status; }

signals:
    void statusChanged(const QString& status);
    // A round of sending ended (whatever its outcome).
    void sent();

private:
    void finishRound();
    void setStatus(const QString& status);

    QString m_database;
    QString m_outboxFolder;
    QString m_status;
    bool m_sendAgain = false;
    // Read by the sending thread between publications.
    std::shared_ptr<std::atomic_bool> m_stop = std::make_shared<std::atomic_bool>(false);
    int m_connectTimeout = 0; // of the round under way, in seconds; -1: none (libpq waits for ever)
    QFutureWatcher<SendSummary> m_sending;
};
