// SPDX-License-Identifier: GPL-3.0-or-later
#include "VideoFrames.h"

#include "FrameReader.h"
#include "FrameView.h"
#include "KeyFrames.h"
#include "PictureBox.h"
#include "ProgramState.h"
#include "ScoringPanel.h"
#include "Services.h"
#include "WindowSet.h"
#include "Workplace.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

constexpr int FramePanelWidth = 300;

QPushButton* button(const QString& text, const char* name, QWidget* parent)
{
    auto* made = new QPushButton(text, parent);
    made->setObjectName(QLatin1String(name));
    return made;
}

} // namespace

VideoFrames::VideoFrames(ProgramState& state, WindowSet& windows)
    : AppWindow(state, windows, Frame::Sizable, true), m_reader(new FrameReader(this))
{
    setObjectName(QStringLiteral("VideoFrames"));
    setWindowTitle(QStringLiteral("Video Frames"));
    resize(1100, 720);

    // A new, resizable window, not a designed screen: layouts place its controls.
    auto* fileCaption = new QLabel(QStringLiteral("&Video file:"), this);
    m_file = new QLineEdit(this);
    m_file->setObjectName(QStringLiteral("VideoFile"));
    fileCaption->setBuddy(m_file);
    QPushButton* browse = button(QStringLiteral("&Browse..."), "Browse", this);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(fileCaption);
    fileRow->addWidget(m_file, 1);
    fileRow->addWidget(browse);

    m_view = new FrameView(this);
    m_view->setObjectName(QStringLiteral("Frame"));
    m_info = new QLabel(QStringLiteral("No video open"), this);
    m_info->setObjectName(QStringLiteral("FrameInfo"));
    m_info->setTextFormat(Qt::PlainText);
    auto* picture = new QVBoxLayout;
    picture->addWidget(m_view, 1);
    picture->addWidget(m_info);
    picture->addWidget(buildStepRow());

    auto* middle = new QHBoxLayout;
    middle->addLayout(picture, 1);
    middle->addWidget(buildSidePanel());

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(6, 6, 6, 6);
    column->addLayout(fileRow);
    column->addLayout(middle, 1);

    for (QWidget* control : findChildren<QWidget*>())
        control->setProperty("helpTopic", HelpTopic);
    // The step keys work wherever the focus is, except where they edit or choose.
    for (QWidget* watched :
         std::initializer_list<QWidget*>{m_view, m_slider, m_previous, m_next, m_play, m_use, browse})
        watched->installEventFilter(this);

    connect(m_file, &QLineEdit::returnPressed, this, [this] { openVideo(m_file->text()); });
    connect(browse, &QPushButton::clicked, this, &VideoFrames::browse);
    connect(m_previous, &QPushButton::clicked, this, [this] { goToFrame(m_current - 1); });
    connect(m_next, &QPushButton::clicked, this, [this] { goToFrame(m_current + 1); });
    connect(m_play, &QPushButton::clicked, this, &VideoFrames::togglePlay);
    connect(m_use, &QPushButton::clicked, this, &VideoFrames::useFrame);
    connect(m_number, &QSpinBox::valueChanged, this, &VideoFrames::goToFrame);
    connect(m_slider, &QSlider::valueChanged, this, &VideoFrames::goToFrame);
    connect(m_keyFrames, &QListWidget::currentRowChanged, this, &VideoFrames::keyFrameChosen);
    connect(m_reason, &QComboBox::currentIndexChanged, this, &VideoFrames::reasonOrNoteEdited);
    connect(m_note, &QLineEdit::textEdited, this, &VideoFrames::reasonOrNoteEdited);
    connect(m_reader, &FrameReader::opened, this, &VideoFrames::opened);
    connect(m_reader, &FrameReader::openFailed, this, &VideoFrames::openFailed);
    connect(m_reader, &FrameReader::frameReady, this, &VideoFrames::frameReady);
    connect(m_reader, &FrameReader::frameFailed, this, &VideoFrames::frameFailed);
    connect(m_reader, &FrameReader::previewReady, this, &VideoFrames::previewReady);
    connect(&m_playTimer, &QTimer::timeout, this, &VideoFrames::playTick);
    // Soon enough that a seek shows a picture within a tenth of a second, late enough that a
    // step (a few milliseconds) does not flash the mark.
    m_stopgapTimer.setSingleShot(true);
    m_stopgapTimer.setInterval(30);
    connect(&m_stopgapTimer, &QTimer::timeout, this, [this] {
        if (m_shown >= 0 && m_shown != m_current && !m_playTimer.isActive())
            showStopgap(m_shown, m_view->frame());
    });
    addScoringPanel(column);
    showChosenKeyFrame();
    m_file->setFocus();
}

VideoFrames::~VideoFrames() = default;

void VideoFrames::addScoringPanel(QVBoxLayout* column)
{
    // Made last, so that its controls follow the others in keyboard order, with help of their own.
    m_scoring = new ScoringPanel(m_state, this);
    column->addWidget(m_scoring);
    resize(width(), height() + 220);
    connect(m_reader, &FrameReader::opened, m_scoring, &ScoringPanel::setVideo);
    connect(m_scoring, &ScoringPanel::frameWanted, this, &VideoFrames::goToFrame);
    // A new key frame's reason is "Most extreme": what the worst moments are proposed for.
    connect(m_scoring, &ScoringPanel::keyFrameWanted, this, [this](int frame) {
        goToFrame(frame);
        useFrame();
    });
}

QWidget* VideoFrames::buildStepRow()
{
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    m_previous = button(QStringLiteral("< &Previous"), "PreviousFrame", row);
    m_play = button(QStringLiteral("P&lay"), "PlayPause", row);
    m_next = button(QStringLiteral("&Next >"), "NextFrame", row);
    auto* numberCaption = new QLabel(QStringLiteral("&Frame:"), row);
    m_number = new QSpinBox(row);
    m_number->setObjectName(QStringLiteral("FrameNumber"));
    // The frame changes on Enter (or on leaving the box), not at every digit typed.
    m_number->setKeyboardTracking(false);
    m_number->setMinimumWidth(90);
    numberCaption->setBuddy(m_number);
    m_slider = new QSlider(Qt::Horizontal, row);
    m_slider->setObjectName(QStringLiteral("FramePosition"));
    m_slider->setFocusPolicy(Qt::StrongFocus);
    m_use = button(QStringLiteral("&Use This Frame"), "UseFrame", row);
    for (QWidget* control : std::initializer_list<QWidget*>{m_previous, m_play, m_next, numberCaption, m_number})
        layout->addWidget(control);
    layout->addWidget(m_slider, 1);
    layout->addWidget(m_use);
    return row;
}

QWidget* VideoFrames::buildSidePanel()
{
    auto* panel = new QWidget(this);
    panel->setFixedWidth(FramePanelWidth);
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(6, 0, 0, 0);
    auto* listCaption = new QLabel(QStringLiteral("&Key frames:"), panel);
    m_keyFrames = new QListWidget(panel);
    m_keyFrames->setObjectName(QStringLiteral("KeyFrames"));
    m_keyFrames->setWordWrap(true);
    listCaption->setBuddy(m_keyFrames);
    auto* reasonCaption = new QLabel(QStringLiteral("&Reason:"), panel);
    m_reason = new QComboBox(panel);
    m_reason->setObjectName(QStringLiteral("KeyFrameReason"));
    m_reason->addItems(keyFrameReasons());
    m_reason->setCurrentText(defaultKeyFrameReason());
    reasonCaption->setBuddy(m_reason);
    auto* noteCaption = new QLabel(QStringLiteral("N&ote:"), panel);
    m_note = new QLineEdit(panel);
    m_note->setObjectName(QStringLiteral("KeyFrameNote"));
    noteCaption->setBuddy(m_note);
    auto* hint = new QLabel(QStringLiteral("The reason and note belong to the key frame chosen in the list; a new key "
                                           "frame starts with the reason Most extreme and no note."),
                            panel);
    hint->setWordWrap(true);
    for (QWidget* control :
         std::initializer_list<QWidget*>{listCaption, m_keyFrames, reasonCaption, m_reason, noteCaption, m_note, hint})
        column->addWidget(control);
    column->setStretchFactor(m_keyFrames, 1);
    return panel;
}

void VideoFrames::showWindow()
{
    refreshKeyFrameList();
    AppWindow::showWindow();
}

// ---------------------------------------------------------------- opening and stepping

void VideoFrames::openVideo(const QString& file)
{
    if (file.trimmed().isEmpty())
        return;
    m_playTimer.stop();
    m_play->setText(QStringLiteral("P&lay"));
    m_info->setText(QStringLiteral("Opening %1 ...").arg(QFileInfo(file).fileName()));
    m_reader->open(file);
}

void VideoFrames::opened(std::shared_ptr<const VideoIndex> index)
{
    m_index = std::move(index);
    m_file->setText(m_index->file);
    m_shown = -1;
    m_current = -1;
    const int last = m_index->frameCount() - 1;
    {
        const QSignalBlocker blockNumber(m_number);
        const QSignalBlocker blockSlider(m_slider);
        m_number->setRange(0, last);
        m_slider->setRange(0, last);
        m_slider->setPageStep(std::max(1, static_cast<int>(std::lround(m_index->averageRate()))));
    }
    goToFrame(0);
}

void VideoFrames::openFailed(const QString&, const QString& why)
{
    MessageService::show(why, QStringLiteral("Error"));
    // The video open so far stays, as it was.
    m_file->setText(m_index ? m_index->file : QString());
    if (!m_index) {
        m_info->setText(QStringLiteral("No video open"));
        return;
    }
    // Before the video's first frame is on screen, the frame asked for is named.
    showFrameStatus(m_shown >= 0 ? m_shown : m_current);
    // Opening stopped a frame being decoded; it is asked for again.
    if (m_shown != m_current)
        m_reader->request(m_current);
}

void VideoFrames::goToFrame(int number)
{
    if (!m_index)
        return;
    number = std::clamp(number, 0, m_index->frameCount() - 1);
    if (number == m_current)
        return;
    m_current = number;
    // Stepping away from the key frame chosen leaves it: its reason and note stay its own.
    leaveKeyFrame(number);
    {
        const QSignalBlocker blockNumber(m_number);
        const QSignalBlocker blockSlider(m_slider);
        m_number->setValue(number);
        m_slider->setValue(number);
    }
    if (number != m_shown) {
        m_reader->request(number);
        m_stopgapTimer.start();
    }
}

void VideoFrames::frameReady(int number, const QImage& picture)
{
    m_stopgapTimer.stop();
    m_shown = number;
    m_view->setFrame(picture);
    showFrameStatus(number);
    if (number != m_current) {
        m_reader->request(m_current);
        m_stopgapTimer.start();
    } else if (m_useWhenShown) {
        useFrame();
    }
}

void VideoFrames::previewReady(int number, int asked, const QImage& picture)
{
    if (asked == m_current)
        showStopgap(number, picture);
}

void VideoFrames::showStopgap(int number, const QImage& picture)
{
    // Nothing exact is on screen until the frame asked for comes.
    m_shown = -1;
    const QString stopgap = QStringLiteral("Frame %1 shown while frame %2 is found ...").arg(number).arg(m_current);
    m_view->setFrame(picture, stopgap);
    m_info->setText(stopgap);
}

void VideoFrames::showFrameStatus(int number)
{
    m_info->setText(QStringLiteral("Frame %1 of %2 \u00B7 %3")
                        .arg(number)
                        .arg(m_index->frameCount())
                        .arg(formatTime(m_index->timeMs(number))));
}

void VideoFrames::frameFailed(int, const QString& why)
{
    m_stopgapTimer.stop();
    m_playTimer.stop();
    m_play->setText(QStringLiteral("P&lay"));
    m_useWhenShown = false;
    m_info->setText(why);
}

bool VideoFrames::step(int key)
{
    if (!m_index)
        return false;
    const auto oneSecond = [this](int direction) {
        return m_index->frameAtMs(m_index->timeMs(m_current) + direction * std::int64_t{1000});
    };
    switch (key) {
    case Qt::Key_Left:
        goToFrame(m_current - 1);
        return true;
    case Qt::Key_Right:
        goToFrame(m_current + 1);
        return true;
    case Qt::Key_PageUp:
        goToFrame(oneSecond(-1));
        return true;
    case Qt::Key_PageDown:
        goToFrame(oneSecond(1));
        return true;
    case Qt::Key_Home:
        goToFrame(0);
        return true;
    case Qt::Key_End:
        goToFrame(m_index->frameCount() - 1);
        return true;
    default:
        return false;
    }
}

void VideoFrames::keyPressEvent(QKeyEvent* event)
{
    if (event->modifiers() == Qt::NoModifier && step(event->key()))
        return;
    AppWindow::keyPressEvent(event);
}

bool VideoFrames::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() == Qt::NoModifier && step(key->key()))
            return true;
    }
    return AppWindow::eventFilter(watched, event);
}

void VideoFrames::togglePlay()
{
    if (m_playTimer.isActive() || !m_index) {
        m_playTimer.stop();
        m_play->setText(QStringLiteral("P&lay"));
        return;
    }
    const double rate = m_index->averageRate();
    m_playTimer.start(rate > 0 ? std::max(1, static_cast<int>(std::lround(1000 / rate))) : 40);
    m_play->setText(QStringLiteral("P&ause"));
}

void VideoFrames::playTick()
{
    // Frames are shown as fast as they come, at most at the video's rate: a slow decode
    // slows playing down instead of piling up requests.
    if (m_reader->busy() || m_shown != m_current)
        return;
    if (m_current + 1 >= m_index->frameCount()) {
        togglePlay();
        return;
    }
    goToFrame(m_current + 1);
}

void VideoFrames::browse()
{
    const QString folder = m_index ? QFileInfo(m_index->file).absolutePath() : QString();
    const QString file = QFileDialog::getOpenFileName(
        this, QStringLiteral("Open Video"), folder,
        QStringLiteral("Videos (*.mp4 *.m4v *.mov *.avi *.mkv *.webm *.mpg *.mpeg);;All files (*)"));
    if (!file.isEmpty()) {
        m_file->setText(file);
        openVideo(file);
    }
}

// ---------------------------------------------------------------- key frames

QString VideoFrames::videoSha256() const
{
    return QString::fromLatin1(m_index->sha256).toLower();
}

QString VideoFrames::framePictureFile(int number)
{
    if (!m_pictures)
        m_pictures = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/talvo-rula-frames-XXXXXX"));
    return m_pictures->filePath(
        QStringLiteral("%1 frame %2.png").arg(QFileInfo(m_index->file).completeBaseName()).arg(number));
}

void VideoFrames::useFrame()
{
    if (!m_index)
        return;
    // Before its frame is on screen, the frame is taken as soon as it is.
    if (m_shown != m_current) {
        m_useWhenShown = true;
        return;
    }
    m_useWhenShown = false;
    // A frame taken before is chosen again rather than kept twice.
    for (std::size_t i = 0; i < m_state.keyFrames.size(); ++i) {
        const KeyFrame& kept = m_state.keyFrames[i];
        if (kept.videoFile == QFileInfo(m_index->file).fileName() && kept.videoSha256 == videoSha256() &&
            kept.frameNumber == m_shown) {
            {
                const QSignalBlocker block(m_keyFrames);
                m_keyFrames->setCurrentRow(static_cast<int>(i));
            }
            keyFrameChosen(static_cast<int>(i));
            m_windows.workplace().measureAngles();
            return;
        }
    }
    const QString file = framePictureFile(m_shown);
    // PNG is lossless: the picture kept is exactly the decoded frame. The fastest compression
    // keeps writing a full-HD frame short.
    if (!m_pictures->isValid() || !m_view->frame().save(file, "PNG", 90)) {
        MessageService::show(QStringLiteral("The frame could not be written to %1.").arg(file),
                             QStringLiteral("Error"));
        return;
    }
    KeyFrame keyFrame;
    keyFrame.pictureFile = file;
    keyFrame.videoFile = QFileInfo(m_index->file).fileName();
    keyFrame.videoSha256 = videoSha256();
    keyFrame.frameNumber = m_shown;
    keyFrame.pts = m_index->pts[static_cast<std::size_t>(m_shown)];
    keyFrame.startPts = m_index->startPts();
    keyFrame.timeBaseNum = m_index->timeBaseNum;
    keyFrame.timeBaseDen = m_index->timeBaseDen;
    keyFrame.timeMs = m_index->timeMs(m_shown);
    keyFrame.rotation = m_index->rotation;
    keyFrame.mirrored = m_index->mirrored;
    // A new key frame starts with the default reason and no note: what the boxes showed was
    // another key frame's.
    m_state.keyFrames.push_back(keyFrame);
    const int row = static_cast<int>(m_state.keyFrames.size()) - 1;
    {
        const QSignalBlocker block(m_keyFrames);
        addKeyFrameItem(row);
        m_keyFrames->setCurrentRow(row);
    }
    showChosenKeyFrame();
    if (makeWorkplacePicture(row))
        m_windows.workplace().measureAngles();
}

bool VideoFrames::makeWorkplacePicture(int row)
{
    if (!showKeyFrameAsWorkplace(m_state, row, m_loader, m_windows.workplace().picture())) {
        MessageService::show(QStringLiteral("The file %1 is not a picture that can be shown.")
                                 .arg(m_state.keyFrames.at(static_cast<std::size_t>(row)).pictureFile),
                             QStringLiteral("Error"));
        return false;
    }
    return true;
}

void VideoFrames::keyFrameChosen(int row)
{
    showChosenKeyFrame();
    if (row < 0 || row >= static_cast<int>(m_state.keyFrames.size()))
        return;
    const KeyFrame& keyFrame = m_state.keyFrames[static_cast<std::size_t>(row)];
    // The viewer shows the frame chosen: stepped to, in the video it was taken from, or its
    // picture when another video (or none) is open.
    if (m_index && keyFrame.videoFile == QFileInfo(m_index->file).fileName() && keyFrame.videoSha256 == videoSha256()) {
        goToFrame(keyFrame.frameNumber);
    } else {
        m_playTimer.stop();
        m_play->setText(QStringLiteral("P&lay"));
        m_view->setFrame(QImage(keyFrame.pictureFile));
        m_info->setText(QStringLiteral("Key frame: frame %1 \u00B7 %2 of %3")
                            .arg(keyFrame.frameNumber)
                            .arg(formatTime(keyFrame.timeMs), keyFrame.videoFile));
    }
    makeWorkplacePicture(row);
}

int VideoFrames::chosenKeyFrame() const
{
    const int row = m_keyFrames->currentRow();
    return row >= 0 && row < static_cast<int>(m_state.keyFrames.size()) ? row : -1;
}

void VideoFrames::showChosenKeyFrame()
{
    const int row = chosenKeyFrame();
    const QSignalBlocker blockReason(m_reason);
    const QSignalBlocker blockNote(m_note);
    if (row < 0) {
        m_reason->setCurrentText(defaultKeyFrameReason());
        m_note->clear();
    } else {
        const KeyFrame& keyFrame = m_state.keyFrames[static_cast<std::size_t>(row)];
        m_reason->setCurrentText(keyFrame.reason);
        m_note->setText(keyFrame.note);
    }
    // Without a key frame chosen there is nothing for them to change.
    m_reason->setEnabled(row >= 0);
    m_note->setEnabled(row >= 0);
}

void VideoFrames::leaveKeyFrame(int number)
{
    const int row = chosenKeyFrame();
    if (row < 0)
        return;
    const KeyFrame& keyFrame = m_state.keyFrames[static_cast<std::size_t>(row)];
    if (m_index && keyFrame.videoFile == QFileInfo(m_index->file).fileName() && keyFrame.videoSha256 == videoSha256() &&
        keyFrame.frameNumber == number)
        return;
    {
        const QSignalBlocker block(m_keyFrames);
        m_keyFrames->setCurrentRow(-1);
    }
    showChosenKeyFrame();
}

void VideoFrames::reasonOrNoteEdited()
{
    const int row = chosenKeyFrame();
    if (row < 0)
        return;
    KeyFrame& keyFrame = m_state.keyFrames[static_cast<std::size_t>(row)];
    keyFrame.reason = m_reason->currentText();
    keyFrame.note = m_note->text();
    m_keyFrames->item(row)->setText(keyFrameText(row));
}

QString VideoFrames::keyFrameText(int row) const
{
    const KeyFrame& keyFrame = m_state.keyFrames.at(static_cast<std::size_t>(row));
    QString text = QStringLiteral("Frame %1 \u00B7 %2 \u00B7 %3")
                       .arg(keyFrame.frameNumber)
                       .arg(formatTime(keyFrame.timeMs))
                       .arg(keyFrame.reason);
    if (!keyFrame.note.isEmpty())
        text += QStringLiteral(" \u2014 ") + keyFrame.note;
    return text;
}

void VideoFrames::addKeyFrameItem(int row)
{
    m_keyFrames->addItem(keyFrameText(row));
    m_keyFrames->item(row)->setToolTip(m_state.keyFrames.at(static_cast<std::size_t>(row)).videoFile);
}

void VideoFrames::refreshKeyFrameList()
{
    const QSignalBlocker block(m_keyFrames);
    const int row = m_keyFrames->currentRow();
    m_keyFrames->clear();
    for (int i = 0; i < static_cast<int>(m_state.keyFrames.size()); ++i)
        addKeyFrameItem(i);
    if (row < m_keyFrames->count())
        m_keyFrames->setCurrentRow(row);
    showChosenKeyFrame();
}

#include "moc_VideoFrames.cpp"
