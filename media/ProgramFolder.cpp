// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgramFolder.h"

#include "HelpFiles.h"
#include "ProgramLauncher.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace {

QString& replacement()
{
    static QString folder;
    return folder;
}

// The help files the program opens, as help paths below the program's folder.
const QStringList& helpFiles()
{
    static const QStringList files = {QStringLiteral("\\HelpFile\\HELPFILE.HLP"),
                                      QStringLiteral("\\Helpfile\\helpfile.hlp"),
                                      QStringLiteral("\\Reduction Measures\\HELPFILE.HLP")};
    return files;
}

bool holdsProgramFiles(const QString& folder)
{
    const QDir dir(folder);
    return QFileInfo(dir.filePath(QStringLiteral("HelpFile"))).isDir() ||
           QFileInfo(dir.filePath(QString::fromLatin1(ProgramLauncher::MediaPlayer))).isFile();
}

} // namespace

QString ProgramFolder::path()
{
    if (!replacement().isEmpty())
        return replacement();
    return locate(QCoreApplication::applicationDirPath());
}

void ProgramFolder::setPath(const QString& folder)
{
    replacement() = folder;
}

QStringList ProgramFolder::candidates(const QString& executableFolder)
{
    const QDir dir(executableFolder);
    return {QDir::cleanPath(executableFolder), QDir::cleanPath(dir.filePath(QStringLiteral("../lib/talvo-rula"))),
            QDir::cleanPath(dir.filePath(QStringLiteral("../share/talvo-rula")))};
}

QString ProgramFolder::locate(const QString& executableFolder)
{
    for (const QString& folder : candidates(executableFolder)) {
        if (holdsProgramFiles(folder))
            return folder;
    }
    return QDir::cleanPath(executableFolder);
}

int ProgramFolder::checkInstallation(QTextStream& out)
{
    int missing = 0;
    out << "Program folder: " << QDir::toNativeSeparators(path()) << '\n';
    for (const QString& helpPath : helpFiles()) {
        const QString found = HelpFiles::resolve(helpPath);
        if (found.isEmpty()) {
            ++missing;
            out << "Help file " << helpPath << ": missing (" << HelpFiles::expectedPath(helpPath) << ")\n";
        } else {
            out << "Help file " << helpPath << ": " << found << '\n';
        }
    }
    const QString player = QString::fromLatin1(ProgramLauncher::MediaPlayer);
    const QString found = ProgramLauncher::find(player);
    if (found.isEmpty()) {
        ++missing;
        out << "Media player " << player << ": missing\n";
    } else {
        out << "Media player " << player << ": " << found << '\n';
    }
    out.flush();
    return missing == 0 ? 0 : 1;
}
