// SPDX-License-Identifier: GPL-3.0-or-later
#include "OptionPanel.h"

#include "PictureControl.h"

#include <QPalette>

OptionPanel::OptionPanel(QWidget* parent, const QString& pictureName, const QString& art, bool mirrored,
                         const QRect& pictureRect)
    : QWidget(parent), m_picture(new PictureControl(this))
{
    setAutoFillBackground(true);
    setFocusPolicy(Qt::NoFocus);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Button));
    setPalette(palette);

    m_picture->setObjectName(pictureName);
    m_picture->setArt(art, mirrored);
    m_picture->setGeometry(pictureRect);
}

void OptionPanel::setSelected(bool selected)
{
    if (selected == m_selected)
        return;
    m_selected = selected;
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, selected ? QColor::fromRgb(SelectedColour) : palette.color(QPalette::Button));
    setPalette(palette);
}

QColor OptionPanel::colour() const
{
    return palette().color(QPalette::Window);
}

#include "moc_OptionPanel.cpp"
