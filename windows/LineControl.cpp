// SPDX-License-Identifier: GPL-3.0-or-later
#include "LineControl.h"

#include <QPainter>

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
    const int pad = (width + 1) / 2;
    setGeometry(QRect(from, to).normalized().adjusted(-pad, -pad, pad + 1, pad + 1));
    raise();
}

void LineControl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QPen pen(palette().color(QPalette::WindowText), m_width);
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
    painter.drawLine(m_from - pos(), m_to - pos());
}
