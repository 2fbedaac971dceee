// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QString;
class QTextStream;

// Before a saved file is read by a command-line form: completes or undoes any interrupted
// save in its folder, so no half-replaced pair is read; what could not be repaired goes to
// `errors` as one line naming the file.
void RepairFolderOf(const QString& file, QTextStream& errors);
