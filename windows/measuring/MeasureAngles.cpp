// SPDX-License-Identifier: GPL-3.0-or-later
#include "MeasureAngles.h"

#include "AngleCanvas.h"
#include "MeasurementOverlay.h"
#include "ModelText.h"
#include "PictureLibrary.h"
#include "ProgramState.h"
#include "RebaMeasuring.h"
#include "Services.h"
#include "WindowSet.h"
#include "Workplace.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFutureWatcher>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

namespace {

constexpr int SidePanelWidth = 350;
const QSize BandPictureBox(150, 120);
constexpr int NoteLines = 5; // the notes keep this height, so that nothing below them moves

QString text(const std::string& s)
{
    return QString::fromStdString(s);
}

QString sideName(rula::Side side)
{
    return side == rula::Side::Right ? QStringLiteral("right") : QStringLiteral("left");
}

QString stateText(rula::PartState state)
{
    switch (state) {
    case rula::PartState::NotMeasured:
        return QStringLiteral("not measured");
    case rula::PartState::Measured:
        return QStringLiteral("measured");
    case rula::PartState::Applied:
        return QStringLiteral("applied");
    case rula::PartState::ChangedSinceApplied:
        return QStringLiteral("changed since applied");
    }
    return QString();
}

QString partNote(rula::AngleKind kind, bool seated)
{
    switch (kind) {
    case rula::AngleKind::UpperArm:
        return QStringLiteral("Measured from the trunk line (hip to shoulder): forward is flexion, continuing past "
                              "the overhead position; backward is extension.");
    case rula::AngleKind::LowerArm:
        return QStringLiteral("Forearm flexion: 180\u00B0 minus the angle at the elbow.");
    case rula::AngleKind::Wrist:
        return text(rula::zeroRuleNote(kind));
    case rula::AngleKind::Neck:
        return QStringLiteral("Measured from the trunk line (hip to shoulder). ") + text(rula::zeroRuleNote(kind));
    case rula::AngleKind::Trunk:
        return seated ? QStringLiteral("Seated with the trunk well supported: the method scores the trunk 1 whatever "
                                       "its angle.")
                      : text(rula::zeroRuleNote(kind)) +
                            QStringLiteral(" Leaning back is banded by its size, as the same flexion.");
    }
    return QString();
}

QLabel* wrappedLabel(const char* name, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

// What a search for the worker gave, handed from the background to the window.
struct MeasureAngles::Suggested
{
    QString file; // the picture searched
    std::shared_ptr<pose::PoseFinder> finder;
    QString error; // the models could not be loaded
    pose::BodyLandmarks body;
};

MeasureAngles::MeasureAngles(ProgramState& state, WindowSet& windows)
    : AppWindow(state, windows, Frame::Sizable, true, Look::Desktop), m_canvas(new AngleCanvas(this)),
      m_suggesting(new QFutureWatcher<Suggested>(this))
{
    setObjectName(QStringLiteral("MeasureAngles"));
    setWindowTitle(QStringLiteral("Measure Angles"));
    resize(1100, 760);

    // This window is new and resizable, not a designed screen: a layout places its controls.
    m_canvas->setObjectName(QStringLiteral("Picture"));
    m_canvas->setMeasurements(&m_state.angleMeasurements);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(6, 6, 6, 6);
    row->addWidget(m_canvas, 1);
    // On a low screen the side panel scrolls rather than pushing the window off the screen.
    auto* side = new QScrollArea(this);
    side->setWidget(buildSidePanel());
    side->setWidgetResizable(true);
    side->setFrameShape(QFrame::NoFrame);
    side->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    side->setFixedWidth(SidePanelWidth + side->verticalScrollBar()->sizeHint().width());
    row->addWidget(side);

    for (QWidget* control : findChildren<QWidget*>())
        control->setProperty("helpTopic", HelpTopic);

    connect(m_parts, &QListWidget::currentRowChanged, this, &MeasureAngles::choosePart);
    // A click on the part already chosen leaves the vertical reference for it as well.
    connect(m_parts, &QListWidget::itemClicked, this, [this] {
        if (m_drawingReference)
            choosePart();
    });
    connect(m_facesLeft, &QRadioButton::clicked, this, &MeasureAngles::chooseFacing);
    connect(m_facesRight, &QRadioButton::clicked, this, &MeasureAngles::chooseFacing);
    connect(m_seated, &QCheckBox::toggled, this, &MeasureAngles::chooseSeated);
    connect(m_apply, &QPushButton::clicked, this, &MeasureAngles::apply);
    connect(m_applyAll, &QPushButton::clicked, this, &MeasureAngles::applyAll);
    connect(m_canvas, &AngleCanvas::pointsEdited, this, &MeasureAngles::pointsEdited);
    connect(m_suggest, &QPushButton::clicked, this, &MeasureAngles::suggestLandmarks);
    connect(m_suggesting, &QFutureWatcher<Suggested>::finished, this, &MeasureAngles::useSuggestion);
    m_parts->setCurrentRow(0);
}

QWidget* MeasureAngles::buildSidePanel()
{
    auto* panel = new QWidget(this);
    panel->setFixedWidth(SidePanelWidth);
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(6, 0, 0, 0);

    auto* partsCaption = new QLabel(QStringLiteral("&Body part:"), panel);
    m_parts = new QListWidget(panel);
    m_parts->setObjectName(QStringLiteral("BodyPart"));
    // Each entry has three lines: the shading tells one from the next.
    m_parts->setAlternatingRowColors(true);
    for (int i = 0; i < rula::BodyPartCount; ++i)
        m_parts->addItem(QStringLiteral("\n\n"));
    m_parts->setFixedHeight(m_parts->sizeHintForRow(0) * rula::BodyPartCount + 2 * m_parts->frameWidth() + 2);
    partsCaption->setBuddy(m_parts);
    column->addWidget(partsCaption);
    column->addWidget(m_parts);

    m_facesLeft = new QRadioButton(QStringLiteral("Worker faces &left"), panel);
    m_facesLeft->setObjectName(QStringLiteral("FacesLeft"));
    m_facesRight = new QRadioButton(QStringLiteral("Worker faces &right"), panel);
    m_facesRight->setObjectName(QStringLiteral("FacesRight"));
    m_facing = new QButtonGroup(panel);
    m_facing->addButton(m_facesLeft);
    m_facing->addButton(m_facesRight);
    auto* facingRow = new QHBoxLayout;
    facingRow->addWidget(m_facesLeft);
    facingRow->addWidget(m_facesRight);
    column->addLayout(facingRow);

    auto* reference = new QPushButton(QStringLiteral("Draw a &Vertical"), panel);
    reference->setObjectName(QStringLiteral("VerticalReference"));
    auto* noReference = new QPushButton(QStringLiteral("&Picture's Vertical"), panel);
    noReference->setObjectName(QStringLiteral("PictureVertical"));
    auto* referenceRow = new QHBoxLayout;
    referenceRow->addWidget(reference);
    referenceRow->addWidget(noReference);
    column->addLayout(referenceRow);
    connect(reference, &QPushButton::clicked, this, &MeasureAngles::drawVerticalReference);
    connect(noReference, &QPushButton::clicked, this, &MeasureAngles::useThePicturesVertical);

    m_prompt = wrappedLabel("Prompt", panel);
    QFont promptFont = m_prompt->font();
    promptFont.setBold(true);
    m_prompt->setFont(promptFont);
    column->addSpacing(8);
    column->addWidget(m_prompt);

    m_angle = wrappedLabel("Angle", panel);
    QFont angleFont = m_angle->font();
    angleFont.setPixelSize(30);
    angleFont.setBold(true);
    m_angle->setFont(angleFont);
    column->addWidget(m_angle);

    m_bandPicture = new QLabel(panel);
    m_bandPicture->setObjectName(QStringLiteral("BandPicture"));
    m_bandPicture->setFixedSize(BandPictureBox);
    m_bandPicture->setAlignment(Qt::AlignCenter);
    m_bandText = wrappedLabel("BandText", panel);
    m_score = wrappedLabel("Score", panel);
    QFont scoreFont = m_score->font();
    scoreFont.setPixelSize(20);
    scoreFont.setBold(true);
    m_score->setFont(scoreFont);
    auto* bandColumn = new QVBoxLayout;
    bandColumn->addWidget(m_bandText);
    bandColumn->addWidget(m_score);
    bandColumn->addStretch();
    auto* bandRow = new QHBoxLayout;
    bandRow->addWidget(m_bandPicture);
    bandRow->addLayout(bandColumn, 1);
    column->addLayout(bandRow);

    // The notes and the part's note keep a fixed height: a note that appears moves no button.
    m_notes = wrappedLabel("Borderline", panel);
    // A red that reads on the desktop's palette, light or dark.
    const bool darkDesktop = palette().color(QPalette::Window).lightness() < 128;
    m_notes->setStyleSheet(darkDesktop ? QStringLiteral("color: #ff9a9a;") : QStringLiteral("color: #a00000;"));
    m_notes->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_notes->setFixedHeight(m_notes->fontMetrics().lineSpacing() * NoteLines);
    column->addWidget(m_notes);
    m_partNote = wrappedLabel("PartNote", panel);
    m_partNote->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_partNote->setFixedHeight(m_partNote->fontMetrics().lineSpacing() * 4);
    column->addWidget(m_partNote);

    m_apply = new QPushButton(QStringLiteral("&Apply"), panel);
    m_apply->setObjectName(QStringLiteral("Apply"));
    auto* clear = new QPushButton(QStringLiteral("C&lear Points"), panel);
    clear->setObjectName(QStringLiteral("ClearPoints"));
    m_applyAll = new QPushButton(QStringLiteral("Apply &All"), panel);
    m_applyAll->setObjectName(QStringLiteral("ApplyAll"));
    auto* actionRow = new QHBoxLayout;
    actionRow->addWidget(m_apply);
    actionRow->addWidget(m_applyAll);
    actionRow->addWidget(clear);
    column->addLayout(actionRow);
    connect(clear, &QPushButton::clicked, this, &MeasureAngles::clearPoints);

    m_seated = new QCheckBox(QStringLiteral("&Seated, trunk well supported"), panel);
    m_seated->setObjectName(QStringLiteral("Seated"));
    column->addWidget(m_seated);

    m_suggest = new QPushButton(QStringLiteral("S&uggest Landmarks"), panel);
    m_suggest->setObjectName(QStringLiteral("SuggestLandmarks"));
    m_suggest->setToolTip(QStringLiteral("Find the worker on the picture and place both sides' landmarks for you to "
                                         "check; nothing reaches the main window until you apply."));
    auto* suggestRow = new QHBoxLayout;
    suggestRow->addWidget(m_suggest);
    suggestRow->addStretch(1);
    column->addLayout(suggestRow);
    m_suggestStatus = wrappedLabel("SuggestStatus", panel);
    column->addWidget(m_suggestStatus);
    column->addStretch(1);

    auto* projection = wrappedLabel("ProjectionNote", panel);
    projection->setText(QStringLiteral("A photograph shows a projection: a limb turned out of the picture's plane "
                                       "reads smaller than it is. Photograph the body part square from the side."));
    column->addWidget(projection);

    auto* fit = new QPushButton(QStringLiteral("&Fit"), panel);
    fit->setObjectName(QStringLiteral("Fit"));
    auto* close = new QPushButton(QStringLiteral("&Close"), panel);
    close->setObjectName(QStringLiteral("Close"));
    auto* closeRow = new QHBoxLayout;
    closeRow->addWidget(fit);
    closeRow->addWidget(close);
    column->addLayout(closeRow);
    connect(fit, &QPushButton::clicked, m_canvas, &AngleCanvas::fit);
    connect(close, &QPushButton::clicked, this, &QWidget::hide);

    // The controls added later follow the first ones in keyboard order.
    setTabOrder(close, m_applyAll);
    setTabOrder(m_applyAll, m_seated);
    setTabOrder(m_seated, m_suggest);
    return panel;
}

void MeasureAngles::showWindow()
{
    const QString& file = m_state.workplacePictureFile;
    if (file != m_canvas->pictureFile()) {
        keepPictureMeasurements(m_state);
        if (!m_canvas->setPicture(file)) {
            MessageService::show(QStringLiteral("The file %1 is not a picture that can be shown.").arg(file),
                                 QStringLiteral("Error"));
            return;
        }
        rula::PictureMeasurements& sheet = m_state.angleMeasurements;
        // Each picture keeps its own landmarks, facing, vertical and applied bands.
        if (sheet.pictureFile != file.toStdString())
            sheet = measurementsOfPicture(m_state, file);
        // Neither facing is chosen for a picture not measured yet.
        m_facing->setExclusive(false);
        m_facesLeft->setChecked(sheet.facing == rula::Facing::Left);
        m_facesRight->setChecked(sheet.facing == rula::Facing::Right);
        m_facing->setExclusive(true);
        const QSignalBlocker quiet(m_seated);
        m_seated->setChecked(sheet.seatedSupported);
        m_suggestStatus->clear();
        choosePart();
    }
    showMaximized();
    raise();
    activateWindow();
}

rula::BodyPart MeasureAngles::currentPart() const
{
    return static_cast<rula::BodyPart>(std::max(0, m_parts->currentRow()));
}

rula::Reading MeasureAngles::currentReading() const
{
    return rula::readPart(m_state.angleMeasurements, currentPart(), m_side);
}

void MeasureAngles::choosePart()
{
    m_drawingReference = false;
    m_referenceRefusal.clear();
    if (const auto side = rula::bodyPartInfo(currentPart()).side)
        m_side = *side;
    else
        m_side = *currentReading().side;
    markOnCanvas();
    showMeasurement();
}

void MeasureAngles::markOnCanvas()
{
    MeasurementOverlay::Marking marking;
    std::vector<std::optional<rula::Point>> places;
    if (m_drawingReference) {
        marking.reference = true;
        if (const auto& reference = m_state.angleMeasurements.verticalReference)
            places = {(*reference)[0], (*reference)[1]};
        else
            places.resize(2);
    } else {
        marking.side = m_side;
        const rula::Skeleton& skeleton = m_state.angleMeasurements.side(m_side);
        places.assign(skeleton.landmarks.begin(), skeleton.landmarks.end());
    }
    m_canvas->setMarking(places, -1, marking);
    m_canvas->setNext(nextPlace());
}

int MeasureAngles::nextPlace() const
{
    const auto& places = m_canvas->places();
    if (m_drawingReference) {
        for (std::size_t i = 0; i < places.size(); ++i) {
            if (!places[i])
                return static_cast<int>(i);
        }
        return -1;
    }
    if (m_state.angleMeasurements.facing == rula::Facing::Unset)
        return -1;
    const rula::Reading reading = currentReading();
    if (!reading.missing.empty())
        return static_cast<int>(reading.missing.front());
    const rula::Skeleton& skeleton = m_state.angleMeasurements.side(m_side);
    for (int i = 0; i < rula::LandmarkCount; ++i) {
        if (!skeleton.landmarks[static_cast<std::size_t>(i)])
            return i;
    }
    return -1;
}

void MeasureAngles::chooseFacing()
{
    m_state.angleMeasurements.facing = m_facesRight->isChecked() ? rula::Facing::Right : rula::Facing::Left;
    m_canvas->setNext(nextPlace());
    m_canvas->update();
    showMeasurement();
}

void MeasureAngles::chooseSeated()
{
    m_state.angleMeasurements.seatedSupported = m_seated->isChecked();
    m_canvas->update();
    showMeasurement();
}

void MeasureAngles::drawVerticalReference()
{
    m_drawingReference = true;
    m_referenceRefusal.clear();
    markOnCanvas();
    showMeasurement();
}

void MeasureAngles::useThePicturesVertical()
{
    m_state.angleMeasurements.verticalReference.reset();
    m_referenceRefusal.clear();
    markOnCanvas();
    showMeasurement();
}

void MeasureAngles::clearPoints()
{
    if (m_drawingReference) {
        useThePicturesVertical();
        return;
    }
    const rula::Reading reading = currentReading();
    for (rula::Landmark l : rula::bodyPartInfo(currentPart()).landmarks)
        m_state.angleMeasurements.side(*reading.side)[l].reset();
    markOnCanvas();
    showMeasurement();
}

void MeasureAngles::pointsEdited()
{
    const auto& places = m_canvas->places();
    rula::PictureMeasurements& sheet = m_state.angleMeasurements;
    if (m_drawingReference) {
        if (places.size() == 2 && places[0] && places[1]) {
            m_referenceRefusal = text(rula::verticalReferenceRefusal(*places[0], *places[1]));
            if (m_referenceRefusal.isEmpty())
                sheet.verticalReference = std::array<rula::Point, 2>{*places[0], *places[1]};
        }
    } else {
        rula::Skeleton& skeleton = sheet.side(m_side);
        std::copy(places.begin(), places.end(), skeleton.landmarks.begin());
    }
    m_canvas->setNext(nextPlace());
    m_canvas->update();
    showMeasurement();
}

void MeasureAngles::applyPart(rula::BodyPart part)
{
    const rula::Reading reading = rula::readPart(m_state.angleMeasurements, part);
    if (!reading.angle)
        return;
    m_windows.workplace().selectOption(reading.optionIndex);
    m_state.angleMeasurements.applied(part) = reading.optionIndex;
    // The same measurement chooses REBA's band of that body part.
    const int rebaBand = rula::reba::rebaBandOfAngle(rula::bodyPartInfo(part).group, *reading.angle);
    if (rebaBand >= 0)
        m_windows.rebaMeasuring().applyMeasured(rebaBand);
}

void MeasureAngles::apply()
{
    applyPart(currentPart());
    m_canvas->update();
    showMeasurement();
}

void MeasureAngles::applyAll()
{
    for (const rula::BodyPartInfo& info : rula::bodyParts()) {
        const rula::Reading reading = rula::readPart(m_state.angleMeasurements, info.part);
        if (reading.angle && reading.state != rula::PartState::Applied)
            applyPart(info.part);
    }
    m_canvas->update();
    showMeasurement();
}

void MeasureAngles::suggestLandmarks()
{
    if (m_suggesting->isRunning() || m_canvas->pictureFile().isEmpty())
        return;
    const QImage copy = m_canvas->copyForSearch(pose::WorkingSide);
    if (copy.isNull())
        return;
    const double factor = double(m_canvas->pictureSize().width()) / copy.width();
    m_suggest->setEnabled(false);
    m_suggestStatus->setText(QStringLiteral("Looking for the worker\u2026"));
    m_suggesting->setFuture(QtConcurrent::run(
        [file = m_canvas->pictureFile(), finder = m_finder, copy, factor, folder = pose::modelFolder()]() mutable {
            Suggested result;
            result.file = file;
            if (!finder)
                finder = std::make_shared<pose::PoseFinder>(folder);
            if (!finder->isReady()) {
                result.error = finder->error();
                return result;
            }
            result.finder = finder;
            // The canvas's copy is used as it is (between one and two working sizes): the models
            // reduce it further themselves.
            result.body = finder->find(copy).scaled(factor);
            return result;
        }));
}

void MeasureAngles::useSuggestion()
{
    m_suggest->setEnabled(true);
    const Suggested result = m_suggesting->result();
    if (result.finder)
        m_finder = result.finder;
    // Another picture was opened meanwhile: what was found belongs to none shown.
    if (result.file != m_canvas->pictureFile()) {
        m_suggestStatus->clear();
        return;
    }
    if (!result.error.isEmpty()) {
        m_suggestStatus->setText(result.error);
        return;
    }
    const pose::BodyLandmarks& body = result.body;
    if (!body.found) {
        m_suggestStatus->setText(QStringLiteral("No person was found in this picture; click the landmarks yourself."));
        return;
    }
    rula::PictureMeasurements& sheet = m_state.angleMeasurements;
    for (const rula::Side side : {rula::Side::Right, rula::Side::Left}) {
        rula::Skeleton& skeleton = sheet.side(side);
        for (int i = 0; i < rula::LandmarkCount; ++i) {
            const pose::LandmarkGuess& guess =
                body.at(side == rula::Side::Right ? pose::Side::Right : pose::Side::Left, pose::Landmark(i));
            const rula::Point at{guess.at.x(), guess.at.y()};
            skeleton.landmarks[std::size_t(i)] = at;
            skeleton.suggested[std::size_t(i)] = rula::Suggestion{at, guess.confidence};
        }
    }
    QStringList lines;
    if (sheet.facing == rula::Facing::Unset && body.facing != pose::Facing::Unknown) {
        sheet.facing = body.facing == pose::Facing::Left ? rula::Facing::Left : rula::Facing::Right;
        m_facesLeft->setChecked(sheet.facing == rula::Facing::Left);
        m_facesRight->setChecked(sheet.facing == rula::Facing::Right);
    }
    lines << QStringLiteral("Found confidently: %1 of 6 points on the right side, %2 of 6 on the left.")
                 .arg(body.confidentCount(pose::Side::Right))
                 .arg(body.confidentCount(pose::Side::Left));
    if (body.confidentCount(pose::Side::Right) + body.confidentCount(pose::Side::Left) < 2 * rula::LandmarkCount)
        lines << QStringLiteral("Check the points marked \"check\".");
    if (body.people > 1)
        lines << QStringLiteral("%1 people are in the picture: the points are the largest one's.").arg(body.people);
    if (sheet.facing == rula::Facing::Unset)
        lines << QStringLiteral("Which way the worker faces could not be told: choose it.");
    m_suggestStatus->setText(lines.join(QLatin1Char(' ')));
    markOnCanvas();
    showMeasurement();
}

void MeasureAngles::showMeasurement()
{
    const rula::BodyPartInfo& info = rula::bodyPartInfo(currentPart());
    const rula::Reading reading = currentReading();
    const rula::PictureMeasurements& sheet = m_state.angleMeasurements;

    const int next = nextPlace();
    QStringList notes;
    if (m_drawingReference) {
        m_prompt->setText(next >= 0 ? QStringLiteral("Click %1 end of a line that is vertical in the workplace "
                                                     "(a door frame, a wall edge).")
                                          .arg(next == 0 ? QStringLiteral("one") : QStringLiteral("the other"))
                                    : QStringLiteral("Drag an end to adjust the vertical; choose a body part to "
                                                     "measure against it."));
        if (!m_referenceRefusal.isEmpty())
            notes << m_referenceRefusal;
    } else if (sheet.facing == rula::Facing::Unset) {
        m_prompt->setText(QStringLiteral("Choose which way the worker faces (Worker faces left or right), then click "
                                         "the points."));
    } else if (next >= 0) {
        const QString name = modelText(rula::landmarkName(static_cast<rula::Landmark>(next)));
        m_prompt->setText(reading.missing.empty()
                              ? QStringLiteral("Click the %1 of the %2 side next, or drag a point to adjust it.")
                                    .arg(name, sideName(m_side))
                              : QStringLiteral("Click the %1 (%2 side)").arg(name, sideName(m_side)));
    } else {
        m_prompt->setText(QStringLiteral("Drag a point to adjust it; every angle that uses it follows."));
    }

    m_apply->setEnabled(reading.angle && reading.state != rula::PartState::Applied);
    bool anyToApply = false;
    for (const rula::BodyPartInfo& part : rula::bodyParts()) {
        const rula::Reading r = rula::readPart(sheet, part.part);
        anyToApply = anyToApply || (r.angle && r.state != rula::PartState::Applied);
    }
    m_applyAll->setEnabled(anyToApply);
    m_partNote->setText(partNote(info.kind, sheet.seatedSupported));

    if (!reading.problem.empty())
        notes << text(reading.problem);
    if (!reading.angle) {
        m_angle->setText(QStringLiteral("\u2013"));
        m_bandPicture->clear();
        m_bandPictureOption = -1;
        m_bandText->clear();
        m_score->clear();
    } else {
        const rula::OptionInfo& band = rula::options()[static_cast<std::size_t>(reading.optionIndex)];
        m_angle->setText(MeasurementOverlay::angleText(info.kind, *reading.angle));
        // A drag calls this at every move; the picture is only set again when the band changes.
        if (m_bandPictureOption != reading.optionIndex) {
            const QString art = modelText(band.art);
            m_bandPicture->setPixmap(PictureLibrary::picture(
                art, PictureLibrary::designSize(art).scaled(BandPictureBox, Qt::KeepAspectRatio), band.mirrored,
                devicePixelRatioF()));
            m_bandPictureOption = reading.optionIndex;
        }
        m_bandText->setText(modelText(band.meaning));
        m_score->setText(QStringLiteral("Score %1, %2").arg(band.value).arg(stateText(reading.state)));
        if (!reading.facingNote.empty())
            notes << text(reading.facingNote);
        if (reading.borderline)
            notes << text(rula::borderlineNote(*reading.borderline));
    }
    m_notes->setText(notes.join(QLatin1Char('\n')));
    showPartList();
}

void MeasureAngles::showPartList()
{
    for (const rula::BodyPartInfo& info : rula::bodyParts()) {
        const rula::Reading reading = rula::readPart(m_state.angleMeasurements, info.part, m_side);
        QString detail = QStringLiteral("\u2013");
        QString band;
        if (reading.angle) {
            const rula::OptionInfo& option = rula::options()[static_cast<std::size_t>(reading.optionIndex)];
            detail = QStringLiteral("%1, score %2")
                         .arg(MeasurementOverlay::angleText(info.kind, *reading.angle))
                         .arg(option.value);
            band = modelText(option.meaning);
        }
        // A landmark of the part still where it was suggested, with a low confidence.
        bool check = false;
        const rula::Skeleton& skeleton =
            m_state.angleMeasurements.side(reading.side.value_or(info.side.value_or(rula::Side::Right)));
        for (const rula::Landmark l : info.landmarks) {
            check = check || (skeleton.asSuggested(l) &&
                              skeleton.suggested[static_cast<std::size_t>(l)]->confidence < pose::ConfidentFrom);
        }
        m_parts->item(static_cast<int>(info.part))
            ->setText(QStringLiteral("%1 \u2013 %2%3\n%4\n%5")
                          .arg(modelText(info.name), stateText(reading.state),
                               check ? QStringLiteral(", check") : QString(), detail, band));
    }
}

#include "moc_MeasureAngles.cpp"
