// SPDX-License-Identifier: GPL-3.0-or-later
#include "AppWindow.h"

#include "ContextHelp.h"
#include "ProgramState.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QStyleFactory>
#include <QTimer>

#include <algorithm>

#include <memory>

QPalette designedPalette()
{
    static const QPalette palette = [] {
        const std::unique_ptr<QStyle> light(QStyleFactory::create(QStringLiteral("Fusion")));
        const QPalette standard = light ? light->standardPalette() : QPalette(QColor(239, 239, 239));
        QPalette all;
        for (int group = 0; group < QPalette::NColorGroups; ++group) {
            for (int role = 0; role < QPalette::NColorRoles; ++role) {
                const auto g = static_cast<QPalette::ColorGroup>(group);
                const auto r = static_cast<QPalette::ColorRole>(role);
                all.setBrush(g, r, standard.brush(g, r)); // marks each role as set
            }
        }
        return all;
    }();
    return palette;
}

AppWindow::AppWindow(ProgramState& state, WindowSet& windows, Frame frame, bool contextHelp, Look look)
    : QWidget(nullptr), m_state(state), m_windows(windows), m_frame(frame)
{
    // Set before the controls are made: they take their colours from the window.
    if (look == Look::Designed)
        setPalette(designedPalette());
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
    if (m_clientSize.isValid() && m_frame != Frame::FixedMaximised && m_frame != Frame::MaximisedDialog) {
        // A window larger than the screen's free area is shown as large as that area allows
        // (its title bar and frame included) and scrolls.
        const QRect available = (screen() ? screen() : QGuiApplication::primaryScreen())->availableGeometry();
        const QMargins frame =
            isVisible()
                ? QMargins(frameGeometry().left() - geometry().left(), geometry().top() - frameGeometry().top(),
                           frameGeometry().right() - geometry().right(), frameGeometry().bottom() - geometry().bottom())
                : QMargins(8, 32, 8, 8);
        const QSize room = available.size().shrunkBy(frame);
        QSize shown = m_clientSize.boundedTo(room);
        // Room for the one scroll bar needed, so that it does not call for the other.
        const int thickness = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
        if (shown.height() < m_clientSize.height())
            shown.setWidth(qMin(shown.width() + thickness, room.width()));
        if (shown.width() < m_clientSize.width())
            shown.setHeight(qMin(shown.height() + thickness, room.height()));
        if (m_frame == Frame::FixedDialog)
            setFixedSize(shown);
        else if (shown != m_clientSize)
            resize(shown);
    }
    const bool maximised = m_frame == Frame::FixedMaximised || m_frame == Frame::MaximisedDialog;
    if (!maximised && !m_placed)
        placeBeforeFirstShowing();
    if (maximised)
        showMaximized();
    else
        show();
    raise();
    activateWindow();
    // A window shown while another is being hidden (the caution window after "View
    // &Results") can lose the activation to the window manager's choice: ask once more when
    // the events of the change have run, unless a later window has been shown since.
    lastShown() = this;
    QTimer::singleShot(0, this, [this] {
        if (lastShown() == this && isVisible() && !isActiveWindow() && !QApplication::activeModalWidget())
            activateWindow();
    });
}

QPointer<AppWindow>& AppWindow::lastShown()
{
    static QPointer<AppWindow> window;
    return window;
}

// The first showing opens the window centred on the window it was opened from (the active
// one), else on the screen, whole title bar on the screen; later showings keep the place the
// assessor left it at.
void AppWindow::placeBeforeFirstShowing()
{
    m_placed = true;
    const QScreen* shown = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!shown)
        return;
    const QRect available = shown->availableGeometry();
    const QWidget* from = QApplication::activeWindow();
    const QRect anchor = from && from != this && from->isVisible() ? from->frameGeometry() : available;
    const QMargins frame(8, 32, 8, 8); // the decoration, known only once shown
    const QSize outer = size().grownBy(frame);
    QPoint corner = anchor.center() - QPoint(outer.width() / 2, outer.height() / 2);
    corner.setX(
        std::clamp(corner.x(), available.left(), std::max(available.left(), available.right() - outer.width())));
    corner.setY(
        std::clamp(corner.y(), available.top(), std::max(available.top(), available.bottom() - outer.height())));
    move(corner);
}

void AppWindow::setClientArea(int width, int height, Units units)
{
    setClientSize(this, width, height, units);
    m_clientSize = size();
    if (m_frame == Frame::FixedDialog)
        setFixedSize(size());
    if (!m_across) {
        m_across = new QScrollBar(Qt::Horizontal, this);
        m_down = new QScrollBar(Qt::Vertical, this);
        for (QScrollBar* bar : {m_across, m_down}) {
            bar->setObjectName(bar == m_across ? QStringLiteral("WindowScrollAcross")
                                               : QStringLiteral("WindowScrollDown"));
            bar->setFocusPolicy(Qt::NoFocus);
            // Opaque and without hover effects: the pointer passing over a bar repaints
            // neither the bar nor the controls beneath it.
            bar->setAutoFillBackground(true);
            bar->ensurePolished();
            bar->setAttribute(Qt::WA_Hover, false);
            bar->hide();
            connect(bar, &QScrollBar::valueChanged, this, &AppWindow::scrollControls);
        }
        qApp->installEventFilter(this);
    }
    placeScrollBars();
}

bool AppWindow::eventFilter(QObject* watched, QEvent* event)
{
    // Only a control reached by the keyboard is scrolled into view: a click or a program's
    // own focus change leaves the view where the assessor put it.
    if (event->type() == QEvent::FocusIn && watched->isWidgetType()) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        auto* widget = static_cast<QWidget*>(watched);
        if ((reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason) &&
            widget->window() == this)
            scrollIntoView(widget);
    }
    return QWidget::eventFilter(watched, event);
}

void AppWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeScrollBars();
}

void AppWindow::wheelEvent(QWheelEvent* event)
{
    QScrollBar* bar = m_down && m_down->isVisible() ? m_down : m_across;
    if (bar && bar->isVisible())
        QCoreApplication::sendEvent(bar, event);
    else
        QWidget::wheelEvent(event);
}

void AppWindow::placeScrollBars()
{
    if (!m_across)
        return;
    const int thickness = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    bool across = width() < m_clientSize.width();
    bool down = height() < m_clientSize.height();
    // Each bar takes room from the other direction.
    across = across || (down && width() - thickness < m_clientSize.width());
    down = down || (across && height() - thickness < m_clientSize.height());
    const int seenWidth = width() - (down ? thickness : 0);
    const int seenHeight = height() - (across ? thickness : 0);
    m_across->setVisible(across);
    m_down->setVisible(down);
    m_across->setGeometry(0, height() - thickness, seenWidth, thickness);
    m_down->setGeometry(width() - thickness, 0, thickness, seenHeight);
    m_across->setRange(0, across ? m_clientSize.width() - seenWidth : 0);
    m_down->setRange(0, down ? m_clientSize.height() - seenHeight : 0);
    m_across->setPageStep(seenWidth);
    m_down->setPageStep(seenHeight);
    m_across->setSingleStep(20);
    m_down->setSingleStep(20);
    m_across->raise();
    m_down->raise();
    scrollControls();
}

void AppWindow::scrollControls()
{
    const QPoint wanted(m_across->value(), m_down->value());
    const QPoint shift = m_offset - wanted;
    if (shift.isNull())
        return;
    m_offset = wanted;
    for (QWidget* control : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (control != m_across && control != m_down && !control->isWindow())
            control->move(control->pos() + shift);
    }
}

void AppWindow::scrollIntoView(QWidget* control)
{
    if (!m_across || (!m_across->isVisible() && !m_down->isVisible()) || control == m_across || control == m_down)
        return;
    // The control's place in the unscrolled layout, against the part of it in view.
    const QRect place(control->mapTo(this, QPoint(0, 0)) + m_offset, control->size());
    const QRect seen(
        m_offset, QSize(m_down->isVisible() ? m_down->x() : width(), m_across->isVisible() ? m_across->y() : height()));
    if (place.right() > seen.right())
        m_across->setValue(place.right() - seen.width() + 1);
    if (place.left() < m_across->value())
        m_across->setValue(place.left());
    if (place.bottom() > seen.bottom())
        m_down->setValue(place.bottom() - seen.height() + 1);
    if (place.top() < m_down->value())
        m_down->setValue(place.top());
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

#include "moc_AppWindow.cpp"
