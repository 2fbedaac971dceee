// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureBox.h"

#include <QPainter>

PictureBox::PictureBox(QWidget* parent) : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::NoFocus);
}

void PictureBox::clear()
{
    m_picture = QImage();
    m_target = QRect();
    update();
}

void PictureBox::paintPicture(const QImage& picture, const QRect& target)
{
    if (picture.isNull() || target.isEmpty())
        return;
    const qreal ratio = devicePixelRatioF();
    const QSize wanted = (QSizeF(target.size()) * ratio).toSize();
    QImage painted =
        picture.size() == wanted ? picture : picture.scaled(wanted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    // Kept in the raster engine's own format, so a repaint is a plain copy.
    painted =
        painted.convertToFormat(painted.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    painted.setDevicePixelRatio(ratio);
    m_picture = painted;
    m_target = target;
    update();
}

void PictureBox::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    const QRect inner = contentsRect();
    painter.setClipRect(inner);
    painter.drawImage(m_target.translated(inner.topLeft()), m_picture);
}

bool PaintFitted(const QString& file, PictureLoader& loader, PictureBox& box)
{
    const QSize inner = box.innerSize();
    if (inner.isEmpty() || !loader.load(file))
        return false;
    const QRect target = fitPicture(loader.naturalSize(), inner).toPixels();
    const QImage picture = loader.decode((QSizeF(target.size()) * box.devicePixelRatioF()).toSize());
    if (picture.isNull())
        return false;
    box.clear();
    box.paintPicture(picture, target);
    return true;
}

#include "moc_PictureBox.cpp"
