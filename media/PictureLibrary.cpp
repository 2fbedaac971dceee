// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureLibrary.h"

#include "Resources.h"

#include <QFile>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <memory>

namespace {

QString resourcePath(const QString& art)
{
    return QStringLiteral(":/pictures/%1.svg").arg(art);
}

// One parsed renderer per picture, kept for the whole run (null for a missing picture).
QSvgRenderer* renderer(const QString& art)
{
    static QHash<QString, std::shared_ptr<QSvgRenderer>> renderers;
    auto found = renderers.constFind(art);
    if (found != renderers.constEnd())
        return found.value().get();
    initTalvoResources();
    std::shared_ptr<QSvgRenderer> loaded;
    if (!art.isEmpty() && QFile::exists(resourcePath(art))) {
        loaded = std::make_shared<QSvgRenderer>(resourcePath(art));
        if (!loaded->isValid() || loaded->defaultSize().isEmpty())
            loaded.reset();
    }
    renderers.insert(art, loaded);
    return loaded.get();
}

// A rectangle of the picture's own coordinates, placed where the whole picture fills `place`.
QRectF toPlace(const QSvgRenderer& svg, const QRectF& rect, const QRectF& place)
{
    const QRectF view = svg.viewBoxF();
    const double sx = place.width() / view.width();
    const double sy = place.height() / view.height();
    return QRectF(place.x() + (rect.x() - view.x()) * sx, place.y() + (rect.y() - view.y()) * sy, rect.width() * sx,
                  rect.height() * sy);
}

// A rectangle of the picture's own coordinates, in pixels of an image of `size`.
QRectF toImage(const QSvgRenderer& svg, const QRectF& rect, QSize size)
{
    return toPlace(svg, rect, QRectF(QPointF(0, 0), QSizeF(size)));
}

// Flips what the painter draws next left to right about the middle of `place`.
void mirrorAbout(QPainter& painter, const QRectF& place)
{
    painter.translate(place.center().x() * 2, 0);
    painter.scale(-1, 1);
}

QImage render(QSvgRenderer& svg, QSize size, bool mirrored)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QString drawing = QStringLiteral("drawing");
    if (!mirrored || !svg.elementExists(drawing)) {
        svg.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
        painter.end();
        return mirrored ? image.mirrored(true, false) : image;
    }
    // A drawing with labels: the drawing is flipped, while each label and the circled score
    // (the "upright-N" groups) moves to its mirrored place but still reads left to right.
    svg.render(&painter, drawing, toImage(svg, svg.boundsOnElement(drawing), size));
    painter.end();
    image = image.mirrored(true, false);
    painter.begin(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int i = 1;; ++i) {
        const QString id = QStringLiteral("upright-%1").arg(i);
        if (!svg.elementExists(id))
            break;
        QRectF place = toImage(svg, svg.boundsOnElement(id), size);
        place.moveLeft(size.width() - place.right());
        svg.render(&painter, id, place);
    }
    painter.end();
    return image;
}

} // namespace

QPixmap PictureLibrary::picture(const QString& art, QSize size, bool mirrored, qreal ratio)
{
    static QHash<QString, QPixmap> cache;
    const QString key =
        QStringLiteral("%1/%2x%3/%4/%5").arg(art).arg(size.width()).arg(size.height()).arg(mirrored ? 1 : 0).arg(ratio);
    auto found = cache.constFind(key);
    if (found != cache.constEnd())
        return found.value();

    QPixmap pixmap;
    if (QSvgRenderer* svg = renderer(art); svg && !size.isEmpty()) {
        pixmap = QPixmap::fromImage(render(*svg, (QSizeF(size) * ratio).toSize(), mirrored));
        pixmap.setDevicePixelRatio(ratio);
    }
    cache.insert(key, pixmap);
    return pixmap;
}

QSize PictureLibrary::designSize(const QString& art)
{
    QSvgRenderer* svg = renderer(art);
    return svg ? svg->defaultSize() : QSize();
}

bool PictureLibrary::exists(const QString& art)
{
    return renderer(art) != nullptr;
}

QSizeF PictureLibrary::viewSize(const QString& art)
{
    QSvgRenderer* svg = renderer(art);
    return svg ? svg->viewBoxF().size() : QSizeF();
}

bool PictureLibrary::draw(QPainter& painter, const QString& art, const QRectF& target, bool mirrored)
{
    QSvgRenderer* svg = renderer(art);
    if (!svg)
        return false;
    const QString drawing = QStringLiteral("drawing");
    painter.save();
    if (!mirrored || !svg->elementExists(drawing)) {
        if (mirrored)
            mirrorAbout(painter, target);
        svg->render(&painter, target);
        painter.restore();
        return true;
    }
    // As picture() does: the drawing flipped, each label and circled score moved to its
    // mirrored place but still reading left to right.
    painter.save();
    mirrorAbout(painter, target);
    svg->render(&painter, drawing, toPlace(*svg, svg->boundsOnElement(drawing), target));
    painter.restore();
    for (int i = 1;; ++i) {
        const QString id = QStringLiteral("upright-%1").arg(i);
        if (!svg->elementExists(id))
            break;
        QRectF at = toPlace(*svg, svg->boundsOnElement(id), target);
        at.moveLeft(2 * target.center().x() - at.right());
        svg->render(&painter, id, at);
    }
    painter.restore();
    return true;
}

bool PictureLibrary::drawFigure(QPainter& painter, const QString& art, const QRectF& target, bool mirrored)
{
    QSvgRenderer* svg = renderer(art);
    const QString drawing = QStringLiteral("drawing");
    if (!svg || !svg->elementExists(drawing))
        return false;
    painter.save();
    if (mirrored)
        mirrorAbout(painter, target);
    svg->render(&painter, drawing, toPlace(*svg, svg->boundsOnElement(drawing), target));
    painter.restore();
    return true;
}
