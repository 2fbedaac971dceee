// SPDX-License-Identifier: GPL-3.0-or-later
#include "MeasurementOverlay.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <functional>

namespace MeasurementOverlay {

namespace {

const QColor ActiveColour(255, 196, 0);
const QColor DoneColour(0, 200, 255);
const QColor ReferenceColour(255, 64, 255);

QPointF unit(QPointF v)
{
    const double length = std::hypot(v.x(), v.y());
    return length > 0 ? v / length : QPointF(0, -1);
}

// The direction of `v` as QPainter measures arcs: degrees anticlockwise from three o'clock
// on the device.
double deviceDegrees(QPointF v)
{
    return std::atan2(-v.y(), v.x()) * 180.0 / M_PI;
}

QPointF upOnPicture(const rula::PictureFrame& frame)
{
    if (!frame.verticalReference)
        return QPointF(0, -1);
    const auto& r = *frame.verticalReference;
    QPointF line(r[1].x - r[0].x, r[1].y - r[0].y);
    if (line.y() > 0 || (line.y() == 0 && line.x() < 0))
        line = -line;
    return unit(line);
}

class Overlay
{
public:
    Overlay(QPainter& painter, const rula::PictureMeasurements& sheet, const QTransform& pictureToDevice, qreal pixel)
        : m_painter(painter), m_sheet(sheet), m_transform(pictureToDevice), m_pixel(pixel)
    {
    }

    QPointF toDevice(rula::Point point) const { return m_transform.map(QPointF(point.x, point.y)); }

    void drawOutlined(const QColor& colour, const std::function<void()>& draw, Qt::PenStyle style)
    {
        m_painter.setPen(QPen(QColor(0, 0, 0, 170), 5 * m_pixel, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        draw();
        m_painter.setPen(QPen(colour, 2.5 * m_pixel, style, Qt::RoundCap, Qt::RoundJoin));
        draw();
    }

    void drawLabel(QPointF at, const QString& text, const QColor& colour)
    {
        const QFontMetricsF metrics(m_painter.font(), m_painter.device());
        QRectF box = metrics.boundingRect(text).adjusted(-4 * m_pixel, -2 * m_pixel, 4 * m_pixel, 2 * m_pixel);
        box.moveCenter(at);
        m_painter.setPen(Qt::NoPen);
        m_painter.setBrush(QColor(0, 0, 0, 190));
        m_painter.drawRoundedRect(box, 4 * m_pixel, 4 * m_pixel);
        m_painter.setPen(colour);
        m_painter.drawText(box, Qt::AlignCenter, text);
    }

    void drawPoints(const std::vector<QPointF>& at, const QColor& colour)
    {
        m_painter.setPen(QPen(Qt::black, 1.5 * m_pixel));
        m_painter.setBrush(colour);
        for (const QPointF& p : at)
            m_painter.drawEllipse(p, 5 * m_pixel, 5 * m_pixel);
    }

    void drawReference(const std::vector<rula::Point>& points, bool active)
    {
        const QColor colour = active ? ActiveColour : ReferenceColour;
        if (points.size() == 2) {
            const QLineF line(toDevice(points[0]), toDevice(points[1]));
            drawOutlined(
                colour, [&] { m_painter.drawLine(line); }, Qt::DashLine);
            drawLabel(line.center() + QPointF(0, -16 * m_pixel), QStringLiteral("vertical"), colour);
        }
        std::vector<QPointF> at;
        for (const rula::Point& p : points)
            at.push_back(toDevice(p));
        drawPoints(at, colour);
    }

    void drawMeasurement(rula::BodyPart part, const std::vector<rula::Point>& points, bool active);

private:
    QPainter& m_painter;
    const rula::PictureMeasurements& m_sheet;
    QTransform m_transform;
    qreal m_pixel;
};

void Overlay::drawMeasurement(rula::BodyPart part, const std::vector<rula::Point>& points, bool active)
{
    const QColor colour = active ? ActiveColour : DoneColour;
    std::vector<QPointF> at;
    for (const rula::Point& p : points)
        at.push_back(toDevice(p));

    if (at.size() >= 2) {
        QPolygonF line;
        for (const QPointF& p : at)
            line << p;
        drawOutlined(
            colour, [&] { m_painter.drawPolyline(line); }, Qt::SolidLine);
    }

    const rula::BodyPartInfo& info = rula::bodyPartInfo(part);
    const rula::Measurement* measured = m_sheet.find(part);
    if (at.size() == info.landmarks.size() && measured && measured->isComplete()) {
        // The angle's vertex, the reference direction it is measured from and the measured limb.
        QPointF vertex;
        QPointF reference;
        QPointF limb;
        switch (info.kind) {
        case rula::AngleKind::UpperArm:
            vertex = at[1];
            reference = at[0] - at[1];
            limb = at[2] - at[1];
            break;
        case rula::AngleKind::LowerArm:
        case rula::AngleKind::Wrist:
            vertex = at[1];
            reference = at[1] - at[0];
            limb = at[2] - at[1];
            break;
        case rula::AngleKind::Neck: {
            vertex = at[0];
            limb = at[1] - at[0];
            // The picture's up, as the device shows it.
            reference = m_transform.map(upOnPicture(m_sheet.frame())) - m_transform.map(QPointF(0, 0));
            const rula::Measurement* trunk = m_sheet.find(rula::BodyPart::Trunk);
            if (trunk && trunk->isComplete())
                reference = toDevice(trunk->points[1]) - toDevice(trunk->points[0]);
            break;
        }
        case rula::AngleKind::Trunk:
            vertex = at[0];
            limb = at[1] - at[0];
            reference = m_transform.map(upOnPicture(m_sheet.frame())) - m_transform.map(QPointF(0, 0));
            break;
        }
        const double limbLength = std::hypot(limb.x(), limb.y());
        const QPointF referenceEnd = vertex + unit(reference) * std::max(limbLength, 30.0 * m_pixel);
        if (info.kind != rula::AngleKind::UpperArm)
            drawOutlined(
                colour, [&] { m_painter.drawLine(vertex, referenceEnd); }, Qt::DashLine);

        const double radius = std::clamp(limbLength * 0.35, 18.0 * m_pixel, 60.0 * m_pixel);
        const double start = deviceDegrees(reference);
        double span = deviceDegrees(limb) - start;
        while (span > 180)
            span -= 360;
        while (span <= -180)
            span += 360;
        const QRectF circle(vertex - QPointF(radius, radius), QSizeF(2 * radius, 2 * radius));
        m_painter.setBrush(Qt::NoBrush);
        drawOutlined(
            colour, [&] { m_painter.drawArc(circle, static_cast<int>(start * 16), static_cast<int>(span * 16)); },
            Qt::SolidLine);

        const double middle = (start + span / 2) * M_PI / 180.0;
        const QPointF labelAt = vertex + QPointF(std::cos(middle), -std::sin(middle)) * (radius + 22 * m_pixel);
        drawLabel(labelAt, QStringLiteral("%1\u00B0").arg(rula::wholeDegrees(measured->angle)), colour);
    }

    drawPoints(at, colour);
    if (active) {
        // The landmark names stand aside, below right, in a smaller hand than the angle.
        m_painter.save();
        QFont small = m_painter.font();
        small.setPixelSize(std::max(1, qRound(12 * m_pixel)));
        small.setBold(false);
        m_painter.setFont(small);
        for (std::size_t i = 0; i < at.size() && i < info.landmarks.size(); ++i) {
            drawLabel(at[i] + QPointF(28, 16) * m_pixel,
                      QString::fromUtf8(info.landmarks[i].data(), static_cast<int>(info.landmarks[i].size())), colour);
        }
        m_painter.restore();
    }
}

} // namespace

QString angleText(rula::AngleKind kind, double angle)
{
    const int shown = rula::wholeDegrees(angle);
    const QString size = QStringLiteral("%1\u00B0").arg(std::abs(shown));
    switch (kind) {
    case rula::AngleKind::UpperArm:
    case rula::AngleKind::Neck:
        return size + (shown < 0 ? QStringLiteral(" extension") : QStringLiteral(" flexion"));
    case rula::AngleKind::LowerArm:
        return size + QStringLiteral(" flexion");
    case rula::AngleKind::Wrist:
        return shown == 0 ? size : size + (shown > 0 ? QStringLiteral(" up") : QStringLiteral(" down"));
    case rula::AngleKind::Trunk:
        return size + (shown < 0 ? QStringLiteral(" leaning back") : QStringLiteral(" flexion"));
    }
    return size;
}

QColor measurementColour()
{
    return DoneColour;
}

void DrawMeasurements(QPainter& painter, const rula::PictureMeasurements& sheet, const QTransform& pictureToDevice,
                      qreal pixel, const ActiveItem* active)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QFont labelFont = painter.font();
    labelFont.setPixelSize(std::max(1, qRound(15 * pixel)));
    labelFont.setBold(true);
    painter.setFont(labelFont);

    Overlay overlay(painter, sheet, pictureToDevice, pixel);
    const bool drawingReference = active && active->isReference;
    if (!drawingReference && sheet.frame().verticalReference) {
        const auto& r = *sheet.frame().verticalReference;
        overlay.drawReference({r[0], r[1]}, false);
    }
    for (const rula::Measurement& m : sheet.measurements()) {
        if (!active || drawingReference || m.part != active->part)
            overlay.drawMeasurement(m.part, m.points, false);
    }
    if (active) {
        if (active->isReference)
            overlay.drawReference(active->points, true);
        else
            overlay.drawMeasurement(active->part, active->points, true);
    }
    painter.restore();
}

} // namespace MeasurementOverlay
