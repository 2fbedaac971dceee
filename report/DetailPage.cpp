// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReportPages.h"

#include "ModelText.h"
#include "OptionCatalogue.h"
#include "PictureLibrary.h"
#include "ReportArt.h"
#include "ScoreSheetLayout.h"

#include <QFontMetricsF>

namespace {

using ReportStyle::font;
using ReportStyle::TextRole;
using rula::Group;

void scoreSheet(PageFlow& flow, const ScoreSheetPlaces& sheet)
{
    if (sheet.drawing.isEmpty())
        return;
    QPainter& painter = flow.painter();
    const qreal height = qMin(flow.mm(64), flow.area().width() * sheet.drawing.height() / sheet.drawing.width());
    flow.need(height);
    const QRectF target =
        fittedRect(sheet.drawing.size(), QRectF(flow.area().left(), flow.y(), flow.area().width(), height));
    const qreal scale = target.width() / sheet.drawing.width();
    auto map = [&](const QPointF& p) { return target.topLeft() + (p - sheet.drawing.topLeft()) * scale; };
    DrawArt(painter, sheet.art, target, false, ArtFit::Stretch);
    painter.save();
    for (const ScoreSheetPlaces::Value& value : sheet.values) {
        const QRectF box(map(value.box.topLeft()), value.box.size() * scale);
        painter.fillRect(box, Qt::white);
        QFont valueFont = font(TextRole::Body);
        valueFont.setBold(true);
        valueFont.setPixelSize(qMax(1, int(box.height() * (value.grand ? 0.75 : 0.7))));
        painter.setPen(value.grand ? QColor(0xb0, 0x00, 0x00) : Qt::black);
        ReportStyle::drawFittedText(painter, box, value.text, valueFont, 4, Qt::AlignCenter);
    }
    // Each edge as wide as the drawing's own edges appear here (a line of the window's layout
    // can be wider, which at print resolution showed as a bar over the headers).
    const QSizeF design = PictureLibrary::designSize(sheet.art);
    for (const ScoreSheetPlaces::Edge& edge : sheet.edges) {
        if (design.isEmpty())
            break;
        const bool horizontal = edge.line.p1().y() == edge.line.p2().y();
        painter.setPen(
            QPen(Qt::black, ScoreSheetLayout::DrawnEdgeWidth *
                                (horizontal ? target.height() / design.height() : target.width() / design.width())));
        painter.drawLine(QLineF(map(edge.line.p1()), map(edge.line.p2())));
    }
    painter.restore();
    flow.advance(height + flow.mm(3));
}

// One row of a side's table: the chosen drawing, its band and adjustments, the score.
void bodyPartRow(PageFlow& flow, const QRectF& row, const AssessmentRecord& record, Group group)
{
    QPainter& painter = flow.painter();
    const rula::GroupInfo& info = rula::groupInfo(group);
    QString band;
    QStringList adjustments;
    QString art;
    bool mirrored = false;
    for (int i = info.firstOption; i < info.firstOption + info.optionCount; ++i) {
        const rula::OptionInfo& option = rula::options()[std::size_t(i)];
        const bool chosen = record.assessment.isSelected(i);
        if (option.kind == rula::OptionKind::Base) {
            if (chosen) {
                band = modelText(option.meaning);
                art = modelText(option.art);
                mirrored = option.mirrored;
            }
        } else {
            adjustments << (chosen ? QStringLiteral("\u2611 ") : QStringLiteral("\u2610 ")) + modelText(option.meaning);
        }
    }
    const qreal pad = flow.mm(0.8);
    const qreal artSize = row.height() - 2 * pad;
    const qreal scoreWidth = flow.mm(9);
    const QRectF artBox(row.left() + pad, row.top() + pad, artSize, artSize);
    if (!art.isEmpty())
        DrawFigure(painter, art, artBox, mirrored);
    const QRectF textBox(artBox.right() + flow.mm(1.5), row.top() + pad,
                         row.width() - artSize - scoreWidth - flow.mm(3.5), row.height() - 2 * pad);
    QFont small = font(TextRole::Small);
    small.setPointSizeF(7);
    QString text = bodyPartName(group) + QStringLiteral(": ") + (band.isEmpty() ? QStringLiteral("none chosen") : band);
    if (!adjustments.isEmpty())
        text += QLatin1Char('\n') + adjustments.join(QStringLiteral("   "));
    ReportStyle::drawFittedText(painter, textBox, text, small, 5, Qt::AlignLeft | Qt::AlignVCenter);
    QFont score = font(TextRole::Heading);
    ReportStyle::drawFittedText(painter, QRectF(row.right() - scoreWidth, row.top(), scoreWidth, row.height()),
                                QString::fromStdString(rula::scoreText(record.assessment.score(group))), score, 6,
                                Qt::AlignCenter);
    painter.save();
    painter.setPen(QPen(QColor(0xc0, 0xc0, 0xc0), flow.mm(0.15)));
    painter.drawLine(row.bottomLeft(), row.bottomRight());
    painter.restore();
}

void sideTables(PageFlow& flow, const AssessmentRecord& record)
{
    const std::vector<Group> right{Group::UpperRight,      Group::LowerRight,       Group::WristRight,
                                   Group::WristTwistRight, Group::MuscleRightUpper, Group::ForceRightUpper};
    const std::vector<Group> left{Group::UpperLeft,      Group::LowerLeft,       Group::WristLeft,
                                  Group::WristTwistLeft, Group::MuscleLeftUpper, Group::ForceLeftUpper};
    const std::vector<Group> body{Group::Neck, Group::Trunk, Group::Legs, Group::MuscleLower, Group::ForceLower};
    const qreal rowHeight = flow.mm(9);
    const qreal gap = flow.mm(5);
    const qreal columnWidth = (flow.area().width() - gap) / 2;
    QPainter& painter = flow.painter();

    auto table = [&](qreal x, const QString& title, const std::vector<Group>& groups, qreal top) {
        QFont bold = font(TextRole::Body);
        bold.setBold(true);
        painter.fillRect(QRectF(x, top, columnWidth, flow.mm(6)), QColor(0xe8, 0xea, 0xf6));
        ReportStyle::drawFittedText(
            painter, QRectF(x + flow.mm(1), top + flow.mm(0.8), columnWidth - flow.mm(2), flow.mm(5)), title, bold, 7);
        qreal y = top + flow.mm(6);
        for (Group group : groups) {
            bodyPartRow(flow, QRectF(x, y, columnWidth, rowHeight), record, group);
            y += rowHeight;
        }
        return y;
    };
    flow.need(flow.mm(6) + 6 * rowHeight);
    const qreal top = flow.y();
    table(flow.area().left(), QStringLiteral("Right side: arm and wrist"), right, top);
    const qreal bottom =
        table(flow.area().left() + columnWidth + gap, QStringLiteral("Left side: arm and wrist"), left, top);
    flow.advance(bottom - top + flow.mm(3));
    flow.need(flow.mm(6) + 3 * rowHeight);
    const qreal bodyTop = flow.y();
    // Neck, trunk and legs, muscle use and force of the body count for both sides.
    const qreal split = flow.area().left() + columnWidth + gap;
    const std::vector<Group> posture(body.begin(), body.begin() + 3);
    const std::vector<Group> load(body.begin() + 3, body.end());
    const qreal postureBottom =
        table(flow.area().left(), QStringLiteral("Both sides: neck, trunk and legs"), posture, bodyTop);
    const qreal loadBottom = table(split, QStringLiteral("Both sides: muscle use and force"), load, bodyTop);
    flow.advance(qMax(postureBottom, loadBottom) - bodyTop + flow.mm(2));
}

void traces(PageFlow& flow, const AssessmentRecord& record)
{
    flow.heading(QStringLiteral("How each score was reached"));
    const rula::ScoreTrace& t = record.trace;
    const std::pair<const char*, const std::string&> lines[] = {
        {"Right side, posture score A", t.PostureScoreARight},
        {"Left side, posture score A", t.PostureScoreALeft},
        {"Posture score B", t.PostureScoreB},
        {"Right side, score C", t.ScoreCRight},
        {"Left side, score C", t.ScoreCLeft},
        {"Score D", t.ScoreD},
        {"Right side, grand score", t.GrandScoreRight},
        {"Left side, grand score", t.GrandScoreLeft},
    };
    QPainter& painter = flow.painter();
    QFont bold = font(TextRole::Small);
    bold.setPointSizeF(9);
    bold.setBold(true);
    QFont text = font(TextRole::Small);
    text.setPointSizeF(9);
    // The label column as wide as its widest label, so that none wraps or shrinks.
    qreal labelWidth = flow.mm(48);
    const QFontMetricsF labelMetrics(bold, painter.device());
    for (const auto& [label, sentence] : lines)
        labelWidth = qMax(labelWidth, labelMetrics.horizontalAdvance(QString::fromLatin1(label)) + flow.mm(3));
    for (const auto& [label, sentence] : lines) {
        const QString value = modelText(sentence);
        const qreal width = flow.area().width() - labelWidth;
        const qreal height = ReportStyle::wrappedHeight(*painter.device(), value, text, width);
        flow.need(height);
        ReportStyle::drawFittedText(painter, QRectF(flow.area().left(), flow.y(), labelWidth - flow.mm(2), height),
                                    QString::fromLatin1(label), bold, 6);
        ReportStyle::drawWrappedText(painter, QRectF(flow.area().left() + labelWidth, flow.y(), width, height), value,
                                     text);
        flow.advance(height + flow.mm(1.2));
    }
}

} // namespace

void detailPage(PageFlow& flow, const ReportContent& content, ReportNotes&)
{
    flow.newPage();
    flow.heading(QStringLiteral("Score sheet"), TextRole::Title);
    scoreSheet(flow, content.scoreSheet);
    flow.heading(QStringLiteral("Body parts"));
    sideTables(flow, content.record);
    traces(flow, content.record);
}
