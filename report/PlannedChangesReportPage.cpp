// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlanPage.h"
#include "ReductionMeasures.h"
#include "ReportPages.h"

void plannedChangesPage(PageFlow& flow, const ReportContent& content, ReportNotes&)
{
    if (content.plannedChanges.empty())
        return;
    flow.newPage();
    flow.heading(QStringLiteral("Planned changes"), ReportStyle::TextRole::Title);
    measureParagraphs(flow, PlannedChangesPage(content.record, content.plannedChanges, content.reductionMeasuresFile));
}
