// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QRect>
#include <QWidget>

class PictureControl;

// An option panel: a borderless, captionless panel whose background shows the option's
// selected flag (pure red when selected, the button-face colour otherwise). It holds one
// picture control; the uncovered margin around the picture is the visible selection frame.
// Only the picture reports clicks; the margin does nothing.
class OptionPanel : public QWidget
{
    Q_OBJECT
public:
    static constexpr QRgb SelectedColour = 0xFF0000; // pure red

    // `pictureRect` is the picture control's place inside the panel.
    OptionPanel(QWidget* parent, const QString& pictureName, const QString& art, bool mirrored,
                const QRect& pictureRect);

    void setSelected(bool selected);
    bool isSelected() const { return m_selected; }

    // The panel's current background colour.
    QColor colour() const;

    PictureControl* picture() const { return m_picture; }

private:
    PictureControl* m_picture;
    bool m_selected = false;
};
