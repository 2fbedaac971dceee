// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureLibrary.h"

#include "Resources.h"

#include <QFile>
#include <QHash>
#include <QPainter>
#include <QSvgRenderer>

namespace {

QString resourcePath(const QString& art)
{
    return QStringLiteral(":/pictures/%1.svg").arg(art);
}

QSvgRenderer* renderer(const QString& art)
{
    static QHash<QString, QSvgRenderer*> renderers;
    auto found = renderers.constFind(art);
    if (found != renderers.constEnd())
        return found.value();
    initTalvoResources();
    QSvgRenderer* loaded = nullptr;
    if (QFile::exists(resourcePath(art))) {
        loaded = new QSvgRenderer(resourcePath(art));
        if (!loaded->isValid()) {
            delete loaded;
            loaded = nullptr;
        }
    }
    renderers.insert(art, loaded);
    return loaded;
}

} // namespace

QPixmap PictureLibrary::picture(const QString& art, QSize size, bool mirrored)
{
    static QHash<QString, QPixmap> cache;
    const QString key = QStringLiteral("%1/%2x%3/%4").arg(art).arg(size.width()).arg(size.height()).arg(mirrored);
    auto found = cache.constFind(key);
    if (found != cache.constEnd())
        return found.value();

    QPixmap pixmap;
    if (QSvgRenderer* svg = renderer(art); svg && !size.isEmpty()) {
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        if (mirrored) {
            painter.translate(size.width(), 0);
            painter.scale(-1, 1);
        }
        svg->render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
        painter.end();
        pixmap = QPixmap::fromImage(image);
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
