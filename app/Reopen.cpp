// SPDX-License-Identifier: GPL-3.0-or-later
#include "Commands.h"

#include "Evidence.h"
#include "EvidenceBelonging.h"
#include "InterruptedSaves.h"
#include "KeyFrames.h"
#include "OpenExtraPics.h"
#include "OptionCatalogue.h"
#include "OutputFiles.h"
#include "PaintFitted.h"
#include "ProgramState.h"
#include "RebaWindow.h"
#include "SavedAssessment.h"
#include "Services.h"
#include "WindowSet.h"

#include <QDir>
#include <QFileInfo>
#include <QtConcurrent/QtConcurrentRun>

namespace {

// The saved selections, replayed the way the assessor's clicks make them: the posture of
// each group first, then the adjustments.
rula::AssessmentState replayed(const rula::AssessmentState& saved)
{
    rula::AssessmentState clicked;
    for (rula::OptionKind kind : {rula::OptionKind::Base, rula::OptionKind::Adjustment}) {
        for (int option = 0; option < rula::OptionCount; ++option) {
            if (saved.isSelected(option) && rula::options()[static_cast<std::size_t>(option)].kind == kind)
                clicked.SelectOption(option);
        }
    }
    return clicked;
}

// The evidence of a reopened file, read and checked, and its workplace picture laid out, under
// the original name, into a private folder kept for the run, and loaded: all on another core.
struct ReadEvidence
{
    EvidenceOfFile evidence;
    PictureCopy workplaceCopy;
    PictureLoader workplace; // nothing loaded when it is not a picture that can be shown
};

ReadEvidence readEvidenceOf(const QString& path, const SavedAssessment& saved)
{
    ReadEvidence read{evidenceOfAssessment(path, saved.record.stored), {}, {}};
    const EvidencePicture* picture = read.evidence.ok ? read.evidence.evidence.workplacePicture() : nullptr;
    if (picture) {
        read.workplaceCopy = copyOfPicture(*picture);
        if (!read.workplaceCopy.path.isEmpty())
            read.workplace.load(read.workplaceCopy.path);
    }
    return read;
}

// The workplace picture is shown from the evidence, whatever became of the original file.
void restorePictures(const ReadEvidence& read, ProgramState& state)
{
    const EvidencePicture* picture = read.evidence.evidence.workplacePicture();
    if (!picture)
        return;
    state.evidencePictureFolder = read.workplaceCopy.folder;
    if (read.workplace.naturalSize().isEmpty()) {
        MessageService::show(QStringLiteral("The workplace picture \"%1\" kept with the assessment cannot be shown.")
                                 .arg(picture->fileName),
                             QStringLiteral("Error"));
        return;
    }
    takeWorkplacePhotograph(state, read.workplace.file());
    state.angleMeasurements = measurementsOf(*picture, state.workplacePictureFile.toStdString());
    state.photographMeasurements = state.angleMeasurements;
}

// The extra pictures, laid out like the workplace picture and put into their boxes; one message
// names those that cannot be (kept by reference only, or no longer pictures that can be shown).
void restoreExtraPictures(const Evidence& evidence, WindowSet& windows)
{
    ProgramState& state = windows.state();
    QStringList lost;
    for (const EvidencePicture& picture : evidence.pictures) {
        if (picture.role != QLatin1String("extra"))
            continue;
        const PictureCopy copy = picture.hasBytes() ? copyOfPicture(picture) : PictureCopy{};
        if (copy.path.isEmpty() || !windows.window<OpenExtraPics>().showFile(copy.path)) {
            lost << QStringLiteral("\"%1\"").arg(picture.fileName);
            continue;
        }
        state.extraPictureFolders.push_back(copy.folder);
    }
    if (!lost.isEmpty())
        MessageService::show(
            QStringLiteral("%1 kept with the assessment could not be restored: %2.\n\nThe assessment opens without %3.")
                .arg(lost.size() == 1 ? QStringLiteral("The extra picture") : QStringLiteral("These extra pictures"),
                     lost.join(QStringLiteral(", ")), lost.size() == 1 ? QStringLiteral("it") : QStringLiteral("them")),
            QStringLiteral("Error"));
}

} // namespace

void ReopenAssessment(const QString& path, WindowSet& windows)
{
    const QFileInfo file(path);
    const QString shownPath = QDir::toNativeSeparators(path);
    const QString unrepaired = RecoverInterruptedSaves(file.absolutePath());
    if (!unrepaired.isEmpty())
        MessageService::show(QStringLiteral("An interrupted save in the folder of \"%1\" could not be repaired:\n\n%2")
                                 .arg(shownPath, unrepaired),
                             QStringLiteral("Error"));

    const SavedAssessment saved = ReadSavedAssessmentFile(path);
    if (!saved.ok) {
        MessageService::show(QStringLiteral("\"%1\" cannot be reopened: it is not a saved assessment.\n\n%2\n\n"
                                            "The program starts with an empty assessment.")
                                 .arg(shownPath, saved.error),
                             QStringLiteral("Error"));
        return;
    }

    // The evidence is read on another core while the options are replayed here, into the state
    // alone: the main window and the others show the state when they are first made, after the
    // caution window, as in the ordinary start.
    QFuture<ReadEvidence> reading = QtConcurrent::run(readEvidenceOf, path, saved);
    ProgramState& state = windows.state();
    state.assessment = replayed(saved.record.assessment);
    AssessmentRecord record = saved.record;
    const ReadEvidence read = reading.result();
    const EvidenceOfFile& evidence = read.evidence;
    if (evidence.present && !evidence.ok)
        MessageService::show(QStringLiteral("\"%1\": %2\n\nThe assessment opens without it.")
                                 .arg(QDir::toNativeSeparators(evidence.path), evidence.error),
                             QStringLiteral("Error"));
    if (evidence.ok)
        completeRecord(record, evidence.evidence);

    state.employee = record.typed;
    state.reba = record.reba;
    if (windows.exists<RebaWindow>())
        windows.window<RebaWindow>().showChoices();
    state.ReopenedFolder = file.absolutePath();
    state.ReopenedName = OutputFiles::typedNameOf(path);
    state.reopenedRecord = record;
    if (evidence.ok) {
        state.details = record.details;
        state.reopenedEvidence = evidence.evidence;
        restorePictures(read, state);
        restoreKeyFrames(evidence.evidence.pictures, state);
        // Without a photograph, the workplace picture is the key frame taken last, as when it
        // was taken.
        if (!evidence.evidence.workplacePicture() && !state.keyFrames.empty())
            takeKeyFrameAsWorkplace(state, static_cast<int>(state.keyFrames.size()) - 1);
        restoreExtraPictures(evidence.evidence, windows);
        state.videoTimeline = evidence.evidence.timeline;
        state.plannedChanges = plannedChangesOf(evidence.evidence, record);
        state.plannedOn = record.assessment;
        state.plannedOnRevision =
            evidence.evidence.plannedChanges.empty() ? 0 : evidence.evidence.plannedChanges.front().plannedOnRevision;
    }

    if (!saved.differences.isEmpty())
        MessageService::show(
            QStringLiteral("The scores saved in \"%1\" differ from the ones its options give:\n\n%2\n\n"
                           "The assessment keeps the scores its options give.")
                .arg(shownPath, saved.differences.join(QLatin1Char('\n'))));
}
