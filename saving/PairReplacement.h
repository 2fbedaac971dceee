// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DurableFiles.h"

#include <QString>
#include <QStringList>

#include <array>

// Replaces two files by two new ones so that a kill at any moment can be repaired: before
// the first new file exists, the folder holds an intent file naming both new files (still
// hidden), both targets and the hidden names their old files are kept under. The intent
// says whether the replacement is to be undone (the start, and after a failure) or
// completed (once both new files are on disk), and RecoverInterruptedSaves() does what it
// says for a save that was killed. A save holds its intent locked, so a repair never
// touches a save that is still running.
class PairReplacement
{
public:
    PairReplacement() = default;
    PairReplacement(const PairReplacement&) = delete;
    PairReplacement& operator=(const PairReplacement&) = delete;
    // Undoes an unfinished replacement (see abandon()).
    ~PairReplacement();

    // Chooses the hidden names in `folder` (new files get the given suffixes) and writes
    // the intent. Nothing else is touched.
    QString begin(const QString& folder, const std::array<QString, 2>& targets, const std::array<QString, 2>& suffixes,
                  DurableFiles::SaveSteps& steps);

    // Where each new file is to be written, as a new file of exactly that name.
    QString temporary(int i) const { return m_temporaries[std::size_t(i)]; }

    // Moves both new files over their targets: both or, on any failure, neither. On success
    // the kept old files and the intent are gone; on failure the old files are back, the new
    // files and the intent are removed, and the error is returned. Should putting an old file
    // back fail, the error says where it is kept, and the intent stays for the next repair.
    QString replace();

    // Gives up before replace(): removes the new files and the intent.
    void abandon();

    // Carries out the intent file at `path`, left by a save that was killed: completes or
    // undoes its replacement and removes its hidden files and itself. Leaves alone an intent
    // that is locked (its save is running) or that is not this program's (by its contents).
    // `named` receives the names (without folder) of every file the intent names, whatever
    // was done. Returns what could not be repaired.
    static QString recover(const QString& path, QStringList* named);

    // True for the names this program gives its intent files.
    static bool isIntentName(const QString& fileName);

private:
    struct Pair
    {
        bool hadOldFile = false;
        QString temporary; // full paths
        QString kept;
        QString target;
    };
    static QString undo(const QString& folder, const std::array<Pair, 2>& pairs, int placed,
                        DurableFiles::SaveSteps& steps);
    static QString complete(const QString& folder, const std::array<Pair, 2>& pairs);
    QString mark(char state, int placed);
    void finish();

    DurableFiles::SaveSteps* m_steps = nullptr;
    QString m_folder;
    QString m_intent;
    int m_fd = -1;
    std::array<Pair, 2> m_pairs;
    std::array<QString, 2> m_temporaries;
};
