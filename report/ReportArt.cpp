// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReportArt.h"

#include "PictureLibrary.h"

namespace {

QRectF fitted(const QSizeF& size, const QRectF& target)
{
    const QSizeF scaled = size.scaled(target.size(), Qt::KeepAspectRatio);
    return QRectF(target.center() - QPointF(scaled.width() / 2, scaled.height() / 2), scaled);
}

} // namespace

bool DrawArt(QPainter& painter, const QString& art, const QRectF& target, bool mirrored, ArtFit fit)
{
    const QSizeF view = PictureLibrary::viewSize(art);
    if (view.isEmpty())
        return false;
    return PictureLibrary::draw(painter, art, fit == ArtFit::Stretch ? target : fitted(view, target), mirrored);
}

bool DrawFigure(QPainter& painter, const QString& art, const QRectF& target, bool mirrored)
{
    const QSizeF view = PictureLibrary::viewSize(art);
    if (view.isEmpty())
        return false;
    return PictureLibrary::drawFigure(painter, art, fitted(view, target), mirrored);
}
