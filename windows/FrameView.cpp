// SPDX-License-Identifier: GPL-3.0-or-later
#include "FrameView.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

FrameView::FrameView(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(320, 240);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAccessibleName(QStringLiteral("Video frame"));
    setAccessibleDescription(QStringLiteral("The frame of the video shown now. The wheel zooms, dragging moves the "
                                            "frame, a double-click fits it to the view."));
}

void FrameView::setFrame(const QImage& frame, const QString& stopgap)
{
    const bool resized = frame.size() != m_frame.size();
    m_frame = frame;
    m_stopgap = stopgap;
    if (resized || m_fitted)
        fit();
    update();
}

double FrameView::fittedScale() const
{
    if (m_frame.isNull())
        return 1;
    return std::min(width() / static_cast<double>(m_frame.width()), height() / static_cast<double>(m_frame.height()));
}

void FrameView::fit()
{
    m_fitted = true;
    m_scale = fittedScale();
    m_origin = QPointF((width() - m_frame.width() * m_scale) / 2, (height() - m_frame.height() * m_scale) / 2);
    update();
}

void FrameView::keepInView()
{
    // A zoomed frame cannot be moved out of the view: at most to its own edge.
    const double w = m_frame.width() * m_scale;
    const double h = m_frame.height() * m_scale;
    const auto clampAxis = [](double origin, double shown, double view) {
        return shown <= view ? (view - shown) / 2 : std::clamp(origin, view - shown, 0.0);
    };
    m_origin = QPointF(clampAxis(m_origin.x(), w, width()), clampAxis(m_origin.y(), h, height()));
}

void FrameView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().dark());
    if (m_frame.isNull())
        return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform, m_scale < 2);
    painter.drawImage(QRectF(m_origin, QSizeF(m_frame.width() * m_scale, m_frame.height() * m_scale)), m_frame);
    if (!m_stopgap.isEmpty()) {
        const QRect band(0, 0, width(), fontMetrics().height() + 8);
        painter.fillRect(band, QColor(0, 0, 0, 170));
        painter.setPen(Qt::white);
        painter.drawText(band.adjusted(8, 0, -8, 0), Qt::AlignVCenter | Qt::AlignLeft, m_stopgap);
    }
}

void FrameView::wheelEvent(QWheelEvent* event)
{
    if (m_frame.isNull())
        return;
    const double factor = std::pow(1.25, event->angleDelta().y() / 120.0);
    const double scale = std::clamp(m_scale * factor, fittedScale(), 16.0);
    const QPointF at = event->position();
    m_origin = at - (at - m_origin) * (scale / m_scale);
    m_scale = scale;
    m_fitted = scale <= fittedScale();
    keepInView();
    update();
    event->accept();
}

void FrameView::mousePressEvent(QMouseEvent* event)
{
    m_dragFrom = event->position();
    setFocus();
}

void FrameView::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return;
    m_origin += event->position() - m_dragFrom;
    m_dragFrom = event->position();
    keepInView();
    update();
}

void FrameView::mouseDoubleClickEvent(QMouseEvent*)
{
    fit();
}

void FrameView::resizeEvent(QResizeEvent*)
{
    if (m_fitted)
        fit();
    else
        keepInView();
}

#include "moc_FrameView.cpp"
