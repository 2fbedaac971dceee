// SPDX-License-Identifier: GPL-3.0-or-later
#include "ResultDatabase.h"

#include "SqliteConnection.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace ResultDatabase {

namespace {

constexpr std::array<int, ResultColumnCount> ResultRows = {90, 0,  1,  2,  3,  4,  5,  6,  7,  91, 8, 9,
                                                           10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20};

// The text written after each value of the RULAResult insert, in column order.
constexpr std::array<const char*, ResultColumnCount> ResultSeparators = {
    "','",   // 90
    "', '",  // 0
    "',  '", // 1
    "',  '", // 2
    "', '",  // 3
    "', '",  // 4
    "', '",  // 5
    "', '",  // 6
    "','",   // 7
    "','",   // 91
    "', '",  // 8
    "',  '", // 9
    "', '",  // 10
    "', '",  // 11
    "', '",  // 12
    "', '",  // 13
    "', '",  // 14
    "', '",  // 15
    "', '",  // 16
    "', '",  // 17
    "', '",  // 18
    "', '",  // 19
    "')",    // 20
};

// A value as it stands between the statement's quotes, correct for any text. The literal is
// built from the text in the database's encoding (UTF-8): a lone surrogate is already "?"
// there, so it cannot take the quote after it along when the engine converts the statement.
// Apostrophes are doubled; a NUL, which would end the statement, is joined in as char(0).
QString sqlValue(const SaveCell& cell)
{
    QByteArray bytes = cellText(cell).toUtf8();
    bytes.replace('\'', QByteArrayView("''"));
    bytes.replace('\0', QByteArrayView("' || char(0) || '"));
    return QString::fromUtf8(bytes);
}

QString createTableStatement(const QString& table, const QStringList& columns)
{
    QString statement = QStringLiteral("CREATE TABLE %1 (").arg(table);
    for (qsizetype i = 0; i < columns.size(); ++i) {
        statement += QStringLiteral("\n    \"%1\" NVARCHAR(200)").arg(columns.at(i));
        if (i + 1 < columns.size())
            statement += QLatin1Char(',');
    }
    statement += QStringLiteral("\n)");
    return statement;
}

QString failure(const QString& what, const QSqlError& error)
{
    // The engine's own words ("database or disk is full") where it gave any.
    const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    return QStringLiteral("%1: %2").arg(what, text);
}

struct ColumnInfo
{
    QStringList names;
    QStringList types;
};

ColumnInfo columnsOf(QSqlDatabase& db, const QString& table)
{
    ColumnInfo info;
    QSqlQuery query(db);
    if (query.exec(QStringLiteral("PRAGMA table_info(\"%1\")").arg(table))) {
        while (query.next()) {
            info.names << query.value(1).toString();
            info.types << query.value(2).toString();
        }
    }
    return info;
}

QList<QStringList> rowsOf(QSqlDatabase& db, const QString& table, qsizetype columnCount, QString* error)
{
    QList<QStringList> rows;
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT * FROM \"%1\"").arg(table))) {
        *error = failure(QStringLiteral("Reading %1").arg(table), query.lastError());
        return rows;
    }
    while (query.next()) {
        QStringList row;
        for (int i = 0; i < columnCount; ++i)
            row << query.value(i).toString();
        rows << row;
    }
    return rows;
}

} // namespace

const std::array<int, ResultColumnCount>& resultRows()
{
    return ResultRows;
}

QStringList resultColumns()
{
    QStringList columns;
    for (int row : ResultRows)
        columns << SaveTable::labelText(row);
    return columns;
}

QStringList employeeColumns()
{
    return {QStringLiteral("Employee Name"), QStringLiteral("Employee Number"), QStringLiteral("Employee Location")};
}

QString createResultTableStatement()
{
    return createTableStatement(QStringLiteral("RULAResult"), resultColumns());
}

QString createEmployeeTableStatement()
{
    return createTableStatement(QStringLiteral("EmployeeDetails"), employeeColumns());
}

QString resultInsertStatement(const SaveTable& table)
{
    QString statement = QStringLiteral("INSERT INTO RULAResult VALUES ('");
    for (int i = 0; i < ResultColumnCount; ++i) {
        statement += sqlValue(table.value(ResultRows[i]));
        statement += QLatin1String(ResultSeparators[i]);
    }
    return statement;
}

QString employeeInsertStatement(const SaveTable& table)
{
    return QStringLiteral("INSERT INTO EmployeeDetails VALUES ('") + sqlValue(table.value(SaveTable::EmployeeName)) +
           QStringLiteral("', '") + sqlValue(table.value(SaveTable::EmployeeId)) + QStringLiteral("', '") +
           sqlValue(table.value(SaveTable::EmployeeLocation)) + QStringLiteral("')");
}

bool hasEmployeeDetails(const SaveTable& table)
{
    return !cellText(table.value(SaveTable::EmployeeName)).isEmpty();
}

QString write(const QString& path, const SaveTable& table)
{
    if (!SqliteConnection::driverAvailable())
        return QStringLiteral("The database driver QSQLITE is not available");

    QString error;
    {
        SqliteConnection connection(QStringLiteral("talvo-result-database"));
        QSqlDatabase& db = connection.database();
        db.setDatabaseName(path);
        if (!db.open()) {
            error = failure(QStringLiteral("Creating the database"), db.lastError());
        } else {
            QSqlQuery query(db);
            // The file is a fresh temporary one that the caller syncs to disk after closing
            // and removes on any failure, so the engine needs neither a journal file nor syncs.
            const QString steps[][2] = {
                {QStringLiteral("Preparing the database"), QStringLiteral("PRAGMA journal_mode=MEMORY")},
                {QStringLiteral("Preparing the database"), QStringLiteral("PRAGMA synchronous=OFF")},
                {QStringLiteral("Creating the table RULAResult"), createResultTableStatement()},
                {QStringLiteral("Writing the RULAResult row"), resultInsertStatement(table)},
            };
            for (const auto& step : steps) {
                if (!query.exec(step[1])) {
                    error = failure(step[0], query.lastError());
                    break;
                }
            }
            if (error.isEmpty() && hasEmployeeDetails(table)) {
                if (!query.exec(createEmployeeTableStatement()))
                    error = failure(QStringLiteral("Creating the table EmployeeDetails"), query.lastError());
                else if (!query.exec(employeeInsertStatement(table)))
                    error = failure(QStringLiteral("Writing the EmployeeDetails row"), query.lastError());
            }
            query.finish();
        }
    }
    return error;
}

Contents read(const QString& path)
{
    Contents contents;
    {
        SqliteConnection connection(QStringLiteral("talvo-result-database"));
        QSqlDatabase& db = connection.database();
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!db.open()) {
            contents.error = failure(QStringLiteral("Opening the database"), db.lastError());
        } else {
            QSqlQuery query(db);
            if (!query.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY rowid"))) {
                contents.error = failure(QStringLiteral("Listing the tables"), query.lastError());
            } else {
                while (query.next())
                    contents.tables << query.value(0).toString();
            }
            query.finish();
            if (contents.error.isEmpty() && contents.tables.contains(QStringLiteral("RULAResult"))) {
                const ColumnInfo info = columnsOf(db, QStringLiteral("RULAResult"));
                contents.resultColumns = info.names;
                contents.resultColumnTypes = info.types;
                contents.resultRows = rowsOf(db, QStringLiteral("RULAResult"), info.names.size(), &contents.error);
            }
            if (contents.error.isEmpty() && contents.tables.contains(QStringLiteral("EmployeeDetails"))) {
                const ColumnInfo info = columnsOf(db, QStringLiteral("EmployeeDetails"));
                contents.employeeColumns = info.names;
                contents.employeeColumnTypes = info.types;
                contents.employeeRows =
                    rowsOf(db, QStringLiteral("EmployeeDetails"), info.names.size(), &contents.error);
            }
        }
    }
    return contents;
}

} // namespace ResultDatabase
