// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ReportContent.h"

#include <QString>

struct ReportOutcome
{
    bool ok = false;
    QString error;  // what failed, with the system's own description
    QString reason; // the same without the file's name: "cannot be written: ..."
};

// Writes the report as a PDF to `path`: the whole file or, on any failure, nothing (an
// existing file at `path` stays as it was).
//   Page 1, summary: who, where, when, the method and its rules, the workplace picture and
//           both sides' grand scores on bands coloured by action level.
//   Page 2, detail: the score sheet, a table per side of every body part, and how each
//           computed score was reached.
//   Measured angles, on a page of their own when any were measured: the workplace picture
//           with the measurements drawn over it as the Measure Angles window draws them, and
//           a table of each body part's angle, band, score and whether it was applied.
//   Planned changes, on a page of their own when any were planned in this run.
//   Page 3 (4 after measured angles): reduction measures for the body regions that scored highest, the extra pictures
//           and lines for the assessor's signature. Long texts continue on further pages.
// The employee texts are shown as they are saved, so the report made later from the saved
// text file reads the same as the one made in the windows.
ReportOutcome WriteReport(const ReportContent& content, const QString& path);
