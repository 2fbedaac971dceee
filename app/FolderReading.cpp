// SPDX-License-Identifier: GPL-3.0-or-later
#include "FolderReading.h"

#include "ErrorLine.h"
#include "InterruptedSaves.h"
#include "SavedAssessment.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QSet>
#include <QTextStream>

#include <algorithm>

void RepairFolderOf(const QString& file, QTextStream& errors)
{
    const QString unrepaired = RecoverInterruptedSaves(QFileInfo(file).absolutePath());
    if (!unrepaired.isEmpty())
        errorLine(errors, file) << "an interrupted save in its folder could not be repaired: " << unrepaired << '\n';
}

QStringList SavedFileCandidates(const QString& folder)
{
    QStringList files;
    QDirIterator walk(folder, {QStringLiteral("*.txt")}, QDir::Files, QDirIterator::Subdirectories);
    while (walk.hasNext())
        files << QDir::cleanPath(walk.next());
    std::sort(files.begin(), files.end());
    return files;
}

FolderContents ReadSavedAssessments(const QStringList& files, QTextStream& errors)
{
    FolderContents contents;
    QSet<QString> preparedFolders;
    for (const QString& file : files) {
        const QString fileFolder = QFileInfo(file).path();
        if (!preparedFolders.contains(fileFolder)) {
            preparedFolders.insert(fileFolder);
            const QString unrepaired = RecoverInterruptedSaves(fileFolder);
            if (!unrepaired.isEmpty())
                errorLine(errors, fileFolder) << "an interrupted save could not be repaired: " << unrepaired << '\n';
        }
        const SavedAssessment saved = ReadSavedAssessmentFile(file);
        if (!saved.ok) {
            errorLine(errors, file) << "skipped, " << saved.error << '\n';
            ++contents.skipped;
            continue;
        }
        contents.read.append(FolderAssessment{QFileInfo(file).absoluteFilePath(), saved.record});
    }
    return contents;
}
