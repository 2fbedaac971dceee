// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgramFolder.h"

#include <QCoreApplication>

namespace {

QString& replacement()
{
    static QString folder;
    return folder;
}

} // namespace

QString ProgramFolder::path()
{
    if (!replacement().isEmpty())
        return replacement();
    return QCoreApplication::applicationDirPath();
}

void ProgramFolder::setPath(const QString& folder)
{
    replacement() = folder;
}
