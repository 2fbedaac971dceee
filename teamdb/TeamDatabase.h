// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DatabaseAddress.h"
#include "Publication.h"

#include <QByteArray>
#include <QSet>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

// One connection to the team database, in the thread that made it. Opening it creates or
// upgrades the program's tables (one migration per schema version, each in a transaction);
// publishing only ever inserts, so nothing published is changed or removed by the program.
class QSqlQuery;

class TeamDatabase
{
public:
    explicit TeamDatabase(const DatabaseAddress& address);
    ~TeamDatabase();
    TeamDatabase(const TeamDatabase&) = delete;
    TeamDatabase& operator=(const TeamDatabase&) = delete;

    // Connects and brings the schema to this program's version. False with error() set when the
    // server cannot be reached, refuses the login, or holds a newer schema than this program knows.
    bool open();
    QString error() const { return m_error; }

    enum class Stored
    {
        New,
        AlreadyThere,
        Refused, // the server refused this one publication as data (error() says why); others may go on
        Failed,  // the server could not take it now (the connection, privileges, the tables, its disk)
    };
    Stored publish(const Publication& publication);

    // A publication as publishBatch() copies it: its key, and its line in the copy's text format.
    // Made on any thread, ahead of its batch (`rows`, one for each publication).
    struct CopyRow
    {
        QByteArray key;
        QByteArray line;
    };
    static CopyRow copyRowOf(const Publication& publication);

    // Stores `count` publications from `first` in one transaction, each once (one the database
    // already holds, or an earlier one of the same key, is left out): the keys already there are
    // asked first (not while the table holds only what this connection copied into it since it
    // found the table empty) and the others copied in bulk; when another publisher stores one of them
    // meanwhile, the batch is copied into a temporary table and inserted from there past what is
    // there by then. New when all were taken (`added` says how many were new); Refused when one
    // of them was refused (none is stored; publish() them one by one to learn which); Failed as
    // for publish().
    Stored publishBatch(const Publication* first, std::size_t count, int* added, const CopyRow* rows = nullptr);

    // Runs `publishAll` in one transaction: all of its new rows are stored, or none.
    bool inTransaction(const std::function<bool()>& publishAll);

    // The team register as CSV: the folder register's columns plus who published each row and
    // when; the latest revision of each assessment, or every revision. `rows` receives the count.
    // Returns an empty array with error() set on failure.
    QByteArray registerCsv(bool allRevisions, int* rows);

    // Whether a statement the server failed with SQLSTATE `sqlState` refused its row for good (the
    // row's data) rather than for now (anything else).
    static bool refusesTheRow(const QString& sqlState);

    // The schema version this program creates.
    static int schemaVersion();

private:
    bool migrate();
    Stored publishThroughIncoming(const CopyRow* rows, std::size_t count, int* added);
    bool fail(const QString& what, const QString& why);

    DatabaseAddress m_address;
    QString m_connectionName;
    QString m_error;
    // The insert, prepared once per connection.
    std::unique_ptr<QSqlQuery> m_insert;
    // The temporary table publishBatch() copies into, made once per connection.
    bool m_incomingMade = false;
    // Which publications the table holds, as publishBatch() knows them: not yet looked at; only
    // those this connection copied (the table was empty at the first batch, and no copy has met
    // another publisher's key since); or to be asked of the server before each batch.
    enum class KeysHeld
    {
        Unknown,
        CopiedHere,
        Asked,
    };
    KeysHeld m_keysHeld = KeysHeld::Unknown;
    QSet<QByteArray> m_keysCopied; // while CopiedHere
};
