// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <libpq-fe.h>

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>

class QSqlDatabase;

// The few calls of libpq that Qt's PostgreSQL driver does not offer: COPY FROM STDIN and COPY
// TO STDOUT on the driver's own connection. libpq is the library that driver is built on; it
// is looked up when first needed, so the program does not load it (and the two dozen libraries
// it brings) at every start.
struct LibPq
{
    decltype(&PQexec) exec = nullptr;
    decltype(&PQresultStatus) resultStatus = nullptr;
    decltype(&PQresultErrorMessage) resultErrorMessage = nullptr;
    decltype(&PQresultErrorField) resultErrorField = nullptr;
    decltype(&PQcmdTuples) cmdTuples = nullptr;
    decltype(&PQclear) clear = nullptr;
    decltype(&PQputCopyData) putCopyData = nullptr;
    decltype(&PQputCopyEnd) putCopyEnd = nullptr;
    decltype(&PQgetCopyData) getCopyData = nullptr;
    decltype(&PQgetResult) getResult = nullptr;
    decltype(&PQerrorMessage) errorMessage = nullptr;
    decltype(&PQstatus) status = nullptr;
    decltype(&PQfreemem) freemem = nullptr;

    // libpq's calls, or nullptr when it cannot be loaded.
    static const LibPq* get();
    // The libpq connection behind an open QPSQL connection, or nullptr.
    static PGconn* connectionOf(const QSqlDatabase& database);
};

// What one statement run through libpq gave back.
struct PqOutcome
{
    bool ok = false;
    bool connectionLost = false;
    QString error;    // the server's message on one line
    QString sqlState; // five characters, empty when the client failed
    qint64 rows = 0;  // rows the statement affected
};

// Runs `sql` on `connection` and reads every result.
PqOutcome pqRun(const LibPq& pq, PGconn* connection, const char* sql);

// Runs `copy` (a COPY ... FROM STDIN), sends `data` in the text format, and reads the result.
PqOutcome pqCopyIn(const LibPq& pq, PGconn* connection, const char* copy, const QByteArray& data);

// Runs `copy` (a COPY ... TO STDOUT) and hands each row to `row` as it arrives (the text
// format's line without its line break), while the server goes on with the next.
PqOutcome pqCopyOut(const LibPq& pq, PGconn* connection, const char* copy,
                    const std::function<void(QByteArrayView row)>& row);
