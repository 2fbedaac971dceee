// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReportPages.h"

#include "MeasurementOverlay.h"

#include <QStringList>
#include <QTime>

// Each frame kept from the video of the task: the picture with its angles, why it was kept,
// where in the video it is, and the angles measured on it.
void keyFramesPage(PageFlow& flow, const ReportContent& content, ReportNotes&)
{
    if (content.keyFrames.empty())
        return;
    flow.newPage();
    flow.heading(QStringLiteral("Key frames of the video"), ReportStyle::TextRole::Title);
    const QFont body = ReportStyle::font(ReportStyle::TextRole::Body);
    flow.paragraph(QStringLiteral("The frames taken from the video of the task as the postures to score, each "
                                  "kept exactly as decoded (turned upright where the video asks); frames are "
                                  "numbered from 0."),
                   body);
    int shown = 0;
    for (const ReportKeyFrame& shownFrame : content.keyFrames) {
        const KeyFrame& keyFrame = shownFrame.frame;
        flow.advance(flow.mm(3));
        flow.heading(QStringLiteral("Key frame %1: %2").arg(++shown).arg(keyFrame.reason));
        QString where = QStringLiteral("Frame %1 at %2 of %3")
                            .arg(keyFrame.frameNumber)
                            .arg(QTime(0, 0).addMSecs(int(keyFrame.timeMs)).toString(QStringLiteral("hh:mm:ss.zzz")),
                                 keyFrame.videoFile);
        // A video stored turned is shown upright, as its display matrix asks.
        if (keyFrame.rotation != 0 || keyFrame.mirrored) {
            QStringList turns;
            if (keyFrame.rotation != 0)
                turns << QStringLiteral("turned %1\u00B0 clockwise").arg(keyFrame.rotation);
            if (keyFrame.mirrored)
                turns << QStringLiteral("mirrored");
            where += QStringLiteral(", %1 to be upright as the video asks").arg(turns.join(QStringLiteral(" and ")));
        }
        flow.paragraph(where, body);
        if (!keyFrame.note.isEmpty())
            flow.paragraph(QStringLiteral("Note: %1").arg(keyFrame.note), body);
        if (!shownFrame.picture.isNull() && !shownFrame.pictureSize.isEmpty()) {
            const MeasuredAngles measured{keyFrame.measurements, shownFrame.pictureSize};
            const qreal height = QSizeF(shownFrame.pictureSize)
                                     .scaled(QSizeF(flow.area().width(), flow.mm(90)), Qt::KeepAspectRatio)
                                     .height();
            flow.need(height);
            annotatedPicture(flow.painter(), shownFrame.picture, measured,
                             QRectF(flow.area().left(), flow.y(), flow.area().width(), height), flow.mm(0.25));
            flow.advance(height + flow.mm(3));
        }
        if (MeasurementOverlay::rows(keyFrame.measurements).empty())
            flow.paragraph(QStringLiteral("No angles were measured on this frame."), body);
        else
            measurementTable(flow, keyFrame.measurements);
    }
}
