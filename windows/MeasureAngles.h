// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AppWindow.h"
#include "PostureAngles.h"

class AngleCanvas;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

// The "Measure Angles" window: the workplace picture at full size, on which the assessor
// clicks a body part's points and reads its angle, band and score; "Apply" selects that
// band on the main window as a click on its picture would. The measurements are kept in
// the program state for the rest of the run and drawn again whenever the window opens.
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

private:
    QWidget* buildSidePanel();
    void choosePart();
    void chooseFacing();
    void drawVerticalReference();
    void useThePicturesVertical();
    void clearPoints();
    void pointsEdited();
    // Shows the chosen body part's prompt, angle, band, score and notes.
    void showMeasurement();
    void showSummary();
    rula::BodyPart currentPart() const;

    AngleCanvas* m_canvas;
    QListWidget* m_parts;
    QRadioButton* m_facesLeft;
    QRadioButton* m_facesRight;
    QPushButton* m_apply;
    QLabel* m_prompt;
    QLabel* m_angle;
    QLabel* m_bandPicture;
    QLabel* m_bandText;
    QLabel* m_score;
    QLabel* m_borderline;
    QLabel* m_partNote;
    QLabel* m_summary;
    int m_bandPictureOption = -1; // the option whose picture m_bandPicture shows
    bool m_drawingReference = false;
};
