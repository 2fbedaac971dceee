// SPDX-License-Identifier: GPL-3.0-or-later
#include "FolderReading.h"

#include "DurableFiles.h"
#include "ErrorLine.h"
#include "Evidence.h"
#include "InterruptedSaves.h"
#include "OutputFiles.h"
#include "SavedAssessment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <QtConcurrent/QtConcurrentMap>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <vector>

void RepairFolderOf(const QString& file, QTextStream& errors)
{
    const QString unrepaired = RecoverInterruptedSaves(QFileInfo(file).absolutePath());
    if (!unrepaired.isEmpty())
        errorLine(errors, file) << "an interrupted save in its folder could not be repaired: " << unrepaired << '\n';
}

std::optional<AssessmentRecord> ReadGivenAssessment(const QString& file, const char* usingInstead, QTextStream& errors)
{
    RepairFolderOf(file, errors);
    const SavedAssessment saved = ReadSavedAssessmentFile(file);
    if (!saved.ok) {
        errorLine(errors, file) << saved.error << '\n';
        return std::nullopt;
    }
    if (!saved.differences.isEmpty())
        errorLine(errors, file) << "the saved scores differ from its options ("
                                << saved.differences.join(QStringLiteral("; ")) << "); " << usingInstead << ".\n";
    return saved.record;
}

namespace {

// What an entry of a listing is: a folder, a link, or anything else.
enum class EntryKind
{
    Folder,
    Link,
    Other,
};

EntryKind kindOf(int folderFd, const dirent& entry)
{
    switch (entry.d_type) {
    case DT_DIR:
        return EntryKind::Folder;
    case DT_LNK:
        return EntryKind::Link;
    case DT_UNKNOWN:
        break;
    default:
        return EntryKind::Other;
    }
    struct stat info;
    if (::fstatat(folderFd, entry.d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
        return EntryKind::Other;
    return S_ISDIR(info.st_mode) ? EntryKind::Folder : S_ISLNK(info.st_mode) ? EntryKind::Link : EntryKind::Other;
}

void walk(const QString& folder, SavedFileTree& tree)
{
    DIR* listing = ::opendir(QFile::encodeName(folder).constData());
    if (!listing) {
        tree.unreadable << folder + QStringLiteral("\n") + qt_error_string(errno);
        return;
    }
    tree.folders << folder;
    // Every entry but the hidden ones, in the order of their names; a name a save in progress
    // gives its files marks the folder for PrepareTree.
    struct Entry
    {
        QString name;
        EntryKind kind;
    };
    std::vector<Entry> entries;
    bool saveFiles = false;
    while (const dirent* entry = ::readdir(listing)) {
        if (entry->d_name[0] == '.') {
            saveFiles = saveFiles || (std::strncmp(entry->d_name, ".talvo-", 7) == 0 &&
                                      !DurableFiles::hiddenSuffix(QFile::decodeName(entry->d_name)).isEmpty());
            continue;
        }
        entries.push_back({QFile::decodeName(entry->d_name), kindOf(::dirfd(listing), *entry)});
    }
    const int folderFd = ::dirfd(listing);
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
    if (saveFiles)
        tree.withSaveFiles << folder;
    const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    // The names an evidence file could have: an evidence file's name never ends in ".txt", and a
    // folder of saved files alone has none to look for.
    QSet<QString> names;
    for (const Entry& entry : entries) {
        if (!entry.name.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive))
            names.insert(entry.name);
    }
    for (const Entry& entry : entries) {
        const bool text = entry.name.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive);
        if (entry.kind == EntryKind::Folder) {
            walk(prefix + entry.name, tree);
        } else if (entry.kind == EntryKind::Link) {
            // A link to a folder or to a *.txt is set aside; a link to anything else is passed over.
            struct stat target;
            if (text || (::fstatat(folderFd, QFile::encodeName(entry.name).constData(), &target, 0) == 0 &&
                         S_ISDIR(target.st_mode)))
                tree.links << prefix + entry.name;
        } else if (text) {
            tree.files << prefix + entry.name;
            if (!names.isEmpty() && names.contains(QFileInfo(OutputFiles::evidencePath(entry.name)).fileName()))
                tree.withEvidence.insert(tree.files.constLast());
        }
    }
    ::closedir(listing);
}

} // namespace

SavedFileTree WalkSavedFiles(const QString& folder)
{
    SavedFileTree tree;
    walk(QDir::cleanPath(folder), tree);
    // Walked in the order of the names, the files are mostly in the order of their paths already.
    if (!std::is_sorted(tree.files.cbegin(), tree.files.cend()))
        std::sort(tree.files.begin(), tree.files.end());
    std::sort(tree.links.begin(), tree.links.end());
    return tree;
}

void PrepareTree(const SavedFileTree& tree, QTextStream& errors)
{
    for (const QString& walked : tree.withSaveFiles) {
        const QString unrepaired = RecoverInterruptedSaves(walked);
        if (!unrepaired.isEmpty())
            errorLine(errors, walked) << "an interrupted save could not be repaired: " << unrepaired << '\n';
    }
    for (const QString& link : tree.links)
        errorLine(errors, link) << "skipped, a link is not followed in a folder\n";
    for (const QString& unreadable : tree.unreadable)
        errorLine(errors, unreadable.section(QLatin1Char('\n'), 0, 0))
            << "skipped, the folder cannot be read: " << unreadable.section(QLatin1Char('\n'), 1) << '\n';
}

FolderContents ReadSavedAssessments(const QStringList& files, QTextStream& errors)
{
    FolderContents contents;
    // Read on every core; named in the order of `files`.
    struct Read
    {
        SavedAssessment saved;
        QString path;
        rula::reba::RebaChoices reba; // kept only in the evidence; none without usable evidence
    };
    const QList<Read> reads = QtConcurrent::blockingMapped<QList<Read>>(files, [](const QString& file) {
        Read read{ReadSavedAssessmentFile(file), QFileInfo(file).absoluteFilePath(), {}};
        if (read.saved.ok) {
            // Only REBA's choices are taken: the pictures' bytes are left unread.
            if (const EvidenceOfFile evidence = evidenceOfTextFile(file, PictureBytes::Left); evidence.ok)
                read.reba = evidence.evidence.reba;
        }
        return read;
    });
    for (qsizetype i = 0; i < files.size(); ++i) {
        const QString& file = files[i];
        const SavedAssessment& saved = reads[i].saved;
        if (!saved.ok) {
            errorLine(errors, file) << "skipped, " << saved.error << '\n';
            ++contents.skipped;
            continue;
        }
        if (!saved.differences.isEmpty())
            errorLine(errors, file) << "the saved scores differ from its options ("
                                    << saved.differences.join(QStringLiteral("; "))
                                    << "); the scores its options give are used.\n";
        FolderAssessment assessment{reads[i].path, saved.record};
        assessment.record.reba = reads[i].reba;
        contents.read.append(assessment);
    }
    return contents;
}
