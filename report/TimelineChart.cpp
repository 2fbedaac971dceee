// SPDX-License-Identifier: GPL-3.0-or-later
#include "TimelineChart.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

// The action levels' bands of the grand score (1-2, 3-4, 5-6, 7), light enough to draw on.
const QColor LevelColours[4] = {QColor(0xd8, 0xf0, 0xd0), QColor(0xf8, 0xf0, 0xb8), QColor(0xfc, 0xd8, 0xa8),
                                QColor(0xf4, 0xb4, 0xb0)};
const QColor SideColours[2] = {QColor(0x1f, 0x4e, 0xb4), QColor(0xb0, 0x20, 0x80)}; // right, left
constexpr int HighestGrand = 7;

} // namespace

TimelineChart::TimelineChart(const QRectF& area, const QFontMetricsF& metrics, const rula::VideoTimeline& timeline,
                             qreal pixel)
    : m_area(area), m_axis(metrics.horizontalAdvance(QStringLiteral("7")) + 6 * pixel), m_textHeight(metrics.height()),
      m_pixel(pixel), m_timeline(timeline)
{
    m_plot = QRectF(area.left() + m_axis, area.top() + 4 * pixel, area.width() - m_axis - 4 * pixel,
                    area.height() - 8 * pixel);
}

double TimelineChart::xOf(double seconds) const
{
    const double duration = m_timeline.durationSeconds > 0 ? m_timeline.durationSeconds : 1;
    return m_plot.left() + seconds / duration * m_plot.width();
}

double TimelineChart::yOf(double grand) const
{
    return m_plot.bottom() - (grand - 0.5) / HighestGrand * m_plot.height();
}

void TimelineChart::paint(QPainter& painter) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    // Level 1 is grand 1-2, level 2 3-4, level 3 5-6, level 4 7.
    const double bandEdges[5] = {0.5, 2.5, 4.5, 6.5, 7.5};
    for (int level = 0; level < 4; ++level)
        painter.fillRect(
            QRectF(QPointF(m_plot.left(), yOf(bandEdges[level + 1])), QPointF(m_plot.right(), yOf(bandEdges[level]))),
            LevelColours[level]);
    painter.setPen(Qt::darkGray);
    for (int grand = 1; grand <= HighestGrand; ++grand)
        painter.drawText(QRectF(m_area.left(), yOf(grand) - m_textHeight / 2.0, m_axis - 4 * m_pixel, m_textHeight),
                         Qt::AlignRight | Qt::AlignVCenter, QString::number(grand));

    for (const rula::Side side : {rula::Side::Right, rula::Side::Left}) {
        QPainterPath path;
        bool drawing = false;
        for (const rula::ScoredSample& sample : m_timeline.samples) {
            const rula::SideScore& s = sample.side(side);
            if (!s.scored) {
                drawing = false; // a gap, not a zero
                continue;
            }
            // The left side a hair lower, so that equal scores show both lines.
            const QPointF point(xOf(sample.timeSeconds), yOf(s.grand) + (side == rula::Side::Left ? 2 : -1) * m_pixel);
            if (drawing)
                path.lineTo(point);
            else
                path.moveTo(point);
            path.addEllipse(point, 1.5 * m_pixel, 1.5 * m_pixel);
            path.moveTo(point);
            drawing = true;
        }
        painter.setPen(QPen(SideColours[static_cast<int>(side)], 2 * m_pixel));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(path);
    }
    painter.setPen(QPen(Qt::gray, m_pixel));
    painter.drawRect(m_plot);
    painter.restore();
}

const rula::ScoredSample* TimelineChart::sampleAt(double x) const
{
    if (m_timeline.samples.empty())
        return nullptr;
    const double duration = m_timeline.durationSeconds > 0 ? m_timeline.durationSeconds : 1;
    const double seconds = (x - m_plot.left()) / std::max(1.0, m_plot.width()) * duration;
    const auto nearer = [seconds](const rula::ScoredSample& a, const rula::ScoredSample& b) {
        return std::abs(a.timeSeconds - seconds) < std::abs(b.timeSeconds - seconds);
    };
    return &*std::min_element(m_timeline.samples.begin(), m_timeline.samples.end(), nearer);
}
