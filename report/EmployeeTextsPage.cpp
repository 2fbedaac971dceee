// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReportPages.h"

// The employee texts and the assessor's notes whole, for texts too long for the summary's boxes.
void employeeTextsPage(PageFlow& flow, const ReportContent& content, ReportNotes& notes)
{
    if (!notes.employeeTextsCut)
        return;
    const AssessmentRecord& record = content.record;
    flow.newPage();
    flow.heading(QStringLiteral("Employee details in full"));
    QFont bold = ReportStyle::font(ReportStyle::TextRole::Body);
    bold.setBold(true);
    const std::pair<QString, QString> texts[] = {{QStringLiteral("Name"), record.typed.name},
                                                 {QStringLiteral("Identification"), record.typed.id},
                                                 {QStringLiteral("Location"), record.typed.location},
                                                 {QStringLiteral("Notes"), record.details.notes}};
    // The employee boxes hold at most 32,767 characters; a file edited to hold more (up to
    // the reader's 4 MB) is printed that far, so the report stays a few pages long.
    constexpr qsizetype Longest = 32767;
    for (const auto& [label, text] : texts) {
        if (label == QLatin1String("Notes") && text.isEmpty())
            continue;
        flow.paragraph(label, bold);
        flow.paragraph(text.size() <= Longest
                           ? text
                           : text.left(Longest) +
                                 QStringLiteral(" \u2026 (%1 more characters)").arg(text.size() - Longest),
                       ReportStyle::font(ReportStyle::TextRole::Body));
    }
}
