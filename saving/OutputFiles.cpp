// SPDX-License-Identifier: GPL-3.0-or-later
#include "OutputFiles.h"

#include "DurableFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace OutputFiles {

namespace {

const QString TextSuffix = QStringLiteral(".txt");

// `path` without a trailing ".txt" in any case: a file copied through another system may be
// named ".TXT".
QString withoutTextSuffix(const QString& path)
{
    return path.endsWith(TextSuffix, Qt::CaseInsensitive) ? path.chopped(TextSuffix.size()) : path;
}

// The path with links and "." / ".." resolved: of the file where it exists, else of its
// folder, else made absolute and cleaned.
QString resolved(const QString& path)
{
    const QFileInfo info(path);
    if (const QString canonical = info.canonicalFilePath(); !canonical.isEmpty())
        return canonical;
    if (const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath(); !folder.isEmpty())
        return folder + QLatin1Char('/') + info.fileName();
    return QDir::cleanPath(info.absoluteFilePath());
}

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

QString resultSuffix()
{
    return QStringLiteral(" RULA Analysis");
}

QString resultStem(const QString& typedName)
{
    return typedName + resultSuffix();
}

QString evidencePath(const QString& textPath)
{
    QString stem = withoutTextSuffix(textPath);
    if (stem.endsWith(resultSuffix()))
        stem.chop(resultSuffix().size());
    return stem + QStringLiteral(" RULA Evidence.sqlite");
}

QString typedNameOf(const QString& savedTextPath)
{
    QString name = QFileInfo(savedTextPath).completeBaseName();
    if (name.endsWith(resultSuffix()))
        name.chop(resultSuffix().size());
    return name;
}

QString besideInput(const QString& input, const QString& suffix)
{
    return withoutTextSuffix(input) + suffix;
}

QString fittedFileName(const QString& name, const QString& suffix)
{
    const qsizetype room = MaxNameBytes - suffix.toUtf8().size();
    QString kept = name;
    while (!kept.isEmpty() && kept.toUtf8().size() > room) {
        // Never split a surrogate pair.
        kept.chop(kept.size() >= 2 && kept.at(kept.size() - 1).isLowSurrogate() ? 2 : 1);
    }
    if (kept.size() < name.size()) {
        while (!kept.isEmpty() && (kept.back().isSpace() || kept.back() == QLatin1Char('.')))
            kept.chop(1);
    }
    return kept + suffix;
}

QString nameLengthRefusal(const QString& path)
{
    const qsizetype bytes = QFileInfo(path).fileName().toUtf8().size();
    if (bytes <= MaxNameBytes)
        return QString();
    return QStringLiteral("the file name is too long: it takes %1 bytes, and file names may take at most %2. "
                          "Choose a shorter name.")
        .arg(bytes)
        .arg(MaxNameBytes);
}

QString refusal(const QString& output, const QStringList& inputs, bool namedByUser)
{
    const QByteArray name = QFile::encodeName(output);
    struct stat entry;
    if (::lstat(name.constData(), &entry) == 0) {
        struct stat file = entry;
        if (S_ISLNK(entry.st_mode)) {
            if (!namedByUser)
                return QStringLiteral("is a link; an output is never written through a link unless it is named "
                                      "with -o.");
            if (::stat(name.constData(), &file) != 0 || !S_ISREG(file.st_mode) || file.st_uid != ::geteuid())
                return QStringLiteral("is a link to something other than a file of your own; choose another "
                                      "output.");
        } else if (!S_ISREG(entry.st_mode)) {
            return QStringLiteral("exists and is not a regular file; choose another output.");
        }
        for (const QString& input : inputs) {
            struct stat read;
            if (::stat(QFile::encodeName(input).constData(), &read) == 0 && sameFile(read, file))
                return QStringLiteral("is one of the files read; choose another output.");
        }
    } else if (errno != ENOENT) {
        return QStringLiteral("cannot be used: %1").arg(qt_error_string(errno));
    }
    const QString target = resolved(output);
    for (const QString& input : inputs) {
        if (resolved(input) == target)
            return QStringLiteral("is one of the files read; choose another output.");
    }
    return QString();
}

QString writePath(const QString& output)
{
    return QFileInfo(output).isSymLink() ? QFileInfo(output).canonicalFilePath() : output;
}

QString writeWhole(const QString& output, const QByteArray& bytes)
{
    const QString path = writePath(output);
    const QFileInfo info(path);
    const QString part = DurableFiles::freeName(info.absolutePath(), QStringLiteral("part"));
    QString error = DurableFiles::writeNewFileAs(part, bytes, true);
    if (!error.isEmpty())
        return error;
    struct stat old;
    const bool replacing = ::lstat(QFile::encodeName(path).constData(), &old) == 0 && S_ISREG(old.st_mode);
    if (replacing) {
        // A file that is replaced keeps its permissions, as an edited file would.
        if (::chmod(QFile::encodeName(part).constData(), old.st_mode & 07777) != 0)
            error = qt_error_string(errno);
    } else {
        error = DurableFiles::giveOrdinaryPermissions(part);
    }
    // The rename replaces whatever entry has the name now; it never follows a link there.
    if (error.isEmpty())
        error = DurableFiles::renameFile(part, path);
    if (!error.isEmpty())
        DurableFiles::removeFile(part);
    else
        DurableFiles::syncFolder(info.absolutePath());
    return error;
}

} // namespace OutputFiles
