// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// What the other windows ask of saving the results (the Save window gives it): the folder
// chosen for saving, which a report proposes too, and the two answers to the question whether
// to save over files already there.
class ResultSaving
{
public:
    virtual ~ResultSaving() = default;
    // The folder the result files go to, as the Save window's folder list shows it now.
    virtual QString saveFolder() = 0;
    // Saves into that folder under the name the last "&Save" took, over any files there.
    virtual void runSave() = 0;
    // Asks for another name: the Save window in front with its name box emptied and focused.
    virtual void askForNewName() = 0;

protected:
    ResultSaving() = default;
    ResultSaving(const ResultSaving&) = default;
    ResultSaving& operator=(const ResultSaving&) = default;
};
