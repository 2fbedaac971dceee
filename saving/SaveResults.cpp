// SPDX-License-Identifier: GPL-3.0-or-later
#include "SaveResults.h"

#include "DurableFiles.h"
#include "ResultDatabase.h"
#include "ResultTextFile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <sys/stat.h>

namespace {

constexpr qsizetype MaxNameBytes = 255;

QString folderProblem(const QString& folder)
{
    if (folder.isEmpty())
        return QStringLiteral("No folder has been chosen to save in.");
    if (folder.contains(QChar(0)))
        return QStringLiteral("The folder name must not contain a NUL character.");
    struct stat info;
    int code = 0;
    if (::stat(QFile::encodeName(folder).constData(), &info) != 0)
        code = errno;
    else if (!S_ISDIR(info.st_mode))
        code = ENOTDIR;
    if (code != 0)
        return QStringLiteral("The folder \"%1\" cannot be used: %2").arg(folder, qt_error_string(code));
    return {};
}

QString targetProblem(const QString& path)
{
    bool plainFile = false;
    if (DurableFiles::entryExists(path, &plainFile) && !plainFile)
        return QStringLiteral("\"%1\" exists and is not a file (it may be a folder). "
                              "Please select another file name.")
            .arg(path);
    return {};
}

// Removes the temporary files of a failed save, the engine's possible side files included.
void removeTemporaries(const QStringList& paths)
{
    for (const QString& path : paths) {
        if (path.isEmpty())
            continue;
        DurableFiles::removeFile(path);
        DurableFiles::removeFile(path + QStringLiteral("-journal"));
        DurableFiles::removeFile(path + QStringLiteral("-wal"));
        DurableFiles::removeFile(path + QStringLiteral("-shm"));
    }
}

SaveOutcome failed(const QString& error)
{
    return {false, error};
}

} // namespace

QString resultTextPath(const QString& folder, const QString& stem)
{
    return folder + QStringLiteral("/") + stem + QStringLiteral(".txt");
}

QString resultDatabasePath(const QString& folder, const QString& stem)
{
    return folder + QStringLiteral("/") + stem + QStringLiteral(".mdb");
}

QString unsafeStemReason(const QString& stem)
{
    if (stem.isEmpty())
        return QStringLiteral("Please enter a file name.");
    if (stem.contains(QLatin1Char('/')) || stem.contains(QLatin1Char('\\')))
        return QStringLiteral("The file name \"%1\" must not contain \"/\" or \"\\\".").arg(stem);
    for (QChar c : stem) {
        if (c.category() == QChar::Other_Control)
            return QStringLiteral("The file name must not contain control characters.");
    }
    if (stem == QLatin1String(".") || stem == QLatin1String(".."))
        return QStringLiteral("\"%1\" cannot be used as a file name.").arg(stem);
    if (!stem.isValidUtf16())
        return QStringLiteral("The file name contains characters that cannot be stored.");
    if (QFile::encodeName(stem + QStringLiteral(".txt")).size() > MaxNameBytes)
        return QStringLiteral("The file name \"%1\" is too long.").arg(stem);
    return {};
}

bool resultFileExists(const QString& path)
{
    return QFileInfo(path).isFile();
}

SaveOutcome SaveResults(const rula::AssessmentState& state, SaveTable& table, const QString& folder,
                        const QString& stem)
{
    // Nothing is touched before the name, the folder and both targets are known to be usable.
    if (const QString why = unsafeStemReason(stem); !why.isEmpty())
        return failed(why);
    if (const QString why = folderProblem(folder); !why.isEmpty())
        return failed(why);
    const QString textPath = resultTextPath(folder, stem);
    const QString databasePath = resultDatabasePath(folder, stem);
    for (const QString& target : {textPath, databasePath}) {
        if (const QString why = targetProblem(target); !why.isEmpty())
            return failed(why);
    }

    table.WriteLabels();
    table.WriteOptionRows(state);

    // The text file, as a new file beside the old one.
    QString textTemporary;
    QString error =
        DurableFiles::writeNewFile(folder, QStringLiteral(".txt"), ResultTextFile::contents(table), &textTemporary);
    if (!error.isEmpty())
        return failed(QStringLiteral("Could not write the text file \"%1\": %2").arg(textPath, error));

    // The database, likewise: created empty, filled by the engine, closed, synced.
    QString databaseTemporary;
    error = DurableFiles::createNewFile(folder, QStringLiteral(".mdb"), &databaseTemporary);
    if (!error.isEmpty()) {
        removeTemporaries({textTemporary});
        return failed(QStringLiteral("Could not create the database file \"%1\": %2").arg(databasePath, error));
    }
    error = ResultDatabase::write(databaseTemporary, table);
    if (error.isEmpty())
        error = DurableFiles::syncFile(databaseTemporary);
    if (!error.isEmpty()) {
        removeTemporaries({textTemporary, databaseTemporary});
        return failed(QStringLiteral("Could not write the database file \"%1\": %2").arg(databasePath, error));
    }

    // Both complete: they take the names of the old files together, or not at all.
    error = DurableFiles::replaceAll(folder, {{textTemporary, textPath}, {databaseTemporary, databasePath}});
    if (!error.isEmpty()) {
        removeTemporaries({textTemporary, databaseTemporary});
        return failed(QStringLiteral("Could not replace \"%1\" and \"%2\": %3").arg(textPath, databasePath, error));
    }
    return {true, {}};
}
