// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "PostureAngles.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

// Why a frame of the task's video was kept, as stored and shown: the postures the method asks
// the assessor to score.
const QStringList& keyFrameReasons();

// The reason a new key frame starts with.
QString defaultKeyFrameReason();

// One frame of a video of the task kept as a picture to score: what identifies it for good (the
// video's name and SHA-256, the frame's number and its presentation timestamp in the stream's
// time base), why it was kept, and the angles measured on it. The one shape of a key frame: the
// Video Frames window keeps these, the evidence stores them, the report and the team database
// show them.
struct KeyFrame
{
    QString videoFile;   // the video's file name, without its folder
    QString videoSha256; // of the video file, 64 lowercase hex digits
    int frameNumber = 0; // from 0
    qint64 pts = 0;      // presentation timestamp in the stream's time base
    qint64 startPts = 0; // that of frame 0
    int timeBaseNum = 1;
    int timeBaseDen = 1;
    qint64 timeMs = 0;                        // from frame 0
    QString reason = defaultKeyFrameReason(); // one of keyFrameReasons()
    QString note;
    // How the video's stored picture was turned to make the frame upright, as its display
    // matrix says: clockwise degrees (0, 90, 180 or 270), then mirrored left to right. The
    // frame's picture and the landmarks on it are in the upright frame's pixels.
    int rotation = 0;
    bool mirrored = false;
    // The frame as a lossless PNG file where this run keeps it; the evidence keeps its bytes
    // instead (then this is empty).
    QString pictureFile;
    rula::PictureMeasurements measurements; // the landmarks, facing, vertical and bands of this frame
};
