// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Layout.h"

#include <QWidget>

struct ProgramState;
class WindowSet;

// The frame styles the program's windows use.
enum class Frame
{
    Sizable,         // ordinary resizable frame
    FixedDialog,     // fixed border, no minimise or maximise button
    FixedMaximised,  // fixed border, opens maximised, stays on the task bar
    MaximisedDialog, // fixed border, opens maximised, no task-bar entry: never the only window shown
};

// Base of every window: a top-level, modeless widget that is hidden, never destroyed,
// when dismissed, so it keeps its controls' state for the rest of the run.
class AppWindow : public QWidget
{
    Q_OBJECT
public:
    AppWindow(ProgramState& state, WindowSet& windows, Frame frame, bool contextHelp);

    // Shows the window modeless (maximised for FixedMaximised and MaximisedDialog) and brings
    // it to the front.
    virtual void showWindow();

protected:
    // Sizes the client area; fixed-border dialogs cannot be resized by the assessor.
    void setClientArea(int width, int height, Units units);

    // Enter and Return press the focused push button, as Space does. A control that handles
    // Enter itself (a text box, a list) keeps that behaviour: its keys never reach here.
    void keyPressEvent(QKeyEvent* event) override;

    ProgramState& m_state;
    WindowSet& m_windows;

private:
    Frame m_frame;
};
