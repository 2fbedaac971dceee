// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReportPages.h"

#include "MeasurementOverlay.h"
#include "ModelText.h"
#include "OptionCatalogue.h"

namespace {

using ReportStyle::font;
using ReportStyle::TextRole;

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

} // namespace

void measuredAnglesPage(PageFlow& flow, const ReportContent& content, ReportNotes&)
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
