// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BodyPose.h"

#include <QImage>
#include <QString>

namespace pose {

// The two networks, loaded: what PoseFinder forwards to. Made by the module talvo-pose.so,
// which alone links OpenCV.
class PoseNetworks
{
public:
    PoseNetworks() = default;
    virtual ~PoseNetworks() = default;
    PoseNetworks(const PoseNetworks&) = delete;
    PoseNetworks& operator=(const PoseNetworks&) = delete;

    virtual BodyLandmarks find(const QImage& picture) = 0;
    virtual BodyLandmarks refine(const QImage& picture, const Alignment& alignment) = 0;
};

} // namespace pose

// The module's one entry point: the networks of the model files `detector` and `landmarks`,
// owned by the caller; none when OpenCV cannot read one, whose path `unreadable` then holds.
extern "C" pose::PoseNetworks* talvoCreatePoseNetworks(const QString& detector, const QString& landmarks,
                                                       QString* unreadable);
