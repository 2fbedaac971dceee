// SPDX-License-Identifier: GPL-3.0-or-later
#include "RebaEvidence.h"

#include "ModelText.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <map>

namespace RebaEvidence {

namespace {

constexpr const char* RebaStatement =
    "CREATE TABLE reba (name TEXT NOT NULL, value INTEGER, measured INTEGER NOT NULL)";

bool isWhole(const QVariant& value)
{
    return value.metaType().id() == QMetaType::LongLong || value.metaType().id() == QMetaType::Int;
}

QString insertRebaRow(QSqlDatabase& db, const QString& name, const QVariant& value, int measured)
{
    QSqlQuery query(db);
    if (!query.prepare(QStringLiteral("INSERT INTO reba VALUES (?, ?, ?)")))
        return query.lastError().text();
    query.addBindValue(name);
    query.addBindValue(value);
    query.addBindValue(measured);
    return query.exec() ? QString() : query.lastError().text();
}

} // namespace

const char* tableStatement()
{
    return RebaStatement;
}

bool isRebaTable(const QString& type, const QString& name, const QString& sql)
{
    return type == QLatin1String("table") && name == QLatin1String("reba") && sql == QLatin1String(RebaStatement);
}

std::vector<std::pair<QString, std::optional<int>>> scoreRows(const rula::reba::RebaChoices& choices)
{
    const rula::reba::RebaScores s = rula::reba::scoreReba(choices);
    return {{QStringLiteral("Score A"), s.scoreA},
            {QStringLiteral("Score B Right"), s.right.scoreB},
            {QStringLiteral("Score C Right"), s.right.scoreC},
            {QStringLiteral("REBA Score Right"), s.right.rebaScore},
            {QStringLiteral("Score B Left"), s.left.scoreB},
            {QStringLiteral("Score C Left"), s.left.scoreC},
            {QStringLiteral("REBA Score Left"), s.left.rebaScore}};
}

QString write(QSqlDatabase& db, const rula::reba::RebaChoices& choices)
{
    QSqlQuery create(db);
    if (!create.exec(QString::fromLatin1(RebaStatement)))
        return create.lastError().text();
    for (int i = 0; i < rula::reba::RebaOptionCount; ++i) {
        const rula::reba::RebaOption& option = rula::reba::rebaOptions()[static_cast<std::size_t>(i)];
        const bool measured = option.kind == rula::OptionKind::Base && choices.isMeasured(option.group);
        if (QString error = insertRebaRow(db, modelText(option.name), int(choices.isSelected(i)), int(measured));
            !error.isEmpty())
            return error;
    }
    for (const auto& [name, value] : scoreRows(choices)) {
        if (QString error = insertRebaRow(db, name, value ? QVariant(*value) : QVariant(QMetaType(QMetaType::Int)), 0);
            !error.isEmpty())
            return error;
    }
    return {};
}

QString read(QSqlDatabase& db, rula::reba::RebaChoices& choices)
{
    choices = {};
    QSqlQuery present(db);
    if (!present.exec(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'reba'")) ||
        !present.next())
        return QStringLiteral("is damaged (%1)").arg(present.lastError().text());
    if (present.value(0).toInt() == 0)
        return {};
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT name, value, measured FROM reba")))
        return QStringLiteral("is damaged (%1)").arg(query.lastError().text());
    std::map<QString, std::optional<int>> scores;
    std::vector<bool> seen(rula::reba::RebaOptionCount, false);
    std::vector<bool> measuredGroup(rula::reba::RebaGroupCount, false);
    while (query.next()) {
        const QString name = query.value(0).toString();
        const QVariant value = query.value(1);
        const QVariant measured = query.value(2);
        if (!isWhole(measured) || (measured.toInt() != 0 && measured.toInt() != 1))
            return QStringLiteral("is damaged (a REBA row's measured mark is not 0 or 1)");
        const int index = rula::reba::rebaOptionIndex(name.toStdString());
        if (index >= 0) {
            if (seen[std::size_t(index)] || !isWhole(value) || (value.toInt() != 0 && value.toInt() != 1))
                return QStringLiteral("is damaged (the REBA option %1 is not one flag)").arg(name);
            seen[std::size_t(index)] = true;
            choices.setSelected(index, value.toInt() == 1);
            if (measured.toInt() == 1)
                measuredGroup[std::size_t(rula::reba::rebaOptions()[std::size_t(index)].group)] = true;
            continue;
        }
        if (scores.count(name) || (!value.isNull() && !isWhole(value)))
            return QStringLiteral("is damaged (the REBA row \"%1\")").arg(name.left(40));
        scores[name] = value.isNull() ? std::nullopt : std::optional<int>(value.toInt());
    }
    for (bool was : seen) {
        if (!was)
            return QStringLiteral("is damaged (a REBA option is missing)");
    }
    for (const rula::reba::RebaGroupInfo& info : rula::reba::rebaGroups()) {
        int bands = 0;
        for (int i = info.firstOption; i < info.firstOption + info.optionCount; ++i)
            bands += rula::reba::rebaOptions()[std::size_t(i)].kind == rula::OptionKind::Base && choices.isSelected(i);
        if (bands > 1 || (measuredGroup[std::size_t(info.group)] && bands == 0))
            return QStringLiteral("is damaged (REBA's %1 has more than one band, or a measured mark without one)")
                .arg(modelText(info.name));
        choices.setMeasured(info.group, measuredGroup[std::size_t(info.group)]);
    }
    const auto expected = scoreRows(choices);
    if (scores.size() != expected.size())
        return QStringLiteral("is damaged (REBA's scores are not all there)");
    for (const auto& [name, value] : expected) {
        const auto found = scores.find(name);
        if (found == scores.end() || found->second != value)
            return QStringLiteral("is damaged (REBA's %1 is not what its choices give)").arg(name);
    }
    return {};
}

} // namespace RebaEvidence
