// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AssessmentRecord.h"
#include "Evidence.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QString>

#include <optional>

// One saved assessment as the team database receives it: the record's selections, scores and
// levels, the employee texts as typed and as stored, the file it was read from with its
// SHA-256, and (when the assessment has one) its identity, revision and evidence.
struct Publication
{
    QString filePath;      // absolute, on the computer that published it
    QString fileSha256;    // hex, of the saved text file's bytes
    QDateTime lastWritten; // the saved text file's modification time
    // Its trace may be left out (ScoreTracing::Untraced): no column keeps it.
    AssessmentRecord record;
    QString assessmentId; // empty for an assessment without evidence
    int revision = 0;     // 0 without evidence
    QByteArray evidence;  // the evidence as JSON (details, history, measurements); empty without

    // What makes two publications one: the same text file of the same revision of the same
    // assessment. Publishing it again stores nothing new.
    QString key() const;

    // The 66 selections, "1" for a selected option, in the option catalogue's order.
    QString selections() const;

    // Why the database cannot store it (a NUL character in a text), or an empty string.
    QString unstorableReason() const;

    QJsonObject toJson() const;
    static std::optional<Publication> fromJson(const QJsonObject& json);

    // The publication of the saved text file at `path` with these bytes, read into `record`,
    // with the evidence saved beside it (none: nullptr).
    static Publication of(const QString& path, const QByteArray& bytes, AssessmentRecord record,
                          const QDateTime& lastWritten, const Evidence* evidence = nullptr);
};

// The record a publication's selections and employee texts give, with `assessedAt` as its time:
// the same record the saved file reads back into.
AssessmentRecord recordOfSelections(const QString& selections, const EmployeeTexts& typed, const QDateTime& assessedAt);
