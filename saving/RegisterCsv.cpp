// SPDX-License-Identifier: GPL-3.0-or-later
#include "RegisterCsv.h"

#include "ModelText.h"
#include "SaveTable.h"
#include "ScoreRanges.h"
#include "ScoreRowGroup.h"

#include <array>
#include <iterator>

namespace {

struct ResultColumn
{
    const char* name;
    std::int16_t rula::ResultScores::*score;
    rula::ScoreRange range;
};

constexpr ResultColumn ResultColumns[] = {
    {"Posture Score A Left", &rula::ResultScores::PostureScoreALeft, rula::PostureScoreRange},
    {"Posture Score A Right", &rula::ResultScores::PostureScoreARight, rula::PostureScoreRange},
    {"Posture Score B", &rula::ResultScores::PostureScoreB, rula::PostureScoreRange},
    {"Score C Left", &rula::ResultScores::ScoreCLeft, rula::ScoreCDRange},
    {"Score C Right", &rula::ResultScores::ScoreCRight, rula::ScoreCDRange},
    {"Score D", &rula::ResultScores::ScoreD, rula::ScoreCDRange},
    {"Grand Score Left", &rula::ResultScores::GrandScoreLeft, rula::GrandScoreRange},
    {"Grand Score Right", &rula::ResultScores::GrandScoreRight, rula::GrandScoreRange},
};

// The action levels' columns, after the results'.
const char* const ActionLevelColumns[] = {"Action Level Left", "Action Level Right"};

// A text a spreadsheet opens as text, never as a formula to run. Spreadsheets skip leading
// blanks (any Unicode space) and read the full-width signs as the ASCII ones.
QString inert(const QString& text)
{
    static const QString formulaStarts = QStringLiteral("=+-@\uFF1D\uFF0B\uFF0D\uFF20");
    qsizetype first = 0;
    while (first < text.size() && text.at(first).isSpace())
        ++first;
    const bool formula = first < text.size() && formulaStarts.contains(text.at(first));
    const bool control = !text.isEmpty() && (text.front() == QLatin1Char('\t') || text.front() == QLatin1Char('\r'));
    return formula || control ? QLatin1Char('\'') + text : text;
}

} // namespace

namespace RegisterCsv {

namespace {

QByteArray evidenceFields(const Evidence& evidence)
{
    // Every body part measured on any picture (the photograph, each key frame), once.
    QStringList measured;
    for (const EvidencePicture& picture : evidence.pictures) {
        for (const EvidenceMeasurement& m : picture.measurements) {
            if (!measured.contains(m.bodyPart))
                measured << m.bodyPart;
        }
    }
    const ObservationDetails& details = evidence.details;
    return ',' + field(inert(details.task)) + ',' +
           details.observed.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toLatin1() + ',' +
           field(inert(details.assessor)) + ',' + field(details.phase) + ',' + field(evidence.assessmentId) + ',' +
           QByteArray::number(evidence.revision) + ',' + field(measured.join(QStringLiteral("; ")));
}

} // namespace

namespace {

// The columns before the scores: the file, the employee and when the file was last written.
QStringList leadingColumns()
{
    return {QStringLiteral("File"), QStringLiteral("Employee Name"), QStringLiteral("Employee ID"),
            QStringLiteral("Employee Location"), QStringLiteral("Last Written")};
}

} // namespace

QStringList columns()
{
    return leadingColumns() + scoreColumns() +
           QStringList{QStringLiteral("Task"),
                       QStringLiteral("Observed"),
                       QStringLiteral("Assessor"),
                       QStringLiteral("Phase"),
                       QStringLiteral("Assessment ID"),
                       QStringLiteral("Revision"),
                       QStringLiteral("Measured Body Parts")} +
           rebaColumns();
}

QStringList rebaColumns()
{
    return {QStringLiteral("REBA Score Right"), QStringLiteral("REBA Score Left"), QStringLiteral("REBA Risk Right"),
            QStringLiteral("REBA Risk Left")};
}

QList<std::optional<int>> rebaScores(const rula::reba::RebaChoices& choices)
{
    const rula::reba::RebaScores s = rula::reba::scoreReba(choices);
    auto level = [](const std::optional<int>& score) {
        return score ? std::optional<int>(rula::reba::rebaRiskLevel(*score)) : std::nullopt;
    };
    return {s.right.rebaScore, s.left.rebaScore, level(s.right.rebaScore), level(s.left.rebaScore)};
}

QList<ScoreColumn> scoreColumnsWithRanges()
{
    QList<ScoreColumn> columns;
    for (int row : SaveTable::scoreRowsInFileOrder())
        columns.append({SaveTable::labelText(row), rula::scoreRange(scoreRowGroup(row))});
    for (const ResultColumn& column : ResultColumns)
        columns.append({QString::fromLatin1(column.name), column.range});
    for (const char* level : ActionLevelColumns)
        columns.append({QString::fromLatin1(level), rula::ActionLevelRange});
    return columns;
}

QStringList scoreColumns()
{
    QStringList names;
    for (const ScoreColumn& column : scoreColumnsWithRanges())
        names << column.name;
    return names;
}

QList<std::optional<int>> scores(const AssessmentRecord& record)
{
    QList<std::optional<int>> values;
    values.reserve(int(rula::GroupCount) + int(std::size(ResultColumns)) + 2);
    for (int scoreRow : SaveTable::scoreRowsInFileOrder())
        values << int(record.assessment.score(scoreRowGroup(scoreRow)));
    for (const ResultColumn& column : ResultColumns)
        values << int(record.results.*column.score);
    values << (record.levelLeft ? std::optional<int>(record.levelLeft->level) : std::nullopt)
           << (record.levelRight ? std::optional<int>(record.levelRight->level) : std::nullopt);
    return values;
}

QByteArray header()
{
    QByteArray line;
    for (const QString& name : columns())
        line += field(name) + ',';
    line.chop(1);
    return line + "\r\n";
}

QByteArray row(const QString& path, const AssessmentRecord& record, const Evidence* evidence)
{
    const EmployeeTexts& texts = evidence ? evidence->typed : record.stored;
    QByteArray line;
    line.reserve(256);
    line += field(path) + ',' + field(inert(texts.name)) + ',' + field(inert(texts.id)) + ',' +
            field(inert(texts.location)) + ',' +
            record.assessedAt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toLatin1();
    for (const std::optional<int>& value : scores(record))
        line += ',' + (value ? QByteArray::number(*value) : QByteArray());
    line += evidence ? evidenceFields(*evidence) : QByteArray(",,,,,,,");
    // REBA: the scores as numbers, the risk levels in the method's words.
    const rula::reba::RebaScores reba = rula::reba::scoreReba(evidence ? evidence->reba : record.reba);
    for (const std::optional<int>& score : {reba.right.rebaScore, reba.left.rebaScore})
        line += ',' + (score ? QByteArray::number(*score) : QByteArray());
    for (const std::optional<int>& score : {reba.right.rebaScore, reba.left.rebaScore})
        line += ',' + (score ? field(modelText(rula::reba::rebaRiskText(*score))) : QByteArray());
    return line + "\r\n";
}

QByteArray storedRow(const QString& path, const EmployeeTexts& stored, QByteArrayView written, QByteArrayView scores)
{
    QByteArray line;
    line.reserve(256);
    line += field(path) + ',' + field(inert(stored.name)) + ',' + field(inert(stored.id)) + ',' +
            field(inert(stored.location)) + ',';
    line += written;
    line += ',';
    line += scores;
    // Every column after the scores (the evidence's and REBA's) is empty without evidence.
    static const qsizetype emptyColumns = columns().size() - leadingColumns().size() - scoreColumns().size();
    line += QByteArray(emptyColumns, ',');
    line += "\r\n";
    return line;
}

std::array<int, rula::GroupCount> scoreGroupOrder()
{
    std::array<int, rula::GroupCount> order{};
    const std::array<int, rula::GroupCount> rows = SaveTable::scoreRowsInFileOrder();
    for (std::size_t i = 0; i < rows.size(); ++i)
        order[i] = int(scoreRowGroup(rows[i]));
    return order;
}

QByteArray field(const QString& text)
{
    QByteArray bytes = text.toUtf8();
    if (!bytes.contains(',') && !bytes.contains('"') && !bytes.contains('\n') && !bytes.contains('\r'))
        return bytes;
    bytes.replace('"', "\"\"");
    return '"' + bytes + '"';
}

} // namespace RegisterCsv
