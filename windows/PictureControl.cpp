// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureControl.h"

#include "PictureLibrary.h"

#include <QMouseEvent>
#include <QPainter>

PictureControl::PictureControl(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
}

void PictureControl::setArt(const QString& art, bool mirrored)
{
    m_art = art;
    m_mirrored = mirrored;
    update();
}

void PictureControl::paintEvent(QPaintEvent*)
{
    if (m_art.isEmpty())
        return;
    QPainter painter(this);
    painter.drawPixmap(0, 0, PictureLibrary::picture(m_art, size(), m_mirrored));
}

void PictureControl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        emit clicked();
}
