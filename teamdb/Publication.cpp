// SPDX-License-Identifier: GPL-3.0-or-later
#include "Publication.h"

#include "EvidenceJson.h"
#include "OptionCatalogue.h"

#include <QFileInfo>
#include <QJsonDocument>

namespace {

QJsonObject textsJson(const EmployeeTexts& texts)
{
    return {{QStringLiteral("name"), texts.name},
            {QStringLiteral("id"), texts.id},
            {QStringLiteral("location"), texts.location}};
}

EmployeeTexts textsOf(const QJsonObject& json)
{
    return {json.value(QStringLiteral("name")).toString(), json.value(QStringLiteral("id")).toString(),
            json.value(QStringLiteral("location")).toString()};
}

} // namespace

QString Publication::key() const
{
    return sha256Hex(fileSha256.toLatin1() + '\n' + assessmentId.toUtf8() + '\n' + QByteArray::number(revision));
}

QString Publication::selections() const
{
    QString bits;
    bits.reserve(rula::OptionCount);
    for (int option = 0; option < rula::OptionCount; ++option)
        bits += record.assessment.isSelected(option) ? QLatin1Char('1') : QLatin1Char('0');
    return bits;
}

QString Publication::unstorableReason() const
{
    for (const EmployeeTexts* texts : {&record.typed, &record.stored}) {
        for (const QString* text : {&texts->name, &texts->id, &texts->location}) {
            if (text->contains(QChar(0)))
                return QStringLiteral("an employee text holds a NUL character, which the database cannot store");
        }
    }
    if (evidence.contains("\\u0000"))
        return QStringLiteral("the evidence holds a NUL character, which the database cannot store");
    return QString();
}

QJsonObject Publication::toJson() const
{
    return {{QStringLiteral("format"), 1},
            {QStringLiteral("file"), filePath},
            {QStringLiteral("sha256"), fileSha256},
            {QStringLiteral("lastWritten"), lastWritten.toString(Qt::ISODateWithMs)},
            {QStringLiteral("typed"), textsJson(record.typed)},
            {QStringLiteral("selections"), selections()},
            {QStringLiteral("assessmentId"), assessmentId},
            {QStringLiteral("revision"), revision},
            {QStringLiteral("evidence"), QString::fromUtf8(evidence)}};
}

std::optional<Publication> Publication::fromJson(const QJsonObject& json)
{
    const QString selections = json.value(QStringLiteral("selections")).toString();
    if (json.value(QStringLiteral("format")).toInt() != 1 || selections.size() != rula::OptionCount)
        return std::nullopt;
    Publication publication;
    publication.filePath = json.value(QStringLiteral("file")).toString();
    publication.fileSha256 = json.value(QStringLiteral("sha256")).toString();
    publication.lastWritten =
        QDateTime::fromString(json.value(QStringLiteral("lastWritten")).toString(), Qt::ISODateWithMs);
    publication.assessmentId = json.value(QStringLiteral("assessmentId")).toString();
    publication.revision = json.value(QStringLiteral("revision")).toInt();
    publication.evidence = json.value(QStringLiteral("evidence")).toString().toUtf8();
    publication.record = recordOfSelections(selections, textsOf(json.value(QStringLiteral("typed")).toObject()),
                                            publication.lastWritten);
    if (publication.filePath.isEmpty() || publication.fileSha256.size() != 64)
        return std::nullopt;
    return publication;
}

Publication Publication::of(const QString& path, const QByteArray& bytes, AssessmentRecord record,
                            const QDateTime& lastWritten, const Evidence* evidence)
{
    Publication publication;
    if (evidence) {
        publication.assessmentId = evidence->assessmentId;
        publication.revision = evidence->revision;
        publication.evidence = evidenceToJson(*evidence);
    }
    publication.filePath = QFileInfo(path).absoluteFilePath();
    publication.fileSha256 = sha256Hex(bytes);
    publication.lastWritten = lastWritten;
    publication.record = std::move(record);
    return publication;
}

AssessmentRecord recordOfSelections(const QString& selections, const EmployeeTexts& typed, const QDateTime& assessedAt)
{
    // Postures first, then adjustments: the order a saved file is read back in.
    rula::AssessmentState state;
    for (rula::OptionKind kind : {rula::OptionKind::Base, rula::OptionKind::Adjustment}) {
        for (int option = 0; option < rula::OptionCount && option < selections.size(); ++option) {
            if (selections.at(option) == QLatin1Char('1') &&
                rula::options()[static_cast<std::size_t>(option)].kind == kind)
                state.SelectOption(option);
        }
    }
    return BuildRecord(state, typed, assessedAt);
}
