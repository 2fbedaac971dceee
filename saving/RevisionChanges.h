// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AssessmentRecord.h"
#include "Evidence.h"

#include <QString>
#include <QStringList>

// Each body part whose options differ: "Neck: neck flexed more than 20°, neck twisting →
// neck flexed 10° to 20°".
QStringList changedSelections(const AssessmentRecord& before, const AssessmentRecord& after);

// What changed from one revision to the next, one change a line: the options, the employee
// texts as typed, the details, the pictures and the measurements. "No changes." when none.
QString describeChanges(const AssessmentRecord& before, const Evidence& was, const AssessmentRecord& after,
                        const Evidence& is);

// What a save knows besides the record: the assessment as it was reopened, the pictures
// and measurements of this run, and the moment and program of the save.
struct RevisionSources
{
    Evidence previous;     // the evidence the assessment was reopened with; empty id for none
    bool reopened = false; // whether `previousRecord` holds the reopened text file's record
    AssessmentRecord previousRecord;
    std::vector<EvidencePicture> pictures; // the workplace photograph, the extra pictures and the key frames
    // The changes planned on the assessment saved; a change's revision 0 is the one being saved.
    std::vector<PlannedChange> plannedChanges;
    rula::VideoTimeline timeline; // the whole video scored; no samples for none
    QDateTime savedUtc;
    QString programVersion;
    QString newId; // the id a first save gives the assessment
};

// The evidence of the next revision of `record`, whose text file holds `textBytes`: the
// reopened assessment's id and history with one entry added, or a new id and revision 1.
Evidence nextRevision(const AssessmentRecord& record, const QByteArray& textBytes, const RevisionSources& sources);
