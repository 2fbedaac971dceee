// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AssessmentState.h"
#include "PostureAngles.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace rula {

// A landmark the tool found on a frame, with how sure the finder is of it (0 to 1).
struct FoundLandmark
{
    Point at;
    double confidence = 0;
};

// What the landmark finder gave for one sample of a video: per side (indexed by Side) each
// landmark, unset where it gave none. `found` is false when the worker was not found at all.
struct SampleLandmarks
{
    bool found = false;
    std::array<std::array<std::optional<FoundLandmark>, LandmarkCount>, SideCount> sides{};

    std::optional<FoundLandmark>& at(Side side, Landmark landmark)
    {
        return sides[static_cast<std::size_t>(side)][static_cast<std::size_t>(landmark)];
    }
    const std::optional<FoundLandmark>& at(Side side, Landmark landmark) const
    {
        return sides[static_cast<std::size_t>(side)][static_cast<std::size_t>(landmark)];
    }
};

// The lowest confidence a landmark needs for an angle to be measured from it; below it the
// part, and so its side, is not scored in that sample.
double lowestTrustedConfidence();

// The body parts a video sample measures on each side, in the order of the score columns.
enum class ScoredPart : int
{
    UpperArm,
    LowerArm,
    Wrist,
    Neck,
    Trunk,
};
constexpr int ScoredPartCount = 5;

// The main window's group a part of `side` is scored in.
Group scoredPartGroup(ScoredPart part, Side side);

// One part of one side in one sample.
struct PartScore
{
    std::optional<double> angle; // signed degrees, as Measure Angles shows them; unset when not measured
    int option = 0;              // the band: the base option's number within its group; 0 when not measured
    int score = 0;               // the band's score plus the assessor's adjustments of that group
    double confidence = 0;       // the lowest confidence of the landmarks it is measured from
};

// One side in one sample: scored only when every part was measured.
struct SideScore
{
    bool scored = false;
    double confidence = 0; // the lowest confidence of the side's six landmarks; 0 when one is missing
    std::array<PartScore, ScoredPartCount> parts{};
    int grand = 0;       // 1 to 7 when scored
    int actionLevel = 0; // 1 to 4 when scored

    const PartScore& part(ScoredPart p) const { return parts[static_cast<std::size_t>(p)]; }
};

// One sample of the video: the frame, its time from frame 0, what was found and the scores.
struct ScoredSample
{
    int frame = 0;
    double timeSeconds = 0;
    SampleLandmarks landmarks;
    Facing facing = Facing::Unset;
    std::array<SideScore, SideCount> sides{};

    const SideScore& side(Side s) const { return sides[static_cast<std::size_t>(s)]; }
    // The higher grand score of the sides scored; unset when neither was.
    std::optional<int> worstGrand() const;
};

// A whole video scored: which video (its file and SHA-256 in hexadecimal) and how long it runs,
// at how many samples a second, the groups counted at their lowest score, and the samples
// scored in frame order.
// `complete` is false when scoring stopped early (cancelled or a frame that cannot be decoded):
// the samples are those scored until then.
struct VideoTimeline
{
    std::string videoFile;
    std::string videoSha256;
    double durationSeconds = 0; // from frame 0 to the start of the last frame
    int samplesPerSecond = 5;
    std::vector<Group> defaulted;
    std::vector<ScoredSample> samples;
    bool complete = false;
};

// What the camera cannot see (muscle use, force, legs, wrist twist and the adjustments) is
// the assessor's choice on the main window. A group whose base option was not chosen there
// is counted at its lowest score and named in `defaulted`, in group order. The measured
// groups (the arms' bands, neck and trunk) need no choice: their band comes from the video.
struct UnseenChoices
{
    AssessmentState state;
    std::vector<Group> defaulted;
};
UnseenChoices unseenChoices(const AssessmentState& assessor);

// "Wrist Twist Right, Legs, Muscle Right Upper"; empty when nothing was defaulted.
std::string defaultedText(const std::vector<Group>& defaulted);

// The way the worker faces on a sample: towards the side of the picture the ears are on,
// seen from the shoulders (the confident landmarks of both sides together). Unset when no
// confident ear and shoulder were found or they are level.
Facing facingOf(const SampleLandmarks& landmarks);

// Scores one sample: per side, the angles and bands of upper arm, lower arm, wrist, neck and
// trunk from that side's own landmarks (measured as Measure Angles measures them), each with
// its confidence; then, with the groups the camera cannot see taken from `unseen`, the grand
// score and action level by the method's tables, as the main window computes them.
ScoredSample scoreSample(int frame, double timeSeconds, const SampleLandmarks& landmarks,
                         const AssessmentState& unseen);

// The share, in whole percent, of a side's scored samples at each action level (index 0 is
// level 1). The samples are equally spaced, so a share of samples is a share of the scored
// time. The four are rounded to add up to 100 (largest remainders first). Unset when the side
// was scored in no sample.
std::optional<std::array<int, 4>> levelShares(const std::vector<ScoredSample>& samples, Side side);

// "Right side: level 1 12 %, level 2 30 %, level 3 48 %, level 4 10 %", or
// "Left side: not found in any sample".
std::string sharesText(const std::vector<ScoredSample>& samples, Side side);

// "right 7 (level 4), left not found": each side's grand score and action level in a sample.
std::string sampleScoresText(const ScoredSample& sample);

// The worst moments: the samples (indices into `samples`) at the top of each peak of the
// worse side's grand score, highest first, each at least `separationSeconds` from those
// before it, at most `most`. A peak is a run of equal scores higher than the samples either
// side (a sample where the worker was not found ends a run); its middle sample stands for it.
// Equal peaks are ordered by both sides' grand scores together, then by time.
std::vector<std::size_t> proposedKeyFrames(const std::vector<ScoredSample>& samples, double separationSeconds = 1.0,
                                           int most = 5);

} // namespace rula
