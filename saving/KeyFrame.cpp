// SPDX-License-Identifier: GPL-3.0-or-later
#include "KeyFrame.h"

const QStringList& keyFrameReasons()
{
    static const QStringList reasons{QStringLiteral("Most frequent"), QStringLiteral("Longest held"),
                                     QStringLiteral("Greatest force"), QStringLiteral("Most extreme"),
                                     QStringLiteral("Other")};
    return reasons;
}

QString defaultKeyFrameReason()
{
    return QStringLiteral("Most extreme");
}
