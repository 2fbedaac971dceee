// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReportPages.h"

// The employee texts whole, for texts too long for the summary's boxes.
void employeeTextsPage(PageFlow& flow, const ReportContent& content, ReportNotes& notes)
{
    if (!notes.employeeTextsCut)
        return;
    const AssessmentRecord& record = content.record;
    flow.newPage();
    flow.heading(QStringLiteral("Employee details in full"));
    QFont bold = ReportStyle::font(ReportStyle::TextRole::Body);
    bold.setBold(true);
    const std::pair<QString, QString> texts[] = {{QStringLiteral("Name"), record.stored.name},
                                                 {QStringLiteral("Identification"), record.stored.id},
                                                 {QStringLiteral("Location"), record.stored.location}};
    for (const auto& [label, text] : texts) {
        flow.paragraph(label, bold);
        flow.paragraph(text, ReportStyle::font(ReportStyle::TextRole::Body));
    }
}
