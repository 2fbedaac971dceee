// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

// A picture loader: learns a picture file's natural size from its header and later
// decodes the file at exactly the size it will be shown at. It never holds a full-size
// copy of the picture, so a 6000 x 4000 photograph costs only what its box shows.
//
// The program has two loaders, one in each picture-file window: the open picture file
// window's for the workplace picture, the open extra pictures window's for the extra
// pictures.
class PictureLoader
{
public:
    // Reads the header of `file` and checks that the file is a whole picture of a format
    // the installed image readers know. True when it can be decoded; false (and an empty
    // natural size) for a missing, unreadable, empty, damaged or truncated file, or one
    // that is not a picture at all.
    bool load(const QString& file);

    // The natural width and height of the picture last loaded, in pixels.
    QSize naturalSize() const { return m_size; }
    QString file() const { return m_file; }

    // Decodes the loaded picture scaled to `size` (JPEG is decoded at a reduced scale
    // straight away). A null image when the file cannot be decoded after all.
    QImage decode(QSize size) const;

private:
    QString m_file;
    QByteArray m_format;
    QSize m_size;
};

// Where a picture of `picture` natural size goes in a box of `box` inner size: the whole
// picture at the largest size with unchanged proportions that fits, centred.
// Computed in 32-bit floats: picture ratio r, box ratio b, and if b > r (box relatively
// wider) the height is kept and the width is H * r, otherwise (equal ratios included) the
// width is kept and the height is W / r; the left and top margins are half what is left.
struct FittedRect
{
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;

    // The rectangle in whole pixels: each edge rounded to the nearest pixel, so equal
    // margins stay equal, and never less than one pixel wide or high.
    QRect toPixels() const;
};

FittedRect fitPicture(QSize picture, QSize box);
