// SPDX-License-Identifier: GPL-3.0-or-later
#include "SaveResults.h"

#include "DurableFiles.h"
#include "InterruptedSaves.h"
#include "OutputFiles.h"
#include "PairReplacement.h"
#include "ResultDatabase.h"
#include "ResultTextFile.h"
#include "RunAside.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

SaveOutcome saveFailed(const QString& error)
{
    return {false, error};
}

// Waits for the file `path` that `writing` is still writing, meanwhile handing what it has
// written so far to the disk: its sync at the end then waits only for the rest.
QString waitWritingBack(std::future<QString>& writing, const QString& path)
{
    const int fd = DurableFiles::openRetrying(path, O_RDONLY | O_CLOEXEC);
    while (writing.wait_for(std::chrono::microseconds(500)) == std::future_status::timeout) {
        if (fd >= 0)
            ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    }
    if (fd >= 0)
        ::close(fd);
    return writing.get();
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

SaveOutcome SaveResults(const SaveTable& table, const QString& folder, const QString& stem)
{
    DurableFiles::SaveSteps plain;
    return SaveResultsWithSteps(table, folder, stem, plain);
}

SaveOutcome SaveResultsWithSteps(const SaveTable& table, const QString& folder, const QString& stem,
                                 DurableFiles::SaveSteps& steps, const ResultFileWriter& evidence)
{
    using DurableFiles::Step;
    // Nothing is touched before the name, the folder and both targets are known to be usable.
    if (const QString why = unsafeStemReason(stem); !why.isEmpty())
        return saveFailed(why);
    if (const QString why = folderProblem(folder); !why.isEmpty())
        return saveFailed(why);
    const QString textPath = resultTextPath(folder, stem);
    const QString databasePath = resultDatabasePath(folder, stem);
    QStringList targets{textPath, databasePath};
    if (evidence)
        targets << OutputFiles::evidencePath(textPath);
    for (const QString& target : targets) {
        if (const QString why = targetProblem(target); !why.isEmpty())
            return saveFailed(why);
    }

    // An earlier save that was killed is finished or undone first; what cannot be repaired
    // is no reason not to save.
    RecoverInterruptedSaves(folder);

    PairReplacement pair;
    QString error = pair.begin(folder, targets, steps);
    if (error.isEmpty())
        error = steps.reached(Step::IntentWritten);
    if (!error.isEmpty())
        return saveFailed(
            QStringLiteral("Could not prepare saving \"%1\" and \"%2\": %3").arg(textPath, databasePath, error));

    // The evidence file, by far the largest, is written and synced on another core while the
    // text and database files are here. Any way out of this function waits for it first.
    std::future<QString> evidenceWritten;
    if (evidence)
        evidenceWritten = runAside([&pair, &evidence] {
            QString why = DurableFiles::writeNewFileAs(pair.temporary(2), {}, false);
            if (why.isEmpty())
                why = evidence(pair.temporary(2));
            if (why.isEmpty())
                why = DurableFiles::syncFile(pair.temporary(2));
            return why;
        });

    // The text file, as a new file beside the old one.
    error = DurableFiles::writeNewFileAs(pair.temporary(0), ResultTextFile::contents(table), false);
    if (error.isEmpty())
        error = steps.reached(Step::TextWritten);
    if (!error.isEmpty())
        return saveFailed(QStringLiteral("Could not write the text file \"%1\": %2").arg(textPath, error));

    // The database, likewise: created empty, filled by the engine, closed; then both are
    // synced to disk.
    error = DurableFiles::writeNewFileAs(pair.temporary(1), {}, false);
    if (error.isEmpty())
        error = steps.reached(Step::DatabaseCreated);
    if (!error.isEmpty())
        return saveFailed(QStringLiteral("Could not create the database file \"%1\": %2").arg(databasePath, error));
    error = ResultDatabase::write(pair.temporary(1), table);
    if (error.isEmpty())
        error = steps.reached(Step::DatabaseWritten);
    if (error.isEmpty())
        error = DurableFiles::syncFile(pair.temporary(1));
    if (!error.isEmpty())
        return saveFailed(QStringLiteral("Could not write the database file \"%1\": %2").arg(databasePath, error));
    error = DurableFiles::syncFile(pair.temporary(0));
    if (!error.isEmpty())
        return saveFailed(QStringLiteral("Could not write the text file \"%1\": %2").arg(textPath, error));
    if (evidenceWritten.valid()) {
        error = waitWritingBack(evidenceWritten, pair.temporary(2));
        if (!error.isEmpty())
            return saveFailed(QStringLiteral("Could not write the evidence file \"%1\": %2").arg(targets[2], error));
    }
    error = steps.reached(Step::DatabaseSynced);
    if (!error.isEmpty())
        return saveFailed(QStringLiteral("Could not write the database file \"%1\": %2").arg(databasePath, error));

    // Both complete: they take the names of the old files together, or not at all.
    error = pair.replace();
    if (!error.isEmpty())
        return saveFailed(QStringLiteral("Could not replace \"%1\" and \"%2\": %3").arg(textPath, databasePath, error));
    return {true, {}};
}
