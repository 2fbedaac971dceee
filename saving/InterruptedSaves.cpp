// SPDX-License-Identifier: GPL-3.0-or-later
#include "InterruptedSaves.h"

#include "DurableFiles.h"
#include "PairReplacement.h"

#include <QDir>

#include <sys/stat.h>

QString RecoverInterruptedSaves(const QString& folder)
{
    const QDir dir(folder);
    QStringList names;
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name)) {
        if (!DurableFiles::hiddenSuffix(name).isEmpty())
            names << name;
    }
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

    // New files of saves whose intent is gone: this user's own, and the start of a result file.
    for (const QString& name : names) {
        const QString suffix = DurableFiles::hiddenSuffix(name);
        if (named.contains(name) ||
            (suffix != QLatin1String("txt") && suffix != QLatin1String("mdb") && suffix != QLatin1String("sqlite")))
            continue;
        const QString path = folder + QLatin1Char('/') + name;
        struct stat info;
        const QByteArray start = DurableFiles::startOf(path, 256, &info);
        if (DurableFiles::isPrivateFile(info) && PairReplacement::beginsLikeResultFile(start, suffix)) {
            if (const QString error = DurableFiles::removeFile(path); !error.isEmpty())
                problems << QStringLiteral("\"%1\" cannot be removed: %2").arg(path, error);
        }
    }
    return problems.join(QLatin1Char('\n'));
}
