// SPDX-License-Identifier: GPL-3.0-or-later
#include "VideoDecoder.h"

#include "ProgramFolder.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>

namespace {

const char* const ModuleName = "talvo-video.so";

struct Module
{
    QString file;
    decltype(&talvoCreateVideoDecoding) create = nullptr;
    QString error;
};

// Loaded once, on first use, and kept for the rest of the run.
const Module& module()
{
    static const Module loaded = [] {
        Module m;
        const QStringList folders = ProgramFolder::candidates(QCoreApplication::applicationDirPath());
        for (const QString& folder : folders) {
            const QString file = folder + QLatin1Char('/') + QLatin1String(ModuleName);
            if (!QFileInfo(file).isFile())
                continue;
            m.file = file;
            QLibrary library(file);
            m.create =
                reinterpret_cast<decltype(&talvoCreateVideoDecoding)>(library.resolve("talvoCreateVideoDecoding"));
            if (!m.create)
                m.error = library.errorString();
            return m;
        }
        m.file = ProgramFolder::locate(QCoreApplication::applicationDirPath()) + QLatin1Char('/') +
                 QLatin1String(ModuleName);
        m.error = QStringLiteral("not found");
        return m;
    }();
    return loaded;
}

} // namespace

VideoDecoder::VideoDecoder()
{
    if (module().create)
        m_decoding.reset(module().create());
    else
        m_error = QStringLiteral("Videos cannot be opened: the video decoder %1 could not be loaded (%2).")
                      .arg(module().file, module().error);
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
    return module().file;
}

QString VideoDecoder::moduleError()
{
    return module().error;
}
