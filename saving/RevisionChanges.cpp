// SPDX-License-Identifier: GPL-3.0-or-later
#include "RevisionChanges.h"

#include "ModelText.h"
#include "OptionCatalogue.h"

#include <algorithm>

namespace {

// What is chosen in a group: its posture, then its adjustments.
QString selectionsText(const rula::AssessmentState& assessment, const rula::GroupInfo& group)
{
    QStringList chosen;
    for (rula::OptionKind kind : {rula::OptionKind::Base, rula::OptionKind::Adjustment}) {
        for (int option = group.firstOption; option < group.firstOption + group.optionCount; ++option) {
            const rula::OptionInfo& info = rula::options()[static_cast<std::size_t>(option)];
            if (info.kind == kind && assessment.isSelected(option))
                chosen << modelText(info.meaning);
        }
    }
    return chosen.isEmpty() ? QStringLiteral("nothing chosen") : chosen.join(QStringLiteral(", "));
}

QString quotedOrEmpty(const QString& text)
{
    return text.isEmpty() ? QStringLiteral("(empty)") : QStringLiteral("\"%1\"").arg(text);
}

void compareText(QStringList& changes, const QString& what, const QString& was, const QString& is)
{
    if (was != is)
        changes << QStringLiteral("%1: %2 → %3").arg(what, quotedOrEmpty(was), quotedOrEmpty(is));
}

QString shownDate(const QDateTime& when)
{
    return when.isValid() ? when.toOffsetFromUtc(when.offsetFromUtc()).toString(QStringLiteral("yyyy-MM-dd HH:mm"))
                          : QStringLiteral("(none)");
}

const EvidencePicture* pictureOfRole(const Evidence& evidence, const QString& role, int n)
{
    for (const EvidencePicture& picture : evidence.pictures) {
        if (picture.role == role && n-- == 0)
            return &picture;
    }
    return nullptr;
}

QString pictureText(const EvidencePicture* picture)
{
    return picture ? picture->fileName : QStringLiteral("none");
}

QString measurementText(const EvidenceMeasurement& measured)
{
    if (!measured.angle)
        return measured.applied ? QStringLiteral("not measured, applied") : QStringLiteral("not measured");
    return QStringLiteral("%1° (score %2%3)")
        .arg(qRound(*measured.angle))
        .arg(measured.score)
        .arg(measured.applied ? QStringLiteral(", applied") : QString());
}

// Changes added to the report with Plan a Change, or taken out: counted, in the order listed.
void comparePlannedChanges(QStringList& changes, const std::vector<PlannedChange>& was,
                           const std::vector<PlannedChange>& is)
{
    const auto same = [](const PlannedChange& a, const PlannedChange& b) {
        return a.option == b.option && a.kind == b.kind;
    };
    if (was.size() == is.size() && std::equal(was.begin(), was.end(), is.begin(), same))
        return;
    changes << QStringLiteral("Planned changes: %1 → %2").arg(was.size()).arg(is.size());
}

// A whole video scored, scored again or another one: named by the video and its samples.
void compareTimelines(QStringList& changes, const rula::VideoTimeline& was, const rula::VideoTimeline& is)
{
    const auto same = [](const rula::VideoTimeline& a, const rula::VideoTimeline& b) {
        return a.videoSha256 == b.videoSha256 && a.videoFile == b.videoFile &&
               a.samplesPerSecond == b.samplesPerSecond && a.samples.size() == b.samples.size() &&
               a.complete == b.complete;
    };
    if (was.samples.empty() && is.samples.empty())
        return;
    if (is.samples.empty())
        changes << QStringLiteral("Scored video left out");
    else if (was.samples.empty() || !same(was, is))
        changes << QStringLiteral("Whole video scored: %1, %2 samples at %3 a second%4")
                       .arg(QString::fromStdString(is.videoFile).section(QLatin1Char('/'), -1))
                       .arg(is.samples.size())
                       .arg(is.samplesPerSecond)
                       .arg(is.complete ? QString() : QStringLiteral(" (stopped early)"));
}

void comparePictures(QStringList& changes, const Evidence& was, const Evidence& is)
{
    const QString workplace = QStringLiteral("workplace");
    const EvidencePicture* before = pictureOfRole(was, workplace, 0);
    const EvidencePicture* after = pictureOfRole(is, workplace, 0);
    if ((before ? before->sha256 : QString()) != (after ? after->sha256 : QString()))
        changes << QStringLiteral("Workplace picture: %1 → %2").arg(pictureText(before), pictureText(after));
    QStringList extraBefore;
    QStringList extraAfter;
    for (const EvidencePicture& picture : was.pictures)
        if (picture.role == QLatin1String("extra"))
            extraBefore << picture.fileName + picture.sha256;
    for (const EvidencePicture& picture : is.pictures)
        if (picture.role == QLatin1String("extra"))
            extraAfter << picture.fileName + picture.sha256;
    if (extraBefore != extraAfter)
        changes << QStringLiteral("Extra pictures: %1 → %2").arg(extraBefore.size()).arg(extraAfter.size());

    std::map<QString, QString> measuredBefore;
    std::map<QString, QString> measuredAfter;
    if (before)
        for (const EvidenceMeasurement& m : before->measurements)
            measuredBefore[m.bodyPart] = measurementText(m);
    if (after)
        for (const EvidenceMeasurement& m : after->measurements)
            measuredAfter[m.bodyPart] = measurementText(m);
    std::map<QString, bool> parts;
    for (const auto& [part, text] : measuredBefore)
        parts[part] = true;
    for (const auto& [part, text] : measuredAfter)
        parts[part] = true;
    for (const auto& [part, unused] : parts) {
        const auto b = measuredBefore.find(part);
        const auto a = measuredAfter.find(part);
        if (b == measuredBefore.end())
            changes << QStringLiteral("%1 measured: %2").arg(part, a->second);
        else if (a == measuredAfter.end())
            changes << QStringLiteral("%1 measurement removed").arg(part);
        else if (a->second != b->second)
            changes << QStringLiteral("%1 measured: %2 → %3").arg(part, b->second, a->second);
    }
}

} // namespace

QStringList changedSelections(const AssessmentRecord& before, const AssessmentRecord& after)
{
    QStringList changes;
    for (const rula::GroupInfo& group : rula::groups()) {
        const QString was = selectionsText(before.assessment, group);
        const QString is = selectionsText(after.assessment, group);
        if (was != is)
            changes << QStringLiteral("%1: %2 → %3").arg(bodyPartName(group.group), was, is);
    }
    return changes;
}

QString describeChanges(const AssessmentRecord& before, const Evidence& was, const AssessmentRecord& after,
                        const Evidence& is)
{
    QStringList changes = changedSelections(before, after);
    compareText(changes, QStringLiteral("Employee name"), was.typed.name, is.typed.name);
    compareText(changes, QStringLiteral("Employee ID"), was.typed.id, is.typed.id);
    compareText(changes, QStringLiteral("Employee location"), was.typed.location, is.typed.location);
    compareText(changes, QStringLiteral("Task"), was.details.task, is.details.task);
    if (shownDate(was.details.observed) != shownDate(is.details.observed))
        changes
            << QStringLiteral("Observed: %1 → %2").arg(shownDate(was.details.observed), shownDate(is.details.observed));
    compareText(changes, QStringLiteral("Assessor"), was.details.assessor, is.details.assessor);
    compareText(changes, QStringLiteral("Phase"), was.details.phase, is.details.phase);
    compareText(changes, QStringLiteral("Notes"), was.details.notes, is.details.notes);
    comparePictures(changes, was, is);
    if (was.reba != is.reba)
        changes << QStringLiteral("REBA choices changed");
    comparePlannedChanges(changes, was.plannedChanges, is.plannedChanges);
    compareTimelines(changes, was.timeline, is.timeline);
    return changes.isEmpty() ? QStringLiteral("No changes.") : changes.join(QLatin1Char('\n'));
}

Evidence nextRevision(const AssessmentRecord& record, const QByteArray& textBytes, const RevisionSources& sources)
{
    Evidence evidence;
    const bool continued = !sources.previous.assessmentId.isEmpty();
    evidence.assessmentId = continued ? sources.previous.assessmentId : sources.newId;
    evidence.revision = continued ? sources.previous.revision + 1 : 1;
    evidence.history = continued ? sources.previous.history : std::vector<EvidenceRevision>{};
    evidence.textSha256 = sha256Hex(textBytes);
    evidence.typed = record.typed;
    evidence.details = record.details;
    evidence.assessedAt = record.assessedAt;
    evidence.pictures = sources.pictures;
    evidence.plannedChanges = sources.plannedChanges;
    for (PlannedChange& change : evidence.plannedChanges) {
        if (change.plannedOnRevision <= 0 || change.plannedOnRevision > evidence.revision)
            change.plannedOnRevision = evidence.revision;
    }
    evidence.reba = record.reba;
    evidence.timeline = sources.timeline;

    EvidenceRevision entry;
    entry.revision = evidence.revision;
    entry.savedUtc = sources.savedUtc.toUTC();
    entry.assessor = record.details.assessor;
    entry.programVersion = sources.programVersion;
    if (continued) {
        entry.changes = describeChanges(sources.previousRecord, sources.previous, record, evidence);
    } else {
        // A file saved before evidence was kept: what changed since it was reopened.
        const QStringList options =
            sources.reopened ? changedSelections(sources.previousRecord, record) : QStringList();
        entry.changes = sources.reopened ? QStringLiteral("First save with evidence, of a file saved without it.")
                                         : QStringLiteral("First save.");
        if (!options.isEmpty())
            entry.changes += QLatin1Char('\n') + options.join(QLatin1Char('\n'));
    }
    evidence.history.push_back(entry);
    return evidence;
}
