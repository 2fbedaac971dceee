// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

class QSqlDatabase;

// Where the team database is: a libpq connection URI
// (postgresql://user@host:port/db?sslmode=require, postgresql:///db?host=/run/socket-dir).
// Passwords come only from libpq's own sources (~/.pgpass, PGPASSWORD, a service file): a URI
// that carries one is refused, so the program never holds or stores a password.
struct DatabaseAddress
{
    QString uri;  // as given, to name the server in messages
    QString host; // a name, an address or a socket folder (starting with "/"); empty: libpq's default
    int port = -1;
    QString database;
    QString user;
    QString options; // further libpq key=value settings, separated by ";" as Qt's driver takes them

    // Reads a URI; on failure returns nothing and sets `error` to why.
    static std::optional<DatabaseAddress> parse(const QString& uri, QString* error);

    // True for text that names a database rather than a folder: "postgresql://…" or "postgres://…".
    static bool looksLikeUri(const QString& text);

    // How long libpq tries to connect before it gives up, in seconds (connect_timeout).
    int connectTimeout() const;

    // A connection of this address under `connectionName` (not yet opened).
    QSqlDatabase connection(const QString& connectionName) const;
};
