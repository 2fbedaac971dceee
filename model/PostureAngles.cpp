// SPDX-License-Identifier: GPL-3.0-or-later
#include "PostureAngles.h"

#include <algorithm>
#include <cmath>

namespace rula {
namespace {

constexpr double Pi = 3.14159265358979323846;

// A direction with y upwards, so that anticlockwise turns are positive as on paper.
struct Vec
{
    double x = 0;
    double y = 0;
};

Vec from(Point tail, Point head)
{
    return Vec{head.x - tail.x, tail.y - head.y};
}

double dot(Vec a, Vec b)
{
    return a.x * b.x + a.y * b.y;
}

double cross(Vec a, Vec b)
{
    return a.x * b.y - a.y * b.x;
}

Vec negated(Vec v)
{
    return Vec{-v.x, -v.y};
}

double degrees(double radians)
{
    return radians * 180.0 / Pi;
}

// The quarter turn of `up` towards the side the worker faces.
Vec forwardOf(Vec up, Facing facing)
{
    return facing == Facing::Right ? Vec{up.y, -up.x} : Vec{-up.y, up.x};
}

// The angle from `reference` to `v`, positive towards `forward`, -180° to 180°.
double angleTowards(Vec v, Vec reference, Vec forward)
{
    if ((v.x == 0 && v.y == 0) || (reference.x == 0 && reference.y == 0))
        return 0;
    return degrees(std::atan2(dot(v, forward), dot(v, reference)));
}

Vec pictureUp(const PictureFrame& frame)
{
    if (!frame.verticalReference)
        return Vec{0, 1};
    Vec line = from((*frame.verticalReference)[0], (*frame.verticalReference)[1]);
    if (line.x == 0 && line.y == 0)
        return Vec{0, 1};
    // Either end may have been clicked first: up is the end higher on the picture.
    if (line.y < 0 || (line.y == 0 && line.x < 0))
        line = negated(line);
    return line;
}

const std::array<BodyPartInfo, BodyPartCount> Parts{{
    {BodyPart::UpperArmRight,
     "Upper Arm (Right)",
     AngleKind::UpperArm,
     Group::UpperRight,
     {"hip", "shoulder", "elbow"}},
    {BodyPart::UpperArmLeft, "Upper Arm (Left)", AngleKind::UpperArm, Group::UpperLeft, {"hip", "shoulder", "elbow"}},
    {BodyPart::LowerArmRight,
     "Lower Arm (Right)",
     AngleKind::LowerArm,
     Group::LowerRight,
     {"shoulder", "elbow", "wrist"}},
    {BodyPart::LowerArmLeft, "Lower Arm (Left)", AngleKind::LowerArm, Group::LowerLeft, {"shoulder", "elbow", "wrist"}},
    {BodyPart::WristRight, "Wrist (Right)", AngleKind::Wrist, Group::WristRight, {"elbow", "wrist", "knuckles"}},
    {BodyPart::WristLeft, "Wrist (Left)", AngleKind::Wrist, Group::WristLeft, {"elbow", "wrist", "knuckles"}},
    {BodyPart::Neck, "Neck", AngleKind::Neck, Group::Neck, {"shoulder", "ear"}},
    {BodyPart::Trunk, "Trunk", AngleKind::Trunk, Group::Trunk, {"hip", "shoulder"}},
}};

} // namespace

const std::array<BodyPartInfo, BodyPartCount>& bodyParts()
{
    return Parts;
}

const BodyPartInfo& bodyPartInfo(BodyPart part)
{
    return Parts[static_cast<std::size_t>(part)];
}

double upperArmAngle(Point hip, Point shoulder, Point elbow, Facing facing)
{
    const Vec trunkUp = from(hip, shoulder);
    return angleTowards(from(shoulder, elbow), negated(trunkUp), forwardOf(trunkUp, facing));
}

double lowerArmAngle(Point shoulder, Point elbow, Point wrist)
{
    const Vec upper = from(elbow, shoulder);
    const Vec fore = from(elbow, wrist);
    if ((upper.x == 0 && upper.y == 0) || (fore.x == 0 && fore.y == 0))
        return 0;
    const double inner = degrees(std::atan2(std::abs(cross(upper, fore)), dot(upper, fore)));
    return 180.0 - inner;
}

double wristAngle(Point elbow, Point wrist, Point knuckles, Facing facing)
{
    const Vec fore = from(elbow, wrist);
    const Vec hand = from(wrist, knuckles);
    if ((fore.x == 0 && fore.y == 0) || (hand.x == 0 && hand.y == 0))
        return 0;
    const double anticlockwise = degrees(std::atan2(cross(fore, hand), dot(fore, hand)));
    return facing == Facing::Right ? anticlockwise : -anticlockwise;
}

double neckAngle(Point shoulder, Point ear, const std::optional<std::array<Point, 2>>& trunkLine,
                 const PictureFrame& frame)
{
    Vec up = pictureUp(frame);
    if (trunkLine) {
        const Vec trunk = from((*trunkLine)[0], (*trunkLine)[1]);
        if (trunk.x != 0 || trunk.y != 0)
            up = trunk;
    }
    return angleTowards(from(shoulder, ear), up, forwardOf(up, frame.facing));
}

double trunkAngle(Point hip, Point shoulder, const PictureFrame& frame)
{
    const Vec up = pictureUp(frame);
    return angleTowards(from(hip, shoulder), up, forwardOf(up, frame.facing));
}

void PictureMeasurements::setPicture(const std::string& file)
{
    if (file == m_pictureFile)
        return;
    m_pictureFile = file;
    m_frame = PictureFrame{};
    m_measurements.clear();
}

void PictureMeasurements::setFacing(Facing facing)
{
    m_frame.facing = facing;
    update();
}

void PictureMeasurements::setVerticalReference(Point first, Point second)
{
    m_frame.verticalReference = std::array<Point, 2>{first, second};
    update();
}

void PictureMeasurements::clearVerticalReference()
{
    m_frame.verticalReference.reset();
    update();
}

const Measurement* PictureMeasurements::find(BodyPart part) const
{
    const auto it = std::find_if(m_measurements.begin(), m_measurements.end(),
                                 [part](const Measurement& m) { return m.part == part; });
    return it == m_measurements.end() ? nullptr : &*it;
}

Measurement& PictureMeasurements::measurement(BodyPart part)
{
    const auto it = std::find_if(m_measurements.begin(), m_measurements.end(),
                                 [part](const Measurement& m) { return m.part == part; });
    if (it != m_measurements.end())
        return *it;
    Measurement fresh;
    fresh.part = part;
    m_measurements.push_back(fresh);
    return m_measurements.back();
}

void PictureMeasurements::setPoints(BodyPart part, const std::vector<Point>& points)
{
    Measurement& m = measurement(part);
    const std::size_t wanted = bodyPartInfo(part).landmarks.size();
    m.points.assign(points.begin(), points.begin() + static_cast<std::ptrdiff_t>(std::min(points.size(), wanted)));
    update();
}

void PictureMeasurements::remove(BodyPart part)
{
    m_measurements.erase(std::remove_if(m_measurements.begin(), m_measurements.end(),
                                        [part](const Measurement& m) { return m.part == part; }),
                         m_measurements.end());
    update();
}

void PictureMeasurements::markApplied(BodyPart part)
{
    Measurement& m = measurement(part);
    m.applied = m.optionIndex >= 0;
}

void PictureMeasurements::update()
{
    std::optional<std::array<Point, 2>> trunkLine;
    if (const Measurement* trunk = find(BodyPart::Trunk); trunk && trunk->isComplete())
        trunkLine = std::array<Point, 2>{trunk->points[0], trunk->points[1]};

    for (Measurement& m : m_measurements) {
        const BodyPartInfo& info = bodyPartInfo(m.part);
        int option = -1;
        if (m.isComplete()) {
            const std::vector<Point>& p = m.points;
            switch (info.kind) {
            case AngleKind::UpperArm:
                m.angle = upperArmAngle(p[0], p[1], p[2], m_frame.facing);
                break;
            case AngleKind::LowerArm:
                m.angle = lowerArmAngle(p[0], p[1], p[2]);
                break;
            case AngleKind::Wrist:
                m.angle = wristAngle(p[0], p[1], p[2], m_frame.facing);
                break;
            case AngleKind::Neck:
                m.angle = neckAngle(p[0], p[1], trunkLine, m_frame);
                break;
            case AngleKind::Trunk:
                m.angle = trunkAngle(p[0], p[1], m_frame);
                break;
            }
            option = groupInfo(info.group).firstOption + bandOption(info.kind, m.angle) - 1;
        } else {
            m.angle = 0;
        }
        if (option != m.optionIndex)
            m.applied = false;
        m.optionIndex = option;
    }
}

} // namespace rula
