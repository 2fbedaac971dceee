// SPDX-License-Identifier: GPL-3.0-or-later
#include "Resources.h"

#include <QtGlobal>

// Outside any namespace, as Q_INIT_RESOURCE requires.
static void registerResources()
{
    Q_INIT_RESOURCE(talvo_resources);
}

void initTalvoResources()
{
    static const bool done = [] {
        registerResources();
        return true;
    }();
    Q_UNUSED(done);
}
