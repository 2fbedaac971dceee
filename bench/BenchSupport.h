// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Small pieces the benchmarks share: their message boxes printed instead of shown, a test
// picture made by a child process of the bench itself, the time a piece of work takes, and
// one line of timings.

#include "Resources.h"
#include "Services.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
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

// When this bench runs as the child that makes its picture (`bench --generate FILE`, started by
// runChild), writes FILE with `write` and gives the child's exit status; else nothing.
inline std::optional<int> generatingChild(int argc, char** argv, const std::function<int(const QString&)>& write)
{
    if (argc != 3 || std::strcmp(argv[1], "--generate") != 0)
        return std::nullopt;
    QGuiApplication app(argc, argv);
    return write(QString::fromLocal8Bit(argv[2]));
}

// The bench's application: offscreen unless QT_QPA_PLATFORM says otherwise, with the
// program's resources and its message boxes printed.
class BenchApplication : public QApplication
{
public:
    BenchApplication(int& argc, char** argv) : QApplication(offscreenUnlessTold(argc), argv)
    {
        initTalvoResources();
        printMessageBoxes();
    }

private:
    // Before the application is made: it reads the platform once.
    static int& offscreenUnlessTold(int& argc)
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        return argc;
    }
};

// How long `work` takes, in milliseconds.
template <typename Work> double millisecondsOf(Work&& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
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
