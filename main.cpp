// SPDX-License-Identifier: GPL-3.0-or-later
#include "CautionStatement.h"
#include "ProgramFolder.h"
#include "ProgramState.h"
#include "Resources.h"
#include "WindowSet.h"

#include <QApplication>
#include <QTextStream>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    initTalvoResources();
    ProgramState state;
    WindowSet windows(state);
    // The caution window is the only window at start; every other one is created when
    // first shown.
    windows.window<CautionStatement>().showWindow();

    // --check-installation: having started as above, report where the help files and the
    // media player were found and end (0 when all were found, 1 otherwise).
    if (QCoreApplication::arguments().contains(QStringLiteral("--check-installation"))) {
        QCoreApplication::processEvents();
        QTextStream out(stdout);
        return ProgramFolder::checkInstallation(out);
    }
    return app.exec();
}
