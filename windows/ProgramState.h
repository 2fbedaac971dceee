// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AssessmentState.h"
#include "SaveTable.h"
#include "ScoreTables.h"

#include <QString>

#include <cstdint>

// Everything that more than one window reads or writes, for the whole run.
// Created once in main() and handed to the windows; a test makes a fresh one.
struct ProgramState
{
    rula::AssessmentState assessment;
    rula::ResultScores results;
    SaveTable saveTable;

    std::int16_t CautionAccepted = 0;
    std::int16_t ExtraPictureCount = 0;
    std::int16_t LastDriveIndex = 0;
    QString SelectedPicturePath;
    QString SelectedPictureName;
    QString SaveFileName;
    // A reopened assessment's file: the Save window proposes this folder and name (empty
    // when the assessment was not reopened).
    QString ReopenedFolder;
    QString ReopenedName;
    // The help file that context help reads; resolved against the program's folder.
    QString ApplicationHelpFile = QStringLiteral("\\HelpFile\\HELPFILE.HLP");
};
