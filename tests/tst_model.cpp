// SPDX-License-Identifier: GPL-3.0-or-later
// The scoring model driven as the main window drives it: one SelectOption per click.
#include "ActionLevels.h"
#include "AssessmentState.h"
#include "OptionCatalogue.h"
#include "ScoreRanges.h"
#include "ScoreTables.h"

#include <QtTest>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>

using namespace rula;

namespace {

// Index of option `number` of `group`.
int option(Group group, int number)
{
    return groupInfo(group).firstOption + number - 1;
}

void click(AssessmentState& state, Group group, int number)
{
    state.SelectOption(option(group, number));
}

// Chooses one base option in every group, plus the adjustments needed to reach the
// given upper arm (1-6), lower arm (1-3) and wrist (1-4) scores on both sides.
AssessmentState complete(int upperArm, int lowerArm, int wrist, int twist, int neck, int trunk, int legs,
                         int muscleOption, int forceOption)
{
    AssessmentState state;
    const int upperBase = std::min(upperArm, 4);
    for (Group g : {Group::UpperRight, Group::UpperLeft}) {
        click(state, g, upperBase == 1 ? 1 : upperBase + 1); // options 3, 4, 5 have values 2, 3, 4
        for (int extra = 0; extra < upperArm - upperBase; ++extra)
            click(state, g, 6 + extra); // shoulder raised, arm abducted
    }
    for (Group g : {Group::LowerRight, Group::LowerLeft}) {
        click(state, g, std::min(lowerArm, 2));
        if (lowerArm == 3)
            click(state, g, 3);
    }
    for (Group g : {Group::WristRight, Group::WristLeft}) {
        click(state, g, std::min(wrist, 3));
        if (wrist == 4)
            click(state, g, 4);
    }
    for (Group g : {Group::WristTwistRight, Group::WristTwistLeft})
        click(state, g, twist);
    click(state, Group::Neck, neck);
    click(state, Group::Trunk, trunk);
    click(state, Group::Legs, legs);
    for (Group g : {Group::MuscleRightUpper, Group::MuscleLeftUpper, Group::MuscleLower})
        click(state, g, muscleOption);
    for (Group g : {Group::ForceRightUpper, Group::ForceLeftUpper, Group::ForceLower})
        click(state, g, forceOption);
    return state;
}

std::set<int> selectedIn(const AssessmentState& state, Group group)
{
    std::set<int> numbers;
    const GroupInfo& info = groupInfo(group);
    for (int i = 0; i < info.optionCount; ++i) {
        if (state.isSelected(info.firstOption + i))
            numbers.insert(i + 1);
    }
    return numbers;
}

} // namespace

class TestModel : public QObject
{
    Q_OBJECT

private slots:
    void catalogueIsConsistent();
    void baseAndAdjustmentClicks();
    void clicksStayInTheirGroup();
    void zeroValuedChoicesStillCount();
    void completenessMessagesInOrder();
    void tableLookups();
    void openEndsOfTableC();
    void outOfRangeInputsMatchNothing();
    void upperArmBelowOneIsLookedUpAsOne();
    void computeTwiceIsStable();
    void actionLevelBoundaries();
    void bodyPartScoreRanges();
};

void TestModel::catalogueIsConsistent()
{
    std::set<std::string_view> panels;
    std::set<std::string_view> pictures;
    int total = 0;
    for (const GroupInfo& group : groups()) {
        total += group.optionCount;
        for (int i = 0; i < group.optionCount; ++i) {
            const OptionInfo& option = options()[group.firstOption + i];
            QCOMPARE(option.group, group.group);
            QCOMPARE(option.number, i + 1);
            panels.insert(option.panel);
            pictures.insert(option.picture);
        }
    }
    QCOMPARE(total, OptionCount);
    // Frame1 to Frame66 and Image, Image1 to Image65 each stand exactly once.
    QCOMPARE(int(panels.size()), OptionCount);
    QCOMPARE(int(pictures.size()), OptionCount);
    for (int n = 1; n <= 66; ++n)
        QVERIFY2(panels.count("Frame" + std::to_string(n)), qPrintable(QString("Frame%1").arg(n)));
    QVERIFY(pictures.count("Image"));

    // Every group can be completed and its scores reach the documented ranges.
    for (const GroupInfo& group : groups()) {
        int bases = 0;
        for (int i = 0; i < group.optionCount; ++i)
            bases += options()[group.firstOption + i].kind == OptionKind::Base;
        QVERIFY2(bases >= 2, group.key.data());
    }
}

void TestModel::baseAndAdjustmentClicks()
{
    AssessmentState state;
    click(state, Group::UpperRight, 4);
    QCOMPARE(state.score(Group::UpperRight), 3);
    click(state, Group::UpperRight, 6);
    QCOMPARE(state.score(Group::UpperRight), 4);
    click(state, Group::UpperRight, 8);
    QCOMPARE(state.score(Group::UpperRight), 3);
    click(state, Group::UpperRight, 2);
    QCOMPARE(state.score(Group::UpperRight), 2);
    QCOMPARE(selectedIn(state, Group::UpperRight), (std::set<int>{2, 6, 8}));

    // The selected base option clicked again changes nothing.
    click(state, Group::UpperRight, 2);
    QCOMPARE(state.score(Group::UpperRight), 2);
    QCOMPARE(selectedIn(state, Group::UpperRight), (std::set<int>{2, 6, 8}));

    // An adjustment clicked twice restores score and flag.
    click(state, Group::UpperRight, 7);
    click(state, Group::UpperRight, 7);
    QCOMPARE(state.score(Group::UpperRight), 2);
    QCOMPARE(selectedIn(state, Group::UpperRight), (std::set<int>{2, 6, 8}));

    // Adjustment before any base option starts from 0; no clamp.
    AssessmentState fresh;
    click(fresh, Group::UpperLeft, 8);
    QCOMPARE(fresh.score(Group::UpperLeft), -1);
    QCOMPARE(scoreText(fresh.score(Group::UpperLeft)), std::string("-1"));
    click(fresh, Group::UpperLeft, 1);
    QCOMPARE(fresh.score(Group::UpperLeft), 0);

    click(fresh, Group::LowerLeft, 3);
    QCOMPARE(fresh.score(Group::LowerLeft), 1);
    click(fresh, Group::LowerLeft, 2);
    QCOMPARE(fresh.score(Group::LowerLeft), 3);

    click(fresh, Group::Neck, 5);
    click(fresh, Group::Neck, 6);
    click(fresh, Group::Neck, 4);
    QCOMPARE(fresh.score(Group::Neck), 6);
    QCOMPARE(fresh.score(Group::Trunk), 0);
    QVERIFY(selectedIn(fresh, Group::Trunk).empty());
}

void TestModel::clicksStayInTheirGroup()
{
    AssessmentState state;
    click(state, Group::UpperRight, 5);
    click(state, Group::UpperRight, 6);
    for (int i = 0; i < OptionCount; ++i) {
        AssessmentState before = state;
        state.SelectOption(i);
        const Group changed = options()[i].group;
        for (const GroupInfo& group : groups()) {
            if (group.group == changed)
                continue;
            QCOMPARE(state.score(group.group), before.score(group.group));
            QCOMPARE(selectedIn(state, group.group), selectedIn(before, group.group));
        }
    }
}

void TestModel::zeroValuedChoicesStillCount()
{
    AssessmentState state;
    click(state, Group::MuscleRightUpper, 2);
    QCOMPARE(state.score(Group::MuscleRightUpper), 0);
    QVERIFY(state.hasBaseSelection(Group::MuscleRightUpper));

    click(state, Group::ForceLower, 1);
    QCOMPARE(state.score(Group::ForceLower), 0);
    click(state, Group::ForceLower, 4);
    QCOMPARE(state.score(Group::ForceLower), 3);
    QCOMPARE(selectedIn(state, Group::ForceLower), (std::set<int>{4}));
}

void TestModel::completenessMessagesInOrder()
{
    AssessmentState fresh;
    const auto all = CheckCompleteness(fresh);
    QCOMPARE(int(all.size()), GroupCount);
    QCOMPARE(all.front(), std::string("You have not completed all of the necessary fields for Upper Arm (Right)"));
    QCOMPARE(all[5], std::string("You have not completed all of the necessary fields for Wrist Twist(Right)"));
    QCOMPARE(all[8], std::string("You have not completed all of the necessary fields for the Neck"));
    QCOMPARE(all.back(), std::string("You have not completed all of the necessary fields for Force Lower Body"));

    // Complete except trunk and lower-body force: exactly those two, trunk first.
    AssessmentState state = complete(1, 1, 1, 1, 1, 1, 1, 1, 1);
    QVERIFY(CheckCompleteness(state).empty());
    AssessmentState partial;
    for (int i = 0; i < OptionCount; ++i) {
        const OptionInfo& o = options()[i];
        if (o.number == 1 && o.group != Group::Trunk && o.group != Group::ForceLower)
            partial.SelectOption(i);
    }
    // Adjustments never complete a group.
    click(partial, Group::Trunk, 5);
    const auto two = CheckCompleteness(partial);
    QCOMPARE(int(two.size()), 2);
    QCOMPARE(two[0], std::string("You have not completed all of the necessary fields for the Trunk"));
    QCOMPARE(two[1], std::string("You have not completed all of the necessary fields for Force Lower Body"));

    AssessmentState upperRightAdjustmentOnly;
    click(upperRightAdjustmentOnly, Group::UpperRight, 6);
    QCOMPARE(CheckCompleteness(upperRightAdjustmentOnly).front(),
             std::string("You have not completed all of the necessary fields for Upper Arm (Right)"));
}

void TestModel::tableLookups()
{
    QCOMPARE(lookupTableA(5, 2, 3, 2), std::optional<int>(7));
    QCOMPARE(lookupTableA(5, 2, 3, 1), std::optional<int>(6));
    for (int wrist = 1; wrist <= 4; ++wrist)
        for (int twist = 1; twist <= 2; ++twist)
            QCOMPARE(lookupTableA(6, 3, wrist, twist), std::optional<int>(9));
    QCOMPARE(lookupTableA(1, 1, 1, 1), std::optional<int>(1));
    QCOMPARE(lookupTableA(4, 3, 2, 2), std::optional<int>(5));
    QCOMPARE(lookupTableB(1, 1, 2), std::optional<int>(3));
    QCOMPARE(lookupTableB(6, 6, 2), std::optional<int>(9));
    QCOMPARE(lookupTableB(4, 6, 1), std::optional<int>(8));

    // The smallest assessment: every score 1, muscle use and force 0.
    AssessmentState smallest = complete(1, 1, 1, 1, 1, 1, 1, 2, 1);
    ResultScores r;
    ComputeScores(smallest, r);
    QCOMPARE(r.PostureScoreALeft, 1);
    QCOMPARE(r.PostureScoreARight, 1);
    QCOMPARE(r.PostureScoreB, 1);
    QCOMPARE(r.ScoreCLeft, 1);
    QCOMPARE(r.ScoreD, 1);
    QCOMPARE(r.GrandScoreLeft, 1);
    QCOMPARE(r.GrandScoreRight, 1);

    // Neck 6, trunk 6, legs 2 with lower-body force 3 and muscle use 1.
    AssessmentState heavy = complete(4, 2, 3, 2, 4, 4, 2, 1, 4);
    click(heavy, Group::Neck, 5);
    click(heavy, Group::Neck, 6);
    click(heavy, Group::Trunk, 5);
    click(heavy, Group::Trunk, 6);
    QCOMPARE(heavy.score(Group::Neck), 6);
    QCOMPARE(heavy.score(Group::Trunk), 6);
    ComputeScores(heavy, r);
    QCOMPARE(r.PostureScoreB, 9);
    QCOMPARE(r.ScoreD, 13);
}

void TestModel::openEndsOfTableC()
{
    QCOMPARE(lookupTableC(13, 1), std::optional<int>(5));
    QCOMPARE(lookupTableC(8, 4), std::optional<int>(7));
    QCOMPARE(lookupTableC(3, 7), std::optional<int>(6));
    QCOMPARE(lookupTableC(3, 13), std::optional<int>(6));
    QCOMPARE(lookupTableC(1, 1), std::optional<int>(1));
    QCOMPARE(lookupTableC(7, 6), std::optional<int>(7));

    // Posture score A 9 with muscle use 1 and force 3 gives score C 13: the 8+ row.
    AssessmentState state = complete(6, 3, 1, 1, 1, 1, 1, 1, 4);
    click(state, Group::MuscleLower, 2);
    click(state, Group::ForceLower, 1);
    ResultScores r;
    ComputeScores(state, r);
    QCOMPARE(r.PostureScoreALeft, 9);
    QCOMPARE(r.ScoreCLeft, 13);
    QCOMPARE(r.ScoreD, 1);
    QCOMPARE(r.GrandScoreLeft, 5);
    QCOMPARE(r.GrandScoreRight, 5);
}

void TestModel::outOfRangeInputsMatchNothing()
{
    QCOMPARE(lookupTableA(0, 1, 1, 1), std::nullopt);
    QCOMPARE(lookupTableA(7, 1, 1, 1), std::nullopt);
    QCOMPARE(lookupTableA(1, 0, 1, 1), std::nullopt);
    QCOMPARE(lookupTableA(1, 1, 5, 1), std::nullopt);
    QCOMPARE(lookupTableA(1, 1, 1, 3), std::nullopt);
    QCOMPARE(lookupTableB(7, 1, 1), std::nullopt);
    QCOMPARE(lookupTableB(1, 0, 1), std::nullopt);
    QCOMPARE(lookupTableB(1, 1, 3), std::nullopt);
    QCOMPARE(lookupTableC(0, 5), std::nullopt);
    QCOMPARE(lookupTableC(5, 0), std::nullopt);
    QCOMPARE(lookupTableC(-1, -1), std::nullopt);
}

void TestModel::upperArmBelowOneIsLookedUpAsOne()
{
    // A stale result from an earlier assessment must not survive an upper arm score of 0.
    ResultScores r;
    ComputeScores(complete(5, 3, 4, 2, 4, 4, 2, 1, 4), r);
    QVERIFY(r.PostureScoreALeft > 1);

    AssessmentState state = complete(1, 1, 1, 1, 1, 1, 1, 2, 1);
    click(state, Group::UpperLeft, 8);
    QCOMPARE(state.score(Group::UpperLeft), 0); // the box and the saved score show the group's own score
    ComputeScores(state, r);
    QCOMPARE(r.PostureScoreALeft, 1);
    QCOMPARE(r.ScoreCLeft, 1);
    QCOMPARE(r.GrandScoreLeft, 1);
    QCOMPARE(r.PostureScoreARight, 1);
}

void TestModel::computeTwiceIsStable()
{
    AssessmentState state = complete(3, 2, 2, 2, 2, 3, 1, 1, 3);
    ResultScores first;
    ComputeScores(state, first);
    ResultScores second = first;
    ComputeScores(state, second);
    QCOMPARE(std::memcmp(&first, &second, sizeof first), 0);
    // Upper arm 3 (option 4), lower arm 2, wrist 2, twist 2: Table A gives 4; muscle 1 + force 2 → C 7.
    QCOMPARE(first.PostureScoreARight, 4);
    QCOMPARE(first.ScoreCRight, 7);
    // Neck 2, trunk 3, legs 1: Table B gives 4; + force 2 + muscle 1 → D 7; C 7 / D 7+ → 7.
    QCOMPARE(first.PostureScoreB, 4);
    QCOMPARE(first.ScoreD, 7);
    QCOMPARE(first.GrandScoreRight, 7);
}

void TestModel::actionLevelBoundaries()
{
    const std::pair<int, int> expected[] = {{1, 1}, {2, 1}, {3, 2}, {4, 2}, {5, 3}, {6, 3}, {7, 4}, {8, 4}};
    for (auto [score, level] : expected) {
        const auto classified = classifyGrandScore(score);
        QVERIFY(classified);
        QCOMPARE(classified->level, level);
        QCOMPARE(classified->caption, std::string_view("Action Level " + std::to_string(level)));
    }
    for (int outside : {0, -1, 9, 100})
        QVERIFY(!classifyGrandScore(outside));
    QCOMPARE(classifyGrandScore(2)->Recommendation,
             std::string_view("posture is Acceptable posture if it is not maintained or repeated for long periods"));
    QCOMPARE(
        classifyGrandScore(7)->longText,
        std::string_view("A score of seven or eight indicates investigation and changes are required immediately"));
}

// The whole range of each body-part score, from the RULA worksheet: the upper arm 1 to 4
// with +1 raised, +1 abducted and -1 supported; the neck and trunk 1 to 4 with +1 twisted and
// +1 side-bent; and so on.
void TestModel::bodyPartScoreRanges()
{
    const std::pair<Group, std::pair<int, int>> expected[] = {
        {Group::UpperRight, {0, 6}},      {Group::UpperLeft, {0, 6}},      {Group::LowerRight, {1, 3}},
        {Group::LowerLeft, {1, 3}},       {Group::WristRight, {1, 4}},     {Group::WristTwistRight, {1, 2}},
        {Group::WristLeft, {1, 4}},       {Group::WristTwistLeft, {1, 2}}, {Group::Neck, {1, 6}},
        {Group::Trunk, {1, 6}},           {Group::Legs, {1, 2}},           {Group::MuscleRightUpper, {0, 1}},
        {Group::MuscleLeftUpper, {0, 1}}, {Group::MuscleLower, {0, 1}},    {Group::ForceRightUpper, {0, 3}},
        {Group::ForceLeftUpper, {0, 3}},  {Group::ForceLower, {0, 3}}};
    for (const auto& [group, range] : expected) {
        const ScoreRange found = scoreRange(group);
        QCOMPARE(std::pair(found.lowest, found.highest), range);
    }
}

QTEST_APPLESS_MAIN(TestModel)
#include "tst_model.moc"
