// SPDX-License-Identifier: GPL-3.0-or-later
#include "Evidence.h"

#include "DurableFiles.h"
#include "EvidencePictureBytes.h"
#include "ModelText.h"
#include "OptionCatalogue.h"
#include "OutputFiles.h"
#include "PostureAngles.h"
#include "RebaEvidence.h"
#include "SqliteConnection.h"
#include "TimelineEvidence.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QVariant>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <set>
#include <sys/stat.h>

namespace {

// "TRLE" in the file header's application id: how a reader tells this program's evidence
// from any other SQLite file.
constexpr int ApplicationId = 0x54524c45;
constexpr int SchemaVersion = 6;
// Version 1 had no key frames, version 2 no planned changes (and its extra pictures no bytes),
// version 4 no suggested landmarks, version 5 no scored video; their files are read as they are.
constexpr int FirstKeyFrameVersion = 2;
constexpr int FirstPlannedChangeVersion = 3;
// Before version 4 key frames were kept as the video stored them, unturned.
constexpr int FirstKeyFrameTurnVersion = 4;
constexpr int FirstSuggestionVersion = 5;
constexpr int FirstTimelineVersion = 6;
constexpr qsizetype MaxText = 32767;
constexpr int MaxRows = 100000;
constexpr double MaxCoordinate = 1e6;
constexpr int MaxPixels = 1000000;

const char* const Tables[][2] = {
    {"schema_version", "CREATE TABLE schema_version (version INTEGER NOT NULL)"},
    {"assessment", "CREATE TABLE assessment (assessment_id TEXT NOT NULL, revision INTEGER NOT NULL, "
                   "text_sha256 TEXT NOT NULL, employee_name TEXT NOT NULL, employee_id TEXT NOT NULL, "
                   "employee_location TEXT NOT NULL, task TEXT NOT NULL, observed TEXT NOT NULL, "
                   "assessor TEXT NOT NULL, phase TEXT NOT NULL, notes TEXT NOT NULL, assessed TEXT NOT NULL)"},
    {"pictures", "CREATE TABLE pictures (picture INTEGER PRIMARY KEY, role TEXT NOT NULL, "
                 "file_name TEXT NOT NULL, sha256 TEXT NOT NULL, width INTEGER NOT NULL, "
                 "height INTEGER NOT NULL, data BLOB, facing TEXT NOT NULL, vertical_x1 REAL, vertical_y1 REAL, "
                 "vertical_x2 REAL, vertical_y2 REAL, seated INTEGER NOT NULL)"},
    {"landmarks", "CREATE TABLE landmarks (picture INTEGER NOT NULL REFERENCES pictures, side TEXT NOT NULL, "
                  "name TEXT NOT NULL, x REAL NOT NULL, y REAL NOT NULL)"},
    {"measurements", "CREATE TABLE measurements (picture INTEGER NOT NULL REFERENCES pictures, "
                     "body_part TEXT NOT NULL, angle REAL, band TEXT NOT NULL, score INTEGER NOT NULL, "
                     "applied_band TEXT NOT NULL, applied INTEGER NOT NULL)"},
    {"history", "CREATE TABLE history (revision INTEGER NOT NULL, saved_utc TEXT NOT NULL, assessor TEXT NOT NULL, "
                "program_version TEXT NOT NULL, changes TEXT NOT NULL)"},
    {"key_frames", "CREATE TABLE key_frames (picture INTEGER NOT NULL REFERENCES pictures, video_file TEXT NOT NULL, "
                   "video_sha256 TEXT NOT NULL, frame_number INTEGER NOT NULL, pts INTEGER NOT NULL, "
                   "start_pts INTEGER NOT NULL, time_base_num INTEGER NOT NULL, time_base_den INTEGER NOT NULL, "
                   "time_ms INTEGER NOT NULL, reason TEXT NOT NULL, note TEXT NOT NULL)"},
    {"planned_changes", "CREATE TABLE planned_changes (position INTEGER NOT NULL, option TEXT NOT NULL, "
                        "kind TEXT NOT NULL, planned_on_revision INTEGER NOT NULL)"},
    {"key_frame_turns", "CREATE TABLE key_frame_turns (picture INTEGER NOT NULL REFERENCES pictures, "
                        "rotation INTEGER NOT NULL, mirrored INTEGER NOT NULL)"},
    {"landmark_suggestions",
     "CREATE TABLE landmark_suggestions (picture INTEGER NOT NULL REFERENCES pictures, side TEXT NOT NULL, "
     "name TEXT NOT NULL, suggested_x REAL NOT NULL, suggested_y REAL NOT NULL, confidence REAL NOT NULL, "
     "moved INTEGER NOT NULL)"},
};

// How many of Tables a file of version `schema` has.
std::size_t tableCountOf(qint64 schema)
{
    return schema < FirstKeyFrameVersion        ? 6
           : schema < FirstPlannedChangeVersion ? 7
           : schema < FirstKeyFrameTurnVersion  ? 8
           : schema < FirstSuggestionVersion    ? 9
                                                : std::size(Tables);
}

const QStringList& changeKinds()
{
    static const QStringList kinds{QStringLiteral("Select"), QStringLiteral("Tick"), QStringLiteral("Untick")};
    return kinds;
}

QString engineText(const QSqlError& error)
{
    return error.databaseText().isEmpty() ? error.text() : error.databaseText();
}

QString dateText(const QDateTime& when)
{
    if (!when.isValid())
        return {};
    return when.toOffsetFromUtc(when.offsetFromUtc()).toString(Qt::ISODate);
}

QString utcText(const QDateTime& when)
{
    return when.toUTC().toString(Qt::ISODate);
}

// Runs `statement` with `values` bound in order; the error in the engine's words.
QString run(QSqlDatabase& db, const QString& statement, const QVariantList& values = {})
{
    QSqlQuery query(db);
    if (!query.prepare(statement))
        return engineText(query.lastError());
    for (const QVariant& value : values) {
        // An empty text is stored as one, never as NULL.
        const bool nullText = value.metaType().id() == QMetaType::QString && value.toString().isNull();
        query.addBindValue(nullText ? QVariant(QStringLiteral("")) : value);
    }
    if (!query.exec())
        return engineText(query.lastError());
    return {};
}

QVariant nullable(const std::optional<std::pair<QPointF, QPointF>>& line, int coordinate)
{
    if (!line)
        return QVariant(QMetaType(QMetaType::Double));
    const QPointF& point = coordinate < 2 ? line->first : line->second;
    return coordinate % 2 == 0 ? point.x() : point.y();
}

QString writeTables(QSqlDatabase& db, const Evidence& evidence)
{
    for (const QString& pragma :
         {QStringLiteral("PRAGMA page_size=65536"), QStringLiteral("PRAGMA journal_mode=OFF"),
          QStringLiteral("PRAGMA synchronous=OFF"), QStringLiteral("PRAGMA application_id=%1").arg(ApplicationId)}) {
        if (QString error = run(db, pragma); !error.isEmpty())
            return error;
    }
    if (!db.transaction())
        return engineText(db.lastError());
    for (const auto& table : Tables) {
        if (QString error = run(db, QString::fromLatin1(table[1])); !error.isEmpty())
            return error;
    }
    for (int t = 0; t < TimelineEvidence::TableCount; ++t) {
        if (QString error = run(db, QString::fromLatin1(TimelineEvidence::tables()[t].statement)); !error.isEmpty())
            return error;
    }
    QStringList errors;
    errors << run(db, QStringLiteral("INSERT INTO schema_version VALUES (?)"), {SchemaVersion});
    errors << run(db, QStringLiteral("INSERT INTO assessment VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                  {evidence.assessmentId, evidence.revision, evidence.textSha256, evidence.typed.name,
                   evidence.typed.id, evidence.typed.location, evidence.details.task,
                   dateText(evidence.details.observed), evidence.details.assessor, evidence.details.phase,
                   evidence.details.notes, dateText(evidence.assessedAt)});
    int number = 0;
    for (const EvidencePicture& picture : evidence.pictures) {
        ++number;
        errors << run(db, QStringLiteral("INSERT INTO pictures VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                      {number, picture.role, picture.fileName, picture.sha256, picture.pixelSize.width(),
                       picture.pixelSize.height(),
                       picture.bytes.isEmpty() ? QVariant(QMetaType(QMetaType::QByteArray)) : picture.bytes,
                       picture.facing, nullable(picture.vertical, 0), nullable(picture.vertical, 1),
                       nullable(picture.vertical, 2), nullable(picture.vertical, 3), int(picture.seated)});
        if (picture.bytes.isEmpty() && picture.source.size > 0)
            errors << storePictureBytes(db, number, picture);
        for (const EvidenceLandmark& landmark : picture.landmarks) {
            errors << run(db, QStringLiteral("INSERT INTO landmarks VALUES (?, ?, ?, ?, ?)"),
                          {number, landmark.side, landmark.name, landmark.at.x(), landmark.at.y()});
            if (landmark.suggestedAt)
                errors << run(db, QStringLiteral("INSERT INTO landmark_suggestions VALUES (?, ?, ?, ?, ?, ?, ?)"),
                              {number, landmark.side, landmark.name, landmark.suggestedAt->x(),
                               landmark.suggestedAt->y(), landmark.confidence, int(landmark.moved)});
        }
        for (const EvidenceMeasurement& measured : picture.measurements)
            errors << run(db, QStringLiteral("INSERT INTO measurements VALUES (?, ?, ?, ?, ?, ?, ?)"),
                          {number, measured.bodyPart,
                           measured.angle ? QVariant(*measured.angle) : QVariant(QMetaType(QMetaType::Double)),
                           measured.band, measured.score, measured.appliedBand, int(measured.applied)});
        if (const std::optional<KeyFrame>& frame = picture.keyFrame) {
            errors << run(db, QStringLiteral("INSERT INTO key_frames VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                          {number, frame->videoFile, frame->videoSha256, frame->frameNumber, frame->pts,
                           frame->startPts, frame->timeBaseNum, frame->timeBaseDen, frame->timeMs, frame->reason,
                           frame->note});
            errors << run(db, QStringLiteral("INSERT INTO key_frame_turns VALUES (?, ?, ?)"),
                          {number, frame->rotation, int(frame->mirrored)});
        }
    }
    int position = 0;
    for (const PlannedChange& change : evidence.plannedChanges)
        errors << run(db, QStringLiteral("INSERT INTO planned_changes VALUES (?, ?, ?, ?)"),
                      {++position, change.option, change.kind, change.plannedOnRevision});
    errors << RebaEvidence::write(db, evidence.reba);
    errors << TimelineEvidence::write(db, evidence.timeline);
    for (const EvidenceRevision& entry : evidence.history)
        errors << run(db, QStringLiteral("INSERT INTO history VALUES (?, ?, ?, ?, ?)"),
                      {entry.revision, utcText(entry.savedUtc), entry.assessor, entry.programVersion, entry.changes});
    errors.removeAll(QString());
    if (!errors.isEmpty())
        return errors.first();
    if (!db.commit())
        return engineText(db.lastError());
    return {};
}

// ---- reading -------------------------------------------------------------------------------

// Why a file was not used, in the words the assessor reads.
struct Refusal
{
    QString why;
};

QString notUsed(const QString& why)
{
    return QStringLiteral("The evidence file %1; it was not used.").arg(why);
}

bool isText(const QVariant& value)
{
    return value.metaType().id() == QMetaType::QString;
}

bool isInteger(const QVariant& value)
{
    return value.metaType().id() == QMetaType::LongLong || value.metaType().id() == QMetaType::Int;
}

bool isNumber(const QVariant& value)
{
    return isInteger(value) || value.metaType().id() == QMetaType::Double;
}

// A text as the writer stores it: no control characters (a line break only in the changes
// of a revision), within the length limit.
QString checkedText(const QVariant& value, const char* column, bool lineBreaks = false)
{
    if (!isText(value))
        throw Refusal{QStringLiteral("is damaged (%1 is not a text)").arg(QLatin1String(column))};
    const QString text = value.toString();
    if (text.size() > MaxText * 4)
        throw Refusal{QStringLiteral("is damaged (%1 is too long)").arg(QLatin1String(column))};
    for (QChar c : text) {
        if (c.category() == QChar::Other_Control && !(lineBreaks && c == QLatin1Char('\n')))
            throw Refusal{QStringLiteral("is damaged (%1 holds control characters)").arg(QLatin1String(column))};
    }
    return text;
}

qint64 checkedInteger(const QVariant& value, const char* column, qint64 lowest, qint64 highest)
{
    if (!isInteger(value) || value.toLongLong() < lowest || value.toLongLong() > highest)
        throw Refusal{QStringLiteral("is damaged (%1 is out of range)").arg(QLatin1String(column))};
    return value.toLongLong();
}

double checkedNumber(const QVariant& value, const char* column, double limit)
{
    const double number = value.toDouble();
    if (!isNumber(value) || !std::isfinite(number) || std::abs(number) > limit)
        throw Refusal{QStringLiteral("is damaged (%1 is out of range)").arg(QLatin1String(column))};
    return number;
}

QDateTime checkedDate(const QVariant& value, const char* column, bool mayBeEmpty)
{
    const QString text = checkedText(value, column);
    if (text.isEmpty() && mayBeEmpty)
        return {};
    const QDateTime when = QDateTime::fromString(text, Qt::ISODate);
    if (!when.isValid())
        throw Refusal{QStringLiteral("is damaged (%1 is not a date)").arg(QLatin1String(column))};
    return when;
}

QString checkedChoice(const QVariant& value, const char* column, const QStringList& choices)
{
    const QString text = checkedText(value, column);
    if (!choices.contains(text))
        throw Refusal{QStringLiteral("is damaged (%1 \"%2\" is unknown)").arg(QLatin1String(column), text)};
    return text;
}

bool isHash(const QString& text)
{
    if (text.size() != 64)
        return false;
    for (QChar c : text) {
        if (!((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('a') && c <= QLatin1Char('f'))))
            return false;
    }
    return true;
}

// A picture's own file name: shown, never opened, and still refused when it names a folder.
bool isPlainFileName(const QString& name)
{
    return !name.isEmpty() && name.size() <= 255 && !name.contains(QLatin1Char('/')) &&
           !name.contains(QLatin1Char('\\')) && name != QLatin1String(".") && name != QLatin1String("..");
}

QStringList bodyPartNames()
{
    QStringList names;
    for (const rula::BodyPartInfo& info : rula::bodyParts())
        names << modelText(info.name);
    return names;
}

QStringList landmarkNames()
{
    QStringList names;
    for (int l = 0; l < rula::LandmarkCount; ++l)
        names << modelText(rula::landmarkName(rula::Landmark(l)));
    return names;
}

QStringList bandNames()
{
    QStringList names{QString()};
    for (const rula::OptionInfo& option : rula::options())
        names << modelText(option.panel);
    return names;
}

// Every row of `table`, its columns checked against the writer's.
std::vector<QVariantList> rowsOf(QSqlDatabase& db, const char* table, int columns)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT * FROM %1").arg(QLatin1String(table))))
        throw Refusal{QStringLiteral("is damaged (%1)").arg(engineText(query.lastError()))};
    std::vector<QVariantList> rows;
    while (query.next()) {
        if (rows.size() >= std::size_t(MaxRows))
            throw Refusal{QStringLiteral("has too many rows in %1").arg(QLatin1String(table))};
        QVariantList row;
        for (int i = 0; i < columns; ++i)
            row << query.value(i);
        rows.push_back(row);
    }
    if (query.lastError().isValid())
        throw Refusal{QStringLiteral("is damaged (%1)").arg(engineText(query.lastError()))};
    return rows;
}

QVariant single(QSqlDatabase& db, const QString& statement)
{
    QSqlQuery query(db);
    if (!query.exec(statement) || !query.next())
        throw Refusal{QStringLiteral("is damaged (%1)").arg(engineText(query.lastError()))};
    return query.value(0);
}

// The version of the file's format, with exactly that version's tables, each with exactly
// its statement.
int checkSchema(QSqlDatabase& db)
{
    if (single(db, QStringLiteral("PRAGMA application_id")).toInt() != ApplicationId)
        throw Refusal{QStringLiteral("is not an evidence file of this program")};
    const QString versionTables = QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = "
                                                 "'schema_version'");
    if (single(db, versionTables).toInt() != 1)
        throw Refusal{QStringLiteral("is not an evidence file of this program")};
    const std::vector<QVariantList> version = rowsOf(db, "schema_version", 1);
    if (version.size() != 1 || !isInteger(version[0][0]))
        throw Refusal{QStringLiteral("is damaged (no version)")};
    const qint64 schema = version[0][0].toLongLong();
    if (schema < 1 || schema > SchemaVersion)
        throw Refusal{QStringLiteral("was written in version %1 of its format, which this program cannot read")
                          .arg(version[0][0].toLongLong())};
    const std::size_t tableCount = tableCountOf(schema);
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT type, name, sql FROM sqlite_master")))
        throw Refusal{QStringLiteral("is damaged (%1)").arg(engineText(query.lastError()))};
    std::set<QString> seen;
    while (query.next()) {
        const QString name = query.value(1).toString();
        if (RebaEvidence::isRebaTable(query.value(0).toString(), name, query.value(2).toString()))
            continue; // REBA's own table, read on its own
        const bool isTable = query.value(0).toString() == QLatin1String("table");
        bool known = false;
        for (std::size_t t = 0; t < tableCount; ++t)
            known = known || (name == QLatin1String(Tables[t][0]) && isTable &&
                              query.value(2).toString() == QLatin1String(Tables[t][1]));
        for (int t = 0; schema >= FirstTimelineVersion && t < TimelineEvidence::TableCount; ++t)
            known = known || (name == QLatin1String(TimelineEvidence::tables()[t].name) && isTable &&
                              query.value(2).toString() == QLatin1String(TimelineEvidence::tables()[t].statement));
        if (!known)
            throw Refusal{QStringLiteral("is damaged (unexpected %1 \"%2\")").arg(query.value(0).toString(), name)};
        seen.insert(name);
    }
    if (seen.size() != tableCount + (schema >= FirstTimelineVersion ? TimelineEvidence::TableCount : 0))
        throw Refusal{QStringLiteral("is damaged (a table is missing)")};
    return int(schema);
}

// The pictures table with each picture's bytes stood in for by one byte, so that no reader takes
// them whole: SQLite answers typeof() and length() of a value from its header.
QByteArray picturesWithoutBytes(QSqlDatabase& db)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA table_info(pictures)")))
        throw Refusal{QStringLiteral("is damaged (%1)").arg(engineText(query.lastError()))};
    QStringList columns;
    while (query.next()) {
        const QString name = query.value(1).toString();
        columns << (name == QLatin1String("data")
                        ? QStringLiteral(
                              "CASE WHEN typeof(data) = 'blob' AND length(data) > 0 THEN x'00' ELSE data END")
                        : QLatin1Char('"') + name + QLatin1Char('"'));
    }
    return QStringLiteral("(SELECT %1 FROM pictures)").arg(columns.join(QStringLiteral(", "))).toUtf8();
}

Evidence readTables(QSqlDatabase& db, const QString& textSha256, PictureBytes pictureBytes)
{
    const int schema = checkSchema(db);
    // Without the pictures' bytes, the pictures' pages are not checked either: checking walks
    // every page of every picture. A damaged page of the rows read still fails their query.
    QStringList checked{QString()};
    if (pictureBytes == PictureBytes::Left) {
        checked.clear();
        QSqlQuery tables(db);
        if (!tables.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name <> 'pictures'")))
            throw Refusal{QStringLiteral("is damaged (%1)").arg(engineText(tables.lastError()))};
        while (tables.next())
            checked << QStringLiteral("(\"%1\")").arg(tables.value(0).toString());
    }
    for (const QString& table : checked) {
        const QVariant check = single(db, QStringLiteral("PRAGMA quick_check") + table);
        if (check.toString() != QLatin1String("ok"))
            throw Refusal{QStringLiteral("is damaged (%1)").arg(check.toString().left(200))};
    }

    Evidence evidence;
    const std::vector<QVariantList> assessment = rowsOf(db, "assessment", 12);
    if (assessment.size() != 1)
        throw Refusal{QStringLiteral("is damaged (it describes %1 assessments)").arg(assessment.size())};
    const QVariantList& a = assessment[0];
    evidence.textSha256 = checkedText(a[2], "text_sha256");
    if (!isHash(evidence.textSha256))
        throw Refusal{QStringLiteral("is damaged (text_sha256 is not a SHA-256)")};
    if (evidence.textSha256 != textSha256)
        throw Refusal{QStringLiteral("belongs to another version of this assessment")};
    evidence.assessmentId = checkedText(a[0], "assessment_id");
    if (evidence.assessmentId.isEmpty() || evidence.assessmentId.size() > 64)
        throw Refusal{QStringLiteral("is damaged (assessment_id)")};
    evidence.revision = int(checkedInteger(a[1], "revision", 1, MaxRows));
    evidence.typed = {checkedText(a[3], "employee_name"), checkedText(a[4], "employee_id"),
                      checkedText(a[5], "employee_location")};
    evidence.details.task = checkedText(a[6], "task");
    evidence.details.observed = checkedDate(a[7], "observed", true);
    evidence.details.assessor = checkedText(a[8], "assessor");
    evidence.details.phase = checkedChoice(a[9], "phase", QStringList{QString()} + assessmentPhases());
    evidence.details.notes = checkedText(a[10], "notes");
    evidence.assessedAt = checkedDate(a[11], "assessed", true);

    const QStringList roles{QStringLiteral("workplace"), QStringLiteral("extra"), QStringLiteral("keyframe")};
    std::map<qint64, std::size_t> pictureIndex;
    const QStringList sides{QStringLiteral("Right"), QStringLiteral("Left")};
    // No picture is taken whole: read, each is laid out as a file a part at a time.
    const QByteArray pictureTable = picturesWithoutBytes(db);
    for (const QVariantList& row : rowsOf(db, pictureTable.constData(), 13)) {
        EvidencePicture picture;
        const qint64 number = checkedInteger(row[0], "picture", 1, MaxRows);
        picture.role = checkedChoice(row[1], "role", roles);
        picture.fileName = checkedText(row[2], "file_name");
        if (!isPlainFileName(picture.fileName))
            throw Refusal{QStringLiteral("is damaged (file_name is not a file name)")};
        picture.sha256 = checkedText(row[3], "sha256");
        if (!isHash(picture.sha256))
            throw Refusal{QStringLiteral("is damaged (sha256 is not a SHA-256)")};
        picture.pixelSize = QSize(int(checkedInteger(row[4], "width", 1, MaxPixels)),
                                  int(checkedInteger(row[5], "height", 1, MaxPixels)));
        if (!row[6].isNull()) {
            if (row[6].metaType().id() != QMetaType::QByteArray)
                throw Refusal{QStringLiteral("is damaged (data is not a picture)")};
            if (!row[6].toByteArray().isEmpty() && pictureBytes == PictureBytes::Read) {
                LaidOutPicture laid = layOutPicture(db, number, picture.fileName, picture.sha256);
                if (!laid.error.isEmpty())
                    throw Refusal{QStringLiteral("cannot be read (the picture \"%1\" cannot be laid out: %2)")
                                      .arg(picture.fileName, laid.error)};
                if (!laid.matches)
                    throw Refusal{QStringLiteral("is damaged (the picture \"%1\" does not match its SHA-256)")
                                      .arg(picture.fileName)};
                picture.source = std::move(laid.source);
            }
        }
        picture.facing = checkedChoice(row[7], "facing", QStringList{QString()} + sides);
        if (!row[8].isNull() || !row[9].isNull() || !row[10].isNull() || !row[11].isNull())
            picture.vertical = std::make_pair(QPointF(checkedNumber(row[8], "vertical_x1", MaxCoordinate),
                                                      checkedNumber(row[9], "vertical_y1", MaxCoordinate)),
                                              QPointF(checkedNumber(row[10], "vertical_x2", MaxCoordinate),
                                                      checkedNumber(row[11], "vertical_y2", MaxCoordinate)));
        picture.seated = checkedInteger(row[12], "seated", 0, 1) != 0;
        if (picture.role != QLatin1String("extra") && row[6].toByteArray().isEmpty())
            throw Refusal{QStringLiteral("is damaged (the %1 picture has no data)").arg(picture.role)};
        if (pictureIndex.count(number))
            throw Refusal{QStringLiteral("is damaged (picture %1 twice)").arg(number)};
        pictureIndex[number] = evidence.pictures.size();
        evidence.pictures.push_back(picture);
    }
    auto pictureOf = [&](const QVariant& value) -> EvidencePicture& {
        const auto found = pictureIndex.find(checkedInteger(value, "picture", 1, MaxRows));
        if (found == pictureIndex.end())
            throw Refusal{QStringLiteral("is damaged (a row names a picture it does not hold)")};
        return evidence.pictures[found->second];
    };
    for (const QVariantList& row : rowsOf(db, "landmarks", 5)) {
        EvidenceLandmark landmark;
        landmark.side = checkedChoice(row[1], "side", sides);
        landmark.name = checkedChoice(row[2], "name", landmarkNames());
        landmark.at = QPointF(checkedNumber(row[3], "x", MaxCoordinate), checkedNumber(row[4], "y", MaxCoordinate));
        pictureOf(row[0]).landmarks.push_back(landmark);
    }
    if (schema >= FirstSuggestionVersion) {
        for (const QVariantList& row : rowsOf(db, "landmark_suggestions", 7)) {
            EvidencePicture& picture = pictureOf(row[0]);
            const QString side = checkedChoice(row[1], "side", sides);
            const QString name = checkedChoice(row[2], "name", landmarkNames());
            const auto found = std::find_if(picture.landmarks.begin(), picture.landmarks.end(),
                                            [&](const auto& l) { return l.side == side && l.name == name; });
            if (found == picture.landmarks.end() || found->suggestedAt)
                throw Refusal{QStringLiteral("is damaged (a suggestion names no landmark, or one twice)")};
            found->suggestedAt = QPointF(checkedNumber(row[3], "suggested_x", MaxCoordinate),
                                         checkedNumber(row[4], "suggested_y", MaxCoordinate));
            found->confidence = checkedNumber(row[5], "confidence", 1);
            if (found->confidence < 0)
                throw Refusal{QStringLiteral("is damaged (confidence is out of range)")};
            found->moved = checkedInteger(row[6], "moved", 0, 1) != 0;
        }
    }
    const QStringList parts = bodyPartNames();
    const QStringList bands = bandNames();
    for (const QVariantList& row : rowsOf(db, "measurements", 7)) {
        EvidenceMeasurement measured;
        measured.bodyPart = checkedChoice(row[1], "body_part", parts);
        if (!row[2].isNull())
            measured.angle = checkedNumber(row[2], "angle", 360);
        measured.band = checkedChoice(row[3], "band", bands);
        measured.score = int(checkedInteger(row[4], "score", 0, 9));
        measured.appliedBand = checkedChoice(row[5], "applied_band", bands);
        measured.applied = checkedInteger(row[6], "applied", 0, 1) != 0;
        pictureOf(row[0]).measurements.push_back(measured);
    }
    if (schema >= FirstKeyFrameVersion) {
        for (const QVariantList& row : rowsOf(db, "key_frames", 11)) {
            EvidencePicture& picture = pictureOf(row[0]);
            if (picture.role != QLatin1String("keyframe") || picture.keyFrame)
                throw Refusal{QStringLiteral("is damaged (a key frame row names a picture that is none, or twice)")};
            KeyFrame frame;
            frame.videoFile = checkedText(row[1], "video_file");
            if (!isPlainFileName(frame.videoFile))
                throw Refusal{QStringLiteral("is damaged (video_file is not a file name)")};
            frame.videoSha256 = checkedText(row[2], "video_sha256");
            if (!isHash(frame.videoSha256))
                throw Refusal{QStringLiteral("is damaged (video_sha256 is not a SHA-256)")};
            const qint64 limit = std::numeric_limits<qint64>::max();
            frame.frameNumber = int(checkedInteger(row[3], "frame_number", 0, std::numeric_limits<int>::max()));
            frame.pts = checkedInteger(row[4], "pts", -limit, limit);
            frame.startPts = checkedInteger(row[5], "start_pts", -limit, limit);
            frame.timeBaseNum = int(checkedInteger(row[6], "time_base_num", 1, std::numeric_limits<int>::max()));
            frame.timeBaseDen = int(checkedInteger(row[7], "time_base_den", 1, std::numeric_limits<int>::max()));
            frame.timeMs = checkedInteger(row[8], "time_ms", 0, limit);
            frame.reason = checkedChoice(row[9], "reason", keyFrameReasons());
            frame.note = checkedText(row[10], "note");
            picture.keyFrame = frame;
        }
    }
    for (const EvidencePicture& picture : evidence.pictures) {
        if (picture.role == QLatin1String("keyframe") && !picture.keyFrame)
            throw Refusal{QStringLiteral("is damaged (the key frame \"%1\" names no frame)").arg(picture.fileName)};
    }
    if (schema >= FirstKeyFrameTurnVersion) {
        std::set<const EvidencePicture*> turned;
        for (const QVariantList& row : rowsOf(db, "key_frame_turns", 3)) {
            EvidencePicture& picture = pictureOf(row[0]);
            if (!picture.keyFrame || !turned.insert(&picture).second)
                throw Refusal{QStringLiteral("is damaged (a key frame turn names a picture that is none, or twice)")};
            const qint64 rotation = checkedInteger(row[1], "rotation", 0, 270);
            if (rotation % 90 != 0)
                throw Refusal{QStringLiteral("is damaged (rotation is not a quarter turn)")};
            picture.keyFrame->rotation = int(rotation);
            picture.keyFrame->mirrored = checkedInteger(row[2], "mirrored", 0, 1) != 0;
        }
        for (const EvidencePicture& picture : evidence.pictures) {
            if (picture.keyFrame && !turned.count(&picture))
                throw Refusal{QStringLiteral("is damaged (the key frame \"%1\" has no turn)").arg(picture.fileName)};
        }
    }
    for (const QVariantList& row : rowsOf(db, "history", 5)) {
        EvidenceRevision entry;
        entry.revision = int(checkedInteger(row[0], "revision", 1, MaxRows));
        entry.savedUtc = checkedDate(row[1], "saved_utc", false);
        entry.assessor = checkedText(row[2], "assessor");
        entry.programVersion = checkedText(row[3], "program_version");
        entry.changes = checkedText(row[4], "changes", true);
        if (entry.revision != int(evidence.history.size()) + 1)
            throw Refusal{QStringLiteral("is damaged (the history skips a revision)")};
        evidence.history.push_back(entry);
    }
    if (int(evidence.history.size()) != evidence.revision)
        throw Refusal{QStringLiteral("is damaged (the history does not end at revision %1)").arg(evidence.revision)};
    if (schema >= FirstPlannedChangeVersion) {
        const QStringList options = bandNames().mid(1);
        for (const QVariantList& row : rowsOf(db, "planned_changes", 4)) {
            if (checkedInteger(row[0], "position", 1, MaxRows) != qint64(evidence.plannedChanges.size()) + 1)
                throw Refusal{QStringLiteral("is damaged (the planned changes skip a position)")};
            PlannedChange change;
            change.option = checkedChoice(row[1], "option", options);
            change.kind = checkedChoice(row[2], "kind", changeKinds());
            change.plannedOnRevision = int(checkedInteger(row[3], "planned_on_revision", 1, evidence.revision));
            evidence.plannedChanges.push_back(change);
        }
    }
    if (QString why = RebaEvidence::read(db, evidence.reba); !why.isEmpty())
        throw Refusal{why};
    if (schema >= FirstTimelineVersion) {
        if (QString why = TimelineEvidence::read(db, evidence.timeline); !why.isEmpty())
            throw Refusal{why};
    }
    return evidence;
}

// The first bytes of every SQLite file, and the two bytes that say it keeps its journal
// beside it rather than in a write-ahead log (which a reader would have to create).
// Why the file's header is not one this program writes, or an empty text.
QString headerRefusal(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot be read (%1)").arg(file.errorString());
    const QByteArray header = file.read(20);
    if (header.size() != 20 || !header.startsWith(QByteArrayView("SQLite format 3\0", 16)))
        return QStringLiteral("is not an evidence file of this program");
    if (header[18] == 2 || header[19] == 2)
        return QStringLiteral("is in write-ahead log (WAL) mode, which this program never writes and does not read");
    if (header[18] != 1 || header[19] != 1)
        return QStringLiteral("is not an evidence file of this program");
    return {};
}

} // namespace

const QStringList& assessmentPhases()
{
    static const QStringList phases{QStringLiteral("Baseline"), QStringLiteral("After change"),
                                    QStringLiteral("Follow-up"), QStringLiteral("Other")};
    return phases;
}

const EvidencePicture* Evidence::workplacePicture() const
{
    for (const EvidencePicture& picture : pictures) {
        if (picture.role == QLatin1String("workplace"))
            return &picture;
    }
    return nullptr;
}

QString sha256Hex(QByteArrayView bytes)
{
    Sha256Stream hash;
    hash.add(bytes);
    return hash.hex();
}

QString writeEvidence(const QString& path, const Evidence& evidence)
{
    if (!SqliteConnection::driverAvailable())
        return QStringLiteral("The database driver QSQLITE is not available");
    SqliteConnection connection(QStringLiteral("talvo-evidence"));
    QSqlDatabase& db = connection.database();
    db.setDatabaseName(path);
    if (!db.open())
        return engineText(db.lastError());
    return writeTables(db, evidence);
}

EvidenceReading readEvidence(const QString& path, const QString& textSha256, PictureBytes pictureBytes)
{
    EvidenceReading reading;
    struct stat info;
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0) {
        reading.error = notUsed(QStringLiteral("cannot be read (%1)").arg(qt_error_string(errno)));
        return reading;
    }
    if (!S_ISREG(info.st_mode)) {
        reading.error = notUsed(QStringLiteral("is not a plain file"));
        return reading;
    }
    if (info.st_size > MaxEvidenceBytes) {
        reading.error = notUsed(QStringLiteral("is larger than %1 MB").arg(MaxEvidenceBytes >> 20));
        return reading;
    }
    if (const QString refusal = headerRefusal(path); !refusal.isEmpty()) {
        reading.error = notUsed(refusal);
        return reading;
    }
    SqliteConnection connection(QStringLiteral("talvo-evidence"));
    QSqlDatabase& db = connection.database();
    // Read-only and unchangeable: no journal beside it is looked for or rolled back, no
    // lock file is made.
    QUrl address = QUrl::fromLocalFile(path);
    address.setQuery(QStringLiteral("immutable=1"));
    db.setDatabaseName(address.toString(QUrl::FullyEncoded));
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI"));
    if (!db.open()) {
        reading.error = notUsed(QStringLiteral("cannot be opened (%1)").arg(engineText(db.lastError())));
        return reading;
    }
    try {
        reading.evidence = readTables(db, textSha256, pictureBytes);
        reading.ok = true;
    } catch (const Refusal& refusal) {
        reading.error = notUsed(refusal.why);
    }
    return reading;
}

EvidenceOfFile evidenceOfTextFile(const QString& textPath, PictureBytes pictureBytes)
{
    EvidenceOfFile found;
    found.path = OutputFiles::evidencePath(textPath);
    found.present = DurableFiles::entryExists(found.path);
    if (!found.present)
        return found;
    QFile text(textPath);
    if (!text.open(QIODevice::ReadOnly)) {
        found.error = notUsed(QStringLiteral("cannot be checked (%1)").arg(text.errorString()));
        return found;
    }
    EvidenceReading reading = readEvidence(found.path, sha256Hex(text.readAll()), pictureBytes);
    found.ok = reading.ok;
    found.error = reading.error;
    found.evidence = std::move(reading.evidence);
    return found;
}

void completeRecord(AssessmentRecord& record, const Evidence& evidence)
{
    record.typed = evidence.typed;
    record.details = evidence.details;
    record.assessmentId = evidence.assessmentId;
    record.history = evidence.history;
    record.reba = evidence.reba;
    if (evidence.assessedAt.isValid())
        record.assessedAt = evidence.assessedAt;
}

namespace {

QString panelOf(int optionIndex)
{
    return optionIndex < 0 ? QString() : modelText(rula::options()[std::size_t(optionIndex)].panel);
}

QString sideName(rula::Side side)
{
    return side == rula::Side::Left ? QStringLiteral("Left") : QStringLiteral("Right");
}

QString facingName(rula::Facing facing)
{
    switch (facing) {
    case rula::Facing::Left:
        return QStringLiteral("Left");
    case rula::Facing::Right:
        return QStringLiteral("Right");
    case rula::Facing::Unset:
        break;
    }
    return QString();
}

} // namespace

void putMeasurements(EvidencePicture& picture, const rula::PictureMeasurements& sheet)
{
    picture.facing = facingName(sheet.facing);
    if (sheet.verticalReference) {
        const auto& line = *sheet.verticalReference;
        picture.vertical = std::make_pair(QPointF(line[0].x, line[0].y), QPointF(line[1].x, line[1].y));
    }
    picture.seated = sheet.seatedSupported;
    for (rula::Side side : {rula::Side::Right, rula::Side::Left}) {
        for (int l = 0; l < rula::LandmarkCount; ++l) {
            const std::optional<rula::Point>& at = sheet.side(side)[rula::Landmark(l)];
            if (!at)
                continue;
            EvidenceLandmark landmark;
            landmark.side = sideName(side);
            landmark.name = modelText(rula::landmarkName(rula::Landmark(l)));
            landmark.at = QPointF(at->x, at->y);
            if (const std::optional<rula::Suggestion>& suggested = sheet.side(side).suggested[std::size_t(l)]) {
                landmark.suggestedAt = QPointF(suggested->at.x, suggested->at.y);
                landmark.confidence = suggested->confidence;
                landmark.moved = !sheet.side(side).asSuggested(rula::Landmark(l));
            }
            picture.landmarks.push_back(landmark);
        }
    }
    for (const rula::BodyPartInfo& info : rula::bodyParts()) {
        const rula::Reading reading = rula::readPart(sheet, info.part);
        const std::optional<int>& applied = sheet.applied(info.part);
        if (!reading.angle && !applied)
            continue;
        EvidenceMeasurement measured;
        measured.bodyPart = modelText(info.name);
        measured.angle = reading.angle;
        measured.band = panelOf(reading.optionIndex);
        measured.score = reading.optionIndex < 0 ? 0 : rula::options()[std::size_t(reading.optionIndex)].value;
        measured.appliedBand = applied ? panelOf(*applied) : QString();
        measured.applied = reading.state == rula::PartState::Applied;
        picture.measurements.push_back(measured);
    }
}

rula::PictureMeasurements measurementsOf(const EvidencePicture& picture, const std::string& file)
{
    rula::PictureMeasurements sheet;
    sheet.pictureFile = file;
    sheet.facing = picture.facing == QLatin1String("Left")    ? rula::Facing::Left
                   : picture.facing == QLatin1String("Right") ? rula::Facing::Right
                                                              : rula::Facing::Unset;
    if (picture.vertical)
        sheet.verticalReference =
            std::array<rula::Point, 2>{rula::Point{picture.vertical->first.x(), picture.vertical->first.y()},
                                       rula::Point{picture.vertical->second.x(), picture.vertical->second.y()}};
    sheet.seatedSupported = picture.seated;
    for (const EvidenceLandmark& landmark : picture.landmarks) {
        const rula::Side side = landmark.side == QLatin1String("Left") ? rula::Side::Left : rula::Side::Right;
        for (int l = 0; l < rula::LandmarkCount; ++l) {
            if (landmark.name != modelText(rula::landmarkName(rula::Landmark(l))))
                continue;
            sheet.side(side)[rula::Landmark(l)] = rula::Point{landmark.at.x(), landmark.at.y()};
            if (landmark.suggestedAt)
                sheet.side(side).suggested[std::size_t(l)] = rula::Suggestion{
                    rula::Point{landmark.suggestedAt->x(), landmark.suggestedAt->y()}, landmark.confidence};
        }
    }
    for (const EvidenceMeasurement& measured : picture.measurements) {
        for (const rula::BodyPartInfo& info : rula::bodyParts()) {
            const int option = rula::optionIndexOfPanel(measured.appliedBand.toStdString());
            if (measured.bodyPart == modelText(info.name) && option >= 0)
                sheet.applied(info.part) = option;
        }
    }
    return sheet;
}

PictureCopy copyOfPicture(const EvidencePicture& picture)
{
    // Read from an evidence file, it was laid out when it was checked.
    if (picture.source.folder)
        return {picture.source.folder, picture.source.file};
    PictureCopy copy;
    copy.folder = std::make_shared<QTemporaryDir>();
    const QString path = copy.folder->filePath(picture.fileName);
    if (copy.folder->isValid() && DurableFiles::writeNewFileAs(path, picture.bytes, false).isEmpty())
        copy.path = path;
    return copy;
}

KeyFrame keyFrameOf(const EvidencePicture& picture, const QString& file)
{
    KeyFrame frame = picture.keyFrame.value_or(KeyFrame{});
    frame.pictureFile = file;
    frame.measurements = measurementsOf(picture, file.toStdString());
    return frame;
}

EvidencePicture keyFramePicture(const KeyFrame& frame, const QByteArray& bytes, const QSize& pixelSize)
{
    EvidencePicture picture;
    picture.role = QStringLiteral("keyframe");
    picture.fileName = QFileInfo(frame.pictureFile).fileName();
    picture.bytes = bytes;
    picture.sha256 = sha256Hex(bytes);
    picture.pixelSize = pixelSize;
    putMeasurements(picture, frame.measurements);
    KeyFrame kept = frame;
    kept.pictureFile.clear();
    kept.measurements = {};
    picture.keyFrame = kept;
    return picture;
}

std::vector<PlannedChange> keptChanges(const std::vector<rula::SingleChange>& changes, int revision)
{
    std::vector<PlannedChange> kept;
    kept.reserve(changes.size());
    for (const rula::SingleChange& change : changes)
        kept.push_back({modelText(rula::options()[std::size_t(change.optionIndex)].panel),
                        changeKinds().at(int(change.kind)), revision});
    return kept;
}

std::vector<rula::SingleChange> plannedChangesOf(const Evidence& evidence, const AssessmentRecord& record)
{
    const std::vector<rula::SingleChange> possible = rula::singleChanges(record.assessment, record.results);
    std::vector<rula::SingleChange> planned;
    for (const PlannedChange& kept : evidence.plannedChanges) {
        const int option = rula::optionIndexOfPanel(kept.option.toStdString());
        const auto kind = rula::ChangeKind(changeKinds().indexOf(kept.kind));
        for (const rula::SingleChange& change : possible) {
            if (change.optionIndex == option && change.kind == kind)
                planned.push_back(change);
        }
    }
    return planned;
}
