// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgramLauncher.h"

#include "ProgramFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace {

std::optional<QString>& searchPathReplacement()
{
    static std::optional<QString> path;
    return path;
}

bool startDetached(const QString& path)
{
    return QProcess::startDetached(path, QStringList(), QFileInfo(path).absolutePath());
}

ProgramLauncher::Starter& starter()
{
    static ProgramLauncher::Starter start = startDetached;
    return start;
}

QString executableIn(const QString& folder, const QString& name)
{
    if (folder.isEmpty())
        return QString();
    const QFileInfo candidate(QDir(folder), name);
    if (candidate.isFile() && candidate.isExecutable())
        return candidate.absoluteFilePath();
    return QString();
}

} // namespace

QString ProgramLauncher::find(const QString& name)
{
    QString found = executableIn(ProgramFolder::path(), name);
    if (!found.isEmpty())
        return found;
    const QString searchPath =
        searchPathReplacement() ? *searchPathReplacement() : QString::fromLocal8Bit(qgetenv("PATH"));
    for (const QString& folder : searchPath.split(QDir::listSeparator(), Qt::SkipEmptyParts)) {
        found = executableIn(folder, name);
        if (!found.isEmpty())
            return found;
    }
    return QString();
}

bool ProgramLauncher::start(const QString& name, const Report& report)
{
    const QString path = find(name);
    if (!path.isEmpty() && starter()(path))
        return true;
    if (report)
        report(failureText(name));
    return false;
}

QString ProgramLauncher::failureText(const QString& name)
{
    return QStringLiteral("The media player \"%1\" could not be started.").arg(name);
}

void ProgramLauncher::setSearchPath(std::optional<QString> searchPath)
{
    searchPathReplacement() = std::move(searchPath);
}

void ProgramLauncher::setStarter(Starter start)
{
    starter() = start ? std::move(start) : Starter(startDetached);
}
