// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageFlow.h"

QString reportProgramName()
{
    return QStringLiteral("TALVO RULA " TALVO_VERSION);
}

QRectF fittedRect(const QSizeF& size, const QRectF& box)
{
    const QSizeF scaled = size.scaled(box.size(), Qt::KeepAspectRatio);
    return QRectF(box.left() + (box.width() - scaled.width()) / 2, box.top() + (box.height() - scaled.height()) / 2,
                  scaled.width(), scaled.height());
}

void drawPicture(QPainter& painter, const QImage& picture, const QRectF& box)
{
    const QRectF place = fittedRect(QSizeF(picture.size()), box);
    painter.drawImage(place, picture);
    painter.save();
    painter.setPen(QPen(QColor(0x90, 0x90, 0x90), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(place);
    painter.restore();
}
