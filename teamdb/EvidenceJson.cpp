// SPDX-License-Identifier: GPL-3.0-or-later
#include "EvidenceJson.h"

#include "ModelText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace {

QString timeText(const QDateTime& time)
{
    return time.isValid() ? time.toString(Qt::ISODateWithMs) : QString();
}

QDateTime timeOf(const QJsonValue& value)
{
    return QDateTime::fromString(value.toString(), Qt::ISODateWithMs);
}

QJsonArray pointJson(const QPointF& point)
{
    return {point.x(), point.y()};
}

QPointF pointOf(const QJsonValue& value)
{
    const QJsonArray xy = value.toArray();
    return {xy.at(0).toDouble(), xy.at(1).toDouble()};
}

QJsonObject pictureJson(const EvidencePicture& picture)
{
    QJsonArray landmarks;
    for (const EvidenceLandmark& landmark : picture.landmarks) {
        QJsonObject entry{{QStringLiteral("side"), landmark.side},
                          {QStringLiteral("name"), landmark.name},
                          {QStringLiteral("at"), pointJson(landmark.at)}};
        if (landmark.suggestedAt) {
            entry.insert(QStringLiteral("suggestedAt"), pointJson(*landmark.suggestedAt));
            entry.insert(QStringLiteral("confidence"), landmark.confidence);
            entry.insert(QStringLiteral("moved"), landmark.moved);
        }
        landmarks.append(entry);
    }
    QJsonArray measurements;
    for (const EvidenceMeasurement& m : picture.measurements) {
        QJsonObject measurement{{QStringLiteral("bodyPart"), m.bodyPart},
                                {QStringLiteral("band"), m.band},
                                {QStringLiteral("score"), m.score},
                                {QStringLiteral("appliedBand"), m.appliedBand},
                                {QStringLiteral("applied"), m.applied}};
        if (m.angle)
            measurement.insert(QStringLiteral("angle"), *m.angle);
        measurements.append(measurement);
    }
    QJsonObject json{{QStringLiteral("role"), picture.role},
                     {QStringLiteral("fileName"), picture.fileName},
                     {QStringLiteral("sha256"), picture.sha256},
                     {QStringLiteral("width"), picture.pixelSize.width()},
                     {QStringLiteral("height"), picture.pixelSize.height()},
                     {QStringLiteral("facing"), picture.facing},
                     {QStringLiteral("seated"), picture.seated},
                     {QStringLiteral("landmarks"), landmarks},
                     {QStringLiteral("measurements"), measurements}};
    if (picture.vertical)
        json.insert(QStringLiteral("vertical"),
                    QJsonArray{pointJson(picture.vertical->first), pointJson(picture.vertical->second)});
    if (const std::optional<KeyFrame>& frame = picture.keyFrame)
        // 64-bit timestamps as texts: a JSON number is a double, exact only to 2^53.
        json.insert(QStringLiteral("keyFrame"),
                    QJsonObject{{QStringLiteral("videoFile"), frame->videoFile},
                                {QStringLiteral("videoSha256"), frame->videoSha256},
                                {QStringLiteral("frameNumber"), frame->frameNumber},
                                {QStringLiteral("pts"), QString::number(frame->pts)},
                                {QStringLiteral("startPts"), QString::number(frame->startPts)},
                                {QStringLiteral("timeBaseNum"), frame->timeBaseNum},
                                {QStringLiteral("timeBaseDen"), frame->timeBaseDen},
                                {QStringLiteral("timeMs"), QString::number(frame->timeMs)},
                                {QStringLiteral("reason"), frame->reason},
                                {QStringLiteral("note"), frame->note},
                                {QStringLiteral("rotation"), frame->rotation},
                                {QStringLiteral("mirrored"), frame->mirrored}});
    return json;
}

EvidencePicture pictureOf(const QJsonObject& json)
{
    EvidencePicture picture;
    picture.role = json.value(QStringLiteral("role")).toString();
    picture.fileName = json.value(QStringLiteral("fileName")).toString();
    picture.sha256 = json.value(QStringLiteral("sha256")).toString();
    picture.pixelSize =
        QSize(json.value(QStringLiteral("width")).toInt(), json.value(QStringLiteral("height")).toInt());
    picture.facing = json.value(QStringLiteral("facing")).toString();
    picture.seated = json.value(QStringLiteral("seated")).toBool();
    if (const QJsonArray vertical = json.value(QStringLiteral("vertical")).toArray(); vertical.size() == 2)
        picture.vertical = std::make_pair(pointOf(vertical.at(0)), pointOf(vertical.at(1)));
    for (const auto& value : json.value(QStringLiteral("landmarks")).toArray()) {
        const QJsonObject landmark = value.toObject();
        EvidenceLandmark read;
        read.side = landmark.value(QStringLiteral("side")).toString();
        read.name = landmark.value(QStringLiteral("name")).toString();
        read.at = pointOf(landmark.value(QStringLiteral("at")));
        if (landmark.contains(QStringLiteral("suggestedAt"))) {
            read.suggestedAt = pointOf(landmark.value(QStringLiteral("suggestedAt")));
            read.confidence = landmark.value(QStringLiteral("confidence")).toDouble();
            read.moved = landmark.value(QStringLiteral("moved")).toBool();
        }
        picture.landmarks.push_back(read);
    }
    for (const auto& value : json.value(QStringLiteral("measurements")).toArray()) {
        const QJsonObject m = value.toObject();
        EvidenceMeasurement measurement;
        measurement.bodyPart = m.value(QStringLiteral("bodyPart")).toString();
        if (m.contains(QStringLiteral("angle")))
            measurement.angle = m.value(QStringLiteral("angle")).toDouble();
        measurement.band = m.value(QStringLiteral("band")).toString();
        measurement.score = m.value(QStringLiteral("score")).toInt();
        measurement.appliedBand = m.value(QStringLiteral("appliedBand")).toString();
        measurement.applied = m.value(QStringLiteral("applied")).toBool();
        picture.measurements.push_back(measurement);
    }
    if (json.contains(QStringLiteral("keyFrame"))) {
        const QJsonObject f = json.value(QStringLiteral("keyFrame")).toObject();
        KeyFrame frame;
        frame.videoFile = f.value(QStringLiteral("videoFile")).toString();
        frame.videoSha256 = f.value(QStringLiteral("videoSha256")).toString();
        frame.frameNumber = f.value(QStringLiteral("frameNumber")).toInt();
        frame.pts = f.value(QStringLiteral("pts")).toString().toLongLong();
        frame.startPts = f.value(QStringLiteral("startPts")).toString().toLongLong();
        frame.timeBaseNum = f.value(QStringLiteral("timeBaseNum")).toInt(1);
        frame.timeBaseDen = f.value(QStringLiteral("timeBaseDen")).toInt(1);
        frame.timeMs = f.value(QStringLiteral("timeMs")).toString().toLongLong();
        frame.reason = f.value(QStringLiteral("reason")).toString();
        frame.note = f.value(QStringLiteral("note")).toString();
        frame.rotation = f.value(QStringLiteral("rotation")).toInt();
        frame.mirrored = f.value(QStringLiteral("mirrored")).toBool();
        picture.keyFrame = frame;
    }
    return picture;
}

} // namespace

namespace {

// REBA's choices: the selected options by their names, and the groups whose band was measured.
QJsonObject rebaJson(const rula::reba::RebaChoices& choices)
{
    QJsonArray selected;
    for (int i = 0; i < rula::reba::RebaOptionCount; ++i) {
        if (choices.isSelected(i))
            selected.append(modelText(rula::reba::rebaOptions()[std::size_t(i)].name));
    }
    QJsonArray measured;
    for (const rula::reba::RebaGroupInfo& info : rula::reba::rebaGroups()) {
        if (choices.isMeasured(info.group))
            measured.append(modelText(info.name));
    }
    return QJsonObject{{QStringLiteral("selected"), selected}, {QStringLiteral("measured"), measured}};
}

void rebaOf(const QJsonObject& json, rula::reba::RebaChoices& choices)
{
    for (const auto& name : json.value(QStringLiteral("selected")).toArray()) {
        const int index = rula::reba::rebaOptionIndex(name.toString().toStdString());
        if (index >= 0)
            choices.setSelected(index, true);
    }
    for (const auto& name : json.value(QStringLiteral("measured")).toArray()) {
        for (const rula::reba::RebaGroupInfo& info : rula::reba::rebaGroups()) {
            if (name.toString() == modelText(info.name))
                choices.setMeasured(info.group, true);
        }
    }
}

// A scored video: each sample with each side's score, each body part as [angle or null, band,
// score, confidence] and each landmark found as [x, y, confidence] under its name.
QJsonObject timelineJson(const rula::VideoTimeline& timeline)
{
    QJsonArray defaulted;
    for (rula::Group group : timeline.defaulted)
        defaulted.append(modelText(rula::groupInfo(group).key));
    QJsonArray samples;
    for (const rula::ScoredSample& sample : timeline.samples) {
        QJsonArray sides;
        for (const rula::Side side : {rula::Side::Right, rula::Side::Left}) {
            const rula::SideScore& score = sample.side(side);
            QJsonArray parts;
            for (const rula::PartScore& part : score.parts)
                parts.append(QJsonArray{part.angle ? QJsonValue(*part.angle) : QJsonValue(), part.option, part.score,
                                        part.confidence});
            QJsonObject landmarks;
            for (int l = 0; l < rula::LandmarkCount; ++l) {
                if (const auto& found = sample.landmarks.at(side, rula::Landmark(l)))
                    landmarks.insert(modelText(rula::landmarkName(rula::Landmark(l))),
                                     QJsonArray{found->at.x, found->at.y, found->confidence});
            }
            sides.append(QJsonObject{{QStringLiteral("scored"), score.scored},
                                     {QStringLiteral("confidence"), score.confidence},
                                     {QStringLiteral("grand"), score.grand},
                                     {QStringLiteral("actionLevel"), score.actionLevel},
                                     {QStringLiteral("parts"), parts},
                                     {QStringLiteral("landmarks"), landmarks}});
        }
        samples.append(QJsonObject{{QStringLiteral("frame"), sample.frame},
                                   {QStringLiteral("time"), sample.timeSeconds},
                                   {QStringLiteral("found"), sample.landmarks.found},
                                   {QStringLiteral("facing"), int(sample.facing)},
                                   {QStringLiteral("sides"), sides}});
    }
    return {{QStringLiteral("videoFile"), QString::fromStdString(timeline.videoFile)},
            {QStringLiteral("videoSha256"), QString::fromStdString(timeline.videoSha256)},
            {QStringLiteral("durationSeconds"), timeline.durationSeconds},
            {QStringLiteral("samplesPerSecond"), timeline.samplesPerSecond},
            {QStringLiteral("defaulted"), defaulted},
            {QStringLiteral("complete"), timeline.complete},
            {QStringLiteral("samples"), samples}};
}

rula::VideoTimeline timelineOf(const QJsonObject& json)
{
    rula::VideoTimeline timeline;
    timeline.videoFile = json.value(QStringLiteral("videoFile")).toString().toStdString();
    timeline.videoSha256 = json.value(QStringLiteral("videoSha256")).toString().toStdString();
    timeline.durationSeconds = json.value(QStringLiteral("durationSeconds")).toDouble();
    timeline.samplesPerSecond = json.value(QStringLiteral("samplesPerSecond")).toInt(5);
    for (const auto& key : json.value(QStringLiteral("defaulted")).toArray()) {
        if (const std::optional<rula::Group> group = rula::groupOfKey(key.toString().toStdString()))
            timeline.defaulted.push_back(*group);
    }
    timeline.complete = json.value(QStringLiteral("complete")).toBool();
    for (const auto& value : json.value(QStringLiteral("samples")).toArray()) {
        const QJsonObject object = value.toObject();
        rula::ScoredSample sample;
        sample.frame = object.value(QStringLiteral("frame")).toInt();
        sample.timeSeconds = object.value(QStringLiteral("time")).toDouble();
        sample.landmarks.found = object.value(QStringLiteral("found")).toBool();
        sample.facing = rula::Facing(std::clamp(object.value(QStringLiteral("facing")).toInt(), 0, 2));
        const QJsonArray sides = object.value(QStringLiteral("sides")).toArray();
        for (int s = 0; s < rula::SideCount && s < sides.size(); ++s) {
            const QJsonObject side = sides.at(s).toObject();
            rula::SideScore& score = sample.sides[std::size_t(s)];
            score.scored = side.value(QStringLiteral("scored")).toBool();
            score.confidence = side.value(QStringLiteral("confidence")).toDouble();
            score.grand = side.value(QStringLiteral("grand")).toInt();
            score.actionLevel = side.value(QStringLiteral("actionLevel")).toInt();
            const QJsonArray parts = side.value(QStringLiteral("parts")).toArray();
            for (int p = 0; p < rula::ScoredPartCount && p < parts.size(); ++p) {
                const QJsonArray part = parts.at(p).toArray();
                rula::PartScore& kept = score.parts[std::size_t(p)];
                if (part.at(0).isDouble())
                    kept.angle = part.at(0).toDouble();
                kept.option = part.at(1).toInt();
                kept.score = part.at(2).toInt();
                kept.confidence = part.at(3).toDouble();
            }
            const QJsonObject landmarks = side.value(QStringLiteral("landmarks")).toObject();
            for (int l = 0; l < rula::LandmarkCount; ++l) {
                const QJsonValue found = landmarks.value(modelText(rula::landmarkName(rula::Landmark(l))));
                if (found.isArray())
                    sample.landmarks.at(rula::Side(s), rula::Landmark(l)) =
                        rula::FoundLandmark{{found.toArray().at(0).toDouble(), found.toArray().at(1).toDouble()},
                                            found.toArray().at(2).toDouble()};
            }
        }
        timeline.samples.push_back(sample);
    }
    return timeline;
}

} // namespace

QByteArray evidenceToJson(const Evidence& evidence)
{
    QJsonArray pictures;
    for (const EvidencePicture& picture : evidence.pictures)
        pictures.append(pictureJson(picture));
    QJsonArray history;
    for (const EvidenceRevision& revision : evidence.history)
        history.append(QJsonObject{{QStringLiteral("revision"), revision.revision},
                                   {QStringLiteral("savedUtc"), timeText(revision.savedUtc)},
                                   {QStringLiteral("assessor"), revision.assessor},
                                   {QStringLiteral("programVersion"), revision.programVersion},
                                   {QStringLiteral("changes"), revision.changes}});
    QJsonArray planned;
    for (const PlannedChange& change : evidence.plannedChanges)
        planned.append(QJsonObject{{QStringLiteral("option"), change.option},
                                   {QStringLiteral("kind"), change.kind},
                                   {QStringLiteral("plannedOnRevision"), change.plannedOnRevision}});
    const ObservationDetails& details = evidence.details;
    QJsonObject json{
        {QStringLiteral("assessmentId"), evidence.assessmentId},
        {QStringLiteral("revision"), evidence.revision},
        {QStringLiteral("textSha256"), evidence.textSha256},
        {QStringLiteral("typed"), QJsonObject{{QStringLiteral("name"), evidence.typed.name},
                                              {QStringLiteral("id"), evidence.typed.id},
                                              {QStringLiteral("location"), evidence.typed.location}}},
        {QStringLiteral("details"), QJsonObject{{QStringLiteral("task"), details.task},
                                                {QStringLiteral("observed"), timeText(details.observed)},
                                                {QStringLiteral("assessor"), details.assessor},
                                                {QStringLiteral("phase"), details.phase},
                                                {QStringLiteral("notes"), details.notes}}},
        {QStringLiteral("assessedAt"), timeText(evidence.assessedAt)},
        {QStringLiteral("pictures"), pictures},
        {QStringLiteral("history"), history},
        {QStringLiteral("plannedChanges"), planned},
        {QStringLiteral("reba"), rebaJson(evidence.reba)},
    };
    // Most assessments score no video: their publications carry no empty timeline.
    if (!evidence.timeline.samples.empty())
        json.insert(QStringLiteral("timeline"), timelineJson(evidence.timeline));
    return QJsonDocument(json).toJson(QJsonDocument::Compact);
}

std::optional<Evidence> evidenceFromJson(const QByteArray& bytes)
{
    const QJsonDocument document = QJsonDocument::fromJson(bytes);
    if (!document.isObject())
        return std::nullopt;
    const QJsonObject json = document.object();
    Evidence evidence;
    evidence.assessmentId = json.value(QStringLiteral("assessmentId")).toString();
    evidence.revision = json.value(QStringLiteral("revision")).toInt();
    evidence.textSha256 = json.value(QStringLiteral("textSha256")).toString();
    const QJsonObject typed = json.value(QStringLiteral("typed")).toObject();
    evidence.typed = {typed.value(QStringLiteral("name")).toString(), typed.value(QStringLiteral("id")).toString(),
                      typed.value(QStringLiteral("location")).toString()};
    const QJsonObject details = json.value(QStringLiteral("details")).toObject();
    evidence.details = {
        details.value(QStringLiteral("task")).toString(), timeOf(details.value(QStringLiteral("observed"))),
        details.value(QStringLiteral("assessor")).toString(), details.value(QStringLiteral("phase")).toString(),
        details.value(QStringLiteral("notes")).toString()};
    evidence.assessedAt = timeOf(json.value(QStringLiteral("assessedAt")));
    for (const auto& picture : json.value(QStringLiteral("pictures")).toArray())
        evidence.pictures.push_back(pictureOf(picture.toObject()));
    for (const auto& value : json.value(QStringLiteral("history")).toArray()) {
        const QJsonObject revision = value.toObject();
        evidence.history.push_back({revision.value(QStringLiteral("revision")).toInt(),
                                    timeOf(revision.value(QStringLiteral("savedUtc"))),
                                    revision.value(QStringLiteral("assessor")).toString(),
                                    revision.value(QStringLiteral("programVersion")).toString(),
                                    revision.value(QStringLiteral("changes")).toString()});
    }
    for (const auto& value : json.value(QStringLiteral("plannedChanges")).toArray()) {
        const QJsonObject change = value.toObject();
        evidence.plannedChanges.push_back({change.value(QStringLiteral("option")).toString(),
                                           change.value(QStringLiteral("kind")).toString(),
                                           change.value(QStringLiteral("plannedOnRevision")).toInt()});
    }
    rebaOf(json.value(QStringLiteral("reba")).toObject(), evidence.reba);
    evidence.timeline = timelineOf(json.value(QStringLiteral("timeline")).toObject());
    return evidence;
}
