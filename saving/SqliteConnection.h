// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSqlDatabase>
#include <QString>

// One SQLite connection for the length of a scope, under a name no other connection of the
// program has (files are read on several threads at once). At the end of the scope it is
// closed and removed; every query made on it must have gone before (declare them after it).
class SqliteConnection
{
public:
    // `prefix` starts the connection's name (what the program's messages would call it).
    explicit SqliteConnection(const QString& prefix);
    ~SqliteConnection();
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;

    QSqlDatabase& database() { return m_database; }

    // False when Qt's SQLite driver (QSQLITE) is missing.
    static bool driverAvailable();

private:
    QString m_name;
    QSqlDatabase m_database;
};
