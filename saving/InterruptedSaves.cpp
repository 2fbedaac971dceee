// SPDX-License-Identifier: GPL-3.0-or-later
#include "InterruptedSaves.h"

#include "DurableFiles.h"
#include "PairReplacement.h"
#include "ResultTextFile.h"
#include "SaveTable.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <sys/stat.h>

namespace {

bool isRegularFile(const QString& path)
{
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
}

// Whether `start` could be the beginning of a file that begins with `head`.
bool beginsLike(const QByteArray& start, const QByteArray& head)
{
    return start.size() >= head.size() ? start.startsWith(head) : head.startsWith(start);
}

// A new file of a save whose intent is gone: the start of a result text file (its first
// label), of a database file (the engine's header), or nothing at all yet.
bool looksLikeNewResultFile(const QString& path, bool text)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray start = file.read(256);
    static const QByteArray firstTextLine = ResultTextFile::item(SaveTable::labelText(0)) + "\r\n";
    static const QByteArray databaseHeader = QByteArrayLiteral("SQLite format 3\0");
    return beginsLike(start, text ? firstTextLine : databaseHeader);
}

} // namespace

QString RecoverInterruptedSaves(const QString& folder)
{
    const QDir dir(folder);
    const QStringList names =
        dir.entryList({QStringLiteral(".talvo-*")}, QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    if (names.isEmpty())
        return {};

    QStringList problems;
    QStringList named;
    for (const QString& name : names) {
        if (PairReplacement::isIntentName(name)) {
            if (const QString problem = PairReplacement::recover(folder + QLatin1Char('/') + name, &named);
                !problem.isEmpty())
                problems << problem;
        }
    }

    static const QRegularExpression newFile(QStringLiteral("^\\.talvo-[0-9a-f]{12}\\.(txt|mdb)$"));
    for (const QString& name : names) {
        const QRegularExpressionMatch match = newFile.match(name);
        const QString path = folder + QLatin1Char('/') + name;
        if (!match.hasMatch() || named.contains(name) || !isRegularFile(path))
            continue;
        if (looksLikeNewResultFile(path, match.captured(1) == QLatin1String("txt"))) {
            if (const QString error = DurableFiles::removeFile(path); !error.isEmpty())
                problems << QStringLiteral("\"%1\" cannot be removed: %2").arg(path, error);
        }
    }
    return problems.join(QLatin1Char('\n'));
}
