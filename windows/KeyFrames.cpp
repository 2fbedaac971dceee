// SPDX-License-Identifier: GPL-3.0-or-later
#include "KeyFrames.h"

#include "Evidence.h"
#include "ProgramState.h"
#include "ReportContent.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>

#include <algorithm>

const QStringList& keyFrameReasonTexts()
{
    return keyFrameReasons();
}

void keepKeyFrameMeasurements(ProgramState& state)
{
    const std::string& picture = state.angleMeasurements.pictureFile;
    for (KeyFrame& keyFrame : state.keyFrames) {
        if (!picture.empty() && keyFrame.pictureFile.toStdString() == picture)
            keyFrame.measurements = state.angleMeasurements;
    }
}

std::vector<EvidencePicture> keyFramePictures(ProgramState& state, QString* error)
{
    keepKeyFrameMeasurements(state);
    std::vector<EvidencePicture> pictures;
    for (const KeyFrame& keyFrame : state.keyFrames) {
        QFile file(keyFrame.pictureFile);
        EvidencePicture picture;
        if (file.open(QIODevice::ReadOnly))
            picture.bytes = file.readAll();
        const QImage image = QImage::fromData(picture.bytes, "PNG");
        if (image.isNull()) {
            *error = QStringLiteral("The key frame \"%1\" cannot be read any more.").arg(keyFrame.pictureFile);
            return {};
        }
        picture.role = QStringLiteral("keyframe");
        picture.fileName = QFileInfo(keyFrame.pictureFile).fileName();
        picture.sha256 = sha256Hex(picture.bytes);
        picture.pixelSize = image.size();
        putMeasurements(picture, keyFrame.measurements);
        EvidenceKeyFrame frame;
        frame.videoFile = QFileInfo(keyFrame.videoFile).fileName();
        frame.videoSha256 = QString::fromLatin1(keyFrame.videoSha256).toLower();
        frame.frameNumber = keyFrame.frameNumber;
        frame.pts = keyFrame.pts;
        frame.startPts = keyFrame.startPts;
        frame.timeBaseNum = keyFrame.timeBaseNum;
        frame.timeBaseDen = keyFrame.timeBaseDen;
        frame.timeMs = keyFrame.timeMs;
        frame.reason = keyFrameReasonTexts().at(static_cast<int>(keyFrame.reason));
        frame.note = keyFrame.note;
        picture.keyFrame = frame;
        pictures.push_back(picture);
    }
    return pictures;
}

void restoreKeyFrames(const std::vector<EvidencePicture>& pictures, const QString& workplaceSha256, ProgramState& state)
{
    state.keyFrames.clear();
    for (const EvidencePicture& picture : pictures) {
        if (!picture.keyFrame)
            continue;
        const EvidenceKeyFrame& frame = *picture.keyFrame;
        KeyFrame keyFrame;
        if (picture.sha256 == workplaceSha256 && !state.workplacePictureFile.isEmpty()) {
            keyFrame.pictureFile = state.workplacePictureFile;
        } else {
            const PictureCopy copy = copyOfPicture(picture);
            if (copy.path.isEmpty())
                continue;
            state.keyFrameFolders.push_back(copy.folder);
            keyFrame.pictureFile = copy.path;
        }
        keyFrame.videoFile = frame.videoFile;
        keyFrame.videoSha256 = frame.videoSha256.toLatin1();
        keyFrame.frameNumber = frame.frameNumber;
        keyFrame.pts = frame.pts;
        keyFrame.startPts = frame.startPts;
        keyFrame.timeBaseNum = frame.timeBaseNum;
        keyFrame.timeBaseDen = frame.timeBaseDen;
        keyFrame.timeMs = frame.timeMs;
        keyFrame.reason =
            static_cast<KeyFrameReason>(std::max<qsizetype>(0, keyFrameReasonTexts().indexOf(frame.reason)));
        keyFrame.note = frame.note;
        keyFrame.measurements = measurementsOf(picture, keyFrame.pictureFile.toStdString());
        state.keyFrames.push_back(keyFrame);
    }
}

std::vector<ReportKeyFrame> reportKeyFrames(ProgramState& state)
{
    keepKeyFrameMeasurements(state);
    std::vector<ReportKeyFrame> shown;
    for (const KeyFrame& keyFrame : state.keyFrames) {
        ReportKeyFrame frame;
        frame.pictureFile = keyFrame.pictureFile;
        frame.videoFile = QFileInfo(keyFrame.videoFile).fileName();
        frame.frameNumber = keyFrame.frameNumber;
        frame.timeMs = keyFrame.timeMs;
        frame.reason = keyFrameReasonTexts().at(static_cast<int>(keyFrame.reason));
        frame.note = keyFrame.note;
        frame.measurements = keyFrame.measurements;
        shown.push_back(frame);
    }
    return shown;
}
