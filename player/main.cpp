// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlayerWindow.h"

#include <QApplication>

// The media player. Started without arguments, it opens empty and the viewer chooses a
// recording with "Open..."; a file named on the command line is opened at once.
int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Media Player"));
    PlayerWindow window;
    window.show();
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1)
        window.openFile(arguments.at(1));
    return app.exec();
}
