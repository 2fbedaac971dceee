// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "MeasurementOverlay.h"
#include "PostureAngles.h"

#include <QImage>
#include <QPointF>
#include <QString>
#include <QWidget>

#include <thread>
#include <vector>

// The workplace picture of the Measure Angles window, with every measurement drawn over it.
//
// The picture is decoded once at full size. A large JPEG is shown first from a quick
// reduced decode while the full picture and its halved copies are made in the background,
// so the window paints at once. The part of the picture in view is scaled smoothly into a
// cached image, from the smallest copy that is still at least as fine as the view; moving
// a point repaints only the drawing over that cache.
//
// Mouse: the wheel zooms about the cursor, a drag on the picture pans it, a click places
// the point asked for next and a drag on a placed point moves that point.
//
// A landmark that stands where the program suggested it has a ring with the suggestion's
// confidence; below pose::ConfidentFrom the ring is red, dashed and says "check".
class QPainter;

class AngleCanvas : public QWidget
{
    Q_OBJECT
public:
    explicit AngleCanvas(QWidget* parent = nullptr);
    ~AngleCanvas() override;

    // Reads and shows the picture file, fitted. False, with nothing changed, when the file
    // is not a picture that can be decoded.
    bool setPicture(const QString& file);
    QString pictureFile() const { return m_file; }
    QSize pictureSize() const { return m_natural; }
    // True once the picture is shown from its full-size decode (not the quick first copy).
    bool showsFullPicture() const { return !m_levels.empty() && m_levels.front().image.size() == m_natural; }

    // The measurements drawn over the picture.
    void setMeasurements(const rula::PictureMeasurements* sheet) { m_sheet = sheet; }

    // The points the assessor may place and move: each slot holds a point or is empty; a
    // click places the point of slot `next` (none while -1) and a drag moves any placed one.
    // `marking` says what they are: one side's landmarks, or the vertical reference's ends.
    void setMarking(const std::vector<std::optional<rula::Point>>& places, int next,
                    const MeasurementOverlay::Marking& marking);
    const std::vector<std::optional<rula::Point>>& places() const { return m_places; }
    // The slot a click places next, keeping a drag in progress.
    void setNext(int next);

    // The picture as decoded so far, at the smallest copy whose longer side is at least
    // `longerSide` pixels (the largest there is when none is): what landmarks are searched on.
    QImage copyForSearch(int longerSide) const;

    // Fits the whole picture into the view again.
    void fit();

    // Where a picture point is shown in this widget, and the reverse.
    QPointF toWidget(rula::Point point) const;
    rula::Point toPicture(QPointF position) const;
    double zoom() const { return m_scale; }

signals:
    // A point was placed or moved (during a drag, at every move).
    void pointsEdited();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    struct Level
    {
        QImage image;
        double factor; // image width over the picture's natural width
    };

    void waitForDecoder();
    void useLevels(std::vector<Level> levels);
    const Level& levelFor(double scale) const;
    void renderView();
    int placeAt(QPointF position) const;
    void zoomAbout(QPointF anchor, double scale);
    void updateCursor();
    void drawSuggestions(QPainter& painter) const;

    QString m_file;
    QSize m_natural;
    std::vector<Level> m_levels;
    std::thread m_decoder;
    int m_generation = 0;

    double m_scale = 1;   // widget pixels per picture pixel
    QPointF m_origin;     // where the picture's top left corner is in the widget
    bool m_fitted = true; // refit on resize until the assessor zooms or pans
    QImage m_view;        // the picture as it is in view, without the drawing
    bool m_viewValid = false;

    const rula::PictureMeasurements* m_sheet = nullptr;
    std::vector<std::optional<rula::Point>> m_places;
    int m_next = -1;
    MeasurementOverlay::Marking m_marking;

    void placesChanged();

    enum class Drag
    {
        None,
        Press, // pressed, not moved far enough to count as a drag yet
        Pan,
        Point,
    };
    Drag m_drag = Drag::None;
    QPointF m_pressAt;
    QPointF m_originAtPress;
    int m_draggedPoint = -1;
};
