// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A report is a record auditors keep for years: it must be a sound PDF that says it is
// PDF/A-1b. qpdf checks the file's structure; the XMP metadata names the PDF/A part and level.

#include <QProcess>
#include <QRegularExpression>
#include <QString>

// What is wrong with the PDF at `path` as a PDF/A-1b record, or an empty text.
inline QString pdfAProblems(const QString& path)
{
    QProcess check;
    check.setProcessChannelMode(QProcess::MergedChannels);
    check.start(QStringLiteral("qpdf"), {QStringLiteral("--check"), path});
    if (!check.waitForFinished(60000))
        return QStringLiteral("qpdf --check did not finish");
    const QString checked = QString::fromUtf8(check.readAll());
    if (check.exitStatus() != QProcess::NormalExit || check.exitCode() != 0 ||
        checked.contains(QLatin1String("WARNING")))
        return QStringLiteral("qpdf --check: ") + checked;

    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {QStringLiteral("-meta"), path});
    if (!info.waitForFinished(60000) || info.exitCode() != 0)
        return QStringLiteral("pdfinfo -meta failed");
    const QString meta = QString::fromUtf8(info.readAllStandardOutput());
    // XMP allows both spellings: an attribute or an element.
    static const QRegularExpression part(QStringLiteral("pdfaid:part(=\"1\"|>1<)"));
    static const QRegularExpression level(QStringLiteral("pdfaid:conformance(=\"B\"|>B<)"));
    if (!meta.contains(part) || !meta.contains(level))
        return QStringLiteral("no PDF/A-1b identification in the metadata: ") + meta.left(400);
    return {};
}
