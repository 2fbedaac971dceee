// SPDX-License-Identifier: GPL-3.0-or-later
#include "Commands.h"

#include "EmployeeDetails.h"
#include "InterruptedSaves.h"
#include "MainWindow.h"
#include "OptionCatalogue.h"
#include "OutputFiles.h"
#include "ProgramState.h"
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

    windows.window<EmployeeDetails>().setTexts(saved.record.stored);
    replaySelections(saved.record.assessment, windows.window<MainWindow>());
    ProgramState& state = windows.state();
    state.ReopenedFolder = file.absolutePath();
    state.ReopenedName = OutputFiles::typedNameOf(path);

    if (!saved.differences.isEmpty())
        MessageService::show(
            QStringLiteral("The scores saved in \"%1\" differ from the ones its options give:\n\n%2\n\n"
                           "The assessment keeps the scores its options give.")
                .arg(shownPath, saved.differences.join(QLatin1Char('\n'))));
}
