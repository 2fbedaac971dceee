// SPDX-License-Identifier: GPL-3.0-or-later
// Plan a Change: the single changes of two hand-worked assessments, each row's scores read by
// hand from the published Tables A, B and C (tests/data/rula_tables.txt); the fewest changes
// that bring each side's level down; two changes ticked in the window and carried into the
// report's "Planned changes" page.
#include "ChangePlan.h"
#include "PdfChecks.h"
#include "PlanChange.h"
#include "ProgramRuns.h"
#include "RULAAction.h"
#include "ReportDialogs.h"
#include "SavedFiles.h"
#include "WindowTestSupport.h"

#include <QListWidget>
#include <QProcess>
#include <QTemporaryDir>

namespace {

using rula::Group;
using Picks = std::vector<std::pair<Group, std::vector<int>>>; // option numbers clicked per group

rula::AssessmentState assessmentOf(const Picks& picks)
{
    rula::AssessmentState state;
    for (const auto& [group, numbers] : picks) {
        for (int number : numbers)
            state.SelectOption(rula::groupInfo(group).firstOption + number - 1);
    }
    return state;
}

// Right: upper arm flexed 45°-90° (3), forearm 60°-100° (1), wrist bent up to 15° (2), twist
// mid-range (1), static (1), no force (0): Table A 4, score C 5. Left: upper arm within 20°
// with the arm supported (0, looked up as 1), every other part lowest: Table A 1, score C 1.
// Neck flexed more than 20° and twisted (4), trunk flexed 20°-60° (3), legs unsupported (2),
// no muscle use or force: Table B 7, score D 7. Grand scores 7 / 5, action levels 4 / 3.
const Picks LevelFour{{Group::UpperRight, {4}},      {Group::UpperLeft, {1, 8}},   {Group::LowerRight, {1}},
                      {Group::LowerLeft, {1}},       {Group::WristRight, {2}},     {Group::WristTwistRight, {1}},
                      {Group::WristLeft, {1}},       {Group::WristTwistLeft, {1}}, {Group::Neck, {3, 5}},
                      {Group::Trunk, {3}},           {Group::Legs, {2}},           {Group::MuscleRightUpper, {1}},
                      {Group::MuscleLeftUpper, {2}}, {Group::MuscleLower, {2}},    {Group::ForceRightUpper, {1}},
                      {Group::ForceLeftUpper, {1}},  {Group::ForceLower, {1}}};

// As the workplace of the issue: the right arm as above but not static (score C 4); neck
// 0°-10° (1), trunk flexed 20°-60° (3), legs unsupported (2): Table B 4, with static lower
// body (1) and 2-10 kg intermittent (1) score D 6. Grand scores 6 / 5, action levels 3 / 3.
const Picks LevelThree{{Group::UpperRight, {4}},      {Group::UpperLeft, {1, 8}},   {Group::LowerRight, {1}},
                       {Group::LowerLeft, {1}},       {Group::WristRight, {2}},     {Group::WristTwistRight, {1}},
                       {Group::WristLeft, {1}},       {Group::WristTwistLeft, {1}}, {Group::Neck, {1}},
                       {Group::Trunk, {3}},           {Group::Legs, {2}},           {Group::MuscleRightUpper, {2}},
                       {Group::MuscleLeftUpper, {2}}, {Group::MuscleLower, {1}},    {Group::ForceRightUpper, {1}},
                       {Group::ForceLeftUpper, {1}},  {Group::ForceLower, {2}}};

// "group option" of each change, for comparing lists by hand.
QStringList named(const std::vector<rula::SingleChange>& changes, const std::vector<int>& positions)
{
    QStringList names;
    for (int p : positions) {
        const rula::OptionInfo& option = rula::options()[static_cast<std::size_t>(changes[std::size_t(p)].optionIndex)];
        names << QStringLiteral("%1 %2")
                     .arg(QString::fromUtf8(rula::groupInfo(option.group).key.data(),
                                            qsizetype(rula::groupInfo(option.group).key.size())))
                     .arg(option.number);
    }
    return names;
}

QString pdfText(const QString& path, int page)
{
    QProcess tool;
    tool.start(QStringLiteral("pdftotext"),
               {QStringLiteral("-enc"), QStringLiteral("UTF-8"), QStringLiteral("-f"), QString::number(page),
                QStringLiteral("-l"), QString::number(page), path, QStringLiteral("-")});
    if (!tool.waitForFinished(60000) || tool.exitCode() != 0)
        qFatal("pdftotext failed on %s", qPrintable(path));
    return QString::fromUtf8(tool.readAllStandardOutput()).normalized(QString::NormalizationForm_KC).simplified();
}

} // namespace

class PlanTest : public QObject, public WindowFixture
{
    Q_OBJECT
private slots:
    void initTestCase() { startRecording(); }
    void init() { makeWindows(); }
    void cleanup()
    {
        dropWindows();
        ReportDialogs::resetHandlers();
    }

    void planCommandListsEverySingleChange();
    void levelSortsBeforeGrandScores();
    void smallestSet_data();
    void smallestSet();
    void tickedChangesReachTheReport();
    void unscoredSidesAreNotCalledLevelOne();
    void changesGoTowardNeutral_data();
    void changesGoTowardNeutral();
};

// The saved level-4 assessment through `--plan`: every row worked out by hand.
void PlanTest::planCommandListsEverySingleChange()
{
    QTemporaryDir dir;
    const QString saved = dir.filePath(QStringLiteral("Bench RULA Analysis.txt"));
    QVERIFY(writeWholeFile(saved, savedTextFile(assessmentOf(LevelFour), {"Bench", "7", "Line 2"})));
    const Run run = runProgram({QStringLiteral("--plan"), saved});
    QCOMPARE(run.status, 0);
    QVERIFY2(run.errorLines.isEmpty(), qPrintable(run.errorLines.join('\n')));
    QFile csv(dir.filePath(QStringLiteral("Bench RULA Analysis Plan.csv")));
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QByteArray expected =
        "group,option,change,score_before,score_after,grand_right,grand_left,level_right,level_left\r\n"
        // Score D 7 -> 5 (Table B 5): grand scores 6 / 4.
        "Neck,1,select,4,2,6,4,3,2\r\n"
        "Neck,2,select,4,3,6,4,3,2\r\n"
        "Neck,5,untick,4,3,6,4,3,2\r\n"
        "Trunk,1,select,3,1,6,4,3,2\r\n"
        // Score C 5 -> 3 or 4 with score D 7: grand score 6 on the right.
        "Upper Right,1,select,3,1,6,5,3,3\r\n"
        "Upper Right,3,select,3,2,6,5,3,3\r\n"
        "Upper Right,8,tick,3,2,6,5,3,3\r\n"
        "Wrist Right,1,select,2,1,6,5,3,3\r\n"
        "Muscle Right Upper,2,select,1,0,6,5,3,3\r\n"
        // Table B 6, score D 6: still 7 / 5.
        "Trunk,2,select,3,2,7,5,4,3\r\n"
        "Legs,1,select,2,1,7,5,4,3\r\n";
    QCOMPARE(csv.readAll(), expected);

    const Run bad = runProgram({QStringLiteral("--plan"), QStringLiteral(TALVO_TEST_DATA "/rula_tables.txt")});
    QCOMPARE(bad.status, 1);
    QVERIFY(bad.errorLines.value(0).startsWith(QStringLiteral("talvo-rula: ")));
}

// Right: Table A 4 + static 1 + force 2 = score C 7; left: Table A 1 + static 1 + force 3 =
// 5; neck 1, trunk more than 60° (4), legs supported: Table B 5, score D 5. Grand scores 7 / 6.
// No left force gives left score C 2: 7 / 4 (sum 11, level 4); right force of 2-10 kg
// intermittent gives right score C 6: 6 / 6 (sum 12, level 3), which comes first.
void PlanTest::levelSortsBeforeGrandScores()
{
    const Picks picks{{Group::UpperRight, {4}},      {Group::UpperLeft, {1}},      {Group::LowerRight, {1}},
                      {Group::LowerLeft, {1}},       {Group::WristRight, {2}},     {Group::WristTwistRight, {1}},
                      {Group::WristLeft, {1}},       {Group::WristTwistLeft, {1}}, {Group::Neck, {1}},
                      {Group::Trunk, {4}},           {Group::Legs, {1}},           {Group::MuscleRightUpper, {1}},
                      {Group::MuscleLeftUpper, {1}}, {Group::MuscleLower, {2}},    {Group::ForceRightUpper, {3}},
                      {Group::ForceLeftUpper, {4}},  {Group::ForceLower, {1}}};
    const std::vector<rula::SingleChange> changes = rula::singleChanges(assessmentOf(picks), {});
    std::vector<int> all(changes.size());
    for (int i = 0; i < int(all.size()); ++i)
        all[std::size_t(i)] = i;
    const QStringList order = named(changes, all);
    const qsizetype right = order.indexOf(QStringLiteral("Force Right Upper 2"));
    const qsizetype left = order.indexOf(QStringLiteral("Force Left Upper 1"));
    QVERIFY(right >= 0 && left >= 0);
    QCOMPARE(changes[std::size_t(right)].outcome.grandRight(), 6);
    QCOMPARE(changes[std::size_t(left)].outcome.grandLeft(), 4);
    QVERIFY2(right < left, qPrintable(order.join(", ")));
}

// The bands offered instead of the chosen one, read from the RULA worksheet's drawings: only
// a band on the same side of neutral and nearer to it, or neutral itself.
void PlanTest::changesGoTowardNeutral_data()
{
    QTest::addColumn<Group>("group");
    QTest::addColumn<int>("chosen");
    QTest::addColumn<QStringList>("offered");
    QTest::newRow("upper arm flexed 45-90") << Group::UpperRight << 4 << QStringList{"Upper Right 1", "Upper Right 3"};
    QTest::newRow("upper arm flexed over 90")
        << Group::UpperLeft << 5 << QStringList{"Upper Left 1", "Upper Left 3", "Upper Left 4"};
    QTest::newRow("upper arm extended") << Group::UpperRight << 2 << QStringList{"Upper Right 1"};
    QTest::newRow("neck in extension") << Group::Neck << 4 << QStringList{"Neck 1"};
    QTest::newRow("neck flexed over 20") << Group::Neck << 3 << QStringList{"Neck 1", "Neck 2"};
}

void PlanTest::changesGoTowardNeutral()
{
    QFETCH(Group, group);
    QFETCH(int, chosen);
    QFETCH(QStringList, offered);
    Picks picks = LevelFour;
    for (auto& [g, numbers] : picks) {
        if (g == group)
            numbers = {chosen};
    }
    const std::vector<rula::SingleChange> changes = rula::singleChanges(assessmentOf(picks), {});
    std::vector<int> bands;
    for (int p = 0; p < int(changes.size()); ++p) {
        if (changes[std::size_t(p)].group() == group && changes[std::size_t(p)].kind == rula::ChangeKind::Select)
            bands.push_back(p);
    }
    QStringList names = named(changes, bands);
    names.sort();
    QCOMPARE(names, offered);
}

void PlanTest::smallestSet_data()
{
    QTest::addColumn<Picks>("picks");
    QTest::addColumn<QStringList>("expected"); // empty: none
    // Any of the first four rows alone takes both sides down; the first in the list is named.
    QTest::newRow("level 4: one change") << LevelFour << QStringList{"Neck 1"};
    // One change leaves the right side at 5 (score D 5 with C 4, or C 2-3 with D 6). Of the
    // pairs, trunk upright with the legs supported gives Table B 1, score D 3: 3 / 3, the
    // lowest grand scores.
    QTest::newRow("level 3: two changes") << LevelThree << QStringList{"Trunk 1", "Legs 1"};
    Picks lowest = LevelThree;
    for (auto& [group, numbers] : lowest)
        numbers = {1};
    QTest::newRow("level 1: none") << lowest << QStringList{};
}

void PlanTest::smallestSet()
{
    QFETCH(Picks, picks);
    QFETCH(QStringList, expected);
    const rula::AssessmentState assessment = assessmentOf(picks);
    const rula::ResultScores computed;
    const std::vector<rula::SingleChange> changes = rula::singleChanges(assessment, computed);
    const std::optional<std::vector<int>> set = rula::smallestLoweringSet(assessment, computed, changes);
    QCOMPARE(set ? named(changes, *set) : QStringList{}, expected);
}

// Nothing scored yet: both levels are "none", and no side is said to be at level 1.
void PlanTest::unscoredSidesAreNotCalledLevelOne()
{
    state->record = BuildRecord(state->assessment, {"Bench", "7", "Line 2"}, QDateTime::currentDateTime());
    RULAAction& action = windows->window<RULAAction>();
    action.showWindow();
    action.showLevels(state->record);
    click(action, "PlanChangeButton");
    const QWidget& window = windows->window<PlanChange>();
    QVERIFY(labelText(window, "PlanNow").contains(QStringLiteral("action levels none / none")));
    QCOMPARE(labelText(window, "SmallestSet"),
             QStringLiteral("A side without an action level has nothing to lower: score every body part first."));
}

// The assessor: the upper arm lowered alone keeps level 3; with the trunk it is level
// 2 on both sides. The plan goes into the report; the assessment stays as it was.
void PlanTest::tickedChangesReachTheReport()
{
    state->assessment = assessmentOf(LevelThree);
    state->record = BuildRecord(state->assessment, {"Bench", "7", "Line 2"}, QDateTime::currentDateTime());
    RULAAction& action = windows->window<RULAAction>();
    action.showWindow();
    action.showLevels(state->record);
    click(action, "PlanChangeButton");
    QWidget* window = &windows->window<PlanChange>();
    QVERIFY(window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral("Plan a Change"));
    auto* list = child<QListWidget>(*window, "Changes");
    QCOMPARE(list->count(), 9); // no extension for the arm flexed 45° to 90°
    QCOMPARE(list->item(0)->text(), QString::fromUtf8("Trunk: flexed 20° to 60° → upright (0°) (3 → 1): grand scores "
                                                      "6 / 5 → 5 / 4, action levels 3 / 3 → 3 / 2"));
    QVERIFY(labelText(*window, "SmallestSet").contains(QStringLiteral("Trunk: ")));

    auto tick = [list](const QString& start) {
        for (int row = 0; row < list->count(); ++row) {
            if (list->item(row)->text().startsWith(start)) {
                list->setCurrentRow(row);
                QTest::keyClick(list, Qt::Key_Space);
                return list->item(row);
            }
        }
        qFatal("no row %s", qPrintable(start));
    };
    auto planned = [window] {
        return QStringList{labelText(*window, "PlannedGrandRight"), labelText(*window, "PlannedGrandLeft"),
                           labelText(*window, "PlannedLevelRight"), labelText(*window, "PlannedLevelLeft")};
    };
    // Table A 3, score C 3; score D still 6: 5 / 5.
    QListWidgetItem* arm = tick(QString::fromUtf8("Upper Right Arm: flexed 45° to 90° → flexed 20° to 45°"));
    QCOMPARE(planned(), (QStringList{"5", "5", "3", "3"}));
    // Table B 3, score D 5: C 3 gives 4, C 1 gives 4.
    tick(QString::fromUtf8("Trunk: flexed 20° to 60° → flexed 0° to 20°"));
    QCOMPARE(planned(), (QStringList{"4", "4", "2", "2"}));
    // Another posture of the same upper arm replaces the one ticked before.
    QListWidgetItem* other = tick(QString::fromUtf8("Upper Right Arm: flexed 45° to 90° → between 20° extension"));
    QCOMPARE(arm->checkState(), Qt::Unchecked);
    list->setCurrentItem(other);
    QTest::keyClick(list, Qt::Key_Space);
    list->setCurrentItem(arm);
    QTest::keyClick(list, Qt::Key_Space);
    QCOMPARE(planned(), (QStringList{"4", "4", "2", "2"}));
    click(*window, "AddToReport");

    QTemporaryDir dir;
    const QString report = dir.filePath(QStringLiteral("plan.pdf"));
    ReportDialogs::setHandlers({[&](QWidget*, const QString&) { return report; },
                                [](QWidget*, const QString&) { return false; }, [](const QString&) { return true; }});
    click(action, "Command8");
    QVERIFY2(recorder.messages.isEmpty(), qPrintable(recorder.messages.join('\n')));
    QCOMPARE(pdfAProblems(report), QString());
    const QString page = pdfText(report, 3);
    QVERIFY2(page.startsWith(QStringLiteral("Planned changes")), qPrintable(page));
    for (const char* line :
         {"Upper Right Arm: flexed 45° to 90° → flexed 20° to 45° (3 → 2)",
          "Trunk: flexed 20° to 60° → flexed 0° to 20° (3 → 2)", "Right side: grand score 6 → 4, action level 3 → 2",
          "Left side: grand score 5 → 4, action level 3 → 2", "Upper arm", "Trunk"})
        QVERIFY2(page.contains(QString::fromUtf8(line)), line);
    QVERIFY(!page.contains(QStringLiteral("Legs")));
    QVERIFY(pdfText(report, 4).contains(QStringLiteral("Reduction measures")));

    // Nothing planned reached the assessment.
    QVERIFY(rula::sameAssessment(state->assessment, assessmentOf(LevelThree)));
    QVERIFY(rula::sameAssessment(state->record.assessment, assessmentOf(LevelThree)));
    QCOMPARE(state->record.results.GrandScoreRight, 6);
}

QTEST_MAIN(PlanTest)
#include "tst_plan.moc"
