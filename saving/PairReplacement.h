// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DurableFiles.h"

#include <QString>
#include <QStringList>

#include <vector>

// Replaces the result files of one name (the text file, the database and, when there is one,
// the evidence file) by new ones so that a kill at any moment can be repaired: the files
// present are all old or all new. Before the first new file exists, the folder holds an
// intent file naming every new file (still hidden), every target and the hidden names the
// old files are kept under. The intent says whether the replacement is to be undone (the
// start, and after a failure) or completed (once every new file is on disk), and
// RecoverInterruptedSaves() does what it says for a save that was killed.
// The intent's name is made from the result name, and a save holds it locked from before it
// is written until it is gone: saves of one name exclude each other, and a repair never
// touches a save that is still running.
class PairReplacement
{
public:
    PairReplacement() = default;
    PairReplacement(const PairReplacement&) = delete;
    PairReplacement& operator=(const PairReplacement&) = delete;
    // Undoes an unfinished replacement (see abandon()).
    ~PairReplacement();

    // Takes the result name of `targets` in `folder` (waiting up to `wait` milliseconds for
    // another save of it), chooses the hidden names (new files get their target's suffix) and
    // writes the intent. `targets` are the text file, the database and optionally the
    // evidence file of one name (see isResultName). Nothing else is touched.
    QString begin(const QString& folder, const QStringList& targets, DurableFiles::SaveSteps& steps, int wait = 5000);

    // Where the i-th new file is to be written, as a new file of exactly that name.
    QString temporary(int i) const { return m_files[std::size_t(i)].temporary; }

    // Moves every new file over its target: all or, on any failure, none. On success the
    // kept old files and the intent are gone; on failure the old files are back, the new
    // files and the intent are removed, and the error is returned. Should putting an old file
    // back fail, the error says where it is kept, and the intent stays for the next repair.
    QString replace();

    // Waits until the old files of every replacement that has succeeded in this program are
    // removed (replace() leaves that to another core); the program does so before it ends.
    static void waitForOldFilesRemoved();

    // Gives up before replace(): removes the new files and the intent.
    void abandon();

    // Carries out the intent file at `path`, left by a save that was killed: completes or
    // undoes its replacement and removes its hidden files and itself. Acts only on an intent
    // of this user's that no one else can write, that is not locked (its save is running) and
    // that is intact and names the result files of one name. `named` receives the names
    // (without folder) of every hidden file the intent names. Returns what could not be
    // repaired.
    static QString recover(const QString& path, QStringList* named);

    // True for the names this program gives its intent files.
    static bool isIntentName(const QString& fileName);

    // Whether `start`, the first bytes of a file, could begin a new result file of the kind
    // its name's suffix says ("txt", "mdb", "sqlite").
    static bool beginsLikeResultFile(const QByteArray& start, const QString& suffix);

    // Whether file names (without folder) are the text file, the database and optionally the
    // evidence file of one result name, free of control characters.
    static bool isResultName(const QStringList& names);

    // One file of a replacement: its target and the hidden names used on the way (full paths).
    struct File
    {
        bool hadOldFile = false;
        QString temporary;
        QString kept;
        QString target;
    };

private:
    QString writeIntent(const QByteArray& bytes);
    QString mark(char state, int placed);
    void finish();

    DurableFiles::SaveSteps* m_steps = nullptr;
    QString m_folder;
    QString m_intent;
    int m_fd = -1;
    std::vector<File> m_files;
};
