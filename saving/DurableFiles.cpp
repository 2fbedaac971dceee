// SPDX-License-Identifier: GPL-3.0-or-later
#include "DurableFiles.h"

#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace DurableFiles {

namespace {

Fault injectedFault = Fault::None;
bool noHardLinks = false;

int linkFile(const char* from, const char* to)
{
    if (noHardLinks) {
        errno = EPERM;
        return -1;
    }
    return ::link(from, to);
}

QString systemError(int code)
{
    return qt_error_string(code);
}

QByteArray encoded(const QString& path)
{
    return QFile::encodeName(path);
}

// A hidden name in `folder` that nothing uses at this moment.
QString freeName(const QString& folder, const QString& suffix)
{
    for (;;) {
        const QString name =
            QStringLiteral("%1/.talvo-%2%3")
                .arg(folder)
                .arg(QRandomGenerator::global()->generate64() & 0xFFFFFFFFFFFFull, 12, 16, QLatin1Char('0'))
                .arg(suffix);
        if (!entryExists(name))
            return name;
    }
}

QString closeChecked(int fd)
{
    // The descriptor is released even when close reports an error, so it is never retried.
    if (::close(fd) != 0 && errno != EINTR)
        return systemError(errno);
    return {};
}

QString syncDescriptor(int fd)
{
    int result;
    do {
        result = ::fsync(fd);
    } while (result != 0 && errno == EINTR);
    return result == 0 ? QString() : systemError(errno);
}

QString syncPath(const QString& path, int flags)
{
    int fd;
    do {
        fd = ::open(encoded(path).constData(), flags | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return systemError(errno);
    QString error = syncDescriptor(fd);
    const QString closeError = closeChecked(fd);
    return error.isEmpty() ? closeError : error;
}

struct Kept
{
    QString target;
    QString keptAs;
    bool linked; // the target still has its old file; otherwise it was renamed away
};

// Puts every kept old file back under its name and removes the new files of targets
// that had none. `placed` targets (the first ones) have received their new file.
// Returns a description of every old file that could not be put back.
QStringList restore(const std::vector<Kept>& kept, const std::vector<Replacement>& replacements, std::size_t placed)
{
    QStringList failed;
    for (std::size_t i = 0; i < replacements.size(); ++i) {
        const QString& target = replacements[i].target;
        const auto k = std::find_if(kept.begin(), kept.end(), [&target](const Kept& x) { return x.target == target; });
        const bool replaced = i < placed;
        if (k == kept.end()) {
            if (replaced)
                ::unlink(encoded(target).constData());
        } else if (k->linked && !replaced) {
            // The target still is the old file; the second name is simply dropped.
            ::unlink(encoded(k->keptAs).constData());
        } else if (injectedFault == Fault::WhileRestoring ||
                   ::rename(encoded(k->keptAs).constData(), encoded(target).constData()) != 0) {
            failed << QStringLiteral("\"%1\" is kept as \"%2\"").arg(target, k->keptAs);
        }
    }
    return failed;
}

} // namespace

void injectFault(Fault fault)
{
    injectedFault = fault;
}

void simulateNoHardLinks(bool on)
{
    noHardLinks = on;
}

bool entryExists(const QString& path, bool* isPlainFile)
{
    struct stat info;
    const bool exists = ::lstat(encoded(path).constData(), &info) == 0;
    if (isPlainFile) {
        struct stat target;
        *isPlainFile = exists && ::stat(encoded(path).constData(), &target) == 0 && S_ISREG(target.st_mode);
    }
    return exists;
}

namespace {

QString makeNewFile(const QString& folder, const QString& suffix, const QByteArray& bytes, bool sync, QString* path)
{
    QString name;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        name = freeName(folder, suffix);
        // 0666 and the process's umask: the permissions of any new file in that folder.
        fd = ::open(encoded(name).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST && errno != EINTR)
            return systemError(errno);
    }
    if (fd < 0)
        return systemError(EEXIST);

    QString error;
    qsizetype written = 0;
    while (error.isEmpty() && written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + written, static_cast<size_t>(bytes.size() - written));
        if (n > 0)
            written += n;
        else if (n < 0 && errno != EINTR)
            error = systemError(errno);
        else if (n == 0)
            error = systemError(EIO);
    }
    if (error.isEmpty() && sync)
        error = syncDescriptor(fd);
    const QString closeError = closeChecked(fd);
    if (error.isEmpty())
        error = closeError;
    if (!error.isEmpty()) {
        ::unlink(encoded(name).constData());
        return error;
    }
    *path = name;
    return {};
}

} // namespace

QString writeNewFile(const QString& folder, const QString& suffix, const QByteArray& bytes, QString* path)
{
    return makeNewFile(folder, suffix, bytes, true, path);
}

QString createNewFile(const QString& folder, const QString& suffix, QString* path)
{
    return makeNewFile(folder, suffix, {}, false, path);
}

QString syncFile(const QString& path)
{
    return syncPath(path, O_RDONLY);
}

QString syncFolder(const QString& folder)
{
    return syncPath(folder, O_RDONLY | O_DIRECTORY);
}

QString removeFile(const QString& path)
{
    if (::unlink(encoded(path).constData()) != 0 && errno != ENOENT)
        return systemError(errno);
    return {};
}

QString replaceAll(const QString& folder, const std::vector<Replacement>& replacements)
{
    const Fault fault = injectedFault;
    injectedFault = Fault::None;

    std::vector<Kept> kept;
    std::size_t placed = 0;
    QString error;

    // 1. Keep every old file under a second name.
    for (const Replacement& r : replacements) {
        if (!entryExists(r.target))
            continue;
        const QString keptAs = freeName(folder, QStringLiteral(".kept"));
        if (linkFile(encoded(r.target).constData(), encoded(keptAs).constData()) == 0) {
            kept.push_back({r.target, keptAs, true});
        } else if (errno != EEXIST && ::rename(encoded(r.target).constData(), encoded(keptAs).constData()) == 0) {
            // No hard links here (or not for this file): the old file steps aside instead.
            kept.push_back({r.target, keptAs, false});
        } else {
            error = systemError(errno);
            break;
        }
    }

    // 2. Move the new files in.
    if (error.isEmpty() && fault == Fault::BeforeReplacing)
        error = QStringLiteral("Simulated failure before replacing");
    for (; error.isEmpty() && placed < replacements.size(); ++placed) {
        if (placed == 1 && (fault == Fault::BetweenReplacements || fault == Fault::WhileRestoring)) {
            error = QStringLiteral("Simulated failure between replacements");
            break;
        }
        const Replacement& r = replacements[placed];
        if (::rename(encoded(r.temporary).constData(), encoded(r.target).constData()) != 0) {
            error = systemError(errno);
            break;
        }
    }

    // 3. Make the new names durable.
    if (error.isEmpty())
        error = syncFolder(folder);

    if (!error.isEmpty()) {
        if (fault == Fault::WhileRestoring)
            injectedFault = Fault::WhileRestoring;
        const QStringList lost = restore(kept, replacements, placed);
        injectedFault = Fault::None;
        syncFolder(folder);
        if (!lost.isEmpty())
            error += QStringLiteral("; the earlier files could not be put back: ") + lost.join(QStringLiteral("; "));
        return error;
    }

    // 4. The old files are no longer needed.
    for (const Kept& k : kept)
        ::unlink(encoded(k.keptAs).constData());
    return {};
}

} // namespace DurableFiles
