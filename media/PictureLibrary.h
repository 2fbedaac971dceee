// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPixmap>
#include <QSize>
#include <QString>

// The program's own pictures (resources/pictures/<art>.svg), rendered on demand.
class PictureLibrary
{
public:
    // The picture `art` stretched to `size`, mirrored left to right when asked. A mirrored
    // drawing keeps its labels and circled score readable: they move to the mirrored place
    // but are not themselves flipped. Each (art, size, mirrored) is rendered once and then
    // served from a cache. An unknown name gives a null pixmap.
    static QPixmap picture(const QString& art, QSize size, bool mirrored = false);

    // The picture's designed size in pixels; invalid for an unknown name.
    static QSize designSize(const QString& art);

    static bool exists(const QString& art);
};
