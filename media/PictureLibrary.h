// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPixmap>
#include <QRectF>
#include <QSize>
#include <QString>

// The program's own pictures (resources/pictures/<art>.svg), rendered on demand.
class QPainter;

class PictureLibrary
{
public:
    // The picture `art` stretched to `size`, mirrored left to right when asked. A mirrored
    // drawing keeps its labels and circled score readable: they move to the mirrored place
    // but are not themselves flipped. Each (art, size, mirrored) is rendered once and then
    // served from a cache. An unknown name gives a null pixmap. `ratio` is the device pixel
    // ratio of the screen it is shown on: the drawing is rendered at `size` times `ratio`
    // pixels, so it stays sharp on a scaled display, and the pixmap still measures `size`.
    static QPixmap picture(const QString& art, QSize size, bool mirrored = false, qreal ratio = 1.0);

    // The picture's designed size in pixels; invalid for an unknown name.
    static QSize designSize(const QString& art);

    static bool exists(const QString& art);

    // The proportions of the picture's own coordinates; empty for an unknown name.
    static QSizeF viewSize(const QString& art);

    // Draws the picture `art` as vectors stretched over `target` of any painter (a PDF page,
    // say), mirrored as picture() mirrors it. False for an unknown name.
    static bool draw(QPainter& painter, const QString& art, const QRectF& target, bool mirrored = false);

    // Draws only the figure of a posture drawing (its "drawing" element, without labels or
    // circled score), where it stands when the whole picture covers `target`. False for a
    // picture without a figure, such as a text card.
    static bool drawFigure(QPainter& painter, const QString& art, const QRectF& target, bool mirrored = false);
};
