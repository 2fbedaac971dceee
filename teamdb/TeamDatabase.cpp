// SPDX-License-Identifier: GPL-3.0-or-later
#include "TeamDatabase.h"

#include "EvidenceJson.h"
#include "LibPq.h"
#include "RegisterCsv.h"
#include "StripApostrophes.h"

#include <QAtomicInt>
#include <QJsonDocument>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimeZone>
#include <QVarLengthArray>
#include <QVariant>

#include <algorithm>
#include <array>
#include <cctype>
#include <vector>

namespace {

// One migration per schema version, from nothing to the current one: its statements, each
// run on its own (a statement may hold a ";" in a text or a function body). Plain PostgreSQL.
const std::vector<std::vector<const char*>> Migrations{
    {R"sql(
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
)
)sql",
     "CREATE INDEX talvo_assessment_revisions ON talvo_assessment (assessment_id, revision)",
     "CREATE INDEX talvo_assessment_levels ON talvo_assessment (level_right, level_left)"},
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
        for (const char* statement : Migrations[std::size_t(next - 1)]) {
            if (!run(QString::fromLatin1(statement)))
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

namespace {

// A field of COPY's text format as it was stored: its backslash escapes undone.
QByteArray copyField(QByteArrayView text)
{
    if (!text.contains('\\'))
        return text.toByteArray();
    QByteArray field;
    field.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            field += text[i];
            continue;
        }
        switch (const char c = text[++i]) {
        case 'b':
            field += '\b';
            break;
        case 'f':
            field += '\f';
            break;
        case 'n':
            field += '\n';
            break;
        case 'r':
            field += '\r';
            break;
        case 't':
            field += '\t';
            break;
        case 'v':
            field += '\v';
            break;
        default:
            field += c;
        }
    }
    return field;
}

// The register's query: the rows in the register's order, each with the time last written and
// the time published as this computer shows them (made by the server), and the columns as they
// are stored; the selections only where the evidence needs them. Of the revisions of one
// assessment only the latest is kept, unless all are asked for; a row without an assessment id
// matches none other and is always kept.
QByteArray registerQuery(bool allRevisions)
{
    const QByteArray latestOnly =
        " WHERE NOT EXISTS (SELECT 1 FROM talvo_assessment b WHERE b.assessment_id = a.assessment_id AND "
        "(b.revision > a.revision OR (b.revision = a.revision AND b.id > a.id)))";
    return "COPY (SELECT a.file_path, to_char(a.last_written, 'YYYY-MM-DD HH24:MI:SS'), a.employee_name, "
           "a.employee_id, a.employee_location, a.body_part_scores, a.posture_a_left, a.posture_a_right, "
           "a.posture_b, a.score_c_left, a.score_c_right, a.score_d, a.grand_left, a.grand_right, a.level_left, "
           "a.level_right, a.published_by, to_char(a.published_at, 'YYYY-MM-DD HH24:MI:SS'), CASE WHEN a.evidence "
           "IS NULL THEN NULL ELSE a.selections END, a.evidence FROM talvo_assessment a" +
           (allRevisions ? QByteArray() : latestOnly) + " ORDER BY a.file_path, a.id) TO STDOUT";
}

// The fields of a row of the register's query.
enum RegisterField : std::size_t
{
    PathField,
    WrittenField,
    NameField,
    IdField,
    LocationField,
    BodyPartsField,
    FirstScoreField, // posture score A left, to the grand score right: eight in all
    LevelLeftField = FirstScoreField + 8,
    LevelRightField,
    PublishedByField,
    PublishedAtField,
    SelectionsField,
    EvidenceField,
    RegisterFieldCount,
};

// The values of the score columns joined by commas, as RegisterCsv::storedRow() takes them: the
// body-part scores in the columns' order, each as the array's subscript gives it (none for one
// the array lacks or holds as NULL), then the eight scores and both levels (empty for none).
QByteArray scoreColumnsOf(const std::array<QByteArrayView, RegisterFieldCount>& fields)
{
    // The array's text: "{4,1,...}", or with its bounds in front when its first subscript is not 1
    // ("[0:16]={...}"); one of more dimensions gives nothing for a single subscript.
    static const std::array<int, rula::GroupCount> order = RegisterCsv::scoreGroupOrder();
    QByteArrayView array = fields[BodyPartsField];
    qsizetype lower = 1;
    QVarLengthArray<QByteArrayView, rula::GroupCount> elements;
    bool oneDimension = true;
    if (array.startsWith('[')) {
        const qsizetype colon = array.indexOf(':');
        const qsizetype close = array.indexOf(']');
        lower = colon > 0 ? array.sliced(1, colon - 1).toByteArray().toLongLong() : 1;
        oneDimension = close > 0 && close + 1 < array.size() && array[close + 1] == '=';
        array = oneDimension ? array.sliced(close + 2) : QByteArrayView();
    }
    if (oneDimension && array.size() >= 2 && array.startsWith('{') && array.endsWith('}') && array[1] != '{') {
        const QByteArrayView inner = array.sliced(1, array.size() - 2);
        for (qsizetype from = 0; !inner.isEmpty();) {
            const qsizetype comma = inner.indexOf(',', from);
            elements.push_back(inner.sliced(from, (comma < 0 ? inner.size() : comma) - from));
            if (comma < 0)
                break;
            from = comma + 1;
        }
    }
    QByteArray scores;
    scores.reserve(80);
    for (const int group : order) {
        const qsizetype at = group + 1 - lower;
        if (at < 0 || at >= elements.size() || elements[at] == "NULL")
            continue;
        if (!scores.isEmpty())
            scores += ',';
        scores.append(elements[at]);
    }
    for (std::size_t field = FirstScoreField; field <= LevelRightField; ++field) {
        if (field != FirstScoreField || !scores.isEmpty())
            scores += ',';
        if (fields[field] != "\\N")
            scores.append(fields[field]);
    }
    return scores;
}

// The name of this computer's time zone as the server knows it ("Europe/Berlin"), quoted; empty
// when it has none to give.
QByteArray quotedZone()
{
    const QByteArray zone = QTimeZone::systemTimeZoneId();
    for (const char c : zone) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && !QByteArrayView("/_+-").contains(c))
            return QByteArray();
    }
    return zone.isEmpty() ? QByteArray() : '\'' + zone + '\'';
}

// Whether a text field of the copy is plain ASCII with no escape in it: its bytes are the text's
// UTF-8, and decoding them and encoding them again gives them back unchanged.
bool plainAscii(QByteArrayView text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return uchar(c) < 0x80 && c != '\\'; });
}

// Appends `text` as RegisterCsv::field() writes it: quoted when it holds a comma, a quote or a
// line break, its quotes doubled.
void appendCsvField(QByteArray& csv, QByteArrayView text)
{
    if (std::none_of(text.begin(), text.end(), [](char c) { return c == ',' || c == '"' || c == '\n' || c == '\r'; })) {
        csv.append(text);
        return;
    }
    csv += '"';
    for (const char c : text) {
        if (c == '"')
            csv += '"';
        csv += c;
    }
    csv += '"';
}

// Appends an employee text of a row without evidence as the register writes it, from the copy's
// bytes: its first 100 apostrophes dropped as saving drops them, then as field() writes it. Only
// for plain ASCII that, left as it is, begins with a letter, a digit or a sign other than a
// formula's; false (nothing appended) for any other, which takes the register's own path.
bool appendPlainEmployeeText(QByteArray& csv, QByteArrayView text)
{
    if (!plainAscii(text))
        return false;
    QByteArray dropped;
    QByteArrayView kept = text;
    if (text.contains('\'')) {
        dropped.reserve(text.size());
        int removed = 0;
        for (const char c : text) {
            if (c == '\'' && removed < 100)
                ++removed;
            else
                dropped += c;
        }
        kept = dropped;
    }
    if (!kept.isEmpty() && (kept[0] <= ' ' || kept[0] == '\x7f' || QByteArrayView("=+-@").contains(kept[0])))
        return false;
    appendCsvField(csv, kept);
    return true;
}

} // namespace

QByteArray TeamDatabase::registerCsv(bool allRevisions, int* rows)
{
    const LibPq* pq = LibPq::get();
    QSqlDatabase database = QSqlDatabase::database(m_connectionName, false);
    PGconn* connection = pq ? LibPq::connectionOf(database) : nullptr;
    if (!connection) {
        fail(QStringLiteral("cannot read the register"),
             QStringLiteral("libpq, the PostgreSQL client library, cannot be loaded"));
        return QByteArray();
    }
    const QByteArray zone = quotedZone();
    if (zone.isEmpty()) {
        fail(QStringLiteral("cannot read the register"), QStringLiteral("this computer names no time zone"));
        return QByteArray();
    }
    QByteArray header = RegisterCsv::header();
    header.chop(2);
    QByteArray csv = header + ",Published By,Published At\r\n";
    // What follows the scores in a row without evidence, up to the publisher: its empty columns,
    // as the register's own path writes them.
    const QByteArray storedTemplate = RegisterCsv::storedRow(QString(), {}, {}, "|");
    const QByteArray emptyColumns = storedTemplate.sliced(storedTemplate.indexOf('|') + 1).chopped(2) + ',';
    int count = 0;
    std::array<QByteArrayView, RegisterFieldCount> fields;
    // Each row is written as it arrives, while the server reads the next.
    const auto appendRow = [&](QByteArrayView line) {
        std::size_t n = 0;
        for (qsizetype from = 0; n < fields.size();) {
            const qsizetype tab = line.indexOf('\t', from);
            fields[n++] = line.sliced(from, (tab < 0 ? line.size() : tab) - from);
            if (tab < 0)
                break;
            from = tab + 1;
        }
        if (n != fields.size())
            return;
        const QByteArrayView written = fields[WrittenField] == "\\N" ? QByteArrayView() : fields[WrittenField];
        const QByteArray scores = scoreColumnsOf(fields);
        // The usual row, without evidence and of plain texts, is written from the copy's bytes
        // as the register's own path would write it.
        const qsizetype rowStart = csv.size();
        if (fields[EvidenceField] == "\\N" && plainAscii(fields[PathField]) && plainAscii(fields[PublishedByField])) {
            appendCsvField(csv, fields[PathField]);
            bool plain = true;
            for (const std::size_t text : {NameField, IdField, LocationField}) {
                csv += ',';
                plain = plain && appendPlainEmployeeText(csv, fields[text]);
            }
            if (plain) {
                csv += ',';
                csv.append(written);
                csv += ',';
                csv += scores;
                csv += emptyColumns;
                appendCsvField(csv, fields[PublishedByField]);
                csv += ',';
                csv.append(fields[PublishedAtField]);
                csv += "\r\n";
                ++count;
                return;
            }
            csv.truncate(rowStart);
        }
        const QString path = QString::fromUtf8(copyField(fields[PathField]));
        const EmployeeTexts typed{QString::fromUtf8(copyField(fields[NameField])),
                                  QString::fromUtf8(copyField(fields[IdField])),
                                  QString::fromUtf8(copyField(fields[LocationField]))};
        QByteArray csvRow;
        const std::optional<Evidence> evidence =
            fields[EvidenceField] == "\\N" ? std::nullopt : evidenceFromJson(copyField(fields[EvidenceField]));
        if (evidence) {
            // What the evidence adds is read from its JSON, with the record its selections give.
            const QDateTime lastWritten =
                QDateTime::fromString(QString::fromLatin1(written), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            const AssessmentRecord record =
                recordOfSelections(QString::fromLatin1(fields[SelectionsField]), typed, lastWritten);
            csvRow = RegisterCsv::row(path, record, &*evidence);
        } else {
            const EmployeeTexts stored{StripApostrophes(typed.name), StripApostrophes(typed.id),
                                       StripApostrophes(typed.location)};
            csvRow = RegisterCsv::storedRow(path, stored, written, scores);
        }
        csvRow.chop(2);
        csv += csvRow;
        csv += ',';
        csv += RegisterCsv::field(QString::fromUtf8(copyField(fields[PublishedByField])));
        csv += ',';
        csv += fields[PublishedAtField];
        csv += "\r\n";
        ++count;
    };
    PqOutcome outcome = pqRun(*pq, connection, QByteArray("SET TIME ZONE " + zone).constData());
    if (outcome.ok)
        outcome = pqCopyOut(*pq, connection, registerQuery(allRevisions).constData(), appendRow);
    if (!outcome.ok) {
        fail(QStringLiteral("cannot read the register"), outcome.error);
        return QByteArray();
    }
    if (rows)
        *rows = count;
    return csv;
}

namespace {

// The columns a publication fills, in the order of the copy; the temporary table has them with
// the order of the batch in front, so that of two publications of one key the first is kept.
constexpr const char* PublishedColumns =
    "publication_key, assessment_id, revision, file_path, file_sha256, last_written, employee_name, employee_id, "
    "employee_location, selections, body_part_scores, posture_a_left, posture_a_right, posture_b, score_c_left, "
    "score_c_right, score_d, grand_left, grand_right, level_left, level_right, evidence";

// A text as COPY's text format reads it: backslash, tab and line breaks escaped.
void appendCopyText(QByteArray& line, QByteArrayView text)
{
    qsizetype from = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const char* escaped = c == '\\' ? "\\\\" : c == '\t' ? "\\t" : c == '\n' ? "\\n" : c == '\r' ? "\\r" : nullptr;
        if (!escaped)
            continue;
        line.append(text.sliced(from, i - from));
        line += escaped;
        from = i + 1;
    }
    line.append(text.sliced(from));
}

void appendCopyText(QByteArray& line, const QString& text)
{
    // Most texts are plain ASCII: written straight into the line, without their UTF-8 made apart
    // first. Escaped, a character takes at most two bytes.
    const qsizetype start = line.size();
    line.resize(start + 2 * text.size());
    char* at = line.data() + start;
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        if (unit >= 0x80) {
            line.truncate(start);
            appendCopyText(line, QByteArrayView(text.toUtf8()));
            return;
        }
        const char* escaped = unit == '\\'   ? "\\\\"
                              : unit == '\t' ? "\\t"
                              : unit == '\n' ? "\\n"
                              : unit == '\r' ? "\\r"
                                             : nullptr;
        if (escaped) {
            *at++ = escaped[0];
            *at++ = escaped[1];
        } else {
            *at++ = char(unit);
        }
    }
    line.truncate(at - line.constData());
}

void appendNumber(QByteArray& line, int value)
{
    char digits[12];
    char* end = digits + sizeof digits;
    char* at = end;
    unsigned magnitude = value < 0 ? 0u - unsigned(value) : unsigned(value);
    do {
        *--at = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0)
        *--at = '-';
    line.append(at, end - at);
}

// `utc` as PostgreSQL reads a time with its offset: "2026-03-29T01:59:58.125Z".
void appendUtcTime(QByteArray& line, const QDateTime& utc)
{
    const QDate date = utc.date();
    const QTime time = utc.time();
    if (date.year() < 1 || date.year() > 9999) {
        line += utc.toString(Qt::ISODateWithMs).toLatin1();
        return;
    }
    char text[24];
    const auto digits = [&text](int at, int value, int count) {
        for (int i = count - 1; i >= 0; --i, value /= 10)
            text[at + i] = char('0' + value % 10);
    };
    digits(0, date.year(), 4);
    text[4] = '-';
    digits(5, date.month(), 2);
    text[7] = '-';
    digits(8, date.day(), 2);
    text[10] = 'T';
    digits(11, time.hour(), 2);
    text[13] = ':';
    digits(14, time.minute(), 2);
    text[16] = ':';
    digits(17, time.second(), 2);
    text[19] = '.';
    digits(20, time.msec(), 3);
    text[23] = 'Z';
    line.append(text, sizeof text);
}

void appendLevel(QByteArray& line, const std::optional<rula::ActionLevel>& level)
{
    if (level)
        appendNumber(line, level->level);
    else
        line += "\\N";
}

// One publication as one line of the copy, its columns as PublishedColumns lists them; `key` is
// its key().
void appendCopyLine(QByteArray& data, const QByteArray& key, const Publication& publication)
{
    const AssessmentRecord& record = publication.record;
    const rula::ResultScores& results = record.results;
    data += key;
    data += '\t';
    if (publication.assessmentId.isEmpty())
        data += "\\N";
    else
        appendCopyText(data, publication.assessmentId);
    data += '\t';
    appendNumber(data, publication.revision);
    data += '\t';
    appendCopyText(data, publication.filePath);
    data += '\t';
    appendCopyText(data, publication.fileSha256);
    data += '\t';
    // The column keeps the instant: written in UTC, it needs no look at the time zone's rules.
    if (publication.lastWritten.isValid())
        appendUtcTime(data, publication.lastWritten.toUTC());
    else
        data += "\\N";
    for (const QString* text : {&record.typed.name, &record.typed.id, &record.typed.location}) {
        data += '\t';
        appendCopyText(data, *text);
    }
    data += '\t';
    for (int option = 0; option < rula::OptionCount; ++option)
        data += record.assessment.isSelected(option) ? '1' : '0';
    data += "\t{";
    for (const rula::GroupInfo& group : rula::groups()) {
        if (&group != &rula::groups().front())
            data += ',';
        appendNumber(data, record.assessment.score(group.group));
    }
    data += '}';
    for (const std::int16_t score :
         {results.PostureScoreALeft, results.PostureScoreARight, results.PostureScoreB, results.ScoreCLeft,
          results.ScoreCRight, results.ScoreD, results.GrandScoreLeft, results.GrandScoreRight}) {
        data += '\t';
        appendNumber(data, score);
    }
    data += '\t';
    appendLevel(data, record.levelLeft);
    data += '\t';
    appendLevel(data, record.levelRight);
    data += '\t';
    if (publication.evidence.isEmpty())
        data += "\\N";
    else
        appendCopyText(data, QByteArrayView(publication.evidence));
    data += '\n';
}

// The keys of `keys` the table already holds, asked in one statement. A key is 64 hex digits,
// so the list is written into the statement as it is.
std::optional<QSet<QByteArray>> keysAlreadyThere(const LibPq& pq, PGconn* connection,
                                                 const std::vector<QByteArray>& keys, PqOutcome* outcome)
{
    QByteArray select = "COPY (SELECT publication_key FROM talvo_assessment WHERE publication_key = ANY ('{";
    select.reserve(select.size() + qsizetype(keys.size()) * 65 + 32);
    for (const QByteArray& key : keys) {
        if (key.size() != 64 || !std::all_of(key.begin(), key.end(), [](char c) { return std::isxdigit(uchar(c)); }))
            return std::nullopt;
        if (&key != &keys.front())
            select += ',';
        select += key;
    }
    select += "}'::text[])) TO STDOUT";
    QSet<QByteArray> there;
    *outcome = pqCopyOut(pq, connection, select.constData(),
                         [&there](QByteArrayView key) { there.insert(key.toByteArray()); });
    return there;
}

} // namespace

TeamDatabase::CopyRow TeamDatabase::copyRowOf(const Publication& publication)
{
    CopyRow row{publication.key().toLatin1(), {}};
    row.line.reserve(512);
    appendCopyLine(row.line, row.key, publication);
    return row;
}

TeamDatabase::Stored TeamDatabase::publishBatch(const Publication* first, std::size_t count, int* added,
                                                const CopyRow* rows)
{
    *added = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (QString unstorable = first[i].unstorableReason(); !unstorable.isEmpty()) {
            m_error = std::move(unstorable);
            return Stored::Refused;
        }
    }
    const LibPq* pq = LibPq::get();
    QSqlDatabase database = QSqlDatabase::database(m_connectionName, false);
    PGconn* connection = pq ? LibPq::connectionOf(database) : nullptr;
    if (!connection) {
        m_error = QStringLiteral("libpq, the PostgreSQL client library, cannot be loaded");
        return Stored::Failed;
    }
    std::vector<CopyRow> made;
    if (!rows) {
        made.reserve(count);
        for (std::size_t i = 0; i < count; ++i)
            made.push_back(copyRowOf(first[i]));
        rows = made.data();
    }
    std::vector<QByteArray> keys;
    keys.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        keys.push_back(rows[i].key);

    // The keys the table holds are asked first, and only the rows it lacks are copied, straight
    // into the table: a batch already there costs one question. A table that held no row at the
    // first batch holds since only what this connection copied, which it knows, and what another
    // publisher stored meanwhile, which the table's unique key refuses in the copy: the question
    // is then left out until that happens. A copy alone is a transaction of its own; a question
    // and the copy after it are put in one.
    PqOutcome done;
    done.ok = true;
    PqOutcome outcome = done;
    if (m_keysHeld == KeysHeld::Unknown) {
        outcome = pqRun(*pq, connection, "SELECT 1 FROM talvo_assessment LIMIT 1");
        if (outcome.ok)
            m_keysHeld = outcome.rows == 0 ? KeysHeld::CopiedHere : KeysHeld::Asked;
    }
    const bool copiedHere = m_keysHeld == KeysHeld::CopiedHere;
    const bool inTransaction = outcome.ok && !copiedHere;
    if (inTransaction)
        outcome = pqRun(*pq, connection, "BEGIN");
    std::optional<QSet<QByteArray>> there;
    if (outcome.ok)
        there = copiedHere ? QSet<QByteArray>() : keysAlreadyThere(*pq, connection, keys, &outcome);
    if (outcome.ok && there) {
        QByteArray data;
        data.reserve(qsizetype(count) * 512);
        QSet<QByteArray> taken = *there; // of two publications of one key, the first is kept
        taken.reserve(taken.size() + qsizetype(count));
        int copied = 0;
        for (std::size_t i = 0; i < count; ++i) {
            if (taken.contains(keys[i]) || (copiedHere && m_keysCopied.contains(keys[i])))
                continue;
            taken.insert(keys[i]);
            data += rows[i].line;
            ++copied;
        }
        if (copied > 0)
            outcome = pqCopyIn(*pq, connection,
                               QByteArray(QByteArrayLiteral("COPY talvo_assessment (") + PublishedColumns +
                                          QByteArrayLiteral(") FROM STDIN"))
                                   .constData(),
                               data);
        if (outcome.ok && inTransaction)
            outcome = pqRun(*pq, connection, "COMMIT");
        if (outcome.ok) {
            if (copiedHere)
                m_keysCopied.unite(taken);
            *added = copied;
            return Stored::New;
        }
        // Another publisher stored one of these keys after the question (or since the table was
        // found empty): the batch is undone and inserted past what is there by then, and the
        // batches after it ask.
        if (outcome.sqlState == QLatin1String("23505"))
            m_keysHeld = KeysHeld::Asked;
        if (outcome.connectionLost || outcome.sqlState != QLatin1String("23505")) {
            m_error = outcome.error;
            if (!outcome.connectionLost && inTransaction)
                pqRun(*pq, connection, "ROLLBACK");
            return outcome.connectionLost ? Stored::Failed : Stored::Refused;
        }
        outcome = inTransaction ? pqRun(*pq, connection, "ROLLBACK") : done;
    } else if (outcome.ok || !outcome.connectionLost) {
        outcome = inTransaction ? pqRun(*pq, connection, "ROLLBACK") : done;
    }
    if (!outcome.ok) {
        m_error = outcome.error;
        return outcome.connectionLost ? Stored::Failed : Stored::Refused;
    }
    return publishThroughIncoming(rows, count, added);
}

TeamDatabase::Stored TeamDatabase::publishThroughIncoming(const CopyRow* rows, std::size_t count, int* added)
{
    const LibPq* pq = LibPq::get();
    PGconn* connection = LibPq::connectionOf(QSqlDatabase::database(m_connectionName, false));
    QByteArray data;
    data.reserve(qsizetype(count) * 520);
    for (std::size_t i = 0; i < count; ++i) {
        appendNumber(data, int(i));
        data += '\t';
        data += rows[i].line;
    }

    const QByteArray copy =
        QByteArrayLiteral("COPY talvo_incoming (batch_order, ") + PublishedColumns + QByteArrayLiteral(") FROM STDIN");
    const QByteArray insert = QByteArrayLiteral("INSERT INTO talvo_assessment (") + PublishedColumns +
                              QByteArrayLiteral(") SELECT ") + PublishedColumns +
                              QByteArrayLiteral(" FROM talvo_incoming ORDER BY batch_order ON CONFLICT "
                                                "(publication_key) DO NOTHING");
    // Made outside the transaction, so that a batch undone does not take the table with it.
    PqOutcome outcome;
    outcome.ok = true;
    if (!m_incomingMade)
        outcome = pqRun(*pq, connection,
                        "CREATE TEMPORARY TABLE talvo_incoming (batch_order integer NOT NULL, "
                        "publication_key text NOT NULL, assessment_id text, revision integer NOT NULL, file_path "
                        "text NOT NULL, file_sha256 text NOT NULL, last_written timestamptz, employee_name text NOT "
                        "NULL, employee_id text NOT NULL, employee_location text NOT NULL, selections text NOT NULL, "
                        "body_part_scores smallint[] NOT NULL, posture_a_left smallint NOT NULL, posture_a_right "
                        "smallint NOT NULL, posture_b smallint NOT NULL, score_c_left smallint NOT NULL, "
                        "score_c_right smallint NOT NULL, score_d smallint NOT NULL, grand_left smallint NOT NULL, "
                        "grand_right smallint NOT NULL, level_left smallint, level_right smallint, evidence jsonb) "
                        "ON COMMIT DELETE ROWS");
    m_incomingMade = outcome.ok;
    if (outcome.ok)
        outcome = pqRun(*pq, connection, "BEGIN");
    if (outcome.ok)
        outcome = pqCopyIn(*pq, connection, copy.constData(), data);
    PqOutcome inserted;
    if (outcome.ok)
        outcome = inserted = pqRun(*pq, connection, insert.constData());
    if (outcome.ok)
        outcome = pqRun(*pq, connection, "COMMIT");
    if (outcome.ok) {
        *added = int(inserted.rows);
        return Stored::New;
    }
    m_error = outcome.error;
    if (!outcome.connectionLost)
        pqRun(*pq, connection, "ROLLBACK");
    return outcome.connectionLost ? Stored::Failed : Stored::Refused;
}
