// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "OptionCatalogue.h"

#include <optional>
#include <string>
#include <vector>

namespace rula {

// The postures whose bands can be measured on a picture as one angle.
enum class AngleKind
{
    UpperArm, // flexion of the upper arm from the trunk line; extension negative
    LowerArm, // forearm flexion: 180° minus the inner angle at the elbow
    Wrist,    // deviation of the hand line from the forearm line, up positive
    Neck,     // flexion of the neck from the trunk line; extension negative
    Trunk,    // flexion of the trunk line from the vertical; leaning back negative
};

// One limit between two neighbouring bands of a kind, in whole degrees. The two bands are
// given by their option numbers (1-based within the group, as in the option catalogue).
struct BandLimit
{
    int below;   // option number of the band under the limit
    int degrees; // the limit
    int above;   // option number of the band over the limit
    // A limit of a "0°" band (wrist straight, trunk upright, neck not extended): the method's
    // 0° widened by zeroTolerance() either side, not one of the method's own limits.
    bool zeroRule = false;
};

// How far from 0° an angle still counts as 0° for every "0°" band: no photograph and no
// click is exact to the degree.
int zeroTolerance();

// How near (in degrees) an angle must be to one of the method's limits for the borderline note.
int borderlineReach();

// The shortest segment between two landmarks, in picture pixels, whose direction is measured:
// one pixel of click error then turns it by less than 3°.
int shortestSegment();

// How far (in degrees) a vertical reference line may lean from the picture's vertical.
int steepestReferenceTilt();

// The range an angle of `kind` is read over: from `lowest` up a full turn (an upper arm
// raised past the overhead position reads as flexion, not extension).
int readingStart(AngleKind kind);

// The angles a worker can take, for the chosen facing to be plausible: outside them the
// window asks to check the facing. Unset where no bound applies.
struct PlausibleRange
{
    std::optional<int> lowest;
    std::optional<int> highest;
};
PlausibleRange plausibleRange(AngleKind kind);

// The note when `degrees` is outside the plausible range of `kind`; empty inside it.
std::string facingNote(AngleKind kind, double degrees);

// The on-screen note that states a kind's "0°" rule, from the table: "The wrist counts as
// straight (0°, score 1) within ±2° of the forearm line; any more is bent." Empty for a kind
// without one.
std::string zeroRuleNote(AngleKind kind);

// The band limits of a kind, in rising order of degrees. The band under the first limit
// reaches down without end, the one over the last limit up without end.
//
// An angle is banded as it is shown, rounded to the whole degree. An angle exactly on a
// limit belongs to the band of the lower score: the angle has to pass a limit to reach the
// higher score ("upper arm flexed 20° to 45°" starts at 21°).
const std::vector<BandLimit>& bandLimits(AngleKind kind);

// The option number (1-based within the group) of the band that `degrees` falls in.
int bandOption(AngleKind kind, double degrees);

// The score a band gives: the value of that base option of `group` in the catalogue.
int bandScore(Group group, int optionNumber);

// The method's band limit nearest to `degrees` when it is within borderlineReach() of it (the
// angle rounded to the whole degree first), with the lower and the higher of the two bands'
// scores. The limits of "0°" bands give no note: 0° is the middle of its band.
struct NearLimit
{
    int degrees;
    int lowerScore;
    int higherScore;
};
std::optional<NearLimit> nearLimit(AngleKind kind, Group group, double degrees);

// "Borderline: within 5° of the limit between score 2 and 3; the method's authors advise
// the higher score when in doubt."
std::string borderlineNote(const NearLimit& limit);

// An angle as shown to the assessor: rounded half away from zero to the whole degree.
int wholeDegrees(double degrees);

} // namespace rula
