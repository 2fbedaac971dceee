// SPDX-License-Identifier: GPL-3.0-or-later
#include "AngleCanvas.h"

#include "PaintFitted.h"

#include <QGuiApplication>
#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

constexpr double MaxZoom = 8.0;     // widget pixels per picture pixel
constexpr double GrabRadius = 10.0; // how near a point a press must be to move it
constexpr double DragThreshold = 4.0;
const QColor ActiveColour(255, 196, 0);
const QColor DoneColour(0, 200, 255);
const QColor ReferenceColour(255, 64, 255);
const QColor Background(64, 64, 64);

// Halved copies down to about the size of a screen: a view is always drawn from a copy at
// most twice its own scale, so smooth scaling stays cheap and sharp.
std::vector<QImage> halvings(const QImage& full)
{
    std::vector<QImage> copies{full};
    while (copies.back().width() > 1600 && copies.back().height() > 1000) {
        const QImage& last = copies.back();
        copies.push_back(
            last.scaled(last.width() / 2, last.height() / 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    }
    return copies;
}

QImage inViewFormat(QImage image)
{
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
}

QPointF unit(QPointF v)
{
    const double length = std::hypot(v.x(), v.y());
    return length > 0 ? v / length : QPointF(0, -1);
}

// The direction of `v` as QPainter measures arcs: degrees anticlockwise from three o'clock
// on the screen.
double screenDegrees(QPointF v)
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

void drawOutlined(QPainter& painter, const QColor& colour, const std::function<void()>& draw, Qt::PenStyle style)
{
    painter.setPen(QPen(QColor(0, 0, 0, 170), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    draw();
    painter.setPen(QPen(colour, 2.5, style, Qt::RoundCap, Qt::RoundJoin));
    draw();
}

void drawLabel(QPainter& painter, QPointF at, const QString& text, const QColor& colour)
{
    const QFontMetricsF metrics(painter.font());
    QRectF box = metrics.boundingRect(text).adjusted(-4, -2, 4, 2);
    box.moveCenter(at);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 190));
    painter.drawRoundedRect(box, 4, 4);
    painter.setPen(colour);
    painter.drawText(box, Qt::AlignCenter, text);
}

} // namespace

AngleCanvas::AngleCanvas(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(320, 240);
    QFont labelFont = font();
    labelFont.setPixelSize(15);
    labelFont.setBold(true);
    setFont(labelFont);
}

AngleCanvas::~AngleCanvas()
{
    waitForDecoder();
}

void AngleCanvas::waitForDecoder()
{
    if (m_decoder.joinable())
        m_decoder.join();
}

bool AngleCanvas::setPicture(const QString& file)
{
    PictureLoader loader;
    if (!loader.load(file))
        return false;
    const QSize natural = loader.naturalSize();

    // A JPEG decodes quickly at a half, quarter or eighth of its size: the copy that nearly
    // covers the screen (the view is narrower than the screen) is shown at once, the full
    // picture follows from the background within a fraction of a second.
    int shrink = 1;
    if (QImageReader::imageFormat(file) == "jpeg") {
        const QSize screen =
            QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->size() : QSize(1920, 1080);
        const QSize shown = natural.scaled(screen, Qt::KeepAspectRatio);
        while (shrink < 8 && natural.width() / (shrink * 2) * 4 >= shown.width() * 3 &&
               natural.height() / (shrink * 2) * 4 >= shown.height() * 3)
            shrink *= 2;
    }
    const QImage first = loader.decode(shrink == 1 ? natural : natural / shrink);
    if (first.isNull())
        return false;

    waitForDecoder();
    ++m_generation;
    m_file = file;
    m_natural = natural;
    if (shrink == 1) {
        std::vector<Level> levels;
        for (const QImage& copy : halvings(inViewFormat(first)))
            levels.push_back(Level{copy, double(copy.width()) / natural.width()});
        useLevels(std::move(levels));
    } else {
        useLevels({Level{inViewFormat(first), double(first.width()) / natural.width()}});
        const int generation = m_generation;
        m_decoder = std::thread([this, loader, natural, generation] {
            const QImage full = loader.decode(natural);
            if (full.isNull())
                return; // the quick copy stays; the file went away meanwhile
            std::vector<Level> levels;
            for (const QImage& copy : halvings(inViewFormat(full)))
                levels.push_back(Level{copy, double(copy.width()) / natural.width()});
            QMetaObject::invokeMethod(
                this,
                [this, generation, levels] {
                    if (generation == m_generation)
                        useLevels(levels);
                },
                Qt::QueuedConnection);
        });
    }
    fit();
    return true;
}

void AngleCanvas::useLevels(std::vector<Level> levels)
{
    m_levels = std::move(levels);
    m_viewValid = false;
    update();
}

const AngleCanvas::Level& AngleCanvas::levelFor(double scale) const
{
    // The smallest copy at least as fine as the view; the finest when zoomed in past it.
    const Level* smallestFineEnough = nullptr;
    const Level* finest = &m_levels.front();
    for (const Level& level : m_levels) {
        if (level.factor > finest->factor)
            finest = &level;
        if (level.factor >= scale && (!smallestFineEnough || level.factor < smallestFineEnough->factor))
            smallestFineEnough = &level;
    }
    return smallestFineEnough ? *smallestFineEnough : *finest;
}

void AngleCanvas::fit()
{
    if (m_natural.isEmpty())
        return;
    m_scale = std::min(double(width()) / m_natural.width(), double(height()) / m_natural.height());
    m_origin = QPointF((width() - m_natural.width() * m_scale) / 2, (height() - m_natural.height() * m_scale) / 2);
    m_fitted = true;
    m_viewValid = false;
    update();
}

QPointF AngleCanvas::toWidget(rula::Point point) const
{
    return m_origin + QPointF(point.x, point.y) * m_scale;
}

rula::Point AngleCanvas::toPicture(QPointF position) const
{
    const QPointF p = (position - m_origin) / m_scale;
    return rula::Point{p.x(), p.y()};
}

void AngleCanvas::setActivePoints(const std::vector<rula::Point>& points, int wanted, bool isReference,
                                  rula::BodyPart part)
{
    m_active = points;
    m_wanted = wanted;
    m_activeIsReference = isReference;
    m_activePart = part;
    m_drag = Drag::None;
    updateCursor();
    update();
}

void AngleCanvas::renderView()
{
    if (m_view.size() != size())
        m_view = QImage(size(), QImage::Format_RGB32);
    m_view.fill(Background);
    if (m_levels.empty()) {
        m_viewValid = true;
        return;
    }
    const Level& level = levelFor(m_scale);
    const QRectF picture(m_origin, QSizeF(m_natural) * m_scale);
    const QRectF target = picture.intersected(QRectF(rect()));
    if (!target.isEmpty()) {
        const double toLevel = level.factor / m_scale;
        const QRectF source((target.topLeft() - m_origin) * toLevel, target.size() * toLevel);
        QPainter painter(&m_view);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, level.image, source);
    }
    m_viewValid = true;
}

void AngleCanvas::paintEvent(QPaintEvent*)
{
    if (!m_viewValid || m_view.size() != size())
        renderView();
    QPainter painter(this);
    painter.drawImage(0, 0, m_view);
    painter.setRenderHint(QPainter::Antialiasing);

    if (m_sheet) {
        if (!m_activeIsReference && m_sheet->frame().verticalReference) {
            const auto& r = *m_sheet->frame().verticalReference;
            drawReference(painter, {r[0], r[1]}, false);
        }
        for (const rula::Measurement& m : m_sheet->measurements()) {
            if (m_activeIsReference || m.part != m_activePart)
                drawMeasurement(painter, m.part, m.points, false);
        }
    }
    if (m_activeIsReference)
        drawReference(painter, m_active, true);
    else
        drawMeasurement(painter, m_activePart, m_active, true);
}

void AngleCanvas::drawReference(QPainter& painter, const std::vector<rula::Point>& points, bool active) const
{
    const QColor colour = active ? ActiveColour : ReferenceColour;
    if (points.size() == 2) {
        const QLineF line(toWidget(points[0]), toWidget(points[1]));
        drawOutlined(
            painter, colour, [&] { painter.drawLine(line); }, Qt::DashLine);
        drawLabel(painter, line.center() + QPointF(0, -16), tr("vertical"), colour);
    }
    painter.setPen(QPen(Qt::black, 1.5));
    painter.setBrush(colour);
    for (const rula::Point& p : points)
        painter.drawEllipse(toWidget(p), 5, 5);
}

void AngleCanvas::drawMeasurement(QPainter& painter, rula::BodyPart part, const std::vector<rula::Point>& points,
                                  bool active) const
{
    const QColor colour = active ? ActiveColour : DoneColour;
    std::vector<QPointF> at;
    for (const rula::Point& p : points)
        at.push_back(toWidget(p));

    if (at.size() >= 2) {
        QPolygonF line;
        for (const QPointF& p : at)
            line << p;
        drawOutlined(
            painter, colour, [&] { painter.drawPolyline(line); }, Qt::SolidLine);
    }

    const rula::BodyPartInfo& info = rula::bodyPartInfo(part);
    const rula::Measurement* measured = m_sheet ? m_sheet->find(part) : nullptr;
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
            reference = upOnPicture(m_sheet->frame());
            const rula::Measurement* trunk = m_sheet->find(rula::BodyPart::Trunk);
            if (trunk && trunk->isComplete())
                reference = toWidget(trunk->points[1]) - toWidget(trunk->points[0]);
            break;
        }
        case rula::AngleKind::Trunk:
            vertex = at[0];
            limb = at[1] - at[0];
            reference = upOnPicture(m_sheet->frame());
            break;
        }
        const double limbLength = std::hypot(limb.x(), limb.y());
        const QPointF referenceEnd = vertex + unit(reference) * std::max(limbLength, 30.0);
        if (info.kind != rula::AngleKind::UpperArm)
            drawOutlined(
                painter, colour, [&] { painter.drawLine(vertex, referenceEnd); }, Qt::DashLine);

        const double radius = std::clamp(limbLength * 0.35, 18.0, 60.0);
        const double start = screenDegrees(reference);
        double span = screenDegrees(limb) - start;
        while (span > 180)
            span -= 360;
        while (span <= -180)
            span += 360;
        const QRectF circle(vertex - QPointF(radius, radius), QSizeF(2 * radius, 2 * radius));
        painter.setBrush(Qt::NoBrush);
        drawOutlined(
            painter, colour,
            [&] { painter.drawArc(circle, static_cast<int>(start * 16), static_cast<int>(span * 16)); }, Qt::SolidLine);

        const double middle = (start + span / 2) * M_PI / 180.0;
        const QPointF labelAt = vertex + QPointF(std::cos(middle), -std::sin(middle)) * (radius + 22);
        drawLabel(painter, labelAt, QStringLiteral("%1\u00B0").arg(rula::wholeDegrees(measured->angle)), colour);
    }

    painter.setPen(QPen(Qt::black, 1.5));
    painter.setBrush(colour);
    for (const QPointF& p : at)
        painter.drawEllipse(p, 5, 5);
    if (active) {
        // The landmark names stand aside, below right, in a smaller hand than the angle.
        painter.save();
        QFont small = painter.font();
        small.setPixelSize(12);
        small.setBold(false);
        painter.setFont(small);
        for (std::size_t i = 0; i < at.size() && i < info.landmarks.size(); ++i) {
            drawLabel(painter, at[i] + QPointF(28, 16),
                      QString::fromUtf8(info.landmarks[i].data(), static_cast<int>(info.landmarks[i].size())), colour);
        }
    }
}

void AngleCanvas::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_fitted)
        fit();
    m_viewValid = false;
}

int AngleCanvas::activePointAt(QPointF position) const
{
    int nearest = -1;
    double nearestDistance = GrabRadius;
    for (std::size_t i = 0; i < m_active.size(); ++i) {
        const QPointF d = toWidget(m_active[i]) - position;
        const double distance = std::hypot(d.x(), d.y());
        if (distance <= nearestDistance) {
            nearest = static_cast<int>(i);
            nearestDistance = distance;
        }
    }
    return nearest;
}

void AngleCanvas::updateCursor()
{
    if (m_drag == Drag::Pan)
        setCursor(Qt::ClosedHandCursor);
    else if (static_cast<int>(m_active.size()) < m_wanted)
        setCursor(Qt::CrossCursor);
    else
        setCursor(Qt::OpenHandCursor);
}

void AngleCanvas::mousePressEvent(QMouseEvent* event)
{
    if (m_natural.isEmpty() || (event->button() != Qt::LeftButton && event->button() != Qt::MiddleButton))
        return;
    m_pressAt = event->position();
    m_originAtPress = m_origin;
    m_draggedPoint = event->button() == Qt::LeftButton ? activePointAt(event->position()) : -1;
    m_drag = m_draggedPoint >= 0 ? Drag::Point : Drag::Press;
    if (event->button() == Qt::MiddleButton)
        m_drag = Drag::Pan;
    updateCursor();
}

void AngleCanvas::mouseMoveEvent(QMouseEvent* event)
{
    const QPointF moved = event->position() - m_pressAt;
    if (m_drag == Drag::Press && std::hypot(moved.x(), moved.y()) >= DragThreshold)
        m_drag = Drag::Pan;
    if (m_drag == Drag::Pan) {
        m_origin = m_originAtPress + moved;
        m_fitted = false;
        m_viewValid = false;
        updateCursor();
        update();
    } else if (m_drag == Drag::Point) {
        rula::Point p = toPicture(event->position());
        p.x = std::clamp(p.x, 0.0, double(m_natural.width()));
        p.y = std::clamp(p.y, 0.0, double(m_natural.height()));
        m_active[static_cast<std::size_t>(m_draggedPoint)] = p;
        emit activePointsEdited();
        update();
    }
}

void AngleCanvas::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_drag == Drag::Press && event->button() == Qt::LeftButton && static_cast<int>(m_active.size()) < m_wanted) {
        const rula::Point p = toPicture(event->position());
        if (p.x >= 0 && p.y >= 0 && p.x <= m_natural.width() && p.y <= m_natural.height()) {
            m_active.push_back(p);
            emit activePointsEdited();
            update();
        }
    }
    m_drag = Drag::None;
    m_draggedPoint = -1;
    updateCursor();
}

void AngleCanvas::wheelEvent(QWheelEvent* event)
{
    if (m_natural.isEmpty())
        return;
    const double steps = event->angleDelta().y() / 120.0;
    zoomAbout(event->position(), m_scale * std::pow(1.25, steps));
    event->accept();
}

void AngleCanvas::zoomAbout(QPointF anchor, double scale)
{
    const double fitScale = std::min(double(width()) / m_natural.width(), double(height()) / m_natural.height());
    scale = std::clamp(scale, fitScale / 2, std::max(MaxZoom, fitScale));
    m_origin = anchor - (anchor - m_origin) * (scale / m_scale);
    m_scale = scale;
    m_fitted = false;
    m_viewValid = false;
    update();
}
