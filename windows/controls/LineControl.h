// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRegion>
#include <QWidget>

#include <optional>

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

    // The width actually painted, in pixels, fractions drawn smoothed; the line's width
    // until set. A line that redraws an edge of a stretched picture is painted exactly as
    // wide as that edge appears, so the two join without a step.
    void setDrawnWidth(qreal width);
    qreal drawnWidth() const { return m_drawnWidth; }

    // Limits the painting to `area`, in the parent's pixels (the whole line until set), so
    // that a smoothed edge is never painted twice over itself.
    void setPaintedArea(const QRegion& area);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void place();

    QPoint m_from;
    QPoint m_to;
    int m_width = 1;
    qreal m_drawnWidth = 1;
    std::optional<QRegion> m_paintedArea;
};
