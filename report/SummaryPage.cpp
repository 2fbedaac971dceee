// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReportPages.h"

#include "ModelText.h"
#include "ReportStyle.h"

#include <QLocale>

namespace {

using ReportStyle::font;
using ReportStyle::TextRole;

QString when(const QDateTime& at)
{
    if (!at.isValid())
        return QStringLiteral("unknown");
    const QLocale locale = QLocale::system();
    return locale.toString(at.date(), QLocale::LongFormat) + QStringLiteral(", ") +
           locale.toString(at.time(), QStringLiteral("HH:mm"));
}

QString levelHeading(const QString& side, const std::optional<rula::ActionLevel>& level)
{
    return level ? QStringLiteral("%1: %2").arg(side, modelText(level->caption))
                 : QStringLiteral("%1: no action level").arg(side);
}

// A label and its value in a two-column grid; the value is shrunk into at most `maxLines`
// lines. Returns false when the value had to be cut.
bool detailRow(PageFlow& flow, qreal width, const QString& label, const QString& value, int maxLines)
{
    QPainter& painter = flow.painter();
    const qreal labelWidth = flow.mm(34);
    const QFont body = font(TextRole::Body);
    const qreal line = ReportStyle::wrappedHeight(*painter.device(), QStringLiteral("Ag"), body, width);
    const qreal height = qMin(maxLines * line, ReportStyle::wrappedHeight(*painter.device(), value, body,
                                                                          width - labelWidth, maxLines * line));
    const qreal rowHeight = qMax(line, height);
    QFont bold = body;
    bold.setBold(true);
    ReportStyle::drawFittedText(painter, QRectF(flow.area().left(), flow.y(), labelWidth, line), label, bold, 7);
    const bool whole = ReportStyle::drawFittedText(
        painter, QRectF(flow.area().left() + labelWidth, flow.y(), width - labelWidth, rowHeight), value, body, 6);
    flow.advance(rowHeight + flow.mm(1.2));
    return whole;
}

// What was observed, when and by whom, and the assessor's notes. A saved file without evidence
// knows only when it was last written, and says so. Returns false when the notes had to be cut.
bool observation(PageFlow& flow, qreal width, const AssessmentRecord& record)
{
    const ObservationDetails& details = record.details;
    if (!details.observed.isValid()) {
        detailRow(flow, width, QStringLiteral("File last written"), when(record.assessedAt), 2);
        return true;
    }
    detailRow(flow, width, QStringLiteral("Task"), details.task.isEmpty() ? QStringLiteral("not given") : details.task,
              2);
    detailRow(flow, width, QStringLiteral("Observed"), when(details.observed.toLocalTime()), 2);
    detailRow(flow, width, QStringLiteral("Assessor"),
              details.assessor.isEmpty() ? QStringLiteral("not given") : details.assessor, 2);
    detailRow(flow, width, QStringLiteral("Phase"), details.phase, 1);
    return details.notes.isEmpty() || detailRow(flow, width, QStringLiteral("Notes"), details.notes, 4);
}

} // namespace

void summaryPage(PageFlow& flow, const ReportContent& content, ReportNotes& notes)
{
    const AssessmentRecord& record = content.record;
    QPainter& painter = flow.painter();
    flow.heading(QStringLiteral("RULA Assessment Report"), TextRole::Title);
    flow.paragraph(QStringLiteral("Rapid Upper Limb Assessment of one task: the posture of each side of the body "
                                  "scored by the published method, and what the scores ask for."),
                   font(TextRole::Body));
    flow.advance(flow.mm(2));

    const qreal top = flow.y();
    const bool picture = !content.workplacePicture.isNull();
    const qreal pictureWidth = picture ? flow.mm(62) : 0;
    const qreal width = flow.area().width() - (picture ? pictureWidth + flow.mm(5) : 0);
    bool whole = true;
    whole &= detailRow(flow, width, QStringLiteral("Name"), record.typed.name, 3);
    whole &= detailRow(flow, width, QStringLiteral("Identification"), record.typed.id, 3);
    whole &= detailRow(flow, width, QStringLiteral("Location"), record.typed.location, 3);
    whole &= observation(flow, width, record);
    detailRow(flow, width, QStringLiteral("Program"), reportProgramName(), 1);
    detailRow(flow, width, QStringLiteral("Method"),
              QStringLiteral("RULA, Rapid Upper Limb Assessment (McAtamney and Corlett, 1993)"), 2);
    detailRow(flow, width, QStringLiteral("Rules applied"),
              QStringLiteral("An upper arm score of 0 (arm supported) is looked up in Table A as 1. In Table C a "
                             "score C of 8 or more is read as 8+ and a score D of 7 or more as 7+."),
              4);
    if (picture) {
        const QRectF box(flow.area().right() - pictureWidth, top, pictureWidth, flow.mm(70));
        drawPicture(painter, content.workplacePicture, box);
        flow.advance(qMax(0.0, box.bottom() - flow.y()));
    }

    flow.heading(QStringLiteral("Result"));
    flow.paragraph(QStringLiteral("Grand scores run from 1 (acceptable if not kept up or repeated for long) to 7 "
                                  "(investigate and change at once)."),
                   font(TextRole::Body));
    struct Side
    {
        QString name;
        std::int16_t score;
        const std::optional<rula::ActionLevel>& level;
    };
    const Side sides[] = {{QStringLiteral("Right side"), record.results.GrandScoreRight, record.levelRight},
                          {QStringLiteral("Left side"), record.results.GrandScoreLeft, record.levelLeft}};
    for (const Side& side : sides) {
        const qreal height = flow.mm(42);
        flow.need(height);
        const QRectF band(flow.area().left(), flow.y(), flow.area().width(), height);
        ReportStyle::drawLevelBand(
            painter, band, side.level ? side.level->level : 0, QString::fromStdString(rula::scoreText(side.score)),
            levelHeading(side.name, side.level), side.level ? modelText(side.level->longText) : QString());
        flow.advance(height + flow.mm(4));
    }
    notes.employeeTextsCut = !whole;
}
