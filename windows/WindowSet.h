// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include <map>
#include <memory>
#include <typeindex>

struct ProgramState;

// One instance of each window for the whole run, created hidden the first time it is
// asked for (to show it or to read one of its controls), hidden instead of destroyed.
// Every window class W has a constructor W(ProgramState&, WindowSet&).
class WindowSet
{
public:
    explicit WindowSet(ProgramState& state) : m_state(state) {}
    WindowSet(const WindowSet&) = delete;
    WindowSet& operator=(const WindowSet&) = delete;

    template <typename W> W& window()
    {
        std::unique_ptr<QWidget>& slot = m_windows[std::type_index(typeid(W))];
        if (!slot)
            slot = std::make_unique<W>(m_state, *this);
        return static_cast<W&>(*slot);
    }

    // True when the window of class W exists (has been asked for).
    template <typename W> bool exists() const { return m_windows.count(std::type_index(typeid(W))) != 0; }

    ProgramState& state() { return m_state; }

private:
    ProgramState& m_state;
    std::map<std::type_index, std::unique_ptr<QWidget>> m_windows;
};
