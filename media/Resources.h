// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Registers the pictures compiled into the program. The resources live in a static
// library, so they must be pulled in explicitly or the linker drops them.
void initTalvoResources();
