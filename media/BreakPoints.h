// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QChar>

// Where text with words longer than any line gets places to break: an invisible zero-width
// space after every 100 letters of an unbroken run. Text layout needs time that grows fast
// with the length of an unbroken word; with these break points it stays linear. The help
// viewer and the printed report share this rule.
class BreakPoints
{
public:
    static constexpr int Longest = 100;
    static constexpr char16_t Mark = 0x200B;

    // Takes the next shown character; true when a break point is to go before it. `mayBreak`
    // false keeps a break out of something that must stay whole (it then comes later).
    bool breakBefore(QChar c, bool mayBreak = true)
    {
        if (c.isSpace()) {
            m_run = 0;
            return false;
        }
        if (++m_run > Longest && mayBreak && !c.isLowSurrogate()) {
            m_run = 1;
            return true;
        }
        return false;
    }

    // Starts a new run (after markup that separates words).
    void reset() { m_run = 0; }

private:
    int m_run = 0;
};
