// SPDX-License-Identifier: GPL-3.0-or-later
#include "StripApostrophes.h"

namespace {
constexpr int MaxRemoved = 100;
}

QString StripApostrophes(const QString& text)
{
    QString current = text;
    for (int i = 0; i < MaxRemoved; ++i) {
        const qsizetype p = current.indexOf(QLatin1Char('\''), 0, Qt::CaseSensitive);
        if (p < 0)
            break;
        current.remove(p, 1);
    }
    return current;
}
