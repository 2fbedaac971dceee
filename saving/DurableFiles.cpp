// SPDX-License-Identifier: GPL-3.0-or-later
#include "DurableFiles.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace DurableFiles {

namespace {

QString systemError(int code)
{
    return qt_error_string(code);
}

QByteArray encoded(const QString& path)
{
    return QFile::encodeName(path);
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

} // namespace

QString SaveSteps::reached(Step)
{
    return {};
}

int SaveSteps::link(const char* from, const char* to)
{
    return ::link(from, to);
}

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
    int fd;
    do {
        // 0666 and the process's umask: the permissions of any new file in that folder.
        fd = ::open(encoded(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
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
