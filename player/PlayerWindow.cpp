// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlayerWindow.h"

#include <QAudioOutput>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QSlider>
#include <QStandardPaths>
#include <QUrl>
#include <QVBoxLayout>
#include <QVideoWidget>

#include <algorithm>
#include <limits>

namespace {

const char* const VideoFilter = "Videos (*.mp4 *.m4v *.mov *.webm *.mkv *.ogv *.ogg *.avi *.wmv *.asf *.mpg *.mpeg);;"
                                "All files (*)";

} // namespace

PlayerWindow::PlayerWindow(QWidget* parent)
    : QWidget(parent), m_player(new QMediaPlayer(this)), m_audio(new QAudioOutput(this)),
      m_video(new QVideoWidget(this)), m_open(new QPushButton(QStringLiteral("&Open..."), this)),
      m_play(new QPushButton(QStringLiteral("&Play"), this)), m_slider(new QSlider(Qt::Horizontal, this)),
      m_time(new QLabel(this)), m_status(new QLabel(this))
{
    setObjectName(QStringLiteral("MediaPlayer"));
    setWindowTitle(QStringLiteral("Media Player"));
    m_video->setObjectName(QStringLiteral("Video"));
    m_open->setObjectName(QStringLiteral("Open"));
    m_play->setObjectName(QStringLiteral("PlayPause"));
    m_slider->setObjectName(QStringLiteral("Position"));
    m_time->setObjectName(QStringLiteral("Time"));
    m_status->setObjectName(QStringLiteral("Status"));
    m_report = [this](const QString& text) { QMessageBox::warning(this, windowTitle(), text); };

    m_player->setAudioOutput(m_audio);
    m_player->setVideoOutput(m_video);
    m_video->setMinimumSize(320, 180);
    m_video->setStyleSheet(QStringLiteral("background: black;"));
    m_play->setEnabled(false);
    // Enter presses the focused button, as in the assessment program's windows.
    m_open->setAutoDefault(true);
    m_play->setAutoDefault(true);
    m_slider->setEnabled(false);
    m_slider->setRange(0, 0);
    m_status->setText(QStringLiteral("Press \"Open...\" to choose a recording."));
    m_status->setWordWrap(true);
    updateTime();

    connect(m_open, &QPushButton::clicked, this, &PlayerWindow::chooseFile);
    connect(m_play, &QPushButton::clicked, this, &PlayerWindow::togglePlay);
    connect(new QShortcut(QKeySequence(Qt::Key_Space), this), &QShortcut::activated, this, &PlayerWindow::togglePlay);
    connect(m_slider, &QSlider::sliderMoved, m_player, [this](int value) { m_player->setPosition(value); });
    connect(m_player, &QMediaPlayer::durationChanged, this, [this](qint64 duration) {
        m_slider->setRange(0, static_cast<int>(std::min<qint64>(duration, std::numeric_limits<int>::max())));
        updateTime();
    });
    connect(m_player, &QMediaPlayer::positionChanged, this, [this](qint64 position) {
        if (!m_slider->isSliderDown())
            m_slider->setValue(static_cast<int>(std::min<qint64>(position, std::numeric_limits<int>::max())));
        updateTime();
    });
    connect(m_player, &QMediaPlayer::playbackStateChanged, this, &PlayerWindow::updateButton);
    connect(m_player, &QMediaPlayer::errorOccurred, this, [this](QMediaPlayer::Error error, const QString& text) {
        if (error != QMediaPlayer::NoError)
            reportFailure(text);
    });
    connect(m_player, &QMediaPlayer::mediaStatusChanged, this, [this](QMediaPlayer::MediaStatus status) {
        if (status == QMediaPlayer::InvalidMedia)
            reportFailure(QString());
        else if (status == QMediaPlayer::LoadedMedia || status == QMediaPlayer::BufferedMedia)
            m_status->setText(QFileInfo(m_file).fileName());
        else if (status == QMediaPlayer::EndOfMedia)
            m_status->setText(QStringLiteral("%1: end of the recording").arg(QFileInfo(m_file).fileName()));
    });

    auto* controls = new QHBoxLayout;
    controls->addWidget(m_open);
    controls->addWidget(m_play);
    controls->addWidget(m_slider, 1);
    controls->addWidget(m_time);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_video, 1);
    layout->addLayout(controls);
    layout->addWidget(m_status);
    resize(720, 480);
}

PlayerWindow::~PlayerWindow()
{
    m_player->stop();
}

void PlayerWindow::chooseFile()
{
    const QStringList movies = QStandardPaths::standardLocations(QStandardPaths::MoviesLocation);
    const QString start = m_file.isEmpty() ? (movies.isEmpty() ? QString() : movies.first()) : QFileInfo(m_file).path();
    const QString path =
        QFileDialog::getOpenFileName(this, QStringLiteral("Open a recording"), start, QString::fromLatin1(VideoFilter));
    if (!path.isEmpty())
        openFile(path);
}

void PlayerWindow::openFile(const QString& path)
{
    m_file = path;
    m_failed = false;
    setWindowTitle(QStringLiteral("%1 - Media Player").arg(QFileInfo(path).fileName()));
    m_status->setText(QStringLiteral("Opening %1...").arg(QFileInfo(path).fileName()));
    m_slider->setRange(0, 0);
    if (!QFileInfo(path).isFile()) {
        m_player->setSource(QUrl());
        reportFailure(QStringLiteral("there is no such file"));
        return;
    }
    m_player->setSource(QUrl::fromLocalFile(path));
    m_play->setEnabled(true);
    m_slider->setEnabled(true);
    m_player->play();
}

void PlayerWindow::togglePlay()
{
    if (m_file.isEmpty() || m_failed)
        return;
    if (m_player->playbackState() == QMediaPlayer::PlayingState)
        m_player->pause();
    else
        m_player->play();
}

QString PlayerWindow::formatTime(qint64 milliseconds)
{
    const qint64 seconds = std::max<qint64>(0, milliseconds) / 1000;
    const qint64 hours = seconds / 3600;
    const QString minSec = QStringLiteral("%1:%2")
                               .arg((seconds / 60) % 60, hours ? 2 : 1, 10, QLatin1Char('0'))
                               .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return hours ? QStringLiteral("%1:%2").arg(hours).arg(minSec) : minSec;
}

QString PlayerWindow::timeText() const
{
    return m_time->text();
}

QString PlayerWindow::statusText() const
{
    return m_status->text();
}

void PlayerWindow::updateTime()
{
    m_time->setText(formatTime(m_player->position()) + QStringLiteral(" / ") + formatTime(m_player->duration()));
}

void PlayerWindow::updateButton()
{
    m_play->setText(m_player->playbackState() == QMediaPlayer::PlayingState ? QStringLiteral("&Pause")
                                                                            : QStringLiteral("&Play"));
}

void PlayerWindow::reportFailure(const QString& reason)
{
    if (m_failed)
        return; // one message per file, though the back end may report the fault twice
    m_failed = true;
    m_player->stop();
    m_play->setEnabled(false);
    m_slider->setEnabled(false);
    QString text = QStringLiteral("The file \"%1\" cannot be played").arg(QDir::toNativeSeparators(m_file));
    text += reason.isEmpty() ? QStringLiteral(": it is not a recording in a format this player can read.")
                             : QStringLiteral(": %1.").arg(reason);
    text += QStringLiteral("\nThe player reads MP4 (H.264), WebM and Ogg recordings, among others.");
    m_status->setText(text);
    if (m_report)
        m_report(text);
}

#include "moc_PlayerWindow.cpp"
