// SPDX-License-Identifier: GPL-3.0-or-later
// The floor for the start-up benchmark: a bare Qt program that shows one empty window of the
// caution window's size and nothing else. It prints "painted" after its first paint, then
// its peak memory, and quits. bench_startup launches it beside the program.
// With "--text" the window holds one label, to show what drawing any text costs at start
// (the font configuration is read on first use). With "--caution" it holds what the caution
// window holds, made with plain Qt: a bold title, two word-wrapped paragraphs of the same
// lengths and two bold buttons, in the same fonts, sizes and places.

#include "FirstPaint.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

namespace {

// Prose of `length` characters.
QString prose(int length)
{
    const QString sentence = QStringLiteral("Workers lift, reach and twist at the press all day, so the quick brown "
                                            "fox jumps over the lazy dog. ");
    return sentence.repeated(length / int(sentence.size()) + 1).left(length);
}

QFont arial(double points, bool bold)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

void addCautionControls(QWidget& window)
{
    auto* title = new QLabel(QStringLiteral("Cautionary Note"), &window);
    title->setGeometry(136, 0, 305, 49);
    title->setFont(arial(27.75, true));
    const int paragraphs[2][5] = {{32, 64, 561, 137, 382}, {32, 216, 569, 177, 451}};
    for (const auto& place : paragraphs) {
        auto* paragraph = new QLabel(prose(place[4]), &window);
        paragraph->setGeometry(place[0], place[1], place[2], place[3]);
        paragraph->setFont(arial(14.25, false));
        paragraph->setWordWrap(true);
    }
    auto* accept = new QPushButton(QStringLiteral("Accept"), &window);
    accept->setGeometry(320, 424, 129, 65);
    auto* exit = new QPushButton(QStringLiteral("Exit "), &window);
    exit->setGeometry(472, 424, 129, 65);
    for (QPushButton* button : {accept, exit})
        button->setFont(arial(12, true));
    accept->setFocus();
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    if (argc > 1 && QByteArray(argv[1]) == "--text")
        new QLabel(QStringLiteral("Cautionary Note"), &window);
    if (argc > 1 && QByteArray(argv[1]) == "--caution")
        addCautionControls(window);
    FirstPaint watcher;
    window.installEventFilter(&watcher);
    window.resize(627, 512);
    window.show();
    return app.exec();
}
