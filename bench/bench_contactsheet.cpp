// SPDX-License-Identifier: GPL-3.0-or-later
// Renders every option picture at the size of its picture control and at twice that, the
// overview page and the score sheet into one contact sheet PNG, to be looked at by a person.
//
//   bench_contactsheet [output.png]      (default: pictures.png)
//
// The score sheet is drawn at the size it has in the final results window, with the
// value labels outlined in red and the redrawn edges in blue, so that their fit shows.

#include "FinalResults.h"
#include "MainLayout.h"
#include "OptionCatalogue.h"
#include "PictureLibrary.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QTextStream>

#include <vector>

namespace {

struct Tile
{
    QString caption;
    QString art;
    QSize size;
    bool mirrored = false;
    bool scoreSheet = false;
};

void drawScoreSheetOverlay(QPainter& painter, QPoint origin, double factor)
{
    // Twips of the window to pixels of this tile: the picture stands at (360, 2160).
    auto map = [&](double x, double y) {
        return QPointF(origin.x() + (x - 360) / 15.0 * factor, origin.y() + (y - 2160) / 15.0 * factor);
    };
    painter.setPen(QPen(QColor(220, 0, 0), 1));
    painter.setBrush(Qt::NoBrush);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(int(7 * factor));
    painter.setFont(font);
    // The value labels are the window's white labels; its lines run from (x, y) to (w, h).
    for (const ControlRow& label : FinalResults::layout()) {
        if (label.kind != ControlKind::Label || !(label.style & WhiteBack))
            continue;
        const QRectF rect(map(label.x, label.y), map(label.x + label.w, label.y + label.h));
        painter.drawRect(rect);
        painter.drawText(rect, Qt::AlignCenter, QString::fromLatin1(label.name).mid(5));
    }
    painter.setPen(QPen(QColor(0, 0, 230), 1));
    for (const ControlRow& line : FinalResults::layout()) {
        if (line.kind == ControlKind::Line)
            painter.drawLine(map(line.x, line.y), map(line.w, line.h));
    }
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("pictures.png");

    std::vector<Tile> tiles;
    for (const rula::OptionInfo& option : rula::options()) {
        const QString caption = QStringLiteral("%1 %2: %3%4")
                                    .arg(QString::fromLatin1(rula::groupInfo(option.group).key.data(),
                                                             int(rula::groupInfo(option.group).key.size())))
                                    .arg(option.number)
                                    .arg(QString::fromLatin1(option.art.data(), int(option.art.size())))
                                    .arg(option.mirrored ? QStringLiteral(" (mirrored)") : QString());
        tiles.push_back({caption, QString::fromLatin1(option.art.data(), int(option.art.size())),
                         mainlayout::pictureSize(option.panel), option.mirrored, false});
    }
    tiles.push_back({QStringLiteral("RULAOverview Image1"), QStringLiteral("rula_overview"), QSize(590, 467)});
    tiles.push_back({QStringLiteral("FinalResults Image1 (labels red, lines blue)"), QStringLiteral("score_sheet"),
                     QSize(969, 505), false, true});

    // Lay the tiles out in rows: each tile is the picture at 1x beside the picture at 2x.
    const int sheetWidth = 2600, gap = 14, captionHeight = 18;
    struct Placed
    {
        const Tile* tile;
        QPoint at;
    };
    std::vector<Placed> placed;
    int x = gap, y = gap, rowHeight = 0;
    for (const Tile& tile : tiles) {
        const int w = tile.size.width() * 3 + gap;
        const int h = tile.size.height() * 2 + captionHeight;
        if (x + w > sheetWidth && x > gap) {
            x = gap;
            y += rowHeight + gap;
            rowHeight = 0;
        }
        placed.push_back({&tile, QPoint(x, y)});
        x += w + gap * 2;
        rowHeight = std::max(rowHeight, h);
    }
    const int sheetHeight = y + rowHeight + gap;

    QImage sheet(sheetWidth, sheetHeight, QImage::Format_RGB32);
    sheet.fill(QColor(150, 160, 170));
    QPainter painter(&sheet);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(12);
    painter.setFont(font);
    QElapsedTimer timer;
    qint64 renderNs = 0;
    for (const Placed& p : placed) {
        const Tile& tile = *p.tile;
        painter.setPen(Qt::black);
        painter.drawText(p.at + QPoint(0, 13), tile.caption);
        const QPoint one = p.at + QPoint(0, captionHeight);
        const QPoint two = one + QPoint(tile.size.width() + gap, 0);
        timer.start();
        const QPixmap small = PictureLibrary::picture(tile.art, tile.size, tile.mirrored);
        const QPixmap large = PictureLibrary::picture(tile.art, tile.size * 2, tile.mirrored);
        renderNs += timer.nsecsElapsed();
        painter.drawPixmap(one, small);
        painter.drawPixmap(two, large);
        if (tile.scoreSheet) {
            drawScoreSheetOverlay(painter, one, 1.0);
            drawScoreSheetOverlay(painter, two, 2.0);
        }
    }
    painter.end();
    if (!sheet.save(output)) {
        QTextStream(stderr) << "cannot write " << output << "\n";
        return 1;
    }

    // Painting every picture again comes from the cache.
    timer.start();
    for (const Placed& p : placed)
        PictureLibrary::picture(p.tile->art, p.tile->size, p.tile->mirrored);
    QTextStream(stdout) << tiles.size() << " pictures; first rendering " << renderNs / 1000000 << " ms, "
                        << "served again from the cache in " << timer.nsecsElapsed() / 1000 << " us\n"
                        << "wrote " << output << " (" << sheetWidth << " x " << sheetHeight << ")\n";
    return 0;
}
