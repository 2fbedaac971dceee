// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <sys/stat.h>

// The file-system steps of a save that must never lose the files it replaces.
// Every function returns an empty text on success, otherwise the system's own
// description of what went wrong ("No space left on device"); callers say which
// file it concerned. Paths are used exactly as given.
namespace DurableFiles {

// The system's description of an errno value ("No space left on device").
QString systemError(int code);
// A path as the system calls take it.
QByteArray encoded(const QString& path);

// Creates the new file `path` (it must not exist), writes `bytes` into it and closes it,
// syncing it to disk first when `sync` is set. The file is readable and writable by its
// owner only, so that no one else can change it while it is hidden (see
// giveOrdinaryPermissions). On failure nothing is left behind.
QString writeNewFileAs(const QString& path, const QByteArray& bytes, bool sync);

// Gives the regular file `path` (never a link) the permissions any new file gets: 0666
// without the process's umask.
QString giveOrdinaryPermissions(const QString& path);

// open(2), repeated while a signal interrupts it; -1 with errno set on failure.
int openRetrying(const QString& path, int flags, mode_t mode = 0);

// The hidden names of a save's files: "<folder>/.talvo-<12 hex digits>.<suffix>".
// hiddenName() makes one from `id` (12 hex digits); hiddenSuffix() gives the suffix of a
// file name of that form, or an empty text for any other name.
QString hiddenName(const QString& folder, const QString& id, const QString& suffix);
QString hiddenSuffix(const QString& fileName);

// A hidden name with a random id and `suffix` that nothing uses at this moment.
QString freeName(const QString& folder, const QString& suffix);

// Whether the file described by `info` is a regular file of this user's, with one name, that
// no one else may write: a file only this user's program can have written.
bool isPrivateFile(const struct stat& info);

// Up to `size` first bytes of the regular file `path` (not followed if it is a link; a FIFO or
// device is not opened for reading); `info`, when given, receives what the file is. Empty when
// it is no regular file or cannot be read.
QByteArray startOf(const QString& path, qsizetype size, struct stat* info = nullptr);

// The first `size` bytes of the open file `fd` (fewer when it is shorter), read from its start
// whatever its position, through interrupted reads.
QByteArray readStart(int fd, qsizetype size);

// Syncs an existing file's contents to disk.
QString syncFile(const QString& path);

// Syncs a folder's entries (names created, renamed or removed) to disk.
QString syncFolder(const QString& folder);

// Removes a file if it is there; a missing file is no error.
QString removeFile(const QString& path);

// Renames a file, replacing whatever file has the new name.
QString renameFile(const QString& from, const QString& to);

// Whether anything (file, folder, link, ...) has this exact name; `*isPlainFile` tells
// whether it is a regular file or a link to one.
bool entryExists(const QString& path, bool* isPlainFile = nullptr);

// The points between two steps of a save, in the order a save passes them.
enum class Step
{
    IntentWritten,   // the folder names every file the save will make (see InterruptedSaves.h)
    TextWritten,     // the new text file is complete under its hidden name
    DatabaseCreated, // the new database exists, still empty
    DatabaseWritten, // the engine has filled and closed it
    DatabaseSynced,  // both new files are on disk (synced together, so one commit can serve both)
    OldFilesKept,    // every old file has a second, hidden name
    ReadyMarked,     // the intent says "replacing", and it and the folder are synced
    FirstReplaced,   // the new text file has taken its name
    AllReplaced,     // the new database has taken its name too
    FolderSynced,    // the new names are on disk
    Succeeded,       // the save is complete; its old files are being removed on another core
    Restoring,       // after a failure, before each old file is put back
};

// What a save hands to the file system at the points where a caller may take over: a test
// makes a step fail, stops the process there, or stands for a file system without hard
// links. The plain instance changes nothing.
class SaveSteps
{
public:
    virtual ~SaveSteps() = default;
    // Called at each point; a text that is not empty makes the save fail right there.
    virtual QString reached(Step step);
    // Makes a hard link as ::link does (0, or -1 with errno set).
    virtual int link(const char* from, const char* to);
};

} // namespace DurableFiles
