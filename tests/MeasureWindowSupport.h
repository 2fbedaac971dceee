// SPDX-License-Identifier: GPL-3.0-or-later
// Measuring on the workplace picture as the assessor does: Measure Angles opened by a double
// click on Main's picture, a body part chosen in its list, a picture point found on screen.
#pragma once

#include "AngleCanvas.h"
#include "MainWindow.h"
#include "MeasureAngles.h"
#include "PictureBox.h"
#include "WindowSet.h"
#include "WindowTestSupport.h"

#include <QListWidget>
#include <QPoint>
#include <QTest>

inline MeasureAngles& openMeasureAngles(WindowSet& windows)
{
    auto* picture = child<PictureBox>(windows.window<MainWindow>(), "Picture1");
    QTest::mouseDClick(picture, Qt::LeftButton, {}, picture->rect().center());
    MeasureAngles& window = windows.window<MeasureAngles>();
    if (!QTest::qWaitForWindowExposed(&window))
        qFatal("Measure Angles did not open");
    return window;
}

inline void choosePart(MeasureAngles& window, const QString& name)
{
    auto* parts = child<QListWidget>(window, "BodyPart");
    const QList<QListWidgetItem*> found = parts->findItems(name + QStringLiteral(" \u2013 "), Qt::MatchStartsWith);
    QCOMPARE(found.size(), 1);
    QTest::mouseClick(parts->viewport(), Qt::LeftButton, {}, parts->visualItemRect(found.front()).center());
}

// Where the picture point (x, y) is on the screen.
inline QPoint at(MeasureAngles& window, double x, double y)
{
    return window.canvas()->toWidget(rula::Point{x, y}).toPoint();
}
