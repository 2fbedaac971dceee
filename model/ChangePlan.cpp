// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChangePlan.h"

#include "ActionLevels.h"

#include <algorithm>
#include <climits>
#include <tuple>

namespace rula {
namespace {

int levelOf(int grandScore)
{
    const std::optional<ActionLevel> level = classifyGrandScore(grandScore);
    return level ? level->level : 0;
}

// The group's selected base option (into options()), or -1.
int selectedBase(const AssessmentState& assessment, const GroupInfo& group)
{
    for (int i = group.firstOption; i < group.firstOption + group.optionCount; ++i) {
        if (options()[static_cast<std::size_t>(i)].kind == OptionKind::Base && assessment.isSelected(i))
            return i;
    }
    return -1;
}

// The group's neutral band: its base option of the lowest value.
int neutralBase(const GroupInfo& group)
{
    int neutral = -1;
    for (int i = group.firstOption; i < group.firstOption + group.optionCount; ++i) {
        const OptionInfo& option = options()[static_cast<std::size_t>(i)];
        if (option.kind == OptionKind::Base &&
            (neutral < 0 || option.value < options()[static_cast<std::size_t>(neutral)].value))
            neutral = i;
    }
    return neutral;
}

// A change an ergonomist would recommend: toward the neutral posture. Another band of lower
// value on the same side of neutral, or neutral itself (never from flexion over to
// extension); an adjustment that adds to the score removed, the one that lowers it added.
std::optional<ChangeKind> changeKindOf(const AssessmentState& assessment, int optionIndex, int base)
{
    const OptionInfo& option = options()[static_cast<std::size_t>(optionIndex)];
    const OptionInfo& current = options()[static_cast<std::size_t>(base)];
    const bool selected = assessment.isSelected(optionIndex);
    if (option.kind == OptionKind::Base) {
        const bool towardNeutral =
            option.beyondNeutral == current.beyondNeutral || optionIndex == neutralBase(groupInfo(option.group));
        return !selected && option.value < current.value && towardNeutral ? std::optional(ChangeKind::Select)
                                                                          : std::nullopt;
    }
    if (selected && option.value > 0)
        return ChangeKind::Untick;
    if (!selected && option.value < 0)
        return ChangeKind::Tick;
    return std::nullopt;
}

// One way of changing one group: some of its single changes (positions in the list), and
// the group's score after them.
struct GroupChoice
{
    std::vector<int> positions;
    int score;
};

// The ways worth trying for one group: no change, and every combination of its changes
// (at most one base option) that scores lower than every way with fewer changes. A way
// with more changes and no lower score cannot be in a smallest set, since the method's
// tables never rise as a body-part score falls. Of ways of one size and one score, the one
// first in the list stands for all: they lead to the same grand scores.
std::vector<GroupChoice> groupChoices(const AssessmentState& assessment, const std::vector<SingleChange>& changes,
                                      Group group)
{
    std::vector<int> own;
    for (int p = 0; p < int(changes.size()); ++p) {
        if (changes[static_cast<std::size_t>(p)].group() == group)
            own.push_back(p);
    }
    std::vector<GroupChoice> all;
    for (unsigned mask = 0; mask < (1u << own.size()); ++mask) {
        std::vector<SingleChange> picked;
        GroupChoice choice{{}, 0};
        for (std::size_t bit = 0; bit < own.size(); ++bit) {
            if (mask & (1u << bit)) {
                choice.positions.push_back(own[bit]);
                picked.push_back(changes[static_cast<std::size_t>(own[bit])]);
            }
        }
        if (!combinable(picked))
            continue;
        choice.score = withChanges(assessment, picked).score(group);
        all.push_back(std::move(choice));
    }
    std::sort(all.begin(), all.end(), [](const GroupChoice& a, const GroupChoice& b) {
        if (a.positions.size() != b.positions.size())
            return a.positions.size() < b.positions.size();
        return a.score != b.score ? a.score < b.score : a.positions < b.positions;
    });
    std::vector<GroupChoice> kept;
    int lowestOfFewer = INT_MAX;
    int lowestOfThisSize = INT_MAX;
    std::size_t size = 0;
    for (GroupChoice& choice : all) {
        if (choice.positions.size() != size) {
            size = choice.positions.size();
            lowestOfFewer = std::min(lowestOfFewer, lowestOfThisSize);
            lowestOfThisSize = INT_MAX;
        }
        const bool sameAsKept =
            !kept.empty() && kept.back().positions.size() == size && kept.back().score == choice.score;
        if ((size == 0 || choice.score < lowestOfFewer) && !sameAsKept) {
            lowestOfThisSize = std::min(lowestOfThisSize, choice.score);
            kept.push_back(std::move(choice));
        }
    }
    return kept;
}

// Depth-first search over the groups for the best set of exactly `budget` changes. The
// assessment with the choices made so far is carried down, one copy per depth.
class SetSearch
{
public:
    SetSearch(const AssessmentState& assessment, const ResultScores& computed, const std::vector<SingleChange>& changes,
              const PlanOutcome& before)
        : m_assessment(assessment), m_computed(computed), m_changes(changes), m_before(before)
    {
        for (const GroupInfo& group : groups()) {
            std::vector<GroupChoice> choices = groupChoices(assessment, changes, group.group);
            if (choices.size() > 1)
                m_choices.push_back(std::move(choices));
        }
        for (const std::vector<GroupChoice>& choices : m_choices) {
            std::size_t most = 0;
            std::size_t lowest = 0;
            for (std::size_t c = 0; c < choices.size(); ++c) {
                most = std::max(most, choices[c].positions.size());
                if (choices[c].score < choices[lowest].score)
                    lowest = c;
            }
            m_mostChanges.push_back(int(most));
            m_lowest.push_back(lowest);
        }
        m_roomAfter.assign(m_choices.size() + 1, 0);
        for (std::size_t g = m_choices.size(); g-- > 0;)
            m_roomAfter[g] = m_roomAfter[g + 1] + m_mostChanges[g];
    }

    // True when some set of changes, however many, would do it.
    bool anyWouldDo() const { return meets(withLowestFrom(m_assessment, 0)); }

    int largestBudget() const { return m_roomAfter.front(); }

    std::optional<std::vector<int>> bestOfSize(int budget)
    {
        m_best.reset();
        std::vector<std::size_t> picks(m_choices.size(), 0);
        search(m_assessment, picks, 0, budget);
        return m_best ? std::optional(m_best->positions) : std::nullopt;
    }

private:
    struct Candidate
    {
        int higherLevel;
        int grandSum;
        std::vector<int> positions;
        bool operator<(const Candidate& other) const
        {
            return std::tie(higherLevel, grandSum, positions) <
                   std::tie(other.higherLevel, other.grandSum, other.positions);
        }
    };

    bool meets(const AssessmentState& state) const
    {
        const PlanOutcome after = outcomeOf(state, m_computed);
        auto side = [](int before, int now) { return before > 1 ? now < before : now <= before; };
        return side(m_before.levelRight, after.levelRight) && side(m_before.levelLeft, after.levelLeft);
    }

    void apply(AssessmentState& state, const GroupChoice& choice) const
    {
        for (int p : choice.positions) {
            const SingleChange& change = m_changes[static_cast<std::size_t>(p)];
            const bool wanted = change.kind != ChangeKind::Untick;
            if (change.kind == ChangeKind::Select || state.isSelected(change.optionIndex) != wanted)
                state.SelectOption(change.optionIndex);
        }
    }

    // `state` with every group from `first` on at its lowest score.
    AssessmentState withLowestFrom(AssessmentState state, std::size_t first) const
    {
        for (std::size_t g = first; g < m_choices.size(); ++g)
            apply(state, m_choices[g][m_lowest[g]]);
        return state;
    }

    void search(const AssessmentState& state, std::vector<std::size_t>& picks, std::size_t group, int budget)
    {
        if (group == m_choices.size()) {
            if (budget == 0 && meets(state))
                consider(state, picks);
            return;
        }
        for (std::size_t c = 0; c < m_choices[group].size(); ++c) {
            const int size = int(m_choices[group][c].positions.size());
            if (size > budget || budget - size > m_roomAfter[group + 1])
                continue;
            AssessmentState next = state;
            apply(next, m_choices[group][c]);
            // Not even the lowest scores of the groups still open would do.
            if (!meets(withLowestFrom(next, group + 1)))
                continue;
            picks[group] = c;
            search(next, picks, group + 1, budget - size);
        }
    }

    void consider(const AssessmentState& state, const std::vector<std::size_t>& picks)
    {
        const PlanOutcome after = outcomeOf(state, m_computed);
        Candidate candidate{std::max(after.levelRight, after.levelLeft), after.grandRight() + after.grandLeft(), {}};
        for (std::size_t g = 0; g < picks.size(); ++g) {
            const std::vector<int>& positions = m_choices[g][picks[g]].positions;
            candidate.positions.insert(candidate.positions.end(), positions.begin(), positions.end());
        }
        std::sort(candidate.positions.begin(), candidate.positions.end());
        if (!m_best || candidate < *m_best)
            m_best = std::move(candidate);
    }

    const AssessmentState& m_assessment;
    const ResultScores& m_computed;
    const std::vector<SingleChange>& m_changes;
    PlanOutcome m_before;
    std::vector<std::vector<GroupChoice>> m_choices; // groups with at least one change
    std::vector<int> m_mostChanges;
    std::vector<int> m_roomAfter; // the most changes the groups from this one on can take
    std::vector<std::size_t> m_lowest;
    std::optional<Candidate> m_best;
};

} // namespace

PlanOutcome outcomeOf(const AssessmentState& assessment, const ResultScores& computed)
{
    PlanOutcome outcome;
    outcome.results = computed;
    ComputeScores(assessment, outcome.results);
    outcome.levelRight = levelOf(outcome.results.GrandScoreRight);
    outcome.levelLeft = levelOf(outcome.results.GrandScoreLeft);
    return outcome;
}

std::vector<SingleChange> singleChanges(const AssessmentState& assessment, const ResultScores& computed)
{
    std::vector<SingleChange> changes;
    for (const GroupInfo& group : groups()) {
        const int base = selectedBase(assessment, group);
        if (base < 0)
            continue; // nothing chosen yet: nothing to lower
        for (int i = group.firstOption; i < group.firstOption + group.optionCount; ++i) {
            const std::optional<ChangeKind> kind = changeKindOf(assessment, i, base);
            if (!kind)
                continue;
            SingleChange change;
            change.optionIndex = i;
            change.kind = *kind;
            if (*kind == ChangeKind::Select)
                change.replacedOption = base;
            AssessmentState changed = assessment;
            changed.SelectOption(i);
            change.scoreBefore = assessment.score(group.group);
            change.scoreAfter = changed.score(group.group);
            change.outcome = outcomeOf(changed, computed);
            changes.push_back(change);
        }
    }
    std::stable_sort(changes.begin(), changes.end(), [](const SingleChange& a, const SingleChange& b) {
        auto key = [](const SingleChange& c) {
            return std::make_pair(std::max(c.outcome.levelRight, c.outcome.levelLeft),
                                  c.outcome.grandRight() + c.outcome.grandLeft());
        };
        return key(a) < key(b);
    });
    return changes;
}

AssessmentState withChanges(AssessmentState assessment, const std::vector<SingleChange>& changes)
{
    for (const SingleChange& change : changes) {
        // A tick or an untick is a toggle: made only when the option is not yet as wanted.
        const bool wanted = change.kind != ChangeKind::Untick;
        if (change.kind == ChangeKind::Select || assessment.isSelected(change.optionIndex) != wanted)
            assessment.SelectOption(change.optionIndex);
    }
    return assessment;
}

bool combinable(const std::vector<SingleChange>& changes)
{
    for (std::size_t a = 0; a < changes.size(); ++a) {
        for (std::size_t b = a + 1; b < changes.size(); ++b) {
            if (changes[a].kind == ChangeKind::Select && changes[b].kind == ChangeKind::Select &&
                changes[a].group() == changes[b].group())
                return false;
        }
    }
    return true;
}

std::optional<std::vector<int>> smallestLoweringSet(const AssessmentState& assessment, const ResultScores& computed,
                                                    const std::vector<SingleChange>& changes)
{
    const PlanOutcome before = outcomeOf(assessment, computed);
    if (before.levelRight <= 1 && before.levelLeft <= 1)
        return std::nullopt;
    SetSearch search(assessment, computed, changes, before);
    if (!search.anyWouldDo())
        return std::nullopt;
    for (int size = 1; size <= search.largestBudget(); ++size) {
        if (std::optional<std::vector<int>> best = search.bestOfSize(size))
            return best;
    }
    return std::nullopt;
}

bool sameAssessment(const AssessmentState& a, const AssessmentState& b)
{
    for (int i = 0; i < OptionCount; ++i) {
        if (a.isSelected(i) != b.isSelected(i))
            return false;
    }
    return true;
}

} // namespace rula
