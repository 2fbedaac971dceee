// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgramModule.h"

#include "ProgramFolder.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>

ProgramModule loadProgramModule(const char* fileName, const char* entryName)
{
    ProgramModule module;
    const QString folder = QCoreApplication::applicationDirPath();
    for (const QString& candidate : ProgramFolder::candidates(folder)) {
        const QString file = candidate + QLatin1Char('/') + QLatin1String(fileName);
        if (!QFileInfo(file).isFile())
            continue;
        module.file = file;
        QLibrary library(file);
        module.entry = library.resolve(entryName);
        if (!module.entry)
            module.error = library.errorString();
        return module;
    }
    module.file = ProgramFolder::locate(folder) + QLatin1Char('/') + QLatin1String(fileName);
    module.error = QStringLiteral("not found");
    return module;
}
