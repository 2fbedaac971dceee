// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChangePlan.h"
#include "Commands.h"
#include "ErrorLine.h"
#include "FolderReading.h"
#include "ModelText.h"
#include "OutputFiles.h"
#include "RegisterCsv.h"

#include <QStringList>
#include <QTextStream>

namespace {

QByteArray changeName(rula::ChangeKind kind)
{
    switch (kind) {
    case rula::ChangeKind::Select:
        return "select";
    case rula::ChangeKind::Tick:
        return "tick";
    case rula::ChangeKind::Untick:
        return "untick";
    }
    return QByteArray();
}

// One row per single change, in the order of the Plan a Change list; RFC 4180, CR LF.
QByteArray planCsv(const AssessmentRecord& record)
{
    QByteArray csv = "group,option,change,score_before,score_after,grand_right,grand_left,level_right,level_left\r\n";
    for (const rula::SingleChange& change : rula::singleChanges(record.assessment, record.results)) {
        const rula::OptionInfo& option = rula::options()[static_cast<std::size_t>(change.optionIndex)];
        const QList<QByteArray> fields{RegisterCsv::field(modelText(rula::groupInfo(option.group).key)),
                                       QByteArray::number(option.number),
                                       changeName(change.kind),
                                       QByteArray::number(change.scoreBefore),
                                       QByteArray::number(change.scoreAfter),
                                       QByteArray::number(change.outcome.grandRight()),
                                       QByteArray::number(change.outcome.grandLeft()),
                                       QByteArray::number(change.outcome.levelRight),
                                       QByteArray::number(change.outcome.levelLeft)};
        csv += fields.join(',') + "\r\n";
    }
    return csv;
}

} // namespace

int RunPlanCommand(const CommandLine& command, QTextStream& errors)
{
    const QString input = command.inputs.value(0);
    const std::optional<AssessmentRecord> saved =
        ReadGivenAssessment(input, "the plan starts from the scores its options give", errors);
    if (!saved)
        return 1;
    const QString output =
        command.output.isEmpty() ? OutputFiles::besideInput(input, QStringLiteral(" Plan.csv")) : command.output;
    const QString refused = OutputFiles::refusal(output, {input}, !command.output.isEmpty());
    if (!refused.isEmpty()) {
        errorLine(errors, output) << refused << '\n';
        return 1;
    }
    if (const QString error = OutputFiles::writeWhole(output, planCsv(*saved)); !error.isEmpty()) {
        errorLine(errors, output) << "cannot be written: " << error << '\n';
        return 1;
    }
    return 0;
}
