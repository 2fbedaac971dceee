// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AppWindow.h"
#include "OptionCatalogue.h"
#include "Workplace.h"

#include <array>

class OptionPanel;
class QLabel;
class TabbedPanel;

// The "RULA" window: the command buttons and the workplace picture box on the left, the
// nine tabs of option panels and score boxes on the right. The panels and score boxes show
// the program's assessment; a click on an option's picture runs SelectOption on it.
class MainWindow : public AppWindow, public Workplace
{
    Q_OBJECT
public:
    MainWindow(ProgramState& state, WindowSet& windows);

    TabbedPanel* tabs() const { return m_tabs; }
    OptionPanel* panel(int optionIndex) const { return m_panels.at(static_cast<std::size_t>(optionIndex)); }

    PictureBox& picture() override;

    // Runs SelectOption on the option exactly as a click on its picture does: its group's
    // panels and score box show the result at once.
    void selectOption(int optionIndex) override;

public slots:
    void loadPicture();
    void playVideo();
    void loadExtraPictures();
    void viewResults();
    void viewExtraPictures();
    void exitProgram();
    void showOverview();
    // Opens Measure Angles on the workplace picture (double click on Picture1, Ctrl+M).
    void measureAngles() override;
    // Opens Video Frames ("Video &Frames...", Alt+F or Ctrl+Shift+V).
    void showVideoFrames();
    void showTeamDatabaseSettings();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildTabs();
    // Shows the state's assessment as the clicks that made it would have left the window: the
    // panels and score box of each group with an option selected (a reopened assessment's).
    void showAssessment();
    // Shows the state's workplace picture, one chosen before the window was made (a reopened
    // assessment's).
    void showWorkplacePicture();
    // Shows the group's selected flags in its panels and its score in its score box.
    void showGroup(rula::Group group);
    // Gives the group's pictures and score box the names and descriptions screen readers read.
    void describeGroup(rula::Group group);

    TabbedPanel* m_tabs = nullptr;
    std::array<OptionPanel*, rula::OptionCount> m_panels{};
    std::array<QLabel*, rula::GroupCount> m_scoreBoxes{};
};
