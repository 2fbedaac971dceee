// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "VideoScoring.h"

#include <QFontMetricsF>
#include <QRectF>

class QPainter;

// The chart of each side's grand score over a scored video's time, on the action levels'
// coloured bands; a sample where a side was not found leaves a gap in its line. Drawn the same
// in Video Frames and on the report's page.
class TimelineChart
{
public:
    // A chart filling `area`, its score axis labelled in the font of `metrics`, its lines drawn
    // `pixel` wide (a screen pixel, or its size on paper).
    TimelineChart(const QRectF& area, const QFontMetricsF& metrics, const rula::VideoTimeline& timeline,
                  qreal pixel = 1);

    void paint(QPainter& painter) const;

    // The sample whose time is nearest to the point `x` across the chart; none without samples.
    const rula::ScoredSample* sampleAt(double x) const;

private:
    double xOf(double seconds) const;
    double yOf(double grand) const;

    QRectF m_area;
    QRectF m_plot;
    double m_axis = 0;
    double m_textHeight = 0;
    qreal m_pixel = 1;
    const rula::VideoTimeline& m_timeline;
};
