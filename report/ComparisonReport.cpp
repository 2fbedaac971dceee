// SPDX-License-Identifier: GPL-3.0-or-later
#include "ComparisonReport.h"

#include "Comparison.h"
#include "ReportStyle.h"
#include "RevisionChanges.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>

namespace {

using ReportStyle::TextRole;

const QColor ChangedGround(0xcf, 0xe2, 0xff);
const QColor ComputedGround(0xf0, 0xf0, 0xf0);
QString dateText(const QDateTime& when)
{
    return when.isValid() ? when.toString(QStringLiteral("yyyy-MM-dd HH:mm")) : QStringLiteral("unknown");
}

// Paints the comparison top to bottom, starting a new page when the next block does not fit.
class ComparisonPainter
{
public:
    ComparisonPainter(QPdfWriter& writer, QPainter& painter)
        : m_writer(writer), m_painter(painter), m_area(ReportStyle::contentRect(writer)), m_y(m_area.top())
    {
        m_painter.setPen(Qt::black);
    }

    void paint(const ComparedFile& before, const ComparedFile& after)
    {
        paragraph(QStringLiteral("RULA comparison: before and after"), TextRole::Title, mm(2));
        paragraph(comparison::summarySentence(before.record, after.record), TextRole::Heading, mm(4));
        if (const QString same = comparison::sameAssessmentSentence(before.record, after.record); !same.isEmpty())
            paragraph(same, TextRole::Body, mm(3));
        const std::vector<comparison::ScoreSection> sections = comparison::scoreSections(before.record, after.record);
        scoreSection(sections[0]);
        m_y += mm(3);
        whoAndWhere(before, after);
        m_y += mm(3);
        for (std::size_t i = 1; i < sections.size(); ++i)
            scoreSection(sections[i]);
        paragraph(QStringLiteral("Changed scores are bold on a blue ground: ▲ higher after the change (more "
                                 "risk), ▼ lower. Computed scores are on grey."),
                  TextRole::Small, mm(4));
        changedOptions(changedSelections(before.record, after.record));
        footer();
    }

private:
    qreal mm(qreal millimetres) const { return ReportStyle::mm(m_writer, millimetres); }
    qreal labelWidth() const { return mm(55); }

    void ensureRoom(qreal height)
    {
        if (m_y + height <= m_area.bottom() - mm(8))
            return;
        footer();
        m_writer.newPage();
        m_y = m_area.top();
    }

    void footer()
    {
        const QRectF box(m_area.left(), m_area.bottom() - mm(5), m_area.width(), mm(5));
        ReportStyle::drawFittedText(
            m_painter, box,
            QStringLiteral("TALVO RULA %1 · comparison written %2")
                .arg(QCoreApplication::applicationVersion(), dateText(QDateTime::currentDateTime())),
            ReportStyle::font(TextRole::Small), 6, Qt::AlignRight | Qt::AlignBottom);
    }

    void paragraph(const QString& text, TextRole role, qreal spaceAfter)
    {
        const QFont font = ReportStyle::font(role);
        const qreal height = ReportStyle::wrappedHeight(m_writer, text, font, m_area.width());
        ensureRoom(height);
        ReportStyle::drawWrappedText(m_painter, QRectF(m_area.left(), m_y, m_area.width(), height + 1), text, font);
        m_y += height + spaceAfter;
    }

    void fill(const QRectF& box, const QColor& colour) { m_painter.fillRect(box, colour); }

    void rule()
    {
        m_painter.save();
        m_painter.setPen(QPen(ReportStyle::RuleColour, mm(0.2)));
        m_painter.drawLine(QPointF(m_area.left(), m_y), QPointF(m_area.right(), m_y));
        m_painter.restore();
    }

    // A table's heading with its column names over the value columns.
    void tableHeading(const QString& heading, const QStringList& columns)
    {
        const qreal height = mm(7);
        ReportStyle::drawFittedText(m_painter, QRectF(m_area.left(), m_y, labelWidth(), height), heading,
                                    ReportStyle::font(TextRole::Heading), 8, Qt::AlignLeft | Qt::AlignVCenter);
        const qreal columnWidth = (m_area.width() - labelWidth()) / static_cast<qreal>(columns.size());
        for (int i = 0; i < columns.size(); ++i) {
            const QRectF box(m_area.left() + labelWidth() + i * columnWidth, m_y, columnWidth, height);
            ReportStyle::drawFittedText(m_painter, box, columns[i],
                                        ReportStyle::bold(ReportStyle::font(TextRole::Body)), 7, Qt::AlignCenter);
        }
        m_y += height;
        rule();
    }

    void scoreSection(const comparison::ScoreSection& section)
    {
        ensureRoom(mm(7) * 3);
        QStringList columns;
        for (const QString& column : section.columns)
            columns << column + QStringLiteral(": before → after");
        tableHeading(section.heading, columns);
        const qreal columnWidth = (m_area.width() - labelWidth()) / static_cast<qreal>(section.columns.size());
        for (const comparison::ScoreLine& line : section.lines) {
            const qreal height = line.actionLevel ? mm(9) : mm(6.5);
            ensureRoom(height);
            const QRectF row(m_area.left(), m_y, m_area.width(), height);
            if (line.computed)
                fill(row, ComputedGround);
            const QFont labelFont = ReportStyle::bold(ReportStyle::font(TextRole::Body), line.computed);
            ReportStyle::drawFittedText(m_painter, QRectF(row.left() + mm(1.5), row.top(), labelWidth(), height),
                                        line.label, labelFont, 7, Qt::AlignLeft | Qt::AlignVCenter);
            int column = 0;
            for (const std::optional<comparison::Change>& change : {line.right, line.left}) {
                if (!change)
                    continue;
                const QRectF cell(m_area.left() + labelWidth() + column * columnWidth, row.top(), columnWidth, height);
                scoreCell(cell.adjusted(mm(0.5), mm(0.5), -mm(0.5), -mm(0.5)), *change, line.actionLevel);
                ++column;
            }
            m_y += height;
            rule();
        }
    }

    // "4 → 2 ▼": the arrow in the middle of the cell, the scores either side of it. An action
    // level's halves take the colours of the levels before and after.
    void scoreCell(const QRectF& cell, const comparison::Change& change, bool actionLevel)
    {
        const qreal middle = cell.center().x();
        if (actionLevel) {
            fill(QRectF(cell.left(), cell.top(), middle - cell.left(), cell.height()),
                 ReportStyle::levelColour(change.before));
            fill(QRectF(middle, cell.top(), cell.right() - middle, cell.height()),
                 ReportStyle::levelColour(change.after));
        } else if (change.changed()) {
            fill(cell, ChangedGround);
        }
        auto shown = [actionLevel](int value) {
            return actionLevel && value == 0 ? QStringLiteral("none") : QString::number(value);
        };
        QString afterText = shown(change.after);
        if (change.changed())
            afterText += change.after > change.before ? QStringLiteral("  ▲") : QStringLiteral("  ▼");
        const QFont font =
            ReportStyle::bold(ReportStyle::font(actionLevel ? TextRole::Heading : TextRole::Body), change.changed());
        const qreal gap = mm(4);
        m_painter.setFont(font);
        m_painter.drawText(QRectF(cell.left(), cell.top(), middle - gap - cell.left(), cell.height()),
                           Qt::AlignRight | Qt::AlignVCenter, shown(change.before));
        m_painter.drawText(QRectF(middle - gap, cell.top(), 2 * gap, cell.height()), Qt::AlignCenter,
                           QStringLiteral("→"));
        m_painter.drawText(QRectF(middle + gap, cell.top(), cell.right() - middle - gap, cell.height()),
                           Qt::AlignLeft | Qt::AlignVCenter, afterText);
    }

    // The two files and whose work they assess; texts that differ are marked like scores.
    void whoAndWhere(const ComparedFile& before, const ComparedFile& after)
    {
        ensureRoom(mm(7) * 6);
        tableHeading(QStringLiteral("Files and employees"), {QStringLiteral("Before"), QStringLiteral("After")});

        const EmployeeTexts& was = before.record.typed;
        const EmployeeTexts& is = after.record.typed;
        textRow(QStringLiteral("File"), before.path, after.path, false, mm(9));
        textRow(QStringLiteral("Observed"), comparison::observedText(before.record),
                comparison::observedText(after.record), false, mm(6));
        textRow(QStringLiteral("Employee name"), was.name, is.name, true, mm(6));
        textRow(QStringLiteral("Employee ID"), was.id, is.id, true, mm(6));
        textRow(QStringLiteral("Employee location"), was.location, is.location, true, mm(6));

        QStringList notes;
        if (was.name != is.name || was.id != is.id)
            notes << QStringLiteral("The two assessments are of different employees.");
        if (was.location != is.location)
            notes << QStringLiteral("The two assessments are of different locations.");
        if (!notes.isEmpty()) {
            m_y += mm(1.5);
            paragraph(notes.join(QLatin1Char(' ')), TextRole::Body, 0);
        }
    }

    void textRow(const QString& label, const QString& before, const QString& after, bool markDifference, qreal height)
    {
        ensureRoom(height);
        const bool differs = markDifference && before != after;
        const QFont font = ReportStyle::bold(ReportStyle::font(TextRole::Small), differs);
        ReportStyle::drawFittedText(m_painter, QRectF(m_area.left() + mm(1.5), m_y, labelWidth(), height), label,
                                    ReportStyle::font(TextRole::Body), 7, Qt::AlignLeft | Qt::AlignVCenter);
        const qreal columnWidth = (m_area.width() - labelWidth()) / 2;
        int column = 0;
        for (const QString& text : {before, after}) {
            const QRectF cell = QRectF(m_area.left() + labelWidth() + column * columnWidth, m_y, columnWidth, height)
                                    .adjusted(mm(1), mm(0.5), -mm(1), -mm(0.5));
            if (differs)
                fill(cell, ChangedGround);
            ReportStyle::drawFittedText(m_painter, cell.adjusted(mm(1), 0, -mm(1), 0), text, font, 5.5,
                                        Qt::AlignLeft | Qt::AlignVCenter);
            ++column;
        }
        m_y += height;
        rule();
    }

    void changedOptions(const QStringList& changes)
    {
        m_y += mm(2);
        paragraph(QStringLiteral("Options that changed"), TextRole::Heading, mm(1.5));
        if (changes.isEmpty()) {
            paragraph(QStringLiteral("The same options are chosen in both assessments."), TextRole::Body, 0);
            return;
        }
        for (const QString& change : changes)
            paragraph(QStringLiteral("• ") + change, TextRole::Body, mm(1));
    }

    QPdfWriter& m_writer;
    QPainter& m_painter;
    QRectF m_area;
    qreal m_y;
};

} // namespace

bool writeComparisonReport(const ComparedFile& before, const ComparedFile& after, QIODevice& device)
{
    QPdfWriter writer(&device);
    ReportStyle::setUpWriter(writer, QStringLiteral("RULA comparison"));
    QPainter painter;
    if (!painter.begin(&writer))
        return false;
    ComparisonPainter(writer, painter).paint(before, after);
    return painter.end();
}
