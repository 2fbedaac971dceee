// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AppWindow.h"
#include "BodyPose.h"
#include "PostureAngles.h"

#include <memory>

class AngleCanvas;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
template <typename T> class QFutureWatcher;

// The "Measure Angles" window: the workplace picture at full size, on which the assessor
// marks each side of the worker once (hip, shoulder, elbow, wrist, knuckles, ear) and reads
// every body part's angle, band and score. "Apply" selects the chosen part's band on the main
// window as a click on its picture would, "Apply All" every measured part's; nothing on the
// main window changes otherwise. The measurements are kept in the program state for the rest
// of the run and drawn again whenever the window opens.
//
// "Suggest Landmarks" finds the worker on the picture (pose/, off the interface thread) and
// places both sides' landmarks where it found them, each kept with its suggestion and
// confidence; the assessor checks and drags them, and applies as always.
class MeasureAngles : public AppWindow
{
    Q_OBJECT
public:
    // The help topic of every control of this window.
    static constexpr int HelpTopic = 200;

    MeasureAngles(ProgramState& state, WindowSet& windows);

    // Shows the workplace picture, maximised; reads the picture file again only when another
    // picture has been loaded since. Says so, and stays hidden, when the picture cannot be read.
    void showWindow() override;

    AngleCanvas* canvas() const { return m_canvas; }

public slots:
    void apply();
    void applyAll();
    void suggestLandmarks();

private:
    QWidget* buildSidePanel();
    void choosePart();
    void chooseFacing();
    void chooseSeated();
    void drawVerticalReference();
    void useThePicturesVertical();
    void clearPoints();
    void pointsEdited();
    // Hands the canvas the landmarks of the side being marked (or the reference's ends).
    void markOnCanvas();
    // The slot a click places next: the chosen part's first missing landmark, then the side's.
    int nextPlace() const;
    // Shows the chosen body part's prompt, angle, band, score and notes, and every part's state.
    void showMeasurement();
    void showPartList();
    void applyPart(rula::BodyPart part);
    struct Suggested;
    void useSuggestion();
    rula::BodyPart currentPart() const;
    rula::Reading currentReading() const;

    AngleCanvas* m_canvas;
    QListWidget* m_parts;
    QButtonGroup* m_facing;
    QRadioButton* m_facesLeft;
    QRadioButton* m_facesRight;
    QCheckBox* m_seated;
    QPushButton* m_apply;
    QPushButton* m_applyAll;
    QLabel* m_prompt;
    QLabel* m_angle;
    QLabel* m_bandPicture;
    QLabel* m_bandText;
    QLabel* m_score;
    QLabel* m_notes;
    QLabel* m_partNote;
    QPushButton* m_suggest;
    QLabel* m_suggestStatus;
    QFutureWatcher<Suggested>* m_suggesting;
    // Loaded on the first suggestion, in the background, and kept for the next ones.
    std::shared_ptr<pose::PoseFinder> m_finder;
    int m_bandPictureOption = -1; // the option whose picture m_bandPicture shows
    bool m_drawingReference = false;
    QString m_referenceRefusal;            // why the line being drawn is not used as the vertical
    rula::Side m_side = rula::Side::Right; // the side being marked
};
