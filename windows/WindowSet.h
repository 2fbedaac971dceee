// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include <map>
#include <memory>
#include <typeindex>

class ExtraPictures;
struct ProgramState;
class RebaMeasuring;
class ResultSaving;
class TeamPublishing;
class Workplace;

// One instance of each window for the whole run, created hidden the first time it is
// asked for (to show it or to read one of its controls), hidden instead of destroyed.
// Every window class W has a constructor W(ProgramState&, WindowSet&).
// Beside the windows, the set holds the few services windows give one another, so that a
// window reaches another one only to open it.
class WindowSet
{
public:
    explicit WindowSet(ProgramState& state);
    ~WindowSet();
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

    // The workplace picture and its options: the main window's, or `workplace` once given one
    // (which outlives the set).
    Workplace& workplace();
    void setWorkplace(Workplace& workplace) { m_workplace = &workplace; }

    // Publishes this run's saves to the team database (the state's database and outbox
    // folder); made the first time it is asked for.
    TeamPublishing& publishing();

    // The extra pictures' boxes, REBA's bands chosen by measuring, and saving the results: what
    // the windows that hold them give the others (each made the first time it is asked for).
    ExtraPictures& extraPictures();
    RebaMeasuring& rebaMeasuring();
    ResultSaving& saving();

private:
    ProgramState& m_state;
    Workplace* m_workplace = nullptr;
    // Destroyed after the windows that show its status.
    std::unique_ptr<TeamPublishing> m_publishing;
    std::map<std::type_index, std::unique_ptr<QWidget>> m_windows;
};
