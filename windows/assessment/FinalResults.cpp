// SPDX-License-Identifier: GPL-3.0-or-later
#include "FinalResults.h"

#include "AssessmentRecord.h"
#include "LineControl.h"
#include "MainWindow.h"
#include "OverwriteFile.h"
#include "PictureLibrary.h"
#include "ProgramState.h"
#include "Results.h"
#include "SaveWindow.h"
#include "ScoreSheetLayout.h"
#include "Services.h"
#include "WindowSet.h"

#include <QLabel>
#include <QPushButton>
#include <QRegion>

namespace {

using K = ControlKind;

constexpr FontStyle ValueFont = Comic(14.25);
constexpr FontStyle GrandFont = Comic(24, true);

constexpr qreal ScoreSheetEdge = ScoreSheetLayout::DrawnEdgeWidth;

// Client area 15270 x 10635 twips. Rows are created in order, so the drawing lies behind
// the value labels and the edge lines lie above them. The score sheet's places are the
// report's data (ScoreSheetLayout), so the printed sheet is this window's.
const std::vector<ControlRow>& finalResultsControls()
{
    static const std::vector<ControlRow> rows = [] {
        const QRect sheet = ScoreSheetLayout::drawing();
        // kind, name, left, top, width, height, text, font, keyboard order, help, style, colour
        std::vector<ControlRow> table{
            {K::Label, "Label1", 3240, 0, 8175, 1815, "Final Result", Arial(72, true), -1, 0, Plain, DarkBlue},
            {K::Picture,
             "Image1",
             sheet.x(),
             sheet.y(),
             sheet.width(),
             sheet.height(),
             ScoreSheetLayout::Art,
             {},
             -1,
             76},
        };
        for (const ScoreSheetLayout::ValueBox& value : ScoreSheetLayout::valueBoxes()) {
            const QRect& box = value.box;
            table.push_back({K::Label, value.name, box.x(), box.y(), box.width(), box.height(), "",
                             value.grand ? GrandFont : ValueFont, -1, 0, WhiteBack});
        }
        // An edge line runs from (x, y) to (w, h); its width in pixels is in the keyboard-order
        // column.
        for (const ScoreSheetLayout::EdgeLine& edge : ScoreSheetLayout::edgeLines()) {
            const QLine& line = edge.line;
            table.push_back({K::Line, edge.name, line.x1(), line.y1(), line.x2(), line.y2(), "", {}, edge.width});
        }
        table.insert(table.end(),
                     {
                         {K::Button, "Command7", 8760, 9840, 2055, 855, "&Exit", Comic(12), 1, 19},
                         {K::Button, "Command6", 10800, 9840, 2055, 855, "<< &Back", Comic(12), 2, 78},
                         {K::Button, "Command2", 12840, 9840, 2055, 855, "&Action Level >>", Comic(12), 0, 79},
                     });
        return table;
    }();
    return rows;
}

} // namespace

FinalResults::FinalResults(ProgramState& state, WindowSet& windows)
    : AppWindow(state, windows, Frame::FixedMaximised, true)
{
    setObjectName(QStringLiteral("FinalResults"));
    setWindowTitle(QStringLiteral("Final Results - RULA"));
    buildControls(this, finalResultsControls(), Units::Twips);
    setClientArea(15270, 10635, Units::Twips);
    drawLinesAsTheEdges();

    connect(control<QPushButton>(this, "Command2"), &QPushButton::clicked, this,
            [this] { ShowActionLevels(m_windows); });
    connect(control<QPushButton>(this, "Command6"), &QPushButton::clicked, this, &FinalResults::back);
    connect(control<QPushButton>(this, "Command7"), &QPushButton::clicked, this, [] { ProgramEnd::end(); });
    control<QPushButton>(this, "Command2")->setFocus();
}

const std::vector<ControlRow>& FinalResults::layout()
{
    return finalResultsControls();
}

// Each line redraws a stretch of an edge of the score sheet that a white value label covers.
// It is painted as wide as that edge appears in the stretched drawing (a horizontal edge is
// thinner than a vertical one here), whatever width the layout table gives it, and only
// where a label covers the edge and no line before it has redrawn it: a smoothed edge
// painted twice would come out darker than the drawing's own.
void FinalResults::drawLinesAsTheEdges()
{
    const QSize design = PictureLibrary::designSize(QStringLiteral("score_sheet"));
    const QSize shown = control<QWidget>(this, "Image1")->size();
    const qreal acrossHorizontal = ScoreSheetEdge * shown.height() / design.height();
    const qreal acrossVertical = ScoreSheetEdge * shown.width() / design.width();
    QRegion covered;
    for (const QLabel* label : findChildren<QLabel*>()) {
        if (label->autoFillBackground())
            covered += label->geometry();
    }
    QRegion redrawn;
    for (LineControl* line : findChildren<LineControl*>()) {
        line->setDrawnWidth(line->from().y() == line->to().y() ? acrossHorizontal : acrossVertical);
        const QRegion area = (covered & line->geometry()) - redrawn;
        line->setPaintedArea(area);
        redrawn += area;
    }
}

void FinalResults::showWindow()
{
    control<QPushButton>(this, "Command2")->setFocus();
    AppWindow::showWindow();
}

void FinalResults::showScores(const AssessmentRecord& record)
{
    for (const ScoreSheetLayout::Value& value : ScoreSheetLayout::valuesOf(record)) {
        QLabel* box = control<QLabel>(this, value.name);
        box->setText(value.text);
        box->setToolTip(value.toolTip);
        box->setAccessibleName(QStringLiteral("%1: %2").arg(value.caption, value.text));
        box->setAccessibleDescription(
            value.computed ? value.toolTip : QStringLiteral("The score of %1 on the score sheet.").arg(value.caption));
    }
}

// Going back to change the assessment: a save from then on must follow a fresh
// "View &Results", so the windows of a save started on these results are put away.
void FinalResults::back()
{
    m_windows.window<MainWindow>().showWindow();
    hide();
    if (m_windows.exists<SaveWindow>())
        m_windows.window<SaveWindow>().hide();
    if (m_windows.exists<OverwriteFile>())
        m_windows.window<OverwriteFile>().hide();
}

#include "moc_FinalResults.cpp"
