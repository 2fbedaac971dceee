// SPDX-License-Identifier: GPL-3.0-or-later
#include "ExtraPics.h"

#include "PictureBox.h"

#include <QPushButton>

namespace {

// Twips.
const std::vector<ControlRow> ExtraPicsLayout = {
    {ControlKind::Label, "Label37", 2160, 120, 9735, 1455, "Extra Picture Files", Comic(48, true), -1, 0, Plain,
     DarkBlue},
    {ControlKind::Custom, "Picture1", 120, 2280, 3495, 5535},
    {ControlKind::Custom, "Picture2", 3840, 2280, 3495, 5535},
    {ControlKind::Custom, "Picture3", 7560, 2280, 3495, 5535},
    {ControlKind::Custom, "Picture4", 11280, 2280, 3495, 5535},
    {ControlKind::Button, "Command1", 10920, 9120, 2295, 855, "&Close", Comic(12), 0, 24},
};

const char* const BoxNames[] = {"Picture1", "Picture2", "Picture3", "Picture4"};

} // namespace

ExtraPics::ExtraPics(ProgramState& state, WindowSet& windows) : AppWindow(state, windows, Frame::MaximisedDialog, true)
{
    setObjectName(QStringLiteral("ExtraPics"));
    setWindowTitle(QStringLiteral("Form1"));
    setClientArea(15270, 11025, Units::Twips);

    for (const ControlRow& row : ExtraPicsLayout) {
        if (row.kind != ControlKind::Custom)
            continue;
        auto* box = new PictureBox(this);
        placeControl(box, row, Units::Twips);
        box->hide();
    }
    buildControls(this, ExtraPicsLayout, Units::Twips);

    auto* close = control<QPushButton>(this, "Command1");
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    close->setFocus();
}

PictureBox* ExtraPics::pictureBox(int n) const
{
    if (n < 1 || n > 4)
        return nullptr;
    return control<PictureBox>(this, BoxNames[n - 1]);
}

#include "moc_ExtraPics.cpp"
