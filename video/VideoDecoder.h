// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "VideoDecoding.h"

#include <QImage>
#include <QString>

#include <functional>
#include <memory>

// A frame-exact video decoder (see VideoDecoding). FFmpeg's libraries and the hundred and
// more libraries they load are kept out of the program's start: the decoding lives in a
// module (talvo-video.so, beside the program's other files) loaded when the first decoder is
// made. Without that module every open fails with a sentence saying so.
class VideoDecoder
{
public:
    static constexpr std::int64_t MaxPixels = VideoDecoding::MaxPixels;

    VideoDecoder();
    ~VideoDecoder();
    VideoDecoder(const VideoDecoder&) = delete;
    VideoDecoder& operator=(const VideoDecoder&) = delete;

    bool open(const QString& file);
    void close();
    bool isOpen() const;
    QString error() const;
    const VideoIndex& index() const;
    QImage frame(int number, const std::function<bool()>& cancelled = {}, const VideoDecoding::Preview& preview = {});

    // The module's file (where it was looked for first when it was not found), and why it
    // could not be loaded, empty once it is: for the installation check.
    static QString moduleFile();
    static QString moduleError();

private:
    std::unique_ptr<VideoDecoding> m_decoding;
    QString m_error;
};
