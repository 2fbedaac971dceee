// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "VideoIndex.h"

#include <QImage>
#include <QString>

#include <cstdint>
#include <functional>

// What a frame-exact video decoder does; VideoDecoder (the program's side) forwards to the
// one the decoder module makes. Not thread-safe: one thread uses one decoder.
class VideoDecoding
{
public:
    // The largest picture opened: 4096 x 2160 pixels (DCI 4K; UHD 3840 x 2160 fits). An 8K
    // frame would take 130 MB as one picture and seconds to seek to.
    static constexpr std::int64_t MaxPixels = 4096LL * 2160;

    VideoDecoding() = default;
    virtual ~VideoDecoding() = default;
    VideoDecoding(const VideoDecoding&) = delete;
    VideoDecoding& operator=(const VideoDecoding&) = delete;

    // Opens `file`, indexes its frames and decodes its first frame. On failure returns false,
    // error() says why in one sentence naming the file (damaged or truncated, not a video, no
    // video stream, no frames, too large), and the decoder is closed.
    virtual bool open(const QString& file) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual QString error() const = 0;

    // The open video's frames; empty when none is open.
    virtual const VideoIndex& index() const = 0;

    // A picture shown while a frame further on is being found: the first frame decoded on the
    // way (after a seek, the key frame), with its number. Not the frame asked for.
    using Preview = std::function<void(int number, const QImage& picture)>;

    // Frame `number` (from 0) as an RGB32 picture of index().size, upright, or a null picture
    // when it cannot be decoded (error() says why) or when `cancelled` returned true, which it
    // is asked between packets. When the frame needs many frames decoded, `preview` (if
    // given) is called once with the first frame decoded on the way.
    virtual QImage frame(int number, const std::function<bool()>& cancelled, const Preview& preview) = 0;
};

// The decoder module's one entry point: a new decoder, owned by the caller.
extern "C" VideoDecoding* talvoCreateVideoDecoding();
