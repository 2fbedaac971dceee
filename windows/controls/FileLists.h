// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QComboBox>
#include <QListWidget>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

// The drive, folder and file lists of the save and picture-file windows. On a system
// without drive letters a "drive" is a mounted volume, named by its root folder.

struct Volume
{
    QString name;     // what the drive list shows
    QString rootPath; // the volume's root folder ("/", "/home", ...)
};

class DriveList : public QComboBox
{
    Q_OBJECT
public:
    using VolumeSource = std::function<std::vector<Volume>()>;

    // Where every drive list takes its entries from; the default lists the mounted volumes
    // that are ready. Tests replace it to offer volumes of their own. A new list reads
    // the source once, when it is created.
    static void setVolumeSource(VolumeSource source);
    static void resetVolumeSource();
    static std::vector<Volume> mountedVolumes();

    // Starts at the volume holding the process's current folder.
    explicit DriveList(QWidget* parent = nullptr);

    // Root folder of the selected entry (empty when the list is empty).
    QString drivePath() const;
    QString drivePath(int index) const;
    // The folder a drive opens at: the process's current folder when it lies on that
    // drive, the drive's root folder otherwise.
    QString driveFolder(int index) const;
    // The entry whose root folder holds `path` most closely (longest root), or -1.
    int indexOfPath(const QString& path) const;
    // Selects an entry without raising driveChanged.
    void selectSilently(int index);

signals:
    // The assessor chose another entry (mouse or keyboard); not raised by code.
    void driveChanged();

private:
    int m_shownIndex = -1;
};

class FolderList : public QListWidget
{
    Q_OBJECT
public:
    // Starts at the process's current folder.
    explicit FolderList(QWidget* parent = nullptr);

    QString path() const { return m_path; }
    // Opens a folder: the list shows its path (root first) and its subfolders. Returns false,
    // and changes nothing, when the folder does not exist or cannot be read.
    bool setPath(const QString& path);

    // Whether a single mouse click opens the clicked entry (a double click and Enter always do).
    void setOpenOnClick(bool on) { m_openOnClick = on; }
    bool openOnClick() const { return m_openOnClick; }

    // The folder an entry stands for.
    QString entryPath(int row) const;
    // Row of the open folder itself.
    int currentFolderRow() const { return m_currentRow; }

signals:
    void pathChanged(const QString& path);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void openRow(int row);
    void rebuild();

    QString m_path;
    int m_currentRow = -1;
    bool m_openOnClick = false;
};

class FileList : public QListWidget
{
    Q_OBJECT
public:
    explicit FileList(QWidget* parent = nullptr);

    // Lists every plain, visible file of the folder, sorted by name (empty when unreadable).
    void setFolder(const QString& folder);
    QString folder() const { return m_folder; }
    // Reads the folder again.
    void refresh() { setFolder(m_folder); }

signals:
    // A file was chosen by a click or by moving to it with the keyboard.
    void fileClicked(const QString& name);
    // A double click (after its click) or Enter.
    void fileDoubleClicked(const QString& name);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString m_folder;
};

// The drive-change rule the three windows share: the folder list opens the chosen drive;
// on success lastDriveIndex := the drive list's index; on failure the drive list selects
// entry lastDriveIndex again, silently, and the folder list moves to that drive if it is
// not already on it. The drive list also follows the folder list to the volume that holds
// its path, so the two always agree.
void connectDriveList(DriveList* drives, FolderList* folders, std::int16_t& lastDriveIndex);
