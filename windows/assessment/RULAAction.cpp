// SPDX-License-Identifier: GPL-3.0-or-later
#include "RULAAction.h"

#include "AssessmentRecord.h"
#include "AssessmentReport.h"
#include "FinalResults.h"
#include "HelpFiles.h"
#include "HelpViewer.h"
#include "KeyFrames.h"
#include "ModelText.h"
#include "OutputFiles.h"
#include "PaintFitted.h"
#include "PictureBox.h"
#include "PlanChange.h"
#include "ProgramFolder.h"
#include "ProgramState.h"
#include "ReportDialogs.h"
#include "ResultSaving.h"
#include "SaveWindow.h"
#include "Services.h"
#include "WindowSet.h"

#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

namespace {

using K = ControlKind;

// Client area 15270 x 11145 twips.
const std::vector<ControlRow>& rulaActionControls()
{
    static const std::vector<ControlRow> rows{
        // kind, name, left, top, width, height, text, font, keyboard order, help, style, colour
        {K::Label, "Label5", 1200, 1200, 5775, 1095, "Right Hand Side", Comic(36, true), -1, 81, Plain, DarkBlue},
        {K::Label, "Label6", 7800, 1200, 6255, 1095, "Left Hand Side", Comic(36, true), -1, 80, Plain, DarkBlue},
        {K::Label, "Label1", 1080, 2520, 5295, 1335, "", Comic(36, true), -1, 81, Centred},
        {K::Label, "Label2", 1080, 4320, 5415, 3975, "", Comic(24), -1, 83, WordWrap},
        {K::Label, "Label3", 7680, 2520, 5295, 1335, "", Comic(36, true), -1, 80, Centred},
        {K::Label, "Label4", 7680, 4200, 5415, 3975, "", Comic(24), -1, 82, WordWrap},
        // "&Reduction Measures" is a little wider than its button and takes two lines.
        {K::Button, "Command1", 5280, 9720, 2055, 855, "&Reduction Measures", Comic(12), 0, 147, WordWrap},
        {K::Button, "Command7", 7560, 9720, 2055, 855, "&Save", Comic(12), 1, 191},
        {K::Button, "Command2", 9840, 9720, 2055, 855, "<< &Back", Comic(12), 2, 85},
        {K::Button, "Command3", 12120, 9720, 2055, 855, "&Exit", Comic(12), 3, 19},
        // Added in the free lower-left corner, last in the keyboard order.
        {K::Button, "Command8", 3000, 9720, 2055, 855, "Re&port...", Comic(12), 4, 193},
        // Added left of it, last in the keyboard order. "&Plan" would share Alt+P with "Re&port".
        {K::Button, "PlanChangeButton", 720, 9720, 2055, 855, "Plan a &Change...", Comic(12), 5, 240, WordWrap},
    };
    return rows;
}

} // namespace

RULAAction::RULAAction(ProgramState& state, WindowSet& windows) : AppWindow(state, windows, Frame::FixedMaximised, true)
{
    setObjectName(QStringLiteral("RULAAction"));
    setWindowTitle(QStringLiteral("Action Levels - RULA"));
    buildControls(this, rulaActionControls(), Units::Twips);
    setClientArea(15270, 11145, Units::Twips);
    setMouseTracking(true);

    connect(control<QPushButton>(this, "Command1"), &QPushButton::clicked, this, &RULAAction::reductionMeasures);
    connect(control<QPushButton>(this, "Command7"), &QPushButton::clicked, this,
            [this] { m_windows.window<SaveWindow>().showWindow(); });
    connect(control<QPushButton>(this, "Command2"), &QPushButton::clicked, this, &RULAAction::back);
    connect(control<QPushButton>(this, "Command3"), &QPushButton::clicked, this, [] { ProgramEnd::end(); });
    connect(control<QPushButton>(this, "Command8"), &QPushButton::clicked, this, &RULAAction::writeReport);
    connect(control<QPushButton>(this, "PlanChangeButton"), &QPushButton::clicked, this,
            [this] { m_windows.window<PlanChange>().showWindow(); });
    control<QPushButton>(this, "Command1")->setFocus();
}

void RULAAction::showLevels(const AssessmentRecord& record)
{
    auto show = [this](const std::optional<rula::ActionLevel>& level, const char* captionLabel, const char* textLabel,
                       const QString& side) {
        if (!level)
            return;
        QLabel* caption = control<QLabel>(this, captionLabel);
        QLabel* text = control<QLabel>(this, textLabel);
        caption->setText(modelText(level->caption));
        text->setText(modelText(level->longText));
        caption->setAccessibleName(QStringLiteral("%1: %2").arg(side, caption->text()));
        caption->setAccessibleDescription(text->text());
        text->setAccessibleName(QStringLiteral("%1: what %2 means").arg(side, caption->text()));
        text->setAccessibleDescription(text->text());
    };
    // The right side is on the left half, under "Right Hand Side".
    show(record.levelRight, "Label1", "Label2", QStringLiteral("Right hand side"));
    show(record.levelLeft, "Label3", "Label4", QStringLiteral("Left hand side"));
}

void RULAAction::showWindow()
{
    showLevels(m_state.record);
    AppWindow::showWindow();
}

void RULAAction::mouseMoveEvent(QMouseEvent* event)
{
    // Moves over a label reach the window too; only the bare background counts.
    if (!childAt(event->position().toPoint()))
        m_state.ApplicationHelpFile = ProgramFolder::path() + QStringLiteral("\\Helpfile\\helpfile.hlp");
    AppWindow::mouseMoveEvent(event);
}

void RULAAction::reductionMeasures()
{
    // Opens the program folder's "\Reduction Measures\HELPFILE.HLP" at its contents.
    HelpViewer::showContents(this, HelpFiles::reductionMeasuresFile(),
                             [](const QString& text) { MessageService::show(text); });
}

// Asks where, writes the whole file or nothing, and offers to open it.
void RULAAction::writeReport()
{
    const QString folder = m_windows.saving().saveFolder();
    const QString proposed = QDir(folder).filePath(
        OutputFiles::fittedFileName(m_state.record.typed.name, QStringLiteral(" RULA Report.pdf")));
    const QString path = ReportDialogs::askSavePath(this, proposed);
    if (path.isEmpty())
        return;
    if (const QString refused = OutputFiles::nameLengthRefusal(path); !refused.isEmpty()) {
        MessageService::show(QStringLiteral("The report could not be saved as\n%1:\n%2").arg(path, refused),
                             QStringLiteral("Error"));
        return;
    }
    const QString folderSaved = m_windows.saving().saveFolder();
    const QStringList inputs{m_state.workplacePictureFile, resultTextPath(folderSaved, m_state.SaveFileName),
                             resultDatabasePath(folderSaved, m_state.SaveFileName)};
    if (const QString refused = OutputFiles::refusal(path, inputs, true); !refused.isEmpty()) {
        MessageService::show(QStringLiteral("The report could not be saved.\n\n%1 %2\n\nNothing was changed.")
                                 .arg(QDir::toNativeSeparators(path), refused),
                             QStringLiteral("Error"));
        return;
    }
    const ReportOutcome outcome =
        WriteReport(reportContentOf(m_state.record, reportSources(m_state)), OutputFiles::writePath(path));
    if (!outcome.ok) {
        MessageService::show(QStringLiteral("The report could not be saved.\n\n%1\n\nNothing was changed: the "
                                            "assessment is still open and no file was written or replaced.")
                                 .arg(outcome.error),
                             QStringLiteral("Error"));
        return;
    }
    // The file's name makes the box wide enough for its whole title.
    if (ReportDialogs::askToOpen(this, QStringLiteral("Report saved:\n%1").arg(QDir::toNativeSeparators(path))) &&
        !ReportDialogs::open(path))
        MessageService::show(QStringLiteral("The report was saved, but no program to show PDF files was found on this "
                                            "computer. Open it with a PDF viewer from\n%1")
                                 .arg(QDir::toNativeSeparators(path)),
                             QStringLiteral("Report"));
}

void RULAAction::back()
{
    hide();
    m_windows.window<FinalResults>().showWindow();
}

#include "moc_RULAAction.cpp"
