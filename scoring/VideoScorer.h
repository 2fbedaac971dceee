// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "VideoScoring.h"

#include <QString>

#include <functional>
#include <vector>

class VideoDecoder;
struct VideoIndex;

namespace pose {
struct BodyLandmarks;
}

// The frames sampled at `samplesPerSecond`: the frame on screen at 0 s, 1/N s, 2/N s ... up to
// the last frame's start, each once.
std::vector<int> sampleFrames(const VideoIndex& index, int samplesPerSecond);

// The video's length in seconds, from frame 0 to the start of its last frame.
double videoDuration(const VideoIndex& index);

// The six landmarks per side of the model's person, for scoring.
rula::SampleLandmarks sampleLandmarks(const pose::BodyLandmarks& body);

// Scores a whole video, on the calling thread and one more: one decodes the sampled frames
// (reduced to the pose models' working size) while the other follows the worker from sample to
// sample (the person detector runs only when the worker is lost) and scores each. Memory stays
// the same whatever the video's length: at most a few frames wait between the two.
class VideoScorer
{
public:
    struct Settings
    {
        QString videoFile;
        int samplesPerSecond = 5;
        rula::AssessmentState assessor; // the choices on Main: what the camera cannot see
        QString modelFolder;            // empty: where the program finds its models
    };

    // Called after each sample with the timeline so far and the number of samples in all.
    using Progress = std::function<void(const rula::VideoTimeline& timeline, int total)>;

    // Runs to the end, until `cancelled` returns true (asked between samples and while a frame
    // is decoded), or until a frame cannot be decoded. The timeline holds what was scored until
    // then (complete only when every sample was); `error` is empty unless the video or the
    // models could not be opened or a frame decoded: then it says why in one sentence.
    static rula::VideoTimeline run(const Settings& settings, const std::function<bool()>& cancelled,
                                   const Progress& progress, QString* error);
};
