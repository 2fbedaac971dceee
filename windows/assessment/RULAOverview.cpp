// SPDX-License-Identifier: GPL-3.0-or-later
#include "RULAOverview.h"

#include <QPushButton>

namespace {

using K = ControlKind;

// Client area 10815 x 7020 twips.
const std::vector<ControlRow>& rulaOverviewControls()
{
    static const std::vector<ControlRow> rows{
        // kind, name, left, top, width, height, text, font, keyboard order
        {K::Picture, "Image1", 0, 0, 8850, 7005, "rula_overview"},
        {K::Button, "Command1", 8880, 0, 1935, 855, "&Exit", Comic(12), 0},
    };
    return rows;
}

} // namespace

RULAOverview::RULAOverview(ProgramState& state, WindowSet& windows) : AppWindow(state, windows, Frame::Sizable, false)
{
    setObjectName(QStringLiteral("RULAOverview"));
    setWindowTitle(QStringLiteral("RULA Overview"));
    buildControls(this, rulaOverviewControls(), Units::Twips);
    setClientArea(10815, 7020, Units::Twips);
    connect(control<QPushButton>(this, "Command1"), &QPushButton::clicked, this, &QWidget::hide);
}

#include "moc_RULAOverview.cpp"
