// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BandLimits.h"
#include "OptionCatalogue.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rula {

// A point on the picture, in picture pixels: x to the right, y downwards.
struct Point
{
    double x = 0;
    double y = 0;
};

// The body parts whose band can be measured on the picture, in the order they are offered.
enum class BodyPart : int
{
    UpperArmRight,
    UpperArmLeft,
    LowerArmRight,
    LowerArmLeft,
    WristRight,
    WristLeft,
    Neck,
    Trunk,
};
constexpr int BodyPartCount = 8;

struct BodyPartInfo
{
    BodyPart part;
    std::string_view name; // "Upper Arm (Right)"
    AngleKind kind;
    Group group;                             // the main window's group the band is applied to
    std::vector<std::string_view> landmarks; // the points to click, in order: "hip", "shoulder", ...
};

const std::array<BodyPartInfo, BodyPartCount>& bodyParts();
const BodyPartInfo& bodyPartInfo(BodyPart part);

// Which side of the picture the worker faces: forward is that way.
enum class Facing
{
    Left,
    Right,
};

// What every angle of one picture is measured against: the worker's facing, and the
// picture's vertical, or a vertical reference line drawn by the assessor (two points, in
// either order) when the camera was tilted.
struct PictureFrame
{
    Facing facing = Facing::Right;
    std::optional<std::array<Point, 2>> verticalReference;
};

// The geometry, in degrees. Every angle is signed so that forward (towards the side the
// worker faces) is positive; "up" is the picture's vertical or the vertical reference.
// Points that coincide give 0.
//
// Upper arm: hip, shoulder, elbow. The angle from the trunk line (hip to shoulder) turned
// downwards to the upper arm (shoulder to elbow): flexion positive, extension negative.
double upperArmAngle(Point hip, Point shoulder, Point elbow, Facing facing);
// Lower arm: shoulder, elbow, wrist. Forearm flexion: 180° minus the inner angle at the
// elbow, 0° to 180°, whatever the facing.
double lowerArmAngle(Point shoulder, Point elbow, Point wrist);
// Wrist: elbow, wrist, knuckles. The turn from the forearm line to the hand line: positive
// when the hand turns up (anticlockwise on the picture when the worker faces right).
double wristAngle(Point elbow, Point wrist, Point knuckles, Facing facing);
// Neck: shoulder, ear. The angle of the neck line from the trunk line (hip to shoulder,
// when the trunk has been measured) or else from the vertical: flexion positive.
double neckAngle(Point shoulder, Point ear, const std::optional<std::array<Point, 2>>& trunkLine,
                 const PictureFrame& frame);
// Trunk: hip, shoulder. The angle of the trunk line from the vertical: flexion positive.
double trunkAngle(Point hip, Point shoulder, const PictureFrame& frame);

// One measurement on the picture, kept for the run and for the report.
struct Measurement
{
    BodyPart part = BodyPart::UpperArmRight;
    std::vector<Point> points; // the landmarks clicked so far, in bodyPartInfo(part).landmarks order
    double angle = 0;          // signed degrees; valid once every landmark is placed
    int optionIndex = -1;      // index into options() of the band's base option; -1 while incomplete
    bool applied = false;      // the band was applied to the assessment and has not changed since

    bool isComplete() const { return points.size() == bodyPartInfo(part).landmarks.size(); }
};

// Every measurement of one workplace picture: the frame they are measured in and one
// measurement per body part at most, in the order they were started.
class PictureMeasurements
{
public:
    const std::string& pictureFile() const { return m_pictureFile; }
    // Starts afresh for another picture (nothing is kept from the last one); the same file
    // keeps its measurements.
    void setPicture(const std::string& file);

    const PictureFrame& frame() const { return m_frame; }
    void setFacing(Facing facing);
    // Two points of a vertical line on the picture; clearReference() goes back to the
    // picture's own vertical.
    void setVerticalReference(Point first, Point second);
    void clearVerticalReference();

    const std::vector<Measurement>& measurements() const { return m_measurements; }
    const Measurement* find(BodyPart part) const;
    // The measurement of `part`, started empty when there is none yet.
    Measurement& measurement(BodyPart part);
    // Sets the points of `part` (at most its landmarks) and brings every angle up to date.
    void setPoints(BodyPart part, const std::vector<Point>& points);
    void remove(BodyPart part);
    void markApplied(BodyPart part);

private:
    // Recomputes every complete measurement's angle and band; a band that changes is no
    // longer the applied one.
    void update();

    std::string m_pictureFile;
    PictureFrame m_frame;
    std::vector<Measurement> m_measurements;
};

} // namespace rula
