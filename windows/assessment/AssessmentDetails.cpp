// SPDX-License-Identifier: GPL-3.0-or-later
#include "AssessmentDetails.h"

#include "EmployeeTextFilter.h"
#include "Evidence.h"
#include "ObservationDefaults.h"
#include "ProgramState.h"
#include "Services.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

using K = ControlKind;

// Client area 456 x 272 pixels.
const std::vector<ControlRow>& assessmentDetailsControls()
{
    static const std::vector<ControlRow> rows{
        // kind, name, left, top, width, height, text, font, keyboard order, help, style, colour
        {K::Label, "TaskLabel", 16, 20, 104, 20, "&Task:", Arial(10), -1, 221, Plain, DarkBlue},
        {K::TextBox, "Task", 128, 16, 312, 26, "", Arial(10), 0, 221},
        {K::Label, "ObservedLabel", 16, 60, 104, 20, "&Observed:", Arial(10), -1, 222, Plain, DarkBlue},
        {K::Custom, "Observed", 128, 56, 200, 26, "", Arial(10), 1, 222},
        {K::Label, "AssessorLabel", 16, 100, 104, 20, "A&ssessor:", Arial(10), -1, 223, Plain, DarkBlue},
        {K::TextBox, "Assessor", 128, 96, 312, 26, "", Arial(10), 2, 223},
        {K::Label, "PhaseLabel", 16, 140, 104, 20, "&Phase:", Arial(10), -1, 224, Plain, DarkBlue},
        {K::Custom, "Phase", 128, 136, 200, 26, "", Arial(10), 3, 224},
        {K::Label, "NotesLabel", 16, 180, 104, 20, "&Notes:", Arial(10), -1, 225, Plain, DarkBlue},
        {K::TextBox, "Notes", 128, 176, 312, 26, "", Arial(10), 4, 225},
        {K::Button, "OkButton", 248, 224, 88, 32, "&OK", Arial(10, true), 5, 226},
        {K::Button, "CancelButton", 352, 224, 88, 32, "Cance&l", Arial(10, true), 6, 226},
    };
    return rows;
}

const ControlRow& row(const char* name)
{
    for (const ControlRow& r : assessmentDetailsControls()) {
        if (qstrcmp(r.name, name) == 0)
            return r;
    }
    qFatal("Assessment Details has no row %s", name);
}

// A date and time box that Tab leaves, as it leaves every other box: its parts are reached
// by the arrow keys, and typing a part whole moves on to the next.
class ObservedBox : public QDateTimeEdit
{
public:
    using QDateTimeEdit::QDateTimeEdit;

protected:
    // QDateTimeEdit's own moves between the date's parts; QWidget's leaves the box.
    bool focusNextPrevChild(bool next) override
    {
        return QWidget::focusNextPrevChild(next); // NOLINT(bugprone-parent-virtual-call)
    }
};

} // namespace

AssessmentDetails::AssessmentDetails(ProgramState& state, WindowSet& windows)
    : AppWindow(state, windows, Frame::FixedDialog, true)
{
    setObjectName(QStringLiteral("AssessmentDetails"));
    setWindowTitle(QStringLiteral("Assessment Details"));
    setClientArea(456, 272, Units::Pixels);

    m_observed = new ObservedBox(this);
    m_observed->setCalendarPopup(true);
    m_observed->setDisplayFormat(QStringLiteral("d MMMM yyyy HH:mm"));
    placeControl(m_observed, row("Observed"), Units::Pixels);
    m_phase = new QComboBox(this);
    m_phase->addItems(assessmentPhases());
    placeControl(m_phase, row("Phase"), Units::Pixels);
    buildControls(this, assessmentDetailsControls(), Units::Pixels);
    m_task = control<QLineEdit>(this, "Task");
    m_assessor = control<QLineEdit>(this, "Assessor");
    m_notes = control<QLineEdit>(this, "Notes");

    // The same text rules as the employee boxes: what is shown is what is kept.
    for (QLineEdit* box : {m_task, m_assessor, m_notes}) {
        connect(
            EmployeeTextFilter::install(box), &EmployeeTextFilter::textCut, this,
            [] { MessageService::show(QStringLiteral("Only the first 32,767 characters of this text are kept.")); },
            Qt::QueuedConnection);
    }
    const std::pair<const char*, QWidget*> buddies[] = {{"TaskLabel", m_task},
                                                        {"ObservedLabel", m_observed},
                                                        {"AssessorLabel", m_assessor},
                                                        {"PhaseLabel", m_phase},
                                                        {"NotesLabel", m_notes}};
    for (const auto& [label, box] : buddies)
        control<QLabel>(this, label)->setBuddy(box);
    connect(control<QPushButton>(this, "OkButton"), &QPushButton::clicked, this, &AssessmentDetails::accept);
    connect(control<QPushButton>(this, "CancelButton"), &QPushButton::clicked, this, &AssessmentDetails::cancel);
}

void AssessmentDetails::showWindow()
{
    const ProgramState& state = m_state;
    m_task->setText(state.details.task);
    m_observed->setDateTime(state.details.observed.isValid() ? state.details.observed.toLocalTime()
                                                             : QDateTime::currentDateTime());
    m_assessor->setText(state.details.assessor.isEmpty() ? ObservationDefaults::assessor() : state.details.assessor);
    m_phase->setCurrentIndex(std::max(0, int(assessmentPhases().indexOf(state.details.phase))));
    m_notes->setText(state.details.notes);
    m_shown = shownDetails();
    m_task->setFocus();
    AppWindow::showWindow();
}

AssessmentDetailsTexts AssessmentDetails::shownDetails() const
{
    return {m_task->text(), m_observed->dateTime(), m_assessor->text(), m_phase->currentText(), m_notes->text()};
}

// Cancel, Escape or the close box: what was typed since the window opened is thrown away
// only when the assessor says so.
bool AssessmentDetails::mayDiscard()
{
    if (shownDetails() == m_shown)
        return true;
    return QuestionService::ask(QStringLiteral("Discard what you typed in Assessment Details?"),
                                QStringLiteral("Assessment Details"), QStringLiteral("&Discard"),
                                QStringLiteral("&Keep Editing"));
}

void AssessmentDetails::cancel()
{
    if (mayDiscard())
        hide();
}

// Only the close box asks: the program's end closes every window without a question.
void AssessmentDetails::closeEvent(QCloseEvent* event)
{
    if (event->spontaneous() && !mayDiscard())
        event->ignore();
    else
        event->accept();
}

// Enter anywhere but on a button is OK, as in a dialog; on a button it presses that button.
void AssessmentDetails::keyPressEvent(QKeyEvent* event)
{
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (plain && enter && !qobject_cast<QPushButton*>(focusWidget())) {
        accept();
        return;
    }
    if (plain && event->key() == Qt::Key_Escape) {
        cancel();
        return;
    }
    AppWindow::keyPressEvent(event);
}

void AssessmentDetails::accept()
{
    m_state.details.task = m_task->text();
    m_state.details.observed = m_observed->dateTime();
    m_state.details.assessor = m_assessor->text();
    m_state.details.phase = m_phase->currentText();
    m_state.details.notes = m_notes->text();
    hide();
}

#include "moc_AssessmentDetails.cpp"
