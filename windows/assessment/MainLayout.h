// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Layout.h"

#include <QSize>
#include <QStringList>

#include <string_view>
#include <vector>

// The main window's layout, in pixels at 96 dpi. Positions on a tab are measured from the
// tabbed panel's top-left corner, header rows included.
namespace mainlayout {

constexpr int ClientWidth = 1018;
constexpr int ClientHeight = 711;
constexpr int TabCount = 9;
constexpr int TabsPerRow = 5;

// The command buttons, the workplace picture box `Picture1` and the tabbed panel `SSTab1`,
// all Custom rows: the window creates them itself.
const std::vector<ControlRow>& leftColumn();

// Captions of the nine tab headers, in tab order.
QStringList tabCaptions();

// The headings, instructions, row names, "OR" labels, score captions and score boxes of
// tab `tab` (1 to 9).
const std::vector<ControlRow>& tabControls(int tab);

// The context help topic of every label and picture on tab `tab` (1 to 9).
int tabHelpTopic(int tab);

// Where an option panel stands on its tab and where its picture control stands inside it.
// The panel's tab, picture name and art come from the option catalogue.
struct PanelPlace
{
    const char* panel;
    int x, y, w, h;     // the panel, on its tab
    int pw, ph;         // the picture control's size
    int px = 8, py = 8; // the picture control's inset from the panel's top-left corner
};

// The place of the panel named `panel`, or nullptr.
const PanelPlace* panelPlace(std::string_view panel);

// The size of the picture control inside the option panel named `panel`; an invalid size
// for a name that is no option panel.
QSize pictureSize(std::string_view panel);

} // namespace mainlayout
