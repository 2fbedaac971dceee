// SPDX-License-Identifier: GPL-3.0-or-later
#include "VideoScoring.h"

#include "ActionLevels.h"
#include "ScoreTables.h"

#include <algorithm>
#include <cmath>

namespace rula {
namespace {

constexpr std::array<Group, 2> UpperArmGroups{Group::UpperRight, Group::UpperLeft}; // indexed by Side
constexpr std::array<Group, 2> LowerArmGroups{Group::LowerRight, Group::LowerLeft};
constexpr std::array<Group, 2> WristGroups{Group::WristRight, Group::WristLeft};

// The body part of Measure Angles that measures `part` on `side`.
BodyPart bodyPartOf(ScoredPart part, Side side)
{
    const bool right = side == Side::Right;
    switch (part) {
    case ScoredPart::UpperArm:
        return right ? BodyPart::UpperArmRight : BodyPart::UpperArmLeft;
    case ScoredPart::LowerArm:
        return right ? BodyPart::LowerArmRight : BodyPart::LowerArmLeft;
    case ScoredPart::Wrist:
        return right ? BodyPart::WristRight : BodyPart::WristLeft;
    case ScoredPart::Neck:
        return BodyPart::Neck;
    case ScoredPart::Trunk:
        break;
    }
    return BodyPart::Trunk;
}

bool measuredGroup(Group group)
{
    for (Side side : {Side::Right, Side::Left}) {
        for (int p = 0; p < ScoredPartCount; ++p) {
            if (scoredPartGroup(static_cast<ScoredPart>(p), side) == group)
                return true;
        }
    }
    return false;
}

// The index in options() of the group's base option with the lowest score (the first of equals).
int lowestBaseOption(Group group)
{
    const GroupInfo& info = groupInfo(group);
    int lowest = -1;
    for (int i = info.firstOption; i < info.firstOption + info.optionCount; ++i) {
        const OptionInfo& option = options()[static_cast<std::size_t>(i)];
        if (option.kind == OptionKind::Base &&
            (lowest < 0 || option.value < options()[static_cast<std::size_t>(lowest)].value))
            lowest = i;
    }
    return lowest;
}

} // namespace

double lowestTrustedConfidence()
{
    return 0.5;
}

Group scoredPartGroup(ScoredPart part, Side side)
{
    const auto s = static_cast<std::size_t>(side);
    switch (part) {
    case ScoredPart::UpperArm:
        return UpperArmGroups[s];
    case ScoredPart::LowerArm:
        return LowerArmGroups[s];
    case ScoredPart::Wrist:
        return WristGroups[s];
    case ScoredPart::Neck:
        return Group::Neck;
    case ScoredPart::Trunk:
        break;
    }
    return Group::Trunk;
}

std::optional<int> ScoredSample::worstGrand() const
{
    std::optional<int> worst;
    for (const SideScore& s : sides) {
        if (s.scored && (!worst || s.grand > *worst))
            worst = s.grand;
    }
    return worst;
}

UnseenChoices unseenChoices(const AssessmentState& assessor)
{
    UnseenChoices choices{assessor, {}};
    for (const GroupInfo& group : groups()) {
        if (measuredGroup(group.group) || assessor.hasBaseSelection(group.group))
            continue;
        choices.state.SelectOption(lowestBaseOption(group.group));
        choices.defaulted.push_back(group.group);
    }
    return choices;
}

std::string defaultedText(const std::vector<Group>& defaulted)
{
    std::string text;
    for (Group group : defaulted) {
        if (!text.empty())
            text += ", ";
        text += groupInfo(group).key;
    }
    return text;
}

Facing facingOf(const SampleLandmarks& landmarks)
{
    double ears = 0;
    double shoulders = 0;
    int earCount = 0;
    int shoulderCount = 0;
    for (Side side : {Side::Right, Side::Left}) {
        const auto& ear = landmarks.at(side, Landmark::Ear);
        const auto& shoulder = landmarks.at(side, Landmark::Shoulder);
        if (ear && ear->confidence >= lowestTrustedConfidence()) {
            ears += ear->at.x;
            ++earCount;
        }
        if (shoulder && shoulder->confidence >= lowestTrustedConfidence()) {
            shoulders += shoulder->at.x;
            ++shoulderCount;
        }
    }
    if (earCount == 0 || shoulderCount == 0)
        return Facing::Unset;
    const double ahead = ears / earCount - shoulders / shoulderCount;
    if (ahead == 0)
        return Facing::Unset;
    return ahead > 0 ? Facing::Right : Facing::Left;
}

ScoredSample scoreSample(int frame, double timeSeconds, const SampleLandmarks& landmarks, const AssessmentState& unseen)
{
    ScoredSample sample;
    sample.frame = frame;
    sample.timeSeconds = timeSeconds;
    sample.landmarks = landmarks;
    if (!landmarks.found)
        return sample;
    sample.facing = facingOf(landmarks);

    for (Side side : {Side::Right, Side::Left}) {
        SideScore& result = sample.sides[static_cast<std::size_t>(side)];
        // Only this side's landmarks, so that the neck and the trunk are read from this side too.
        PictureMeasurements sheet;
        sheet.facing = sample.facing;
        double sideConfidence = 1;
        for (int l = 0; l < LandmarkCount; ++l) {
            const auto& found = landmarks.sides[static_cast<std::size_t>(side)][static_cast<std::size_t>(l)];
            sideConfidence = found ? std::min(sideConfidence, found->confidence) : 0;
            if (found && found->confidence >= lowestTrustedConfidence())
                sheet.side(side)[static_cast<Landmark>(l)] = found->at;
        }
        result.confidence = sideConfidence;

        AssessmentState state = unseen;
        bool complete = true;
        for (int p = 0; p < ScoredPartCount; ++p) {
            const auto scored = static_cast<ScoredPart>(p);
            const BodyPart part = bodyPartOf(scored, side);
            PartScore& partScore = result.parts[static_cast<std::size_t>(p)];
            double confidence = 1;
            for (Landmark l : bodyPartInfo(part).landmarks) {
                const auto& found = landmarks.at(side, l);
                confidence = found ? std::min(confidence, found->confidence) : 0;
            }
            partScore.confidence = confidence;
            const Reading reading = readPart(sheet, part, side);
            if (!reading.angle || reading.optionIndex < 0) {
                complete = false;
                continue;
            }
            partScore.angle = reading.angle;
            state.SelectOption(reading.optionIndex);
            partScore.option = options()[static_cast<std::size_t>(reading.optionIndex)].number;
            partScore.score = state.score(scoredPartGroup(scored, side));
        }
        if (!complete)
            continue;
        ResultScores results;
        ComputeScores(state, results);
        const int grand = side == Side::Right ? results.GrandScoreRight : results.GrandScoreLeft;
        const std::optional<ActionLevel> level = classifyGrandScore(grand);
        if (!level)
            continue;
        result.scored = true;
        result.grand = grand;
        result.actionLevel = level->level;
    }
    return sample;
}

std::optional<std::array<int, 4>> levelShares(const std::vector<ScoredSample>& samples, Side side)
{
    std::array<int, 4> counts{};
    int total = 0;
    for (const ScoredSample& sample : samples) {
        const SideScore& s = sample.side(side);
        if (s.scored && s.actionLevel >= 1 && s.actionLevel <= 4) {
            ++counts[static_cast<std::size_t>(s.actionLevel - 1)];
            ++total;
        }
    }
    if (total == 0)
        return std::nullopt;
    std::array<int, 4> shares{};
    std::array<int, 4> remainders{}; // in hundredths of a percent of total: exact integers
    int given = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        shares[i] = counts[i] * 100 / total;
        remainders[i] = counts[i] * 100 % total;
        given += shares[i];
    }
    // The percents left over go to the largest remainders, the lower level first among equals.
    while (given < 100) {
        std::size_t best = 0;
        for (std::size_t i = 1; i < 4; ++i) {
            if (remainders[i] > remainders[best])
                best = i;
        }
        ++shares[best];
        remainders[best] = -1;
        ++given;
    }
    return shares;
}

std::string sharesText(const std::vector<ScoredSample>& samples, Side side)
{
    std::string text = side == Side::Right ? "Right side: " : "Left side: ";
    const auto shares = levelShares(samples, side);
    if (!shares)
        return text + "not found in any sample";
    for (std::size_t i = 0; i < 4; ++i) {
        if (i > 0)
            text += ", ";
        text += "level " + std::to_string(i + 1) + " " + std::to_string((*shares)[i]) + " %";
    }
    return text;
}

std::string sampleScoresText(const ScoredSample& sample)
{
    const auto sideText = [&sample](Side side) {
        const SideScore& s = sample.side(side);
        return s.scored ? std::to_string(s.grand) + " (level " + std::to_string(s.actionLevel) + ")"
                        : std::string("not found");
    };
    return "right " + sideText(Side::Right) + ", left " + sideText(Side::Left);
}

std::vector<std::size_t> proposedKeyFrames(const std::vector<ScoredSample>& samples, double separationSeconds, int most)
{
    struct Peak
    {
        std::size_t sample;
        int worst;
        int both;
    };
    std::vector<Peak> peaks;
    const std::size_t count = samples.size();
    for (std::size_t i = 0; i < count;) {
        const std::optional<int> value = samples[i].worstGrand();
        if (!value) {
            ++i;
            continue;
        }
        std::size_t end = i + 1;
        while (end < count && samples[end].worstGrand() == value)
            ++end;
        const bool higherThanBefore = i == 0 || !samples[i - 1].worstGrand() || *samples[i - 1].worstGrand() < *value;
        const bool higherThanAfter = end == count || !samples[end].worstGrand() || *samples[end].worstGrand() < *value;
        if (higherThanBefore && higherThanAfter) {
            const std::size_t middle = i + (end - 1 - i) / 2;
            int both = 0;
            for (const SideScore& s : samples[middle].sides)
                both += s.scored ? s.grand : 0;
            peaks.push_back(Peak{middle, *value, both});
        }
        i = end;
    }
    std::stable_sort(peaks.begin(), peaks.end(), [](const Peak& a, const Peak& b) {
        return a.worst != b.worst ? a.worst > b.worst : a.both > b.both;
    });
    std::vector<std::size_t> chosen;
    for (const Peak& peak : peaks) {
        if (static_cast<int>(chosen.size()) >= most)
            break;
        const double time = samples[peak.sample].timeSeconds;
        const bool apart = std::all_of(chosen.begin(), chosen.end(), [&](std::size_t c) {
            return std::abs(samples[c].timeSeconds - time) >= separationSeconds;
        });
        if (apart)
            chosen.push_back(peak.sample);
    }
    return chosen;
}

} // namespace rula
