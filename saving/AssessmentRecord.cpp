// SPDX-License-Identifier: GPL-3.0-or-later
#include "AssessmentRecord.h"

#include "ModelText.h"
#include "StripApostrophes.h"

AssessmentRecord BuildRecord(const rula::AssessmentState& assessment, const EmployeeTexts& typed,
                             const QDateTime& assessedAt, ScoreTracing tracing)
{
    rula::ResultScores results;
    rula::ComputeScores(assessment, results);
    return BuildRecord(assessment, results, typed, assessedAt, tracing);
}

AssessmentRecord BuildRecord(const rula::AssessmentState& assessment, const rula::ResultScores& results,
                             const EmployeeTexts& typed, const QDateTime& assessedAt, ScoreTracing tracing)
{
    AssessmentRecord record;
    record.typed = typed;
    record.stored = {StripApostrophes(typed.name), StripApostrophes(typed.id), StripApostrophes(typed.location)};
    record.assessment = assessment;
    record.results = results;
    if (tracing == ScoreTracing::Traced)
        record.trace = rula::TraceScores(assessment, results);
    record.levelLeft = rula::classifyGrandScore(results.GrandScoreLeft);
    record.levelRight = rula::classifyGrandScore(results.GrandScoreRight);
    record.assessedAt = assessedAt;
    return record;
}

namespace {

void setLevel(SaveTable& table, const std::optional<rula::ActionLevel>& level, int captionRow, int recommendationRow)
{
    if (!level)
        return;
    table.setValue(captionRow, modelText(level->caption));
    table.setValue(recommendationRow, modelText(level->Recommendation));
}

} // namespace

SaveTable SaveTableOf(const AssessmentRecord& record)
{
    SaveTable table;
    table.WriteLabels();
    table.WriteOptionRows(record.assessment);
    for (const rula::GroupInfo& group : rula::groups())
        table.setValue(SaveTable::scoreRow(group.group), record.assessment.score(group.group));
    setLevel(table, record.levelLeft, SaveTable::ActionLevelLeft, SaveTable::RecommendationLeft);
    setLevel(table, record.levelRight, SaveTable::ActionLevelRight, SaveTable::RecommendationRight);
    table.setValue(SaveTable::EmployeeName, record.stored.name);
    table.setValue(SaveTable::EmployeeId, record.stored.id);
    table.setValue(SaveTable::EmployeeLocation, record.stored.location);
    table.setValue(SaveTable::GrandScoreLeft, record.results.GrandScoreLeft);
    table.setValue(SaveTable::GrandScoreRight, record.results.GrandScoreRight);
    return table;
}

QString bodyPartName(rula::Group group)
{
    QString label = SaveTable::labelText(SaveTable::scoreRow(group));
    label.chop(int(sizeof(" Score")) - 1);
    return label;
}
