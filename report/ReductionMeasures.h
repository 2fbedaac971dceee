// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AssessmentState.h"

#include <QString>

#include <vector>

// One paragraph of a reduction measures section, as plain text.
struct MeasureParagraph
{
    enum class Kind
    {
        Region,  // the region's heading
        Heading, // a heading inside the section
        Text,
        Item // one point of a list
    };
    Kind kind;
    QString text;
};

// The guide's topics of the body regions that scored highest (at most three, none that is
// at its lowest score), worst first: by score, then by how near the region's highest score.
std::vector<int> RegionsToImprove(const rula::AssessmentState& assessment);

// The guide's topics of the body regions `touched` groups belong to, in the guide's order.
std::vector<int> RegionTopicsOf(const std::vector<rula::Group>& touched);

// The sections of those topics read from the reduction measures guide at `helpPath`, as
// plain text paragraphs. A guide that cannot be read gives one paragraph saying why.
std::vector<MeasureParagraph> ReductionMeasures(const QString& helpPath, const std::vector<int>& topics);
