// SPDX-License-Identifier: GPL-3.0-or-later
#include "AgreementReport.h"

#include "ReportStyle.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

#include <array>
#include <optional>

namespace {

using ReportStyle::TextRole;
using rula::agreement::Estimate;

const QColor HeadingGround(0xf0, 0xf0, 0xf0);

QString number(const std::optional<double>& value)
{
    if (!value)
        return QStringLiteral("n/a");
    const QString text = QString::number(*value, 'f', 2);
    return text == QLatin1String("-0.00") ? QStringLiteral("0.00") : text;
}

// "0.52 (0.31 to 0.73)", the figure and its 95% interval.
QString withInterval(const Estimate& estimate)
{
    if (!estimate.value)
        return QStringLiteral("n/a");
    if (!estimate.low || !estimate.high)
        return number(estimate.value);
    return QStringLiteral("%1 (%2 to %3)").arg(number(estimate.value), number(estimate.low), number(estimate.high));
}

// The ground of a Landis and Koch band: the action level colours, green for almost perfect
// agreement to red for slight or none.
QColor bandColour(const std::optional<double>& kappa)
{
    if (!kappa)
        return ReportStyle::levelColour(0);
    if (*kappa > 0.80)
        return ReportStyle::levelColour(1);
    if (*kappa > 0.60)
        return ReportStyle::levelColour(1).lighter(135);
    if (*kappa > 0.40)
        return ReportStyle::levelColour(2);
    if (*kappa > 0.20)
        return ReportStyle::levelColour(3);
    return ReportStyle::levelColour(4);
}

QString band(const std::optional<double>& kappa)
{
    return kappa ? QString::fromLatin1(rula::agreement::landisKochBand(*kappa)) : QStringLiteral("n/a");
}

// Column widths of the table in millimetres; they add up to the landscape content width.
constexpr std::array<qreal, 10> ColumnWidths{42, 11, 19, 30, 30, 22, 30, 22, 12, 30};

class AgreementPainter
{
public:
    AgreementPainter(QPdfWriter& writer, QPainter& painter)
        : m_writer(writer), m_painter(painter), m_area(ReportStyle::contentRect(writer)), m_y(m_area.top())
    {
        m_painter.setPen(Qt::black);
        qreal total = 0;
        for (qreal width : ColumnWidths)
            total += width;
        m_scale = m_area.width() / mm(total);
    }

    void paint(const AgreementStudy& study)
    {
        paragraph(QStringLiteral("RULA agreement between two assessors"), TextRole::Title, mm(1.5));
        paragraph(QStringLiteral("A: %1\nB: %2\n%3 pairs of assessments of the same postures, paired by their path "
                                 "under each folder.")
                      .arg(QDir::toNativeSeparators(study.folderA), QDir::toNativeSeparators(study.folderB))
                      .arg(study.pairs.size()),
                  TextRole::Body, mm(3));
        table(study.items);
        m_y += mm(3);
        paragraph(QStringLiteral("Reading the figures"), TextRole::Heading, mm(1));
        paragraph(
            QStringLiteral(
                "Exact agreement is the share of pairs with the same score. Kappa corrects it for the agreement "
                "expected by chance; the weighted kappas give partial credit to near misses (linear: in proportion "
                "to the distance, quadratic: to its square), so they suit ordered scores. The band in words is "
                "Landis and Koch's (1977) reading of the weighted kappa: slight to 0.20, fair to 0.40, moderate to "
                "0.60, substantial to 0.80, almost perfect above. When one score dominates (most workers' legs "
                "score 1), chance agreement is high and kappa can be low, or n/a, although the assessors almost "
                "always agree: then read AC1 (Gwet), whose chance agreement does not grow with one dominant "
                "score, together with the exact agreement. ICC(2,1) treats the scores as numbers and asks for "
                "absolute agreement. Intervals are 95%: Fleiss, Cohen and Everitt (1969) for the kappas, Shrout "
                "and Fleiss (1979) / McGraw and Wong (1996) for the ICC. n/a: the figure is undefined, for "
                "example kappa when both assessors gave one score throughout."),
            TextRole::Small, mm(4));
        files(QStringLiteral("Pairs (%1)").arg(study.pairs.size()), study.pairs);
        files(QStringLiteral("Unpaired under A (%1)").arg(study.unpairedA.size()), study.unpairedA);
        files(QStringLiteral("Unpaired under B (%1)").arg(study.unpairedB.size()), study.unpairedB);
        footer();
    }

private:
    qreal mm(qreal millimetres) const { return ReportStyle::mm(m_writer, millimetres); }
    qreal columnWidth(std::size_t column) const { return mm(ColumnWidths[column]) * m_scale; }

    void ensureRoom(qreal height)
    {
        if (m_y + height <= m_area.bottom() - mm(8))
            return;
        newPage();
    }

    void newPage()
    {
        footer();
        m_writer.newPage();
        m_y = m_area.top();
    }

    void footer()
    {
        const QRectF box(m_area.left(), m_area.bottom() - mm(5), m_area.width(), mm(5));
        ReportStyle::drawFittedText(m_painter, box,
                                    QStringLiteral("TALVO RULA %1 · agreement written %2")
                                        .arg(QCoreApplication::applicationVersion(),
                                             QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"))),
                                    ReportStyle::font(TextRole::Small), 6, Qt::AlignRight | Qt::AlignBottom);
    }

    // A text of any length: what does not fit on this page goes on the next.
    void paragraph(QString text, TextRole role, qreal spaceAfter)
    {
        const QFont font = ReportStyle::font(role);
        ensureRoom(ReportStyle::wrappedHeight(m_writer, QStringLiteral("X"), font, m_area.width()));
        for (;;) {
            const qreal height = ReportStyle::wrappedHeight(m_writer, text, font, m_area.width());
            const qreal room = m_area.bottom() - mm(8) - m_y;
            const QRectF box(m_area.left(), m_y, m_area.width(), std::min(height + 1, room));
            const int drawn = ReportStyle::drawWrappedText(m_painter, box, text, font);
            if (drawn >= text.size()) {
                m_y += height + spaceAfter;
                return;
            }
            text = text.mid(drawn).trimmed();
            newPage();
        }
    }

    void rule()
    {
        m_painter.save();
        m_painter.setPen(QPen(ReportStyle::RuleColour, mm(0.2)));
        m_painter.drawLine(QPointF(m_area.left(), m_y), QPointF(m_area.right(), m_y));
        m_painter.restore();
    }

    void row(const QStringList& cells, const QFont& font, qreal height, const QList<std::optional<QColor>>& grounds)
    {
        qreal x = m_area.left();
        for (int i = 0; i < cells.size(); ++i) {
            const QRectF cell(x, m_y, columnWidth(static_cast<std::size_t>(i)), height);
            if (i < grounds.size() && grounds[i])
                m_painter.fillRect(cell.adjusted(mm(0.3), mm(0.3), -mm(0.3), -mm(0.3)), *grounds[i]);
            ReportStyle::drawFittedText(m_painter, cell.adjusted(mm(1), 0, -mm(1), 0), cells[i], font, 5.5,
                                        (i == 0 ? Qt::AlignLeft : Qt::AlignHCenter) | Qt::AlignVCenter);
            x += cell.width();
        }
        m_y += height;
        rule();
    }

    void heading()
    {
        const QFont font = ReportStyle::bold(ReportStyle::font(TextRole::Small));
        const QStringList names{QStringLiteral("Item"),
                                QStringLiteral("Pairs"),
                                QStringLiteral("Exact agreement"),
                                QStringLiteral("Kappa (95% CI)"),
                                QStringLiteral("Linear weighted kappa"),
                                QStringLiteral("Linear band"),
                                QStringLiteral("Quadratic weighted kappa"),
                                QStringLiteral("Quadratic band"),
                                QStringLiteral("AC1"),
                                QStringLiteral("ICC(2,1) (95% CI)")};
        QList<std::optional<QColor>> grounds;
        for (int i = 0; i < names.size(); ++i)
            grounds << std::optional<QColor>(HeadingGround);
        row(names, font, mm(9), grounds);
    }

    void table(const QList<AgreementItem>& items)
    {
        ensureRoom(mm(9) + mm(6) * 3);
        heading();
        const QFont font = ReportStyle::font(TextRole::Small);
        for (const AgreementItem& item : items) {
            if (m_y + mm(6) > m_area.bottom() - mm(8)) {
                newPage();
                heading();
            }
            const rula::agreement::ItemFigures& f = item.figures;
            row({item.name, QString::number(f.pairs), number(f.exactAgreement), withInterval(f.kappa),
                 withInterval(f.linearKappa), band(f.linearKappa.value), withInterval(f.quadraticKappa),
                 band(f.quadraticKappa.value), number(f.ac1), withInterval(f.icc)},
                font, mm(6),
                {std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt, bandColour(f.linearKappa.value),
                 std::nullopt, bandColour(f.quadraticKappa.value)});
        }
    }

    void files(const QString& heading, const QStringList& paths)
    {
        paragraph(heading, TextRole::Heading, mm(1));
        QStringList shown;
        for (const QString& path : paths)
            shown << QDir::toNativeSeparators(path);
        paragraph(shown.isEmpty() ? QStringLiteral("none") : shown.join(QStringLiteral(";  ")), TextRole::Small, mm(3));
    }

    QPdfWriter& m_writer;
    QPainter& m_painter;
    QRectF m_area;
    qreal m_y;
    qreal m_scale = 1.0;
};

} // namespace

bool writeAgreementReport(const AgreementStudy& study, QIODevice& device)
{
    QPdfWriter writer(&device);
    ReportStyle::setUpWriter(writer, QStringLiteral("RULA agreement"));
    writer.setPageOrientation(QPageLayout::Landscape);
    QPainter painter;
    if (!painter.begin(&writer))
        return false;
    AgreementPainter(writer, painter).paint(study);
    return painter.end();
}
