// SPDX-License-Identifier: GPL-3.0-or-later
#include "FrameReader.h"

#include "VideoDecoder.h"

#include <QCryptographicHash>
#include <QFile>

std::optional<QByteArray> readWholeSha256(QIODevice& device)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&device) || !device.atEnd())
        return std::nullopt;
    return hash.result().toHex();
}

class FrameReader::Worker : public QObject
{
public:
    Worker(FrameReader* reader, std::shared_ptr<std::atomic<int>> latest)
        : m_reader(reader), m_latest(std::move(latest))
    {
    }

    void open(int generation, const QString& file)
    {
        auto decoder = std::make_unique<VideoDecoder>();
        if (!decoder->open(file)) {
            const QString why = decoder->error();
            m_reader->answerOpen(generation, [reader = m_reader, file, why] { emit reader->openFailed(file, why); });
            return;
        }
        auto index = std::make_shared<VideoIndex>(decoder->index());
        // A key frame names its video by this fingerprint: without it, none could be kept.
        QFile input(file);
        const std::optional<QByteArray> sha256 =
            input.open(QIODevice::ReadOnly) ? readWholeSha256(input) : std::optional<QByteArray>();
        if (!sha256) {
            const QString why = QStringLiteral("The video %1 cannot be read to its end to take its fingerprint (%2).")
                                    .arg(file, input.errorString());
            m_reader->answerOpen(generation, [reader = m_reader, file, why] { emit reader->openFailed(file, why); });
            return;
        }
        index->sha256 = *sha256;
        m_decoder = std::move(decoder);
        std::shared_ptr<const VideoIndex> shared = index;
        m_reader->answerOpen(generation, [reader = m_reader, shared] { emit reader->opened(shared); });
    }

    void decode(int generation, int number)
    {
        if (*m_latest != generation || !m_decoder)
            return;
        const auto preview = [this, generation, number](int shown, const QImage& picture) {
            m_reader->answerPreview(generation, [reader = m_reader, shown, number, picture] {
                emit reader->previewReady(shown, number, picture);
            });
        };
        const QImage picture = m_decoder->frame(
            number, [this, generation] { return *m_latest != generation; }, preview);
        if (picture.isNull()) {
            const QString why = m_decoder->error();
            m_reader->answerRequest(generation,
                                    [reader = m_reader, number, why] { emit reader->frameFailed(number, why); });
        } else {
            m_reader->answerRequest(generation,
                                    [reader = m_reader, number, picture] { emit reader->frameReady(number, picture); });
        }
    }

private:
    FrameReader* m_reader;
    std::shared_ptr<std::atomic<int>> m_latest;
    std::unique_ptr<VideoDecoder> m_decoder;
};

FrameReader::FrameReader(QObject* parent) : QObject(parent), m_worker(new Worker(this, m_latest))
{
    m_thread.setObjectName(QStringLiteral("FrameReader"));
    m_worker->moveToThread(&m_thread);
    m_thread.start();
}

FrameReader::~FrameReader()
{
    ++*m_latest; // stops a decoding under way
    m_thread.quit();
    m_thread.wait();
    delete m_worker;
}

template <typename Answer> void FrameReader::answerRequest(int generation, Answer answer)
{
    // Queued to this object: dropped if the reader is gone before it runs.
    QMetaObject::invokeMethod(
        this,
        [this, generation, answer] {
            if (*m_latest != generation)
                return;
            m_waiting = false;
            answer();
        },
        Qt::QueuedConnection);
}

template <typename Answer> void FrameReader::answerPreview(int generation, Answer answer)
{
    QMetaObject::invokeMethod(
        this,
        [this, generation, answer] {
            if (*m_latest == generation)
                answer();
        },
        Qt::QueuedConnection);
}

template <typename Answer> void FrameReader::answerOpen(int generation, Answer answer)
{
    QMetaObject::invokeMethod(
        this,
        [this, generation, answer] {
            if (m_opens != generation)
                return;
            m_waiting = false;
            answer();
        },
        Qt::QueuedConnection);
}

void FrameReader::open(const QString& file)
{
    ++*m_latest; // stops a decoding under way
    const int generation = ++m_opens;
    m_waiting = true;
    QMetaObject::invokeMethod(
        m_worker, [worker = m_worker, generation, file] { worker->open(generation, file); }, Qt::QueuedConnection);
}

void FrameReader::request(int number)
{
    const int generation = ++*m_latest;
    m_waiting = true;
    QMetaObject::invokeMethod(
        m_worker, [worker = m_worker, generation, number] { worker->decode(generation, number); },
        Qt::QueuedConnection);
}

#include "moc_FrameReader.cpp"
