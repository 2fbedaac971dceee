// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReportPages.h"

// The assessment's saves, oldest first, each with what changed; only for an assessment saved
// with evidence.
void historyPage(PageFlow& flow, const ReportContent& content, ReportNotes&)
{
    const AssessmentRecord& record = content.record;
    if (record.history.empty())
        return;
    flow.newPage();
    flow.heading(QStringLiteral("History of this assessment"), ReportStyle::TextRole::Title);
    const QFont body = ReportStyle::font(ReportStyle::TextRole::Body);
    flow.paragraph(QStringLiteral("Assessment %1, saved %2 times. Each save is a revision; times are UTC.")
                       .arg(record.assessmentId)
                       .arg(record.history.size()),
                   body);
    QFont bold = body;
    bold.setBold(true);
    for (const AssessmentRevision& entry : record.history) {
        flow.paragraph(QStringLiteral("Revision %1, %2 UTC, by %3 (TALVO RULA %4)")
                           .arg(entry.revision)
                           .arg(entry.savedUtc.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                                entry.assessor.isEmpty() ? QStringLiteral("no assessor given") : entry.assessor,
                                entry.programVersion),
                       bold);
        for (const QString& change : entry.changes.split(QLatin1Char('\n')))
            flow.paragraph(change, body, flow.mm(5), QStringLiteral("\u2022"));
    }
}
