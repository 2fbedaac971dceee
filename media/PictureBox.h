// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "PaintFitted.h"

#include <QFrame>
#include <QFuture>
#include <QImage>
#include <QRect>

#include <functional>

// A picture box: a sunken 2-pixel border around an inner area filled with the button
// face colour, into which one picture can be painted scaled into a rectangle.
//
// The box keeps what was painted into it (the picture already scaled to its rectangle)
// and repaints it itself, so the picture stays when the box is covered, hidden and shown
// again, and painting into a hidden box shows once the box is made visible.
class PictureBox : public QFrame
{
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    // The inner area in pixels: the box without its border. Pictures are fitted to it.
    QSize innerSize() const { return contentsRect().size(); }

    // Removes the painted picture; the inner area shows the background colour only.
    void clear();

    // Paints `picture` so that it covers exactly `target`, given in inner-area
    // coordinates (0, 0 is the first pixel inside the border). The picture is normally
    // already decoded at the target's size; any other size is scaled smoothly once here.
    void paintPicture(const QImage& picture, const QRect& target);

    // Paints, as paintPicture does, the picture `decode` gives. It is decoded on another core
    // from the moment the box is showing (at once when it already is), and waited for as soon as
    // the box is painted or asked for its picture (decoded right then when the box was never
    // shown); a null picture leaves the box empty.
    void paintPictureSoon(const std::function<QImage()>& decode, const QRect& target);

    bool hasPicture() const
    {
        settle();
        return !m_picture.isNull();
    }
    // The rectangle the picture covers, in inner-area coordinates; empty after clear().
    QRect pictureRect() const { return hasPicture() ? m_target : QRect(); }
    // The picture as painted (scaled to pictureRect()).
    QImage picture() const
    {
        settle();
        return m_picture;
    }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Starts decoding the picture to come on another core.
    void startDecoding();
    // Paints the picture still to come, once it is decoded.
    void settle() const;

    // What is painted changes when a picture decoded on another core arrives, which any
    // look at the box waits for.
    mutable QImage m_picture;
    mutable QRect m_target;
    mutable std::function<QImage()> m_decode; // until it is started
    mutable QFuture<QImage> m_coming;
    mutable bool m_isComing = false;
};

// Paints the picture file `file` into `box` through `loader`: loads it, fits it into the
// box's inner area (fitPicture), clears the box and paints the whole picture, scaled, into
// the fitted rectangle. Whether the box is visible is left as it is.
// Returns false, and leaves the box exactly as it was, when the file is not a readable
// picture (PictureLoader::load) or cannot be decoded.
bool PaintFitted(const QString& file, PictureLoader& loader, PictureBox& box);

// PaintFitted for a picture already loaded (`loaded`, on any thread), decoded on another core
// once the box is showing (PictureBox::paintPictureSoon) so that the caller goes on at once. False, with the box as it
// was, when nothing is loaded or the box has no room; a picture that cannot be decoded after
// all leaves the box empty.
bool PaintFittedSoon(const PictureLoader& loaded, PictureBox& box);
