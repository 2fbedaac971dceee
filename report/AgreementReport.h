// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Agreement.h"

#include <QList>
#include <QString>
#include <QStringList>

class QIODevice;

// One scored value (a column of the register) and how alike the two assessors scored it.
struct AgreementItem
{
    QString name;
    rula::agreement::ItemFigures figures;
};

// Two folders of assessments of the same postures, paired file by file.
struct AgreementStudy
{
    QString folderA;
    QString folderB;
    QList<AgreementItem> items;
    QStringList pairs;     // each pair as the path both files have under their folder
    QStringList unpairedA; // files under folderA with no partner, as paths under it
    QStringList unpairedB;
};

// Writes the agreement of the study as a PDF into `device` (open for writing), on landscape
// pages: a table of every item with its figures and the Landis and Koch band of each weighted
// kappa in words and colour, a note on reading kappa against AC1, then the pairs and the
// unpaired files. An undefined figure reads "n/a". Returns false when the PDF could not be painted.
bool writeAgreementReport(const AgreementStudy& study, QIODevice& device);
