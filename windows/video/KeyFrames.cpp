// SPDX-License-Identifier: GPL-3.0-or-later
#include "KeyFrames.h"

#include "Evidence.h"
#include "EvidencePictureFile.h"
#include "PaintFitted.h"
#include "PictureBox.h"
#include "ProgramState.h"
#include "ReportContent.h"

#include <QFile>
#include <QImage>

void keepPictureMeasurements(ProgramState& state)
{
    const std::string& picture = state.angleMeasurements.pictureFile;
    if (picture.empty())
        return;
    for (KeyFrame& keyFrame : state.keyFrames) {
        if (keyFrame.pictureFile.toStdString() == picture)
            keyFrame.measurements = state.angleMeasurements;
    }
    if (state.photographFile.toStdString() == picture)
        state.photographMeasurements = state.angleMeasurements;
}

rula::PictureMeasurements measurementsOfPicture(const ProgramState& state, const QString& file)
{
    const std::string picture = file.toStdString();
    for (const KeyFrame& keyFrame : state.keyFrames) {
        if (keyFrame.pictureFile == file && keyFrame.measurements.pictureFile == picture)
            return keyFrame.measurements;
    }
    if (state.photographFile == file && state.photographMeasurements.pictureFile == picture)
        return state.photographMeasurements;
    rula::PictureMeasurements fresh;
    fresh.setPicture(picture);
    return fresh;
}

void setPhotograph(ProgramState& state, const QString& file)
{
    keepPictureMeasurements(state);
    if (file == state.photographFile)
        return;
    state.photographFile = file;
    hashPictureAhead(file);
    state.photographMeasurements = {};
    state.photographMeasurements.setPicture(file.toStdString());
}

std::vector<EvidencePicture> keyFramePictures(ProgramState& state, QString* error)
{
    keepPictureMeasurements(state);
    std::vector<EvidencePicture> pictures;
    for (const KeyFrame& keyFrame : state.keyFrames) {
        QFile file(keyFrame.pictureFile);
        QByteArray bytes;
        if (file.open(QIODevice::ReadOnly))
            bytes = file.readAll();
        const QImage image = QImage::fromData(bytes, "PNG");
        if (image.isNull()) {
            *error = QStringLiteral("The key frame \"%1\" cannot be read any more.").arg(keyFrame.pictureFile);
            return {};
        }
        pictures.push_back(keyFramePicture(keyFrame, bytes, image.size()));
    }
    return pictures;
}

bool showKeyFrameAsWorkplace(ProgramState& state, int row, PictureLoader& loader, PictureBox& box)
{
    if (!PaintFitted(state.keyFrames.at(static_cast<std::size_t>(row)).pictureFile, loader, box))
        return false;
    box.show();
    takeKeyFrameAsWorkplace(state, row);
    return true;
}

void takeKeyFrameAsWorkplace(ProgramState& state, int row)
{
    keepPictureMeasurements(state);
    const KeyFrame& keyFrame = state.keyFrames.at(static_cast<std::size_t>(row));
    state.workplacePictureFile = keyFrame.pictureFile;
    state.angleMeasurements = keyFrame.measurements;
    state.angleMeasurements.setPicture(state.workplacePictureFile.toStdString());
}

bool showLoadedAsWorkplace(ProgramState& state, const PictureLoader& loaded, PictureBox& box)
{
    if (!PaintFittedSoon(loaded, box))
        return false;
    takeWorkplacePhotograph(state, loaded.file());
    box.show();
    return true;
}

void takeWorkplacePhotograph(ProgramState& state, const QString& file)
{
    state.workplacePictureFile = file;
    setPhotograph(state, file);
}

void restoreKeyFrames(const std::vector<EvidencePicture>& pictures, ProgramState& state)
{
    state.keyFrames.clear();
    for (const EvidencePicture& picture : pictures) {
        if (!picture.keyFrame)
            continue;
        const PictureCopy copy = copyOfPicture(picture);
        if (copy.path.isEmpty())
            continue;
        state.keyFrameFolders.push_back(copy.folder);
        const QString file = copy.path;
        state.keyFrames.push_back(keyFrameOf(picture, file));
    }
}

ReportSources reportSources(ProgramState& state)
{
    keepPictureMeasurements(state);
    return {state.photographFile,    state.photographMeasurements,
            state.extraPictureFiles, state.plannedChanges,
            state.plannedOn,         state.keyFrames,
            state.videoTimeline};
}
