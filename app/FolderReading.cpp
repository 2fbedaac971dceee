// SPDX-License-Identifier: GPL-3.0-or-later
#include "FolderReading.h"

#include "InterruptedSaves.h"

QString prepareFolderForReading(const QString& folder)
{
    return RecoverInterruptedSaves(folder);
}
