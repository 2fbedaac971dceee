// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScoringPanel.h"

#include "ProgramState.h"
#include "Services.h"
#include "VideoIndex.h"
#include "VideoScorer.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include <cmath>

namespace {

// The action levels' bands of the grand score (1-2, 3-4, 5-6, 7), light enough to draw on.
const QColor LevelColours[4] = {QColor(0xd8, 0xf0, 0xd0), QColor(0xf8, 0xf0, 0xb8), QColor(0xfc, 0xd8, 0xa8),
                                QColor(0xf4, 0xb4, 0xb0)};
const QColor SideColours[2] = {QColor(0x1f, 0x4e, 0xb4), QColor(0xb0, 0x20, 0x80)}; // right, left
constexpr int HighestGrand = 7;

QString sideWord(rula::Side side)
{
    return side == rula::Side::Right ? QStringLiteral("right") : QStringLiteral("left");
}

QString sampleScores(const rula::ScoredSample& sample)
{
    QStringList parts;
    for (const rula::Side side : {rula::Side::Right, rula::Side::Left}) {
        const rula::SideScore& s = sample.side(side);
        parts << (s.scored ? QStringLiteral("%1 %2 (level %3)").arg(sideWord(side)).arg(s.grand).arg(s.actionLevel)
                           : QStringLiteral("%1 not found").arg(sideWord(side)));
    }
    return parts.join(QStringLiteral(", "));
}

} // namespace

// ---------------------------------------------------------------- the chart

ScoreTimeline::ScoreTimeline(QWidget* parent) : QWidget(parent)
{
    setMinimumHeight(120);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
}

void ScoreTimeline::setTimeline(const rula::VideoTimeline* timeline, double durationSeconds)
{
    m_timeline = timeline;
    m_duration = durationSeconds;
    update();
}

QSize ScoreTimeline::sizeHint() const
{
    return QSize(600, 140);
}

void ScoreTimeline::paint(QPainter& painter, const QRect& area, const rula::VideoTimeline& timeline,
                          double durationSeconds)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QFontMetrics metrics(painter.font());
    const int axis = metrics.horizontalAdvance(QStringLiteral("7")) + 6;
    const QRectF plot(area.left() + axis, area.top() + 4, area.width() - axis - 4, area.height() - 8);
    const double duration = durationSeconds > 0 ? durationSeconds : 1;
    const auto yOf = [&](double grand) { return plot.bottom() - (grand - 0.5) / HighestGrand * plot.height(); };
    const auto xOf = [&](double seconds) { return plot.left() + seconds / duration * plot.width(); };

    // Level 1 is grand 1-2, level 2 3-4, level 3 5-6, level 4 7.
    const double bandEdges[5] = {0.5, 2.5, 4.5, 6.5, 7.5};
    for (int level = 0; level < 4; ++level)
        painter.fillRect(
            QRectF(QPointF(plot.left(), yOf(bandEdges[level + 1])), QPointF(plot.right(), yOf(bandEdges[level]))),
            LevelColours[level]);
    painter.setPen(Qt::darkGray);
    for (int grand = 1; grand <= HighestGrand; ++grand)
        painter.drawText(QRectF(area.left(), yOf(grand) - metrics.height() / 2.0, axis - 4, metrics.height()),
                         Qt::AlignRight | Qt::AlignVCenter, QString::number(grand));

    for (const rula::Side side : {rula::Side::Right, rula::Side::Left}) {
        QPainterPath path;
        bool drawing = false;
        for (const rula::ScoredSample& sample : timeline.samples) {
            const rula::SideScore& s = sample.side(side);
            if (!s.scored) {
                drawing = false; // a gap, not a zero
                continue;
            }
            // The left side a hair lower, so that equal scores show both lines.
            const QPointF point(xOf(sample.timeSeconds), yOf(s.grand) + (side == rula::Side::Left ? 2 : -1));
            if (drawing)
                path.lineTo(point);
            else
                path.moveTo(point);
            path.addEllipse(point, 1.5, 1.5);
            path.moveTo(point);
            drawing = true;
        }
        painter.setPen(QPen(SideColours[static_cast<int>(side)], 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(path);
    }
    painter.setPen(Qt::gray);
    painter.drawRect(plot);
    painter.restore();
}

void ScoreTimeline::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    static const rula::VideoTimeline Empty;
    paint(painter, rect(), m_timeline ? *m_timeline : Empty, m_duration);
    if (hasFocus()) {
        painter.setPen(QPen(palette().highlight().color(), 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void ScoreTimeline::mousePressEvent(QMouseEvent* event)
{
    if (!m_timeline || m_timeline->samples.empty() || m_duration <= 0)
        return;
    const QFontMetrics metrics(font());
    const int axis = metrics.horizontalAdvance(QStringLiteral("7")) + 6;
    const double seconds = (event->position().x() - axis) / std::max(1, width() - axis - 4) * m_duration;
    const rula::ScoredSample* nearest = &m_timeline->samples.front();
    for (const rula::ScoredSample& sample : m_timeline->samples) {
        if (std::abs(sample.timeSeconds - seconds) < std::abs(nearest->timeSeconds - seconds))
            nearest = &sample;
    }
    emit frameClicked(nearest->frame);
}

// ---------------------------------------------------------------- the panel

ScoringPanel::ScoringPanel(ProgramState& state, QWidget* parent) : QWidget(parent), m_state(state)
{
    setObjectName(QStringLiteral("ScoringPanel"));
    m_score = new QPushButton(QStringLiteral("Score the &Whole Video"), this);
    m_score->setObjectName(QStringLiteral("ScoreVideo"));
    auto* rateCaption = new QLabel(QStringLiteral("Samples a &second:"), this);
    m_rate = new QSpinBox(this);
    m_rate->setObjectName(QStringLiteral("SampleRate"));
    m_rate->setRange(1, 25);
    m_rate->setValue(5);
    rateCaption->setBuddy(m_rate);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("ScoreProgress"));
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_progress->setFormat(QStringLiteral("Not scored"));
    m_cancelButton = new QPushButton(QStringLiteral("&Cancel Scoring"), this);
    m_cancelButton->setObjectName(QStringLiteral("CancelScoring"));
    m_cancelButton->setEnabled(false);
    auto* controls = new QHBoxLayout;
    controls->setContentsMargins(0, 0, 0, 0);
    controls->addWidget(m_score);
    controls->addWidget(rateCaption);
    controls->addWidget(m_rate);
    controls->addWidget(m_progress, 1);
    controls->addWidget(m_cancelButton);

    m_chart = new ScoreTimeline(this);
    m_chart->setObjectName(QStringLiteral("ScoreTimeline"));
    m_chart->setToolTip(QStringLiteral("Grand score over time: right side blue, left side purple; the bands are "
                                       "action levels 1 to 4. Click to see that frame."));
    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("ScoringNote"));
    m_note->setWordWrap(true);
    m_note->setTextFormat(Qt::PlainText);
    m_shares = new QLabel(this);
    m_shares->setObjectName(QStringLiteral("TimeShares"));
    m_shares->setTextFormat(Qt::PlainText);
    m_shares->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* chartColumn = new QVBoxLayout;
    chartColumn->addWidget(m_chart, 1);
    chartColumn->addWidget(m_shares);
    chartColumn->addWidget(m_note);

    auto* proposedCaption = new QLabel(QStringLiteral("Wors&t moments:"), this);
    m_proposedList = new QListWidget(this);
    m_proposedList->setObjectName(QStringLiteral("ProposedKeyFrames"));
    // As wide as the key frames' list above it, each moment on as many lines as it needs.
    m_proposedList->setFixedWidth(300);
    m_proposedList->setWordWrap(true);
    proposedCaption->setBuddy(m_proposedList);
    m_use = new QPushButton(QStringLiteral("Us&e as Key Frame"), this);
    m_use->setObjectName(QStringLiteral("UseProposedFrame"));
    m_use->setEnabled(false);
    auto* proposedColumn = new QVBoxLayout;
    proposedColumn->addWidget(proposedCaption);
    proposedColumn->addWidget(m_proposedList, 1);
    proposedColumn->addWidget(m_use);

    auto* results = new QHBoxLayout;
    results->addLayout(chartColumn, 1);
    results->addLayout(proposedColumn);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addLayout(controls);
    column->addLayout(results, 1);

    for (QWidget* control : findChildren<QWidget*>())
        control->setProperty("helpTopic", HelpTopic);
    setProperty("helpTopic", HelpTopic);

    connect(m_score, &QPushButton::clicked, this, &ScoringPanel::score);
    connect(m_cancelButton, &QPushButton::clicked, this, &ScoringPanel::cancel);
    connect(m_chart, &ScoreTimeline::frameClicked, this, &ScoringPanel::frameWanted);
    connect(m_proposedList, &QListWidget::currentRowChanged, this, &ScoringPanel::proposedChosen);
    connect(m_use, &QPushButton::clicked, this, &ScoringPanel::useProposed);
    connect(&m_watcher, &QFutureWatcher<rula::VideoTimeline>::finished, this, &ScoringPanel::finished);
    setVideo(nullptr);
}

ScoringPanel::~ScoringPanel()
{
    if (m_cancel)
        *m_cancel = true;
    m_watcher.waitForFinished();
}

void ScoringPanel::setVideo(std::shared_ptr<const VideoIndex> index)
{
    m_index = std::move(index);
    m_score->setEnabled(m_index && !isScoring());
    refresh();
}

void ScoringPanel::score()
{
    if (!m_index || isScoring())
        return;
    VideoScorer::Settings settings;
    settings.videoFile = m_index->file;
    settings.samplesPerSecond = m_rate->value();
    settings.assessor = m_state.assessment;
    rula::VideoTimeline& timeline = m_state.videoTimeline;
    timeline = rula::VideoTimeline{};
    timeline.videoFile = m_index->file.toStdString();
    timeline.videoSha256 = m_index->sha256.toStdString();
    timeline.samplesPerSecond = settings.samplesPerSecond;
    timeline.defaulted = rula::unseenChoices(settings.assessor).defaulted;
    m_error.clear();
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    m_started = std::chrono::steady_clock::now();
    m_progress->setRange(0, std::max(1, static_cast<int>(sampleFrames(*m_index, settings.samplesPerSecond).size())));
    m_progress->setValue(0);
    m_progress->setFormat(QStringLiteral("Starting ..."));
    m_score->setEnabled(false);
    m_rate->setEnabled(false);
    m_cancelButton->setEnabled(true);
    refresh();

    QPointer<ScoringPanel> self(this);
    const auto cancel = m_cancel;
    m_watcher.setFuture(QtConcurrent::run([settings, cancel, self]() {
        QString error;
        rula::VideoTimeline result = VideoScorer::run(
            settings, [cancel] { return cancel->load(); },
            [self](const rula::VideoTimeline& sofar, int total) {
                const rula::ScoredSample sample = sofar.samples.back();
                QMetaObject::invokeMethod(
                    self, [self, sample, total] { self->sampleScored(sample, total); }, Qt::QueuedConnection);
            },
            &error);
        if (!error.isEmpty())
            QMetaObject::invokeMethod(
                self, [self, error] { self->m_error = error; }, Qt::QueuedConnection);
        return result;
    }));
}

void ScoringPanel::cancel()
{
    if (m_cancel)
        *m_cancel = true;
    m_cancelButton->setEnabled(false);
}

void ScoringPanel::sampleScored(const rula::ScoredSample& sample, int total)
{
    m_state.videoTimeline.samples.push_back(sample);
    const int done = static_cast<int>(m_state.videoTimeline.samples.size());
    m_progress->setRange(0, std::max(1, total));
    m_progress->setValue(done);
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_started).count();
    const int left = static_cast<int>(std::lround(elapsed / done * (total - done)));
    m_progress->setFormat(QStringLiteral("%1 of %2 samples \u00B7 about %3 s left").arg(done).arg(total).arg(left));
    refresh();
}

void ScoringPanel::finished()
{
    rula::VideoTimeline result = m_watcher.result();
    rula::VideoTimeline& timeline = m_state.videoTimeline;
    // The samples already shown are those of the result; its video identity is the reader's.
    timeline.samples = std::move(result.samples);
    timeline.complete = result.complete;
    if (timeline.videoSha256.empty())
        timeline.videoSha256 = result.videoSha256;
    m_cancelButton->setEnabled(false);
    m_rate->setEnabled(true);
    m_score->setEnabled(m_index != nullptr);
    const int done = static_cast<int>(timeline.samples.size());
    m_progress->setValue(timeline.complete ? m_progress->maximum() : done);
    m_progress->setFormat(
        timeline.complete ? QStringLiteral("%1 samples scored").arg(done)
                          : QStringLiteral("Stopped: %1 of %2 samples scored").arg(done).arg(m_progress->maximum()));
    refresh();
    if (!m_error.isEmpty())
        MessageService::show(m_error, QStringLiteral("Error"));
}

void ScoringPanel::refresh()
{
    const rula::VideoTimeline& timeline = m_state.videoTimeline;
    const bool forThisVideo = m_index && timeline.videoFile == m_index->file.toStdString();
    const double duration = m_index ? static_cast<double>(m_index->timeMs(m_index->frameCount() - 1)) / 1000.0 : 0;
    m_chart->setTimeline(forThisVideo ? &timeline : nullptr, duration);
    if (!forThisVideo || timeline.samples.empty()) {
        m_shares->setText(QString());
        m_note->setText(QString());
        m_proposedList->clear();
        m_proposed.clear();
        m_use->setEnabled(false);
        return;
    }
    m_shares->setText(QString::fromStdString(rula::sharesText(timeline.samples, rula::Side::Right)) +
                      QLatin1Char('\n') + QString::fromStdString(rula::sharesText(timeline.samples, rula::Side::Left)));
    m_note->setText(timeline.defaulted.empty()
                        ? QString()
                        : QStringLiteral("Not chosen on Main, counted at their lowest score: %1.")
                              .arg(QString::fromStdString(rula::defaultedText(timeline.defaulted))));

    const std::vector<std::size_t> proposed = rula::proposedKeyFrames(timeline.samples);
    if (proposed == m_proposed && m_proposedList->count() == static_cast<int>(proposed.size()))
        return;
    m_proposed = proposed;
    const QSignalBlocker block(m_proposedList);
    m_proposedList->clear();
    for (std::size_t index : m_proposed) {
        const rula::ScoredSample& sample = timeline.samples[index];
        m_proposedList->addItem(QStringLiteral("%1 \u00B7 frame %2 \u00B7 %3")
                                    .arg(formatTime(std::llround(sample.timeSeconds * 1000)))
                                    .arg(sample.frame)
                                    .arg(sampleScores(sample)));
    }
    m_use->setEnabled(false);
}

void ScoringPanel::proposedChosen(int row)
{
    m_use->setEnabled(row >= 0 && row < static_cast<int>(m_proposed.size()));
    if (row >= 0 && row < static_cast<int>(m_proposed.size()))
        emit frameWanted(m_state.videoTimeline.samples[m_proposed[static_cast<std::size_t>(row)]].frame);
}

void ScoringPanel::useProposed()
{
    const int row = m_proposedList->currentRow();
    if (row >= 0 && row < static_cast<int>(m_proposed.size()))
        emit keyFrameWanted(m_state.videoTimeline.samples[m_proposed[static_cast<std::size_t>(row)]].frame);
}
