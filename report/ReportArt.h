// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRectF>
#include <QString>

class QPainter;

enum class ArtFit
{
    KeepProportions, // as large as fits, centred
    Stretch          // filling the target, as a picture control on screen does
};

// Draws the picture library's drawing `art` as vectors into `target`. Mirrored drawings keep
// their labels readable, as on screen. False for an unknown drawing.
bool DrawArt(QPainter& painter, const QString& art, const QRectF& target, bool mirrored = false,
             ArtFit fit = ArtFit::KeepProportions);

// Draws only the figure of a posture drawing (its "drawing" element, without the angle labels
// and circled score, which no one can read at thumbnail size), placed as in the whole
// drawing. False for a drawing without a figure, such as a text card.
bool DrawFigure(QPainter& painter, const QString& art, const QRectF& target, bool mirrored = false);
