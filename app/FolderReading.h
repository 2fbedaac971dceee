// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Readies a folder whose saved result files are about to be read (to reopen one, or for the
// register): saves into it that were interrupted are completed or undone first, so that no
// half-replaced pair is read. Returns an empty text, or what could not be repaired.
QString prepareFolderForReading(const QString& folder);
