// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Layout.h"

#include <QPalette>
#include <QPointer>
#include <QWidget>

class QScrollBar;
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

// Whose colours a window shows.
enum class Look
{
    Designed, // the designed windows: the same light colours on every desktop
    Desktop,  // windows added later (Measure Angles): the desktop's palette, light or dark
};

// The light colours the designed windows rely on (black text on light grey, white boxes),
// every role set, so that a dark desktop palette changes none of them.
QPalette designedPalette();

// Base of every window: a top-level, modeless widget that is hidden, never destroyed,
// when dismissed, so it keeps its controls' state for the rest of the run. A window whose
// designed client area is larger than the screen's available area (a high display scale on
// a small screen) keeps its layout and scrolls: scroll bars appear along its right and
// bottom edges, the wheel scrolls it, and a control that the keyboard reaches is scrolled
// into view.
class AppWindow : public QWidget
{
    Q_OBJECT
public:
    AppWindow(ProgramState& state, WindowSet& windows, Frame frame, bool contextHelp, Look look = Look::Designed);

    // Shows the window modeless (maximised for FixedMaximised and MaximisedDialog), brings it
    // to the front and gives it the focus. The first showing centres it on the window it is
    // opened from.
    virtual void showWindow();

protected:
    // Sizes the client area; fixed-border dialogs cannot be resized by the assessor.
    void setClientArea(int width, int height, Units units);

    // Enter and Return press the focused push button, as Space does. A control that handles
    // Enter itself (a text box, a list) keeps that behaviour: its keys never reach here.
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

    ProgramState& m_state;
    WindowSet& m_windows;

private:
    // Shows or hides the scroll bars for the window's present size.
    void placeScrollBars();
    // Moves every control by the scroll bars' change since the last call.
    void scrollControls();
    void scrollIntoView(QWidget* control);
    void placeBeforeFirstShowing();
    static QPointer<AppWindow>& lastShown();

    Frame m_frame;
    QSize m_clientSize; // the designed client area; empty for windows laid out by Qt
    QScrollBar* m_across = nullptr;
    QScrollBar* m_down = nullptr;
    QPoint m_offset; // how far the controls are scrolled
    bool m_placed = false;
};
