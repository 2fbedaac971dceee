// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Layout.h"
#include "Reba.h"

#include <vector>

// The REBA window's layout, in pixels at 96 dpi: a box per option group (its caption, its
// bands' option panels in a row and its adjustments' check boxes beside them), then the
// results. Derived from the group places below and the REBA option table.
namespace rebalayout {

constexpr int ClientWidth = 1010;
constexpr int ClientHeight = 694;
constexpr int HelpTopic = 250;

// An option panel and the picture inside it.
constexpr int PanelWidth = 72;
constexpr int PanelHeight = 84;
constexpr int PanelStep = 76;
constexpr int PictureInset = 3;

// Every control of the window in keyboard order: captions and marks (Label), option panels
// and check boxes (Custom rows named as the options), result boxes (Label).
const std::vector<ControlRow>& rows();

// The label that says whether a group's band was measured or chosen by hand ("RebaNeckSource",
// "RebaUpperArmSourceRight"), or nullptr for a group Measure Angles does not measure.
const char* sourceLabel(rula::reba::RebaGroup group);

} // namespace rebalayout
