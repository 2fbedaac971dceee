// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

[[noreturn]] void missingControl(const QWidget* window, const char* name);

template <typename T> T* control(const QWidget* window, const char* name)
{
    T* found = window->findChild<T*>(QString::fromLatin1(name));
    if (!found)
        missingControl(window, name);
    return found;
}
