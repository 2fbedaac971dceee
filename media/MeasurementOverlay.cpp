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
constexpr double PointRadius = 5;

using rula::Landmark;

QString fromModel(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

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

QPointF along(double deviceDegrees, double distance)
{
    const double r = deviceDegrees * M_PI / 180.0;
    return QPointF(std::cos(r), -std::sin(r)) * distance;
}

// The chain drawn through one side's landmarks: down the arm, and from the shoulder to the ear.
const std::vector<std::vector<Landmark>> Chains{
    {Landmark::Hip, Landmark::Shoulder, Landmark::Elbow, Landmark::Wrist, Landmark::Knuckles},
    {Landmark::Shoulder, Landmark::Ear}};

class Overlay
{
public:
    Overlay(QPainter& painter, const rula::PictureMeasurements& sheet, const QTransform& pictureToDevice, qreal pixel)
        : m_painter(painter), m_sheet(sheet), m_transform(pictureToDevice), m_pixel(pixel)
    {
    }

    QPointF toDevice(rula::Point point) const { return m_transform.map(QPointF(point.x, point.y)); }

    void avoid(QPointF at) { m_landmarks.push_back(at); }

    void drawOutlined(const QColor& colour, const std::function<void()>& draw, Qt::PenStyle style)
    {
        m_painter.setPen(QPen(QColor(0, 0, 0, 170), 5 * m_pixel, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        draw();
        m_painter.setPen(QPen(colour, 2.5 * m_pixel, style, Qt::RoundCap, Qt::RoundJoin));
        draw();
    }

    void drawPoints(const std::vector<QPointF>& at, const QColor& colour)
    {
        m_painter.setPen(QPen(Qt::black, 1.5 * m_pixel));
        m_painter.setBrush(colour);
        for (const QPointF& p : at)
            m_painter.drawEllipse(p, PointRadius * m_pixel, PointRadius * m_pixel);
    }

    // A label to draw once every line and point is drawn, near `anchor` in the direction
    // `direction` (device degrees), at the first place around it that covers no landmark and
    // no other label.
    void queueLabel(QPointF anchor, double direction, double distance, const QString& text, const QColor& colour,
                    bool small)
    {
        m_labels.push_back(Label{anchor, direction, distance, text, colour, small});
    }

    void drawReference(const std::vector<rula::Point>& ends, bool marking);
    void drawSide(rula::Side side, bool marking);
    void drawAngle(const rula::Reading& reading, bool marking);
    std::vector<QRectF> drawLabels();

private:
    struct Label
    {
        QPointF anchor;
        double direction;
        double distance;
        QString text;
        QColor colour;
        bool small;
    };

    QFont labelFont(bool small) const
    {
        QFont font = m_painter.font();
        if (small) {
            font.setPixelSize(std::max(1, qRound(12 * m_pixel)));
            font.setBold(false);
        }
        return font;
    }

    bool isFree(const QRectF& box, const std::vector<QRectF>& taken) const
    {
        const double clearance = (PointRadius + 2) * m_pixel;
        for (const QPointF& p : m_landmarks) {
            if (box.adjusted(-clearance, -clearance, clearance, clearance).contains(p))
                return false;
        }
        return std::none_of(taken.begin(), taken.end(), [&box](const QRectF& t) { return t.intersects(box); });
    }

    QPainter& m_painter;
    const rula::PictureMeasurements& m_sheet;
    QTransform m_transform;
    qreal m_pixel;
    std::vector<QPointF> m_landmarks;
    std::vector<Label> m_labels;
};

void Overlay::drawReference(const std::vector<rula::Point>& ends, bool marking)
{
    const QColor colour = marking ? ActiveColour : ReferenceColour;
    std::vector<QPointF> at;
    at.reserve(ends.size());
    for (const rula::Point& p : ends)
        at.push_back(toDevice(p));
    if (at.size() == 2) {
        const QLineF line(at[0], at[1]);
        drawOutlined(
            colour, [&] { m_painter.drawLine(line); }, Qt::DashLine);
        queueLabel(line.center(), deviceDegrees(line.normalVector().unitVector().p2() - line.p1()), 16 * m_pixel,
                   QStringLiteral("vertical"), colour, false);
    }
    drawPoints(at, colour);
}

void Overlay::drawSide(rula::Side side, bool marking)
{
    const QColor colour = marking ? ActiveColour : DoneColour;
    const rula::Skeleton& skeleton = m_sheet.side(side);
    for (const std::vector<Landmark>& chain : Chains) {
        QPolygonF line;
        for (Landmark l : chain) {
            if (skeleton[l])
                line << toDevice(*skeleton[l]);
            else if (line.size() > 0)
                break;
        }
        if (line.size() >= 2)
            drawOutlined(
                colour, [&] { m_painter.drawPolyline(line); }, Qt::SolidLine);
    }
    std::vector<QPointF> at;
    for (int i = 0; i < rula::LandmarkCount; ++i) {
        const Landmark l = static_cast<Landmark>(i);
        if (!skeleton[l])
            continue;
        at.push_back(toDevice(*skeleton[l]));
        if (marking) {
            queueLabel(at.back(), -30, 26 * m_pixel, fromModel(rula::landmarkName(l)), colour, true);
        }
    }
    drawPoints(at, colour);
}

void Overlay::drawAngle(const rula::Reading& reading, bool marking)
{
    const rula::BodyPartInfo& info = rula::bodyPartInfo(reading.part);
    const rula::Skeleton& skeleton = m_sheet.side(*reading.side);
    auto at = [&](Landmark l) { return toDevice(*skeleton[l]); };
    QPointF vertex;
    QPointF reference;
    QPointF limb;
    switch (info.kind) {
    case rula::AngleKind::UpperArm:
        vertex = at(Landmark::Shoulder);
        reference = at(Landmark::Hip) - vertex;
        limb = at(Landmark::Elbow) - vertex;
        break;
    case rula::AngleKind::LowerArm:
        vertex = at(Landmark::Elbow);
        reference = vertex - at(Landmark::Shoulder);
        limb = at(Landmark::Wrist) - vertex;
        break;
    case rula::AngleKind::Wrist:
        vertex = at(Landmark::Wrist);
        reference = vertex - at(Landmark::Elbow);
        limb = at(Landmark::Knuckles) - vertex;
        break;
    case rula::AngleKind::Trunk: {
        vertex = at(Landmark::Hip);
        limb = at(Landmark::Shoulder) - vertex;
        const rula::Point up = rula::upDirection(m_sheet.verticalReference);
        reference = m_transform.map(QPointF(up.x, up.y)) - m_transform.map(QPointF(0, 0));
        break;
    }
    case rula::AngleKind::Neck:
        vertex = at(Landmark::Shoulder);
        reference = vertex - at(Landmark::Hip);
        limb = at(Landmark::Ear) - vertex;
        break;
    }
    const QColor colour = marking ? ActiveColour : DoneColour;
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
    // An upper arm raised past the overhead position turns the long way round.
    if (std::abs(*reading.angle) > 180)
        span += span > 0 ? -360 : 360;
    const QRectF circle(vertex - QPointF(radius, radius), QSizeF(2 * radius, 2 * radius));
    m_painter.setBrush(Qt::NoBrush);
    drawOutlined(
        colour, [&] { m_painter.drawArc(circle, static_cast<int>(start * 16), static_cast<int>(span * 16)); },
        Qt::SolidLine);
    queueLabel(vertex, start + span / 2, radius + 22 * m_pixel, angleText(info.kind, *reading.angle), colour, false);
}

std::vector<QRectF> Overlay::drawLabels()
{
    std::vector<QRectF> taken;
    for (const Label& label : m_labels) {
        m_painter.setFont(labelFont(label.small));
        const QFontMetricsF metrics(m_painter.font(), m_painter.device());
        QRectF box = metrics.boundingRect(label.text).adjusted(-4 * m_pixel, -2 * m_pixel, 4 * m_pixel, 2 * m_pixel);
        QRectF chosen;
        // Round the anchor at the wanted distance first, turning further and further from the
        // wanted direction, then further out.
        for (double distance = label.distance; chosen.isNull() && distance < label.distance * 6;
             distance += 14 * m_pixel) {
            for (int turn = 0; turn <= 180 && chosen.isNull(); turn += 20) {
                for (int sign : {1, -1}) {
                    box.moveCenter(label.anchor + along(label.direction + sign * turn, distance));
                    if (isFree(box, taken)) {
                        chosen = box;
                        break;
                    }
                    if (turn == 0 || turn == 180)
                        break;
                }
            }
        }
        if (chosen.isNull()) {
            box.moveCenter(label.anchor + along(label.direction, label.distance));
            chosen = box;
        }
        taken.push_back(chosen);
        m_painter.setPen(Qt::NoPen);
        m_painter.setBrush(QColor(0, 0, 0, 190));
        m_painter.drawRoundedRect(chosen, 4 * m_pixel, 4 * m_pixel);
        m_painter.setPen(label.colour);
        m_painter.drawText(chosen, Qt::AlignCenter, label.text);
    }
    return taken;
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

std::vector<Row> rows(const rula::PictureMeasurements& sheet)
{
    std::vector<Row> result;
    for (const rula::BodyPartInfo& info : rula::bodyParts()) {
        const rula::Reading reading = rula::readPart(sheet, info.part);
        if (!reading.angle)
            continue;
        const rula::OptionInfo& band = rula::options()[std::size_t(reading.optionIndex)];
        QString meaning = fromModel(band.meaning);
        if (reading.bandFromSeating)
            meaning += QStringLiteral(": seated with the trunk well supported, which the method scores 1");
        result.push_back(Row{fromModel(info.name), angleText(info.kind, *reading.angle), meaning, band.value,
                             reading.state == rula::PartState::Applied});
    }
    return result;
}

std::vector<QRectF> DrawMeasurements(QPainter& painter, const rula::PictureMeasurements& sheet,
                                     const QTransform& pictureToDevice, qreal pixel, const Marking* marking)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QFont labelFont = painter.font();
    labelFont.setPixelSize(std::max(1, qRound(15 * pixel)));
    labelFont.setBold(true);
    painter.setFont(labelFont);

    Overlay overlay(painter, sheet, pictureToDevice, pixel);
    for (const rula::Skeleton& skeleton : sheet.sides) {
        for (const auto& landmark : skeleton.landmarks) {
            if (landmark)
                overlay.avoid(overlay.toDevice(*landmark));
        }
    }
    const bool drawingReference = marking && marking->reference;
    if (drawingReference) {
        for (const rula::Point& p : marking->referenceEnds)
            overlay.avoid(overlay.toDevice(p));
        overlay.drawReference(marking->referenceEnds, true);
    } else if (sheet.verticalReference) {
        const auto& r = *sheet.verticalReference;
        overlay.avoid(overlay.toDevice(r[0]));
        overlay.avoid(overlay.toDevice(r[1]));
        overlay.drawReference({r[0], r[1]}, false);
    }
    // The side being marked is drawn last, over the other.
    const bool markingSide = marking && !drawingReference && marking->side.has_value();
    const rula::Side marked = markingSide ? *marking->side : rula::Side::Right;
    for (rula::Side side : {rula::Side::Right, rula::Side::Left}) {
        if (!markingSide || side != marked)
            overlay.drawSide(side, false);
    }
    if (markingSide)
        overlay.drawSide(marked, true);
    for (const rula::BodyPartInfo& info : rula::bodyParts()) {
        const rula::Reading reading = rula::readPart(sheet, info.part);
        if (reading.angle)
            overlay.drawAngle(reading, markingSide && *reading.side == marked);
    }
    std::vector<QRectF> labels = overlay.drawLabels();
    painter.restore();
    return labels;
}

} // namespace MeasurementOverlay
