// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "VideoDecoding.h"

#include <cstdint>
#include <deque>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

// VideoDecoding on FFmpeg's libraries, built as the module the program loads when it first
// opens a video (see VideoDecoder.h). Opening reads every packet of the video stream once,
// without decoding, to index the frames' presentation timestamps; frame(N) then seeks to the
// key frame before frame N and decodes forward to exactly its timestamp, so B-frames,
// variable frame rates and streams that do not start at 0 give the same picture for N every
// time. Asking for the frame after the last one decodes on without seeking. Frames are given
// out turned upright as the stream's display matrix says. MPEG-4 Part 2 streams pass through
// FFmpeg's mpeg4_unpack_bframes filter (an AVI's "packed" B-frames become one frame a
// packet); where their container keeps no presentation timestamps (AVI), each frame's is
// worked out from the order of its picture types. Memory stays
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
    QImage frame(int number, const std::function<bool()>& cancelled, const Preview& preview) override;

private:
    struct Codec;
    struct IndexEntry;
    bool fail(const QString& why);
    bool buildIndex();
    // Decodes on from where the decoder stands until frame `number`; false when a later
    // frame comes first, the stream ends or `cancelled` says so.
    // `preview`, when given, is called with the first frame decoded.
    bool decodeForwardTo(int number, QImage& picture, const std::function<bool()>& cancelled,
                         const Preview& preview = {});
    // The video stream's next packet as the decoder takes it (through the unpacking filter),
    // in the codec's packet; false at the end of the stream or on a read error.
    bool readPacket();
    // Presentation timestamps for packets that carry only decoding timestamps, from the
    // order of their picture types; `entries` are in decoding order.
    void assignPresentationTimes(std::vector<IndexEntry>& entries);
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
    // Packets before this decoding timestamp are passed over after a seek: a container may
    // land a key frame early, and decoding from there would double the work. The lowest
    // timestamp for none.
    std::int64_t m_skipBefore = std::numeric_limits<std::int64_t>::min();
    // The presentation timestamps worked out for packets without one, by decoding
    // timestamp, ascending; empty when the packets carry their own.
    std::vector<std::pair<std::int64_t, std::int64_t>> m_ptsOfDts;
    QString m_error;
    // The number of the last frame the decoder gave out, -1 when its position is unknown.
    int m_position = -1;
    // The frames last given out and those decoded just before a target, newest last: asking
    // for one again, or stepping back from a target, costs nothing.
    std::deque<std::pair<int, QImage>> m_kept;
};
