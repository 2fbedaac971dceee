// SPDX-License-Identifier: GPL-3.0-or-later
#include "SaveWindow.h"

#include "DurableFiles.h"
#include "Evidence.h"
#include "EvidencePictureFile.h"
#include "FileLists.h"
#include "KeyFrames.h"
#include "ObservationDefaults.h"
#include "OutputFiles.h"
#include "OverwriteFile.h"
#include "ProgramState.h"
#include "ResultTextFile.h"
#include "RevisionChanges.h"
#include "Services.h"
#include "TeamPublishing.h"
#include "WindowSet.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QImageReader>
#include <QLineEdit>
#include <QPushButton>
#include <QUuid>

namespace {

// Client area 5550 x 4395 twips.
const std::vector<ControlRow>& saveLayout()
{
    static const std::vector<ControlRow> rows = {
        {ControlKind::Custom, "Drive1", 480, 120, 3135, 330, "", Arial(8.25), 3, 63},
        {ControlKind::Custom, "Dir1", 480, 600, 3135, 2730, "", Arial(8.25), 4, 64},
        {ControlKind::Label, "Label1", 480, 3720, 735, 495, "Name:", Arial(12, true), 5},
        {ControlKind::TextBox, "Text1", 1320, 3600, 2295, 495, "", Arial(12), 0, 65},
        {ControlKind::Button, "Command1", 3840, 1440, 1575, 615, "&Save", Arial(12, true), 1, 66},
        {ControlKind::Button, "Command2", 3840, 3120, 1575, 615, "&Exit", Arial(12, true), 2, 67},
    };
    return rows;
}

// A picture file as the evidence keeps it, with the pixel size read from its bytes. Empty,
// with `error` set, when the file can no longer be read.
std::optional<EvidencePicture> evidencePicture(const QString& file, const QString& role, QString* error)
{
    std::optional<EvidencePicture> picture = readEvidencePicture(file, role, error);
    if (picture) {
        QImageReader reader(file);
        reader.setDecideFormatFromContent(true);
        picture->pixelSize = reader.size();
    }
    return picture;
}

// The pictures of this run as the evidence keeps them: the workplace photograph with its bytes
// and its measurements, the extra pictures with their bytes.
std::vector<EvidencePicture> evidencePictures(const ProgramState& state, QString* error)
{
    std::vector<EvidencePicture> pictures;
    if (!state.photographFile.isEmpty()) {
        std::optional<EvidencePicture> picture =
            evidencePicture(state.photographFile, QStringLiteral("workplace"), error);
        if (!picture)
            return {};
        if (state.photographMeasurements.pictureFile == state.photographFile.toStdString())
            putMeasurements(*picture, state.photographMeasurements);
        pictures.push_back(*picture);
    }
    for (const QString& file : state.extraPictureFiles) {
        if (std::optional<EvidencePicture> picture = evidencePicture(file, QStringLiteral("extra"), error))
            pictures.push_back(*picture);
        else
            return {};
    }
    return pictures;
}

SaveOutcome saveWithEvidence(const SaveTable& table, const QString& folder, const QString& stem,
                             const ResultFileWriter& evidence)
{
    DurableFiles::SaveSteps plain;
    return SaveResultsWithSteps(table, folder, stem, plain, evidence);
}

SaveWindow::SaveRoutine& saveRoutine()
{
    static SaveWindow::SaveRoutine routine = saveWithEvidence;
    return routine;
}

} // namespace

SaveWindow::SaveWindow(ProgramState& state, WindowSet& windows) : AppWindow(state, windows, Frame::FixedDialog, true)
{
    setObjectName(QStringLiteral("Save"));
    setWindowTitle(QStringLiteral("Save"));
    setClientArea(5550, 4395, Units::Twips);

    const std::vector<ControlRow>& rows = saveLayout();
    m_drives = new DriveList(this);
    placeControl(m_drives, layoutRow(rows, "Drive1"), Units::Twips);
    m_folders = new FolderList(this);
    m_folders->setOpenOnClick(true); // a click on an entry opens it
    placeControl(m_folders, layoutRow(rows, "Dir1"), Units::Twips);
    buildControls(this, rows, Units::Twips);
    m_name = control<QLineEdit>(this, "Text1");

    connectDriveList(m_drives, m_folders, m_state.LastDriveIndex);
    connect(m_name, &QLineEdit::returnPressed, this, &SaveWindow::save);
    connect(control<QPushButton>(this, "Command1"), &QPushButton::clicked, this, &SaveWindow::save);
    connect(control<QPushButton>(this, "Command2"), &QPushButton::clicked, this, &SaveWindow::exit);
    m_name->setFocus(); // first in the keyboard order
    load();
}

void SaveWindow::setSaveRoutine(SaveRoutine routine)
{
    saveRoutine() = std::move(routine);
}

void SaveWindow::resetSaveRoutine()
{
    saveRoutine() = saveWithEvidence;
}

// Loading: the name box proposes the employee's name exactly as typed, apostrophes and all;
// the lists stand at the process's current folder. A reopened assessment proposes its own
// file's name and folder instead, so that saving again asks before overwriting it.
void SaveWindow::load()
{
    m_name->setText(m_state.ReopenedFolder.isEmpty() ? m_state.employee.name : m_state.ReopenedName);
    if (m_loaded)
        return;
    m_loaded = true;
    if (m_state.ReopenedFolder.isEmpty() || !m_folders->setPath(m_state.ReopenedFolder))
        m_folders->setPath(QDir::currentPath());
}

void SaveWindow::showWindow()
{
    if (!m_loaded)
        load();
    AppWindow::showWindow();
}

QLineEdit* SaveWindow::nameBox()
{
    if (!m_loaded)
        load();
    return m_name;
}

void SaveWindow::askForNewName()
{
    QLineEdit* name = nameBox();
    name->clear();
    showWindow();
    name->setFocus();
}

QString SaveWindow::saveFolder()
{
    if (!m_loaded)
        load();
    return m_folders->path();
}

// Closing the window by its close box forgets what the assessor typed and chose: the next
// showing fills the name box and the lists afresh.
void SaveWindow::closeEvent(QCloseEvent* event)
{
    m_loaded = false;
    event->accept();
}

void SaveWindow::exit()
{
    m_name->setFocus();
    hide();
}

void SaveWindow::save()
{
    QLineEdit* name = nameBox();
    name->setFocus();
    m_state.SaveFileName = OutputFiles::resultStem(name->text());
    const QString folder = saveFolder();
    // Only a name that stands for one file of this folder is looked up; any other ("a/b",
    // "../x") is refused by the save routine with its reason before anything is touched,
    // so no file outside the chosen folder can lead to the overwrite question.
    const bool usable = unsafeStemReason(m_state.SaveFileName).isEmpty();
    const bool textExists = usable && resultFileExists(resultTextPath(folder, m_state.SaveFileName));
    const bool databaseExists = usable && resultFileExists(resultDatabasePath(folder, m_state.SaveFileName));
    const bool evidenceExists =
        usable && resultFileExists(OutputFiles::evidencePath(resultTextPath(folder, m_state.SaveFileName)));
    if (textExists || databaseExists || evidenceExists) {
        m_windows.window<OverwriteFile>().showWindow();
        name->clear();
        return;
    }
    runSave();
}

void SaveWindow::runSave()
{
    // The options and the scores of one moment: the last successful "View &Results".
    const SaveTable table = SaveTableOf(m_state.record);
    RevisionSources sources;
    sources.previous = m_state.reopenedEvidence;
    sources.reopened = !m_state.ReopenedFolder.isEmpty();
    sources.previousRecord = m_state.reopenedRecord;
    QString pictureError;
    keepPictureMeasurements(m_state);
    sources.pictures = evidencePictures(m_state, &pictureError);
    if (pictureError.isEmpty()) {
        std::vector<EvidencePicture> keyFrames = keyFramePictures(m_state, &pictureError);
        sources.pictures.insert(sources.pictures.end(), keyFrames.begin(), keyFrames.end());
    }
    // Planned changes go with the assessment they were planned on, and only with it.
    if (rula::sameAssessment(m_state.plannedOn, m_state.record.assessment))
        sources.plannedChanges = keptChanges(m_state.plannedChanges, m_state.plannedOnRevision);
    sources.timeline = m_state.videoTimeline;
    sources.savedUtc = QDateTime::currentDateTimeUtc();
    sources.programVersion = QCoreApplication::applicationVersion();
    sources.newId = QUuid::createUuid().toString(QUuid::WithoutBraces);
    const Evidence evidence = nextRevision(m_state.record, ResultTextFile::contents(table), sources);
    const SaveOutcome outcome =
        pictureError.isEmpty()
            ? saveRoutine()(table, saveFolder(), m_state.SaveFileName,
                            [&evidence](const QString& newFile) { return writeEvidence(newFile, evidence); })
            : SaveOutcome{false, pictureError};
    if (outcome.ok) {
        ObservationDefaults::rememberAssessor(m_state.record.details.assessor);
        // The saved files are the assessor's; the team database gets them when it can.
        m_windows.publishing().publishSaved(resultTextPath(saveFolder(), m_state.SaveFileName), m_state.record,
                                            evidence);
        MessageService::show(QStringLiteral("File Saved"));
        ProgramEnd::end();
        return;
    }
    // Nothing was written: the assessor stays where the save was started from (this window,
    // or the Overwrite File window in front of it) and can choose another folder or name.
    MessageService::show(QStringLiteral("The results could not be saved.\n\n%1\n\n"
                                        "Nothing was changed: the assessment is still open and any earlier "
                                        "result files are as they were. Please choose another folder or "
                                        "file name and save again.")
                             .arg(outcome.error),
                         QStringLiteral("Error"));
}

#include "moc_SaveWindow.cpp"
