// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppWindow.h"

#include "ContextHelp.h"
#include "ProgramState.h"

#include <QKeyEvent>
#include <QPushButton>

AppWindow::AppWindow(ProgramState& state, WindowSet& windows, Frame frame, bool contextHelp)
    : QWidget(nullptr), m_state(state), m_windows(windows), m_frame(frame)
{
    Qt::WindowFlags flags = Qt::Window;
    if (frame != Frame::Sizable) {
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
        // Windows that can be the only one visible stay reachable from the task bar; the
        // small dialogs and the extra pictures window, which always stand beside another
        // window, are tied to the dialog role instead and have no task-bar entry.
        if (frame == Frame::FixedDialog || frame == Frame::MaximisedDialog)
            flags |= Qt::Dialog;
    }
    if (contextHelp)
        flags |= Qt::WindowContextHelpButtonHint;
    setWindowFlags(flags);
    setAttribute(Qt::WA_DeleteOnClose, false);
    if (contextHelp)
        ContextHelp::install(this, [&state] { return state.ApplicationHelpFile; });
}

void AppWindow::showWindow()
{
    if (m_frame == Frame::FixedMaximised || m_frame == Frame::MaximisedDialog)
        showMaximized();
    else
        show();
    raise();
    activateWindow();
}

void AppWindow::setClientArea(int width, int height, Units units)
{
    setClientSize(this, width, height, units);
    if (m_frame == Frame::FixedDialog)
        setFixedSize(size());
}

void AppWindow::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    auto* button = qobject_cast<QPushButton*>(focusWidget());
    if (enter && plain && button && button->isEnabled() && button->isVisible()) {
        button->click();
        return;
    }
    QWidget::keyPressEvent(event);
}
