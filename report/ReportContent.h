// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AssessmentRecord.h"
#include "PostureAngles.h"
#include "ScoreSheetPlaces.h"

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
};

// What a report shows besides the record, as the program holds it during a run; a report
// made from a saved file has none of it.
struct ReportSources
{
    QString workplacePictureFile;                // the file as opened; empty for none
    rula::PictureMeasurements angleMeasurements; // measured on that picture (or an earlier one)
    QStringList extraPictureFiles;               // in the order they were loaded
};

// The report's content: the record, the score sheet filled in with it, the reduction
// measures guide, and the pictures and angles of `sources` read from their files now (a
// picture that can no longer be read is left out; its angles are then listed without it).
ReportContent reportContentOf(const AssessmentRecord& record, const ReportSources& sources = {});
