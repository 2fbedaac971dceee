// SPDX-License-Identifier: GPL-3.0-or-later
#include "AssessmentReport.h"
#include "Commands.h"
#include "ErrorLine.h"
#include "FolderReading.h"
#include "OutputFiles.h"
#include "SavedAssessment.h"

#include <QFileInfo>
#include <QTextStream>

int RunReportCommand(const CommandLine& command, QTextStream& errors)
{
    const QString input = command.inputs.value(0);
    RepairFolderOf(input, errors);
    const SavedAssessment saved = ReadSavedAssessmentFile(input);
    if (!saved.ok) {
        errorLine(errors, input) << saved.error << '\n';
        return 1;
    }
    const QString output =
        command.output.isEmpty() ? OutputFiles::besideInput(input, QStringLiteral(" Report.pdf")) : command.output;
    const QString refused = OutputFiles::refusal(output, {input}, !command.output.isEmpty());
    if (!refused.isEmpty()) {
        errorLine(errors, output) << refused << '\n';
        return 1;
    }
    const ReportOutcome outcome = WriteReport(reportContentOf(saved.record), OutputFiles::writePath(output));
    if (!outcome.ok) {
        errorLine(errors, output) << outcome.reason << '\n';
        return 1;
    }
    return 0;
}
