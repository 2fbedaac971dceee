// SPDX-License-Identifier: GPL-3.0-or-later
// The floor for the start-up benchmark: a bare Qt program that shows one empty window of the
// caution window's size and nothing else. It prints "painted" after its first paint, then
// its peak memory, and quits. bench_startup launches it beside the program.
// With "--text" the window holds one label, to show what drawing any text costs at start
// (the font configuration is read on first use).

#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace {

class FirstPaint : public QObject
{
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            // Report once the paint has been handled and flushed to the screen.
            QTimer::singleShot(0, qApp, [] {
                std::printf("painted\n");
                QFile status(QStringLiteral("/proc/self/status"));
                if (status.open(QIODevice::ReadOnly)) {
                    for (const QByteArray& line : status.readAll().split('\n')) {
                        if (line.startsWith("VmHWM:"))
                            std::printf("%s\n", line.constData());
                    }
                }
                std::fflush(stdout);
                QApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_seen = false;
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    if (argc > 1 && QByteArray(argv[1]) == "--text")
        new QLabel(QStringLiteral("Cautionary Note"), &window);
    FirstPaint watcher;
    window.installEventFilter(&watcher);
    window.resize(627, 512);
    window.show();
    return app.exec();
}
