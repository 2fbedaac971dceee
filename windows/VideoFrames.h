// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AppWindow.h"
#include "PaintFitted.h"
#include "VideoIndex.h"

#include <QImage>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

class FrameReader;
class FrameView;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSlider;
class QSpinBox;

// The "Video Frames" window: a video of the task, stepped frame by frame (the frame shown for
// a number is always the same picture), and "Use This Frame", which makes the frame the
// workplace picture on the main window, keeps it as a key frame with a reason and a note, and
// opens Measure Angles on it. Choosing a key frame in the list makes it the workplace picture
// again, with its own measurements. Frames are decoded on the reader's thread, so the window
// answers at once during a long seek.
class VideoFrames : public AppWindow
{
    Q_OBJECT
public:
    static constexpr int HelpTopic = 210;

    VideoFrames(ProgramState& state, WindowSet& windows);
    ~VideoFrames() override;

    void showWindow() override;

    // Opens `file` (as typing its path and Enter does); the video open so far stays when
    // `file` cannot be opened, and a message says why.
    void openVideo(const QString& file);
    // Shows frame `number` (clamped to the video's frames).
    void goToFrame(int number);
    void useFrame();
    void togglePlay();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildSidePanel();
    QWidget* buildStepRow();
    void opened(std::shared_ptr<const VideoIndex> index);
    void openFailed(const QString& file, const QString& why);
    void frameReady(int number, const QImage& picture);
    void previewReady(int number, int asked, const QImage& picture);
    // Shows `picture` of frame `number` until the frame asked for comes, saying so.
    void showStopgap(int number, const QImage& picture);
    void frameFailed(int number, const QString& why);
    // Left/Right, PgUp/PgDn, Home/End; false for any other key.
    bool step(int key);
    void playTick();
    void browse();
    // Makes key frame `row` the workplace picture with its measurements.
    bool makeWorkplacePicture(int row);
    void keyFrameChosen(int row);
    void reasonOrNoteEdited();
    // The key frame chosen in the list (its row), or -1.
    int chosenKeyFrame() const;
    // Fills the reason and note with the chosen key frame's (enabled), or the defaults (disabled).
    void showChosenKeyFrame();
    // Unchooses the chosen key frame unless frame `number` of the open video is it.
    void leaveKeyFrame(int number);
    void refreshKeyFrameList();
    void addKeyFrameItem(int row);
    QString keyFrameText(int row) const;
    QString framePictureFile(int number);
    QString videoSha256() const; // of the video open, as key frames keep it

    FrameReader* m_reader;
    std::shared_ptr<const VideoIndex> m_index;
    int m_current = 0; // the frame asked for
    int m_shown = -1;  // the frame on screen
    bool m_useWhenShown = false;
    QTimer m_playTimer;
    // Started with a request: the frame on screen is marked as a stopgap when the one asked
    // for takes longer.
    QTimer m_stopgapTimer;
    PictureLoader m_loader;
    std::unique_ptr<QTemporaryDir> m_pictures;

    QLineEdit* m_file;
    FrameView* m_view;
    QLabel* m_info;
    QSpinBox* m_number;
    QSlider* m_slider;
    QPushButton* m_previous;
    QPushButton* m_next;
    QPushButton* m_play;
    QPushButton* m_use;
    QListWidget* m_keyFrames;
    QComboBox* m_reason;
    QLineEdit* m_note;
};
