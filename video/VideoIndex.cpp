// SPDX-License-Identifier: GPL-3.0-or-later
#include "VideoIndex.h"

#include <algorithm>

std::int64_t VideoIndex::timeMs(int frame) const
{
    const std::int64_t ticks = pts.at(static_cast<std::size_t>(frame)) - startPts();
    // Rounded to the nearest millisecond. Timestamps stay far below 2^63 / 1000 / num for any
    // video length (a day at 1/90000 s is 7.8e9 ticks).
    const std::int64_t scaled = ticks * 1000 * timeBaseNum;
    const std::int64_t half = timeBaseDen / 2;
    return (scaled + (scaled >= 0 ? half : -half)) / timeBaseDen;
}

int VideoIndex::frameAtMs(std::int64_t ms) const
{
    int low = 0;
    int high = frameCount() - 1;
    if (high < 0)
        return 0;
    while (low < high) {
        const int middle = (low + high + 1) / 2;
        if (timeMs(middle) <= ms)
            low = middle;
        else
            high = middle - 1;
    }
    return low;
}

int VideoIndex::keyFrameBefore(int frame) const
{
    const auto after = std::upper_bound(keyFrames.begin(), keyFrames.end(), frame);
    return after == keyFrames.begin() ? 0 : *(after - 1);
}

double VideoIndex::averageRate() const
{
    if (frameCount() < 2)
        return 0;
    const std::int64_t span = timeMs(frameCount() - 1);
    return span > 0 ? (frameCount() - 1) * 1000.0 / static_cast<double>(span) : 0;
}

QString formatTime(std::int64_t ms)
{
    const std::int64_t seconds = ms / 1000;
    return QStringLiteral("%1:%2:%3.%4")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'))
        .arg(ms % 1000, 3, 10, QLatin1Char('0'));
}
