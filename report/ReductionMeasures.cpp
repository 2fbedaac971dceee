// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReductionMeasures.h"

#include "HelpFiles.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>

#include <algorithm>

namespace {

using rula::Group;

// A body region of the guide, the groups it covers and their lowest and highest scores.
struct Region
{
    int topic;
    std::vector<Group> groups;
    int lowest;
    int highest;
};

const std::vector<Region>& regions()
{
    static const std::vector<Region> all{
        {1, {Group::UpperRight, Group::UpperLeft}, 1, 6},
        {2, {Group::LowerRight, Group::LowerLeft}, 1, 3},
        {3, {Group::WristRight, Group::WristLeft}, 1, 4},
        {3, {Group::WristTwistRight, Group::WristTwistLeft}, 1, 2},
        {4, {Group::Neck}, 1, 6},
        {5, {Group::Trunk}, 1, 6},
        {6, {Group::Legs}, 1, 2},
        {7, {Group::MuscleRightUpper, Group::MuscleLeftUpper, Group::MuscleLower}, 0, 1},
        {8, {Group::ForceRightUpper, Group::ForceLeftUpper, Group::ForceLower}, 0, 3},
    };
    return all;
}

} // namespace

std::vector<int> RegionsToImprove(const rula::AssessmentState& assessment)
{
    struct Standing
    {
        int topic;
        int score;    // the worst of the region's scores
        double share; // of the way from the region's lowest to its highest score
    };
    std::vector<Standing> standings;
    for (const Region& region : regions()) {
        int worst = region.lowest;
        for (Group group : region.groups)
            worst = std::max(worst, int(assessment.score(group)));
        if (worst <= region.lowest)
            continue;
        const double share = double(worst - region.lowest) / double(region.highest - region.lowest);
        auto same = std::find_if(standings.begin(), standings.end(),
                                 [&region](const Standing& s) { return s.topic == region.topic; });
        if (same == standings.end()) {
            standings.push_back({region.topic, worst, share});
        } else {
            same->score = std::max(same->score, worst);
            same->share = std::max(same->share, share);
        }
    }
    // Highest score first; of equal scores, the one nearer its region's highest.
    std::stable_sort(standings.begin(), standings.end(), [](const Standing& a, const Standing& b) {
        return a.score != b.score ? a.score > b.score : a.share > b.share;
    });
    std::vector<int> topics;
    for (std::size_t i = 0; i < standings.size() && i < 3; ++i)
        topics.push_back(standings[i].topic);
    return topics;
}

std::vector<int> RegionTopicsOf(const std::vector<rula::Group>& touched)
{
    std::vector<int> topics;
    for (const Region& region : regions()) {
        const bool hit = std::any_of(region.groups.begin(), region.groups.end(), [&touched](Group group) {
            return std::find(touched.begin(), touched.end(), group) != touched.end();
        });
        if (hit && std::find(topics.begin(), topics.end(), region.topic) == topics.end())
            topics.push_back(region.topic);
    }
    return topics;
}

std::vector<MeasureParagraph> ReductionMeasures(const QString& helpPath, const std::vector<int>& topics)
{
    using Kind = MeasureParagraph::Kind;
    std::vector<MeasureParagraph> paragraphs;
    HelpDocument guide;
    QString error;
    if (!guide.load(helpPath, &error)) {
        paragraphs.push_back({Kind::Text, error});
        return paragraphs;
    }
    for (int topic : topics) {
        if (!guide.hasTopic(topic))
            continue;
        QTextDocument section;
        section.setHtml(guide.topicHtml(topic));
        bool skipping = false;
        for (QTextBlock block = section.begin(); block.isValid(); block = block.next()) {
            const QString text = block.text().simplified();
            if (text.isEmpty())
                continue;
            const int level = block.blockFormat().headingLevel();
            // What to check when assessing again is the assessor's business, not a measure.
            if (level > 2)
                skipping = text.startsWith(QLatin1String("When you re-assess"), Qt::CaseInsensitive);
            if (skipping)
                continue;
            Kind kind = Kind::Text;
            if (block.textList())
                kind = Kind::Item;
            else if (level == 1 || level == 2)
                kind = Kind::Region;
            else if (level > 2)
                kind = Kind::Heading;
            paragraphs.push_back({kind, text});
        }
    }
    return paragraphs;
}
