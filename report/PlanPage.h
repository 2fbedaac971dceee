// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AssessmentRecord.h"
#include "ChangePlan.h"
#include "ReductionMeasures.h"

#include <QString>

#include <vector>

// The texts of planned changes, as the Plan a Change window lists them and the report prints them.
namespace PlanText {

// A base option's band without the words every band of its group starts with:
// "upper arm flexed 45° to 90°" gives "flexed 45° to 90°".
QString bandText(int optionIndex);

// "Upper Right Arm: flexed 45° to 90° → flexed 20° to 45° (3 → 2)", "Neck: without neck
// twisting (4 → 3)", "Upper Left Arm: with leaning, or the weight of the arm supported (1 → 0)".
QString change(const rula::SingleChange& change);

// "grand scores 6 / 5 → 5 / 5, action levels 3 / 3 → 3 / 3" (right / left).
QString outcome(const rula::PlanOutcome& before, const rula::PlanOutcome& after);

// A row of the list: the change, a colon, and where it leads on its own.
QString row(const rula::SingleChange& change, const rula::PlanOutcome& before);

} // namespace PlanText

// The report's "Planned changes" page after its title: the planned changes with each group's
// score before and after, both sides' grand scores and action levels before and with all of
// them, and the reduction measures guide's sections for the body regions they touch (read
// from `reductionMeasuresFile`; none when it is empty).
std::vector<MeasureParagraph> PlannedChangesPage(const AssessmentRecord& record,
                                                 const std::vector<rula::SingleChange>& planned,
                                                 const QString& reductionMeasuresFile);
