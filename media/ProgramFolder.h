// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The folder that holds the program's executable (not the current folder). The help files
// and the media player are looked for there. Tests point it at a temporary folder.
namespace ProgramFolder {

QString path();

// Replaces the folder; an empty string returns to the executable's own folder.
void setPath(const QString& folder);

} // namespace ProgramFolder
