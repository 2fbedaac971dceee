// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlanPage.h"

#include "ModelText.h"
#include "OptionCatalogue.h"

#include <QStringList>

namespace PlanText {
namespace {

const QString Arrow = QStringLiteral(" \u2192 ");

QStringList words(int optionIndex)
{
    return modelText(rula::options()[static_cast<std::size_t>(optionIndex)].meaning).split(QLatin1Char(' '));
}

// How many leading words every base option of the group shares.
qsizetype sharedWords(const rula::GroupInfo& group)
{
    qsizetype shared = -1;
    QStringList first;
    for (int i = group.firstOption; i < group.firstOption + group.optionCount; ++i) {
        if (rula::options()[static_cast<std::size_t>(i)].kind != rula::OptionKind::Base)
            continue;
        const QStringList these = words(i);
        if (shared < 0) {
            first = these;
            shared = these.size() - 1;
            continue;
        }
        qsizetype same = 0;
        while (same < shared && same < these.size() - 1 && these[same] == first[same])
            ++same;
        shared = same;
    }
    return qMax<qsizetype>(shared, 0);
}

} // namespace

QString bandText(int optionIndex)
{
    const rula::OptionInfo& option = rula::options()[static_cast<std::size_t>(optionIndex)];
    const QStringList all = words(optionIndex);
    qsizetype drop = sharedWords(rula::groupInfo(option.group));
    // "forearm flexed 60° to 100°": a band that would start with its number keeps its verb.
    if (drop > 0 && drop < all.size() && all[drop].front().isDigit())
        --drop;
    return all.mid(drop).join(QLatin1Char(' '));
}

QString change(const rula::SingleChange& change)
{
    const rula::OptionInfo& option = rula::options()[static_cast<std::size_t>(change.optionIndex)];
    QString what;
    switch (change.kind) {
    case rula::ChangeKind::Select:
        what = bandText(change.replacedOption) + Arrow + bandText(change.optionIndex);
        break;
    case rula::ChangeKind::Tick:
        what = QStringLiteral("with ") + modelText(option.meaning);
        break;
    case rula::ChangeKind::Untick:
        what = QStringLiteral("without ") + modelText(option.meaning);
        break;
    }
    return QStringLiteral("%1: %2 (%3%4%5)")
        .arg(bodyPartName(option.group), what, QString::number(change.scoreBefore), Arrow,
             QString::number(change.scoreAfter));
}

QString outcome(const rula::PlanOutcome& before, const rula::PlanOutcome& after)
{
    auto pair = [](int right, int left) { return QStringLiteral("%1 / %2").arg(right).arg(left); };
    return QStringLiteral("grand scores ") + pair(before.grandRight(), before.grandLeft()) + Arrow +
           pair(after.grandRight(), after.grandLeft()) + QStringLiteral(", action levels ") +
           pair(before.levelRight, before.levelLeft) + Arrow + pair(after.levelRight, after.levelLeft);
}

QString row(const rula::SingleChange& single, const rula::PlanOutcome& before)
{
    return change(single) + QStringLiteral(": ") + outcome(before, single.outcome);
}

} // namespace PlanText

std::vector<MeasureParagraph> PlannedChangesPage(const AssessmentRecord& record,
                                                 const std::vector<rula::SingleChange>& planned,
                                                 const QString& reductionMeasuresFile)
{
    using Kind = MeasureParagraph::Kind;
    const rula::PlanOutcome before = rula::outcomeOf(record.assessment, record.results);
    const rula::PlanOutcome after = rula::outcomeOf(rula::withChanges(record.assessment, planned), record.results);
    std::vector<MeasureParagraph> page{
        {Kind::Text, QStringLiteral("Changes to the workplace tried on a copy of this assessment. The other pages show "
                                    "the assessment as it was made; these scores follow once the changes are made.")},
        {Kind::Heading, QStringLiteral("The changes, each body part's score before \u2192 after")}};
    std::vector<rula::Group> touched;
    for (const rula::SingleChange& single : planned) {
        page.push_back({Kind::Item, PlanText::change(single)});
        touched.push_back(single.group());
    }
    auto side = [](const QString& name, int grandBefore, int grandAfter, int levelBefore, int levelAfter) {
        return QStringLiteral("%1: grand score %2 \u2192 %3, action level %4 \u2192 %5")
            .arg(name)
            .arg(grandBefore)
            .arg(grandAfter)
            .arg(levelBefore)
            .arg(levelAfter);
    };
    page.push_back({Kind::Heading, QStringLiteral("With all of these changes")});
    page.push_back({Kind::Item, side(QStringLiteral("Right side"), before.grandRight(), after.grandRight(),
                                     before.levelRight, after.levelRight)});
    page.push_back({Kind::Item, side(QStringLiteral("Left side"), before.grandLeft(), after.grandLeft(),
                                     before.levelLeft, after.levelLeft)});
    if (reductionMeasuresFile.isEmpty())
        return page;
    page.push_back({Kind::Heading, QStringLiteral("Reduction measures for the body regions these changes touch")});
    for (MeasureParagraph& paragraph : ReductionMeasures(reductionMeasuresFile, RegionTopicsOf(touched)))
        page.push_back(std::move(paragraph));
    return page;
}
