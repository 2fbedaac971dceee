// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReportStyle.h"

#include "BreakPoints.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QTextLayout>

#include <algorithm>
#include <limits>
#include <memory>
#include <vector>

namespace ReportStyle {

namespace {

constexpr int Resolution = 300;
constexpr qreal MarginMm = 15;

// A paragraph laid out in lines `width` wide. Line breaks typed by the assessor stay breaks;
// long words get break points (see BreakPoints), which textStart() does not count.
class Paragraph
{
public:
    Paragraph(const QPaintDevice& device, const QString& text, const QFont& font, qreal width, Qt::Alignment alignment)
        : m_layout(laidOutText(text, m_marks), font, const_cast<QPaintDevice*>(&device))
    {
        QTextOption option(alignment & Qt::AlignHorizontal_Mask);
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        option.setTextDirection(text.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight);
        m_layout.setTextOption(option);
        m_layout.beginLayout();
        qreal y = 0;
        for (QTextLine line = m_layout.createLine(); line.isValid(); line = m_layout.createLine()) {
            line.setLineWidth(width);
            line.setPosition(QPointF(0, y));
            y += line.height();
        }
        m_layout.endLayout();
    }

    qreal height() const
    {
        return m_layout.lineCount() ? m_layout.lineAt(m_layout.lineCount() - 1).rect().bottom() : 0;
    }
    int lineCount() const { return m_layout.lineCount(); }
    QTextLine line(int i) const { return m_layout.lineAt(i); }

    // Where line `i` starts in the text as given.
    int textStart(int i) const
    {
        const int laidOut = line(i).textStart();
        return laidOut - int(std::lower_bound(m_marks.begin(), m_marks.end(), laidOut) - m_marks.begin());
    }

    // How many leading lines fit in `height`.
    int linesWithin(qreal height) const
    {
        int count = 0;
        while (count < lineCount() && line(count).rect().bottom() <= height + 0.01)
            ++count;
        return count;
    }

    void draw(QPainter& painter, const QPointF& origin, int lines) const
    {
        for (int i = 0; i < lines; ++i)
            line(i).draw(&painter, origin);
    }

private:
    static QString laidOutText(QString text, std::vector<int>& marks)
    {
        text.replace(QLatin1String("\r\n"), QLatin1String(" \n")); // keeps every index
        text.replace(QLatin1Char('\n'), QChar::LineSeparator);
        text.replace(QLatin1Char('\r'), QChar::LineSeparator);
        BreakPoints points;
        QString out;
        out.reserve(text.size() + text.size() / BreakPoints::Longest);
        for (const QChar c : text) {
            if (points.breakBefore(c)) {
                marks.push_back(int(out.size()));
                out += QChar(BreakPoints::Mark);
            }
            out += c;
        }
        return out;
    }

    std::vector<int> m_marks; // where the break points are in the laid-out text, in order
    QTextLayout m_layout;
};

// The leading lines of `text` as the whole text would be laid out, enough to fill `height`:
// growing starts of the text are laid out until one fills more than `height` or is the
// whole text (`*whole`). A line before the last of a start is as in the whole text, so a
// page of a very long text costs about what its lines cost.
std::unique_ptr<Paragraph> leadingLines(const QPaintDevice& device, const QString& text, const QFont& font, qreal width,
                                        Qt::Alignment alignment, qreal height, bool* whole)
{
    for (qsizetype size = 4096;; size *= 4) {
        qsizetype end = qMin(size, text.size());
        if (end < text.size() && text.at(end).isLowSurrogate())
            ++end;
        *whole = end == text.size();
        auto paragraph = std::make_unique<Paragraph>(device, *whole ? text : text.left(end), font, width, alignment);
        if (*whole || paragraph->linesWithin(height) < paragraph->lineCount())
            return paragraph;
    }
}

qreal verticalOffset(const QRectF& box, qreal used, Qt::Alignment alignment)
{
    if (alignment & Qt::AlignBottom)
        return box.height() - used;
    if (alignment & Qt::AlignVCenter)
        return (box.height() - used) / 2;
    return 0;
}

} // namespace

QPageSize pageSizeFor(const QLocale& locale)
{
    return locale.measurementSystem() == QLocale::ImperialUSSystem ? QPageSize(QPageSize::Letter)
                                                                   : QPageSize(QPageSize::A4);
}

void setUpWriter(QPdfWriter& writer, const QString& title, const QLocale& locale)
{
    writer.setResolution(Resolution);
    writer.setPageLayout(QPageLayout(pageSizeFor(locale), QPageLayout::Portrait,
                                     QMarginsF(MarginMm, MarginMm, MarginMm, MarginMm), QPageLayout::Millimeter));
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("TALVO RULA " TALVO_VERSION));
    // A report is a record kept for years: PDF/A-1b, with its fonts embedded and its colours
    // tied to a colour space.
    writer.setPdfVersion(QPagedPaintDevice::PdfVersion_A1b);
}

QRectF contentRect(const QPdfWriter& writer)
{
    return QRectF(QPointF(0, 0), QSizeF(writer.pageLayout().paintRectPixels(writer.resolution()).size()));
}

qreal mm(const QPaintDevice& device, qreal millimetres)
{
    return millimetres * device.logicalDpiY() / 25.4;
}

QFont bold(QFont font, bool on)
{
    font.setBold(on);
    return font;
}

QFont font(TextRole role)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    switch (role) {
    case TextRole::Title:
        font.setPointSizeF(20);
        font.setBold(true);
        break;
    case TextRole::Heading:
        font.setPointSizeF(12.5);
        font.setBold(true);
        break;
    case TextRole::Body:
        font.setPointSizeF(10);
        break;
    case TextRole::Small:
        font.setPointSizeF(8);
        break;
    case TextRole::Score:
        font.setPointSizeF(30);
        font.setBold(true);
        break;
    }
    return font;
}

QColor levelColour(int level)
{
    switch (level) {
    case 1:
        return QColor(0x6c, 0xc0, 0x6f); // green
    case 2:
        return QColor(0xff, 0xe0, 0x4a); // yellow
    case 3:
        return QColor(0xff, 0x9c, 0x3a); // orange
    case 4:
        return QColor(0xe8, 0x4a, 0x45); // red
    default:
        return QColor(0xd8, 0xd8, 0xd8);
    }
}

qreal wrappedHeight(const QPaintDevice& device, const QString& text, const QFont& font, qreal width, qreal atMost)
{
    bool whole = false;
    const auto paragraph = leadingLines(device, text, font, width, Qt::AlignLeft, atMost, &whole);
    return whole ? paragraph->height() : qMax(paragraph->height(), atMost + 1);
}

int drawWrappedText(QPainter& painter, const QRectF& box, const QString& text, const QFont& font,
                    Qt::Alignment alignment)
{
    bool whole = false;
    const auto paragraph = leadingLines(*painter.device(), text, font, box.width(), alignment, box.height(), &whole);
    const int lines = paragraph->linesWithin(box.height());
    const qreal used = lines ? paragraph->line(lines - 1).rect().bottom() : 0;
    paragraph->draw(painter, box.topLeft() + QPointF(0, verticalOffset(box, used, alignment)), lines);
    return whole && lines == paragraph->lineCount() ? int(text.size()) : paragraph->textStart(lines);
}

bool drawFittedText(QPainter& painter, const QRectF& box, const QString& text, QFont font, qreal minimumPointSize,
                    Qt::Alignment alignment)
{
    const QPaintDevice& device = *painter.device();
    while (font.pointSizeF() > minimumPointSize &&
           wrappedHeight(device, text, font, box.width(), box.height()) > box.height())
        font.setPointSizeF(qMax(minimumPointSize, font.pointSizeF() - 0.5));
    bool whole = false;
    const auto paragraph = leadingLines(device, text, font, box.width(), alignment, box.height(), &whole);
    const int lines = paragraph->linesWithin(box.height());
    if (whole && lines == paragraph->lineCount()) {
        paragraph->draw(painter, box.topLeft() + QPointF(0, verticalOffset(box, paragraph->height(), alignment)),
                        lines);
        return true;
    }
    if (lines == 0)
        return false;
    // Every line but the last that fits as laid out; the last carries the rest, elided.
    paragraph->draw(painter, box.topLeft(), lines - 1);
    const QTextLine last = paragraph->line(lines - 1);
    // (A line holds far fewer letters than this; the rest would only slow the elision down.)
    QString rest = text.mid(paragraph->textStart(lines - 1), 2000);
    rest.replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QFontMetricsF metrics(font, const_cast<QPaintDevice*>(&device));
    const QString elided = metrics.elidedText(rest, Qt::ElideRight, box.width());
    painter.save();
    painter.setFont(font);
    painter.drawText(QRectF(box.left(), box.top() + last.y(), box.width(), last.height()),
                     int(alignment & Qt::AlignHorizontal_Mask) | Qt::AlignTop | Qt::TextSingleLine, elided);
    painter.restore();
    return false;
}

void drawLevelBand(QPainter& painter, const QRectF& band, int level, const QString& score, const QString& heading,
                   const QString& text)
{
    const QPaintDevice& device = *painter.device();
    const qreal pad = mm(device, 3);
    painter.save();
    painter.setPen(QPen(levelColour(level).darker(140), mm(device, 0.4)));
    painter.setBrush(levelColour(level));
    painter.drawRoundedRect(band, pad, pad);
    painter.setPen(Qt::black);

    const qreal scoreWidth = qMin(band.height(), mm(device, 28));
    const QRectF scoreBox(band.left() + pad, band.top() + pad, scoreWidth - pad, band.height() - 2 * pad);
    drawFittedText(painter, scoreBox, score, font(TextRole::Score), 12, Qt::AlignCenter);

    const QRectF textBox(scoreBox.right() + pad, band.top() + pad, band.right() - scoreBox.right() - 2 * pad,
                         band.height() - 2 * pad);
    // Read across a desk: larger than the page's own headings and text, shrunk only to fit.
    QFont headingFont = font(TextRole::Heading);
    headingFont.setPointSizeF(16);
    QFont textFont = font(TextRole::Body);
    textFont.setPointSizeF(12.5);
    const qreal headingHeight =
        qMin(textBox.height() / 2, wrappedHeight(device, heading, headingFont, textBox.width()));
    drawFittedText(painter, QRectF(textBox.topLeft(), QSizeF(textBox.width(), headingHeight)), heading, headingFont, 8);
    drawFittedText(painter, textBox.adjusted(0, headingHeight + pad / 2, 0, 0), text, textFont, 6.5);
    painter.restore();
}

} // namespace ReportStyle
