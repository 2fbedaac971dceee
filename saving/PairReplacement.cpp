// SPDX-License-Identifier: GPL-3.0-or-later
#include "PairReplacement.h"

#include "OutputFiles.h"
#include "ResultTextFile.h"
#include "SaveTable.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include "RunAside.h"

#include <cerrno>
#include <fcntl.h>
#include <future>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace DurableFiles;
using File = PairReplacement::File;

namespace {

// The old files of saves that have succeeded, still being removed on another core. Each save
// holds its name's intent locked until its old files are gone; the program waits for them
// before it ends.
class OldFileRemovals
{
public:
    ~OldFileRemovals() { waitForAll(); }

    void add(std::future<void> removal)
    {
        const std::lock_guard<std::mutex> guard(m_lock);
        m_running.push_back({::getpid(), std::move(removal)});
    }

    void waitForAll()
    {
        std::vector<Removal> running;
        {
            const std::lock_guard<std::mutex> guard(m_lock);
            running.swap(m_running);
        }
        for (Removal& removal : running) {
            if (removal.process == ::getpid())
                removal.done.wait();
            else // a forked child has none of its parent's threads: the parent waits for them
                new std::future<void>(std::move(removal.done));
        }
    }

private:
    struct Removal
    {
        pid_t process;
        std::future<void> done;
    };
    std::mutex m_lock;
    std::vector<Removal> m_running;
};

OldFileRemovals& oldFileRemovals()
{
    static OldFileRemovals removals;
    return removals;
}

// The intent file, line by line:
//   TALVO RULA replacing result files 2
//   state U0              U = undo (k files placed so far), F = complete
//   file <1 if the target had an old file, else 0> <new file> <kept old file> <target, hex>
//   file ...              (two or three file lines: text, database, evidence)
//   check <SHA-256 of the lines above, the two state characters read as "??">
// The check finds a torn or altered intent; that the intent is this user's and no one
// else's to write is what makes it trusted.
const QByteArray Header = QByteArrayLiteral("TALVO RULA replacing result files 2\n");
const QByteArray StateTag = QByteArrayLiteral("state ");
const qsizetype StateOffset = Header.size() + StateTag.size();
constexpr qsizetype MaxIntentSize = 4096;

QString fileName(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString folderOf(const QString& path)
{
    return path.left(path.lastIndexOf(QLatin1Char('/')));
}

QString suffixOf(const QString& name)
{
    return name.mid(name.lastIndexOf(QLatin1Char('.')) + 1);
}

// The intent of every save of the result name whose text file is `textName`.
QString intentPath(const QString& folder, const QString& textName)
{
    const QByteArray hash = QCryptographicHash::hash(encoded(textName), QCryptographicHash::Sha256).toHex();
    return hiddenName(folder, QString::fromLatin1(hash.left(12)), QStringLiteral("intent"));
}

bool isCleanName(const QString& name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") ||
        name.contains(QLatin1Char('/')) || !name.isValidUtf16())
        return false;
    for (const QChar c : name) {
        if (c.category() == QChar::Other_Control || c == QChar::ReplacementCharacter)
            return false;
    }
    return true;
}

QByteArray checksum(QByteArray bytes)
{
    bytes.replace(StateOffset, 2, "??");
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

struct Intent
{
    char state = 0;
    int placed = 0;
    std::vector<File> files; // names without folder
};

bool parse(const QByteArray& bytes, Intent* intent)
{
    if (!bytes.startsWith(Header) || bytes.size() < StateOffset + 3 || !bytes.endsWith('\n'))
        return false;
    const qsizetype checkAt = bytes.lastIndexOf("check ");
    if (checkAt <= StateOffset || bytes.mid(checkAt + 6).trimmed() != checksum(bytes.left(checkAt)))
        return false;
    QList<QByteArray> lines = bytes.left(checkAt).split('\n');
    lines.removeLast(); // the empty rest after the last line end
    // Header, state, two or three files.
    if (lines.size() < 4 || lines.size() > 5 || lines[1].size() != StateTag.size() + 2 ||
        !lines[1].startsWith(StateTag))
        return false;
    intent->state = lines[1].at(StateTag.size());
    const char placed = lines[1].at(StateTag.size() + 1);
    if (!((intent->state == 'U' || intent->state == 'F') && placed >= '0' && placed < '0' + lines.size() - 1))
        return false;
    intent->placed = placed - '0';
    QStringList targets;
    QStringList hidden;
    for (qsizetype i = 2; i < lines.size(); ++i) {
        const QList<QByteArray> fields = lines[i].split(' ');
        if (fields.size() != 5 || fields[0] != "file" || (fields[1] != "0" && fields[1] != "1"))
            return false;
        const QByteArray target = QByteArray::fromHex(fields[4]);
        File file{fields[1] == "1", QString::fromLatin1(fields[2]), QString::fromLatin1(fields[3]),
                  QFile::decodeName(target)};
        // A name that does not survive decoding is not one this program wrote.
        if (encoded(file.target) != target || hiddenSuffix(file.temporary) != suffixOf(file.target) ||
            hiddenSuffix(file.kept) != QLatin1String("kept"))
            return false;
        targets << file.target;
        hidden << file.temporary << file.kept;
        intent->files.push_back(file);
    }
    hidden.removeDuplicates();
    return hidden.size() == 2 * targets.size() && PairReplacement::isResultName(targets);
}

QByteArray readIntent(int fd)
{
    return readStart(fd, MaxIntentSize + 1);
}

// Whether `path` names a regular file of this user's (not a link).
bool isOwnFile(const QString& path)
{
    struct stat info;
    return ::lstat(encoded(path).constData(), &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid();
}

// Removes a new file of this user's with the side files the engine may have made beside it.
void removeNewFile(const QString& path)
{
    for (const char* side : {"", "-journal", "-wal", "-shm"}) {
        if (isOwnFile(path + QLatin1String(side)))
            removeFile(path + QLatin1String(side));
    }
}

// Whether `path` is a file this program wrote as the new file of its kind: this user's, and
// beginning as such a file begins.
bool isWrittenResult(const QString& path)
{
    struct stat info;
    const QByteArray start = startOf(path, 64, &info);
    return S_ISREG(info.st_mode) && info.st_uid == ::geteuid() &&
           PairReplacement::beginsLikeResultFile(start, suffixOf(path));
}

bool sameFile(int fd, const QString& path)
{
    struct stat open;
    struct stat named;
    return ::fstat(fd, &open) == 0 && ::lstat(encoded(path).constData(), &named) == 0 && open.st_nlink > 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino && S_ISREG(named.st_mode);
}

bool sameEntry(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

QString undo(const QString& folder, const std::vector<File>& files, int placed, SaveSteps& steps)
{
    QStringList lost;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const File& file = files[i];
        const bool replaced = int(i) < placed;
        struct stat kept;
        struct stat target;
        // Only an old file is ever kept; anything else under that name is no one's of ours.
        const bool keptExists =
            file.hadOldFile && ::lstat(encoded(file.kept).constData(), &kept) == 0 && S_ISREG(kept.st_mode);
        const bool targetExists = ::lstat(encoded(file.target).constData(), &target) == 0;
        if (keptExists && !replaced && targetExists && sameEntry(kept, target)) {
            // Kept by a hard link: the target still is the old file.
            removeFile(file.kept);
        } else if (keptExists && (replaced || !targetExists)) {
            QString error = steps.reached(Step::Restoring);
            if (error.isEmpty())
                error = renameFile(file.kept, file.target);
            if (error.isEmpty())
                removeFile(file.kept); // a rename onto the same file leaves both names
            else
                lost << QStringLiteral("\"%1\" is kept as \"%2\"").arg(file.target, file.kept);
        } else if (keptExists) {
            // Someone has made a new file under the target's name since: both stay.
            lost << QStringLiteral("\"%1\" is kept as \"%2\"").arg(file.target, file.kept);
        } else if (replaced && !file.hadOldFile && isWrittenResult(file.target)) {
            removeFile(file.target);
        }
        removeNewFile(file.temporary);
    }
    syncFolder(folder);
    return lost.join(QStringLiteral("; "));
}

QString complete(const QString& folder, const std::vector<File>& files)
{
    for (const File& file : files) {
        struct stat info;
        const QByteArray start = startOf(file.temporary, 64, &info);
        if (S_ISREG(info.st_mode)) {
            if (!isPrivateFile(info) || !PairReplacement::beginsLikeResultFile(start, suffixOf(file.target)))
                return QStringLiteral("\"%1\" is not a file this program wrote").arg(file.temporary);
            if (const QString error = renameFile(file.temporary, file.target); !error.isEmpty())
                return QStringLiteral("\"%1\" could not take the name \"%2\": %3")
                    .arg(file.temporary, file.target, error);
        }
        // Placed now or by the save before it was killed: it is still private.
        if (isOwnFile(file.target))
            giveOrdinaryPermissions(file.target);
    }
    if (const QString error = syncFolder(folder); !error.isEmpty())
        return error;
    for (const File& file : files) {
        if (file.hadOldFile) {
            struct stat kept;
            if (::lstat(encoded(file.kept).constData(), &kept) == 0 && S_ISREG(kept.st_mode))
                removeFile(file.kept);
        }
        removeNewFile(file.temporary);
    }
    return {};
}

QString carryOut(const QString& folder, Intent intent)
{
    for (File& file : intent.files) {
        file.temporary = folder + QLatin1Char('/') + file.temporary;
        file.kept = folder + QLatin1Char('/') + file.kept;
        file.target = folder + QLatin1Char('/') + file.target;
    }
    SaveSteps plain;
    return intent.state == 'F' ? complete(folder, intent.files) : undo(folder, intent.files, intent.placed, plain);
}

} // namespace

PairReplacement::~PairReplacement()
{
    if (m_fd >= 0)
        abandon();
}

bool PairReplacement::isIntentName(const QString& fileName)
{
    return hiddenSuffix(fileName) == QLatin1String("intent");
}

bool PairReplacement::beginsLikeResultFile(const QByteArray& start, const QString& suffix)
{
    static const QByteArray firstTextLine = ResultTextFile::item(SaveTable::labelText(0)) + "\r\n";
    static const QByteArray databaseHeader = QByteArrayLiteral("SQLite format 3\0");
    const QByteArray& head = suffix == QLatin1String("txt") ? firstTextLine : databaseHeader;
    if (suffix != QLatin1String("txt") && suffix != QLatin1String("mdb") && suffix != QLatin1String("sqlite"))
        return false;
    return start.size() >= head.size() ? start.startsWith(head) : head.startsWith(start);
}

bool PairReplacement::isResultName(const QStringList& names)
{
    if (names.size() < 2 || names.size() > 3 || !names[0].endsWith(QLatin1String(".txt")))
        return false;
    const QString& textName = names[0];
    const QString stem = textName.chopped(4);
    if (names[1] != stem + QLatin1String(".mdb") ||
        (names.size() == 3 && names[2] != OutputFiles::evidencePath(textName)))
        return false;
    for (const QString& name : names) {
        if (!isCleanName(name))
            return false;
    }
    return true;
}

QString PairReplacement::begin(const QString& folder, const QStringList& targets, SaveSteps& steps, int wait)
{
    QStringList names;
    for (const QString& target : targets)
        names << fileName(target);
    if (!isResultName(names) || folderOf(targets[0]) != folder)
        return QStringLiteral("\"%1\" is not the name of result files").arg(targets.value(0));
    m_steps = &steps;
    m_folder = folder;

    // This program's own earlier saves end first (their old files take milliseconds to remove).
    waitForOldFilesRemoved();

    // The name's intent is locked before it is written, so saves of one name take turns and
    // a repair running now finds it either locked or empty (and may remove it: then it is
    // made again).
    const QString intent = intentPath(folder, names[0]);
    QElapsedTimer waited;
    waited.start();
    int fd = -1;
    for (;;) {
        fd = openRetrying(intent, O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
        if (fd < 0)
            return QStringLiteral("\"%1\" cannot be used: %2").arg(intent, systemError(errno));
        // One look at the file: a second could see it removed in between and take the removal
        // for someone else's file.
        struct stat info;
        const bool looked = ::fstat(fd, &info) == 0;
        if (looked && info.st_nlink == 0) {
            // Removed by the save before us as it ended, just after we opened it.
            ::close(fd);
            continue;
        }
        if (!looked || !isPrivateFile(info)) {
            ::close(fd);
            return QStringLiteral("\"%1\" is not this user's own file (another user may have put it there); "
                                  "remove it to save under this name")
                .arg(intent);
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            if (sameFile(fd, intent))
                break;
        } else if (errno != EWOULDBLOCK && errno != EINTR) {
            const int code = errno;
            ::close(fd);
            return systemError(code);
        } else if (waited.elapsed() > wait) {
            ::close(fd);
            return QStringLiteral("another save of \"%1\" is running in this folder; try again when it has ended")
                .arg(targets[0]);
        }
        ::close(fd);
        QThread::msleep(5);
    }
    m_intent = intent;
    m_fd = fd;

    // A save of this name that was killed is carried out first.
    if (Intent left; parse(readIntent(fd), &left)) {
        if (const QString error = carryOut(folder, left); !error.isEmpty()) {
            m_fd = -1;
            ::close(fd);
            return error;
        }
    }

    QStringList chosen;
    const auto pick = [&](const QString& suffix) {
        QString name;
        do {
            name = freeName(folder, suffix);
        } while (chosen.contains(name));
        chosen << name;
        return name;
    };
    m_files.clear();
    for (const QString& target : targets) {
        File file;
        file.target = target;
        file.hadOldFile = entryExists(target);
        file.temporary = pick(suffixOf(target));
        file.kept = pick(QStringLiteral("kept"));
        m_files.push_back(file);
    }
    QByteArray bytes = Header + StateTag + "U0\n";
    for (const File& file : m_files) {
        bytes += "file " + QByteArray(file.hadOldFile ? "1 " : "0 ") + fileName(file.temporary).toLatin1() + ' ' +
                 fileName(file.kept).toLatin1() + ' ' + encoded(fileName(file.target)).toHex() + '\n';
    }
    bytes += "check " + checksum(bytes) + '\n';
    if (const QString error = writeIntent(bytes); !error.isEmpty()) {
        finish();
        return error;
    }
    return {};
}

QString PairReplacement::writeIntent(const QByteArray& bytes)
{
    if (::ftruncate(m_fd, 0) != 0)
        return systemError(errno);
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::pwrite(m_fd, bytes.constData() + written, std::size_t(bytes.size() - written), written);
        if (n > 0)
            written += n;
        else if (n == 0 || errno != EINTR)
            return systemError(n == 0 ? EIO : errno);
    }
    return {};
}

QString PairReplacement::mark(char state, int placed)
{
    const char bytes[2] = {state, char('0' + placed)};
    ssize_t n;
    do {
        n = ::pwrite(m_fd, bytes, 2, StateOffset);
    } while (n < 0 && errno == EINTR);
    if (n != 2)
        return systemError(n < 0 ? errno : EIO);
    int result;
    do {
        result = ::fdatasync(m_fd);
    } while (result != 0 && errno == EINTR);
    return result == 0 ? QString() : systemError(errno);
}

void PairReplacement::finish()
{
    ::unlink(encoded(m_intent).constData()); // while still locked: the next save makes a new one
    ::close(m_fd);
    m_fd = -1;
}

void PairReplacement::abandon()
{
    if (m_fd < 0)
        return;
    const QString lost = undo(m_folder, m_files, 0, *m_steps);
    if (lost.isEmpty()) {
        finish();
    } else {
        ::close(m_fd);
        m_fd = -1;
    }
}

QString PairReplacement::replace()
{
    SaveSteps& steps = *m_steps;
    QString error;
    int placed = 0;
    bool marked = false;

    // 1. Keep every old file under a second name.
    for (File& file : m_files) {
        if (!file.hadOldFile)
            continue;
        if (steps.link(encoded(file.target).constData(), encoded(file.kept).constData()) == 0)
            continue;
        if (errno == EEXIST || ::rename(encoded(file.target).constData(), encoded(file.kept).constData()) != 0) {
            // (Without hard links the old file steps aside instead.)
            error = systemError(errno);
            break;
        }
    }
    if (error.isEmpty())
        error = steps.reached(Step::OldFilesKept);

    // 2. From here on a repair completes the replacement instead of undoing it.
    if (error.isEmpty()) {
        error = mark('F', 0);
        marked = true;
        if (error.isEmpty())
            error = syncFolder(m_folder);
        if (error.isEmpty())
            error = steps.reached(Step::ReadyMarked);
    }

    // 3. Move the new files in, give them the permissions of any new file, and make their
    // names durable.
    for (std::size_t i = 0; error.isEmpty() && i < m_files.size(); ++i) {
        const File& file = m_files[i];
        error = renameFile(file.temporary, file.target);
        if (!error.isEmpty())
            break;
        ++placed;
        giveOrdinaryPermissions(file.target);
        if (i == 0)
            error = steps.reached(Step::FirstReplaced);
        if (error.isEmpty() && i + 1 == m_files.size())
            error = steps.reached(Step::AllReplaced);
    }
    if (error.isEmpty())
        error = syncFolder(m_folder);
    if (error.isEmpty())
        error = steps.reached(Step::FolderSynced);

    if (!error.isEmpty()) {
        if (marked)
            mark('U', placed);
        const QString lost = undo(m_folder, m_files, placed, steps);
        if (lost.isEmpty()) {
            finish();
            return error;
        }
        ::close(m_fd); // the intent stays, for the next repair
        m_fd = -1;
        return error + QStringLiteral("; the earlier files could not be put back: ") + lost;
    }

    // 4. The save has succeeded. The old files are no longer needed; freeing a large one takes
    // milliseconds, so they are removed on another core, the intent locked until they are gone.
    // From here on only a stop can interrupt it, and the next repair finishes it.
    QStringList kept;
    for (const File& file : m_files) {
        if (file.hadOldFile)
            kept << file.kept;
    }
    oldFileRemovals().add(runAside([kept, intent = m_intent, fd = m_fd] {
        for (const QString& file : kept)
            removeFile(file);
        ::unlink(encoded(intent).constData()); // while still locked: the next save makes a new one
        ::close(fd);
    }));
    m_fd = -1;
    steps.reached(Step::Succeeded);
    return {};
}

void PairReplacement::waitForOldFilesRemoved()
{
    oldFileRemovals().waitForAll();
}

QString PairReplacement::recover(const QString& path, QStringList* named)
{
    // Only an intent this user wrote: theirs, with one name, writable by no one else.
    struct stat info;
    if (::lstat(encoded(path).constData(), &info) != 0 || !isPrivateFile(info))
        return {};
    const int fd = openRetrying(path, O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return QStringLiteral("\"%1\" cannot be opened: %2").arg(path, systemError(errno));
    if (::fstat(fd, &info) != 0 || !isPrivateFile(info)) {
        ::close(fd);
        return {};
    }

    const bool locked = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    const QByteArray bytes = readIntent(fd);
    const QString folder = folderOf(path);
    Intent intent;
    const bool ours = parse(bytes, &intent) && fileName(intentPath(folder, intent.files[0].target)) == fileName(path);
    if (ours) {
        for (const File& file : intent.files)
            *named << file.temporary << file.kept;
    }
    if (!locked || !sameFile(fd, path)) {
        // Still running, or finished while we looked.
        ::close(fd);
        return {};
    }
    if (!ours) {
        // Empty or cut short: a save killed before its intent was complete, when it had made
        // nothing else yet. Anything else is left alone.
        if (Header.startsWith(bytes) || (bytes.startsWith(Header) && !bytes.contains("\ncheck ")))
            ::unlink(encoded(path).constData());
        ::close(fd);
        return {};
    }

    const QString error = carryOut(folder, intent);
    if (error.isEmpty()) {
        ::unlink(encoded(path).constData());
        syncFolder(folder);
    }
    ::close(fd);
    return error;
}
