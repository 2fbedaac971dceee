// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReportPages.h"

#include "ModelText.h"
#include "PictureLibrary.h"
#include "Reba.h"
#include "ReportArt.h"

namespace {

using ReportStyle::font;
using ReportStyle::TextRole;
namespace reba = rula::reba;

QString scoreOrNone(const std::optional<int>& score)
{
    return score ? QString::number(*score) : QStringLiteral("none");
}

// One group: its chosen band's picture, the band and its score, the adjustments ticked, and
// whether the band was measured or chosen by hand.
void groupRow(PageFlow& flow, const QRectF& row, const reba::RebaChoices& choices, const reba::RebaGroupInfo& info)
{
    QPainter& painter = flow.painter();
    const qreal pad = flow.mm(0.8);
    const qreal artSize = row.height() - 2 * pad;
    const std::optional<int> band = choices.band(info.group);
    const QRectF artBox(row.left() + pad, row.top() + pad, artSize * 0.875, artSize);
    QStringList lines;
    if (band) {
        const reba::RebaOption& option = reba::rebaOptions()[static_cast<std::size_t>(*band)];
        // A posture drawing without its labels, as the detail page shows RULA's; a card whole.
        if (!DrawFigure(painter, modelText(option.art), artBox, option.mirrored))
            PictureLibrary::draw(painter, modelText(option.art), artBox, option.mirrored);
        lines << QStringLiteral("%1: %2 (%3)%4")
                     .arg(modelText(info.name), modelText(option.caption))
                     .arg(option.value)
                     .arg(choices.isMeasured(info.group) ? QStringLiteral(", measured") : QString());
    } else if (info.needsChoice) {
        lines << modelText(info.name) + QStringLiteral(": no band chosen");
    } else {
        lines << modelText(info.name) + QStringLiteral(":");
    }
    for (int i = info.firstOption; i < info.firstOption + info.optionCount; ++i) {
        const reba::RebaOption& option = reba::rebaOptions()[static_cast<std::size_t>(i)];
        if (option.kind == rula::OptionKind::Adjustment && choices.isSelected(i))
            lines << QStringLiteral("%1 (%2%3)")
                         .arg(modelText(option.caption), option.value > 0 ? QStringLiteral("+") : QString())
                         .arg(option.value);
    }
    if (lines.size() == 1 && !info.needsChoice)
        lines.back() += QStringLiteral(" nothing ticked");
    QFont small = font(TextRole::Small);
    small.setPointSizeF(7.5);
    const QRectF textBox(artBox.right() + flow.mm(1.5), row.top() + pad, row.right() - artBox.right() - flow.mm(2),
                         row.height() - 2 * pad);
    ReportStyle::drawFittedText(painter, textBox, lines.join(QLatin1Char('\n')), small, 5,
                                Qt::AlignLeft | Qt::AlignVCenter);
    painter.save();
    painter.setPen(QPen(QColor(0xc0, 0xc0, 0xc0), flow.mm(0.15)));
    painter.drawLine(row.bottomLeft(), row.bottomRight());
    painter.restore();
}

} // namespace

void rebaPage(PageFlow& flow, const ReportContent& content, ReportNotes&)
{
    const reba::RebaChoices& choices = content.record.reba;
    if (choices.isEmpty())
        return;
    flow.newPage();
    flow.heading(QStringLiteral("REBA: Rapid Entire Body Assessment"), TextRole::Title);
    flow.paragraph(QStringLiteral("The whole body of the same worker, scored by REBA (Hignett and McAtamney, Applied "
                                  "Ergonomics 31 (2000) 201-205) beside RULA. Upper arm scores below 1 are kept "
                                  "at 1."),
                   font(TextRole::Body));
    flow.advance(flow.mm(2));

    // The groups in two columns: the body on the left, the arms, coupling and activity on the right.
    const qreal gap = flow.mm(5);
    const qreal width = (flow.area().width() - gap) / 2;
    const qreal height = flow.mm(15);
    const auto& groups = reba::rebaGroups();
    const std::size_t half = (groups.size() + 1) / 2;
    flow.need(height * qreal(half));
    const qreal top = flow.y();
    for (std::size_t g = 0; g < groups.size(); ++g) {
        const qreal x = flow.area().left() + (g < half ? 0 : width + gap);
        const qreal y = top + height * qreal(g < half ? g : g - half);
        groupRow(flow, QRectF(x, y, width, height), choices, groups[g]);
    }
    flow.advance(height * qreal(half) + flow.mm(3));

    const reba::RebaScores s = reba::scoreReba(choices);
    flow.heading(QStringLiteral("REBA scores"));
    QFont body = font(TextRole::Body);
    flow.paragraph(QStringLiteral("Score A (Table A + load): %1").arg(scoreOrNone(s.scoreA)), body);
    for (bool left : {false, true}) {
        const reba::RebaSide& side = s.side(left);
        flow.paragraph(
            QStringLiteral("%1 side: score B %2, score C %3, REBA score %4, risk %5")
                .arg(left ? QStringLiteral("Left") : QStringLiteral("Right"), scoreOrNone(side.scoreB),
                     scoreOrNone(side.scoreC), scoreOrNone(side.rebaScore),
                     side.rebaScore ? modelText(reba::rebaRiskText(*side.rebaScore)) : QStringLiteral("none")),
            ReportStyle::bold(body));
    }
    for (const std::string& missing : reba::missingRebaGroups(choices))
        flow.paragraph(QString::fromStdString(missing), body);
    flow.advance(flow.mm(2));

    flow.heading(QStringLiteral("How each REBA score was reached"));
    QFont small = font(TextRole::Small);
    small.setPointSizeF(9);
    for (const std::string& line : reba::traceReba(choices))
        flow.paragraph(QString::fromStdString(line), small);
}
