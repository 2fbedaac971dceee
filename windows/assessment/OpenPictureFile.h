// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AppWindow.h"
#include "PaintFitted.h"

#include <vector>

class DriveList;
class FileList;
class FolderList;
class QLineEdit;

// What both picture-file windows share: the drive, folder and file lists (Drive1, Dir1,
// File1), the path box Text1 and the buttons cmdOpen ("&Open") and Command1 ("&Exit").
// A click in the file list chooses the file for both windows (SelectedPicturePath and
// SelectedPictureName); a double click chooses it and opens it.
class PictureFileWindow : public AppWindow
{
    Q_OBJECT
public:
    PictureFileWindow(ProgramState& state, WindowSet& windows, const std::vector<ControlRow>& layout);

    // The buttons' handlers.
    virtual void open() = 0;
    virtual void exit() = 0;

protected:
    // The file last chosen in either window, as a path that can be opened; empty when no
    // file has been chosen yet.
    QString chosenFile() const;
    // Tells the assessor that the chosen file is not a picture that can be shown.
    void reportUnreadable() const;

private:
    void folderChanged();
    void fileClicked(const QString& name);

    DriveList* m_drives;
    FolderList* m_folders;
    FileList* m_files;
    QLineEdit* m_path;
};

// The "Open Picture File" window for the workplace picture, shown in Main's Picture1.
class OpenPictureFile : public PictureFileWindow
{
    Q_OBJECT
public:
    OpenPictureFile(ProgramState& state, WindowSet& windows);

    // Paints the chosen file into Main's box, makes the box visible and hides this window.
    void open() override;
    // Paints the chosen file into Main's box as it is, visible or not, and hides this window.
    void exit() override;

private:
    bool paint();

    PictureLoader m_loader; // reads the chosen file for the workplace picture box
};
