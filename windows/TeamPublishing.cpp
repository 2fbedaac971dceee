// SPDX-License-Identifier: GPL-3.0-or-later
#include "TeamPublishing.h"

#include "DatabaseAddress.h"
#include "Outbox.h"
#include "Services.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QtConcurrent/QtConcurrentRun>

TeamPublishing::TeamPublishing(const QString& database, const QString& outboxFolder, QObject* parent)
    : QObject(parent), m_database(database), m_outboxFolder(outboxFolder)
{
    connect(&m_sending, &QFutureWatcher<SendSummary>::finished, this, &TeamPublishing::finishRound);
    // The sending thread uses Qt's database drivers, which the program's end destroys.
    ProgramEnd::addFinisher(this, [this] { return finish(); });
}

TeamPublishing::~TeamPublishing()
{
    // A round still running finishes first: it holds a connection of its own thread.
    m_stop->store(true);
    m_sending.waitForFinished();
}

bool TeamPublishing::finish()
{
    m_stop->store(true);
    m_sendAgain = false;
    if (!m_sending.isRunning())
        return true;
    // Connecting takes at most the connection timeout; any statement under way, a moment more.
    // A server asked to be waited for without end is given libpq's usual 5 s.
    const qint64 seconds = m_connectTimeout < 0 ? 5 : m_connectTimeout;
    const QDeadlineTimer deadline((seconds + 2) * 1000);
    while (m_sending.isRunning() && !deadline.hasExpired())
        QThread::msleep(10);
    return !m_sending.isRunning();
}

bool TeamPublishing::publishSaved(const QString& textPath, const AssessmentRecord& record, const Evidence& evidence)
{
    if (m_database.isEmpty())
        return true;
    QFile file(textPath);
    if (!file.open(QIODevice::ReadOnly)) {
        setStatus(QStringLiteral("Team database: the saved file could not be read to publish it."));
        return false;
    }
    const Publication publication =
        Publication::of(textPath, file.readAll(), record, QFileInfo(textPath).lastModified(), &evidence);
    QString error;
    if (!Outbox(m_outboxFolder).add(publication, &error)) {
        setStatus(QStringLiteral("Team database: not published, the outbox cannot be written (%1).").arg(error));
        return false;
    }
    sendWaiting();
    return true;
}

void TeamPublishing::sendWaiting()
{
    if (m_database.isEmpty())
        return;
    if (m_sending.isRunning()) {
        m_sendAgain = true;
        return;
    }
    QString why;
    const std::optional<DatabaseAddress> address = DatabaseAddress::parse(m_database, &why);
    if (!address) {
        setStatus(QStringLiteral("Team database: %1.").arg(why));
        return;
    }
    if (m_stop->load())
        return;
    const QString folder = m_outboxFolder;
    m_connectTimeout = address->connectTimeout();
    m_sending.setFuture(QtConcurrent::run([address = *address, folder, stop = m_stop] {
        return sendOutbox(address, Outbox(folder), [&stop] { return stop->load(); });
    }));
}

void TeamPublishing::finishRound()
{
    const SendSummary summary = m_sending.result();
    const int waiting = int(Outbox(m_outboxFolder).pending().size());
    if (!summary.error.isEmpty())
        setStatus(
            QStringLiteral("Team database: %1 waiting to be published (%2).")
                .arg(waiting == 1 ? QStringLiteral("1 assessment") : QStringLiteral("%1 assessments").arg(waiting),
                     summary.error));
    else if (summary.refused > 0)
        setStatus(QStringLiteral("Team database: %1 refused by the server and kept aside.").arg(summary.refused));
    else if (summary.added + summary.alreadyThere > 0)
        setStatus(QStringLiteral("Team database: published at %1.")
                      .arg(QDateTime::currentDateTime().toString(QStringLiteral("HH:mm"))));
    emit sent();
    if (m_sendAgain) {
        m_sendAgain = false;
        sendWaiting();
    }
}

void TeamPublishing::setStatus(const QString& status)
{
    m_status = status;
    emit statusChanged(status);
}

#include "moc_TeamPublishing.cpp"
