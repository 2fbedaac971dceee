// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

// A straight line in the window-text colour, drawn above the controls before it.
class LineControl : public QWidget
{
    Q_OBJECT
public:
    explicit LineControl(QWidget* parent);
    // End points in the parent's pixels, width in pixels.
    void setEnds(QPoint from, QPoint to, int width);
    QPoint from() const { return m_from; }
    QPoint to() const { return m_to; }
    int lineWidth() const { return m_width; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPoint m_from;
    QPoint m_to;
    int m_width = 1;
};
