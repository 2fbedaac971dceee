// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "PostureAngles.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

struct ProgramState;

// Why a frame of the task's video was kept: the postures the method asks the assessor to score.
enum class KeyFrameReason
{
    MostFrequent,
    LongestHeld,
    GreatestForce,
    MostExtreme,
    Other,
};

// The reasons' texts, in the order of KeyFrameReason.
const QStringList& keyFrameReasonTexts();

// One frame of a video taken as the workplace picture, with what identifies it for good: the
// video's file name and SHA-256, the frame's number and its presentation timestamp in the
// stream's time base, and the angles measured on it.
struct KeyFrame
{
    QString pictureFile; // the frame as a lossless PNG
    QString videoFile;
    QByteArray videoSha256; // hexadecimal
    int frameNumber = 0;
    std::int64_t pts = 0;
    std::int64_t startPts = 0; // the presentation timestamp of frame 0
    int timeBaseNum = 1;
    int timeBaseDen = 1;
    std::int64_t timeMs = 0; // from frame 0
    KeyFrameReason reason = KeyFrameReason::MostExtreme;
    QString note;
    rula::PictureMeasurements measurements;
};

// Copies the angles measured on the workplace picture into the key frame that picture is,
// if it is one. Called before the measurements start afresh for another picture, and before
// the key frames are read.
void keepKeyFrameMeasurements(ProgramState& state);
