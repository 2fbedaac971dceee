// SPDX-License-Identifier: GPL-3.0-or-later
#include "AssessmentReport.h"
#include "Commands.h"
#include "ErrorLine.h"
#include "Evidence.h"
#include "EvidenceBelonging.h"
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
    // The evidence kept with the file completes the record and gives the pictures and angles.
    AssessmentRecord record = saved.record;
    ReportSources sources;
    PictureCopy picture;
    std::vector<PictureCopy> keyFramePictures;
    const EvidenceOfFile evidence = evidenceOfAssessment(input, saved.record.stored);
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
            if (!kept.keyFrame)
                continue;
            keyFramePictures.push_back(copyOfPicture(kept));
            const QString file = keyFramePictures.back().path;
            const EvidenceKeyFrame& frame = *kept.keyFrame;
            sources.keyFrames.push_back({file,
                                         frame.videoFile,
                                         frame.frameNumber,
                                         frame.timeMs,
                                         frame.reason,
                                         frame.note,
                                         measurementsOf(kept, file.toStdString()),
                                         {},
                                         {}});
        }
    }
    const ReportOutcome outcome = WriteReport(reportContentOf(record, sources), OutputFiles::writePath(output));
    if (!outcome.ok) {
        errorLine(errors, output) << outcome.reason << '\n';
        return 1;
    }
    return 0;
}
