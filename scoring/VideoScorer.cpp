// SPDX-License-Identifier: GPL-3.0-or-later
#include "VideoScorer.h"

#include "BodyPose.h"
#include "VideoDecoder.h"
#include "VideoIndex.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QImage>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace {

// How many decoded frames may wait for the pose models: enough to keep both threads busy.
constexpr std::size_t WaitingFrames = 3;

struct DecodedFrame
{
    int number = 0;
    QImage picture;   // null: the frame could not be decoded, and nothing follows
    double scale = 1; // the decoded frame's pixels per pixel of `picture`
};

// The frames handed from the decoding thread to the scoring one, at most WaitingFrames at a time.
class FrameQueue
{
public:
    // False when the reader has stopped and `frame` was not taken.
    bool push(DecodedFrame frame)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_stopped || m_frames.size() < WaitingFrames; });
        if (m_stopped)
            return false;
        m_frames.push_back(std::move(frame));
        m_changed.notify_all();
        return true;
    }
    DecodedFrame pop()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return !m_frames.empty(); });
        DecodedFrame frame = std::move(m_frames.front());
        m_frames.pop_front();
        m_changed.notify_all();
        return frame;
    }
    void stop()
    {
        const std::lock_guard lock(m_mutex);
        m_stopped = true;
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<DecodedFrame> m_frames;
    bool m_stopped = false;
};

QString sha256Of(const QString& file)
{
    QFile input(file);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (input.open(QIODevice::ReadOnly) && hash.addData(&input))
        return QString::fromLatin1(hash.result().toHex());
    return {};
}

} // namespace

std::vector<int> sampleFrames(const VideoIndex& index, int samplesPerSecond)
{
    std::vector<int> frames;
    if (index.frameCount() == 0 || samplesPerSecond < 1)
        return frames;
    const std::int64_t end = index.timeMs(index.frameCount() - 1);
    for (std::int64_t k = 0;; ++k) {
        const std::int64_t ms = k * 1000 / samplesPerSecond;
        if (ms > end)
            break;
        const int frame = index.frameAtMs(ms);
        if (frames.empty() || frames.back() != frame)
            frames.push_back(frame);
    }
    return frames;
}

rula::SampleLandmarks sampleLandmarks(const pose::BodyLandmarks& body)
{
    rula::SampleLandmarks sample;
    sample.found = body.found;
    if (!body.found)
        return sample;
    for (const pose::Side side : {pose::Side::Right, pose::Side::Left}) {
        for (int l = 0; l < pose::LandmarkCount; ++l) {
            const pose::LandmarkGuess& guess = body.at(side, static_cast<pose::Landmark>(l));
            sample.at(side == pose::Side::Right ? rula::Side::Right : rula::Side::Left,
                      static_cast<rula::Landmark>(l)) =
                rula::FoundLandmark{rula::Point{guess.at.x(), guess.at.y()}, guess.confidence};
        }
    }
    return sample;
}

double videoDuration(const VideoIndex& index)
{
    return index.frameCount() > 0 ? static_cast<double>(index.timeMs(index.frameCount() - 1)) / 1000.0 : 0;
}

rula::VideoTimeline VideoScorer::run(const Settings& settings, const std::function<bool()>& cancelled,
                                     const Progress& progress, QString* error)
{
    rula::VideoTimeline timeline;
    timeline.videoFile = settings.videoFile.toStdString();
    timeline.samplesPerSecond = settings.samplesPerSecond;
    const rula::UnseenChoices unseen = rula::unseenChoices(settings.assessor);
    timeline.defaulted = unseen.defaulted;
    const auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return timeline;
    };

    VideoDecoder decoder;
    if (!decoder.open(settings.videoFile))
        return fail(decoder.error());
    timeline.videoFile = decoder.index().file.toStdString();
    timeline.durationSeconds = videoDuration(decoder.index());
    pose::PoseFinder finder(settings.modelFolder.isEmpty() ? pose::modelFolder() : settings.modelFolder);
    if (!finder.isReady())
        return fail(finder.error());
    timeline.videoSha256 = sha256Of(settings.videoFile).toStdString();

    const VideoIndex index = decoder.index();
    const std::vector<int> frames = sampleFrames(index, settings.samplesPerSecond);
    const int total = static_cast<int>(frames.size());

    std::atomic<bool> stopping{false};
    const auto stop = [&] { return stopping.load() || (cancelled && cancelled()); };
    QString decodeError;
    FrameQueue queue;
    std::thread decoding([&] {
        for (int number : frames) {
            QImage picture = decoder.frame(number, stop);
            if (picture.isNull()) {
                if (!stop())
                    decodeError = decoder.error();
                queue.push(DecodedFrame{number, QImage(), 1});
                return;
            }
            // The frame as shown (a turned video's frame is upright), reduced for the models.
            const QSize working = pose::workingSize(picture.size());
            const double scale = static_cast<double>(picture.width()) / working.width();
            if (picture.size() != working)
                picture = picture.scaled(working, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            if (!queue.push(DecodedFrame{number, std::move(picture), scale}))
                return;
        }
    });

    pose::PoseTracker tracker(finder);
    for (int i = 0; i < total && !stop(); ++i) {
        const DecodedFrame frame = queue.pop();
        if (frame.picture.isNull())
            break;
        const pose::BodyLandmarks body = tracker.next(frame.picture).scaled(frame.scale);
        timeline.samples.push_back(rula::scoreSample(frame.number,
                                                     static_cast<double>(index.timeMs(frame.number)) / 1000.0,
                                                     sampleLandmarks(body), unseen.state));
        timeline.complete = static_cast<int>(timeline.samples.size()) == total;
        if (progress)
            progress(timeline, total);
    }
    stopping = true;
    queue.stop();
    decoding.join();
    if (!decodeError.isEmpty())
        return fail(decodeError);
    return timeline;
}
