// SPDX-License-Identifier: GPL-3.0-or-later
// The floor for the start-up benchmark: a bare Qt program that shows one empty window of the
// caution window's size and nothing else. It prints "painted" after its first paint, then
// its peak memory, and quits. bench_startup launches it beside the program.
// With "--text" the window holds one label, to show what drawing any text costs at start
// (the font configuration is read on first use).

#include "FirstPaint.h"

#include <QApplication>
#include <QLabel>
#include <QWidget>

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
