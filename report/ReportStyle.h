// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QFont>
#include <QLocale>
#include <QPageSize>
#include <QRectF>
#include <QString>

#include <limits>

class QPainter;
class QPaintDevice;
class QPdfWriter;

// The look shared by every printed page: paper, margins, fonts, the level colours, and text
// that always stays inside the box it is given. Lengths are in the painter's device units;
// mm() converts.
namespace ReportStyle {

// Letter where the locale measures in inches (the United States and its neighbours), A4
// everywhere else.
QPageSize pageSizeFor(const QLocale& locale);

// Portrait pages of the system locale's size, 15 mm margins, 300 dots per inch, with the
// document's title and the program as its creator.
void setUpWriter(QPdfWriter& writer, const QString& title, const QLocale& locale = QLocale::system());

// The printable area of a page in device units (the margins already taken off).
QRectF contentRect(const QPdfWriter& writer);

// Millimetres in units of `device`.
qreal mm(const QPaintDevice& device, qreal millimetres);

enum class TextRole
{
    Title,   // the page's title
    Heading, // a section's heading
    Body,    // ordinary text
    Small,   // table cells, traces, footers
    Score    // a grand score on a level band, large enough to read across a desk
};
QFont font(TextRole role);
// `font`, bold or not.
QFont bold(QFont font, bool on = true);

// The colour of a table's rules.
inline const QColor RuleColour{0x90, 0x90, 0x90};

// The colour of an action level: 1 green, 2 yellow, 3 orange, 4 red; light grey for none.
QColor levelColour(int level);

// The height `text` takes wrapped at `width` in `font` on `device`; any height above `atMost`
// when it takes more than that (found without laying out all of a very long text).
qreal wrappedHeight(const QPaintDevice& device, const QString& text, const QFont& font, qreal width,
                    qreal atMost = std::numeric_limits<qreal>::max());

// Draws as many whole lines of `text` as fit in `box`, wrapped at word boundaries (anywhere
// inside a word wider than the box), right to left for right-to-left text. Returns how many
// characters were drawn: text.size() when it all fitted, so the rest can go on another page.
int drawWrappedText(QPainter& painter, const QRectF& box, const QString& text, const QFont& font,
                    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop);

// Draws `text` whole inside `box`, shrinking the font down to `minimumPointSize` when needed;
// text that still does not fit ends in an ellipsis on the box's last line. Returns false when
// text had to be cut.
bool drawFittedText(QPainter& painter, const QRectF& box, const QString& text, QFont font, qreal minimumPointSize,
                    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop);

// A band coloured by `level` (0: no level) with the large `score` on its left and the
// heading and text (bold heading, then wrapped text, shrunk to fit) beside it.
void drawLevelBand(QPainter& painter, const QRectF& band, int level, const QString& score, const QString& heading,
                   const QString& text);

} // namespace ReportStyle
