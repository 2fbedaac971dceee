// SPDX-License-Identifier: GPL-3.0-or-later
#include "AssessmentReport.h"
#include "Commands.h"
#include "ErrorLine.h"
#include "Evidence.h"
#include "EvidenceBelonging.h"
#include "FolderReading.h"
#include "OutputFiles.h"

#include <QFileInfo>
#include <QTextStream>

int RunReportCommand(const CommandLine& command, QTextStream& errors)
{
    const QString input = command.inputs.value(0);
    const std::optional<AssessmentRecord> saved =
        ReadGivenAssessment(input, "the report shows the scores its options give", errors);
    if (!saved)
        return 1;
    const QString output =
        command.output.isEmpty() ? OutputFiles::besideInput(input, QStringLiteral(" Report.pdf")) : command.output;
    const QString refused = OutputFiles::refusal(output, {input}, !command.output.isEmpty());
    if (!refused.isEmpty()) {
        errorLine(errors, output) << refused << '\n';
        return 1;
    }
    // The evidence kept with the file completes the record and gives the pictures and angles.
    AssessmentRecord record = *saved;
    ReportSources sources;
    PictureCopy picture;
    std::vector<PictureCopy> keyFramePictures;
    std::vector<PictureCopy> extraPictures;
    const EvidenceOfFile evidence = evidenceOfAssessment(input, saved->stored);
    if (evidence.present && !evidence.ok)
        errorLine(errors, evidence.path) << evidence.error << '\n';
    if (evidence.ok) {
        completeRecord(record, evidence.evidence);
        if (const EvidencePicture* workplace = evidence.evidence.workplacePicture()) {
            picture = copyOfPicture(*workplace);
            sources.workplacePictureFile = picture.path;
            sources.angleMeasurements = measurementsOf(*workplace, picture.path.toStdString());
        }
        for (const EvidencePicture& kept : evidence.evidence.pictures) {
            if (kept.role == QLatin1String("extra") && !kept.hasBytes())
                errorLine(errors, evidence.path) << "the extra picture \"" << kept.fileName
                                                 << "\" was kept by name only; the report leaves it out\n";
            if (kept.role == QLatin1String("extra") && kept.hasBytes()) {
                extraPictures.push_back(copyOfPicture(kept));
                sources.extraPictureFiles << extraPictures.back().path;
            }
            if (!kept.keyFrame)
                continue;
            keyFramePictures.push_back(copyOfPicture(kept));
            sources.keyFrames.push_back(keyFrameOf(kept, keyFramePictures.back().path));
        }
    }
    if (evidence.ok) {
        // The planned changes were planned on this very assessment (the evidence belongs to its text).
        sources.plannedChanges = plannedChangesOf(evidence.evidence, record);
        sources.plannedOn = record.assessment;
        sources.timeline = evidence.evidence.timeline;
    }
    const ReportOutcome outcome = WriteReport(reportContentOf(record, sources), OutputFiles::writePath(output));
    if (!outcome.ok) {
        errorLine(errors, output) << outcome.reason << '\n';
        return 1;
    }
    return 0;
}
