// SPDX-License-Identifier: GPL-3.0-or-later
#include "LibPq.h"

#include <QLibrary>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVariant>

#include <optional>

namespace {

template <typename Function> bool resolve(QLibrary& library, const char* name, Function* function)
{
    *function = reinterpret_cast<Function>(library.resolve(name));
    return *function != nullptr;
}

// The outcome a finished result says, the error on one line.
PqOutcome outcomeOf(const LibPq& pq, PGconn* connection, PGresult* result)
{
    PqOutcome outcome;
    const ExecStatusType status = result ? pq.resultStatus(result) : PGRES_FATAL_ERROR;
    outcome.ok = status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
    if (!outcome.ok) {
        const char* message = result ? pq.resultErrorMessage(result) : pq.errorMessage(connection);
        outcome.error = QString::fromUtf8(message).simplified();
        const char* state = result ? pq.resultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
        outcome.sqlState = state ? QString::fromLatin1(state) : QString();
        outcome.connectionLost = pq.status(connection) != CONNECTION_OK;
    } else {
        outcome.rows = QByteArray(pq.cmdTuples(result)).toLongLong();
    }
    return outcome;
}

// Reads the results left on the connection; the first failure, else the last outcome.
PqOutcome finish(const LibPq& pq, PGconn* connection)
{
    PqOutcome outcome;
    bool failed = false;
    bool any = false;
    while (PGresult* result = pq.getResult(connection)) {
        const PqOutcome next = outcomeOf(pq, connection, result);
        pq.clear(result);
        if (!failed)
            outcome = next;
        failed = failed || !next.ok;
        any = true;
    }
    if (!any)
        outcome = outcomeOf(pq, connection, nullptr);
    return outcome;
}

// Starts the COPY statement `copy`, which puts the connection into the state `copying`. Empty
// when it did; else what went wrong instead (never ok).
std::optional<PqOutcome> startCopy(const LibPq& pq, PGconn* connection, const char* copy, ExecStatusType copying)
{
    PGresult* start = pq.exec(connection, copy);
    if (start && pq.resultStatus(start) == copying) {
        pq.clear(start);
        return std::nullopt;
    }
    PqOutcome outcome = outcomeOf(pq, connection, start);
    if (start)
        pq.clear(start);
    outcome.ok = false;
    return outcome;
}

} // namespace

const LibPq* LibPq::get()
{
    static const LibPq* const loaded = [] {
        static LibPq pq;
        QLibrary library(QStringLiteral("pq"), 5);
        if (!library.load())
            return static_cast<const LibPq*>(nullptr);
        const bool all =
            resolve(library, "PQexec", &pq.exec) && resolve(library, "PQresultStatus", &pq.resultStatus) &&
            resolve(library, "PQresultErrorMessage", &pq.resultErrorMessage) &&
            resolve(library, "PQresultErrorField", &pq.resultErrorField) &&
            resolve(library, "PQcmdTuples", &pq.cmdTuples) && resolve(library, "PQclear", &pq.clear) &&
            resolve(library, "PQputCopyData", &pq.putCopyData) && resolve(library, "PQputCopyEnd", &pq.putCopyEnd) &&
            resolve(library, "PQgetCopyData", &pq.getCopyData) && resolve(library, "PQgetResult", &pq.getResult) &&
            resolve(library, "PQerrorMessage", &pq.errorMessage) && resolve(library, "PQstatus", &pq.status) &&
            resolve(library, "PQfreemem", &pq.freemem);
        return all ? static_cast<const LibPq*>(&pq) : nullptr;
    }();
    return loaded;
}

PGconn* LibPq::connectionOf(const QSqlDatabase& database)
{
    const QVariant handle = database.driver() ? database.driver()->handle() : QVariant();
    // The driver names the type as libpq declares it: PGconn is a struct pg_conn.
    if (!handle.isValid() ||
        (qstrcmp(handle.typeName(), "PGconn*") != 0 && qstrcmp(handle.typeName(), "pg_conn*") != 0))
        return nullptr;
    return *static_cast<PGconn* const*>(handle.constData());
}

PqOutcome pqRun(const LibPq& pq, PGconn* connection, const char* sql)
{
    PGresult* result = pq.exec(connection, sql);
    PqOutcome outcome = outcomeOf(pq, connection, result);
    if (result)
        pq.clear(result);
    return outcome;
}

PqOutcome pqCopyIn(const LibPq& pq, PGconn* connection, const char* copy, const QByteArray& data)
{
    if (std::optional<PqOutcome> refused = startCopy(pq, connection, copy, PGRES_COPY_IN))
        return *refused;
    // Sent in pieces of a megabyte: libpq buffers what it cannot send at once.
    constexpr qsizetype Piece = 1 << 20;
    bool sent = true;
    for (qsizetype at = 0; sent && at < data.size(); at += Piece)
        sent = pq.putCopyData(connection, data.constData() + at, int(std::min(Piece, data.size() - at))) == 1;
    pq.putCopyEnd(connection, sent ? nullptr : "the copy could not be sent");
    return finish(pq, connection);
}

PqOutcome pqCopyOut(const LibPq& pq, PGconn* connection, const char* copy,
                    const std::function<void(QByteArrayView row)>& row)
{
    if (std::optional<PqOutcome> refused = startCopy(pq, connection, copy, PGRES_COPY_OUT))
        return *refused;
    char* data = nullptr;
    int size = 0;
    while ((size = pq.getCopyData(connection, &data, 0)) > 0) {
        row(QByteArrayView(data, size > 0 && data[size - 1] == '\n' ? size - 1 : size));
        pq.freemem(data);
    }
    return finish(pq, connection);
}
