// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReportPages.h"

const std::vector<ReportPage>& reportPages()
{
    static const std::vector<ReportPage> pages{
        summaryPage,        // who, when, the method, the workplace picture and both grand scores
        detailPage,         // the score sheet, every body part and how each score was reached
        measuredAnglesPage, // only when angles were measured on the workplace picture
        plannedChangesPage, // only when changes were planned in this run
        rebaPage,           // only when REBA was scored for the same worker
        closingPage,        // reduction measures, extra pictures and the assessor's signature
        keyFramesPage,      // only for key frames taken from a video of the task
        scoredVideoPage,    // only when the whole video was scored
        employeeTextsPage,  // only when the summary had to cut an employee text
        historyPage,        // only for an assessment saved with evidence: every revision
    };
    return pages;
}
