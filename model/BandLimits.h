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
    Neck,     // flexion of the neck from the trunk line (or the vertical); extension negative
    Trunk,    // flexion of the trunk line from the vertical; leaning back negative
};

// One limit between two neighbouring bands of a kind, in whole degrees. The two bands are
// given by their option numbers (1-based within the group, as in the option catalogue).
struct BandLimit
{
    int below;   // option number of the band under the limit
    int degrees; // the limit
    int above;   // option number of the band over the limit
};

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

// The band limit nearest to `degrees` when it is within 5° of it (the angle rounded to the
// whole degree first), with the lower and the higher of the two bands' scores.
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
