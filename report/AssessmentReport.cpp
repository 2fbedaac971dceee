// SPDX-License-Identifier: GPL-3.0-or-later
#include "AssessmentReport.h"

#include "ReportPages.h"
#include "ReportStyle.h"

#include <QDir>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

namespace {

void paintReport(QPdfWriter& writer, QPainter& painter, const ReportContent& content)
{
    QString footer = reportProgramName() + QStringLiteral(" \u00b7 RULA report");
    if (!content.record.typed.name.isEmpty())
        footer += QStringLiteral(" \u00b7 ") + content.record.typed.name.left(1000).simplified(); // one line shows
    PageFlow flow(writer, painter, footer);
    ReportNotes notes;
    for (ReportPage page : reportPages())
        page(flow, content, notes);
}

} // namespace

ReportOutcome WriteReport(const ReportContent& content, const QString& path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {false, QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), file.errorString()),
                QStringLiteral("cannot be written: %1").arg(file.errorString())};
    {
        QPdfWriter writer(&file);
        ReportStyle::setUpWriter(
            writer, QStringLiteral("RULA report: %1").arg(content.record.typed.name.left(1000).simplified()));
        QPainter painter;
        if (!painter.begin(&writer)) {
            file.cancelWriting();
            return {false, QStringLiteral("Cannot draw the report for %1").arg(QDir::toNativeSeparators(path)),
                    QStringLiteral("the report cannot be drawn")};
        }
        paintReport(writer, painter, content);
        painter.end();
    }
    if (!file.commit())
        return {false, QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), file.errorString()),
                QStringLiteral("cannot be written: %1").arg(file.errorString())};
    return {true, QString(), QString()};
}
