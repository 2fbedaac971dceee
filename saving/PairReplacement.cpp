// SPDX-License-Identifier: GPL-3.0-or-later
#include "PairReplacement.h"

#include <QCryptographicHash>
#include <QFile>
#include <QRegularExpression>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace DurableFiles;

namespace {

// The intent file, line by line:
//   TALVO RULA replacing two files 1
//   state U0              U = undo (k files placed so far), F = complete
//   pair <1 if the target had an old file, else 0> <new file> <kept old file> <target, hex>
//   pair ...
//   check <SHA-256 of the lines above, the two state characters read as "??">
const QByteArray Header = QByteArrayLiteral("TALVO RULA replacing two files 1\n");
const QByteArray StateTag = QByteArrayLiteral("state ");
const qsizetype StateOffset = Header.size() + StateTag.size();
constexpr qsizetype MaxIntentSize = 4096;

QByteArray encoded(const QString& path)
{
    return QFile::encodeName(path);
}

QString fileName(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString inFolder(const QString& folder, const QString& name)
{
    return folder + QLatin1Char('/') + name;
}

bool isHiddenName(const QString& name, const char* suffixes)
{
    static const QString pattern = QStringLiteral("^\\.talvo-[0-9a-f]{12}\\.(%1)$");
    return QRegularExpression(pattern.arg(QLatin1String(suffixes))).match(name).hasMatch();
}

QByteArray checksum(QByteArray bytes)
{
    bytes.replace(StateOffset, 2, "??");
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

// The state characters, or an empty array when `bytes` are not an intent of this program.
struct Intent
{
    char state = 0;
    int placed = 0;
    std::array<bool, 2> hadOldFile{};
    std::array<QString, 2> temporary; // names without folder
    std::array<QString, 2> kept;
    std::array<QString, 2> target;
};

bool parse(const QByteArray& bytes, Intent* intent)
{
    if (!bytes.startsWith(Header) || bytes.size() < StateOffset + 3 || !bytes.endsWith('\n'))
        return false;
    const qsizetype checkAt = bytes.lastIndexOf("check ");
    if (checkAt <= StateOffset || bytes.mid(checkAt + 6).trimmed() != checksum(bytes.left(checkAt)))
        return false;
    const QList<QByteArray> lines = bytes.left(checkAt).split('\n');
    // Header, state, two pairs and the empty rest after the last line end.
    if (lines.size() != 5 || lines[1].size() != StateTag.size() + 2 || !lines[1].startsWith(StateTag))
        return false;
    intent->state = lines[1].at(StateTag.size());
    const char placed = lines[1].at(StateTag.size() + 1);
    if (!((intent->state == 'U' || intent->state == 'F') && placed >= '0' && placed <= '2'))
        return false;
    intent->placed = placed - '0';
    for (int i = 0; i < 2; ++i) {
        const QList<QByteArray> fields = lines[2 + i].split(' ');
        if (fields.size() != 5 || fields[0] != "pair" || (fields[1] != "0" && fields[1] != "1"))
            return false;
        const auto at = std::size_t(i);
        intent->hadOldFile[at] = fields[1] == "1";
        intent->temporary[at] = QString::fromLatin1(fields[2]);
        intent->kept[at] = QString::fromLatin1(fields[3]);
        intent->target[at] = QFile::decodeName(QByteArray::fromHex(fields[4]));
        const QString& target = intent->target[at];
        if (!isHiddenName(intent->temporary[at], "txt|mdb") || !isHiddenName(intent->kept[at], "kept") ||
            target.isEmpty() || target.contains(QLatin1Char('/')) || target == QLatin1String(".") ||
            target == QLatin1String(".."))
            return false;
    }
    return true;
}

QByteArray readIntent(int fd)
{
    QByteArray bytes(MaxIntentSize + 1, Qt::Uninitialized);
    qsizetype total = 0;
    while (total < bytes.size()) {
        const ssize_t n = ::pread(fd, bytes.data() + total, std::size_t(bytes.size() - total), total);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        total += n;
    }
    bytes.truncate(total);
    return bytes;
}

QString systemError(int code)
{
    return qt_error_string(code);
}

// Removes a new database file with the side files the engine may have made beside it.
void removeNewFile(const QString& path)
{
    removeFile(path);
    for (const char* side : {"-journal", "-wal", "-shm"})
        removeFile(path + QLatin1String(side));
}

bool sameFile(int fd, const QString& path)
{
    struct stat open;
    struct stat named;
    return ::fstat(fd, &open) == 0 && ::lstat(encoded(path).constData(), &named) == 0 && open.st_nlink > 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino && S_ISREG(named.st_mode);
}

} // namespace

PairReplacement::~PairReplacement()
{
    if (m_fd >= 0)
        abandon();
}

bool PairReplacement::isIntentName(const QString& fileName)
{
    return isHiddenName(fileName, "intent");
}

QString PairReplacement::begin(const QString& folder, const std::array<QString, 2>& targets,
                               const std::array<QString, 2>& suffixes, SaveSteps& steps)
{
    m_steps = &steps;
    m_folder = folder;
    QStringList chosen;
    const auto pick = [&](const QString& suffix) {
        QString name;
        do {
            name = freeName(folder, suffix);
        } while (chosen.contains(name));
        chosen << name;
        return name;
    };
    for (std::size_t i = 0; i < 2; ++i) {
        m_pairs[i].target = targets[i];
        m_pairs[i].hadOldFile = entryExists(targets[i]);
        m_pairs[i].temporary = pick(suffixes[i]);
        m_pairs[i].kept = pick(QStringLiteral(".kept"));
        m_temporaries[i] = m_pairs[i].temporary;
    }

    QByteArray bytes = Header + StateTag + "U0\n";
    for (const Pair& pair : m_pairs) {
        bytes += "pair " + QByteArray(pair.hadOldFile ? "1 " : "0 ") + fileName(pair.temporary).toLatin1() + ' ' +
                 fileName(pair.kept).toLatin1() + ' ' + encoded(fileName(pair.target)).toHex() + '\n';
    }
    bytes += "check " + checksum(bytes) + '\n';

    // Locked before anything is written, so a repair running now finds it either locked or
    // not yet an intent, and leaves it alone.
    const QString intent = pick(QStringLiteral(".intent"));
    int fd;
    do {
        fd = ::open(encoded(intent).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return systemError(errno);
    int locked;
    do {
        locked = ::flock(fd, LOCK_EX);
    } while (locked != 0 && errno == EINTR);
    qsizetype written = 0;
    QString error = locked == 0 ? QString() : systemError(errno);
    while (error.isEmpty() && written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + written, std::size_t(bytes.size() - written));
        if (n > 0)
            written += n;
        else if (n == 0 || errno != EINTR)
            error = systemError(n == 0 ? EIO : errno);
    }
    if (error.isEmpty() && !sameFile(fd, intent)) {
        // Another program instance's repair took it for the leftover of a killed save.
        ::close(fd);
        return QStringLiteral("the file \"%1\" was removed while it was written").arg(intent);
    }
    if (!error.isEmpty()) {
        ::unlink(encoded(intent).constData());
        ::close(fd);
        return error;
    }
    m_intent = intent;
    m_fd = fd;
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
    ::unlink(encoded(m_intent).constData());
    ::close(m_fd); // releases the lock
    m_fd = -1;
}

void PairReplacement::abandon()
{
    if (m_fd < 0)
        return;
    const QString lost = undo(m_folder, m_pairs, 0, *m_steps);
    if (lost.isEmpty()) {
        finish();
    } else {
        ::close(m_fd);
        m_fd = -1;
    }
}

QString PairReplacement::undo(const QString& folder, const std::array<Pair, 2>& pairs, int placed, SaveSteps& steps)
{
    QStringList lost;
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        const Pair& pair = pairs[i];
        const bool replaced = int(i) < placed;
        const bool keptExists = entryExists(pair.kept);
        if (keptExists && !replaced && entryExists(pair.target)) {
            // Kept by a hard link: the target still is the old file.
            removeFile(pair.kept);
        } else if (keptExists) {
            QString error = steps.reached(Step::Restoring);
            if (error.isEmpty())
                error = renameFile(pair.kept, pair.target);
            if (error.isEmpty())
                removeFile(pair.kept); // a rename onto the same file leaves both names
            else
                lost << QStringLiteral("\"%1\" is kept as \"%2\"").arg(pair.target, pair.kept);
        } else if (replaced && !pair.hadOldFile) {
            removeFile(pair.target);
        }
        removeNewFile(pair.temporary);
    }
    syncFolder(folder);
    return lost.join(QStringLiteral("; "));
}

QString PairReplacement::complete(const QString& folder, const std::array<Pair, 2>& pairs)
{
    for (const Pair& pair : pairs) {
        if (entryExists(pair.temporary)) {
            if (const QString error = renameFile(pair.temporary, pair.target); !error.isEmpty())
                return QStringLiteral("\"%1\" could not take the name \"%2\": %3")
                    .arg(pair.temporary, pair.target, error);
        }
    }
    if (const QString error = syncFolder(folder); !error.isEmpty())
        return error;
    for (const Pair& pair : pairs) {
        removeFile(pair.kept);
        removeNewFile(pair.temporary);
    }
    return {};
}

QString PairReplacement::replace()
{
    SaveSteps& steps = *m_steps;
    QString error;
    int placed = 0;
    bool marked = false;

    // 1. Keep every old file under a second name.
    for (Pair& pair : m_pairs) {
        if (!pair.hadOldFile)
            continue;
        if (steps.link(encoded(pair.target).constData(), encoded(pair.kept).constData()) == 0)
            continue;
        if (errno == EEXIST || ::rename(encoded(pair.target).constData(), encoded(pair.kept).constData()) != 0) {
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

    // 3. Move the new files in and make their names durable.
    for (const Step step : {Step::FirstReplaced, Step::AllReplaced}) {
        if (!error.isEmpty())
            break;
        const Pair& pair = m_pairs[std::size_t(placed)];
        error = renameFile(pair.temporary, pair.target);
        if (error.isEmpty()) {
            ++placed;
            error = steps.reached(step);
        }
    }
    if (error.isEmpty())
        error = syncFolder(m_folder);
    if (error.isEmpty())
        error = steps.reached(Step::FolderSynced);

    if (!error.isEmpty()) {
        if (marked)
            mark('U', placed);
        const QString lost = undo(m_folder, m_pairs, placed, steps);
        if (lost.isEmpty()) {
            finish();
            return error;
        }
        ::close(m_fd); // the intent stays, for the next repair
        m_fd = -1;
        return error + QStringLiteral("; the earlier files could not be put back: ") + lost;
    }

    // 4. The old files are no longer needed. The save has succeeded: from here on only a
    // stop can interrupt it, and the next repair finishes it.
    for (const Pair& pair : m_pairs)
        removeFile(pair.kept);
    steps.reached(Step::KeptRemoved);
    finish();
    return {};
}

QString PairReplacement::recover(const QString& path, QStringList* named)
{
    int fd;
    do {
        fd = ::open(encoded(path).constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return QStringLiteral("\"%1\" cannot be opened: %2").arg(path, systemError(errno));

    Intent intent;
    const bool locked = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    const QByteArray bytes = readIntent(fd);
    if (locked && bytes.isEmpty() && sameFile(fd, path)) {
        // A save killed before it wrote its intent (it locks first): it made nothing else.
        ::unlink(encoded(path).constData());
        ::close(fd);
        return {};
    }
    const bool ours = parse(bytes, &intent);
    if (ours) {
        for (std::size_t i = 0; i < 2; ++i)
            *named << intent.temporary[i] << intent.kept[i];
    }
    if (!locked || !ours || !sameFile(fd, path)) {
        // Still running, not this program's, or finished while we looked.
        ::close(fd);
        return {};
    }

    const QString folder = path.left(path.lastIndexOf(QLatin1Char('/')));
    std::array<Pair, 2> pairs;
    for (std::size_t i = 0; i < 2; ++i) {
        pairs[i] = {intent.hadOldFile[i], inFolder(folder, intent.temporary[i]), inFolder(folder, intent.kept[i]),
                    inFolder(folder, intent.target[i])};
    }
    SaveSteps plain;
    const QString error = intent.state == 'F' ? complete(folder, pairs) : undo(folder, pairs, intent.placed, plain);
    if (error.isEmpty()) {
        ::unlink(encoded(path).constData());
        syncFolder(folder);
    }
    ::close(fd);
    return error;
}
