// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReportPages.h"

#include "ReductionMeasures.h"

namespace {

using ReportStyle::font;
using ReportStyle::TextRole;

QString regionNames(const std::vector<MeasureParagraph>& paragraphs)
{
    QStringList names;
    for (const MeasureParagraph& paragraph : paragraphs) {
        if (paragraph.kind == MeasureParagraph::Kind::Region)
            names << paragraph.text.toLower();
    }
    return names.join(QStringLiteral(", "));
}

void reductionMeasures(PageFlow& flow, const ReportContent& content)
{
    flow.heading(QStringLiteral("Reduction measures"));
    const std::vector<int> topics = RegionsToImprove(content.record.assessment);
    if (topics.empty() || content.reductionMeasuresFile.isEmpty()) {
        flow.paragraph(topics.empty() ? QStringLiteral("No body region scored above its lowest score.")
                                      : QStringLiteral("The reduction measures guide is not available."),
                       font(TextRole::Body));
        return;
    }
    const std::vector<MeasureParagraph> paragraphs = ReductionMeasures(content.reductionMeasuresFile, topics);
    const QString names = regionNames(paragraphs);
    if (!names.isEmpty())
        flow.paragraph(QStringLiteral("From the reduction measures guide, for the body regions whose scores stand "
                                      "highest: %1.")
                           .arg(names),
                       font(TextRole::Body));
    measureParagraphs(flow, paragraphs);
}

} // namespace

void measureParagraphs(PageFlow& flow, const std::vector<MeasureParagraph>& paragraphs)
{
    QFont bold = font(TextRole::Body);
    bold.setBold(true);
    QFont item = font(TextRole::Body);
    item.setPointSizeF(8);
    for (const MeasureParagraph& paragraph : paragraphs) {
        switch (paragraph.kind) {
        case MeasureParagraph::Kind::Region:
            flow.heading(paragraph.text);
            break;
        case MeasureParagraph::Kind::Heading:
            flow.need(flow.mm(12));
            flow.paragraph(paragraph.text, bold);
            break;
        case MeasureParagraph::Kind::Text:
            flow.paragraph(paragraph.text, item);
            break;
        case MeasureParagraph::Kind::Item:
            flow.paragraph(paragraph.text, item, flow.mm(5), QStringLiteral("\u2022"));
            break;
        }
    }
}

namespace {

void extraPictures(PageFlow& flow, const ReportContent& content)
{
    if (content.extraPictures.empty())
        return;
    flow.heading(QStringLiteral("Extra pictures"));
    const qreal gap = flow.mm(4);
    const qreal width = (flow.area().width() - 3 * gap) / 4;
    const qreal height = flow.mm(42);
    flow.need(height);
    for (std::size_t i = 0; i < content.extraPictures.size() && i < 4; ++i) {
        const QRectF box(flow.area().left() + qreal(i) * (width + gap), flow.y(), width, height);
        drawPicture(flow.painter(), content.extraPictures[i], box);
    }
    flow.advance(height + flow.mm(3));
}

void signatures(PageFlow& flow)
{
    const qreal line = flow.mm(11);
    flow.need(flow.mm(12) + 2 * line); // the heading and its lines stay together
    flow.heading(QStringLiteral("Assessor"));
    QPainter& painter = flow.painter();
    const QFont body = font(TextRole::Body);
    const qreal half = flow.area().width() / 2;
    // A label and the line to write on, from `left` over `width`.
    auto field = [&](const QString& label, qreal left, qreal width) {
        const qreal base = flow.y() + line - flow.mm(3);
        const qreal labelWidth = flow.mm(32);
        ReportStyle::drawFittedText(painter, QRectF(left, base - flow.mm(5), labelWidth, flow.mm(5)), label, body, 7,
                                    Qt::AlignLeft | Qt::AlignBottom);
        painter.save();
        painter.setPen(QPen(Qt::black, flow.mm(0.25)));
        painter.drawLine(QPointF(left + labelWidth, base), QPointF(left + width - flow.mm(6), base));
        painter.restore();
    };
    field(QStringLiteral("Assessor's name"), flow.area().left(), flow.area().width());
    flow.advance(line);
    field(QStringLiteral("Signature"), flow.area().left(), half);
    field(QStringLiteral("Date"), flow.area().left() + half, half);
    flow.advance(line);
}

} // namespace

void closingPage(PageFlow& flow, const ReportContent& content, ReportNotes&)
{
    flow.newPage();
    reductionMeasures(flow, content);
    extraPictures(flow, content);
    signatures(flow);
}
