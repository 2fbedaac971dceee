// SPDX-License-Identifier: GPL-3.0-or-later
#include "EmployeeDetails.h"

#include "AssessmentDetails.h"
#include "AssessmentRecord.h"
#include "EmployeeTextFilter.h"
#include "MainWindow.h"
#include "ObservationDefaults.h"
#include "ProgramState.h"
#include "Services.h"
#include "WindowSet.h"

#include <QApplication>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

using K = ControlKind;

// Client area 8505 x 5370 twips. Labels take no keyboard focus, so only the text boxes and
// buttons are in the keyboard order: Text1, Text2, Text3, "&Continue", "&Exit", "&Details...".
const std::vector<ControlRow>& employeeDetailsControls()
{
    static const std::vector<ControlRow> rows{
        // kind, name, left, top, width, height, text, font, keyboard order, help, style, colour
        {K::Label, "Label2", 2040, 360, 4575, 735, "Employee Details", Arial(24, true), -1, 0, Plain, DarkBlue},
        {K::Label, "Label1", 480, 1680, 3015, 495, "Employees Name:", Arial(15.75), -1, 20, Plain, DarkBlue},
        {K::TextBox, "Text1", 4200, 1680, 3975, 495, "", Arial(14.25), 0, 20},
        {K::Label, "Label3", 480, 2520, 3615, 495, "Employees ID Number:", Arial(15.75), -1, 21, Plain, DarkBlue},
        {K::TextBox, "Text2", 4200, 2520, 3975, 495, "", Arial(14.25), 1, 21},
        {K::Label, "Label4", 480, 3360, 3135, 495, "Employees Location:", Arial(15.75), -1, 22, Plain, DarkBlue},
        {K::TextBox, "Text3", 4200, 3360, 3975, 495, "", Arial(14.25), 2, 22},
        {K::Button, "Command1", 4080, 4200, 1935, 855, "&Continue", Arial(12, true), 3, 23},
        {K::Button, "Command2", 6240, 4200, 1935, 855, "&Exit", Arial(12, true), 8, 19},
        {K::Button, "DetailsButton", 480, 4200, 1935, 855, "&Details...", Arial(12, true), 9, 201},
    };
    return rows;
}

} // namespace

QColor EmployeeDetails::labelBackground()
{
    // Qt has no role for window borders; the inactive window colour is what the platform
    // style paints an inactive window's frame and background with. Should a style leave it
    // unset, the classic light grey of an inactive border stands in.
    const QColor colour = designedPalette().color(QPalette::Inactive, QPalette::Window);
    return colour.isValid() ? colour : QColor(192, 192, 192);
}

EmployeeDetails::EmployeeDetails(ProgramState& state, WindowSet& windows)
    : AppWindow(state, windows, Frame::FixedDialog, true)
{
    setObjectName(QStringLiteral("EmployeeDetails"));
    setWindowTitle(QStringLiteral("Employee Details"));
    buildControls(this, employeeDetailsControls(), Units::Twips);
    setClientArea(8505, 5370, Units::Twips);

    for (QLabel* label : findChildren<QLabel*>()) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::Window, labelBackground());
        label->setPalette(palette);
        label->setAutoFillBackground(true);
    }

    connect(control<QPushButton>(this, "Command1"), &QPushButton::clicked, this, &EmployeeDetails::continueToMain);
    connect(control<QPushButton>(this, "Command2"), &QPushButton::clicked, this, [] { ProgramEnd::end(); });
    connect(control<QPushButton>(this, "DetailsButton"), &QPushButton::clicked, this,
            [this] { m_windows.window<AssessmentDetails>().showWindow(); });
    // Enter (Return or the keypad's Enter) in the location box continues; in the other boxes
    // it does nothing.
    connect(control<QLineEdit>(this, "Text3"), &QLineEdit::returnPressed, this, &EmployeeDetails::continueToMain);
    // Pasted texts keep only what both result files can hold; a cut is said, not silent.
    for (const char* box : {"Text1", "Text2", "Text3"}) {
        connect(
            EmployeeTextFilter::install(control<QLineEdit>(this, box)), &EmployeeTextFilter::textCut, this,
            [] { MessageService::show(QStringLiteral("Only the first 32,767 characters of this text are kept.")); },
            Qt::QueuedConnection);
    }
    // The program state holds the texts as typed, for the record and the Save window's name.
    connect(control<QLineEdit>(this, "Text1"), &QLineEdit::textChanged, this,
            [this](const QString& text) { m_state.employee.name = text; });
    connect(control<QLineEdit>(this, "Text2"), &QLineEdit::textChanged, this,
            [this](const QString& text) { m_state.employee.id = text; });
    connect(control<QLineEdit>(this, "Text3"), &QLineEdit::textChanged, this,
            [this](const QString& text) { m_state.employee.location = text; });
    // A reopened assessment's names are in the state before this window is first asked for.
    setTexts(m_state.employee);
    control<QLineEdit>(this, "Text1")->setFocus();
}

void EmployeeDetails::continueToMain()
{
    ObservationDefaults::fillIn(m_state, QDateTime::currentDateTime());
    control<QLineEdit>(this, "Text1")->setFocus();
    m_windows.window<MainWindow>().showWindow();
    hide();
}

void EmployeeDetails::setTexts(const EmployeeTexts& texts)
{
    control<QLineEdit>(this, "Text1")->setText(texts.name);
    control<QLineEdit>(this, "Text2")->setText(texts.id);
    control<QLineEdit>(this, "Text3")->setText(texts.location);
}

#include "moc_EmployeeDetails.cpp"
