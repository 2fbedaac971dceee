// SPDX-License-Identifier: GPL-3.0-or-later
// What the Measure Angles tests share: the workplace picture they measure on, and clicking
// an entry of a list as the assessor does.
#pragma once

#include <QColor>
#include <QDir>
#include <QImage>
#include <QListWidget>
#include <QPainter>
#include <QPen>
#include <QTest>

// A light picture with a stick figure at the points the tests click, so a failing test's
// screenshot shows where the clicks were meant to land.
inline QString writeWorkplacePicture(const QDir& dir)
{
    QImage image(1200, 900, QImage::Format_RGB32);
    image.fill(QColor(230, 225, 210));
    QPainter painter(&image);
    painter.setPen(QPen(Qt::darkGray, 12));
    painter.drawLine(600, 800, 600, 200);
    painter.drawLine(600, 200, 1000, 200);
    painter.drawEllipse(QPoint(600, 130), 50, 60);
    painter.end();
    const QString path = dir.filePath(QStringLiteral("workplace.png"));
    if (!image.save(path))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

// Clicks the one entry of `list` reading `text`; false when there is not exactly one.
inline bool clickListEntry(QListWidget* list, const QString& text)
{
    const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchExactly);
    if (found.size() != 1)
        return false;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found.front()).center());
    return true;
}
