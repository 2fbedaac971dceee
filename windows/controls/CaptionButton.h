// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPushButton>

// A push button whose caption wraps at word boundaries onto further lines, centred, when it
// is wider than the button ("Load E&xtra Pictures" takes two lines), as every caption of the
// designed screens does. The access key works as on any push button.
class CaptionButton : public QPushButton
{
    Q_OBJECT
public:
    CaptionButton(const QString& caption, QWidget* parent);

    // The rectangle the caption is laid out in, in the button's coordinates.
    QRect captionRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};
