// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AppWindow.h"
#include "ResultSaving.h"
#include "SaveResults.h"

#include <functional>

class DriveList;
class FolderList;
class QLineEdit;

// The "Save" window: the assessor picks a drive, a folder and a name; "&Save" (or Enter in
// the name box) saves at once, or asks through the Overwrite File window when a result
// file of that name is already in the folder.
class SaveWindow : public AppWindow, public ResultSaving
{
    Q_OBJECT
public:
    SaveWindow(ProgramState& state, WindowSet& windows);

    // The save routine the window runs; tests may stand in their own.
    using SaveRoutine = std::function<SaveOutcome(const SaveTable&, const QString& folder, const QString& stem,
                                                  const ResultFileWriter& evidence)>;
    static void setSaveRoutine(SaveRoutine routine);
    static void resetSaveRoutine();

    void showWindow() override;

    // "&Save": takes the name, tests both result files in the folder shown now, then asks
    // or saves.
    void save();
    // Runs the save into the folder shown now under SaveFileName, the evidence file (the
    // next revision) with the result files. A completed save remembers the assessor, says
    // "File Saved" and ends the program; a failed one says what failed and leaves the
    // assessment, the windows and any old files as they were.
    void runSave() override;
    // After "&New Filename": the name box emptied, this window in front and the name box
    // focused for the new name.
    void askForNewName() override;
    // The name box, loading the window again first if it was closed.
    QLineEdit* nameBox();
    // The folder the result files go to: the folder list's path, read now.
    QString saveFolder() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void load();
    void exit();

    DriveList* m_drives = nullptr;
    FolderList* m_folders = nullptr;
    QLineEdit* m_name = nullptr;
    bool m_loaded = false;
};
