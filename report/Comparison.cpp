// SPDX-License-Identifier: GPL-3.0-or-later
#include "Comparison.h"

#include "ModelText.h"

namespace comparison {

namespace {

using rula::Group;

Change bodyPart(const AssessmentRecord& before, const AssessmentRecord& after, Group group)
{
    return {before.assessment.score(group), after.assessment.score(group)};
}

Change result(const AssessmentRecord& before, const AssessmentRecord& after, std::int16_t rula::ResultScores::*score)
{
    return {before.results.*score, after.results.*score};
}

int levelOf(const std::optional<rula::ActionLevel>& level)
{
    return level ? level->level : 0;
}

QString levelText(const std::optional<rula::ActionLevel>& level)
{
    return level ? QString::number(level->level) : QStringLiteral("none");
}

ScoreLine sides(const QString& label, Change right, Change left, bool computed = false)
{
    return {label, computed, false, right, left};
}

ScoreLine shared(const QString& label, Change both, bool computed = false)
{
    return {label, computed, false, both, std::nullopt};
}

// REBA's scores for the same worker; a score not reached counts as 0.
ScoreSection rebaSection(const AssessmentRecord& b, const AssessmentRecord& a)
{
    const rula::reba::RebaScores before = rula::reba::scoreReba(b.reba);
    const rula::reba::RebaScores after = rula::reba::scoreReba(a.reba);
    auto change = [](const std::optional<int>& was, const std::optional<int>& is) {
        return Change{was.value_or(0), is.value_or(0)};
    };
    auto risk = [](const std::optional<int>& score) { return score ? rula::reba::rebaRiskLevel(*score) : 0; };
    ScoreSection section{QStringLiteral("REBA"), {QStringLiteral("Right side"), QStringLiteral("Left side")}, {}};
    section.lines = {
        sides(QStringLiteral("REBA score A"), change(before.scoreA, after.scoreA), change(before.scoreA, after.scoreA),
              true),
        sides(QStringLiteral("REBA score B"), change(before.right.scoreB, after.right.scoreB),
              change(before.left.scoreB, after.left.scoreB), true),
        sides(QStringLiteral("REBA score C"), change(before.right.scoreC, after.right.scoreC),
              change(before.left.scoreC, after.left.scoreC), true),
        sides(QStringLiteral("REBA score"), change(before.right.rebaScore, after.right.rebaScore),
              change(before.left.rebaScore, after.left.rebaScore), true),
        sides(QStringLiteral("REBA risk level (1-5)"), {risk(before.right.rebaScore), risk(after.right.rebaScore)},
              {risk(before.left.rebaScore), risk(after.left.rebaScore)}, true),
    };
    return section;
}

} // namespace

std::vector<ScoreSection> scoreSections(const AssessmentRecord& b, const AssessmentRecord& a)
{
    using R = rula::ResultScores;
    const QStringList bothSides{QStringLiteral("Right side"), QStringLiteral("Left side")};
    ScoreSection grand{QStringLiteral("Action levels"), bothSides, {}};
    grand.lines.push_back(sides(QStringLiteral("Grand score"), result(b, a, &R::GrandScoreRight),
                                result(b, a, &R::GrandScoreLeft), true));
    ScoreLine levels = sides(QStringLiteral("Action level"), {levelOf(b.levelRight), levelOf(a.levelRight)},
                             {levelOf(b.levelLeft), levelOf(a.levelLeft)}, true);
    levels.actionLevel = true;
    grand.lines.push_back(levels);

    ScoreSection arms{QStringLiteral("Arms and wrists"), bothSides, {}};
    arms.lines = {
        sides(QStringLiteral("Upper arm"), bodyPart(b, a, Group::UpperRight), bodyPart(b, a, Group::UpperLeft)),
        sides(QStringLiteral("Lower arm"), bodyPart(b, a, Group::LowerRight), bodyPart(b, a, Group::LowerLeft)),
        sides(QStringLiteral("Wrist"), bodyPart(b, a, Group::WristRight), bodyPart(b, a, Group::WristLeft)),
        sides(QStringLiteral("Wrist twist"), bodyPart(b, a, Group::WristTwistRight),
              bodyPart(b, a, Group::WristTwistLeft)),
        sides(QStringLiteral("Posture score A"), result(b, a, &R::PostureScoreARight),
              result(b, a, &R::PostureScoreALeft), true),
        sides(QStringLiteral("Muscle use"), bodyPart(b, a, Group::MuscleRightUpper),
              bodyPart(b, a, Group::MuscleLeftUpper)),
        sides(QStringLiteral("Force or load"), bodyPart(b, a, Group::ForceRightUpper),
              bodyPart(b, a, Group::ForceLeftUpper)),
        sides(QStringLiteral("Score C"), result(b, a, &R::ScoreCRight), result(b, a, &R::ScoreCLeft), true),
    };

    ScoreSection body{QStringLiteral("Neck, trunk and legs"), {QStringLiteral("Both sides")}, {}};
    body.lines = {
        shared(QStringLiteral("Neck"), bodyPart(b, a, Group::Neck)),
        shared(QStringLiteral("Trunk"), bodyPart(b, a, Group::Trunk)),
        shared(QStringLiteral("Legs"), bodyPart(b, a, Group::Legs)),
        shared(QStringLiteral("Posture score B"), result(b, a, &R::PostureScoreB), true),
        shared(QStringLiteral("Muscle use"), bodyPart(b, a, Group::MuscleLower)),
        shared(QStringLiteral("Force or load"), bodyPart(b, a, Group::ForceLower)),
        shared(QStringLiteral("Score D"), result(b, a, &R::ScoreD), true),
    };
    std::vector<ScoreSection> sections{grand, arms, body};
    if (!b.reba.isEmpty() || !a.reba.isEmpty())
        sections.push_back(rebaSection(b, a));
    return sections;
}

QString summarySentence(const AssessmentRecord& before, const AssessmentRecord& after)
{
    return QStringLiteral("Right side: action level %1 → %2; left side: %3 → %4")
        .arg(levelText(before.levelRight), levelText(after.levelRight), levelText(before.levelLeft),
             levelText(after.levelLeft));
}

QString sameAssessmentSentence(const AssessmentRecord& before, const AssessmentRecord& after)
{
    if (before.assessmentId.isEmpty() || before.assessmentId != after.assessmentId)
        return {};
    return QStringLiteral("The same assessment, revision %1 → %2")
        .arg(before.history.empty() ? 0 : before.history.back().revision)
        .arg(after.history.empty() ? 0 : after.history.back().revision);
}

QString observedText(const AssessmentRecord& record)
{
    const QString format = QStringLiteral("yyyy-MM-dd HH:mm");
    if (record.details.observed.isValid())
        return record.details.observed.toLocalTime().toString(format);
    return QStringLiteral("file last written %1").arg(record.assessedAt.toString(format));
}

} // namespace comparison
