// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReportContent.h"

#include "HelpFiles.h"
#include "PaintFitted.h"
#include "ScoreSheetLayout.h"

namespace {

// The longer side of the workplace picture in the report: sharp on paper, small in the file.
constexpr int WorkplacePictureSide = 2400;
// The extra pictures are thumbnails a quarter of the page wide.
constexpr int ExtraPictureSide = 800;

// The picture read through `loader`, no larger than `side` on its longer side; null when it
// cannot be read.
QImage readPicture(PictureLoader& loader, const QString& file, int side)
{
    if (file.isEmpty() || !loader.load(file))
        return {};
    const QSize natural = loader.naturalSize();
    return loader.decode(
        natural.width() > side || natural.height() > side ? natural.scaled(side, side, Qt::KeepAspectRatio) : natural);
}

} // namespace

ReportContent reportContentOf(const AssessmentRecord& record, const ReportSources& sources)
{
    ReportContent content;
    content.record = record;
    content.scoreSheet = ScoreSheetLayout::placesOf(record);
    content.reductionMeasuresFile = HelpFiles::reductionMeasuresFile();
    PictureLoader loader;
    content.workplacePicture = readPicture(loader, sources.workplacePictureFile, WorkplacePictureSide);
    // Measurements of a picture that has since been replaced are not this picture's; they
    // are listed without the picture when it can no longer be read.
    if (!sources.workplacePictureFile.isEmpty() &&
        sources.angleMeasurements.pictureFile == sources.workplacePictureFile.toStdString())
        content.measured = MeasuredAngles{sources.angleMeasurements,
                                          content.workplacePicture.isNull() ? QSize() : loader.naturalSize()};
    if (rula::sameAssessment(sources.plannedOn, record.assessment))
        content.plannedChanges = sources.plannedChanges;
    for (const QString& file : sources.extraPictureFiles) {
        PictureLoader extraLoader;
        const QImage picture = readPicture(extraLoader, file, ExtraPictureSide);
        if (!picture.isNull())
            content.extraPictures.push_back(picture);
    }
    for (const KeyFrame& frame : sources.keyFrames) {
        PictureLoader frameLoader;
        ReportKeyFrame keyFrame{frame, readPicture(frameLoader, frame.pictureFile, WorkplacePictureSide), {}};
        keyFrame.pictureSize = keyFrame.picture.isNull() ? QSize() : frameLoader.naturalSize();
        content.keyFrames.push_back(keyFrame);
    }
    content.timeline = sources.timeline;
    return content;
}
