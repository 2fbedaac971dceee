// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A throwaway PostgreSQL cluster for the team database tests and benchmarks: initdb into a
// temporary folder, the server listening only on a Unix socket in that folder, removed at the
// end. PostgreSQL refuses to run as root, so as root the cluster runs as "nobody".

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <unistd.h>

class PostgresCluster
{
public:
    // The server's programs, from Debian's postgresql package.
    static QString programFolder() { return QStringLiteral("/usr/lib/postgresql/15/bin"); }

    static bool installed() { return QFile::exists(programFolder() + QStringLiteral("/initdb")); }

    PostgresCluster() { m_folder.setAutoRemove(true); }
    ~PostgresCluster() { stop(); }

    // Makes the cluster with the superuser "talvo" (no password on the socket), a database
    // "rula" and a role "guarded" whose password is "right", and starts it. False with why() set.
    bool create()
    {
        const QString data = dataFolder();
        QDir().mkpath(data);
        if (geteuid() == 0 &&
            !run({QStringLiteral("chown"), QStringLiteral("-R"), QStringLiteral("nobody:nogroup"), m_folder.path()}))
            return false;
        QFile::setPermissions(m_folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                   QFile::ReadOther | QFile::ExeOther | QFile::ReadGroup |
                                                   QFile::ExeGroup);
        if (!runAsServer({programFolder() + QStringLiteral("/initdb"), QStringLiteral("-D"), data, QStringLiteral("-U"),
                          QStringLiteral("talvo"), QStringLiteral("--auth-local=trust"), QStringLiteral("--no-sync"),
                          QStringLiteral("-E"), QStringLiteral("UTF8"), QStringLiteral("--locale=C")}))
            return false;
        // The role with a password proves a refused login; everyone else is trusted on the socket.
        QFile hba(data + QStringLiteral("/pg_hba.conf"));
        if (!hba.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            hba.write("local all guarded scram-sha-256\nlocal all all trust\n") < 0)
            return fail(QStringLiteral("cannot write pg_hba.conf"));
        hba.close();
        if (!start())
            return false;
        return psql(QStringLiteral("postgres"), QStringLiteral("CREATE DATABASE rula")) &&
               psql(QStringLiteral("rula"), QStringLiteral("CREATE ROLE guarded LOGIN PASSWORD 'right'; "
                                                           "GRANT ALL ON SCHEMA public TO guarded"));
    }

    // Starts the server unless it runs.
    bool start()
    {
        if (QFile::exists(dataFolder() + QStringLiteral("/postmaster.pid")))
            return true;
        return runAsServer({programFolder() + QStringLiteral("/pg_ctl"), QStringLiteral("-D"), dataFolder(),
                            QStringLiteral("-l"), m_folder.filePath(QStringLiteral("server.log")), QStringLiteral("-w"),
                            QStringLiteral("-o"),
                            QStringLiteral("-c listen_addresses='' -k %1 -c fsync=off").arg(m_folder.path()),
                            QStringLiteral("start")});
    }

    bool stop()
    {
        if (!QFile::exists(dataFolder() + QStringLiteral("/postmaster.pid")))
            return true;
        return runAsServer({programFolder() + QStringLiteral("/pg_ctl"), QStringLiteral("-D"), dataFolder(),
                            QStringLiteral("-m"), QStringLiteral("fast"), QStringLiteral("-w"),
                            QStringLiteral("stop")});
    }

    // The address of database `database` as user `user`, over the cluster's socket.
    QString uri(const QString& user = QStringLiteral("talvo"), const QString& database = QStringLiteral("rula")) const
    {
        return QStringLiteral("postgresql://%1@/%2?host=%3").arg(user, database, m_folder.path());
    }

    // Runs SQL as the superuser; the output (unaligned, tuples only) goes to `output`.
    bool psql(const QString& database, const QString& sql, QString* output = nullptr)
    {
        QProcess process;
        process.start(QStringLiteral("/usr/bin/psql"),
                      {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-A"), QStringLiteral("-t"),
                       QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-h"), m_folder.path(),
                       QStringLiteral("-U"), QStringLiteral("talvo"), QStringLiteral("-d"), database,
                       QStringLiteral("-c"), sql});
        if (!process.waitForFinished(60000) || process.exitCode() != 0)
            return fail(QStringLiteral("psql: ") + QString::fromUtf8(process.readAllStandardError()));
        if (output)
            *output = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
        return true;
    }

    // One value of a query, as text.
    QString value(const QString& sql)
    {
        QString output;
        return psql(QStringLiteral("rula"), sql, &output) ? output : QStringLiteral("<%1>").arg(m_why);
    }

    QString why() const { return m_why; }

private:
    QString dataFolder() const { return m_folder.filePath(QStringLiteral("data")); }

    bool fail(const QString& why)
    {
        m_why = why;
        return false;
    }

    bool run(const QStringList& command)
    {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(command.first(), command.mid(1));
        if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
            return fail(command.join(QLatin1Char(' ')) + QStringLiteral(": ") +
                        QString::fromLocal8Bit(process.readAll()));
        return true;
    }

    bool runAsServer(QStringList command)
    {
        if (geteuid() == 0)
            command =
                QStringList{QStringLiteral("/usr/bin/setpriv"), QStringLiteral("--reuid=nobody"),
                            QStringLiteral("--regid=nogroup"), QStringLiteral("--clear-groups"), QStringLiteral("--")} +
                command;
        return run(command);
    }

    QTemporaryDir m_folder;
    QString m_why;
};
