// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AssessmentRecord.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

class QTextStream;

// Before a saved file is read by a command-line form: completes or undoes any interrupted
// save in its folder, so no half-replaced pair is read; what could not be repaired goes to
// `errors` as one line naming the file.
void RepairFolderOf(const QString& file, QTextStream& errors);

// A command-line form's reading of the one saved file it is given: its folder repaired first,
// the file read strictly, a file that is not a saved assessment named on `errors` as the
// form's one line (nothing when it is none), and saved scores that differ from the options
// named with what the form does instead (`usingInstead`, as "the plan starts from the scores
// its options give").
std::optional<AssessmentRecord> ReadGivenAssessment(const QString& file, const char* usingInstead, QTextStream& errors);

// What a walk of a folder tree finds: every *.txt (sorted, so the forms that read a folder list
// them in the same order every time), every folder walked, and the folders that could not be
// read. Hidden files and folders (a save's temporary files) are passed over. Links are not
// followed: in a folder others can write to, a link may lead to a file its maker cannot read
// but the assessor can, so a link to a folder or to a *.txt is set aside in `links`.
struct SavedFileTree
{
    QStringList files;
    QSet<QString> withEvidence; // of the files, those with an evidence file beside them when walked
    QStringList folders;
    QStringList withSaveFiles; // the folders holding a hidden file of a save (DurableFiles::hiddenName)
    QStringList unreadable;    // with why
    QStringList links;         // sorted
};

SavedFileTree WalkSavedFiles(const QString& folder);

// Repairs interrupted saves in every folder of `tree` that holds what a save leaves behind while
// it runs (only such a folder can hold an interrupted one), whether or not it holds a result file
// yet, and names on `errors` what could not be repaired, each folder that could not be read and
// each link that was skipped.
void PrepareTree(const SavedFileTree& tree, QTextStream& errors);

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

// Reads `files` (of a tree PrepareTree has prepared) as the register does: a file that is not a
// saved assessment is named on `errors` as "skipped, why" and counted.
FolderContents ReadSavedAssessments(const QStringList& files, QTextStream& errors);
