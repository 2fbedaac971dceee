// SPDX-License-Identifier: GPL-3.0-or-later
#include "FolderReading.h"

#include "ErrorLine.h"
#include "InterruptedSaves.h"

#include <QFileInfo>
#include <QTextStream>

void RepairFolderOf(const QString& file, QTextStream& errors)
{
    const QString unrepaired = RecoverInterruptedSaves(QFileInfo(file).absolutePath());
    if (!unrepaired.isEmpty())
        errorLine(errors, file) << "an interrupted save in its folder could not be repaired: " << unrepaired << '\n';
}
