// SPDX-License-Identifier: GPL-3.0-or-later
#include "OpenPictureFile.h"

#include "FileLists.h"
#include "KeyFrames.h"
#include "PictureBox.h"
#include "ProgramState.h"
#include "Services.h"
#include "WindowSet.h"
#include "Workplace.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>

namespace {

// Twips.
const std::vector<ControlRow> OpenPictureFileLayout = {
    {ControlKind::Custom, "Drive1", 0, 0, 3735, 315, "", {}, 3, 57},
    {ControlKind::Custom, "Dir1", 0, 360, 3735, 2115, "", {}, 4, 58},
    {ControlKind::Custom, "File1", 3840, 0, 2055, 2430, "", {}, 5, 59},
    {ControlKind::TextBox, "Text1", 0, 2520, 5895, 495, "", Comic(12), 0, 60},
    {ControlKind::Button, "cmdOpen", 3480, 3120, 2175, 615, "&Open", Comic(12), 1, 62},
    {ControlKind::Button, "Command1", 1200, 3120, 2175, 615, "&Exit", Comic(12), 2, 61},
};

} // namespace

// ---------------------------------------------------------------- PictureFileWindow

PictureFileWindow::PictureFileWindow(ProgramState& state, WindowSet& windows, const std::vector<ControlRow>& layout)
    : AppWindow(state, windows, Frame::FixedDialog, true)
{
    m_drives = new DriveList(this);
    m_folders = new FolderList(this);
    m_files = new FileList(this);
    placeControl(m_drives, layoutRow(layout, "Drive1"), Units::Twips);
    placeControl(m_folders, layoutRow(layout, "Dir1"), Units::Twips);
    placeControl(m_files, layoutRow(layout, "File1"), Units::Twips);
    buildControls(this, layout, Units::Twips);
    m_path = control<QLineEdit>(this, "Text1");

    // The lists start at the process's current drive and folder.
    m_files->setFolder(m_folders->path());

    connectDriveList(m_drives, m_folders, m_state.LastDriveIndex);
    connect(m_folders, &FolderList::pathChanged, this, &PictureFileWindow::folderChanged);
    connect(m_files, &FileList::fileClicked, this, &PictureFileWindow::fileClicked);
    connect(m_files, &FileList::fileDoubleClicked, this, [this](const QString& name) {
        fileClicked(name);
        open();
    });
    connect(control<QPushButton>(this, "cmdOpen"), &QPushButton::clicked, this, [this] { open(); });
    connect(control<QPushButton>(this, "Command1"), &QPushButton::clicked, this, [this] { exit(); });
    m_path->setFocus();
}

void PictureFileWindow::folderChanged()
{
    m_files->setFolder(m_folders->path());
    m_path->setText(m_files->folder());
}

void PictureFileWindow::fileClicked(const QString& name)
{
    // The path is shown as the folder, a backslash and the name.
    m_state.SelectedPictureName = name;
    m_state.SelectedPicturePath = m_files->folder() + QLatin1Char('\\') + name;
    m_path->setText(m_state.SelectedPicturePath);
}

QString PictureFileWindow::chosenFile() const
{
    // The backslash in SelectedPicturePath is not a folder separator on every system (and
    // a name may contain one), so the file is opened by joining the folder part, which is
    // everything before the backslash that precedes the name, with the name.
    const QString& shown = m_state.SelectedPicturePath;
    const QString& name = m_state.SelectedPictureName;
    if (shown.isEmpty() || name.isEmpty() || !shown.endsWith(QLatin1Char('\\') + name))
        return QString();
    const QString folder = shown.left(shown.size() - name.size() - 1);
    return QDir(folder).filePath(name);
}

void PictureFileWindow::reportUnreadable() const
{
    MessageService::show(
        QStringLiteral("The file %1 is not a picture that can be shown.").arg(m_state.SelectedPicturePath),
        QStringLiteral("Error"));
}

// ---------------------------------------------------------------- OpenPictureFile

OpenPictureFile::OpenPictureFile(ProgramState& state, WindowSet& windows)
    : PictureFileWindow(state, windows, OpenPictureFileLayout)
{
    setObjectName(QStringLiteral("OpenPictureFile"));
    setWindowTitle(QStringLiteral("Open Picture File"));
    setClientArea(5925, 3780, Units::Twips);
}

bool OpenPictureFile::paint()
{
    if (!PaintFitted(chosenFile(), m_loader, m_windows.workplace().picture())) {
        reportUnreadable();
        return false;
    }
    m_state.workplacePictureFile = m_loader.file();
    setPhotograph(m_state, m_state.workplacePictureFile);
    return true;
}

void OpenPictureFile::open()
{
    // Before any file has been chosen there is nothing to open.
    if (chosenFile().isEmpty())
        return;
    // The box is cleared and shown only once the picture has been read, so a file that is
    // not a picture leaves the box as it was; the window stays open for another choice.
    if (!paint())
        return;
    m_windows.workplace().picture().show();
    hide();
}

void OpenPictureFile::exit()
{
    // Exit paints the chosen file too, into the box as it is: hidden stays hidden.
    if (!chosenFile().isEmpty())
        paint();
    hide();
}

#include "moc_OpenPictureFile.cpp"
