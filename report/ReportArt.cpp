// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReportArt.h"

#include "Resources.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

#include <memory>
#include <unordered_map>

namespace {

QSvgRenderer* renderer(const QString& art)
{
    static std::unordered_map<std::string, std::unique_ptr<QSvgRenderer>> renderers;
    const std::string key = art.toStdString();
    auto found = renderers.find(key);
    if (found != renderers.end())
        return found->second.get();
    initTalvoResources();
    const QString path = QStringLiteral(":/pictures/%1.svg").arg(art);
    std::unique_ptr<QSvgRenderer> loaded;
    if (!art.isEmpty() && QFile::exists(path)) {
        loaded = std::make_unique<QSvgRenderer>(path);
        if (!loaded->isValid() || loaded->viewBoxF().isEmpty())
            loaded.reset();
    }
    return renderers.emplace(key, std::move(loaded)).first->second.get();
}

QRectF fitted(const QSizeF& size, const QRectF& target)
{
    const QSizeF scaled = size.scaled(target.size(), Qt::KeepAspectRatio);
    return QRectF(target.center() - QPointF(scaled.width() / 2, scaled.height() / 2), scaled);
}

// A rectangle of the drawing's own coordinates, placed in `place`.
QRectF toPlace(const QSvgRenderer& svg, const QRectF& rect, const QRectF& place)
{
    const QRectF view = svg.viewBoxF();
    const qreal sx = place.width() / view.width();
    const qreal sy = place.height() / view.height();
    return QRectF(place.x() + (rect.x() - view.x()) * sx, place.y() + (rect.y() - view.y()) * sy, rect.width() * sx,
                  rect.height() * sy);
}

} // namespace

bool DrawArt(QPainter& painter, const QString& art, const QRectF& target, bool mirrored, ArtFit fit)
{
    QSvgRenderer* svg = renderer(art);
    if (!svg)
        return false;
    const QRectF place = fit == ArtFit::Stretch ? target : fitted(svg->viewBoxF().size(), target);
    const QString drawing = QStringLiteral("drawing");
    painter.save();
    if (!mirrored || !svg->elementExists(drawing)) {
        if (mirrored) {
            painter.translate(place.center().x() * 2, 0);
            painter.scale(-1, 1);
        }
        svg->render(&painter, place);
        painter.restore();
        return true;
    }
    // The drawing flipped; each label and circled score (the "upright-N" groups) moved to its
    // mirrored place but still reading left to right.
    painter.save();
    painter.translate(place.center().x() * 2, 0);
    painter.scale(-1, 1);
    svg->render(&painter, drawing, toPlace(*svg, svg->boundsOnElement(drawing), place));
    painter.restore();
    for (int i = 1;; ++i) {
        const QString id = QStringLiteral("upright-%1").arg(i);
        if (!svg->elementExists(id))
            break;
        QRectF at = toPlace(*svg, svg->boundsOnElement(id), place);
        at.moveLeft(2 * place.center().x() - at.right());
        svg->render(&painter, id, at);
    }
    painter.restore();
    return true;
}

bool DrawFigure(QPainter& painter, const QString& art, const QRectF& target, bool mirrored)
{
    QSvgRenderer* svg = renderer(art);
    const QString drawing = QStringLiteral("drawing");
    if (!svg || !svg->elementExists(drawing))
        return false;
    const QRectF place = fitted(svg->viewBoxF().size(), target);
    painter.save();
    if (mirrored) {
        painter.translate(place.center().x() * 2, 0);
        painter.scale(-1, 1);
    }
    svg->render(&painter, drawing, toPlace(*svg, svg->boundsOnElement(drawing), place));
    painter.restore();
    return true;
}
