// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Small pieces the benchmarks share: their message boxes printed instead of shown, a test
// picture made by a child process of the bench itself, and one line of timings.

#include "Services.h"

#include <QCoreApplication>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <vector>

// Every message box the program would show is printed on standard output instead.
inline void printMessageBoxes()
{
    MessageService::setHandler([](const QString& text, const QString& title) {
        std::printf("message [%s]: %s\n", qPrintable(title), qPrintable(text));
    });
}

// Runs this bench again as a child process with `arguments` (making a large picture there
// keeps it out of this process's peak memory); true when the child succeeded.
inline bool runChild(const QStringList& arguments)
{
    return QProcess::execute(QCoreApplication::applicationFilePath(), arguments) == 0;
}

// One line: what was timed, how many runs, and the median, fastest, 90th percentile and
// slowest time in milliseconds, each `width` characters wide with `decimals` decimals.
inline void printTimings(const char* what, std::vector<double> ms, int whatWidth, int width, int decimals)
{
    std::sort(ms.begin(), ms.end());
    const auto at = [&ms](double q) { return ms[static_cast<std::size_t>(q * double(ms.size() - 1))]; };
    std::printf("%-*s runs %3zu  median %*.*f ms  min %*.*f  p90 %*.*f  max %*.*f\n", whatWidth, what, ms.size(), width,
                decimals, at(0.5), width, decimals, ms.front(), width, decimals, at(0.9), width, decimals, ms.back());
}
