// SPDX-License-Identifier: GPL-3.0-or-later
#include "Commands.h"

#include "ComparisonReport.h"
#include "ErrorLine.h"
#include "Evidence.h"
#include "EvidenceBelonging.h"
#include "FolderReading.h"
#include "OutputFiles.h"

#include <QBuffer>
#include <QFileInfo>
#include <QTextStream>

#include <optional>

namespace {

// Reads one of the two files; a bad one is named on `errors` in one line.
std::optional<ComparedFile> readCompared(const QString& path, QTextStream& errors)
{
    const std::optional<AssessmentRecord> saved =
        ReadGivenAssessment(path, "the comparison uses the scores its options give", errors);
    if (!saved)
        return std::nullopt;
    AssessmentRecord record = *saved;
    const EvidenceOfFile evidence = evidenceOfAssessment(path, saved->stored, PictureBytes::Left);
    if (evidence.present && !evidence.ok)
        errorLine(errors, evidence.path) << evidence.error << '\n';
    if (evidence.ok)
        completeRecord(record, evidence.evidence);
    return ComparedFile{QFileInfo(path).absoluteFilePath(), record};
}

} // namespace

int RunCompareCommand(const CommandLine& command, QTextStream& errors)
{
    const std::optional<ComparedFile> before = readCompared(command.inputs.value(0), errors);
    const std::optional<ComparedFile> after = readCompared(command.inputs.value(1), errors);
    if (!before || !after)
        return 1;

    // Beside AFTER: "Smith RULA Analysis.txt" gives "Smith RULA Analysis Comparison.pdf".
    const QString output = command.output.isEmpty()
                               ? OutputFiles::besideInput(command.inputs.value(1), QStringLiteral(" Comparison.pdf"))
                               : command.output;
    const QString refused = OutputFiles::refusal(output, command.inputs, !command.output.isEmpty());
    if (!refused.isEmpty()) {
        errorLine(errors, output) << refused << '\n';
        return 1;
    }
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    if (!writeComparisonReport(*before, *after, pdf)) {
        errorLine(errors, output) << "cannot be written: the comparison could not be drawn\n";
        return 1;
    }
    if (const QString error = OutputFiles::writeWhole(output, pdf.data()); !error.isEmpty()) {
        errorLine(errors, output) << "cannot be written: " << error << '\n';
        return 1;
    }
    return 0;
}
