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

// The worker's two sides. Each has its own skeleton of landmarks on the picture.
enum class Side : int
{
    Right,
    Left,
};
constexpr int SideCount = 2;

// The landmarks of one side, in the order the assessor is asked for them: down the body's
// chain from the hip to the knuckles, then the ear.
enum class Landmark : int
{
    Hip,
    Shoulder,
    Elbow,
    Wrist,
    Knuckles,
    Ear,
};
constexpr int LandmarkCount = 6;

// "hip", "shoulder", "elbow", "wrist", "knuckles", "ear".
std::string_view landmarkName(Landmark landmark);

// A landmark the program found on the picture by itself and suggested: where, and how
// confident it was, from 0 to 1.
struct Suggestion
{
    Point at;
    double confidence = 0;
};

// The landmarks of one side placed on the picture; each is unset until it is clicked (or
// suggested). `suggested` keeps what was suggested for each, whether the assessor moved it
// since or not.
struct Skeleton
{
    std::array<std::optional<Point>, LandmarkCount> landmarks;
    std::array<std::optional<Suggestion>, LandmarkCount> suggested;

    // The landmark is placed where it was suggested (the assessor has not moved it).
    bool asSuggested(Landmark l) const
    {
        const std::optional<Point>& at = landmarks[static_cast<std::size_t>(l)];
        const std::optional<Suggestion>& s = suggested[static_cast<std::size_t>(l)];
        return at && s && at->x == s->at.x && at->y == s->at.y;
    }

    const std::optional<Point>& operator[](Landmark l) const { return landmarks[static_cast<std::size_t>(l)]; }
    std::optional<Point>& operator[](Landmark l) { return landmarks[static_cast<std::size_t>(l)]; }
};

// The body parts whose band can be measured on the picture, in the order they are offered:
// the trunk before the neck, which is measured from the trunk line.
enum class BodyPart : int
{
    UpperArmRight,
    UpperArmLeft,
    LowerArmRight,
    LowerArmLeft,
    WristRight,
    WristLeft,
    Trunk,
    Neck,
};
constexpr int BodyPartCount = 8;

struct BodyPartInfo
{
    BodyPart part;
    std::string_view name; // "Upper Arm (Right)"
    AngleKind kind;
    Group group;                     // the main window's group the band is applied to
    std::optional<Side> side;        // the side of an arm's part; none for the trunk and the neck
    std::vector<Landmark> landmarks; // the landmarks the angle needs, in chain order
};

const std::array<BodyPartInfo, BodyPartCount>& bodyParts();
const BodyPartInfo& bodyPartInfo(BodyPart part);

// Which side of the picture the worker faces: forward is that way. Unset until the assessor
// says so; nothing that depends on it is measured before.
enum class Facing : int
{
    Unset,
    Left,
    Right,
};

// Everything measured on one picture (or one key frame of a video), kept as plain fields so
// that it can be written out and read back field by field.
struct PictureMeasurements
{
    std::string pictureFile;
    Facing facing = Facing::Unset;
    // Two points of a line that is vertical in the workplace (either end first), used instead
    // of the picture's vertical when the camera was tilted.
    std::optional<std::array<Point, 2>> verticalReference;
    // "Seated, trunk well supported": the method scores such a trunk 1 whatever its angle.
    bool seatedSupported = false;
    std::array<Skeleton, SideCount> sides; // indexed by Side
    // Per body part (indexed by BodyPart): the option (an index into options()) that Apply
    // last selected on the main window; unset when the part was never applied.
    std::array<std::optional<int>, BodyPartCount> appliedOption;

    Skeleton& side(Side s) { return sides[static_cast<std::size_t>(s)]; }
    const Skeleton& side(Side s) const { return sides[static_cast<std::size_t>(s)]; }
    std::optional<int>& applied(BodyPart p) { return appliedOption[static_cast<std::size_t>(p)]; }
    const std::optional<int>& applied(BodyPart p) const { return appliedOption[static_cast<std::size_t>(p)]; }

    // True while no landmark, reference line or applied band has been set.
    bool isEmpty() const;
    // Starts afresh for another picture (nothing is kept from the last one); the same file
    // keeps its measurements.
    void setPicture(const std::string& file);
};

// The geometry, in degrees, for a worker facing Left or Right (not Unset). Every angle is
// signed so that forward (towards the side the worker faces) is positive; `up` is the
// direction of the picture's vertical or of the vertical reference, in picture pixels.
//
// Upper arm: hip, shoulder, elbow. The angle from the trunk line (hip to shoulder) turned
// downwards to the upper arm (shoulder to elbow): flexion positive and continuing past the
// overhead position, extension negative, read over the range a shoulder can take
// (readingRange(AngleKind::UpperArm)).
double upperArmAngle(Point hip, Point shoulder, Point elbow, Facing facing);
// Lower arm: shoulder, elbow, wrist. Forearm flexion: 180° minus the inner angle at the
// elbow, 0° to 180°, whatever the facing.
double lowerArmAngle(Point shoulder, Point elbow, Point wrist);
// Wrist: elbow, wrist, knuckles. The turn from the forearm line to the hand line: positive
// when the hand turns up (anticlockwise on the picture when the worker faces right).
double wristAngle(Point elbow, Point wrist, Point knuckles, Facing facing);
// Neck: hip, shoulder, ear. The angle of the neck line (shoulder to ear) from the trunk line
// (hip to shoulder): flexion positive.
double neckAngle(Point hip, Point shoulder, Point ear, Facing facing);
// Trunk: hip, shoulder. The angle of the trunk line from `up`: flexion positive.
double trunkAngle(Point hip, Point shoulder, Point up, Facing facing);

// The picture's up for `reference` (either end first), or the picture's own vertical.
Point upDirection(const std::optional<std::array<Point, 2>>& reference);

// Why a line from `first` to `second` cannot serve as the vertical reference (too short, or
// too far from the picture's vertical); empty when it can.
std::string verticalReferenceRefusal(Point first, Point second);

// Where a body part stands: nothing to show yet, measured, applied as measured, or applied
// with a band that has changed since.
enum class PartState
{
    NotMeasured,
    Measured,
    Applied,
    ChangedSinceApplied,
};

// What the landmarks of a picture say about one body part.
struct Reading
{
    BodyPart part = BodyPart::UpperArmRight;
    std::optional<Side> side;            // the skeleton read; for the trunk and neck, the one with their landmarks
    std::vector<Landmark> missing;       // landmarks still to place on that side, in chain order
    std::optional<double> angle;         // signed degrees; unset while nothing can be measured
    int optionIndex = -1;                // the band's base option in options(); -1 without an angle
    bool bandFromSeating = false;        // the trunk band is 1 because the worker sits well supported
    std::string problem;                 // why there is no angle although every landmark is placed
    std::string facingNote;              // the angle is implausible for the chosen facing
    std::optional<NearLimit> borderline; // within reach of one of the method's band limits
    PartState state = PartState::NotMeasured;
};

// Reads `part` from `sheet`. The trunk and the neck are read from the right side's skeleton
// when it holds their landmarks, else from the left's; when neither does, `markingSide` is
// the side whose missing landmarks are listed.
Reading readPart(const PictureMeasurements& sheet, BodyPart part, Side markingSide = Side::Right);

} // namespace rula
