// SPDX-License-Identifier: GPL-3.0-or-later
#include "Resources.h"

#include <QtGlobal>

void initTalvoResources() {}
