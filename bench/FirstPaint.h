// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The first-paint watcher of bench_startup's start-up child and of the floor it is measured
// beside, bench_floor. Qt only, so that the floor stays a bare Qt program.

#include <QApplication>
#include <QByteArray>
#include <QEvent>
#include <QFile>
#include <QTimer>

#include <cstdio>

// The process's peak memory line of /proc/self/status, "VmHWM: ... kB".
inline QByteArray peakMemoryLine()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("VmHWM:"))
                return line;
        }
    }
    return "VmHWM: unknown";
}

// Prints "painted" and the peak memory line once the watched window's first paint has been
// handled and flushed to the screen, then quits.
class FirstPaint : public QObject
{
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            QTimer::singleShot(0, qApp, [] {
                std::printf("painted\n%s\n", peakMemoryLine().constData());
                std::fflush(stdout);
                QApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_seen = false;
};
