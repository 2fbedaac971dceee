// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "PostureAngles.h"

#include <QColor>
#include <QString>
#include <QTransform>

#include <vector>

class QPainter;

// The drawing over a workplace picture that shows what was measured on it: each body part's
// lines through its points, the arc of its angle and the angle's label, and the vertical
// reference line. The Measure Angles window draws it over the picture on screen, the report
// over the printed picture, so both show the same.
namespace MeasurementOverlay {

// What the assessor is placing or moving in the window: drawn in its own colour, with the
// names of its points, in place of the stored measurement of that body part (or of the
// reference line, while `isReference`).
struct ActiveItem
{
    std::vector<rula::Point> points;
    bool isReference = false;
    rula::BodyPart part = rula::BodyPart::UpperArmRight;
};

// An angle as the assessor reads it: its size to the whole degree and its direction,
// "90° flexion", "20° extension", "15° up", "30° leaning back".
QString angleText(rula::AngleKind kind, double angle);

// The colour of the finished measurements' lines.
QColor measurementColour();

// Draws every measurement of `sheet` and its vertical reference, then `active` when given.
// `pictureToDevice` maps picture pixels to the painter's coordinates; `pixel` is how long a
// screen pixel is on the painter's device, so that lines, points and labels keep their
// size on screen (1) and on paper alike. The painter's font (made bold, `pixel` * 15 pixels
// high) writes the labels.
void DrawMeasurements(QPainter& painter, const rula::PictureMeasurements& sheet, const QTransform& pictureToDevice,
                      qreal pixel = 1, const ActiveItem* active = nullptr);

} // namespace MeasurementOverlay
