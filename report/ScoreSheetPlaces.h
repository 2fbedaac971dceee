// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLineF>
#include <QRectF>
#include <QString>

#include <vector>

// The score sheet drawing filled in with one assessment's values, placed as the final results
// window places them. Every rectangle is in one unit of the caller's choice (the window uses
// twips); the report scales the whole so that `drawing` fills the space it gives the sheet.
struct ScoreSheetPlaces
{
    struct Value
    {
        QRectF box; // painted white, the value centred in it
        QString text;
        bool grand = false; // a grand score: larger and bold
        QString trace;      // how the value was reached; empty for a body-part score
    };
    struct Edge
    {
        QLineF line; // an edge of the drawing that a white box covered, drawn again
        qreal width = 1;
    };

    QString art; // the drawing in the picture library
    QRectF drawing;
    std::vector<Value> values;
    std::vector<Edge> edges;
};
