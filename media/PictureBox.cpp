// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureBox.h"

#include <QPainter>
#include <QtConcurrent/QtConcurrentRun>

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
    m_decode = nullptr;
    m_coming = QFuture<QImage>();
    m_isComing = false;
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

void PictureBox::paintPictureSoon(const std::function<QImage()>& decode, const QRect& target)
{
    clear();
    m_decode = decode;
    m_isComing = true;
    m_target = target;
    // A box that is not showing yet (a window made but not yet opened) decodes when it is: the
    // other core stays free for what is on the screen now.
    if (isVisible())
        startDecoding();
}

void PictureBox::startDecoding()
{
    if (!m_decode)
        return;
    m_coming = QtConcurrent::run(m_decode);
    m_decode = nullptr;
}

void PictureBox::settle() const
{
    if (!m_isComing)
        return;
    m_isComing = false;
    const QImage picture = m_decode ? m_decode() : m_coming.result();
    m_decode = nullptr;
    m_coming = QFuture<QImage>();
    const_cast<PictureBox*>(this)->paintPicture(picture, m_target);
}

void PictureBox::showEvent(QShowEvent* event)
{
    QFrame::showEvent(event);
    startDecoding();
}

void PictureBox::paintEvent(QPaintEvent* event)
{
    settle();
    QFrame::paintEvent(event);
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    const QRect inner = contentsRect();
    painter.setClipRect(inner);
    painter.drawImage(m_target.translated(inner.topLeft()), m_picture);
}

namespace {

// Where the loaded picture goes in `box`; empty when the box has no room.
QRect fittedTarget(const PictureLoader& loaded, const PictureBox& box)
{
    const QSize inner = box.innerSize();
    if (inner.isEmpty() || loaded.file().isEmpty())
        return {};
    return fitPicture(loaded.naturalSize(), inner).toPixels();
}

QSize decodedSize(const QRect& target, const PictureBox& box)
{
    return (QSizeF(target.size()) * box.devicePixelRatioF()).toSize();
}

} // namespace

bool PaintFitted(const QString& file, PictureLoader& loader, PictureBox& box)
{
    if (box.innerSize().isEmpty() || !loader.load(file))
        return false;
    const QRect target = fittedTarget(loader, box);
    const QImage picture = loader.decode(decodedSize(target, box));
    if (picture.isNull())
        return false;
    box.clear();
    box.paintPicture(picture, target);
    return true;
}

bool PaintFittedSoon(const PictureLoader& loaded, PictureBox& box)
{
    const QRect target = fittedTarget(loaded, box);
    if (target.isEmpty())
        return false;
    const QSize size = decodedSize(target, box);
    box.paintPictureSoon([loaded, size] { return loaded.decode(size); }, target);
    return true;
}

#include "moc_PictureBox.cpp"
