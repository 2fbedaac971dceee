// SPDX-License-Identifier: GPL-3.0-or-later
// The drive, folder and file lists, driven as the assessor drives them, on real folders.
#include "FileLists.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void makeFile(const QString& path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("x");
}

QStringList texts(const QListWidget& list)
{
    QStringList result;
    for (int i = 0; i < list.count(); ++i)
        result << list.item(i)->text();
    return result;
}

// What the drive list's pop-up does when the assessor picks an entry.
void choose(DriveList& drives, int index)
{
    drives.setCurrentIndex(index);
    emit drives.activated(index);
}

void clickRow(QListWidget& list, int row)
{
    const QRect rect = list.visualItemRect(list.item(row));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, rect.center());
}

void doubleClickRow(QListWidget& list, int row)
{
    const QRect rect = list.visualItemRect(list.item(row));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, rect.center());
}

} // namespace

class FileListsTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_root = QDir::cleanPath(m_dir.path());
        QDir root(m_root);
        for (const char* folder : {"beta", "Alpha", "gamma/inner", ".hidden"})
            QVERIFY(root.mkpath(QString::fromLatin1(folder)));
        makeFile(root.filePath(QStringLiteral("zeta.txt")));
        makeFile(root.filePath(QStringLiteral("Beta.png")));
        makeFile(root.filePath(QStringLiteral("alpha.jpg")));
        makeFile(root.filePath(QStringLiteral(".secret")));
    }
    void cleanup() { DriveList::resetVolumeSource(); }

    void folderListShowsPathThenSubfolders()
    {
        FolderList folders;
        QCOMPARE(folders.path(), QDir::cleanPath(QDir::currentPath()));
        QSignalSpy changed(&folders, &FolderList::pathChanged);
        QVERIFY(folders.setPath(m_root));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).toString(), m_root);

        // "/" first, one entry per level down to the open folder, then its visible subfolders.
        const QStringList levels = m_root.split(QLatin1Char('/'), Qt::SkipEmptyParts);
        const int own = static_cast<int>(levels.size());
        QCOMPARE(folders.currentFolderRow(), own);
        QCOMPARE(folders.currentRow(), own);
        QCOMPARE(folders.item(0)->text(), QStringLiteral("/"));
        QCOMPARE(folders.entryPath(0), QStringLiteral("/"));
        QCOMPARE(folders.item(own)->text(), levels.last());
        QCOMPARE(folders.entryPath(own), m_root);
        QCOMPARE(texts(folders).mid(own + 1), (QStringList{"Alpha", "beta", "gamma"}));
        QCOMPARE(folders.entryPath(own + 3), m_root + QStringLiteral("/gamma"));

        // Opening the same folder again changes nothing and says nothing.
        QVERIFY(folders.setPath(m_root + QStringLiteral("/")));
        QCOMPARE(changed.count(), 1);
    }

    void folderListRefusesWhatItCannotOpen()
    {
        FolderList folders;
        QVERIFY(folders.setPath(m_root));
        const QStringList before = texts(folders);
        QSignalSpy changed(&folders, &FolderList::pathChanged);
        QVERIFY(!folders.setPath(m_root + QStringLiteral("/missing")));
        QVERIFY(!folders.setPath(m_root + QStringLiteral("/zeta.txt")));
        QVERIFY(!folders.setPath(QString()));
        QCOMPARE(folders.path(), m_root);
        QCOMPARE(texts(folders), before);
        QCOMPARE(changed.count(), 0);
    }

    void rootFolderKeepsItsSeparator()
    {
        FolderList folders;
        QVERIFY(folders.setPath(QStringLiteral("/")));
        QCOMPARE(folders.path(), QStringLiteral("/"));
        QCOMPARE(folders.currentFolderRow(), 0);
        QVERIFY(folders.count() > 1);
    }

    void clickOpensWhenAskedDoubleClickAndEnterAlways()
    {
        FolderList folders;
        folders.resize(300, 600);
        folders.show();
        QVERIFY(folders.setPath(m_root));
        const int own = folders.currentFolderRow();

        // Plain list: one click only selects, a double click opens.
        clickRow(folders, own + 3);
        QCOMPARE(folders.path(), m_root);
        doubleClickRow(folders, own + 3);
        QCOMPARE(folders.path(), m_root + QStringLiteral("/gamma"));

        // Open-on-click: one click opens, whether down into a subfolder or up the path.
        folders.setOpenOnClick(true);
        clickRow(folders, folders.currentFolderRow() + 1);
        QCOMPARE(folders.path(), m_root + QStringLiteral("/gamma/inner"));
        clickRow(folders, folders.currentFolderRow() - 2);
        QCOMPARE(folders.path(), m_root);
        // The double click opens one level only: its first click did the opening.
        doubleClickRow(folders, folders.currentFolderRow() + 3);
        QCOMPARE(folders.path(), m_root + QStringLiteral("/gamma"));

        // Keyboard: arrows move, Enter opens.
        QTest::keyClick(&folders, Qt::Key_Up);
        QCOMPARE(folders.path(), m_root + QStringLiteral("/gamma"));
        QTest::keyClick(&folders, Qt::Key_Return);
        QCOMPARE(folders.path(), m_root);
    }

    void entryThatVanishedLeavesTheFolderOpen()
    {
        FolderList folders;
        QVERIFY(folders.setPath(m_root));
        QVERIFY(QDir(m_root).rmdir(QStringLiteral("beta")));
        folders.setCurrentRow(folders.currentFolderRow() + 2);
        QTest::keyClick(&folders, Qt::Key_Return);
        QCOMPARE(folders.path(), m_root);
        QCOMPARE(texts(folders).mid(folders.currentFolderRow() + 1), (QStringList{"Alpha", "gamma"}));
    }

    void fileListShowsFilesAndReportsChoices()
    {
        FileList files;
        files.resize(300, 400);
        files.show();
        files.setFolder(m_root);
        QCOMPARE(files.folder(), m_root);
        QCOMPARE(texts(files), (QStringList{"alpha.jpg", "Beta.png", "zeta.txt"}));

        QSignalSpy clicked(&files, &FileList::fileClicked);
        QSignalSpy doubled(&files, &FileList::fileDoubleClicked);
        clickRow(files, 1);
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(clicked.last().at(0).toString(), QStringLiteral("Beta.png"));
        QCOMPARE(doubled.count(), 0);

        doubleClickRow(files, 2);
        QCOMPARE(doubled.count(), 1);
        QCOMPARE(doubled.last().at(0).toString(), QStringLiteral("zeta.txt"));
        QCOMPARE(clicked.last().at(0).toString(), QStringLiteral("zeta.txt")); // its click came first

        QTest::keyClick(&files, Qt::Key_Up);
        QCOMPARE(clicked.last().at(0).toString(), QStringLiteral("Beta.png"));
        QTest::keyClick(&files, Qt::Key_Return);
        QCOMPARE(doubled.last().at(0).toString(), QStringLiteral("Beta.png"));

        files.setFolder(m_root + QStringLiteral("/gamma"));
        QCOMPARE(files.count(), 0);
        files.setFolder(m_root + QStringLiteral("/missing"));
        QCOMPARE(files.count(), 0);
        QCOMPARE(files.folder(), m_root + QStringLiteral("/missing"));
    }

    void driveListStartsAtTheCurrentFolderAndFollowsTheFolderList()
    {
        const QString here = QDir::cleanPath(QDir::currentPath());
        DriveList::setVolumeSource([this, here] {
            return std::vector<Volume>{{QStringLiteral("root"), QStringLiteral("/")},
                                       {QStringLiteral("temp"), m_root},
                                       {QStringLiteral("here"), here}};
        });
        DriveList drives;
        FolderList folders;
        std::int16_t lastDriveIndex = 0;
        connectDriveList(&drives, &folders, lastDriveIndex);
        QCOMPARE(drives.count(), 3);
        QCOMPARE(drives.currentIndex(), 2);
        QCOMPARE(drives.drivePath(), here);
        QCOMPARE(drives.currentText(), QStringLiteral("here"));

        // Walking the folder list onto another volume moves the drive list with it, quietly.
        QSignalSpy driveChanged(&drives, &DriveList::driveChanged);
        QVERIFY(folders.setPath(m_root + QStringLiteral("/gamma")));
        QCOMPARE(drives.currentIndex(), 1);
        QVERIFY(folders.setPath(QStringLiteral("/")));
        QCOMPARE(drives.currentIndex(), 0);
        QCOMPARE(driveChanged.count(), 0);
        QCOMPARE(lastDriveIndex, std::int16_t(0));
    }

    void mountedVolumesHoldTheCurrentFolder()
    {
        DriveList drives;
        QVERIFY(drives.count() >= 1);
        QVERIFY(drives.currentIndex() >= 0);
        const QString here = QDir::cleanPath(QDir::currentPath());
        QVERIFY(here.startsWith(drives.drivePath()));
        QCOMPARE(drives.driveFolder(drives.currentIndex()), here);
    }

    void choosingADriveOpensItOrRevertsSilently()
    {
        DriveList::setVolumeSource([this] {
            return std::vector<Volume>{{QStringLiteral("root"), QStringLiteral("/")},
                                       {QStringLiteral("temp"), m_root},
                                       {QStringLiteral("no medium"), m_root + QStringLiteral("/missing")},
                                       {QStringLiteral("gamma"), m_root + QStringLiteral("/gamma")}};
        });
        DriveList drives;
        FolderList folders;
        std::int16_t lastDriveIndex = 0;
        connectDriveList(&drives, &folders, lastDriveIndex);
        QSignalSpy pathChanged(&folders, &FolderList::pathChanged);

        // Before any good choice, a drive that cannot be read falls back to the first entry,
        // which opens at its current folder: the process's folder lies on it.
        const QString here = QDir::cleanPath(QDir::currentPath());
        QVERIFY(folders.setPath(m_root + QStringLiteral("/beta")));
        choose(drives, 2);
        QCOMPARE(drives.currentIndex(), 0);
        QCOMPARE(folders.path(), here);
        QCOMPARE(lastDriveIndex, std::int16_t(0));

        choose(drives, 3);
        QCOMPARE(folders.path(), m_root + QStringLiteral("/gamma"));
        QCOMPARE(lastDriveIndex, std::int16_t(3));
        QVERIFY(folders.setPath(m_root + QStringLiteral("/gamma/inner")));

        // Back to the last good drive; the folder list, already on it, keeps its folder.
        pathChanged.clear();
        choose(drives, 2);
        QCOMPARE(drives.currentIndex(), 3);
        QCOMPARE(drives.currentText(), QStringLiteral("gamma"));
        QCOMPARE(folders.path(), m_root + QStringLiteral("/gamma/inner"));
        QCOMPARE(lastDriveIndex, std::int16_t(3));
        QCOMPARE(pathChanged.count(), 0);

        // The keyboard chooses too: one step up lands on the unreadable drive and comes back.
        QTest::keyClick(&drives, Qt::Key_Up);
        QCOMPARE(drives.currentIndex(), 3);
        QCOMPARE(folders.path(), m_root + QStringLiteral("/gamma/inner"));
        QTest::keyClick(&drives, Qt::Key_Home);
        QCOMPARE(drives.currentIndex(), 0);
        QCOMPARE(folders.path(), here);
        QCOMPARE(lastDriveIndex, std::int16_t(0));
    }

private:
    QTemporaryDir m_dir;
    QString m_root;
};

QTEST_MAIN(FileListsTest)
#include "tst_filelists.moc"
