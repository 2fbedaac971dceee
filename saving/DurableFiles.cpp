// SPDX-License-Identifier: GPL-3.0-or-later
#include "DurableFiles.h"

#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace DurableFiles {

QString systemError(int code)
{
    return qt_error_string(code);
}

QByteArray encoded(const QString& path)
{
    return QFile::encodeName(path);
}

namespace {

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
    const int fd = openRetrying(path, flags | O_CLOEXEC);
    if (fd < 0)
        return systemError(errno);
    QString error = syncDescriptor(fd);
    const QString closeError = closeChecked(fd);
    return error.isEmpty() ? closeError : error;
}

// The umask, which cannot be read without setting it except through the kernel's status file.
mode_t currentUmask()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("Umask:"))
                return mode_t(line.mid(6).trimmed().toUInt(nullptr, 8) & 0777);
        }
    }
    return 022;
}

} // namespace

QString SaveSteps::reached(Step)
{
    return {};
}

int SaveSteps::link(const char* from, const char* to)
{
    return ::link(from, to);
}

int openRetrying(const QString& path, int flags, mode_t mode)
{
    int fd;
    do {
        fd = ::open(encoded(path).constData(), flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

QString hiddenName(const QString& folder, const QString& id, const QString& suffix)
{
    return QStringLiteral("%1/.talvo-%2.%3").arg(folder, id, suffix);
}

QString hiddenSuffix(const QString& fileName)
{
    static const QRegularExpression pattern(QStringLiteral("^\\.talvo-[0-9a-f]{12}\\.([a-z]+)$"));
    return pattern.match(fileName).captured(1);
}

QString freeName(const QString& folder, const QString& suffix)
{
    for (;;) {
        const QString name =
            hiddenName(folder,
                       QStringLiteral("%1").arg(QRandomGenerator::global()->generate64() & 0xFFFFFFFFFFFFull, 12, 16,
                                                QLatin1Char('0')),
                       suffix);
        if (!entryExists(name))
            return name;
    }
}

bool isPrivateFile(const struct stat& info)
{
    return S_ISREG(info.st_mode) && info.st_uid == ::geteuid() && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0 &&
           info.st_nlink == 1;
}

QByteArray startOf(const QString& path, qsizetype size, struct stat* info)
{
    struct stat own;
    struct stat& described = info ? *info : own;
    described = {};
    const int fd = openRetrying(path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {};
    QByteArray bytes;
    if (::fstat(fd, &described) == 0 && S_ISREG(described.st_mode)) {
        bytes = readStart(fd, size);
    } else if (!S_ISREG(described.st_mode)) {
        described.st_mode = 0;
    }
    ::close(fd);
    return bytes;
}

QByteArray readStart(int fd, qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    qsizetype total = 0;
    while (total < size) {
        const ssize_t n = ::pread(fd, bytes.data() + total, std::size_t(size - total), total);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        total += n;
    }
    bytes.truncate(total);
    return bytes;
}

QString giveOrdinaryPermissions(const QString& path)
{
    const int fd = openRetrying(path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return systemError(errno);
    struct stat info;
    QString error;
    if (::fstat(fd, &info) != 0)
        error = systemError(errno);
    else if (!S_ISREG(info.st_mode))
        error = systemError(EINVAL);
    else if (::fchmod(fd, 0666 & ~currentUmask()) != 0)
        error = systemError(errno);
    ::close(fd);
    return error;
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

QString writeNewFileAs(const QString& path, const QByteArray& bytes, bool sync)
{
    const int fd = openRetrying(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return systemError(errno);

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
    if (!error.isEmpty())
        ::unlink(encoded(path).constData());
    return error;
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

QString renameFile(const QString& from, const QString& to)
{
    if (::rename(encoded(from).constData(), encoded(to).constData()) != 0)
        return systemError(errno);
    return {};
}

} // namespace DurableFiles
