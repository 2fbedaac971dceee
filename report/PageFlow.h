// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ReportStyle.h"

#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QRectF>
#include <QString>

// The program and version the report names on its pages.
QString reportProgramName();

// Paints the pages top to bottom: each block asks for room, and a block that does not fit
// starts a new page. Every page ends with the same footer.
class PageFlow
{
public:
    PageFlow(QPdfWriter& writer, QPainter& painter, QString footer)
        : m_writer(writer), m_painter(painter), m_footer(std::move(footer))
    {
        const QRectF content = ReportStyle::contentRect(writer);
        m_area = content.adjusted(0, 0, 0, -mm(8));
        m_y = m_area.top();
        drawFooter();
    }

    qreal mm(qreal millimetres) const { return ReportStyle::mm(m_writer, millimetres); }
    QPainter& painter() { return m_painter; }
    const QRectF& area() const { return m_area; }
    qreal y() const { return m_y; }
    void advance(qreal height) { m_y += height; }

    void newPage()
    {
        m_writer.newPage();
        ++m_page;
        m_y = m_area.top();
        drawFooter();
    }

    // Room for `height` (at most a page) below the current line.
    void need(qreal height)
    {
        if (m_y + height > m_area.bottom() && m_y > m_area.top())
            newPage();
    }

    void heading(const QString& text, ReportStyle::TextRole role = ReportStyle::TextRole::Heading)
    {
        const QFont headingFont = ReportStyle::font(role);
        const qreal height = ReportStyle::wrappedHeight(m_writer, text, headingFont, m_area.width());
        need(height + mm(14)); // a heading is never left alone at the foot of a page
        m_y += mm(role == ReportStyle::TextRole::Title ? 0 : 2);
        m_painter.setPen(QColor(0x1a, 0x23, 0x7e));
        const qreal drawn = qMin(height, m_area.bottom() - m_y);
        ReportStyle::drawFittedText(m_painter, QRectF(m_area.left(), m_y, m_area.width(), drawn), text, headingFont, 8);
        m_painter.setPen(Qt::black);
        m_y += drawn + mm(1.5);
    }

    // Text that continues on the next page when it is longer than what is left of this one.
    void paragraph(const QString& text, const QFont& textFont, qreal indent = 0, const QString& bullet = QString())
    {
        QString rest = text;
        const qreal width = m_area.width() - indent;
        const qreal lineHeight = ReportStyle::wrappedHeight(m_writer, QStringLiteral("Ag"), textFont, width);
        need(lineHeight);
        if (!bullet.isEmpty())
            m_painter.drawText(QRectF(m_area.left() + indent - mm(4), m_y, mm(4), lineHeight), Qt::AlignLeft, bullet);
        while (!rest.isEmpty()) {
            const QRectF box(m_area.left() + indent, m_y, width, m_area.bottom() - m_y);
            const int drawn = ReportStyle::drawWrappedText(m_painter, box, rest, textFont);
            if (drawn >= rest.size()) {
                m_y += ReportStyle::wrappedHeight(m_writer, rest, textFont, width);
                break;
            }
            if (drawn == 0 && m_y == m_area.top())
                break; // not even one line fits on an empty page: cannot happen at these sizes
            rest = rest.mid(drawn);
            newPage();
        }
        m_y += mm(0.8);
    }

private:
    void drawFooter()
    {
        const QRectF content = ReportStyle::contentRect(m_writer);
        const QRectF box(content.left(), content.bottom() - mm(5), content.width(), mm(5));
        m_painter.save();
        m_painter.setPen(QPen(QColor(0x90, 0x90, 0x90), mm(0.2)));
        m_painter.drawLine(box.topLeft(), box.topRight());
        m_painter.setPen(QColor(0x50, 0x50, 0x50));
        const QString page = QStringLiteral("Page %1").arg(m_page);
        const qreal pageWidth = mm(20);
        ReportStyle::drawFittedText(m_painter, box.adjusted(0, mm(1), -pageWidth, 0), m_footer,
                                    ReportStyle::font(ReportStyle::TextRole::Small), 8);
        ReportStyle::drawFittedText(
            m_painter, QRectF(box.right() - pageWidth, box.top() + mm(1), pageWidth, box.height() - mm(1)), page,
            ReportStyle::font(ReportStyle::TextRole::Small), 8, Qt::AlignRight | Qt::AlignTop);
        m_painter.restore();
    }

    QPdfWriter& m_writer;
    QPainter& m_painter;
    QString m_footer;
    QRectF m_area;
    qreal m_y = 0;
    int m_page = 1;
};

// `size` scaled to fit `box` with unchanged proportions, centred in it.
QRectF fittedRect(const QSizeF& size, const QRectF& box);

// Draws `picture` as large as fits `box`, centred, with a thin grey frame.
void drawPicture(QPainter& painter, const QImage& picture, const QRectF& box);
