// SPDX-License-Identifier: GPL-3.0-or-later
#include "KeyFrames.h"

#include "ProgramState.h"

const QStringList& keyFrameReasonTexts()
{
    static const QStringList texts = {QStringLiteral("Most frequent"), QStringLiteral("Longest held"),
                                      QStringLiteral("Greatest force"), QStringLiteral("Most extreme"),
                                      QStringLiteral("Other")};
    return texts;
}

void keepKeyFrameMeasurements(ProgramState& state)
{
    const std::string& picture = state.angleMeasurements.pictureFile;
    for (KeyFrame& keyFrame : state.keyFrames) {
        if (!picture.empty() && keyFrame.pictureFile.toStdString() == picture)
            keyFrame.measurements = state.angleMeasurements;
    }
}
