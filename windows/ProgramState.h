// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AssessmentRecord.h"
#include "AssessmentState.h"
#include "ChangePlan.h"
#include "Evidence.h"
#include "KeyFrames.h"
#include "PostureAngles.h"
#include "Reba.h"
#include "VideoScoring.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdint>
#include <memory>

// Everything that more than one window reads or writes, for the whole run.
// Created once in main() and handed to the windows; a test makes a fresh one.
struct ProgramState
{
    rula::AssessmentState assessment;
    // REBA's choices for the same worker, made on the REBA window or by Measure Angles.
    rula::reba::RebaChoices reba;
    // The employee details boxes' texts as typed, apostrophes and all.
    EmployeeTexts employee;
    // The assessment as the last successful "View &Results" computed it: what the final
    // results and action levels windows show and what the result files and the report hold.
    AssessmentRecord record;

    std::int16_t CautionAccepted = 0;
    std::int16_t ExtraPictureCount = 0;
    // The extra pictures' files as opened, in the order of their boxes.
    QStringList extraPictureFiles;
    std::int16_t LastDriveIndex = 0;
    QString SelectedPicturePath;
    QString SelectedPictureName;
    // The workplace picture last painted into Main's Picture1 (the file as opened), and the
    // angles measured on it.
    QString workplacePictureFile;
    rula::PictureMeasurements angleMeasurements;
    // The workplace photograph (opened with Open Picture File, or restored from the evidence)
    // and the angles measured on it, kept while a key frame is in Picture1.
    QString photographFile;
    rula::PictureMeasurements photographMeasurements;
    // Frames taken from videos of the task ("Video Frames"), each with its own measurements.
    std::vector<KeyFrame> keyFrames;
    // The whole video scored sample by sample (Video Frames' "Score the Whole Video"); no
    // samples until it is.
    rula::VideoTimeline videoTimeline;
    // The changes "Add to Report" of Plan a Change keeps for the next report, and the
    // assessment they were planned on (a report of another assessment leaves them out).
    std::vector<rula::SingleChange> plannedChanges;
    rula::AssessmentState plannedOn;
    int plannedOnRevision = 0; // the saved revision they were planned on; 0 for this run's
    QString SaveFileName;
    // A reopened assessment's file: the Save window proposes this folder and name (empty
    // when the assessment was not reopened).
    QString ReopenedFolder;
    QString ReopenedName;
    // The observation's details as the Assessment Details window keeps them; the record built
    // by "View &Results" takes them along.
    ObservationDetails details;
    // The evidence a reopened assessment was saved with (an empty id when it had none or it
    // was not used), the record its text file gave, and the private folder its workplace
    // picture was laid into for this run.
    Evidence reopenedEvidence;
    AssessmentRecord reopenedRecord;
    std::shared_ptr<QTemporaryDir> evidencePictureFolder;
    std::vector<std::shared_ptr<QTemporaryDir>> keyFrameFolders;     // the reopened key frames' pictures
    std::vector<std::shared_ptr<QTemporaryDir>> extraPictureFolders; // the reopened extra pictures
    // The team database saves are published to (a URI; empty for none), and the folder where
    // publications wait until the server takes them.
    QString teamDatabase;
    QString outboxFolder;
    // The help file that context help reads; resolved against the program's folder.
    QString ApplicationHelpFile = QStringLiteral("\\HelpFile\\HELPFILE.HLP");
};
