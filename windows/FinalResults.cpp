// SPDX-License-Identifier: GPL-3.0-or-later
#include "FinalResults.h"

#include "AssessmentRecord.h"
#include "LineControl.h"
#include "MainWindow.h"
#include "ModelText.h"
#include "OverwriteFile.h"
#include "PictureLibrary.h"
#include "ProgramState.h"
#include "Results.h"
#include "SaveWindow.h"
#include "Services.h"
#include "WindowSet.h"

#include <QLabel>
#include <QPushButton>
#include <QRegion>

#include <cstring>

namespace {

using K = ControlKind;

constexpr FontStyle ValueFont = Comic(14.25);
constexpr FontStyle GrandFont = Comic(24, true);

// The score sheet's box edges and underlines are 2 units wide in the drawing.
constexpr qreal ScoreSheetEdge = 2.0;

// Client area 15270 x 10635 twips. Rows are created in order, so the drawing lies behind
// the value labels and the edge lines lie above them.
const std::vector<ControlRow>& controlTable()
{
    static const std::vector<ControlRow> rows{
        // kind, name, left, top, width, height, text, font, keyboard order, help, style, colour
        {K::Label, "Label1", 3240, 0, 8175, 1815, "Final Result", Arial(72, true), -1, 0, Plain, DarkBlue},
        {K::Picture, "Image1", 360, 2160, 14535, 7575, "score_sheet", {}, -1, 76},

        // Row A: upper-left triangle holds the left side, lower-right the right side.
        {K::Label, "Label2", 1200, 2640, 375, 375, "", ValueFont, -1, 0, WhiteBack},   // UpperArmLeft
        {K::Label, "Label3", 2400, 2880, 255, 375, "", ValueFont, -1, 0, WhiteBack},   // UpperArmRight
        {K::Label, "Label4", 1200, 3600, 255, 375, "", ValueFont, -1, 0, WhiteBack},   // LowerArmLeft
        {K::Label, "Label5", 2400, 3720, 375, 375, "", ValueFont, -1, 0, WhiteBack},   // LowerArmRight
        {K::Label, "Label8", 1200, 4440, 375, 375, "", ValueFont, -1, 0, WhiteBack},   // WristLeft
        {K::Label, "Label6", 2280, 4680, 495, 375, "", ValueFont, -1, 0, WhiteBack},   // WristRight
        {K::Label, "Label9", 1200, 5400, 495, 375, "", ValueFont, -1, 0, WhiteBack},   // WristTwistLeft
        {K::Label, "Label7", 2280, 5640, 375, 375, "", ValueFont, -1, 0, WhiteBack},   // WristTwistRight
        {K::Label, "Label10", 4320, 3840, 375, 375, "", ValueFont, -1, 0, WhiteBack},  // PostureScoreALeft
        {K::Label, "Label11", 4920, 4200, 375, 375, "", ValueFont, -1, 0, WhiteBack},  // PostureScoreARight
        {K::Label, "Label18", 6120, 3960, 495, 375, "", ValueFont, -1, 0, WhiteBack},  // MuscleLeftUpper
        {K::Label, "Label12", 7080, 4200, 375, 375, "", ValueFont, -1, 0, WhiteBack},  // MuscleRightUpper
        {K::Label, "Label19", 8160, 3960, 375, 375, "", ValueFont, -1, 0, WhiteBack},  // ForceLeftUpper
        {K::Label, "Label13", 9000, 4200, 375, 375, "", ValueFont, -1, 0, WhiteBack},  // ForceRightUpper
        {K::Label, "Label15", 10440, 3600, 495, 375, "", ValueFont, -1, 0, WhiteBack}, // ScoreCLeft
        {K::Label, "Label14", 11280, 4080, 495, 375, "", ValueFont, -1, 0, WhiteBack}, // ScoreCRight
        {K::Label, "Label16", 12600, 5640, 375, 615, "", GrandFont, -1, 0, WhiteBack}, // GrandScoreLeft
        {K::Label, "Label17", 14040, 5880, 615, 615, "", GrandFont, -1, 0, WhiteBack}, // GrandScoreRight
        // Row B: one value per box, for both sides.
        {K::Label, "Label20", 1680, 7080, 375, 375, "", ValueFont, -1, 0, WhiteBack},  // Neck
        {K::Label, "Label21", 1680, 8040, 375, 375, "", ValueFont, -1, 0, WhiteBack},  // Trunk
        {K::Label, "Label22", 1680, 9000, 375, 375, "", ValueFont, -1, 0, WhiteBack},  // Legs
        {K::Label, "Label23", 4560, 8160, 375, 375, "", ValueFont, -1, 0, WhiteBack},  // PostureScoreB
        {K::Label, "Label24", 6600, 8280, 375, 375, "", ValueFont, -1, 0, WhiteBack},  // MuscleLower
        {K::Label, "Label25", 8640, 8280, 375, 375, "", ValueFont, -1, 0, WhiteBack},  // ForceLower
        {K::Label, "Label26", 10920, 8040, 495, 495, "", ValueFont, -1, 0, WhiteBack}, // ScoreD

        // Edges of the drawing that the white labels cover: from (x, y) to (w, h), width in
        // pixels in the keyboard-order column.
        {K::Line, "Line4", 6120, 3960, 6840, 3960, "", {}, 1},
        {K::Line, "Line5", 6120, 3960, 6720, 3960, "", {}, 1},
        {K::Line, "Line6", 6120, 3960, 6600, 3960, "", {}, 1},
        {K::Line, "Line7", 6120, 3960, 6960, 3960, "", {}, 1},
        {K::Line, "Line10", 6120, 3960, 6840, 3960, "", {}, 4},
        {K::Line, "Line11", 6120, 3960, 6840, 3960, "", {}, 1},
        {K::Line, "Line9", 8040, 3960, 8760, 3960, "", {}, 4},
        {K::Line, "Line8", 8040, 3960, 8040, 4440, "", {}, 1},
        {K::Line, "Line2", 1200, 4440, 1800, 4440, "", {}, 1},
        {K::Line, "Line1", 1200, 5400, 2040, 5400, "", {}, 1},
        {K::Line, "Line3", 2160, 6000, 2760, 6000, "", {}, 1},

        {K::Button, "Command7", 8760, 9840, 2055, 855, "&Exit", Comic(12), 1, 19},
        {K::Button, "Command6", 10800, 9840, 2055, 855, "<< &Back", Comic(12), 2, 78},
        {K::Button, "Command2", 12840, 9840, 2055, 855, "&Action Level >>", Comic(12), 0, 79},
    };
    return rows;
}

// The value label of each body-part score.
struct BodyPartPlace
{
    rula::Group group;
    const char* label;
};

constexpr BodyPartPlace BodyPartPlaces[] = {
    {rula::Group::UpperLeft, "Label2"},
    {rula::Group::UpperRight, "Label3"},
    {rula::Group::LowerLeft, "Label4"},
    {rula::Group::LowerRight, "Label5"},
    {rula::Group::WristLeft, "Label8"},
    {rula::Group::WristRight, "Label6"},
    {rula::Group::WristTwistLeft, "Label9"},
    {rula::Group::WristTwistRight, "Label7"},
    {rula::Group::MuscleLeftUpper, "Label18"},
    {rula::Group::MuscleRightUpper, "Label12"},
    {rula::Group::ForceLeftUpper, "Label19"},
    {rula::Group::ForceRightUpper, "Label13"},
    {rula::Group::Neck, "Label20"},
    {rula::Group::Trunk, "Label21"},
    {rula::Group::Legs, "Label22"},
    {rula::Group::MuscleLower, "Label24"},
    {rula::Group::ForceLower, "Label25"},
};

// The value label of each computed score, and the trace sentence that explains it.
struct ResultPlace
{
    std::int16_t rula::ResultScores::*score;
    std::string rula::ScoreTrace::*trace;
    const char* label;
};

constexpr ResultPlace ResultPlaces[] = {
    {&rula::ResultScores::PostureScoreALeft, &rula::ScoreTrace::PostureScoreALeft, "Label10"},
    {&rula::ResultScores::PostureScoreARight, &rula::ScoreTrace::PostureScoreARight, "Label11"},
    {&rula::ResultScores::ScoreCLeft, &rula::ScoreTrace::ScoreCLeft, "Label15"},
    {&rula::ResultScores::ScoreCRight, &rula::ScoreTrace::ScoreCRight, "Label14"},
    {&rula::ResultScores::PostureScoreB, &rula::ScoreTrace::PostureScoreB, "Label23"},
    {&rula::ResultScores::ScoreD, &rula::ScoreTrace::ScoreD, "Label26"},
    {&rula::ResultScores::GrandScoreLeft, &rula::ScoreTrace::GrandScoreLeft, "Label16"},
    {&rula::ResultScores::GrandScoreRight, &rula::ScoreTrace::GrandScoreRight, "Label17"},
};

QString decimal(int score)
{
    return QString::fromStdString(rula::scoreText(score));
}

// One value label's text and tool tip for a record.
struct LabelValue
{
    QString text;
    QString toolTip;
};

template <typename Visit> void forEachValue(const AssessmentRecord& record, Visit visit)
{
    for (const BodyPartPlace& place : BodyPartPlaces)
        visit(place.label, LabelValue{decimal(record.assessment.score(place.group)), bodyPartName(place.group)}, false);
    for (const ResultPlace& place : ResultPlaces)
        visit(place.label, LabelValue{decimal(record.results.*place.score), modelText(record.trace.*place.trace)},
              true);
}

const ControlRow& row(const char* name)
{
    for (const ControlRow& layoutRow : controlTable()) {
        if (std::strcmp(layoutRow.name, name) == 0)
            return layoutRow;
    }
    qFatal("FinalResults has no control %s", name);
}

QRectF rectOf(const ControlRow& layoutRow)
{
    return QRectF(layoutRow.x, layoutRow.y, layoutRow.w, layoutRow.h);
}

} // namespace

FinalResults::FinalResults(ProgramState& state, WindowSet& windows)
    : AppWindow(state, windows, Frame::FixedMaximised, true)
{
    setObjectName(QStringLiteral("FinalResults"));
    setWindowTitle(QStringLiteral("Final Results - RULA"));
    buildControls(this, controlTable(), Units::Twips);
    setClientArea(15270, 10635, Units::Twips);
    drawLinesAsTheEdges();

    connect(control<QPushButton>(this, "Command2"), &QPushButton::clicked, this,
            [this] { ShowActionLevels(m_state, m_windows); });
    connect(control<QPushButton>(this, "Command6"), &QPushButton::clicked, this, &FinalResults::back);
    connect(control<QPushButton>(this, "Command7"), &QPushButton::clicked, this, [] { ProgramEnd::end(); });
    control<QPushButton>(this, "Command2")->setFocus();
}

const std::vector<ControlRow>& FinalResults::layout()
{
    return controlTable();
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
    forEachValue(record, [this](const char* label, const LabelValue& value, bool) {
        QLabel* box = control<QLabel>(this, label);
        box->setText(value.text);
        box->setToolTip(value.toolTip);
    });
}

ScoreSheetPlaces FinalResults::scoreSheet(const AssessmentRecord& record)
{
    ScoreSheetPlaces sheet;
    const ControlRow& drawing = row("Image1");
    sheet.art = QString::fromLatin1(drawing.text);
    sheet.drawing = rectOf(drawing);
    forEachValue(record, [&sheet](const char* label, const LabelValue& value, bool computed) {
        const ControlRow& layoutRow = row(label);
        sheet.values.push_back(
            {rectOf(layoutRow), value.text, layoutRow.font.bold, computed ? value.toolTip : QString()});
    });
    for (const ControlRow& layoutRow : controlTable()) {
        if (layoutRow.kind == ControlKind::Line)
            sheet.edges.push_back(
                {QLineF(layoutRow.x, layoutRow.y, layoutRow.w, layoutRow.h), qreal(layoutRow.tabOrder)});
    }
    return sheet;
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
