// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMediaPlayer>
#include <QWidget>

#include <functional>

class QAudioOutput;
class QLabel;
class QPushButton;
class QSlider;
class QVideoWidget;

// A small video player: "Open...", play/pause, a position slider and the time. Plays what
// the multimedia back end decodes (MP4/H.264, WebM, Ogg and more) and says so clearly when
// a file cannot be played.
class PlayerWindow : public QWidget
{
    Q_OBJECT
public:
    // Shows a message to the viewer; a message box unless replaced (tests).
    using Report = std::function<void(const QString& text)>;

    explicit PlayerWindow(QWidget* parent = nullptr);
    ~PlayerWindow() override;

    void setReport(Report report) { m_report = std::move(report); }

    // Opens a file and starts playing it.
    void openFile(const QString& path);

    QMediaPlayer* player() const { return m_player; }
    QString timeText() const;
    QString statusText() const;

    static QString formatTime(qint64 milliseconds);

public slots:
    void chooseFile();
    void togglePlay();

private:
    void updateTime();
    void updateButton();
    void reportFailure(const QString& reason);

    QMediaPlayer* m_player;
    QAudioOutput* m_audio;
    QVideoWidget* m_video;
    QPushButton* m_open;
    QPushButton* m_play;
    QSlider* m_slider;
    QLabel* m_time;
    QLabel* m_status;
    QString m_file;
    bool m_failed = false;
    Report m_report;
};
