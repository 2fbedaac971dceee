// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "PostureAngles.h"

#include <QColor>
#include <QRectF>
#include <QString>
#include <QTransform>

#include <optional>
#include <vector>

class QPainter;

// The drawing over a workplace picture that shows what was measured on it: each side's
// skeleton, the arc of every measured angle with its label, and the vertical reference line.
// The Measure Angles window draws it over the picture on screen, the report over the printed
// picture, so both show the same.
namespace MeasurementOverlay {

// What the assessor is marking in the window: the landmarks of one side, drawn in their own
// colour with their names, or the vertical reference line being drawn (its ends, which may
// not have been accepted yet).
struct Marking
{
    std::optional<rula::Side> side;
    bool reference = false;
    std::vector<rula::Point> referenceEnds;
};

// An angle as the assessor reads it, in the side panel and on the picture alike: its size to
// the whole degree and its direction, "90° flexion", "20° extension", "15° up", "21° down",
// "30° leaning back".
QString angleText(rula::AngleKind kind, double angle);

// The colour of the finished measurements' lines.
QColor measurementColour();

// One body part with an angle, as the report's table lists it.
struct Row
{
    QString part;
    QString angle;
    QString band; // the band's meaning; why it is band 1 when the worker sits well supported
    int score = 0;
    bool applied = false; // the band on the main window is this one
};
std::vector<Row> rows(const rula::PictureMeasurements& sheet);

// Draws every measurement of `sheet`, then `marking` when given. `pictureToDevice` maps
// picture pixels to the painter's coordinates; `pixel` is how long a screen pixel is on the
// painter's device, so that lines, points and labels keep their size on screen (1) and on
// paper alike. The painter's font (made bold, `pixel` * 15 pixels high) writes the labels,
// placed where they cover no landmark and no other label. Returns the labels' boxes.
std::vector<QRectF> DrawMeasurements(QPainter& painter, const rula::PictureMeasurements& sheet,
                                     const QTransform& pictureToDevice, qreal pixel = 1,
                                     const Marking* marking = nullptr);

} // namespace MeasurementOverlay
