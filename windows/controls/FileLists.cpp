// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileLists.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPainter>
#include <QStorageInfo>
#include <QStyle>
#include <QStyledItemDelegate>

#include <algorithm>

namespace {

constexpr int PathRole = Qt::UserRole;
constexpr int LevelRole = Qt::UserRole + 1;

DriveList::VolumeSource& volumeSource()
{
    static DriveList::VolumeSource source = DriveList::mountedVolumes;
    return source;
}

// True when `path` lies on the volume whose root folder is `root`.
bool isUnder(const QString& path, const QString& root)
{
    if (root.isEmpty() || !path.startsWith(root))
        return false;
    return path.size() == root.size() || root.endsWith(QLatin1Char('/')) || path.at(root.size()) == QLatin1Char('/');
}

QString currentFolder()
{
    return QDir::cleanPath(QDir::currentPath());
}

// Draws folder entries indented by their depth, as a classic folder list does.
class IndentDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    static constexpr int Step = 10;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem shifted(option);
        shifted.rect.setLeft(option.rect.left() + Step * index.data(LevelRole).toInt());
        QStyledItemDelegate::paint(painter, shifted, index);
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.rwidth() += Step * index.data(LevelRole).toInt();
        return size;
    }
};

} // namespace

// ---------------------------------------------------------------- DriveList

void DriveList::setVolumeSource(VolumeSource source)
{
    volumeSource() = std::move(source);
}

void DriveList::resetVolumeSource()
{
    volumeSource() = mountedVolumes;
}

std::vector<Volume> DriveList::mountedVolumes()
{
    std::vector<Volume> volumes;
    for (const QStorageInfo& storage : QStorageInfo::mountedVolumes()) {
        if (!storage.isValid() || !storage.isReady())
            continue;
        const QString root = storage.rootPath();
        if (std::any_of(volumes.begin(), volumes.end(), [&](const Volume& v) { return v.rootPath == root; }))
            continue;
        // A volume is named by its mount folder, with its label when it has one.
        const QString label = storage.name();
        volumes.push_back({label.isEmpty() ? root : QStringLiteral("%1 [%2]").arg(root, label), root});
    }
    std::sort(volumes.begin(), volumes.end(), [](const Volume& a, const Volume& b) { return a.rootPath < b.rootPath; });
    return volumes;
}

DriveList::DriveList(QWidget* parent) : QComboBox(parent)
{
    for (const Volume& volume : volumeSource()())
        addItem(volume.name, volume.rootPath);
    selectSilently(indexOfPath(currentFolder()));
    connect(this, qOverload<int>(&QComboBox::activated), this, [this](int index) {
        if (index == m_shownIndex)
            return;
        m_shownIndex = index;
        emit driveChanged();
    });
}

QString DriveList::drivePath() const
{
    return drivePath(currentIndex());
}

QString DriveList::drivePath(int index) const
{
    return itemData(index).toString();
}

QString DriveList::driveFolder(int index) const
{
    const QString here = currentFolder();
    return indexOfPath(here) == index ? here : drivePath(index);
}

int DriveList::indexOfPath(const QString& path) const
{
    int best = -1;
    int bestLength = -1;
    for (int i = 0; i < count(); ++i) {
        const QString root = drivePath(i);
        if (isUnder(path, root) && root.size() > bestLength) {
            best = i;
            bestLength = static_cast<int>(root.size());
        }
    }
    return best;
}

void DriveList::selectSilently(int index)
{
    setCurrentIndex(index);
    m_shownIndex = currentIndex();
}

// ---------------------------------------------------------------- FolderList

FolderList::FolderList(QWidget* parent) : QListWidget(parent)
{
    setItemDelegate(new IndentDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        if (m_openOnClick)
            openRow(row(item));
    });
    connect(this, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        // With open-on-click the first click of the double click has opened the entry already.
        if (!m_openOnClick)
            openRow(row(item));
    });
    setPath(currentFolder());
}

bool FolderList::setPath(const QString& path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists() || !info.isDir() || !info.isReadable() || !info.isExecutable())
        return false;
    const QString absolute = QDir::cleanPath(info.absoluteFilePath());
    const bool changed = absolute != m_path;
    m_path = absolute;
    rebuild();
    if (changed)
        emit pathChanged(m_path);
    return true;
}

QString FolderList::entryPath(int row) const
{
    const QListWidgetItem* entry = item(row);
    return entry ? entry->data(PathRole).toString() : QString();
}

void FolderList::openRow(int row)
{
    const QString target = entryPath(row);
    if (!target.isEmpty() && !setPath(target))
        rebuild(); // the folder vanished or cannot be read: show the list as it now is
}

void FolderList::rebuild()
{
    clear();
    // The open folder's path, root first, each level one step further in.
    QStringList chain;
    for (QString folder = m_path;;) {
        chain.prepend(folder);
        const QString parent = QFileInfo(folder).path();
        if (parent == folder || folder == QDir(folder).rootPath())
            break;
        folder = QDir::cleanPath(parent);
    }
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    int level = 0;
    for (const QString& folder : chain) {
        const QString name = QFileInfo(folder).fileName();
        auto* entry = new QListWidgetItem(open, name.isEmpty() ? folder : name, this);
        entry->setData(PathRole, folder);
        entry->setData(LevelRole, level++);
    }
    m_currentRow = count() - 1;
    const QDir dir(m_path);
    for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase)) {
        auto* entry = new QListWidgetItem(closed, name, this);
        entry->setData(PathRole, QDir::cleanPath(dir.filePath(name)));
        entry->setData(LevelRole, level);
    }
    setCurrentRow(m_currentRow);
}

void FolderList::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentRow() >= 0) {
        openRow(currentRow());
        return;
    }
    QListWidget::keyPressEvent(event);
}

// ---------------------------------------------------------------- FileList

FileList::FileList(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { emit fileClicked(item->text()); });
    connect(this, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { emit fileDoubleClicked(item->text()); });
}

void FileList::setFolder(const QString& folder)
{
    clear();
    m_folder = folder;
    const QDir dir(folder);
    if (folder.isEmpty() || !dir.exists())
        return;
    addItems(dir.entryList(QDir::Files, QDir::Name | QDir::IgnoreCase));
}

void FileList::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (currentItem())
            emit fileDoubleClicked(currentItem()->text());
        return;
    }
    const int before = currentRow();
    QListWidget::keyPressEvent(event);
    if (currentRow() != before && currentItem())
        emit fileClicked(currentItem()->text());
}

// ---------------------------------------------------------------- shared drive rule

void connectDriveList(DriveList* drives, FolderList* folders, std::int16_t& lastDriveIndex)
{
    QObject::connect(drives, &DriveList::driveChanged, folders, [drives, folders, &lastDriveIndex] {
        const int chosen = drives->currentIndex();
        if (folders->setPath(drives->driveFolder(chosen))) {
            lastDriveIndex = static_cast<std::int16_t>(chosen);
            return;
        }
        // The drive cannot be read: back to the last good one, without a word.
        const int back = (lastDriveIndex >= 0 && lastDriveIndex < drives->count()) ? lastDriveIndex : 0;
        drives->selectSilently(back);
        if (drives->indexOfPath(folders->path()) != back && !folders->setPath(drives->driveFolder(back)))
            drives->selectSilently(drives->indexOfPath(folders->path()));
    });
    QObject::connect(folders, &FolderList::pathChanged, drives, [drives](const QString& path) {
        const int holder = drives->indexOfPath(path);
        if (holder >= 0 && holder != drives->currentIndex())
            drives->selectSilently(holder);
    });
}

#include "moc_FileLists.cpp"
