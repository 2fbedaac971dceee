// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureControl.h"

#include "PictureLibrary.h"

#include <QKeyEvent>
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
    painter.drawPixmap(0, 0, PictureLibrary::picture(m_art, size(), m_mirrored, devicePixelRatioF()));
    if (hasFocus()) {
        // A frame that shows on white pictures and on the red of a chosen option alike.
        const QRectF frame = QRectF(rect()).adjusted(2, 2, -2, -2);
        painter.setPen(QPen(QColor(0, 0, 160), 4));
        painter.drawRect(frame);
        painter.setPen(QPen(Qt::white, 1, Qt::DashLine));
        painter.drawRect(frame);
    }
}

void PictureControl::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (plain && (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter)) {
        emit clicked();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PictureControl::focusInEvent(QFocusEvent* event)
{
    update();
    QWidget::focusInEvent(event);
}

void PictureControl::focusOutEvent(QFocusEvent* event)
{
    update();
    QWidget::focusOutEvent(event);
}

void PictureControl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        emit clicked();
}

#include "moc_PictureControl.cpp"
