// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "VideoScoring.h"

#include <QFutureWatcher>
#include <QWidget>

#include <atomic>
#include <chrono>
#include <memory>

struct ProgramState;
struct VideoIndex;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QSpinBox;

// The chart of each side's grand score over the video's time, on the action levels' coloured
// bands; a sample where the side was not found leaves a gap. A click asks for the frame of the
// sample nearest to it.
class ScoreTimeline : public QWidget
{
    Q_OBJECT
public:
    explicit ScoreTimeline(QWidget* parent = nullptr);

    // The samples to draw, over the video's length.
    void setTimeline(const rula::VideoTimeline* timeline);
    QSize sizeHint() const override;

signals:
    void frameClicked(int frame);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    const rula::VideoTimeline* m_timeline = nullptr;
};

// Scoring the whole video in the Video Frames window: the controls that start and cancel it,
// its progress, the chart, the time shares and the proposed worst moments. Scoring runs on a
// thread of its own (the pose models spread over both cores); the samples appear as they are
// scored, and a cancelled run keeps them.
class ScoringPanel : public QWidget
{
    Q_OBJECT
public:
    static constexpr int HelpTopic = 211;

    ScoringPanel(ProgramState& state, QWidget* parent);
    ~ScoringPanel() override;

    // The video open in the window (none: scoring is not offered).
    void setVideo(std::shared_ptr<const VideoIndex> index);
    void score();
    void cancel();
    bool isScoring() const { return m_watcher.isRunning(); }

signals:
    // The assessor asks to see this frame.
    void frameWanted(int frame);
    // The assessor takes this proposed frame as a key frame, for the reason "Most extreme".
    void keyFrameWanted(int frame);

private:
    void sampleScored(const rula::ScoredSample& sample, int total);
    void finished();
    void refresh();
    void proposedChosen(int row);
    void useProposed();

    ProgramState& m_state;
    std::shared_ptr<const VideoIndex> m_index;
    std::vector<std::size_t> m_proposed;
    std::shared_ptr<std::atomic<bool>> m_cancel;
    QFutureWatcher<rula::VideoTimeline> m_watcher;
    std::chrono::steady_clock::time_point m_started;
    QString m_error;

    QPushButton* m_score;
    QSpinBox* m_rate;
    QProgressBar* m_progress;
    QPushButton* m_cancelButton;
    QLabel* m_note;
    ScoreTimeline* m_chart;
    QLabel* m_shares;
    QListWidget* m_proposedList;
    QPushButton* m_use;
};
