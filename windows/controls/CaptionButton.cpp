// SPDX-License-Identifier: GPL-3.0-or-later
#include "CaptionButton.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

CaptionButton::CaptionButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {}

QRect CaptionButton::captionRect() const
{
    QStyleOptionButton option;
    initStyleOption(&option);
    return style()->subElementRect(QStyle::SE_PushButtonContents, &option, this).adjusted(2, 0, -2, 0);
}

void CaptionButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    style()->drawControl(QStyle::CE_PushButton, &option, &painter, this);
    QRect textRect = captionRect();
    if (isDown())
        textRect.translate(1, 1);
    style()->drawItemText(&painter, textRect, Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic, palette(),
                          isEnabled(), text(), QPalette::ButtonText);
}

#include "moc_CaptionButton.cpp"
