// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Helpers shared by the window tests: recording message boxes and program ends, a fresh
// program state and window set for every test function, finding controls by name, and
// checking geometry given in twips.

#include "Layout.h"
#include "ProgramState.h"
#include "Resources.h"
#include "SaveTable.h"
#include "Services.h"
#include "WindowSet.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QRect>
#include <QStringList>
#include <QTest>
#include <QWidget>

#include <memory>

struct ServiceRecorder
{
    QStringList messages;
    QStringList titles;
    int ends = 0;

    void install()
    {
        MessageService::setHandler([this](const QString& text, const QString& title) {
            messages << text;
            titles << title;
        });
        ProgramEnd::setHandler([this] { ++ends; });
    }
    void clear()
    {
        messages.clear();
        titles.clear();
        ends = 0;
    }
};

// The program state and its windows, made afresh for every test function, with message
// boxes and program ends recorded. A test class derives from it beside QObject and calls
// startRecording() from initTestCase(), makeWindows() from init() and dropWindows() from
// cleanup().
struct WindowFixture
{
    ServiceRecorder recorder;
    std::unique_ptr<ProgramState> state;
    std::unique_ptr<WindowSet> windows;

    void startRecording()
    {
        initTalvoResources();
        recorder.install();
    }
    void makeWindows()
    {
        recorder.clear();
        state = std::make_unique<ProgramState>();
        windows = std::make_unique<WindowSet>(*state);
    }
    // Fails the test when a top-level window outlives the window set: a window the program
    // made outside it would stay open when the assessment is done.
    void dropWindows()
    {
        windows.reset();
        state.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QStringList left;
        for (const QWidget* widget : QApplication::topLevelWidgets()) {
            const Qt::WindowType type = widget->windowType();
            if (type != Qt::ToolTip && type != Qt::Popup && type != Qt::Desktop)
                left << QString::fromLatin1(widget->metaObject()->className()) + QLatin1Char(' ') +
                            widget->objectName();
        }
        QVERIFY2(left.isEmpty(), qPrintable(QStringLiteral("windows left over: ") + left.join(QStringLiteral(", "))));
    }
};

template <typename T> T* child(const QWidget& window, const char* name)
{
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("window %s has no %s", qPrintable(window.objectName()), name);
    return found;
}

inline QString labelText(const QWidget& window, const char* name)
{
    return child<QLabel>(window, name)->text();
}

inline void click(const QWidget& window, const char* button)
{
    QPushButton* b = child<QPushButton>(window, button);
    QVERIFY2(b->isEnabled(), button);
    QTest::mouseClick(b, Qt::LeftButton);
}

// A rectangle of the design, in twips, as pixels at 96 dpi. Every position of these windows
// is a whole number of pixels.
inline QRect twips(int left, int top, int width, int height)
{
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

inline QString cellString(const SaveCell& cell)
{
    return std::holds_alternative<QString>(cell) ? std::get<QString>(cell) : QStringLiteral("<not text>");
}

inline int cellInt(const SaveCell& cell)
{
    return std::holds_alternative<std::int16_t>(cell) ? std::get<std::int16_t>(cell) : -9999;
}

// The control that Tab moves to from `from`: the next one in the focus chain that takes
// keyboard focus by Tab.
inline QWidget* nextTabStop(QWidget* from)
{
    QWidget* w = from->nextInFocusChain();
    while (w != from && (!(w->focusPolicy() & Qt::TabFocus) || w->isWindow()))
        w = w->nextInFocusChain();
    return w;
}
