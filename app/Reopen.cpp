// SPDX-License-Identifier: GPL-3.0-or-later
#include "Commands.h"

#include "EmployeeDetails.h"
#include "Evidence.h"
#include "InterruptedSaves.h"
#include "KeyFrames.h"
#include "MainWindow.h"
#include "OpenPictureFile.h"
#include "OptionCatalogue.h"
#include "OutputFiles.h"
#include "ProgramState.h"
#include "RebaWindow.h"
#include "SavedAssessment.h"
#include "Services.h"
#include "WindowSet.h"

#include <QDir>
#include <QFileInfo>

namespace {

// The saved selections, replayed the way the assessor's clicks make them: the posture of
// each group first, then the adjustments.
void replaySelections(const rula::AssessmentState& saved, MainWindow& main)
{
    for (rula::OptionKind kind : {rula::OptionKind::Base, rula::OptionKind::Adjustment}) {
        for (int option = 0; option < rula::OptionCount; ++option) {
            if (saved.isSelected(option) && rula::options()[static_cast<std::size_t>(option)].kind == kind)
                main.selectOption(option);
        }
    }
}

// The workplace picture is shown from the evidence, whatever became of the original file: its
// bytes are laid, under the original name, into a private folder kept for the run.
void restorePictures(const Evidence& evidence, WindowSet& windows)
{
    const EvidencePicture* picture = evidence.workplacePicture();
    if (!picture)
        return;
    ProgramState& state = windows.state();
    const PictureCopy copy = copyOfPicture(*picture);
    state.evidencePictureFolder = copy.folder;
    if (copy.path.isEmpty() || !windows.window<OpenPictureFile>().showFile(copy.path)) {
        MessageService::show(QStringLiteral("The workplace picture \"%1\" kept with the assessment cannot be shown.")
                                 .arg(picture->fileName),
                             QStringLiteral("Error"));
        return;
    }
    state.angleMeasurements = measurementsOf(*picture, state.workplacePictureFile.toStdString());
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

    AssessmentRecord record = saved.record;
    const EvidenceOfFile evidence = evidenceOfTextFile(path);
    if (evidence.present && !evidence.ok)
        MessageService::show(QStringLiteral("\"%1\": %2\n\nThe assessment opens without it.")
                                 .arg(QDir::toNativeSeparators(evidence.path), evidence.error),
                             QStringLiteral("Error"));
    if (evidence.ok)
        completeRecord(record, evidence.evidence);

    windows.window<EmployeeDetails>().setTexts(record.typed);
    replaySelections(record.assessment, windows.window<MainWindow>());
    ProgramState& state = windows.state();
    state.reba = record.reba;
    if (windows.exists<RebaWindow>())
        windows.window<RebaWindow>().showChoices();
    state.ReopenedFolder = file.absolutePath();
    state.ReopenedName = OutputFiles::typedNameOf(path);
    state.reopenedRecord = record;
    if (evidence.ok) {
        state.details = record.details;
        state.reopenedEvidence = evidence.evidence;
        restorePictures(evidence.evidence, windows);
        const EvidencePicture* workplace = evidence.evidence.workplacePicture();
        restoreKeyFrames(evidence.evidence.pictures, workplace ? workplace->sha256 : QString(), state);
    }

    if (!saved.differences.isEmpty())
        MessageService::show(
            QStringLiteral("The scores saved in \"%1\" differ from the ones its options give:\n\n%2\n\n"
                           "The assessment keeps the scores its options give.")
                .arg(shownPath, saved.differences.join(QLatin1Char('\n'))));
}
