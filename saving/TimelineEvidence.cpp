// SPDX-License-Identifier: GPL-3.0-or-later
#include "TimelineEvidence.h"

#include "ActionLevels.h"
#include "ModelText.h"
#include "OptionCatalogue.h"

#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <set>
#include <tuple>

namespace TimelineEvidence {

namespace {

const Table Tables[TableCount] = {
    {"video_timeline", "CREATE TABLE video_timeline (video_file TEXT NOT NULL, video_sha256 TEXT NOT NULL, "
                       "duration_s REAL NOT NULL, samples_per_second INTEGER NOT NULL, defaulted TEXT NOT NULL, "
                       "complete INTEGER NOT NULL)"},
    {"video_samples", "CREATE TABLE video_samples (sample INTEGER NOT NULL, frame INTEGER NOT NULL, "
                      "time_s REAL NOT NULL, found INTEGER NOT NULL, facing TEXT NOT NULL)"},
    {"video_sample_sides", "CREATE TABLE video_sample_sides (sample INTEGER NOT NULL, side TEXT NOT NULL, "
                           "confidence REAL NOT NULL, grand INTEGER, action_level INTEGER)"},
    {"video_sample_parts", "CREATE TABLE video_sample_parts (sample INTEGER NOT NULL, side TEXT NOT NULL, "
                           "part TEXT NOT NULL, angle REAL, band INTEGER NOT NULL, score INTEGER NOT NULL, "
                           "confidence REAL NOT NULL)"},
    {"video_sample_landmarks", "CREATE TABLE video_sample_landmarks (sample INTEGER NOT NULL, side TEXT NOT NULL, "
                               "name TEXT NOT NULL, x REAL NOT NULL, y REAL NOT NULL, confidence REAL NOT NULL)"},
};

// Two hours at the highest rate.
constexpr qint64 MaxSamples = qint64(25) * 2 * 60 * 60;
constexpr double MaxCoordinate = 1e6;
constexpr double MaxSeconds = 1e7;
constexpr int HighestSamplesPerSecond = 25;
constexpr rula::Side Sides[] = {rula::Side::Right, rula::Side::Left};

struct Refusal
{
    QString why;
};

[[noreturn]] void refuse(const QString& what)
{
    throw Refusal{QStringLiteral("is damaged (%1)").arg(what)};
}

QString sideText(rula::Side side)
{
    return side == rula::Side::Left ? QStringLiteral("Left") : QStringLiteral("Right");
}

QString facingText(rula::Facing facing)
{
    return facing == rula::Facing::Left    ? QStringLiteral("Left")
           : facing == rula::Facing::Right ? QStringLiteral("Right")
                                           : QString();
}

QVariant optionalNumber(const std::optional<double>& value)
{
    return value ? QVariant(*value) : QVariant(QMetaType(QMetaType::Double));
}

// One prepared INSERT, bound again for every row.
class Inserter
{
public:
    Inserter(QSqlDatabase& db, const char* table, int columns) : m_query(db)
    {
        QStringList marks;
        for (int i = 0; i < columns; ++i)
            marks << QStringLiteral("?");
        if (!m_query.prepare(
                QStringLiteral("INSERT INTO %1 VALUES (%2)").arg(QLatin1String(table), marks.join(QLatin1Char(',')))))
            m_error = m_query.lastError().text();
    }

    void insert(const QVariantList& values)
    {
        if (!m_error.isEmpty())
            return;
        for (int i = 0; i < values.size(); ++i) {
            const QVariant& value = values[i];
            const bool nullText = value.metaType().id() == QMetaType::QString && value.toString().isNull();
            m_query.bindValue(i, nullText ? QVariant(QStringLiteral("")) : value);
        }
        if (!m_query.exec())
            m_error = m_query.lastError().text();
    }

    const QString& error() const { return m_error; }

private:
    QSqlQuery m_query;
    QString m_error;
};

// ---- reading -------------------------------------------------------------------------------

bool isInteger(const QVariant& value)
{
    return value.metaType().id() == QMetaType::LongLong || value.metaType().id() == QMetaType::Int;
}

qint64 integer(const QVariant& value, const char* column, qint64 lowest, qint64 highest)
{
    if (!isInteger(value) || value.toLongLong() < lowest || value.toLongLong() > highest)
        refuse(QStringLiteral("%1 is out of range").arg(QLatin1String(column)));
    return value.toLongLong();
}

double number(const QVariant& value, const char* column, double lowest, double highest)
{
    const bool isNumber = isInteger(value) || value.metaType().id() == QMetaType::Double;
    const double n = value.toDouble();
    if (!isNumber || !std::isfinite(n) || n < lowest || n > highest)
        refuse(QStringLiteral("%1 is out of range").arg(QLatin1String(column)));
    return n;
}

QString text(const QVariant& value, const char* column)
{
    if (value.metaType().id() != QMetaType::QString || value.toString().size() > 32767)
        refuse(QStringLiteral("%1 is not a text").arg(QLatin1String(column)));
    for (QChar c : value.toString()) {
        if (c.category() == QChar::Other_Control)
            refuse(QStringLiteral("%1 holds control characters").arg(QLatin1String(column)));
    }
    return value.toString();
}

int choice(const QVariant& value, const char* column, const QStringList& choices)
{
    const qsizetype index = choices.indexOf(text(value, column));
    if (index < 0)
        refuse(QStringLiteral("%1 \"%2\" is unknown").arg(QLatin1String(column), value.toString().left(40)));
    return static_cast<int>(index);
}

// Calls `row` with each row of `table` in the order written, `columns` values each.
void forEachRow(QSqlDatabase& db, const char* table, int columns, qint64 most,
                const std::function<void(const QVariantList&)>& row)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(QLatin1String(table))))
        refuse(query.lastError().text());
    qint64 count = 0;
    QVariantList values;
    while (query.next()) {
        if (++count > most)
            throw Refusal{QStringLiteral("has too many rows in %1").arg(QLatin1String(table))};
        values.clear();
        for (int i = 0; i < columns; ++i)
            values << query.value(i);
        row(values);
    }
    if (query.lastError().isValid())
        refuse(query.lastError().text());
}

std::vector<rula::Group> defaultedGroups(const QString& written)
{
    std::vector<rula::Group> groups;
    if (written.isEmpty())
        return groups;
    for (const QString& key : written.split(QStringLiteral(", "))) {
        const std::optional<rula::Group> group = rula::groupOfKey(key.toStdString());
        if (!group || (!groups.empty() && int(*group) <= int(groups.back())))
            refuse(QStringLiteral("defaulted names \"%1\"").arg(key.left(40)));
        groups.push_back(*group);
    }
    return groups;
}

QStringList partKeys()
{
    QStringList keys;
    for (int p = 0; p < rula::ScoredPartCount; ++p)
        keys << QLatin1String(partKey(rula::ScoredPart(p)));
    return keys;
}

QStringList landmarkNames()
{
    QStringList names;
    for (int l = 0; l < rula::LandmarkCount; ++l)
        names << modelText(rula::landmarkName(rula::Landmark(l)));
    return names;
}

void readTables(QSqlDatabase& db, rula::VideoTimeline& timeline)
{
    bool described = false;
    forEachRow(db, "video_timeline", 6, 1, [&](const QVariantList& row) {
        const QString file = text(row[0], "video_file");
        if (file.isEmpty() || file.size() > 255 || file.contains(QLatin1Char('/')) || file.contains(QLatin1Char('\\')))
            refuse(QStringLiteral("video_file is not a file name"));
        timeline.videoFile = file.toStdString();
        const QString hash = text(row[1], "video_sha256");
        if (!hash.isEmpty() && (hash.size() != 64 || hash.contains(QRegularExpression(QStringLiteral("[^0-9a-f]")))))
            refuse(QStringLiteral("video_sha256 is not a SHA-256"));
        timeline.videoSha256 = hash.toStdString();
        timeline.durationSeconds = number(row[2], "duration_s", 0, MaxSeconds);
        timeline.samplesPerSecond = int(integer(row[3], "samples_per_second", 1, HighestSamplesPerSecond));
        timeline.defaulted = defaultedGroups(text(row[4], "defaulted"));
        timeline.complete = integer(row[5], "complete", 0, 1) == 1;
        described = true;
    });

    const QStringList sides{sideText(rula::Side::Right), sideText(rula::Side::Left)};
    const QStringList facings{QString(), QStringLiteral("Left"), QStringLiteral("Right")};
    forEachRow(db, "video_samples", 5, MaxSamples, [&](const QVariantList& row) {
        if (!described)
            refuse(QStringLiteral("samples of no scored video"));
        if (integer(row[0], "sample", 1, MaxSamples) != qint64(timeline.samples.size()) + 1)
            refuse(QStringLiteral("the samples skip a number"));
        rula::ScoredSample sample;
        sample.frame = int(integer(row[1], "frame", 0, std::numeric_limits<int>::max()));
        sample.timeSeconds = number(row[2], "time_s", 0, MaxSeconds);
        if (!timeline.samples.empty() &&
            (sample.frame <= timeline.samples.back().frame || sample.timeSeconds < timeline.samples.back().timeSeconds))
            refuse(QStringLiteral("the samples are not in frame order"));
        sample.landmarks.found = integer(row[3], "found", 0, 1) == 1;
        const int facing = choice(row[4], "facing", facings);
        sample.facing = facing == 1 ? rula::Facing::Left : facing == 2 ? rula::Facing::Right : rula::Facing::Unset;
        timeline.samples.push_back(sample);
    });
    const qint64 count = qint64(timeline.samples.size());
    const auto sampleOf = [&](const QVariant& value) -> rula::ScoredSample& {
        return timeline.samples[std::size_t(integer(value, "sample", 1, count) - 1)];
    };

    std::set<std::pair<qint64, int>> sidesSeen;
    forEachRow(db, "video_sample_sides", 5, count * 2, [&](const QVariantList& row) {
        rula::ScoredSample& sample = sampleOf(row[0]);
        const int side = choice(row[1], "side", sides);
        if (!sidesSeen.insert({row[0].toLongLong(), side}).second)
            refuse(QStringLiteral("a sample's side twice"));
        rula::SideScore& score = sample.sides[std::size_t(side)];
        score.confidence = number(row[2], "confidence", 0, 1);
        if (row[3].isNull() != row[4].isNull())
            refuse(QStringLiteral("a grand score without its action level, or one without the other"));
        if (row[3].isNull())
            return;
        score.scored = true;
        score.grand = int(integer(row[3], "grand", 1, 7));
        score.actionLevel = int(integer(row[4], "action_level", 1, 4));
        if (!sample.landmarks.found)
            refuse(QStringLiteral("a side scored where the worker was not found"));
        if (rula::classifyGrandScore(score.grand)->level != score.actionLevel)
            refuse(QStringLiteral("an action level is not the one its grand score gives"));
    });
    if (qint64(sidesSeen.size()) != count * 2)
        refuse(QStringLiteral("a sample's side is missing"));

    const QStringList parts = partKeys();
    std::set<std::tuple<qint64, int, int>> partsSeen;
    forEachRow(db, "video_sample_parts", 7, count * 2 * rula::ScoredPartCount, [&](const QVariantList& row) {
        rula::ScoredSample& sample = sampleOf(row[0]);
        const int side = choice(row[1], "side", sides);
        const int part = choice(row[2], "part", parts);
        if (!partsSeen.insert({row[0].toLongLong(), side, part}).second)
            refuse(QStringLiteral("a body part of a sample twice"));
        rula::PartScore& score = sample.sides[std::size_t(side)].parts[std::size_t(part)];
        if (!row[3].isNull())
            score.angle = number(row[3], "angle", -360, 360);
        score.option = int(integer(row[4], "band", 0, 9));
        score.score = int(integer(row[5], "score", 0, 9));
        score.confidence = number(row[6], "confidence", 0, 1);
        if (sample.sides[std::size_t(side)].scored && (!score.angle || score.option == 0))
            refuse(QStringLiteral("a scored side with a body part not measured"));
    });
    if (qint64(partsSeen.size()) != count * 2 * rula::ScoredPartCount)
        refuse(QStringLiteral("a body part of a sample is missing"));

    const QStringList names = landmarkNames();
    std::set<std::tuple<qint64, int, int>> landmarksSeen;
    forEachRow(db, "video_sample_landmarks", 6, count * 2 * rula::LandmarkCount, [&](const QVariantList& row) {
        rula::ScoredSample& sample = sampleOf(row[0]);
        const int side = choice(row[1], "side", sides);
        const int name = choice(row[2], "name", names);
        if (!sample.landmarks.found || !landmarksSeen.insert({row[0].toLongLong(), side, name}).second)
            refuse(QStringLiteral("a landmark where the worker was not found, or twice"));
        rula::FoundLandmark found;
        found.at = rula::Point{number(row[3], "x", -MaxCoordinate, MaxCoordinate),
                               number(row[4], "y", -MaxCoordinate, MaxCoordinate)};
        found.confidence = number(row[5], "confidence", 0, 1);
        sample.landmarks.at(Sides[side], rula::Landmark(name)) = found;
    });
}

} // namespace

const Table* tables()
{
    return Tables;
}

const char* partKey(rula::ScoredPart part)
{
    static const char* const keys[rula::ScoredPartCount] = {"upper_arm", "lower_arm", "wrist", "neck", "trunk"};
    return keys[static_cast<int>(part)];
}

QString write(QSqlDatabase& db, const rula::VideoTimeline& timeline)
{
    if (timeline.samples.empty())
        return {};
    Inserter video(db, "video_timeline", 6);
    video.insert({QString::fromStdString(timeline.videoFile).section(QLatin1Char('/'), -1),
                  QString::fromStdString(timeline.videoSha256), timeline.durationSeconds, timeline.samplesPerSecond,
                  QString::fromStdString(rula::defaultedText(timeline.defaulted)), int(timeline.complete)});
    Inserter samples(db, "video_samples", 5);
    Inserter sides(db, "video_sample_sides", 5);
    Inserter parts(db, "video_sample_parts", 7);
    Inserter landmarks(db, "video_sample_landmarks", 6);
    int number = 0;
    for (const rula::ScoredSample& sample : timeline.samples) {
        ++number;
        samples.insert(
            {number, sample.frame, sample.timeSeconds, int(sample.landmarks.found), facingText(sample.facing)});
        for (const rula::Side side : Sides) {
            const rula::SideScore& score = sample.side(side);
            const QVariant none{QMetaType(QMetaType::Int)};
            sides.insert({number, sideText(side), score.confidence, score.scored ? QVariant(score.grand) : none,
                          score.scored ? QVariant(score.actionLevel) : none});
            for (int p = 0; p < rula::ScoredPartCount; ++p) {
                const rula::PartScore& part = score.part(rula::ScoredPart(p));
                parts.insert({number, sideText(side), QLatin1String(partKey(rula::ScoredPart(p))),
                              optionalNumber(part.angle), part.option, part.score, part.confidence});
            }
            for (int l = 0; l < rula::LandmarkCount; ++l) {
                if (const std::optional<rula::FoundLandmark>& found = sample.landmarks.at(side, rula::Landmark(l)))
                    landmarks.insert({number, sideText(side), modelText(rula::landmarkName(rula::Landmark(l))),
                                      found->at.x, found->at.y, found->confidence});
            }
        }
    }
    for (const Inserter* inserter : {&video, &samples, &sides, &parts, &landmarks}) {
        if (!inserter->error().isEmpty())
            return inserter->error();
    }
    return {};
}

QString read(QSqlDatabase& db, rula::VideoTimeline& timeline)
{
    timeline = {};
    try {
        readTables(db, timeline);
    } catch (const Refusal& refusal) {
        timeline = {};
        return refusal.why;
    }
    return {};
}

} // namespace TimelineEvidence
