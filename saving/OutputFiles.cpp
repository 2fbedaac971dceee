// SPDX-License-Identifier: GPL-3.0-or-later
#include "OutputFiles.h"

#include <QFileInfo>

namespace OutputFiles {

namespace {

const QString TextSuffix = QStringLiteral(".txt");

// The path with links and "." / ".." resolved where the file exists, else made absolute.
QString resolved(const QString& path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
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
    QString stem = textPath;
    if (stem.endsWith(TextSuffix))
        stem.chop(TextSuffix.size());
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
    QString stem = input;
    if (stem.endsWith(TextSuffix, Qt::CaseInsensitive))
        stem.chop(TextSuffix.size());
    return stem + suffix;
}

QString refusal(const QString& output, const QStringList& inputs, bool namedByUser)
{
    Q_UNUSED(namedByUser)
    const QString target = resolved(output);
    for (const QString& input : inputs) {
        if (resolved(input) == target)
            return QStringLiteral("is one of the files read; choose another output.");
    }
    return QString();
}

} // namespace OutputFiles
