// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <functional>

class QObject;

// Modal message boxes: text, one OK button, no icon, the program's title unless one is given.
// Tests replace the handler to record what would be shown without blocking.
class MessageService
{
public:
    using Handler = std::function<void(const QString& text, const QString& title)>;

    static void show(const QString& text, const QString& title = QStringLiteral("Project1"));
    static void setHandler(Handler handler);
    static void resetHandler();
};

// Modal questions with two answers, the first of them the one that acts, the second the one
// that leaves things as they are (also Escape and the close box). Tests replace the handler
// to record the question and give an answer without blocking.
class QuestionService
{
public:
    using Handler =
        std::function<bool(const QString& text, const QString& title, const QString& act, const QString& keep)>;

    // True when the assessor chose `act`. The window asked from stays where it was.
    static bool ask(const QString& text, const QString& title, const QString& act, const QString& keep);
    static void setHandler(Handler handler);
    static void resetHandler();
};

// Ends the program at once: every window closes, nothing is asked, nothing more runs.
// Tests replace the handler; callers must return straight after end(), since a test's
// handler does return.
class ProgramEnd
{
public:
    using Handler = std::function<void()>;

    static void end();
    static void setHandler(Handler handler);
    static void resetHandler();

    // Work that must end before the program does, such as a thread of its own holding a
    // connection: the program's end runs `finish` (while `owner` lives) before it exits. A finish
    // returns false when its work could not end in its time; the program then exits without
    // destroying its static objects, which that work may still be using.
    static void addFinisher(const QObject* owner, std::function<bool()> finish);
};
