// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The start-up benchmarks' timing: a child program launched and timed until it prints
// "painted" (see FirstPaint.h), and the median of the runs.

#include <QByteArray>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <vector>

struct Launch
{
    double milliseconds = -1; // until it printed "painted"; -1 when it never did
    QByteArray output;        // all it printed
};

// Starts `program` and returns the time until it printed "painted", and all it printed.
inline Launch launch(const QString& program, const QStringList& arguments)
{
    Launch result;
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // The offscreen platform warns on every raise(); keep the report readable.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("default.warning=false"));
    process.setProcessEnvironment(environment);
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    while (process.waitForReadyRead(10000)) {
        result.output += process.readAllStandardOutput();
        if (result.output.contains("painted\n")) {
            result.milliseconds = double(timer.nsecsElapsed()) / 1e6;
            break;
        }
    }
    process.waitForFinished(10000);
    result.output += process.readAllStandardOutput();
    return result;
}

inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}
