// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QPointF>
#include <QWidget>

// A video frame, fitted to the view; the mouse wheel zooms about the pointer, a drag moves
// the zoomed frame and a double click fits it again (as on the Measure Angles picture).
class FrameView : public QWidget
{
    Q_OBJECT
public:
    explicit FrameView(QWidget* parent = nullptr);

    // Shows `frame`; the zoom stays while the frame size stays. A frame shown only until the
    // one asked for is decoded carries `stopgap`, a line drawn across its top saying so.
    void setFrame(const QImage& frame, const QString& stopgap = QString());
    QImage frame() const { return m_frame; }
    // True when the frame shown is the one asked for.
    bool exact() const { return m_stopgap.isEmpty(); }
    void fit();

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    double fittedScale() const;
    void keepInView();

    QImage m_frame;
    QString m_stopgap;
    double m_scale = 1;   // view pixels per frame pixel
    QPointF m_origin;     // where the frame's top-left corner is drawn
    bool m_fitted = true; // follows the view's size until zoomed
    QPointF m_dragFrom;
};
