// SPDX-License-Identifier: GPL-3.0-or-later
#include "SqliteConnection.h"

#include <atomic>

namespace {

std::atomic<int> connectionSerial{0};

QString uniqueName(const QString& prefix)
{
    QString name;
    do {
        name = QStringLiteral("%1-%2").arg(prefix).arg(++connectionSerial);
    } while (QSqlDatabase::contains(name));
    return name;
}

} // namespace

SqliteConnection::SqliteConnection(const QString& prefix)
    : m_name(uniqueName(prefix)), m_database(QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name))
{
}

SqliteConnection::~SqliteConnection()
{
    m_database.close();
    // The last handle on the connection goes before the connection.
    m_database = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_name);
}

bool SqliteConnection::driverAvailable()
{
    return QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"));
}
