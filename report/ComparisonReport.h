// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AssessmentRecord.h"

#include <QString>

class QIODevice;

// A saved assessment and the file it was read from.
struct ComparedFile
{
    QString path;
    AssessmentRecord record;
};

// Writes the comparison of two assessments of one job as a PDF into `device` (open for
// writing): the sentence that sums it up, the grand scores and action levels in their
// colours, every body-part and computed score of both sides before → after with the changed
// ones marked, the files and employees of both (different ones pointed out), and the options
// that changed. Returns false when the PDF could not be painted.
bool writeComparisonReport(const ComparedFile& before, const ComparedFile& after, QIODevice& device);
