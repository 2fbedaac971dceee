// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class QTextStream;

// The folder that holds the program's own files: the help folders and the media player.
// In the build folder they lie beside the executable; installed, the executable is in
// PREFIX/bin and they are in PREFIX/lib/talvo-rula (or PREFIX/share/talvo-rula). The
// folder is found from the executable's location, never from the current folder. Tests
// point it at a temporary folder.
namespace ProgramFolder {

QString path();

// Replaces the folder; an empty string returns to the one found from the executable.
void setPath(const QString& folder);

// The folders looked at for an executable in `executableFolder`, in order.
QStringList candidates(const QString& executableFolder);

// The first candidate that holds the program's files, or `executableFolder` when none does.
QString locate(const QString& executableFolder);

// Writes where each help file and the media player were found, one per line. Returns 0
// when all were found, 1 (after naming each missing one) otherwise.
int checkInstallation(QTextStream& out);

} // namespace ProgramFolder
