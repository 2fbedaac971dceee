// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlanChange.h"

#include "PlanPage.h"
#include "ProgramState.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

QLabel* namedLabel(const char* name, QWidget* parent, bool wrap = false)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(wrap);
    return label;
}

QPushButton* namedButton(const char* name, const QString& caption, QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

QString levelText(int level)
{
    return level > 0 ? QString::number(level) : QStringLiteral("none");
}

} // namespace

PlanChange::PlanChange(ProgramState& state, WindowSet& windows) : AppWindow(state, windows, Frame::Sizable, true)
{
    setObjectName(QStringLiteral("PlanChange"));
    setWindowTitle(QStringLiteral("Plan a Change"));
    resize(900, 620);

    // A new, resizable window: a layout places its controls in the desktop's own style.
    auto* column = new QVBoxLayout(this);
    m_now = namedLabel("PlanNow", this, true);
    m_smallest = namedLabel("SmallestSet", this, true);
    QFont bold = m_smallest->font();
    bold.setBold(true);
    m_smallest->setFont(bold);
    auto* caption = new QLabel(
        QStringLiteral("Changes that &lower one body part's score, best first (tick several to combine them):"), this);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("Changes"));
    m_list->setWordWrap(true);
    caption->setBuddy(m_list);
    column->addWidget(m_now);
    column->addWidget(m_smallest);
    column->addWidget(caption);
    column->addWidget(m_list, 1);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("With the ticked changes:"), this), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Right side"), this), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Left side"), this), 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("Grand score"), this), 1, 0);
    grid->addWidget(new QLabel(QStringLiteral("Action level"), this), 2, 0);
    m_grandRight = namedLabel("PlannedGrandRight", this);
    m_grandLeft = namedLabel("PlannedGrandLeft", this);
    m_levelRight = namedLabel("PlannedLevelRight", this);
    m_levelLeft = namedLabel("PlannedLevelLeft", this);
    grid->addWidget(m_grandRight, 1, 1);
    grid->addWidget(m_grandLeft, 1, 2);
    grid->addWidget(m_levelRight, 2, 1);
    grid->addWidget(m_levelLeft, 2, 2);
    for (QLabel* value : {m_grandRight, m_grandLeft, m_levelRight, m_levelLeft})
        value->setFont(bold);
    grid->setColumnStretch(3, 1);
    column->addLayout(grid);

    auto* buttons = new QHBoxLayout;
    m_status = namedLabel("PlanStatus", this, true);
    auto* add = namedButton("AddToReport", QStringLiteral("Add to &Report"), this);
    auto* close = namedButton("ClosePlan", QStringLiteral("&Close"), this);
    buttons->addWidget(m_status, 1);
    buttons->addWidget(add);
    buttons->addWidget(close);
    column->addLayout(buttons);

    for (QWidget* control : findChildren<QWidget*>())
        control->setProperty("helpTopic", HelpTopic);

    connect(m_list, &QListWidget::itemChanged, this, &PlanChange::ticked);
    connect(add, &QPushButton::clicked, this, &PlanChange::addToReport);
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
}

void PlanChange::showWindow()
{
    if (!m_filled || !rula::sameAssessment(m_planned, m_state.record.assessment))
        fill();
    AppWindow::showWindow();
    m_list->setFocus();
}

void PlanChange::fill()
{
    m_filled = true;
    const AssessmentRecord& record = m_state.record;
    m_planned = record.assessment;
    m_before = rula::outcomeOf(record.assessment, record.results);
    m_changes = rula::singleChanges(record.assessment, record.results);
    m_now->setText(QStringLiteral("As assessed (right / left): grand scores %1 / %2, action levels %3 / %4. Nothing "
                                  "tried here changes the assessment.")
                       .arg(m_before.grandRight())
                       .arg(m_before.grandLeft())
                       .arg(levelText(m_before.levelRight), levelText(m_before.levelLeft)));

    const std::optional<std::vector<int>> smallest =
        rula::smallestLoweringSet(record.assessment, record.results, m_changes);
    if (smallest) {
        QStringList names;
        std::vector<rula::SingleChange> set;
        for (int position : *smallest) {
            set.push_back(m_changes[static_cast<std::size_t>(position)]);
            names << PlanText::change(set.back());
        }
        const rula::PlanOutcome after = rula::outcomeOf(rula::withChanges(record.assessment, set), record.results);
        m_smallest->setText(QStringLiteral("Fewest changes that bring each side's level down: %1; %2.")
                                .arg(names.join(QStringLiteral("; ")), PlanText::outcome(m_before, after)));
    } else if (m_before.levelRight < 1 || m_before.levelLeft < 1) {
        m_smallest->setText(QStringLiteral("A side without an action level has nothing to lower: score every body part "
                                           "first."));
    } else if (m_before.levelRight == 1 && m_before.levelLeft == 1) {
        m_smallest->setText(QStringLiteral("Both sides are at action level 1."));
    } else {
        m_smallest->setText(QStringLiteral("No combination of these changes brings each side's level down."));
    }

    const QSignalBlocker blocker(m_list);
    m_list->clear();
    for (const rula::SingleChange& change : m_changes) {
        auto* item = new QListWidgetItem(PlanText::row(change, m_before), m_list);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    if (m_list->count() > 0)
        m_list->setCurrentRow(0);
    m_status->clear();
    showPlanned();
}

void PlanChange::ticked(QListWidgetItem* item)
{
    const rula::SingleChange& change = m_changes[static_cast<std::size_t>(m_list->row(item))];
    if (item->checkState() == Qt::Checked && change.kind == rula::ChangeKind::Select) {
        // One posture per body part: ticking another unticks the one ticked before.
        const QSignalBlocker blocker(m_list);
        for (int row = 0; row < m_list->count(); ++row) {
            const rula::SingleChange& other = m_changes[static_cast<std::size_t>(row)];
            if (m_list->item(row) != item && other.kind == rula::ChangeKind::Select && other.group() == change.group())
                m_list->item(row)->setCheckState(Qt::Unchecked);
        }
    }
    m_status->clear();
    showPlanned();
}

std::vector<rula::SingleChange> PlanChange::tickedChanges() const
{
    std::vector<rula::SingleChange> ticked;
    for (int row = 0; row < m_list->count(); ++row) {
        if (m_list->item(row)->checkState() == Qt::Checked)
            ticked.push_back(m_changes[static_cast<std::size_t>(row)]);
    }
    return ticked;
}

void PlanChange::showPlanned()
{
    const rula::PlanOutcome after =
        rula::outcomeOf(rula::withChanges(m_planned, tickedChanges()), m_state.record.results);
    m_grandRight->setText(QString::number(after.grandRight()));
    m_grandLeft->setText(QString::number(after.grandLeft()));
    m_levelRight->setText(levelText(after.levelRight));
    m_levelLeft->setText(levelText(after.levelLeft));
}

void PlanChange::addToReport()
{
    m_state.plannedChanges = tickedChanges();
    m_state.plannedOn = m_planned;
    m_state.plannedOnRevision = 0;
    m_status->setText(
        m_state.plannedChanges.empty()
            ? QStringLiteral("No change is ticked: the next report has no planned changes.")
            : QStringLiteral("The next report of this assessment gets a page of %1.")
                  .arg(m_state.plannedChanges.size() == 1
                           ? QStringLiteral("this planned change")
                           : QStringLiteral("these %1 planned changes").arg(m_state.plannedChanges.size())));
}

#include "moc_PlanChange.cpp"
