// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReportPages.h"

#include "TimelineChart.h"

#include <QTime>

#include <cmath>

namespace {

QString videoTime(double seconds)
{
    return QTime(0, 0).addMSecs(int(std::llround(seconds * 1000))).toString(QStringLiteral("hh:mm:ss.zzz"));
}

} // namespace

// The whole video scored sample by sample: how the grand scores moved, the share of the time
// each side spent at each action level, and the worst moments found.
void scoredVideoPage(PageFlow& flow, const ReportContent& content, ReportNotes&)
{
    const rula::VideoTimeline& timeline = content.timeline;
    if (timeline.samples.empty())
        return;
    flow.newPage();
    flow.heading(QStringLiteral("The whole video scored"), ReportStyle::TextRole::Title);
    const QFont body = ReportStyle::font(ReportStyle::TextRole::Body);
    QString what = QStringLiteral("%1 scored at %2 samples a second over %3: %4 samples")
                       .arg(QString::fromStdString(timeline.videoFile).section(QLatin1Char('/'), -1))
                       .arg(timeline.samplesPerSecond)
                       .arg(videoTime(timeline.durationSeconds))
                       .arg(timeline.samples.size());
    if (!timeline.complete)
        what += QStringLiteral(" (scoring was stopped before the end)");
    flow.paragraph(what + QLatin1Char('.'), body);
    if (!timeline.videoSha256.empty())
        flow.paragraph(QStringLiteral("SHA-256 of the video: %1").arg(QString::fromStdString(timeline.videoSha256)),
                       body);
    flow.paragraph(QStringLiteral("Upper arm, lower arm, wrist, neck and trunk were measured on each sample from the "
                                  "landmarks the program found; muscle use, force, legs, wrist twist and the "
                                  "adjustments not measured are the assessor's choices."),
                   body);
    if (!timeline.defaulted.empty())
        flow.paragraph(QStringLiteral("Not chosen on Main, counted at their lowest score: %1.")
                           .arg(QString::fromStdString(rula::defaultedText(timeline.defaulted))),
                       body);

    flow.heading(QStringLiteral("Grand score over time"));
    flow.paragraph(QStringLiteral("Right side in blue, left side in purple, on the action levels' bands (green level "
                                  "1, yellow level 2, orange level 3, red level 4); a gap where a side was not "
                                  "found."),
                   body);
    const qreal height = flow.mm(60);
    flow.need(height);
    QPainter& painter = flow.painter();
    painter.save();
    painter.setFont(body);
    TimelineChart(QRectF(flow.area().left(), flow.y(), flow.area().width(), height),
                  QFontMetricsF(body, painter.device()), timeline, flow.mm(0.25))
        .paint(painter);
    painter.restore();
    flow.advance(height + flow.mm(3));

    flow.heading(QStringLiteral("Share of the scored time at each action level"));
    for (const rula::Side side : {rula::Side::Right, rula::Side::Left})
        flow.paragraph(QString::fromStdString(rula::sharesText(timeline.samples, side)), body);

    flow.heading(QStringLiteral("The worst moments"));
    const std::vector<std::size_t> worst = rula::proposedKeyFrames(timeline.samples);
    if (worst.empty())
        flow.paragraph(QStringLiteral("The worker was not found on any sample."), body);
    for (std::size_t index : worst) {
        const rula::ScoredSample& sample = timeline.samples[index];
        flow.paragraph(QStringLiteral("%1, frame %2: %3")
                           .arg(videoTime(sample.timeSeconds))
                           .arg(sample.frame)
                           .arg(QString::fromStdString(rula::sampleScoresText(sample))),
                       body, 0, QStringLiteral("\u2022"));
    }
}
