// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "VideoIndex.h"

#include <QImage>
#include <QObject>
#include <QString>
#include <QThread>

#include <atomic>
#include <memory>
#include <optional>

class QIODevice;

// The SHA-256 of what `device` holds from where it stands to its end, in hexadecimal; nothing
// when it cannot be read to its end.
std::optional<QByteArray> readWholeSha256(QIODevice& device);

// Opens videos and decodes their frames on a thread of its own, so the thread that asks
// never waits for a seek. The latest request wins: a request or an open overtakes the frame
// being decoded (its decoding stops between two packets) and every request still waiting.
// The answers arrive as signals on the thread that made the reader.
class FrameReader : public QObject
{
    Q_OBJECT
public:
    explicit FrameReader(QObject* parent = nullptr);
    ~FrameReader() override;

    // Opens `file`: opened() follows with its index (SHA-256 included), or openFailed()
    // with why; the video open so far stays open until opened().
    void open(const QString& file);
    // Asks for frame `number` of the open video: frameReady() or frameFailed() follows
    // unless another request or open() comes first.
    void request(int number);
    // True from a request until its answer (an open counts as a request).
    bool busy() const { return m_waiting; }

signals:
    void opened(std::shared_ptr<const VideoIndex> index);
    void openFailed(const QString& file, const QString& why);
    void frameReady(int number, const QImage& picture);
    void frameFailed(int number, const QString& why);
    // On the way to frame `asked`, when it takes many frames decoded: frame `number` (the
    // first decoded, after a seek the key frame), to be shown until frameReady() comes.
    void previewReady(int number, int asked, const QImage& picture);

private:
    class Worker;
    // Runs `answer` here if no request or open has come since `generation`.
    template <typename Answer> void answerRequest(int generation, Answer answer);
    // Runs `answer` here if no request or open has come since `generation`, still waiting.
    template <typename Answer> void answerPreview(int generation, Answer answer);
    // Runs `answer` here if no other open has come since `generation`.
    template <typename Answer> void answerOpen(int generation, Answer answer);

    // Declared first: the worker is made with it.
    std::shared_ptr<std::atomic<int>> m_latest = std::make_shared<std::atomic<int>>(0);
    QThread m_thread;
    Worker* m_worker;
    int m_opens = 0;
    bool m_waiting = false;
};
