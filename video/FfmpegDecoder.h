// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "VideoDecoding.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <utility>

// VideoDecoding on FFmpeg's libraries, built as the module the program loads when it first
// opens a video (see VideoDecoder.h). Opening reads every packet of the video stream once,
// without decoding, to index the frames' presentation timestamps; frame(N) then seeks to the
// key frame before frame N and decodes forward to exactly its timestamp, so B-frames,
// variable frame rates and streams that do not start at 0 give the same picture for N every
// time. Asking for the frame after the last one decodes on without seeking. Memory stays
// bounded: the decoder holds the index (16 bytes a frame), the frames FFmpeg keeps for
// reference and at most 64 MB of decoded frames (keptFrames()), never the video.
class FfmpegDecoder final : public VideoDecoding
{
public:
    FfmpegDecoder();
    ~FfmpegDecoder() override;
    FfmpegDecoder(const FfmpegDecoder&) = delete;
    FfmpegDecoder& operator=(const FfmpegDecoder&) = delete;

    bool open(const QString& file) override;
    void close() override;
    bool isOpen() const override;
    QString error() const override { return m_error; }
    const VideoIndex& index() const override { return m_index; }
    QImage frame(int number, const std::function<bool()>& cancelled) override;

private:
    struct Codec;
    bool fail(const QString& why);
    bool buildIndex();
    // Decodes on from where the decoder stands until frame `number`; false when a later
    // frame comes first, the stream ends or `cancelled` says so.
    bool decodeForwardTo(int number, QImage& picture, const std::function<bool()>& cancelled);
    // Seeks to the key frame at `keyPosition` in index().keyFrames, emptying the decoder.
    bool seekToKeyFrame(std::size_t keyPosition);
    // The number of the frame with timestamp `pts`, -1 for none.
    int numberOf(std::int64_t pts) const;
    // Keeps `picture` of frame `number` among the frames kept, dropping the oldest beyond
    // keptFrames(); returns it.
    QImage keep(int number, const QImage& picture);
    // How many decoded frames are kept: 64 MB of them, 1 to 9 (9 at full HD, 1 at 4K).
    int keptFrames() const;
    QImage toImage() const;

    std::unique_ptr<Codec> m_codec;
    VideoIndex m_index;
    // The key frames' decoding timestamps, by key-frame position: what a seek aims at.
    std::vector<std::int64_t> m_keySeekTs;
    QString m_error;
    // The number of the last frame the decoder gave out, -1 when its position is unknown.
    int m_position = -1;
    // The frames last given out and those decoded just before a target, newest last: asking
    // for one again, or stepping back from a target, costs nothing.
    std::deque<std::pair<int, QImage>> m_kept;
};
