// SPDX-License-Identifier: GPL-3.0-or-later
#include "BodyPose.h"

#include "PoseNetworks.h"
#include "ProgramFolder.h"
#include "ProgramModule.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace pose {

QString landmarkName(Landmark landmark)
{
    static const char* const names[LandmarkCount] = {"hip", "shoulder", "elbow", "wrist", "knuckles", "ear"};
    return QString::fromLatin1(names[int(landmark)]);
}

QString sideName(Side side)
{
    return side == Side::Right ? QStringLiteral("right") : QStringLiteral("left");
}

int BodyLandmarks::confidentCount(Side side) const
{
    int count = 0;
    for (int i = 0; i < LandmarkCount; ++i)
        count += at(side, Landmark(i)).confidence >= ConfidentFrom ? 1 : 0;
    return count;
}

BodyLandmarks BodyLandmarks::scaled(double factor) const
{
    BodyLandmarks out = *this;
    for (LandmarkGuess& guess : out.points)
        guess.at *= factor;
    if (out.next) {
        out.next->centre *= factor;
        out.next->scale *= factor;
    }
    return out;
}

QSize workingSize(QSize natural)
{
    const int longer = std::max(natural.width(), natural.height());
    if (longer <= WorkingSide)
        return natural;
    return natural.scaled(WorkingSide, WorkingSide, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

QString detectorFileName()
{
    return QStringLiteral("pose_detection.onnx");
}

QString landmarkFileName()
{
    return QStringLiteral("pose_landmark_full.onnx");
}

QStringList modelFileNames()
{
    return {detectorFileName(), landmarkFileName()};
}

QString modelFolder()
{
    return QDir(ProgramFolder::path()).filePath(QStringLiteral("models"));
}

namespace {

// Loaded when a person is first looked for, and kept for the rest of the run.
const ModuleEntry<decltype(&talvoCreatePoseNetworks)>& module()
{
    static const auto finder =
        moduleEntry<decltype(&talvoCreatePoseNetworks)>("talvo-pose.so", "talvoCreatePoseNetworks");
    return finder;
}

} // namespace

PoseFinder::PoseFinder(const QString& folder)
{
    const QDir dir(folder);
    for (const QString& name : modelFileNames()) {
        if (!QFileInfo(dir.filePath(name)).isFile()) {
            m_error = QStringLiteral("The pose model %1 is missing; the program's installation is incomplete.")
                          .arg(QDir::toNativeSeparators(dir.filePath(name)));
            return;
        }
    }
    if (!module().call) {
        m_error = QStringLiteral("The landmark finder %1 could not be loaded (%2); the program's installation is "
                                 "incomplete.")
                      .arg(QDir::toNativeSeparators(module().loaded.file), module().loaded.error);
        return;
    }
    QString unreadable;
    m_networks.reset(module().call(dir.filePath(detectorFileName()), dir.filePath(landmarkFileName()), &unreadable));
    if (!m_networks)
        m_error = QStringLiteral("The pose model %1 cannot be read; the program's installation is damaged.")
                      .arg(QDir::toNativeSeparators(unreadable));
}

PoseFinder::~PoseFinder() = default;

bool PoseFinder::isReady() const
{
    return m_networks != nullptr;
}

BodyLandmarks PoseFinder::find(const QImage& picture)
{
    return m_networks ? m_networks->find(picture) : BodyLandmarks{};
}

BodyLandmarks PoseFinder::refine(const QImage& picture, const Alignment& alignment)
{
    return m_networks ? m_networks->refine(picture, alignment) : BodyLandmarks{};
}

QString PoseFinder::moduleFile()
{
    return module().loaded.file;
}

QString PoseFinder::moduleError()
{
    return module().loaded.error;
}

QString PoseFinder::error() const
{
    return m_error;
}

BodyLandmarks PoseTracker::next(const QImage& frame)
{
    m_detected = false;
    if (m_previous) {
        BodyLandmarks body = m_finder.refine(frame, *m_previous);
        if (body.found) {
            m_previous = body.next;
            return body;
        }
    }
    m_detected = true;
    BodyLandmarks body = m_finder.find(frame);
    m_previous = body.found ? body.next : std::nullopt;
    return body;
}

} // namespace pose
