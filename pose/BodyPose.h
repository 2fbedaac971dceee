// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QPointF>
#include <QSize>
#include <QString>
#include <QStringList>

#include <array>
#include <memory>
#include <optional>

// Finding a worker's body landmarks on a picture, offline, on the computer's own processor.
//
// Two neural networks do it (BlazePose, Apache-2.0, converted at build time to ONNX and run by
// OpenCV's dnn module): a person detector on the whole picture, letter-boxed to 224x224,
// which gives each person's box and two key points (the middle of the hips, and a point whose
// distance and direction from it give the body's size and tilt); then a landmark model on a
// 256x256 crop turned upright around that person, which gives 33 body landmarks and two
// alignment points from which the next video frame's crop is made without the detector.
//
// The program needs six landmarks per side: hip, shoulder, elbow, wrist, knuckles (the middle
// of the index and little-finger knuckles) and ear. Every place is in the pixels of the image
// handed in, which the caller has already turned upright (a photograph's EXIF orientation, a
// video frame's display rotation), so the places are where the assessor sees them.
//
// Running the models takes a tenth of a second or more: callers run them off the interface
// thread. A PoseFinder is used by one thread at a time (each holds its own networks); two
// finders may run side by side. OpenCV spreads each network's layers over every core.
namespace pose {

// The person's own side, as the RULA worksheet scores it.
enum class Side
{
    Right,
    Left,
};

// The landmarks the program measures with, in the order Measure Angles asks for them.
enum class Landmark
{
    Hip,
    Shoulder,
    Elbow,
    Wrist,
    Knuckles,
    Ear,
};
constexpr int LandmarkCount = 6;

// "hip", "shoulder", "elbow", "wrist", "knuckles", "ear"; "right", "left".
QString landmarkName(Landmark landmark);
QString sideName(Side side);

// Below this confidence a suggested landmark is shown as one to check.
constexpr double ConfidentFrom = 0.5;

struct LandmarkGuess
{
    QPointF at;            // in picture pixels; may lie outside the picture
    double confidence = 0; // from 0 to 1: how likely the landmark is visible there
};

// Which way the person looks in the picture, from the head against the shoulders.
enum class Facing
{
    Unknown,
    Left,  // toward the picture's left edge
    Right, // toward the picture's right edge
};

// The two points a video frame's crop is made from: the body's centre and the point giving
// its size and tilt, in picture pixels. The detector gives them; the landmark model gives
// them again for the next frame.
struct Alignment
{
    QPointF centre;
    QPointF scale;
};

struct BodyLandmarks
{
    bool found = false;  // a person was found; nothing else is meaningful otherwise
    int people = 0;      // persons the detector saw (0 when the frame was tracked without it)
    double presence = 0; // the landmark model's probability that a person is in its crop
    std::array<LandmarkGuess, 2 * LandmarkCount> points{}; // right side first, in Landmark order
    Facing facing = Facing::Unknown;
    std::optional<Alignment> next; // where the next frame's crop comes from

    const LandmarkGuess& at(Side side, Landmark landmark) const
    {
        return points[std::size_t(side) * LandmarkCount + std::size_t(landmark)];
    }
    // How many of one side's landmarks have at least ConfidentFrom.
    int confidentCount(Side side) const;
    // The same with every place multiplied by `factor`: the places on a copy of the picture
    // reduced or enlarged by it.
    BodyLandmarks scaled(double factor) const;
};

// The model files, by name, and the folder the program finds them in: "models" beside the
// executable, or in ../lib/talvo-rula/models when installed (ProgramFolder).
QString detectorFileName();   // pose_detection.onnx
QString landmarkFileName();   // pose_landmark_full.onnx
QStringList modelFileNames(); // both
QString modelFolder();

// The models see a person at 224 and 256 pixels: a larger picture is looked at as a copy
// whose longer side is at most WorkingSide, which costs no accuracy and keeps the time
// independent of the camera. The places found on that copy are scaled back with
// BodyLandmarks::scaled(natural width / copy width).
constexpr int WorkingSide = 1280;
QSize workingSize(QSize natural);

class PoseNetworks;

// Finds the person on a picture. The networks run in the module talvo-pose.so (OpenCV's dnn
// module and the many libraries it needs), loaded by the first finder made, not at every
// start of the program.
class PoseFinder
{
public:
    // Loads both models from `folder`. A folder without them, a file OpenCV cannot read, or a
    // module that cannot be loaded leaves the finder not ready, with error() saying which file and why in one sentence.
    explicit PoseFinder(const QString& folder = modelFolder());
    ~PoseFinder();
    PoseFinder(const PoseFinder&) = delete;
    PoseFinder& operator=(const PoseFinder&) = delete;

    bool isReady() const;
    QString error() const;

    // The person on one picture: the detector, then the landmark model on the largest person
    // found. A picture without a person gives found == false.
    BodyLandmarks find(const QImage& picture);

    // The landmark model alone, on the crop made from `alignment` (a previous frame's
    // BodyLandmarks::next). found is false when the model sees no person there.
    BodyLandmarks refine(const QImage& picture, const Alignment& alignment);

    // Where the module is, or would be, and why it could not be loaded (empty when it was).
    static QString moduleFile();
    static QString moduleError();

private:
    std::unique_ptr<PoseNetworks> m_networks;
    QString m_error;
};

// A sequence of frames of one video: each frame's crop comes from the previous frame's
// alignment points, and the detector runs only on the first frame and when the person is lost
// (the landmark model's presence falls below ConfidentFrom). Frames are handed in order; a
// jump (a seek) should reset() first.
class PoseTracker
{
public:
    explicit PoseTracker(PoseFinder& finder) : m_finder(finder) {}

    BodyLandmarks next(const QImage& frame);
    void reset() { m_previous.reset(); }
    // Whether the last next() ran the detector.
    bool detected() const { return m_detected; }

private:
    PoseFinder& m_finder;
    std::optional<Alignment> m_previous;
    bool m_detected = false;
};

} // namespace pose
