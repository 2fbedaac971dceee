// SPDX-License-Identifier: GPL-3.0-or-later
#include "DatabaseAddress.h"

#include <QSqlDatabase>
#include <QUrl>
#include <QUrlQuery>

#include <algorithm>

namespace {

// libpq settings a URI's query may carry that this program passes on. Others are refused, so a
// typing mistake is reported instead of silently ignored.
const QStringList PassedSettings{
    QStringLiteral("sslmode"),          QStringLiteral("sslrootcert"),
    QStringLiteral("sslcert"),          QStringLiteral("sslkey"),
    QStringLiteral("sslcrl"),           QStringLiteral("connect_timeout"),
    QStringLiteral("application_name"), QStringLiteral("target_session_attrs"),
    QStringLiteral("service"),          QStringLiteral("passfile"),
    QStringLiteral("gssencmode"),       QStringLiteral("channel_binding"),
};

constexpr int DefaultConnectTimeout = 5;

} // namespace

int DatabaseAddress::connectTimeout() const
{
    const QString prefix = QStringLiteral("connect_timeout=");
    for (const QString& option : options.split(QLatin1Char(';'))) {
        bool number = false;
        const int seconds = option.startsWith(prefix) ? option.mid(prefix.size()).toInt(&number) : 0;
        // libpq: zero or less waits for ever, and less than 2 s counts as 2 s.
        if (number)
            return seconds <= 0 ? -1 : std::max(seconds, 2);
    }
    return DefaultConnectTimeout;
}

bool DatabaseAddress::looksLikeUri(const QString& text)
{
    return text.startsWith(QStringLiteral("postgresql://")) || text.startsWith(QStringLiteral("postgres://"));
}

std::optional<DatabaseAddress> DatabaseAddress::parse(const QString& uri, QString* error)
{
    auto refuse = [error](const QString& why) {
        *error = why;
        return std::optional<DatabaseAddress>();
    };
    if (!looksLikeUri(uri))
        return refuse(QStringLiteral("not a database address (postgresql://…)"));
    const QUrl url(uri, QUrl::StrictMode);
    if (!url.isValid())
        return refuse(QStringLiteral("not a valid address: %1").arg(url.errorString()));
    if (!url.password().isEmpty())
        return refuse(QStringLiteral("holds a password; give it in ~/.pgpass or PGPASSWORD instead"));

    DatabaseAddress address;
    address.uri = uri;
    address.host = url.host();
    address.port = url.port(-1);
    address.user = url.userName();
    address.database = url.path().mid(1);
    QStringList options;
    const QUrlQuery query(url);
    for (const auto& [key, value] : query.queryItems(QUrl::FullyDecoded)) {
        if (key == QLatin1String("host"))
            address.host = value;
        else if (key == QLatin1String("port")) {
            bool number = false;
            address.port = value.toInt(&number);
            if (!number || address.port < 1 || address.port > 65535)
                return refuse(QStringLiteral("the port \"%1\" is not a number from 1 to 65535").arg(value));
        } else if (key == QLatin1String("dbname"))
            address.database = value;
        else if (key == QLatin1String("user"))
            address.user = value;
        else if (key == QLatin1String("password"))
            return refuse(QStringLiteral("holds a password; give it in ~/.pgpass or PGPASSWORD instead"));
        else if (!PassedSettings.contains(key))
            return refuse(QStringLiteral("the setting \"%1\" is not one this program passes on").arg(key));
        else if (value.contains(QLatin1Char(';')) || value.contains(QLatin1Char('\'')) ||
                 value.contains(QLatin1Char('\\')) || value.contains(QLatin1Char(' ')))
            return refuse(QStringLiteral("the setting \"%1\" has a value this program cannot pass on").arg(key));
        else
            options << key + QLatin1Char('=') + value;
    }
    // A server that does not answer is given up on after a while rather than never.
    if (!query.hasQueryItem(QStringLiteral("connect_timeout")))
        options << QStringLiteral("connect_timeout=%1").arg(DefaultConnectTimeout);
    address.options = options.join(QLatin1Char(';'));
    return address;
}

QSqlDatabase DatabaseAddress::connection(const QString& connectionName) const
{
    QSqlDatabase postgres = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
    postgres.setHostName(host);
    if (port > 0)
        postgres.setPort(port);
    postgres.setDatabaseName(database);
    postgres.setUserName(user);
    postgres.setConnectOptions(options);
    return postgres;
}
