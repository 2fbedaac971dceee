// SPDX-License-Identifier: GPL-3.0-or-later
#include "CautionStatement.h"

#include "EmployeeDetails.h"
#include "FinalResults.h"
#include "ProgramState.h"
#include "Services.h"
#include "WindowSet.h"

#include <QPushButton>

namespace {

constexpr const char* FirstParagraph =
    "This software package is intended to assist people who design or assess workplaces, to help to identify and "
    "reduce or eliminate, possible risks of Work-related Musculo-Skeletal Disorders (WMSDs).  In no way can it be "
    "presumed to guarantee that such problems will not arise.  Rather it provides aids to what can be considered "
    "good practice.  Users employ this tool at their own risk.";

constexpr const char* SecondParagraph =
    "Proper and appropriate application of this tool is expected to give most workers a reasonable level of "
    "protection from musculo-skeletal injuries in most jobs.  In particular it attempts to address those jobs that "
    "have a high degree of repetition.  However marginal situations will inevitably arise where the exercise of "
    "professional judgement and experience is necessary.  In such cases the advice of specialists such as "
    "ergonomists must be requested.";

using K = ControlKind;

// Client area 9405 x 7680 twips.
const std::vector<ControlRow>& cautionStatementControls()
{
    static const std::vector<ControlRow> rows{
        // kind, name, left, top, width, height, text, font, keyboard order, help, style
        {K::Label, "Label2", 2040, 0, 4575, 735, "Cautionary Note", Arial(27.75, true)},
        {K::Label, "Label1", 480, 960, 8415, 2055, FirstParagraph, Arial(14.25), -1, 0, WordWrap},
        {K::Label, "Label3", 480, 3240, 8535, 2655, SecondParagraph, Arial(14.25), -1, 0, WordWrap},
        {K::Button, "Command1", 4800, 6360, 1935, 975, "Accept", Arial(12, true), 0},
        {K::Button, "Command2", 7080, 6360, 1935, 975, "Exit ", Arial(12, true), 1},
    };
    return rows;
}

} // namespace

CautionStatement::CautionStatement(ProgramState& state, WindowSet& windows)
    : AppWindow(state, windows, Frame::Sizable, false)
{
    setObjectName(QStringLiteral("CautionStatement"));
    setWindowTitle(QStringLiteral("TALVO - Caution Statement"));
    buildControls(this, cautionStatementControls(), Units::Twips);
    setClientArea(9405, 7680, Units::Twips);

    connect(control<QPushButton>(this, "Command1"), &QPushButton::clicked, this, &CautionStatement::accept);
    connect(control<QPushButton>(this, "Command2"), &QPushButton::clicked, this, [] { ProgramEnd::end(); });
    control<QPushButton>(this, "Command1")->setFocus();
}

void CautionStatement::showWindow()
{
    control<QPushButton>(this, "Command1")->setFocus();
    AppWindow::showWindow();
}

void CautionStatement::accept()
{
    if (m_state.CautionAccepted == 0) {
        m_windows.window<EmployeeDetails>().showWindow();
        hide();
        m_state.CautionAccepted = 1;
    } else {
        m_windows.window<FinalResults>().showWindow();
        hide();
    }
}

#include "moc_CautionStatement.cpp"
