// SPDX-License-Identifier: GPL-3.0-or-later
#include "TeamDatabase.h"

#include "EvidenceJson.h"
#include "RegisterCsv.h"

#include <QAtomicInt>
#include <QJsonDocument>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <array>

namespace {

// One migration per schema version, from nothing to the current one. Plain PostgreSQL.
const std::array<const char*, 1> Migrations{
    R"sql(
CREATE TABLE talvo_assessment (
    id bigserial PRIMARY KEY,
    publication_key text NOT NULL UNIQUE,
    assessment_id text,
    revision integer NOT NULL,
    file_path text NOT NULL,
    file_sha256 text NOT NULL,
    last_written timestamptz,
    employee_name text NOT NULL,
    employee_id text NOT NULL,
    employee_location text NOT NULL,
    selections text NOT NULL,
    body_part_scores smallint[] NOT NULL,
    posture_a_left smallint NOT NULL,
    posture_a_right smallint NOT NULL,
    posture_b smallint NOT NULL,
    score_c_left smallint NOT NULL,
    score_c_right smallint NOT NULL,
    score_d smallint NOT NULL,
    grand_left smallint NOT NULL,
    grand_right smallint NOT NULL,
    level_left smallint,
    level_right smallint,
    evidence jsonb,
    published_by text NOT NULL DEFAULT current_user,
    published_at timestamptz NOT NULL DEFAULT now()
);
CREATE INDEX talvo_assessment_revisions ON talvo_assessment (assessment_id, revision);
CREATE INDEX talvo_assessment_levels ON talvo_assessment (level_right, level_left)
)sql",
};

// Any number the program's migrations agree on, so two programs starting at once upgrade one
// after the other.
constexpr qint64 MigrationLock = 0x74616c766f; // "talvo"

QAtomicInt connectionCount;

// The server's words on one line: Qt's driver gives libpq's message (severity, text, and any
// detail or hint on lines of their own) and appends the SQLSTATE in parentheses on a line of
// its own, empty when the client failed before the server answered.
QString sqlError(const QSqlError& error)
{
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.driverText().trimmed();
    const QString code = error.nativeErrorCode().trimmed();
    const QString appended = QLatin1Char('(') + code + QLatin1Char(')');
    if (text.endsWith(appended))
        text.chop(appended.size());
    QStringList parts;
    for (const QString& line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString part = line.simplified();
        if (!part.isEmpty())
            parts << part;
    }
    QString oneLine = parts.join(QStringLiteral(" "));
    if (!code.isEmpty())
        oneLine += QStringLiteral(" (SQLSTATE %1)").arg(code);
    return oneLine;
}

QVariant levelValue(const std::optional<rula::ActionLevel>& level)
{
    return level ? QVariant(level->level) : QVariant(QMetaType::fromType<int>());
}

QString scoresArray(const AssessmentRecord& record)
{
    QStringList scores;
    for (const rula::GroupInfo& group : rula::groups())
        scores << QString::number(record.assessment.score(group.group));
    return QLatin1Char('{') + scores.join(QLatin1Char(',')) + QLatin1Char('}');
}

} // namespace

TeamDatabase::TeamDatabase(const DatabaseAddress& address)
    : m_address(address), m_connectionName(QStringLiteral("talvo-team-%1").arg(connectionCount.fetchAndAddRelaxed(1)))
{
}

TeamDatabase::~TeamDatabase()
{
    m_insert.reset();
    {
        QSqlDatabase database = QSqlDatabase::database(m_connectionName, false);
        if (database.isValid())
            database.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

bool TeamDatabase::refusesTheRow(const QString& sqlState)
{
    // Class 22 is a data exception (a value the column cannot hold), class 23 an integrity
    // constraint violation: sending the same row again fails the same way. Every other class
    // (privileges, a missing table, a full disk, a timeout, a lost connection) says nothing
    // against the row, and may pass once the server or its settings are put right.
    return sqlState.size() == 5 &&
           (sqlState.startsWith(QLatin1String("22")) || sqlState.startsWith(QLatin1String("23")));
}

int TeamDatabase::schemaVersion()
{
    return int(Migrations.size());
}

bool TeamDatabase::fail(const QString& what, const QString& why)
{
    m_error = what + QStringLiteral(": ") + why;
    return false;
}

bool TeamDatabase::open()
{
    QSqlDatabase database = m_address.connection(m_connectionName);
    if (!database.open())
        return fail(QStringLiteral("cannot connect"), sqlError(database.lastError()));
    return migrate();
}

bool TeamDatabase::migrate()
{
    QSqlDatabase database = QSqlDatabase::database(m_connectionName, false);
    QSqlQuery query(database);
    auto run = [&query](const QString& sql) { return query.exec(sql); };
    auto version = [&]() -> int {
        if (!run(QStringLiteral("SELECT to_regclass('talvo_schema') IS NOT NULL")) || !query.next())
            return -1;
        if (!query.value(0).toBool())
            return 0;
        if (!run(QStringLiteral("SELECT max(version) FROM talvo_schema")) || !query.next())
            return -1;
        return query.value(0).toInt();
    };

    int current = version();
    if (current < 0)
        return fail(QStringLiteral("cannot read the schema version"), sqlError(query.lastError()));
    if (current == schemaVersion())
        return true;
    if (current > schemaVersion())
        return fail(QStringLiteral("the database was set up by a newer version of this program"),
                    QStringLiteral("schema %1, this program knows %2").arg(current).arg(schemaVersion()));

    if (!database.transaction())
        return fail(QStringLiteral("cannot start the schema upgrade"), sqlError(database.lastError()));
    auto rollBack = [&](const QString& what) {
        const QString why = sqlError(query.lastError());
        database.rollback();
        return fail(what, why);
    };
    if (!run(QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(MigrationLock)))
        return rollBack(QStringLiteral("cannot lock the schema for its upgrade"));
    // Another program may have upgraded it while this one waited for the lock.
    current = version();
    if (current < 0)
        return rollBack(QStringLiteral("cannot read the schema version"));
    if (current == 0 && !run(QStringLiteral("CREATE TABLE talvo_schema (version integer NOT NULL)")))
        return rollBack(QStringLiteral("cannot create the program's tables"));
    for (int next = current + 1; next <= schemaVersion(); ++next) {
        for (const QString& statement :
             QString::fromLatin1(Migrations[std::size_t(next - 1)]).split(QLatin1Char(';'))) {
            if (!statement.trimmed().isEmpty() && !run(statement))
                return rollBack(QStringLiteral("cannot upgrade the program's tables to version %1").arg(next));
        }
        if (!run(QStringLiteral("INSERT INTO talvo_schema (version) VALUES (%1)").arg(next)))
            return rollBack(QStringLiteral("cannot record the schema version"));
    }
    if (!database.commit())
        return fail(QStringLiteral("cannot finish the schema upgrade"), sqlError(database.lastError()));
    return true;
}

bool TeamDatabase::inTransaction(const std::function<bool()>& publishAll)
{
    QSqlDatabase database = QSqlDatabase::database(m_connectionName, false);
    if (!database.transaction())
        return fail(QStringLiteral("cannot start a transaction"), sqlError(database.lastError()));
    if (!publishAll()) {
        database.rollback();
        return false;
    }
    if (!database.commit())
        return fail(QStringLiteral("cannot commit"), sqlError(database.lastError()));
    return true;
}

TeamDatabase::Stored TeamDatabase::publish(const Publication& publication)
{
    const QString unstorable = publication.unstorableReason();
    if (!unstorable.isEmpty()) {
        m_error = unstorable;
        return Stored::Refused;
    }
    QSqlDatabase database = QSqlDatabase::database(m_connectionName, false);
    if (!m_insert) {
        m_insert = std::make_unique<QSqlQuery>(database);
        m_insert->prepare(QStringLiteral(
            "INSERT INTO talvo_assessment (publication_key, assessment_id, revision, file_path, file_sha256, "
            "last_written, employee_name, employee_id, employee_location, selections, body_part_scores, "
            "posture_a_left, posture_a_right, posture_b, score_c_left, score_c_right, score_d, grand_left, "
            "grand_right, "
            "level_left, level_right, evidence) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?::smallint[], ?, ?, ?, ?, ?, ?, "
            "?, ?, ?, ?, ?::jsonb) ON CONFLICT (publication_key) DO NOTHING RETURNING id"));
    }
    QSqlQuery& query = *m_insert;
    const AssessmentRecord& record = publication.record;
    const rula::ResultScores& results = record.results;
    const QVariant noText(QMetaType::fromType<QString>());
    int position = 0;
    for (const QVariant& value : {
             QVariant(publication.key()),
             publication.assessmentId.isEmpty() ? noText : QVariant(publication.assessmentId),
             QVariant(publication.revision),
             QVariant(publication.filePath),
             QVariant(publication.fileSha256),
             QVariant(publication.lastWritten),
             QVariant(record.typed.name),
             QVariant(record.typed.id),
             QVariant(record.typed.location),
             QVariant(publication.selections()),
             QVariant(scoresArray(record)),
             QVariant(results.PostureScoreALeft),
             QVariant(results.PostureScoreARight),
             QVariant(results.PostureScoreB),
             QVariant(results.ScoreCLeft),
             QVariant(results.ScoreCRight),
             QVariant(results.ScoreD),
             QVariant(results.GrandScoreLeft),
             QVariant(results.GrandScoreRight),
             levelValue(record.levelLeft),
             levelValue(record.levelRight),
             publication.evidence.isEmpty() ? noText : QVariant(QString::fromUtf8(publication.evidence)),
         })
        query.bindValue(position++, value);
    if (!query.exec()) {
        m_error = sqlError(query.lastError());
        const bool connectionLost = query.lastError().type() == QSqlError::ConnectionError || !database.isOpen();
        return !connectionLost && refusesTheRow(query.lastError().nativeErrorCode()) ? Stored::Refused : Stored::Failed;
    }
    return query.next() ? Stored::New : Stored::AlreadyThere;
}

QByteArray TeamDatabase::registerCsv(bool allRevisions, int* rows)
{
    QSqlDatabase database = QSqlDatabase::database(m_connectionName, false);
    QSqlQuery query(database);
    query.setForwardOnly(true);
    const QString latestOnly =
        QStringLiteral(" WHERE a.assessment_id IS NULL OR NOT EXISTS (SELECT 1 FROM talvo_assessment b WHERE "
                       "b.assessment_id = a.assessment_id AND (b.revision > a.revision OR (b.revision = a.revision AND "
                       "b.id > a.id)))");
    const QString sql = QStringLiteral("SELECT a.file_path, a.last_written, a.employee_name, a.employee_id, "
                                       "a.employee_location, a.selections, a.published_by, a.published_at, a.evidence "
                                       "FROM talvo_assessment a") +
                        (allRevisions ? QString() : latestOnly) + QStringLiteral(" ORDER BY a.file_path, a.id");
    if (!query.exec(sql)) {
        fail(QStringLiteral("cannot read the register"), sqlError(query.lastError()));
        return QByteArray();
    }
    QByteArray header = RegisterCsv::header();
    header.chop(2);
    QByteArray csv = header + ",Published By,Published At\r\n";
    int count = 0;
    while (query.next()) {
        const QDateTime lastWritten = query.value(1).toDateTime().toLocalTime();
        const EmployeeTexts typed{query.value(2).toString(), query.value(3).toString(), query.value(4).toString()};
        const AssessmentRecord record = recordOfSelections(query.value(5).toString(), typed, lastWritten);
        const std::optional<Evidence> evidence =
            query.value(8).isNull() ? std::nullopt : evidenceFromJson(query.value(8).toString().toUtf8());
        QByteArray line = RegisterCsv::row(query.value(0).toString(), record, evidence ? &*evidence : nullptr);
        line.chop(2);
        csv += line + ',' + RegisterCsv::field(query.value(6).toString()) + ',' +
               query.value(7).toDateTime().toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toLatin1() +
               "\r\n";
        ++count;
    }
    if (rows)
        *rows = count;
    return csv;
}
