// SPDX-License-Identifier: GPL-3.0-or-later
// Renders every option picture at the size of its picture control and at twice that, the
// overview page and the score sheet into one contact sheet PNG, to be looked at by a person.
//
//   bench_contactsheet [output.png]      (default: pictures.png)
//
// The score sheet is drawn at the size it has in the final results window, with the
// value labels outlined in red and the redrawn edges in blue, so that their fit shows.

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

using rula::Group;

// The picture control of an option on the main window.
QSize controlSize(const rula::OptionInfo& option)
{
    switch (option.group) {
    case Group::UpperRight:
    case Group::UpperLeft:
        return option.number <= 5 ? QSize(118, 160) : QSize(224, 91);
    case Group::LowerRight:
    case Group::LowerLeft:
        return option.number <= 2 ? QSize(237, 203) : QSize(300, 200);
    case Group::WristRight:
    case Group::WristLeft:
        return option.number <= 3 ? QSize(143, 125) : QSize(167, 133);
    case Group::WristTwistRight:
    case Group::WristTwistLeft:
        return QSize(166, 129);
    case Group::Neck:
    case Group::Trunk:
        return option.number <= 4 ? QSize(96, 88) : QSize(141, 59);
    case Group::Legs:
        return QSize(193, 81);
    case Group::MuscleRightUpper:
    case Group::MuscleLeftUpper:
    case Group::MuscleLower:
        return QSize(228, 105);
    case Group::ForceRightUpper:
    case Group::ForceLeftUpper:
    case Group::ForceLower:
        return QSize(133, 95);
    }
    return {};
}

struct Tile
{
    QString caption;
    QString art;
    QSize size;
    bool mirrored = false;
    bool scoreSheet = false;
};

// The value labels and redrawn edges of the final results window, in twips.
struct TwipRect
{
    const char* name;
    int left, top, width, height;
};
constexpr TwipRect ValueLabels[] = {
    {"Label2", 1200, 2640, 375, 375},   {"Label3", 2400, 2880, 255, 375},   {"Label4", 1200, 3600, 255, 375},
    {"Label5", 2400, 3720, 375, 375},   {"Label8", 1200, 4440, 375, 375},   {"Label6", 2280, 4680, 495, 375},
    {"Label9", 1200, 5400, 495, 375},   {"Label7", 2280, 5640, 375, 375},   {"Label10", 4320, 3840, 375, 375},
    {"Label11", 4920, 4200, 375, 375},  {"Label18", 6120, 3960, 495, 375},  {"Label12", 7080, 4200, 375, 375},
    {"Label19", 8160, 3960, 375, 375},  {"Label13", 9000, 4200, 375, 375},  {"Label15", 10440, 3600, 495, 375},
    {"Label14", 11280, 4080, 495, 375}, {"Label16", 12600, 5640, 375, 615}, {"Label17", 14040, 5880, 615, 615},
    {"Label20", 1680, 7080, 375, 375},  {"Label21", 1680, 8040, 375, 375},  {"Label22", 1680, 9000, 375, 375},
    {"Label23", 4560, 8160, 375, 375},  {"Label24", 6600, 8280, 375, 375},  {"Label25", 8640, 8280, 375, 375},
    {"Label26", 10920, 8040, 495, 495},
};
struct TwipLine
{
    int x1, y1, x2, y2;
};
constexpr TwipLine RedrawnEdges[] = {
    {6120, 3960, 6960, 3960}, {8040, 3960, 8760, 3960}, {8040, 3960, 8040, 4440},
    {1200, 4440, 1800, 4440}, {1200, 5400, 2040, 5400}, {2160, 6000, 2760, 6000},
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
    for (const TwipRect& label : ValueLabels) {
        const QRectF rect(map(label.left, label.top), map(label.left + label.width, label.top + label.height));
        painter.drawRect(rect);
        painter.drawText(rect, Qt::AlignCenter, QString::fromLatin1(label.name).mid(5));
    }
    painter.setPen(QPen(QColor(0, 0, 230), 1));
    for (const TwipLine& line : RedrawnEdges)
        painter.drawLine(map(line.x1, line.y1), map(line.x2, line.y2));
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
        tiles.push_back({caption, QString::fromLatin1(option.art.data(), int(option.art.size())), controlSize(option),
                         option.mirrored, false});
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
