// SPDX-License-Identifier: GPL-3.0-or-later
#include "BodyPose.h"
#include "Commands.h"
#include "ErrorLine.h"
#include "OutputFiles.h"
#include "PaintFitted.h"
#include "VideoDecoder.h"
#include "VideoIndex.h"

#include <QFileInfo>
#include <QStringList>
#include <QTextStream>

namespace {

// One row per landmark and side, the person's right side first; RFC 4180, CR LF.
QByteArray landmarksCsv(const pose::BodyLandmarks& body)
{
    QByteArray csv = "landmark,side,x,y,confidence\r\n";
    for (int l = 0; l < pose::LandmarkCount; ++l) {
        for (const pose::Side side : {pose::Side::Right, pose::Side::Left}) {
            const pose::LandmarkGuess& guess = body.at(side, pose::Landmark(l));
            csv += pose::landmarkName(pose::Landmark(l)).toLatin1() + ',' + pose::sideName(side).toLatin1() + ',' +
                   QByteArray::number(guess.at.x(), 'f', 1) + ',' + QByteArray::number(guess.at.y(), 'f', 1) + ',' +
                   QByteArray::number(guess.confidence, 'f', 3) + "\r\n";
        }
    }
    return csv;
}

} // namespace

int RunLandmarksCommand(const CommandLine& command, QTextStream& errors)
{
    const QString input = command.inputs.value(0);
    if (!QFileInfo(input).isFile()) {
        errorLine(errors, input) << "no such file.\n";
        return 1;
    }
    const QString output =
        command.output.isEmpty()
            ? OutputFiles::besideInput(input, command.frame < 0
                                                  ? QStringLiteral(" Landmarks.csv")
                                                  : QStringLiteral(" frame %1 Landmarks.csv").arg(command.frame))
            : command.output;
    const QString refused = OutputFiles::refusal(output, {input}, !command.output.isEmpty());
    if (!refused.isEmpty()) {
        errorLine(errors, output) << refused << '\n';
        return 1;
    }

    // The picture as the assessor sees it: a photograph turned upright by its orientation, a
    // video frame as the program shows it.
    QImage image;
    QSize natural;
    if (command.frame < 0) {
        PictureLoader loader;
        if (!loader.load(input)) {
            errorLine(errors, input) << "is not a picture that can be read (a video takes --frame N).\n";
            return 1;
        }
        natural = loader.naturalSize();
        image = loader.decode(pose::workingSize(natural));
        if (image.isNull()) {
            errorLine(errors, input) << "cannot be decoded (" << natural.width() << " x " << natural.height()
                                     << " pixels).\n";
            return 1;
        }
    } else {
        VideoDecoder decoder;
        if (!decoder.open(input)) {
            errorLine(errors, input) << decoder.error() << '\n';
            return 1;
        }
        if (command.frame >= decoder.index().frameCount()) {
            errorLine(errors, input) << "has " << decoder.index().frameCount() << " frames, from 0; there is no frame "
                                     << command.frame << ".\n";
            return 1;
        }
        const QImage frame = decoder.frame(command.frame);
        if (frame.isNull()) {
            errorLine(errors, input) << "frame " << command.frame << " cannot be decoded: " << decoder.error() << '\n';
            return 1;
        }
        natural = frame.size();
        const QSize working = pose::workingSize(natural);
        image = working == natural ? frame : frame.scaled(working, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }

    pose::PoseFinder finder;
    if (!finder.isReady()) {
        errorLine(errors, input) << finder.error() << '\n';
        return 1;
    }
    const pose::BodyLandmarks body = finder.find(image).scaled(double(natural.width()) / image.width());
    if (!body.found) {
        errorLine(errors, input) << "no person was found in this " << (command.frame < 0 ? "picture" : "frame")
                                 << ".\n";
        return 1;
    }
    if (const QString error = OutputFiles::writeWhole(output, landmarksCsv(body)); !error.isEmpty()) {
        errorLine(errors, output) << "cannot be written: " << error << '\n';
        return 1;
    }
    return 0;
}
