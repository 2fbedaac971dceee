// SPDX-License-Identifier: GPL-3.0-or-later
#include "MeasureAngles.h"

#include "AngleCanvas.h"
#include "MainWindow.h"
#include "MeasurementOverlay.h"
#include "ModelText.h"
#include "PictureLibrary.h"
#include "ProgramState.h"
#include "Services.h"
#include "WindowSet.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

constexpr int SidePanelWidth = 350;
const QSize BandPictureBox(150, 120);

QString partNote(rula::AngleKind kind, bool trunkMeasured)
{
    switch (kind) {
    case rula::AngleKind::UpperArm:
        return QStringLiteral("Measured from the trunk line (hip to shoulder): forward is flexion, backward "
                              "extension.");
    case rula::AngleKind::LowerArm:
        return QStringLiteral("Forearm flexion: 180\u00B0 minus the angle at the elbow.");
    case rula::AngleKind::Wrist:
        return QStringLiteral("The wrist counts as straight (0\u00B0, score 1) only within \u00B12\u00B0 of the "
                              "forearm line; any more is bent.");
    case rula::AngleKind::Neck:
        return (trunkMeasured ? QStringLiteral("Measured from the trunk line of the trunk measurement. ")
                              : QStringLiteral("Measured from the vertical; measure the trunk first to measure "
                                               "from the trunk line. ")) +
               QStringLiteral("Any extension scores 4.");
    case rula::AngleKind::Trunk:
        return QStringLiteral("The trunk counts as upright (0\u00B0, score 1) only within \u00B12\u00B0 of the "
                              "vertical. Leaning back is banded by its size, as the same flexion.");
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

MeasureAngles::MeasureAngles(ProgramState& state, WindowSet& windows)
    : AppWindow(state, windows, Frame::Sizable, true, Look::Desktop), m_canvas(new AngleCanvas(this))
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
    connect(m_facesRight, &QRadioButton::toggled, this, &MeasureAngles::chooseFacing);
    connect(m_apply, &QPushButton::clicked, this, &MeasureAngles::apply);
    connect(m_canvas, &AngleCanvas::activePointsEdited, this, &MeasureAngles::pointsEdited);
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
    for (const rula::BodyPartInfo& part : rula::bodyParts())
        m_parts->addItem(modelText(part.name));
    m_parts->setFixedHeight(m_parts->sizeHintForRow(0) * rula::BodyPartCount + 2 * m_parts->frameWidth() + 2);
    partsCaption->setBuddy(m_parts);
    column->addWidget(partsCaption);
    column->addWidget(m_parts);

    m_facesLeft = new QRadioButton(QStringLiteral("Worker faces &left"), panel);
    m_facesLeft->setObjectName(QStringLiteral("FacesLeft"));
    m_facesRight = new QRadioButton(QStringLiteral("Worker faces &right"), panel);
    m_facesRight->setObjectName(QStringLiteral("FacesRight"));
    m_facesRight->setChecked(true);
    auto* facing = new QButtonGroup(panel);
    facing->addButton(m_facesLeft);
    facing->addButton(m_facesRight);
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

    m_borderline = wrappedLabel("Borderline", panel);
    m_borderline->setStyleSheet(QStringLiteral("color: #a00000;"));
    column->addWidget(m_borderline);
    m_partNote = wrappedLabel("PartNote", panel);
    column->addWidget(m_partNote);

    m_apply = new QPushButton(QStringLiteral("&Apply"), panel);
    m_apply->setObjectName(QStringLiteral("Apply"));
    auto* clear = new QPushButton(QStringLiteral("C&lear Points"), panel);
    clear->setObjectName(QStringLiteral("ClearPoints"));
    auto* actionRow = new QHBoxLayout;
    actionRow->addWidget(m_apply);
    actionRow->addWidget(clear);
    column->addLayout(actionRow);
    connect(clear, &QPushButton::clicked, this, &MeasureAngles::clearPoints);

    m_summary = wrappedLabel("Measurements", panel);
    column->addSpacing(8);
    column->addWidget(m_summary);
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
    return panel;
}

void MeasureAngles::showWindow()
{
    const QString& file = m_state.workplacePictureFile;
    if (file != m_canvas->pictureFile()) {
        if (!m_canvas->setPicture(file)) {
            MessageService::show(QStringLiteral("The file %1 is not a picture that can be shown.").arg(file),
                                 QStringLiteral("Error"));
            return;
        }
        m_state.angleMeasurements.setPicture(file.toStdString());
        m_facesRight->setChecked(m_state.angleMeasurements.frame().facing == rula::Facing::Right);
        m_facesLeft->setChecked(m_state.angleMeasurements.frame().facing == rula::Facing::Left);
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

void MeasureAngles::choosePart()
{
    m_drawingReference = false;
    const rula::BodyPart part = currentPart();
    const rula::Measurement* measured = m_state.angleMeasurements.find(part);
    m_canvas->setActivePoints(measured ? measured->points : std::vector<rula::Point>{},
                              static_cast<int>(rula::bodyPartInfo(part).landmarks.size()), false, part);
    showMeasurement();
}

void MeasureAngles::chooseFacing()
{
    m_state.angleMeasurements.setFacing(m_facesRight->isChecked() ? rula::Facing::Right : rula::Facing::Left);
    m_canvas->update();
    showMeasurement();
}

void MeasureAngles::drawVerticalReference()
{
    m_drawingReference = true;
    std::vector<rula::Point> ends;
    if (const auto& reference = m_state.angleMeasurements.frame().verticalReference)
        ends = {(*reference)[0], (*reference)[1]};
    m_canvas->setActivePoints(ends, 2, true);
    showMeasurement();
}

void MeasureAngles::useThePicturesVertical()
{
    m_state.angleMeasurements.clearVerticalReference();
    if (m_drawingReference)
        m_canvas->setActivePoints({}, 2, true);
    m_canvas->update();
    showMeasurement();
}

void MeasureAngles::clearPoints()
{
    if (m_drawingReference) {
        useThePicturesVertical();
        return;
    }
    m_state.angleMeasurements.remove(currentPart());
    choosePart();
}

void MeasureAngles::pointsEdited()
{
    const std::vector<rula::Point>& points = m_canvas->activePoints();
    if (m_drawingReference) {
        if (points.size() == 2)
            m_state.angleMeasurements.setVerticalReference(points[0], points[1]);
    } else {
        m_state.angleMeasurements.setPoints(currentPart(), points);
    }
    showMeasurement();
}

void MeasureAngles::apply()
{
    const rula::BodyPart part = currentPart();
    const rula::Measurement* measured = m_state.angleMeasurements.find(part);
    if (!measured || !measured->isComplete())
        return;
    m_windows.window<MainWindow>().selectOption(measured->optionIndex);
    m_state.angleMeasurements.markApplied(part);
    showMeasurement();
}

void MeasureAngles::showMeasurement()
{
    const rula::BodyPart part = currentPart();
    const rula::BodyPartInfo& info = rula::bodyPartInfo(part);
    const rula::Measurement* measured = m_state.angleMeasurements.find(part);
    const std::size_t placed = m_canvas->activePoints().size();

    if (m_drawingReference) {
        m_prompt->setText(placed < 2 ? QStringLiteral("Click %1 end of a line that is vertical in the workplace "
                                                      "(a door frame, a wall edge).")
                                           .arg(placed == 0 ? QStringLiteral("one") : QStringLiteral("the other"))
                                     : QStringLiteral("Drag an end to adjust the vertical; choose a body part to "
                                                      "measure against it."));
    } else if (placed < info.landmarks.size()) {
        m_prompt->setText(QStringLiteral("Click the %1").arg(modelText(info.landmarks[placed])));
    } else {
        m_prompt->setText(QStringLiteral("Drag a point to adjust it."));
    }

    const bool complete = measured && measured->isComplete();
    m_apply->setEnabled(complete);
    m_partNote->setText(partNote(info.kind, [this] {
        const rula::Measurement* trunk = m_state.angleMeasurements.find(rula::BodyPart::Trunk);
        return trunk && trunk->isComplete();
    }()));
    if (!complete) {
        m_angle->setText(QStringLiteral("\u2013"));
        m_bandPicture->clear();
        m_bandPictureOption = -1;
        m_bandText->clear();
        m_score->clear();
        m_borderline->clear();
    } else {
        const rula::OptionInfo& band = rula::options()[static_cast<std::size_t>(measured->optionIndex)];
        m_angle->setText(MeasurementOverlay::angleText(info.kind, measured->angle));
        // A drag calls this at every move; the picture is only set again when the band changes.
        if (m_bandPictureOption != measured->optionIndex) {
            const QString art = modelText(band.art);
            m_bandPicture->setPixmap(PictureLibrary::picture(
                art, PictureLibrary::designSize(art).scaled(BandPictureBox, Qt::KeepAspectRatio), band.mirrored,
                devicePixelRatioF()));
            m_bandPictureOption = measured->optionIndex;
        }
        m_bandText->setText(modelText(band.meaning));
        m_score->setText(measured->applied ? QStringLiteral("Score %1, applied").arg(band.value)
                                           : QStringLiteral("Score %1").arg(band.value));
        const auto near = rula::nearLimit(info.kind, info.group, measured->angle);
        m_borderline->setText(near ? QString::fromStdString(rula::borderlineNote(*near)) : QString());
    }
    showSummary();
}

void MeasureAngles::showSummary()
{
    QStringList lines;
    for (const rula::Measurement& m : m_state.angleMeasurements.measurements()) {
        if (!m.isComplete())
            continue;
        const rula::BodyPartInfo& info = rula::bodyPartInfo(m.part);
        const int score = rula::options()[static_cast<std::size_t>(m.optionIndex)].value;
        lines << QStringLiteral("%1: %2, score %3%4")
                     .arg(modelText(info.name), MeasurementOverlay::angleText(info.kind, m.angle))
                     .arg(score)
                     .arg(m.applied ? QStringLiteral(", applied") : QString());
    }
    m_summary->setText(lines.isEmpty() ? QString() : QStringLiteral("Measured:\n") + lines.join(QLatin1Char('\n')));
}
