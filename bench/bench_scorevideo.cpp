// SPDX-License-Identifier: GPL-3.0-or-later
// Scoring a whole two-minute 1920x1080 H.264 video at 5 samples a second (600 samples), beside
// the plain work measured in the same run: decoding those frames and running the pose models
// on them one after the other. Prints the time, the ratio to that sum, and the peak memory.
//
//   bench_scorevideo [VIDEO]   (without VIDEO, one is made from opencv-doc's footballer)
#include "BodyPose.h"
#include "VideoDecoder.h"
#include "VideoIndex.h"
#include "VideoScorer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>

namespace {

double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    QString video = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (video.isEmpty()) {
        video = dir.filePath(QStringLiteral("task.mp4"));
        std::printf("making a two-minute 1920x1080 H.264 video ...\n");
        std::fflush(stdout);
        // Grain that changes every frame, so that each frame is decoded as a filmed one is.
        QProcess ffmpeg;
        ffmpeg.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        ffmpeg.start(QStringLiteral("ffmpeg"),
                     {QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"),
                      QStringLiteral("-y"), QStringLiteral("-loop"), QStringLiteral("1"), QStringLiteral("-framerate"),
                      QStringLiteral("30"), QStringLiteral("-i"),
                      QStringLiteral("/usr/share/doc/opencv-doc/examples/data/messi5.jpg"), QStringLiteral("-t"),
                      QStringLiteral("120"), QStringLiteral("-vf"),
                      QStringLiteral("scale=1920:1080,noise=alls=12:allf=t,format=yuv420p"), QStringLiteral("-c:v"),
                      QStringLiteral("libx264"), QStringLiteral("-preset"), QStringLiteral("ultrafast"), video});
        if (!ffmpeg.waitForFinished(-1) || ffmpeg.exitCode() != 0) {
            std::fprintf(stderr, "ffmpeg could not make the video\n");
            return 1;
        }
    }

    VideoScorer::Settings settings;
    settings.videoFile = video;
    settings.samplesPerSecond = 5;
    QElapsedTimer timer;
    timer.start();
    QString error;
    const rula::VideoTimeline timeline = VideoScorer::run(settings, {}, {}, &error);
    const double scoring = static_cast<double>(timer.elapsed()) / 1000.0;
    const double memory = peakMegabytes();
    if (!error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }

    // The plain work: the same frames decoded and reduced, and the models run on them, one
    // after the other on this thread.
    VideoDecoder decoder;
    if (!decoder.open(video)) {
        std::fprintf(stderr, "%s\n", qPrintable(decoder.error()));
        return 1;
    }
    pose::PoseFinder finder;
    pose::PoseTracker tracker(finder);
    double decoding = 0;
    double models = 0;
    for (int frame : sampleFrames(decoder.index(), settings.samplesPerSecond)) {
        timer.restart();
        QImage picture = decoder.frame(frame);
        const QSize working = pose::workingSize(picture.size());
        if (picture.size() != working)
            picture = picture.scaled(working, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        decoding += static_cast<double>(timer.nsecsElapsed()) / 1e9;
        timer.restart();
        const pose::BodyLandmarks body = tracker.next(picture);
        models += static_cast<double>(timer.nsecsElapsed()) / 1e9;
        (void)body;
    }
    const double plain = decoding + models;
    int found = 0;
    for (const rula::ScoredSample& sample : timeline.samples)
        found += sample.landmarks.found ? 1 : 0;
    std::printf("video %dx%d, %d frames; %zu samples, the worker found in %d\n", decoder.index().size.width(),
                decoder.index().size.height(), decoder.index().frameCount(), timeline.samples.size(), found);
    std::printf("score the whole video   %6.1f s   peak memory %5.0f MB\n", scoring, memory);
    std::printf("plain: decode %6.1f s + models %6.1f s = %6.1f s\n", decoding, models, plain);
    std::printf("ratio to the plain sum  %6.2f (goal 1.3 or less; under 90 s; under 400 MB)\n", scoring / plain);
    return 0;
}
