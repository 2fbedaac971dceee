// SPDX-License-Identifier: GPL-3.0-or-later
// What opening Plan a Change costs in the model: the list of single changes and the search
// for the fewest changes that bring each side's level down, over many different complete
// assessments and over the one with every body part at its worst.
//   bench_plan [assessments]
#include "BenchSupport.h"
#include "ChangePlan.h"
#include "SavedFiles.h"

#include <QCoreApplication>

#include <chrono>

namespace {

// Every group at its highest base option with every adjustment of positive value ticked.
rula::AssessmentState worstAssessment()
{
    rula::AssessmentState state;
    for (const rula::GroupInfo& group : rula::groups()) {
        int worst = -1;
        for (int i = group.firstOption; i < group.firstOption + group.optionCount; ++i) {
            const rula::OptionInfo& option = rula::options()[static_cast<std::size_t>(i)];
            if (option.kind == rula::OptionKind::Base &&
                (worst < 0 || option.value > rula::options()[static_cast<std::size_t>(worst)].value))
                worst = i;
        }
        state.SelectOption(worst);
        for (int i = group.firstOption; i < group.firstOption + group.optionCount; ++i) {
            if (rula::options()[static_cast<std::size_t>(i)].kind == rula::OptionKind::Adjustment &&
                rula::options()[static_cast<std::size_t>(i)].value > 0)
                state.SelectOption(i);
        }
    }
    return state;
}

// Milliseconds for the list and the search, and the size of the set found (0 for none).
double planOnce(const rula::AssessmentState& assessment, std::size_t& setSize)
{
    const auto start = std::chrono::steady_clock::now();
    const rula::ResultScores computed;
    const std::vector<rula::SingleChange> changes = rula::singleChanges(assessment, computed);
    const std::optional<std::vector<int>> set = rula::smallestLoweringSet(assessment, computed, changes);
    setSize = set ? set->size() : 0;
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, atoi(argv[1])) : 2000;
    std::vector<double> varied;
    std::size_t largest = 0;
    for (int seed = 0; seed < count; ++seed) {
        std::size_t size = 0;
        varied.push_back(planOnce(variedAssessment(seed), size));
        largest = std::max(largest, size);
    }
    printTimings("varied assessments", varied, 22, 7, 3);
    std::printf("largest set found: %zu changes\n", largest);
    std::vector<double> worst;
    std::size_t worstSize = 0;
    for (int run = 0; run < 20; ++run)
        worst.push_back(planOnce(worstAssessment(), worstSize));
    printTimings("every part at its worst", worst, 22, 7, 3);
    std::printf("set found there: %zu changes\n", worstSize);
    return 0;
}
