// SPDX-License-Identifier: GPL-3.0-or-later
#include "AssessmentReport.h"

#include "MeasurementOverlay.h"
#include "ModelText.h"
#include "OptionCatalogue.h"
#include "ReductionMeasures.h"
#include "ReportArt.h"
#include "ReportStyle.h"

#include <QDir>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

namespace {

using ReportStyle::font;
using ReportStyle::TextRole;
using rula::Group;

const QString ProgramName = QStringLiteral("TALVO RULA " TALVO_VERSION);

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

// Paints the pages top to bottom: each block asks for room, and a block that does not fit
// starts a new page. Every page ends with the same footer.
class PageFlow
{
public:
    PageFlow(QPdfWriter& writer, QPainter& painter, QString footer)
        : m_writer(writer), m_painter(painter), m_footer(std::move(footer))
    {
        const QRectF content = ReportStyle::contentRect(writer);
        m_area = content.adjusted(0, 0, 0, -mm(8));
        m_y = m_area.top();
        drawFooter();
    }

    qreal mm(qreal millimetres) const { return ReportStyle::mm(m_writer, millimetres); }
    QPainter& painter() { return m_painter; }
    const QRectF& area() const { return m_area; }
    qreal y() const { return m_y; }
    void advance(qreal height) { m_y += height; }

    void newPage()
    {
        m_writer.newPage();
        ++m_page;
        m_y = m_area.top();
        drawFooter();
    }

    // Room for `height` (at most a page) below the current line.
    void need(qreal height)
    {
        if (m_y + height > m_area.bottom() && m_y > m_area.top())
            newPage();
    }

    void heading(const QString& text, TextRole role = TextRole::Heading)
    {
        const QFont headingFont = font(role);
        const qreal height = ReportStyle::wrappedHeight(m_writer, text, headingFont, m_area.width());
        need(height + mm(14)); // a heading is never left alone at the foot of a page
        m_y += mm(role == TextRole::Title ? 0 : 2);
        m_painter.setPen(QColor(0x1a, 0x23, 0x7e));
        const qreal drawn = qMin(height, m_area.bottom() - m_y);
        ReportStyle::drawFittedText(m_painter, QRectF(m_area.left(), m_y, m_area.width(), drawn), text, headingFont, 8);
        m_painter.setPen(Qt::black);
        m_y += drawn + mm(1.5);
    }

    // Text that continues on the next page when it is longer than what is left of this one.
    void paragraph(const QString& text, const QFont& textFont, qreal indent = 0, const QString& bullet = QString())
    {
        QString rest = text;
        const qreal width = m_area.width() - indent;
        const qreal lineHeight = ReportStyle::wrappedHeight(m_writer, QStringLiteral("Ag"), textFont, width);
        need(lineHeight);
        if (!bullet.isEmpty())
            m_painter.drawText(QRectF(m_area.left() + indent - mm(4), m_y, mm(4), lineHeight), Qt::AlignLeft, bullet);
        while (!rest.isEmpty()) {
            const QRectF box(m_area.left() + indent, m_y, width, m_area.bottom() - m_y);
            const int drawn = ReportStyle::drawWrappedText(m_painter, box, rest, textFont);
            if (drawn >= rest.size()) {
                m_y += ReportStyle::wrappedHeight(m_writer, rest, textFont, width);
                break;
            }
            if (drawn == 0 && m_y == m_area.top())
                break; // not even one line fits on an empty page: cannot happen at these sizes
            rest = rest.mid(drawn);
            newPage();
        }
        m_y += mm(0.8);
    }

private:
    void drawFooter()
    {
        const QRectF content = ReportStyle::contentRect(m_writer);
        const QRectF box(content.left(), content.bottom() - mm(5), content.width(), mm(5));
        m_painter.save();
        m_painter.setPen(QPen(QColor(0x90, 0x90, 0x90), mm(0.2)));
        m_painter.drawLine(box.topLeft(), box.topRight());
        m_painter.setPen(QColor(0x50, 0x50, 0x50));
        const QString page = QStringLiteral("Page %1").arg(m_page);
        const qreal pageWidth = mm(20);
        ReportStyle::drawFittedText(m_painter, box.adjusted(0, mm(1), -pageWidth, 0), m_footer, font(TextRole::Small),
                                    8);
        ReportStyle::drawFittedText(m_painter,
                                    QRectF(box.right() - pageWidth, box.top() + mm(1), pageWidth, box.height() - mm(1)),
                                    page, font(TextRole::Small), 8, Qt::AlignRight | Qt::AlignTop);
        m_painter.restore();
    }

    QPdfWriter& m_writer;
    QPainter& m_painter;
    QString m_footer;
    QRectF m_area;
    qreal m_y = 0;
    int m_page = 1;
};

// A label and its value in a two-column grid; the value is shrunk into at most `maxLines`
// lines. Returns false when the value had to be cut.
bool detailRow(PageFlow& flow, qreal width, const QString& label, const QString& value, int maxLines)
{
    QPainter& painter = flow.painter();
    const qreal labelWidth = flow.mm(34);
    const QFont body = font(TextRole::Body);
    const qreal line = ReportStyle::wrappedHeight(*painter.device(), QStringLiteral("Ag"), body, width);
    const qreal height =
        qMin(maxLines * line, ReportStyle::wrappedHeight(*painter.device(), value, body, width - labelWidth));
    const qreal rowHeight = qMax(line, height);
    QFont bold = body;
    bold.setBold(true);
    ReportStyle::drawFittedText(painter, QRectF(flow.area().left(), flow.y(), labelWidth, line), label, bold, 7);
    const bool whole = ReportStyle::drawFittedText(
        painter, QRectF(flow.area().left() + labelWidth, flow.y(), width - labelWidth, rowHeight), value, body, 6);
    flow.advance(rowHeight + flow.mm(1.2));
    return whole;
}

QRectF fittedRect(const QSizeF& size, const QRectF& box)
{
    const QSizeF scaled = size.scaled(box.size(), Qt::KeepAspectRatio);
    return QRectF(box.left() + (box.width() - scaled.width()) / 2, box.top() + (box.height() - scaled.height()) / 2,
                  scaled.width(), scaled.height());
}

void drawPicture(QPainter& painter, const QImage& picture, const QRectF& box)
{
    const QRectF place = fittedRect(QSizeF(picture.size()), box);
    painter.drawImage(place, picture);
    painter.save();
    painter.setPen(QPen(QColor(0x90, 0x90, 0x90), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(place);
    painter.restore();
}

// ---- Page 1 ---------------------------------------------------------------------------------

bool summaryPage(PageFlow& flow, const ReportContent& content)
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
    whole &= detailRow(flow, width, QStringLiteral("Name"), record.stored.name, 3);
    whole &= detailRow(flow, width, QStringLiteral("Identification"), record.stored.id, 3);
    whole &= detailRow(flow, width, QStringLiteral("Location"), record.stored.location, 3);
    detailRow(flow, width, QStringLiteral("Assessed"), when(record.assessedAt), 2);
    detailRow(flow, width, QStringLiteral("Program"), ProgramName, 1);
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
    return whole;
}

// ---- Page 2 ---------------------------------------------------------------------------------

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
    // A pixel of the window is 15 of the sheet's twips.
    for (const ScoreSheetPlaces::Edge& edge : sheet.edges) {
        painter.setPen(QPen(Qt::black, edge.width * 15 * scale));
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
    const qreal labelWidth = flow.mm(48);
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

// ---- Page 3 ---------------------------------------------------------------------------------

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

// ---- Measured angles --------------------------------------------------------------------------

// The workplace picture with the measurements drawn over it, as large as fits `box`.
void annotatedPicture(QPainter& painter, const QImage& picture, const MeasuredAngles& measured, const QRectF& box,
                      qreal pixel)
{
    const QRectF place = fittedRect(QSizeF(measured.pictureSize), box);
    drawPicture(painter, picture, place);
    const qreal scale = place.width() / measured.pictureSize.width();
    painter.save();
    painter.setClipRect(place);
    painter.setFont(font(TextRole::Body));
    MeasurementOverlay::DrawMeasurements(painter, measured.sheet,
                                         QTransform(scale, 0, 0, scale, place.left(), place.top()), pixel);
    painter.restore();
}

// One row per measured body part: part, angle, band, score, applied. Every cell wraps.
void measurementTable(PageFlow& flow, const rula::PictureMeasurements& sheet)
{
    QPainter& painter = flow.painter();
    const QFont text = font(TextRole::Body);
    QFont bold = text;
    bold.setBold(true);
    const qreal pad = flow.mm(1.2);
    const qreal widths[] = {flow.mm(38), flow.mm(34), 0, flow.mm(15), flow.mm(25)};
    qreal fixed = 0;
    for (qreal width : widths)
        fixed += width;
    const qreal bandWidth = flow.area().width() - fixed;

    auto row = [&](const QStringList& cells, const QFont& cellFont, const QColor& fill) {
        qreal height = 0;
        for (int i = 0; i < cells.size(); ++i) {
            const qreal width = (widths[i] > 0 ? widths[i] : bandWidth) - 2 * pad;
            height = qMax(height, ReportStyle::wrappedHeight(*painter.device(), cells[i], cellFont, width));
        }
        height += 2 * pad;
        flow.need(height);
        const qreal top = flow.y();
        if (fill.isValid())
            painter.fillRect(QRectF(flow.area().left(), top, flow.area().width(), height), fill);
        qreal x = flow.area().left();
        for (int i = 0; i < cells.size(); ++i) {
            const qreal width = widths[i] > 0 ? widths[i] : bandWidth;
            ReportStyle::drawWrappedText(painter, QRectF(x + pad, top + pad, width - 2 * pad, height - 2 * pad),
                                         cells[i], cellFont);
            x += width;
        }
        painter.save();
        painter.setPen(QPen(QColor(0xc0, 0xc0, 0xc0), flow.mm(0.15)));
        painter.drawLine(QPointF(flow.area().left(), top + height), QPointF(flow.area().right(), top + height));
        painter.restore();
        flow.advance(height);
    };

    row({QStringLiteral("Body part"), QStringLiteral("Angle"), QStringLiteral("Band"), QStringLiteral("Score"),
         QStringLiteral("Applied")},
        bold, QColor(0xe8, 0xea, 0xf6));
    for (const MeasurementOverlay::Row& measured : MeasurementOverlay::rows(sheet)) {
        row({measured.part, measured.angle, measured.band, QString::number(measured.score),
             measured.applied ? QStringLiteral("applied") : QStringLiteral("not applied")},
            text, QColor());
    }
    flow.advance(flow.mm(3));
}

void measuredAngles(PageFlow& flow, const ReportContent& content)
{
    const MeasuredAngles& measured = content.measured;
    if (MeasurementOverlay::rows(measured.sheet).empty())
        return;
    flow.newPage();
    flow.heading(QStringLiteral("Angles measured on the workplace picture"), TextRole::Title);
    flow.paragraph(QStringLiteral("Each angle was measured on the picture by clicking the body part's points; an "
                                  "applied band is the one chosen for the assessment. A photograph shows a "
                                  "projection: a limb turned out of the picture's plane reads smaller than it is."),
                   font(TextRole::Body));
    flow.advance(flow.mm(2));
    if (!content.workplacePicture.isNull() && !measured.pictureSize.isEmpty()) {
        // As wide as the page allows, or as high as leaves room for a few rows of the table.
        const qreal height = QSizeF(measured.pictureSize)
                                 .scaled(QSizeF(flow.area().width(), flow.mm(120)), Qt::KeepAspectRatio)
                                 .height();
        flow.need(height);
        annotatedPicture(flow.painter(), content.workplacePicture, measured,
                         QRectF(flow.area().left(), flow.y(), flow.area().width(), height), flow.mm(0.25));
        flow.advance(height + flow.mm(4));
    }
    measurementTable(flow, measured.sheet);
}

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

// The employee texts whole, for texts too long for the summary's boxes.
void employeeTextsInFull(PageFlow& flow, const AssessmentRecord& record)
{
    flow.newPage();
    flow.heading(QStringLiteral("Employee details in full"));
    QFont bold = font(TextRole::Body);
    bold.setBold(true);
    const std::pair<QString, QString> texts[] = {{QStringLiteral("Name"), record.stored.name},
                                                 {QStringLiteral("Identification"), record.stored.id},
                                                 {QStringLiteral("Location"), record.stored.location}};
    for (const auto& [label, text] : texts) {
        flow.paragraph(label, bold);
        flow.paragraph(text, font(TextRole::Body));
    }
}

void paintReport(QPdfWriter& writer, QPainter& painter, const ReportContent& content)
{
    const AssessmentRecord& record = content.record;
    QString footer = ProgramName + QStringLiteral(" \u00b7 RULA report");
    if (!record.stored.name.isEmpty())
        footer += QStringLiteral(" \u00b7 ") + record.stored.name.simplified();
    PageFlow flow(writer, painter, footer);

    const bool whole = summaryPage(flow, content);

    flow.newPage();
    flow.heading(QStringLiteral("Score sheet"), TextRole::Title);
    scoreSheet(flow, content.scoreSheet);
    flow.heading(QStringLiteral("Body parts"));
    sideTables(flow, record);
    traces(flow, record);

    measuredAngles(flow, content);

    flow.newPage();
    reductionMeasures(flow, content);
    extraPictures(flow, content);
    signatures(flow);

    if (!whole)
        employeeTextsInFull(flow, record);
}

} // namespace

ReportOutcome WriteReport(const ReportContent& content, const QString& path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {false, QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), file.errorString())};
    {
        QPdfWriter writer(&file);
        ReportStyle::setUpWriter(writer,
                                 QStringLiteral("RULA report: %1").arg(content.record.stored.name.simplified()));
        QPainter painter;
        if (!painter.begin(&writer)) {
            file.cancelWriting();
            return {false, QStringLiteral("Cannot draw the report for %1").arg(QDir::toNativeSeparators(path))};
        }
        paintReport(writer, painter, content);
        painter.end();
    }
    if (!file.commit())
        return {false, QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), file.errorString())};
    return {true, QString()};
}
