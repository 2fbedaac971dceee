// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AssessmentRecord.h"

#include <QList>
#include <QString>
#include <QStringList>

class QTextStream;

// Before a saved file is read by a command-line form: completes or undoes any interrupted
// save in its folder, so no half-replaced pair is read; what could not be repaired goes to
// `errors` as one line naming the file.
void RepairFolderOf(const QString& file, QTextStream& errors);

// Every *.txt under `folder`, sorted, so the forms that read a folder list them in the same
// order every time. Hidden files (a save's temporary files) and links to folders are not followed.
QStringList SavedFileCandidates(const QString& folder);

// A saved assessment read from a folder, and its file's absolute path.
struct FolderAssessment
{
    QString path;
    AssessmentRecord record;
};

struct FolderContents
{
    QList<FolderAssessment> read; // in the order of `files`
    int skipped = 0;
};

// Reads `files` as the register does: each folder's interrupted saves are repaired first (what
// could not be is named on `errors`), and a file that is not a saved assessment is named on
// `errors` as "skipped, why" and counted.
FolderContents ReadSavedAssessments(const QStringList& files, QTextStream& errors);
