// SPDX-License-Identifier: GPL-3.0-or-later
#include "MainWindow.h"

#include "AssessmentDetails.h"
#include "AssessmentState.h"
#include "CaptionButton.h"
#include "ExtraPics.h"
#include "MainLayout.h"
#include "MeasureAngles.h"
#include "ModelText.h"
#include "OpenExtraPics.h"
#include "OpenPictureFile.h"
#include "OptionPanel.h"
#include "PaintFitted.h"
#include "PictureBox.h"
#include "PictureControl.h"
#include "ProgramLauncher.h"
#include "ProgramState.h"
#include "RULAOverview.h"
#include "RebaWindow.h"
#include "Results.h"
#include "ScoreTables.h"
#include "Services.h"
#include "TabbedPanel.h"
#include "TeamDatabaseSettings.h"
#include "TeamPublishing.h"
#include "VideoFrames.h"
#include "WindowSet.h"

#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>

MainWindow::MainWindow(ProgramState& state, WindowSet& windows) : AppWindow(state, windows, Frame::FixedMaximised, true)
{
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(QStringLiteral("RULA"));
    setClientArea(mainlayout::ClientWidth, mainlayout::ClientHeight, Units::Pixels);

    for (const ControlRow& row : mainlayout::leftColumn()) {
        if (QByteArray(row.name).startsWith("Command"))
            placeControl(new CaptionButton(QString::fromUtf8(row.text), this), row, Units::Pixels);
    }

    placeControl(
        new QPushButton(QString::fromUtf8(layoutRow(mainlayout::leftColumn(), "VideoFramesButton").text), this),
        layoutRow(mainlayout::leftColumn(), "VideoFramesButton"), Units::Pixels);

    // ---- Workplace picture box `Picture1` --------------------------------------------------
    // Hidden until a picture is loaded (OpenPictureFile paints into it).
    auto* picture1 = new PictureBox(this);
    placeControl(picture1, layoutRow(mainlayout::leftColumn(), "Picture1"), Units::Pixels);
    picture1->setFocusPolicy(Qt::TabFocus);
    picture1->hide();
    picture1->installEventFilter(this);
    picture1->setToolTip(QStringLiteral("Double-click to measure angles (Ctrl+M)"));
    picture1->setAccessibleName(QStringLiteral("Workplace picture"));
    picture1->setAccessibleDescription(
        QStringLiteral("The picture of the workplace loaded by Load Picture. Ctrl+M measures angles on it."));
    // ------------------------------------------------------------------------------------------

    auto* details = new QPushButton(QStringLiteral("&Details..."), this);
    placeControl(details, layoutRow(mainlayout::leftColumn(), "DetailsButton"), Units::Pixels);
    // ---- The team database: its settings button and the status line under the picture ------
    placeControl(new CaptionButton(QStringLiteral("&Team..."), this),
                 layoutRow(mainlayout::leftColumn(), "TeamDatabaseButton"), Units::Pixels);
    placeControl(new CaptionButton(QStringLiteral("RE&BA..."), this), layoutRow(mainlayout::leftColumn(), "RebaButton"),
                 Units::Pixels);
    auto* teamStatus = new QLabel(this);
    placeControl(teamStatus, layoutRow(mainlayout::leftColumn(), "TeamStatus"), Units::Pixels);
    teamStatus->setTextFormat(Qt::PlainText);
    // The team database's status is the line under the picture.
    connect(&windows.publishing(), &TeamPublishing::statusChanged, teamStatus, [teamStatus](const QString& status) {
        teamStatus->setText(teamStatus->fontMetrics().elidedText(status, Qt::ElideRight, teamStatus->width()));
        teamStatus->setToolTip(status);
    });
    connect(control<QPushButton>(this, "TeamDatabaseButton"), &QPushButton::clicked, this,
            &MainWindow::showTeamDatabaseSettings);
    // ------------------------------------------------------------------------------------------

    m_tabs = new TabbedPanel(this, mainlayout::tabCaptions(), mainlayout::TabsPerRow);
    placeControl(m_tabs, layoutRow(mainlayout::leftColumn(), "SSTab1"), Units::Pixels);
    buildTabs();
    applyTabOrder(this);
    showAssessment();
    showWorkplacePicture();

    connect(control<QPushButton>(this, "Command3"), &QPushButton::clicked, this, &MainWindow::loadPicture);
    connect(control<QPushButton>(this, "Command5"), &QPushButton::clicked, this, &MainWindow::playVideo);
    connect(control<QPushButton>(this, "Command1"), &QPushButton::clicked, this, &MainWindow::loadExtraPictures);
    connect(control<QPushButton>(this, "Command2"), &QPushButton::clicked, this, &MainWindow::viewResults);
    connect(control<QPushButton>(this, "Command4"), &QPushButton::clicked, this, &MainWindow::viewExtraPictures);
    connect(control<QPushButton>(this, "Command8"), &QPushButton::clicked, this, &MainWindow::exitProgram);
    connect(control<QPushButton>(this, "Command6"), &QPushButton::clicked, this, &MainWindow::showOverview);
    connect(control<QPushButton>(this, "RebaButton"), &QPushButton::clicked, this,
            [this] { m_windows.window<RebaWindow>().showWindow(); });
    connect(details, &QPushButton::clicked, this, [this] { m_windows.window<AssessmentDetails>().showWindow(); });
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_M), this), &QShortcut::activated, this,
            &MainWindow::measureAngles);
    connect(control<QPushButton>(this, "VideoFramesButton"), &QPushButton::clicked, this, &MainWindow::showVideoFrames);
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V), this), &QShortcut::activated, this,
            &MainWindow::showVideoFrames);
}

void MainWindow::buildTabs()
{
    // Labels first: the option panels stand above them where they touch.
    for (int tab = 1; tab <= mainlayout::TabCount; ++tab)
        buildControls(m_tabs->page(tab - 1), mainlayout::tabControls(tab), Units::Pixels);

    const auto& options = rula::options();
    std::array<QList<QWidget*>, mainlayout::TabCount> keyboardOptions;
    for (int i = 0; i < rula::OptionCount; ++i) {
        const rula::OptionInfo& option = options[static_cast<std::size_t>(i)];
        const mainlayout::PanelPlace* place = mainlayout::panelPlace(option.panel);
        if (!place) {
            qFatal("The main window's layout has no place for panel %s",
                   modelText(option.panel).toLatin1().constData());
        }
        const int tab = rula::groupInfo(option.group).tab;
        auto* panel = new OptionPanel(m_tabs->page(tab - 1), modelText(option.picture), modelText(option.art),
                                      option.mirrored, QRect(place->px, place->py, place->pw, place->ph));
        panel->setObjectName(modelText(option.panel));
        panel->setGeometry(place->x, place->y, place->w, place->h);
        panel->setSelected(m_state.assessment.isSelected(i));
        panel->picture()->setProperty("helpTopic", mainlayout::tabHelpTopic(tab));
        connect(panel->picture(), &PictureControl::clicked, this, [this, i] { selectOption(i); });
        m_panels[static_cast<std::size_t>(i)] = panel;
        keyboardOptions[tab - 1] << panel->picture();
    }
    for (int tab = 0; tab < mainlayout::TabCount; ++tab)
        m_tabs->setKeyboardOptions(tab, keyboardOptions[tab]);

    for (const rula::GroupInfo& group : rula::groups()) {
        const QByteArray name = modelText(group.scoreLabel).toLatin1();
        m_scoreBoxes[static_cast<std::size_t>(group.group)] = control<QLabel>(this, name.constData());
        describeGroup(group.group);
    }

    // The score boxes are empty until the first click; drawing their digits once now loads
    // their font, so that the first click costs no more than any other.
    QImage scratch(8, 8, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&scratch);
    painter.setFont(m_scoreBoxes[0]->font());
    painter.drawText(0, 8, QStringLiteral("-0123456789"));
}

void MainWindow::showAssessment()
{
    for (const rula::GroupInfo& group : rula::groups()) {
        for (int i = group.firstOption; i < group.firstOption + group.optionCount; ++i) {
            if (m_state.assessment.isSelected(i)) {
                showGroup(group.group);
                break;
            }
        }
    }
}

void MainWindow::showWorkplacePicture()
{
    if (m_state.workplacePictureFile.isEmpty())
        return;
    PictureLoader loader;
    if (loader.load(m_state.workplacePictureFile) && PaintFittedSoon(loader, picture()))
        picture().show();
}

PictureBox& MainWindow::picture()
{
    return *control<PictureBox>(this, "Picture1");
}

void MainWindow::selectOption(int optionIndex)
{
    m_state.assessment.SelectOption(optionIndex);
    showGroup(rula::options()[static_cast<std::size_t>(optionIndex)].group);
}

void MainWindow::showGroup(rula::Group group)
{
    const rula::GroupInfo& info = rula::groupInfo(group);
    for (int i = info.firstOption; i < info.firstOption + info.optionCount; ++i)
        m_panels[static_cast<std::size_t>(i)]->setSelected(m_state.assessment.isSelected(i));
    m_scoreBoxes[static_cast<std::size_t>(group)]->setText(
        QString::fromStdString(rula::scoreText(m_state.assessment.score(group))));
    describeGroup(group);
}

void MainWindow::describeGroup(rula::Group group)
{
    // What a screen reader says: the option as the picture shows it, its score and whether
    // it is chosen; the score box with its group's name.
    const rula::GroupInfo& info = rula::groupInfo(group);
    const QString groupName = modelText(info.key);
    for (int i = info.firstOption; i < info.firstOption + info.optionCount; ++i) {
        const rula::OptionInfo& option = rula::options()[static_cast<std::size_t>(i)];
        const QString score = option.kind == rula::OptionKind::Base
                                  ? QString::number(option.value)
                                  : (option.value > 0 ? QStringLiteral("+%1") : QStringLiteral("%1")).arg(option.value);
        PictureControl* picture = m_panels[static_cast<std::size_t>(i)]->picture();
        picture->setAccessibleName(
            QStringLiteral("%1: %2, score %3, %4")
                .arg(groupName, modelText(option.meaning), score,
                     m_state.assessment.isSelected(i) ? QStringLiteral("selected") : QStringLiteral("not selected")));
        picture->setAccessibleDescription(
            QStringLiteral("Option %1 of %2 for %3. Space or Enter chooses it; the arrow keys move to the others.")
                .arg(option.number)
                .arg(info.optionCount)
                .arg(groupName));
    }
    QLabel* box = m_scoreBoxes[static_cast<std::size_t>(group)];
    const QString bodyPart = modelText(info.words);
    box->setAccessibleName(box->text().isEmpty() ? QStringLiteral("%1: no score yet").arg(bodyPart)
                                                 : QStringLiteral("%1: score %2").arg(bodyPart, box->text()));
    box->setAccessibleDescription(QStringLiteral("The score of %1 from the options chosen so far.").arg(groupName));
}

void MainWindow::loadPicture()
{
    m_windows.window<OpenPictureFile>().showWindow();
}

void MainWindow::playVideo()
{
    ProgramLauncher::startMediaPlayer([](const QString& text) { MessageService::show(text); });
}

void MainWindow::loadExtraPictures()
{
    m_windows.window<OpenExtraPics>().showWindow();
}

void MainWindow::viewResults()
{
    const std::vector<std::string> missing = rula::CheckCompleteness(m_state.assessment);
    if (!missing.empty()) {
        for (const std::string& message : missing)
            MessageService::show(QString::fromStdString(message));
        return;
    }
    // A lookup that matches no cell keeps the score of the last results.
    rula::ResultScores results = m_state.record.results;
    rula::ComputeScores(m_state.assessment, results);
    PublishResults(m_state, m_windows, results);
}

void MainWindow::viewExtraPictures()
{
    if (m_state.ExtraPictureCount == 0) {
        MessageService::show(QStringLiteral("You have not loaded any extra pictures yet. Please load extra "
                                            "pictures before viewing them"),
                             QStringLiteral("Error"));
        return;
    }
    m_windows.window<ExtraPics>().showWindow();
}

void MainWindow::exitProgram()
{
    ProgramEnd::end();
}

void MainWindow::showOverview()
{
    m_windows.window<RULAOverview>().showWindow();
}

void MainWindow::measureAngles()
{
    if (!control<PictureBox>(this, "Picture1")->hasPicture()) {
        MessageService::show(QStringLiteral("Please load the workplace picture before measuring angles on it."),
                             QStringLiteral("Error"));
        return;
    }
    m_windows.window<MeasureAngles>().showWindow();
}

void MainWindow::showVideoFrames()
{
    m_windows.window<VideoFrames>().showWindow();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick && watched->objectName() == QLatin1String("Picture1") &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        measureAngles();
    return AppWindow::eventFilter(watched, event);
}

void MainWindow::showTeamDatabaseSettings()
{
    m_windows.window<TeamDatabaseSettings>().showWindow();
}

#include "moc_MainWindow.cpp"
