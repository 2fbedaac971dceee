// SPDX-License-Identifier: GPL-3.0-or-later
#include "RebaWindow.h"

#include "ModelText.h"
#include "OptionPanel.h"
#include "PictureControl.h"
#include "ProgramState.h"
#include "RebaLayout.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QSignalBlocker>
#include <QStringList>

namespace {

using rula::reba::RebaGroup;

QString rebaScoreText(const std::optional<int>& score)
{
    return score ? QString::number(*score) : QString();
}

QString rebaRiskWords(const std::optional<int>& score)
{
    return score ? modelText(rula::reba::rebaRiskText(*score)) : QString();
}

} // namespace

RebaWindow::RebaWindow(ProgramState& state, WindowSet& windows) : AppWindow(state, windows, Frame::Sizable, true)
{
    setObjectName(QStringLiteral("Reba"));
    setWindowTitle(QStringLiteral("REBA: Rapid Entire Body Assessment"));
    setClientArea(rebalayout::ClientWidth, rebalayout::ClientHeight, Units::Pixels);
    buildControls(this, rebalayout::rows(), Units::Pixels);

    QWidget* previous = nullptr;
    auto chain = [&previous](QWidget* next) {
        if (previous)
            QWidget::setTabOrder(previous, next);
        previous = next;
    };
    std::array<bool, rula::reba::RebaGroupCount> groupReached{};
    for (const ControlRow& row : rebalayout::rows()) {
        if (row.kind != ControlKind::Custom)
            continue;
        const int i = rula::reba::rebaOptionIndex(row.name);
        const rula::reba::RebaOption& option = rula::reba::rebaOptions()[static_cast<std::size_t>(i)];
        if (option.kind == rula::OptionKind::Base) {
            auto* panel = new OptionPanel(
                this, QString::fromLatin1(row.name) + QStringLiteral("Picture"), modelText(option.art), option.mirrored,
                QRect(rebalayout::PictureInset, rebalayout::PictureInset, row.w - 2 * rebalayout::PictureInset,
                      row.h - 2 * rebalayout::PictureInset));
            placeControl(panel, row, Units::Pixels);
            PictureControl* picture = panel->picture();
            picture->setProperty("helpTopic", row.helpTopic);
            picture->setToolTip(modelText(option.caption));
            picture->setAccessibleName(
                QStringLiteral("%1: %2, score %3")
                    .arg(modelText(rula::reba::rebaGroupInfo(option.group).name), modelText(option.caption))
                    .arg(option.value));
            // Tab reaches a group once, on its first band; the arrow keys move among its bands.
            auto& reached = groupReached[static_cast<std::size_t>(option.group)];
            if (!reached)
                picture->setFocusPolicy(Qt::TabFocus);
            reached = true;
            picture->installEventFilter(this);
            connect(picture, &PictureControl::clicked, this, [this, i] { click(i); });
            m_panels[static_cast<std::size_t>(i)] = panel;
            chain(picture);
        } else {
            auto* check = new QCheckBox(modelText(option.caption), this);
            placeControl(check, row, Units::Pixels);
            connect(check, &QCheckBox::clicked, this, [this, i] { click(i); });
            m_checks[static_cast<std::size_t>(i)] = check;
            chain(check);
        }
    }
    showChoices();
}

void RebaWindow::click(int optionIndex)
{
    m_state.reba.click(optionIndex);
    // REBA has no "View Results" of its own: its scores are shown at every click, so the record
    // that a save, the report and the register take follows at once.
    m_state.record.reba = m_state.reba;
    showChoices();
}

void RebaWindow::applyMeasured(int optionIndex)
{
    m_state.reba.applyMeasured(optionIndex);
    m_state.record.reba = m_state.reba;
    showChoices();
}

void RebaWindow::showChoices()
{
    const rula::reba::RebaChoices& choices = m_state.reba;
    for (int i = 0; i < rula::reba::RebaOptionCount; ++i) {
        if (OptionPanel* panel = m_panels[static_cast<std::size_t>(i)])
            panel->setSelected(choices.isSelected(i));
        if (QCheckBox* check = m_checks[static_cast<std::size_t>(i)]) {
            const QSignalBlocker quiet(check);
            check->setChecked(choices.isSelected(i));
        }
    }
    for (const rula::reba::RebaGroupInfo& info : rula::reba::rebaGroups()) {
        if (const char* name = rebalayout::sourceLabel(info.group)) {
            control<QLabel>(this, name)
                ->setText(!choices.band(info.group)        ? QString()
                          : choices.isMeasured(info.group) ? QStringLiteral("measured")
                                                           : QStringLiteral("by hand"));
        }
    }
    const rula::reba::RebaScores s = rula::reba::scoreReba(choices);
    control<QLabel>(this, "RebaScoreA")->setText(rebaScoreText(s.scoreA));
    control<QLabel>(this, "RebaScoreBRight")->setText(rebaScoreText(s.right.scoreB));
    control<QLabel>(this, "RebaScoreBLeft")->setText(rebaScoreText(s.left.scoreB));
    control<QLabel>(this, "RebaScoreCRight")->setText(rebaScoreText(s.right.scoreC));
    control<QLabel>(this, "RebaScoreCLeft")->setText(rebaScoreText(s.left.scoreC));
    control<QLabel>(this, "RebaScoreRight")->setText(rebaScoreText(s.right.rebaScore));
    control<QLabel>(this, "RebaScoreLeft")->setText(rebaScoreText(s.left.rebaScore));
    control<QLabel>(this, "RebaRiskRight")->setText(rebaRiskWords(s.right.rebaScore));
    control<QLabel>(this, "RebaRiskLeft")->setText(rebaRiskWords(s.left.rebaScore));
    QStringList missing;
    for (const std::string& line : rula::reba::missingRebaGroups(choices))
        missing << QString::fromStdString(line);
    control<QLabel>(this, "RebaMissing")->setText(missing.join(QStringLiteral("; ")));
}

bool RebaWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const int k = key->key();
        const bool back = k == Qt::Key_Left || k == Qt::Key_Up;
        if ((back || k == Qt::Key_Right || k == Qt::Key_Down) &&
            !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            // The arrow keys move among the bands of the picture's own group, wrapping round.
            for (int i = 0; i < rula::reba::RebaOptionCount; ++i) {
                OptionPanel* panel = m_panels[static_cast<std::size_t>(i)];
                if (!panel || panel->picture() != watched)
                    continue;
                const auto& info =
                    rula::reba::rebaGroupInfo(rula::reba::rebaOptions()[static_cast<std::size_t>(i)].group);
                QList<PictureControl*> bands;
                for (int j = info.firstOption; j < info.firstOption + info.optionCount; ++j) {
                    if (m_panels[static_cast<std::size_t>(j)])
                        bands << m_panels[static_cast<std::size_t>(j)]->picture();
                }
                const qsizetype at = bands.indexOf(panel->picture());
                bands[(at + (back ? bands.size() - 1 : 1)) % bands.size()]->setFocus(back ? Qt::BacktabFocusReason
                                                                                          : Qt::TabFocusReason);
                return true;
            }
        }
    }
    return AppWindow::eventFilter(watched, event);
}

#include "moc_RebaWindow.cpp"
