// SPDX-License-Identifier: GPL-3.0-or-later
#include "FolderReading.h"

#include "ErrorLine.h"
#include "Evidence.h"
#include "InterruptedSaves.h"
#include "SavedAssessment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <QtConcurrent/QtConcurrentMap>

#include <algorithm>
#include <cerrno>
#include <dirent.h>

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

void walk(const QString& folder, SavedFileTree& tree)
{
    DIR* listing = ::opendir(QFile::encodeName(folder).constData());
    if (!listing) {
        tree.unreadable << folder + QStringLiteral("\n") + qt_error_string(errno);
        return;
    }
    ::closedir(listing);
    tree.folders << folder;
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& entry : entries) {
        const bool candidate = entry.isDir() || entry.fileName().endsWith(QLatin1String(".txt"), Qt::CaseInsensitive);
        if (candidate && entry.isSymLink())
            tree.links << QDir::cleanPath(entry.filePath());
        else if (entry.isDir())
            walk(QDir::cleanPath(entry.filePath()), tree);
        else if (candidate)
            tree.files << QDir::cleanPath(entry.filePath());
    }
}

} // namespace

SavedFileTree WalkSavedFiles(const QString& folder)
{
    SavedFileTree tree;
    walk(QDir::cleanPath(folder), tree);
    std::sort(tree.files.begin(), tree.files.end());
    std::sort(tree.links.begin(), tree.links.end());
    return tree;
}

void PrepareTree(const SavedFileTree& tree, QTextStream& errors)
{
    for (const QString& walked : tree.folders) {
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
