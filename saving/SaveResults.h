// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DurableFiles.h"
#include "SaveTable.h"

#include <QString>

#include <functional>

struct SaveOutcome
{
    bool ok = false;
    QString error; // what failed, with the system's own description
};

// Writes the finished save `table` (SaveTableOf a record) as folder + "/" + stem + ".txt"
// and ".mdb" (joined with "/" exactly, nothing normalised).
// Both new files are written to temporary files in the folder, synced to disk, and only
// then moved over the old names; on any failure the old files stay byte-identical, no
// temporary remains, and the outcome carries the error. An unsafe stem (see
// unsafeStemReason) or a folder or other non-file under either name is refused before
// anything is touched. Does not show "File Saved" and does not end the program.
// A save killed at any moment is repaired by the next save into that folder (or by
// RecoverInterruptedSaves), which every save runs first.
SaveOutcome SaveResults(const SaveTable& table, const QString& folder, const QString& stem);
// Writes a third result file, given the path of its new file (created empty, hidden); returns
// an empty text or what went wrong.
using ResultFileWriter = std::function<QString(const QString& newFile)>;

// The same, with the file system's steps passed through `steps` (see DurableFiles::SaveSteps).
// With `evidence`, the evidence file (OutputFiles::evidencePath of the text file) is written by
// it and replaced together with the other two.
SaveOutcome SaveResultsWithSteps(const SaveTable& table, const QString& folder, const QString& stem,
                                 DurableFiles::SaveSteps& steps, const ResultFileWriter& evidence = {});

// True when a plain file of exactly that name exists (a link to one counts; folders do
// not). A name beginning with a dot is an ordinary name and counts like any other.
bool resultFileExists(const QString& path);

// The two file names of a save: folder + "/" + stem + ".txt" or ".mdb".
QString resultTextPath(const QString& folder, const QString& stem);
QString resultDatabasePath(const QString& folder, const QString& stem);

// Why a stem cannot name the result files, as a message for the assessor; empty when it
// can. Refused: an empty stem, "/" or "\", NUL and other control characters, "." and "..",
// broken Unicode, and names longer than the file system's limit of 255 bytes.
QString unsafeStemReason(const QString& stem);
