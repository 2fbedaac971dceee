// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AssessmentRecord.h"
#include "ChangePlan.h"
#include "KeyFrame.h"
#include "PostureAngles.h"
#include "ScoreSheetPlaces.h"
#include "VideoScoring.h"

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

#include <vector>

// The angles measured on the workplace picture during the run, with the size of the picture
// in the pixels their points are given in (the report's workplace picture may be smaller).
struct MeasuredAngles
{
    rula::PictureMeasurements sheet;
    QSize pictureSize;
};

// A key frame with its picture read for the report.
struct ReportKeyFrame
{
    KeyFrame frame;
    QImage picture;    // read from frame.pictureFile; null when it cannot be read
    QSize pictureSize; // the picture's own size, the pixels the measurements are given in
};

// Everything the printed report of one assessment shows.
struct ReportContent
{
    AssessmentRecord record;
    ScoreSheetPlaces scoreSheet;       // the final results window's score sheet, filled in
    QImage workplacePicture;           // null when none was loaded
    std::vector<QImage> extraPictures; // the first four are shown
    QString reductionMeasuresFile;     // help path of the reduction measures guide; empty for none
    // Measurements live for the run only: a report made from a saved file has none, and then
    // no page of them.
    MeasuredAngles measured;
    // The changes planned in this run ("Add to Report" in Plan a Change): a page of their own
    // when there are any.
    std::vector<rula::SingleChange> plannedChanges;
    std::vector<ReportKeyFrame> keyFrames; // in the order they were taken
    rula::VideoTimeline timeline;          // the whole video scored: a page of its own when it has samples
};

// What a report shows besides the record, as the program holds it during a run; a report
// made from a saved file has none of it.
struct ReportSources
{
    QString workplacePictureFile;                   // the file as opened; empty for none
    rula::PictureMeasurements angleMeasurements;    // measured on that picture (or an earlier one)
    QStringList extraPictureFiles;                  // in the order they were loaded
    std::vector<rula::SingleChange> plannedChanges; // kept by Plan a Change's "Add to Report"
    rula::AssessmentState plannedOn;                // the assessment they were planned on
    std::vector<KeyFrame> keyFrames;                // their pictures are read from their files
    rula::VideoTimeline timeline;                   // the whole video scored; no samples for none
};

// The report's content: the record, the score sheet filled in with it, the reduction
// measures guide, and the pictures and angles of `sources` read from their files now (a
// picture that can no longer be read is left out; its angles are then listed without it).
// Planned changes are shown only when they were planned on the record's assessment.
ReportContent reportContentOf(const AssessmentRecord& record, const ReportSources& sources = {});
