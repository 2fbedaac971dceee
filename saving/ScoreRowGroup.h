// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OptionCatalogue.h"

// The group whose body-part score a save table row holds: SaveTable::scoreRow turned round,
// from the same table of rows. The first group for a row that holds no score.
rula::Group scoreRowGroup(int row);
