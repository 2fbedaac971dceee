// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScoringPanel.h"

#include "ProgramState.h"
#include "Services.h"
#include "TimelineChart.h"
#include "VideoIndex.h"
#include "VideoScorer.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include <cmath>

// ---------------------------------------------------------------- the chart

ScoreTimeline::ScoreTimeline(QWidget* parent) : QWidget(parent)
{
    setMinimumHeight(120);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
}

void ScoreTimeline::setTimeline(const rula::VideoTimeline* timeline)
{
    m_timeline = timeline;
    update();
}

QSize ScoreTimeline::sizeHint() const
{
    return QSize(600, 140);
}

void ScoreTimeline::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    static const rula::VideoTimeline Empty;
    TimelineChart(rect(), QFontMetricsF(font()), m_timeline ? *m_timeline : Empty).paint(painter);
    if (hasFocus()) {
        painter.setPen(QPen(palette().highlight().color(), 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void ScoreTimeline::mousePressEvent(QMouseEvent* event)
{
    if (!m_timeline)
        return;
    if (const rula::ScoredSample* nearest =
            TimelineChart(rect(), QFontMetricsF(font()), *m_timeline).sampleAt(event->position().x()))
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
    timeline.durationSeconds = videoDuration(*m_index);
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
    // A timeline restored from the evidence knows its video by name and hash, not by folder.
    const bool forThisVideo = m_index && (timeline.videoSha256.empty() || m_index->sha256.isEmpty()
                                              ? timeline.videoFile == m_index->file.toStdString()
                                              : timeline.videoSha256 == m_index->sha256.toStdString());
    m_chart->setTimeline(forThisVideo ? &timeline : nullptr);
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
                                    .arg(QString::fromStdString(rula::sampleScoresText(sample))));
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
