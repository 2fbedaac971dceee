// SPDX-License-Identifier: GPL-3.0-or-later
#include "Commands.h"
#include "ErrorLine.h"
#include "FolderReading.h"
#include "OutputFiles.h"
#include "SavedAssessment.h"
#include "VideoScorer.h"

#include <QFileInfo>
#include <QStringList>
#include <QTextStream>

namespace {

QByteArray decimal(double value, int places)
{
    return QByteArray::number(value, 'f', places);
}

// One row per sample and side, the right side first; RFC 4180, CR LF. Angles in whole degrees
// as Measure Angles shows them (flexion positive); a field is empty where the worker, or the
// landmarks a value needs, were not found.
QByteArray timelineCsv(const rula::VideoTimeline& timeline)
{
    QByteArray csv = "frame,time_s,side,confidence,upper_arm_deg,lower_arm_deg,wrist_deg,neck_deg,trunk_deg,"
                     "upper_arm,lower_arm,wrist,neck,trunk,grand,action_level\r\n";
    for (const rula::ScoredSample& sample : timeline.samples) {
        for (const rula::Side side : {rula::Side::Right, rula::Side::Left}) {
            const rula::SideScore& scores = sample.side(side);
            QList<QByteArray> fields{QByteArray::number(sample.frame), decimal(sample.timeSeconds, 3),
                                     side == rula::Side::Right ? "right" : "left",
                                     sample.landmarks.found ? decimal(scores.confidence, 3) : QByteArray()};
            for (const rula::PartScore& part : scores.parts)
                fields << (part.angle ? QByteArray::number(rula::wholeDegrees(*part.angle)) : QByteArray());
            for (const rula::PartScore& part : scores.parts)
                fields << (part.angle ? QByteArray::number(part.score) : QByteArray());
            fields << (scores.scored ? QByteArray::number(scores.grand) : QByteArray())
                   << (scores.scored ? QByteArray::number(scores.actionLevel) : QByteArray());
            csv += fields.join(',') + "\r\n";
        }
    }
    return csv;
}

} // namespace

int RunScoreVideoCommand(const CommandLine& command, QTextStream& errors)
{
    const QString input = command.inputs.value(0);
    if (!QFileInfo(input).isFile()) {
        errorLine(errors, input) << "no such file.\n";
        return 1;
    }
    VideoScorer::Settings settings;
    settings.videoFile = input;
    settings.samplesPerSecond = command.samplesPerSecond;
    if (!command.assessment.isEmpty()) {
        RepairFolderOf(command.assessment, errors);
        const SavedAssessment saved = ReadSavedAssessmentFile(command.assessment);
        if (!saved.ok) {
            errorLine(errors, command.assessment) << saved.error << '\n';
            return 1;
        }
        settings.assessor = saved.record.assessment;
    }
    const QString output =
        command.output.isEmpty() ? OutputFiles::besideInput(input, QStringLiteral(" Scores.csv")) : command.output;
    QStringList inputs{input};
    if (!command.assessment.isEmpty())
        inputs << command.assessment;
    const QString refused = OutputFiles::refusal(output, inputs, !command.output.isEmpty());
    if (!refused.isEmpty()) {
        errorLine(errors, output) << refused << '\n';
        return 1;
    }

    const rula::UnseenChoices unseen = rula::unseenChoices(settings.assessor);
    if (!unseen.defaulted.empty())
        errorLine(errors, command.assessment.isEmpty() ? input : command.assessment)
            << "not chosen, counted at their lowest score: "
            << QString::fromStdString(rula::defaultedText(unseen.defaulted)) << ".\n";
    QString error;
    const rula::VideoTimeline timeline = VideoScorer::run(settings, {}, {}, &error);
    if (!error.isEmpty()) {
        errorLine(errors, input) << error << '\n';
        return 1;
    }
    if (const QString written = OutputFiles::writeWhole(output, timelineCsv(timeline)); !written.isEmpty()) {
        errorLine(errors, output) << "cannot be written: " << written << '\n';
        return 1;
    }
    return 0;
}
