// SPDX-License-Identifier: GPL-3.0-or-later
#include "VideoDecoder.h"

#include "ProgramModule.h"

namespace {

// Loaded once, on first use, and kept for the rest of the run.
const ModuleEntry<decltype(&talvoCreateVideoDecoding)>& module()
{
    static const auto decoder =
        moduleEntry<decltype(&talvoCreateVideoDecoding)>("talvo-video.so", "talvoCreateVideoDecoding");
    return decoder;
}

} // namespace

VideoDecoder::VideoDecoder()
{
    if (module().call)
        m_decoding.reset(module().call());
    else
        m_error = QStringLiteral("Videos cannot be opened: the video decoder %1 could not be loaded (%2).")
                      .arg(module().loaded.file, module().loaded.error);
}

VideoDecoder::~VideoDecoder() = default;

bool VideoDecoder::open(const QString& file)
{
    return m_decoding && m_decoding->open(file);
}

void VideoDecoder::close()
{
    if (m_decoding)
        m_decoding->close();
}

bool VideoDecoder::isOpen() const
{
    return m_decoding && m_decoding->isOpen();
}

QString VideoDecoder::error() const
{
    return m_decoding ? m_decoding->error() : m_error;
}

const VideoIndex& VideoDecoder::index() const
{
    static const VideoIndex none;
    return m_decoding ? m_decoding->index() : none;
}

QImage VideoDecoder::frame(int number, const std::function<bool()>& cancelled, const VideoDecoding::Preview& preview)
{
    return m_decoding ? m_decoding->frame(number, cancelled, preview) : QImage();
}

QString VideoDecoder::moduleFile()
{
    return module().loaded.file;
}

QString VideoDecoder::moduleError()
{
    return module().loaded.error;
}
