// SPDX-License-Identifier: GPL-3.0-or-later
#include "AngleCanvas.h"

#include "MeasurementOverlay.h"
#include "PaintFitted.h"

#include <QGuiApplication>
#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

constexpr double MaxZoom = 8.0;     // widget pixels per picture pixel
constexpr double GrabRadius = 10.0; // how near a point a press must be to move it
constexpr double DragThreshold = 4.0;
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

// The finest copy held: the picture itself up to 24 megapixels (a 6000 x 4000 photograph),
// a larger one scaled down to that. Points stay in the picture's own pixels whatever copy
// is shown.
QSize finestCopy(QSize natural)
{
    constexpr double MaxPixels = 24e6;
    const double pixels = double(natural.width()) * natural.height();
    if (pixels <= MaxPixels)
        return natural;
    const double factor = std::sqrt(MaxPixels / pixels);
    return QSize(std::max(1, int(natural.width() * factor)), std::max(1, int(natural.height() * factor)));
}

QImage inViewFormat(const QImage& image)
{
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
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
    const QSize finest = finestCopy(natural);
    QSize quick = shrink == 1 ? finest : natural / shrink;
    if (quick.width() >= finest.width())
        quick = finest;
    const QImage first = loader.decode(quick);
    if (first.isNull())
        return false;

    waitForDecoder();
    ++m_generation;
    m_file = file;
    m_natural = natural;
    if (quick == finest) {
        std::vector<Level> levels;
        for (const QImage& copy : halvings(inViewFormat(first)))
            levels.push_back(Level{copy, double(copy.width()) / natural.width()});
        useLevels(std::move(levels));
    } else {
        useLevels({Level{inViewFormat(first), double(first.width()) / natural.width()}});
        const int generation = m_generation;
        m_decoder = std::thread([this, loader, natural, finest, generation] {
            const QImage full = loader.decode(finest);
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

void AngleCanvas::setMarking(const std::vector<std::optional<rula::Point>>& places, int next,
                             const MeasurementOverlay::Marking& marking)
{
    m_places = places;
    m_next = next;
    m_marking = marking;
    m_drag = Drag::None;
    placesChanged();
    updateCursor();
}

void AngleCanvas::setNext(int next)
{
    m_next = next;
    updateCursor();
}

void AngleCanvas::placesChanged()
{
    if (m_marking.reference) {
        m_marking.referenceEnds.clear();
        for (const auto& slot : m_places) {
            if (slot)
                m_marking.referenceEnds.push_back(*slot);
        }
    }
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

    const QTransform pictureToWidget(m_scale, 0, 0, m_scale, m_origin.x(), m_origin.y());
    MeasurementOverlay::DrawMeasurements(painter, m_sheet ? *m_sheet : rula::PictureMeasurements(), pictureToWidget, 1,
                                         &m_marking);
}

void AngleCanvas::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_fitted)
        fit();
    m_viewValid = false;
}

int AngleCanvas::placeAt(QPointF position) const
{
    int nearest = -1;
    double nearestDistance = GrabRadius;
    for (std::size_t i = 0; i < m_places.size(); ++i) {
        if (!m_places[i])
            continue;
        const QPointF d = toWidget(*m_places[i]) - position;
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
    else if (m_next >= 0)
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
    m_draggedPoint = event->button() == Qt::LeftButton ? placeAt(event->position()) : -1;
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
        m_places[static_cast<std::size_t>(m_draggedPoint)] = p;
        placesChanged();
        emit pointsEdited();
    }
}

void AngleCanvas::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_drag == Drag::Press && event->button() == Qt::LeftButton && m_next >= 0 &&
        m_next < static_cast<int>(m_places.size())) {
        const rula::Point p = toPicture(event->position());
        if (p.x >= 0 && p.y >= 0 && p.x <= m_natural.width() && p.y <= m_natural.height()) {
            m_places[static_cast<std::size_t>(m_next)] = p;
            m_next = -1; // the window says which point comes next
            placesChanged();
            emit pointsEdited();
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

#include "moc_AngleCanvas.cpp"
