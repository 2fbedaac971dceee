// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>

#include <cstdint>
#include <vector>

// The frames of one video stream, as read once from its packets: every frame's presentation
// timestamp in presentation order, so frame N is always the same picture however it is
// reached. Frames are numbered from 0.
struct VideoIndex
{
    QString file;
    // The file's SHA-256 in hexadecimal, when the reader has computed it.
    QByteArray sha256;
    QString codec;
    // The size of the frames as shown, after the turn below.
    QSize size;
    // How the stored pictures are turned to be shown upright, as the stream's display matrix
    // says (a phone held upright stores its frames sideways): a clockwise turn of 0, 90, 180
    // or 270 degrees, then mirrored left to right. Frames are given out turned.
    int rotation = 0;
    bool mirrored = false;
    // The stream's time base (seconds per timestamp unit is num / den).
    int timeBaseNum = 1;
    int timeBaseDen = 1;
    // Presentation timestamps, ascending, one per frame; pts.front() is the stream's start.
    std::vector<std::int64_t> pts;
    // Numbers of the frames that are key frames, ascending; always holds frame 0.
    std::vector<int> keyFrames;

    int frameCount() const { return static_cast<int>(pts.size()); }
    std::int64_t startPts() const { return pts.empty() ? 0 : pts.front(); }

    // Milliseconds from frame 0 to frame `frame`.
    std::int64_t timeMs(int frame) const;
    // The frame on screen at `ms` milliseconds from frame 0: the last one starting at or
    // before it (frame 0 before the start, the last frame after the end).
    int frameAtMs(std::int64_t ms) const;
    // The number of the key frame at or before `frame`.
    int keyFrameBefore(int frame) const;
    // Frames per second on average (0 for a single frame).
    double averageRate() const;
};

// "hh:mm:ss.mmm"
QString formatTime(std::int64_t ms);
