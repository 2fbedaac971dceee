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

double length(Vec v)
{
    return std::hypot(v.x, v.y);
}

double degrees(double radians)
{
    return radians * 180.0 / Pi;
}

// The quarter turn of `up` towards the side the worker faces.
Vec forwardOf(Vec up, Facing facing)
{
    return facing == Facing::Left ? Vec{-up.y, up.x} : Vec{up.y, -up.x};
}

// The angle from `reference` to `v`, positive towards `forward`, -180° to 180°; 0 for a
// direction of no length (the readings refuse those before they get here).
double angleTowards(Vec v, Vec reference, Vec forward)
{
    if (length(v) == 0 || length(reference) == 0)
        return 0;
    return degrees(std::atan2(dot(v, forward), dot(v, reference)));
}

// `angle` moved by whole turns into [start, start + 360).
double readFrom(double angle, int start)
{
    while (angle < start)
        angle += 360;
    while (angle >= start + 360)
        angle -= 360;
    return angle;
}

constexpr std::string_view LandmarkNames[LandmarkCount] = {"hip", "shoulder", "elbow", "wrist", "knuckles", "ear"};

using L = Landmark;
const std::array<BodyPartInfo, BodyPartCount> Parts{{
    {BodyPart::UpperArmRight,
     "Upper Arm (Right)",
     AngleKind::UpperArm,
     Group::UpperRight,
     Side::Right,
     {L::Hip, L::Shoulder, L::Elbow}},
    {BodyPart::UpperArmLeft,
     "Upper Arm (Left)",
     AngleKind::UpperArm,
     Group::UpperLeft,
     Side::Left,
     {L::Hip, L::Shoulder, L::Elbow}},
    {BodyPart::LowerArmRight,
     "Lower Arm (Right)",
     AngleKind::LowerArm,
     Group::LowerRight,
     Side::Right,
     {L::Shoulder, L::Elbow, L::Wrist}},
    {BodyPart::LowerArmLeft,
     "Lower Arm (Left)",
     AngleKind::LowerArm,
     Group::LowerLeft,
     Side::Left,
     {L::Shoulder, L::Elbow, L::Wrist}},
    {BodyPart::WristRight,
     "Wrist (Right)",
     AngleKind::Wrist,
     Group::WristRight,
     Side::Right,
     {L::Elbow, L::Wrist, L::Knuckles}},
    {BodyPart::WristLeft,
     "Wrist (Left)",
     AngleKind::Wrist,
     Group::WristLeft,
     Side::Left,
     {L::Elbow, L::Wrist, L::Knuckles}},
    {BodyPart::Trunk, "Trunk", AngleKind::Trunk, Group::Trunk, std::nullopt, {L::Hip, L::Shoulder}},
    {BodyPart::Neck, "Neck", AngleKind::Neck, Group::Neck, std::nullopt, {L::Hip, L::Shoulder, L::Ear}},
}};

std::vector<Landmark> missingOn(const Skeleton& skeleton, const std::vector<Landmark>& wanted)
{
    std::vector<Landmark> missing;
    for (Landmark l : wanted) {
        if (!skeleton[l])
            missing.push_back(l);
    }
    return missing;
}

std::string tooShort(Landmark a, Landmark b, double pixels)
{
    return "The " + std::string(landmarkName(a)) + " and the " + std::string(landmarkName(b)) + " are " +
           std::to_string(static_cast<int>(std::lround(pixels))) +
           " pixels apart: too close to measure an angle (at least " + std::to_string(shortestSegment()) +
           " pixels). Zoom in and place them apart.";
}

} // namespace

std::string_view landmarkName(Landmark landmark)
{
    return LandmarkNames[static_cast<std::size_t>(landmark)];
}

const std::array<BodyPartInfo, BodyPartCount>& bodyParts()
{
    return Parts;
}

const BodyPartInfo& bodyPartInfo(BodyPart part)
{
    return Parts[static_cast<std::size_t>(part)];
}

bool PictureMeasurements::isEmpty() const
{
    for (const Skeleton& skeleton : sides) {
        for (const auto& landmark : skeleton.landmarks) {
            if (landmark)
                return false;
        }
    }
    return !verticalReference && std::none_of(appliedOption.begin(), appliedOption.end(),
                                              [](const std::optional<int>& o) { return o.has_value(); });
}

void PictureMeasurements::setPicture(const std::string& file)
{
    if (file == pictureFile)
        return;
    *this = PictureMeasurements{};
    pictureFile = file;
}

double upperArmAngle(Point hip, Point shoulder, Point elbow, Facing facing)
{
    const Vec trunkUp = from(hip, shoulder);
    return readFrom(angleTowards(from(shoulder, elbow), negated(trunkUp), forwardOf(trunkUp, facing)),
                    readingStart(AngleKind::UpperArm));
}

double lowerArmAngle(Point shoulder, Point elbow, Point wrist)
{
    const Vec upper = from(elbow, shoulder);
    const Vec fore = from(elbow, wrist);
    if (length(upper) == 0 || length(fore) == 0)
        return 0;
    const double inner = degrees(std::atan2(std::abs(cross(upper, fore)), dot(upper, fore)));
    return 180.0 - inner;
}

double wristAngle(Point elbow, Point wrist, Point knuckles, Facing facing)
{
    const Vec fore = from(elbow, wrist);
    const Vec hand = from(wrist, knuckles);
    if (length(fore) == 0 || length(hand) == 0)
        return 0;
    const double anticlockwise = degrees(std::atan2(cross(fore, hand), dot(fore, hand)));
    return facing == Facing::Left ? -anticlockwise : anticlockwise;
}

double neckAngle(Point hip, Point shoulder, Point ear, Facing facing)
{
    const Vec trunk = from(hip, shoulder);
    return angleTowards(from(shoulder, ear), trunk, forwardOf(trunk, facing));
}

double trunkAngle(Point hip, Point shoulder, Point up, Facing facing)
{
    const Vec upwards{up.x, -up.y};
    return angleTowards(from(hip, shoulder), upwards, forwardOf(upwards, facing));
}

Point upDirection(const std::optional<std::array<Point, 2>>& reference)
{
    if (!reference)
        return Point{0, -1};
    Point line{(*reference)[1].x - (*reference)[0].x, (*reference)[1].y - (*reference)[0].y};
    // Either end may have been clicked first: up is the end higher on the picture.
    if (line.y > 0 || (line.y == 0 && line.x < 0))
        line = Point{-line.x, -line.y};
    if (line.x == 0 && line.y == 0)
        return Point{0, -1};
    return line;
}

std::string verticalReferenceRefusal(Point first, Point second)
{
    const double pixels = std::hypot(second.x - first.x, second.y - first.y);
    if (pixels < shortestSegment())
        return "The two ends of the vertical are " + std::to_string(static_cast<int>(std::lround(pixels))) +
               " pixels apart: too short to give a direction (at least " + std::to_string(shortestSegment()) +
               " pixels).";
    const Point up = upDirection(std::array<Point, 2>{first, second});
    const int tilt = wholeDegrees(degrees(std::atan2(std::abs(up.x), -up.y)));
    if (tilt > steepestReferenceTilt())
        return "This line is " + std::to_string(tilt) + "\u00B0 from the picture's vertical; a vertical reference " +
               "may lean at most " + std::to_string(steepestReferenceTilt()) +
               "\u00B0 from it. It is not used: draw a line that is vertical in the workplace.";
    return {};
}

Reading readPart(const PictureMeasurements& sheet, BodyPart part, Side markingSide)
{
    const BodyPartInfo& info = bodyPartInfo(part);
    Reading reading;
    reading.part = part;
    if (info.side) {
        reading.side = info.side;
    } else {
        for (Side s : {Side::Right, Side::Left}) {
            if (missingOn(sheet.side(s), info.landmarks).empty()) {
                reading.side = s;
                break;
            }
        }
        if (!reading.side)
            reading.side = markingSide;
    }
    const Skeleton& skeleton = sheet.side(*reading.side);
    reading.missing = missingOn(skeleton, info.landmarks);

    const std::optional<int>& applied = sheet.applied(part);
    auto settle = [&reading, &applied] {
        if (applied)
            reading.state = reading.optionIndex == *applied ? PartState::Applied : PartState::ChangedSinceApplied;
        else
            reading.state = reading.angle ? PartState::Measured : PartState::NotMeasured;
        return reading;
    };
    if (!reading.missing.empty())
        return settle();

    std::vector<Point> p;
    for (Landmark l : info.landmarks)
        p.push_back(*skeleton[l]);
    for (std::size_t i = 1; i < p.size(); ++i) {
        const double pixels = std::hypot(p[i].x - p[i - 1].x, p[i].y - p[i - 1].y);
        if (pixels < shortestSegment()) {
            reading.problem = tooShort(info.landmarks[i - 1], info.landmarks[i], pixels);
            return settle();
        }
    }
    if (info.kind != AngleKind::LowerArm && sheet.facing == Facing::Unset) {
        reading.problem = "Choose which way the worker faces first.";
        return settle();
    }
    if (info.kind == AngleKind::Trunk && sheet.verticalReference) {
        const std::string refusal =
            verticalReferenceRefusal((*sheet.verticalReference)[0], (*sheet.verticalReference)[1]);
        if (!refusal.empty()) {
            reading.problem = refusal;
            return settle();
        }
    }

    double angle = 0;
    switch (info.kind) {
    case AngleKind::UpperArm:
        angle = upperArmAngle(p[0], p[1], p[2], sheet.facing);
        break;
    case AngleKind::LowerArm:
        angle = lowerArmAngle(p[0], p[1], p[2]);
        break;
    case AngleKind::Wrist:
        angle = wristAngle(p[0], p[1], p[2], sheet.facing);
        break;
    case AngleKind::Trunk:
        angle = trunkAngle(p[0], p[1], upDirection(sheet.verticalReference), sheet.facing);
        break;
    case AngleKind::Neck:
        angle = neckAngle(p[0], p[1], p[2], sheet.facing);
        break;
    }
    reading.angle = angle;
    reading.bandFromSeating = info.kind == AngleKind::Trunk && sheet.seatedSupported;
    const int option = reading.bandFromSeating ? 1 : bandOption(info.kind, angle);
    reading.optionIndex = groupInfo(info.group).firstOption + option - 1;
    reading.facingNote = facingNote(info.kind, angle);
    if (!reading.bandFromSeating)
        reading.borderline = nearLimit(info.kind, info.group, angle);
    return settle();
}

} // namespace rula
