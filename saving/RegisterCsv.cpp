// SPDX-License-Identifier: GPL-3.0-or-later
#include "RegisterCsv.h"

#include "ModelText.h"
#include "SaveTable.h"
#include "ScoreRowGroup.h"

#include <array>
#include <iterator>

namespace {

struct ResultColumn
{
    const char* name;
    std::int16_t rula::ResultScores::*score;
};

constexpr ResultColumn ResultColumns[] = {
    {"Posture Score A Left", &rula::ResultScores::PostureScoreALeft},
    {"Posture Score A Right", &rula::ResultScores::PostureScoreARight},
    {"Posture Score B", &rula::ResultScores::PostureScoreB},
    {"Score C Left", &rula::ResultScores::ScoreCLeft},
    {"Score C Right", &rula::ResultScores::ScoreCRight},
    {"Score D", &rula::ResultScores::ScoreD},
    {"Grand Score Left", &rula::ResultScores::GrandScoreLeft},
    {"Grand Score Right", &rula::ResultScores::GrandScoreRight},
};

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

QStringList columns()
{
    return QStringList{QStringLiteral("File"), QStringLiteral("Employee Name"), QStringLiteral("Employee ID"),
                       QStringLiteral("Employee Location"), QStringLiteral("Last Written")} +
           scoreColumns() +
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

QStringList scoreColumns()
{
    QStringList names;
    for (int row : SaveTable::scoreRowsInFileOrder())
        names << SaveTable::labelText(row);
    for (const ResultColumn& column : ResultColumns)
        names << QString::fromLatin1(column.name);
    names << QStringLiteral("Action Level Left") << QStringLiteral("Action Level Right");
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

QByteArray field(const QString& text)
{
    QByteArray bytes = text.toUtf8();
    if (!bytes.contains(',') && !bytes.contains('"') && !bytes.contains('\n') && !bytes.contains('\r'))
        return bytes;
    bytes.replace('"', "\"\"");
    return '"' + bytes + '"';
}

} // namespace RegisterCsv
