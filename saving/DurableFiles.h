// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// The file-system steps of a save that must never lose the files it replaces.
// Every function returns an empty text on success, otherwise the system's own
// description of what went wrong ("No space left on device"); callers say which
// file it concerned. Paths are used exactly as given.
namespace DurableFiles {

// Creates a new hidden file with a unique name in `folder` (joined with "/"), writes
// `bytes` into it, syncs it to disk and closes it. The file gets the permissions any new
// file gets in that folder. On failure nothing is left behind; on success `*path` names it.
QString writeNewFile(const QString& folder, const QString& suffix, const QByteArray& bytes, QString* path);

// Creates a new, empty hidden file with a unique name in `folder`, as writeNewFile does,
// for a writer that opens it by name; nothing is synced yet (see syncFile).
QString createNewFile(const QString& folder, const QString& suffix, QString* path);

// Syncs an existing file's contents to disk.
QString syncFile(const QString& path);

// Syncs a folder's entries (names created, renamed or removed) to disk.
QString syncFolder(const QString& folder);

// Removes a file if it is there; a missing file is no error.
QString removeFile(const QString& path);

// Whether anything (file, folder, link, ...) has this exact name; `*isPlainFile` tells
// whether it is a regular file or a link to one.
bool entryExists(const QString& path, bool* isPlainFile = nullptr);

struct Replacement
{
    QString temporary; // a finished, synced file in the target's folder
    QString target;    // the name it takes; an old file there is replaced
};

// Moves every temporary over its target: all of them or none. The old files are first
// kept under second, hidden names (hard links, or renamed where links are impossible);
// then each temporary is renamed to its target; then the folder is synced and the kept
// names are removed. If any step fails, every target gets its old file back (or is
// removed where there was none), and the error is returned; the temporaries that were
// not moved stay for the caller to remove. Should even that restoring fail, the error
// says where the old files are kept, and they are not removed.
QString replaceAll(const QString& folder, const std::vector<Replacement>& replacements);

// Fault injection for tests: makes the next replaceAll fail at one point.
enum class Fault
{
    None,
    BeforeReplacing,     // after the old files are kept, before the first rename
    BetweenReplacements, // after the first temporary has taken its target's name
    WhileRestoring,      // additionally, putting an old file back fails
};
void injectFault(Fault fault);
// For tests: behave as on a file system without hard links (old files are renamed aside).
void simulateNoHardLinks(bool on);

} // namespace DurableFiles
