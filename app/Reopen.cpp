// SPDX-License-Identifier: GPL-3.0-or-later
#include "Commands.h"

void ReopenAssessment(const QString& path, WindowSet& windows)
{
    Q_UNUSED(path);
    Q_UNUSED(windows);
}
