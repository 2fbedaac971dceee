// SPDX-License-Identifier: GPL-3.0-or-later
// Video Frames: one step forward, a random seek, and Use This Frame until Measure Angles has
// painted the frame, on a 1920 x 1080 H.264 video (25 frames a second, B-frames, a key frame
// every 250 frames), made once with the ffmpeg program and kept. Beside them, in the same run,
// the ffmpeg program doing the same work: its decoding and conversion of a hundred frames from
// a key frame (less the key frame alone), and its decoding from a seek's key frame to the
// seek's frame (less the key frame alone); and how long a seek leaves the window without a
// picture.
//
//   bench_video [video file] [runs]     (default /tmp/talvo-bench-1080p.mp4, 50 runs)
#include "AngleCanvas.h"
#include "BenchSupport.h"
#include "MainWindow.h"
#include "MeasureAngles.h"
#include "ProgramState.h"
#include "Resources.h"
#include "VideoDecoder.h"
#include "VideoFrames.h"
#include "WindowSet.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTest>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int FrameCount = 750;

bool makeVideo(const QString& file)
{
    if (QFileInfo::exists(file))
        return true;
    std::printf("making %s (%d frames) ...\n", qPrintable(file), FrameCount);
    std::fflush(stdout);
    return QProcess::execute(QStringLiteral("ffmpeg"), {QStringLiteral("-hide_banner"),
                                                        QStringLiteral("-loglevel"),
                                                        QStringLiteral("error"),
                                                        QStringLiteral("-f"),
                                                        QStringLiteral("lavfi"),
                                                        QStringLiteral("-i"),
                                                        QStringLiteral("testsrc2=size=1920x1080:rate=25"),
                                                        QStringLiteral("-frames:v"),
                                                        QString::number(FrameCount),
                                                        QStringLiteral("-c:v"),
                                                        QStringLiteral("libx264"),
                                                        QStringLiteral("-preset"),
                                                        QStringLiteral("veryfast"),
                                                        QStringLiteral("-bf"),
                                                        QStringLiteral("3"),
                                                        QStringLiteral("-g"),
                                                        QStringLiteral("250"),
                                                        QStringLiteral("-keyint_min"),
                                                        QStringLiteral("250"),
                                                        QStringLiteral("-sc_threshold"),
                                                        QStringLiteral("0"),
                                                        QStringLiteral("-pix_fmt"),
                                                        QStringLiteral("yuv420p"),
                                                        file}) == 0;
}

double msSince(const QElapsedTimer& timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

class PaintWatch : public QObject
{
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            m_painted = true;
        return QObject::eventFilter(watched, event);
    }
    bool takePaint() { return std::exchange(m_painted, false); }

private:
    bool m_painted = false;
};

// Milliseconds the ffmpeg program takes to decode `frames` frames of `file` from `fromMs`
// (a key frame's time: its seek lands there) and convert them to 32-bit RGB, as the
// decoder's frames are.
double ffmpegMs(const QString& file, std::int64_t fromMs, int frames)
{
    QElapsedTimer timer;
    timer.start();
    const int status = QProcess::execute(
        QStringLiteral("ffmpeg"),
        {QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-ss"),
         QString::number(static_cast<double>(fromMs) / 1000, 'f', 3), QStringLiteral("-i"), file,
         QStringLiteral("-frames:v"), QString::number(frames), QStringLiteral("-pix_fmt"), QStringLiteral("bgra"),
         QStringLiteral("-f"), QStringLiteral("null"), QStringLiteral("-")});
    return status == 0 ? msSince(timer) : -1;
}

void waitFor(const std::function<bool()>& done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 30000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    initTalvoResources();
    printMessageBoxes();
    const QString file = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/talvo-bench-1080p.mp4");
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 50;
    if (!makeVideo(file))
        return 1;

    VideoDecoder decoder;
    QElapsedTimer timer;
    timer.start();
    if (!decoder.open(file)) {
        std::printf("%s\n", qPrintable(decoder.error()));
        return 1;
    }
    std::printf("open and index %d frames: %.1f ms\n", decoder.index().frameCount(), msSince(timer));

    QRandomGenerator random(22);
    std::vector<double> forward, back, seek;
    int at = static_cast<int>(random.bounded(decoder.index().frameCount() - runs - 1));
    decoder.frame(at);
    for (int run = 0; run < runs; ++run) {
        timer.restart();
        decoder.frame(++at);
        forward.push_back(msSince(timer));
    }
    for (int run = 0; run < runs; ++run) {
        timer.restart();
        decoder.frame(--at);
        back.push_back(msSince(timer));
    }
    for (int run = 0; run < runs; ++run) {
        const int target = static_cast<int>(random.bounded(decoder.index().frameCount()));
        timer.restart();
        decoder.frame(target);
        seek.push_back(msSince(timer));
    }
    printTimings("one step forward (target < 30 ms)", forward, 40, 7, 1);
    printTimings("one step back", back, 40, 7, 1);
    printTimings("random seek (target < 250 ms)", seek, 40, 7, 1);

    // The same work by the ffmpeg program, measured now.
    const VideoIndex& index = decoder.index();
    // Stepping a hundred frames from each key frame, and the ffmpeg program decoding the
    // same frames, one after the other, so that both see the machine as loaded as it is.
    double stepping = 0;
    double ffmpegStepping = 0;
    int steps = 0;
    for (int key : index.keyFrames) {
        const int count = std::min(100, index.frameCount() - 1 - key);
        decoder.frame(key);
        timer.restart();
        for (int n = key + 1; n <= key + count; ++n)
            decoder.frame(n);
        stepping += msSince(timer);
        ffmpegStepping += ffmpegMs(file, index.timeMs(key), count + 1) - ffmpegMs(file, index.timeMs(key), 1);
        steps += count;
    }
    std::printf("one step forward over %d steps: %.1f ms a step; ffmpeg's decoding and conversion %.1f ms a frame; "
                "ratio %.2f\n",
                steps, stepping / steps, ffmpegStepping / steps, stepping / ffmpegStepping);
    QRandomGenerator again(23);
    double ours = 0;
    double theirs = 0;
    const int seekRuns = std::min(runs, 20);
    for (int run = 0; run < seekRuns; ++run) {
        const int target = static_cast<int>(again.bounded(index.frameCount()));
        const int key = index.keyFrameBefore(target);
        decoder.frame((target + index.frameCount() / 2) % index.frameCount()); // another group first
        timer.restart();
        decoder.frame(target);
        ours += msSince(timer);
        theirs += ffmpegMs(file, index.timeMs(key), target - key + 1) - ffmpegMs(file, index.timeMs(key), 1);
    }
    std::printf("random seek over %d seeks: %.1f ms a seek; ffmpeg from the key frame to the frame %.1f ms "
                "(net); ratio %.2f\n",
                seekRuns, ours / seekRuns, theirs / seekRuns, ours / theirs);

    // Through the window: how long a seek leaves it without a picture for the frame asked for
    // (the frame on screen or the key frame marked as a stopgap, or the frame itself), and
    // until the frame itself is on screen.
    {
        ProgramState state;
        WindowSet windows(state);
        VideoFrames& video = windows.window<VideoFrames>();
        video.showWindow();
        auto* info = video.findChild<QLabel*>(QStringLiteral("FrameInfo"));
        video.openVideo(file);
        waitFor([info] { return info->text().startsWith(QStringLiteral("Frame 0 ")); });
        std::vector<double> firstPicture, exact;
        int standing = 0;
        for (int run = 0; run < seekRuns; ++run) {
            const int target =
                (standing + 1 + static_cast<int>(again.bounded(index.frameCount() - 1))) % index.frameCount();
            const QString shown = QStringLiteral("Frame %1 of").arg(target);
            const QString stopgap = QStringLiteral("while frame %1 is found").arg(target);
            timer.restart();
            video.goToFrame(target);
            waitFor([&] { return info->text().startsWith(shown) || info->text().contains(stopgap); });
            firstPicture.push_back(msSince(timer));
            waitFor([&] { return info->text().startsWith(shown); });
            exact.push_back(msSince(timer));
            standing = target;
        }
        printTimings("seek in the window: first picture (target < 100 ms)", firstPicture, 58, 7, 1);
        printTimings("seek in the window: the frame itself", exact, 58, 7, 1);
    }

    // Through the windows: the frame on screen, "Use This Frame" clicked, until Measure
    // Angles has painted the frame.
    std::vector<double> use;
    const int useRuns = std::min(runs, 10);
    for (int run = 0; run < useRuns; ++run) {
        ProgramState state;
        WindowSet windows(state);
        windows.window<MainWindow>().showWindow();
        VideoFrames& video = windows.window<VideoFrames>();
        video.showWindow();
        auto* info = video.findChild<QLabel*>(QStringLiteral("FrameInfo"));
        video.openVideo(file);
        waitFor([info] { return info->text().startsWith(QStringLiteral("Frame 0 ")); });
        const int target = static_cast<int>(random.bounded(FrameCount));
        video.goToFrame(target);
        waitFor([info, target] { return info->text().startsWith(QStringLiteral("Frame %1 ").arg(target)); });
        MeasureAngles& measure = windows.window<MeasureAngles>();
        measure.resize(1900, 1040);
        PaintWatch watch;
        measure.canvas()->installEventFilter(&watch);
        QCoreApplication::processEvents();
        watch.takePaint();
        timer.restart();
        QTest::mouseClick(video.findChild<QPushButton*>(QStringLiteral("UseFrame")), Qt::LeftButton);
        waitFor([&watch] { return watch.takePaint(); });
        use.push_back(msSince(timer));
        if (state.keyFrames.size() != 1 || !measure.isVisible()) {
            std::printf("Use This Frame did not open Measure Angles\n");
            return 1;
        }
    }
    printTimings("Use This Frame to Measure Angles painted (target < 300 ms)", use, 40, 7, 1);
    return 0;
}
