// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QLabel>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QLabel placeholder(QStringLiteral("TALVO RULA v2: the windows are being built."));
    placeholder.show();
    return app.exec();
}
