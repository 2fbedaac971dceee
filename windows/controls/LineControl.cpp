// SPDX-License-Identifier: GPL-3.0-or-later
#include "LineControl.h"

#include <QPainter>

#include <cmath>

LineControl::LineControl(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

void LineControl::setEnds(QPoint from, QPoint to, int width)
{
    m_from = from;
    m_to = to;
    m_width = width;
    m_drawnWidth = width;
    place();
    raise();
}

void LineControl::setDrawnWidth(qreal width)
{
    m_drawnWidth = width;
    place();
    update();
}

void LineControl::setPaintedArea(const QRegion& area)
{
    m_paintedArea = area;
    update();
}

void LineControl::place()
{
    const int pad = int(std::ceil(m_drawnWidth / 2));
    setGeometry(QRect(m_from, m_to).normalized().adjusted(-pad, -pad, pad + 1, pad + 1));
}

void LineControl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (m_paintedArea)
        painter.setClipRegion(m_paintedArea->translated(-pos()));
    const bool whole = m_drawnWidth == std::floor(m_drawnWidth);
    painter.setRenderHint(QPainter::Antialiasing, !whole);
    QPen pen(palette().color(QPalette::WindowText), m_drawnWidth);
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
    painter.drawLine(QPointF(m_from - pos()), QPointF(m_to - pos()));
}

#include "moc_LineControl.cpp"
