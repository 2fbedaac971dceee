// SPDX-License-Identifier: GPL-3.0-or-later
// An evidence with every field filled, written by hand (a photograph with landmarks, facing,
// vertical, an applied band and a suggested landmark; an extra picture; two key frames, one measured; details with
// notes; two revisions; a planned change; a scored video of three samples), and a field-by-field comparison that
// names the first field that differs.
#pragma once

#include "Evidence.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QTimeZone>
#include <QtTest>

namespace filled {

inline QByteArray png(int width, int height, QRgb colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

inline EvidencePicture picture(const QString& role, const QString& name, const QByteArray& bytes, QSize size)
{
    EvidencePicture p;
    p.role = role;
    p.fileName = name;
    p.bytes = bytes;
    p.sha256 = sha256Hex(bytes);
    p.pixelSize = size;
    return p;
}

// A picture's bytes: held, or copied out of where they are kept as a reopening copies them.
inline QByteArray bytesOf(const EvidencePicture& picture)
{
    if (picture.source.size == 0)
        return picture.bytes;
    const PictureCopy copy = copyOfPicture(picture);
    QFile file(copy.path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<not copied>");
}

inline EvidenceLandmark landmark(const QString& side, const QString& name, QPointF at)
{
    EvidenceLandmark l;
    l.side = side;
    l.name = name;
    l.at = at;
    return l;
}

// A video scored at 2 samples a second: at 0 s both sides scored (right grand 7, left 5), at
// 0.5 s the worker not found, at 1 s only the right side found (grand 3).
inline rula::VideoTimeline timeline()
{
    rula::VideoTimeline t;
    t.videoFile = "task.mp4";
    t.videoSha256 = std::string(64, 'c');
    t.durationSeconds = 1.48;
    t.samplesPerSecond = 2;
    t.defaulted = {rula::Group::WristTwistRight, rula::Group::Legs};
    t.complete = false;
    const auto side = [](int grand, int level, double angle) {
        rula::SideScore s;
        s.scored = true;
        s.confidence = 0.75;
        s.grand = grand;
        s.actionLevel = level;
        for (int p = 0; p < rula::ScoredPartCount; ++p)
            s.parts[std::size_t(p)] = {angle + p, 1 + p % 3, 2 + p % 4, 0.5 + p / 10.0};
        return s;
    };
    rula::ScoredSample first;
    first.frame = 0;
    first.landmarks.found = true;
    first.facing = rula::Facing::Left;
    first.landmarks.at(rula::Side::Right, rula::Landmark::Hip) = rula::FoundLandmark{{640.5, 300.25}, 0.9};
    first.landmarks.at(rula::Side::Left, rula::Landmark::Ear) = rula::FoundLandmark{{-3, 12}, 0.125};
    first.sides = {side(7, 4, -20.5), side(5, 3, 45)};
    rula::ScoredSample missed;
    missed.frame = 15;
    missed.timeSeconds = 0.5;
    rula::ScoredSample half;
    half.frame = 30;
    half.timeSeconds = 1.0;
    half.landmarks.found = true;
    half.sides[0] = side(3, 2, 10);
    half.sides[1].confidence = 0.25;
    half.sides[1].parts[3] = {std::nullopt, 0, 0, 0.25};
    t.samples = {first, missed, half};
    return t;
}

inline Evidence evidence(const QString& textSha256)
{
    Evidence e;
    e.assessmentId = QStringLiteral("6f1c2d3e-0000-4000-8000-00000000002a");
    e.revision = 2;
    e.textSha256 = textSha256;
    e.typed = {QStringLiteral("O'Neil"), QStringLiteral("E-7"), QStringLiteral("Bay 3")};
    e.details = {QStringLiteral("Loading the press"), QDateTime(QDate(2026, 11, 30), QTime(9, 15), QTimeZone(3600)),
                 QStringLiteral("Dana"), QStringLiteral("Baseline"), QStringLiteral("Guard moved 20 cm")};
    e.assessedAt = QDateTime(QDate(2026, 12, 1), QTime(10, 0), QTimeZone(3600));

    EvidencePicture photo = picture(QStringLiteral("workplace"), QStringLiteral("press.png"),
                                    png(40, 30, qRgb(200, 10, 10)), QSize(40, 30));
    photo.facing = QStringLiteral("Right");
    photo.vertical = std::make_pair(QPointF(1, 2), QPointF(1.5, 28));
    photo.seated = true;
    photo.landmarks = {landmark(QStringLiteral("Right"), QStringLiteral("hip"), QPointF(20, 28)),
                       landmark(QStringLiteral("Right"), QStringLiteral("shoulder"), QPointF(20, 10)),
                       landmark(QStringLiteral("Right"), QStringLiteral("elbow"), QPointF(32, 10))};
    // The elbow was suggested a little higher, with a low confidence, and moved.
    photo.landmarks.back().suggestedAt = QPointF(31, 8);
    photo.landmarks.back().confidence = 0.25;
    photo.landmarks.back().moved = true;
    photo.measurements = {
        {QStringLiteral("Upper Arm (Right)"), 90.0, QStringLiteral("Frame4"), 3, QStringLiteral("Frame4"), true}};
    e.pictures.push_back(photo);
    e.pictures.push_back(
        picture(QStringLiteral("extra"), QStringLiteral("side view.jpg"), png(8, 6, qRgb(0, 0, 200)), QSize(8, 6)));
    for (int n = 0; n < 2; ++n) {
        EvidencePicture frame = picture(QStringLiteral("keyframe"), QStringLiteral("task frame %1.png").arg(n),
                                        png(16, 12, qRgb(0, 100 + n, 0)), QSize(16, 12));
        KeyFrame key;
        key.videoFile = QStringLiteral("task.mp4");
        key.videoSha256 = QString(64, QLatin1Char(n ? 'b' : 'a'));
        key.frameNumber = n ? 622 : 312;
        key.pts = n ? 9007199254740993LL : 12480; // the first above 2^53
        key.startPts = -1001;
        key.timeBaseNum = 1;
        key.timeBaseDen = 90000;
        key.timeMs = n ? 24880 : 12480;
        key.reason = n ? QStringLiteral("Greatest force") : QStringLiteral("Longest held");
        key.note = n ? QStringLiteral("trunk bent") : QString();
        key.rotation = n ? 90 : 270;
        key.mirrored = n == 1;
        frame.keyFrame = key;
        if (n == 1) {
            frame.facing = QStringLiteral("Left");
            frame.landmarks = {landmark(QStringLiteral("Left"), QStringLiteral("ear"), QPointF(3, 4))};
            frame.measurements = {
                {QStringLiteral("Neck"), std::nullopt, QString(), 0, QStringLiteral("Frame56"), false}};
        }
        e.pictures.push_back(frame);
    }
    e.history = {{1, QDateTime(QDate(2026, 11, 30), QTime(9, 0), Qt::UTC), QStringLiteral("Dana"),
                  QStringLiteral("2.0"), QStringLiteral("First save.")},
                 {2, QDateTime(QDate(2026, 12, 1), QTime(9, 0), Qt::UTC), QStringLiteral("Lee"), QStringLiteral("2.1"),
                  QStringLiteral("Task: \"\" → \"Loading the press\"\nNotes added")}};
    e.plannedChanges = {{QStringLiteral("Frame2"), QStringLiteral("Select"), 1},
                        {QStringLiteral("Frame9"), QStringLiteral("Untick"), 2}};
    e.timeline = timeline();
    return e;
}

// Compares every field of `a` and `b`, the pictures' bytes only when `bytes`.
inline void compare(const Evidence& a, const Evidence& b, bool bytes)
{
    QCOMPARE(a.assessmentId, b.assessmentId);
    QCOMPARE(a.revision, b.revision);
    QCOMPARE(a.textSha256, b.textSha256);
    QCOMPARE(a.typed.name, b.typed.name);
    QCOMPARE(a.typed.id, b.typed.id);
    QCOMPARE(a.typed.location, b.typed.location);
    QCOMPARE(a.details.task, b.details.task);
    QCOMPARE(a.details.observed, b.details.observed);
    QCOMPARE(a.details.assessor, b.details.assessor);
    QCOMPARE(a.details.phase, b.details.phase);
    QCOMPARE(a.details.notes, b.details.notes);
    QCOMPARE(a.assessedAt, b.assessedAt);
    QCOMPARE(a.pictures.size(), b.pictures.size());
    for (std::size_t i = 0; i < a.pictures.size(); ++i) {
        const EvidencePicture& p = a.pictures[i];
        const EvidencePicture& q = b.pictures[i];
        QCOMPARE(p.role, q.role);
        QCOMPARE(p.fileName, q.fileName);
        QCOMPARE(p.sha256, q.sha256);
        QCOMPARE(p.pixelSize, q.pixelSize);
        if (bytes)
            QCOMPARE(bytesOf(p), bytesOf(q));
        QCOMPARE(p.facing, q.facing);
        QCOMPARE(p.vertical.has_value(), q.vertical.has_value());
        if (p.vertical)
            QVERIFY(*p.vertical == *q.vertical);
        QCOMPARE(p.seated, q.seated);
        QCOMPARE(p.landmarks.size(), q.landmarks.size());
        for (std::size_t l = 0; l < p.landmarks.size(); ++l) {
            QCOMPARE(p.landmarks[l].side, q.landmarks[l].side);
            QCOMPARE(p.landmarks[l].name, q.landmarks[l].name);
            QCOMPARE(p.landmarks[l].at, q.landmarks[l].at);
            QCOMPARE(p.landmarks[l].suggestedAt, q.landmarks[l].suggestedAt);
            QCOMPARE(p.landmarks[l].confidence, q.landmarks[l].confidence);
            QCOMPARE(p.landmarks[l].moved, q.landmarks[l].moved);
        }
        QCOMPARE(p.measurements.size(), q.measurements.size());
        for (std::size_t m = 0; m < p.measurements.size(); ++m) {
            QCOMPARE(p.measurements[m].bodyPart, q.measurements[m].bodyPart);
            QCOMPARE(p.measurements[m].angle, q.measurements[m].angle);
            QCOMPARE(p.measurements[m].band, q.measurements[m].band);
            QCOMPARE(p.measurements[m].score, q.measurements[m].score);
            QCOMPARE(p.measurements[m].appliedBand, q.measurements[m].appliedBand);
            QCOMPARE(p.measurements[m].applied, q.measurements[m].applied);
        }
        QCOMPARE(p.keyFrame.has_value(), q.keyFrame.has_value());
        if (p.keyFrame) {
            const KeyFrame& f = *p.keyFrame;
            const KeyFrame& g = *q.keyFrame;
            QCOMPARE(f.videoFile, g.videoFile);
            QCOMPARE(f.videoSha256, g.videoSha256);
            QCOMPARE(f.frameNumber, g.frameNumber);
            QCOMPARE(f.pts, g.pts);
            QCOMPARE(f.startPts, g.startPts);
            QCOMPARE(f.timeBaseNum, g.timeBaseNum);
            QCOMPARE(f.timeBaseDen, g.timeBaseDen);
            QCOMPARE(f.timeMs, g.timeMs);
            QCOMPARE(f.reason, g.reason);
            QCOMPARE(f.note, g.note);
            QCOMPARE(f.rotation, g.rotation);
            QCOMPARE(f.mirrored, g.mirrored);
        }
    }
    QCOMPARE(a.history.size(), b.history.size());
    for (std::size_t h = 0; h < a.history.size(); ++h) {
        QCOMPARE(a.history[h].revision, b.history[h].revision);
        QCOMPARE(a.history[h].savedUtc, b.history[h].savedUtc);
        QCOMPARE(a.history[h].assessor, b.history[h].assessor);
        QCOMPARE(a.history[h].programVersion, b.history[h].programVersion);
        QCOMPARE(a.history[h].changes, b.history[h].changes);
    }
    const rula::VideoTimeline& t = a.timeline;
    const rula::VideoTimeline& u = b.timeline;
    QCOMPARE(t.videoFile, u.videoFile);
    QCOMPARE(t.videoSha256, u.videoSha256);
    QCOMPARE(t.durationSeconds, u.durationSeconds);
    QCOMPARE(t.samplesPerSecond, u.samplesPerSecond);
    QVERIFY(t.defaulted == u.defaulted);
    QCOMPARE(t.complete, u.complete);
    QCOMPARE(t.samples.size(), u.samples.size());
    for (std::size_t i = 0; i < t.samples.size(); ++i) {
        const rula::ScoredSample& s = t.samples[i];
        const rula::ScoredSample& r = u.samples[i];
        QCOMPARE(s.frame, r.frame);
        QCOMPARE(s.timeSeconds, r.timeSeconds);
        QCOMPARE(s.facing, r.facing);
        QCOMPARE(s.landmarks.found, r.landmarks.found);
        for (const rula::Side side : {rula::Side::Right, rula::Side::Left}) {
            for (int l = 0; l < rula::LandmarkCount; ++l) {
                const auto& x = s.landmarks.at(side, rula::Landmark(l));
                const auto& y = r.landmarks.at(side, rula::Landmark(l));
                QCOMPARE(x.has_value(), y.has_value());
                if (x) {
                    QCOMPARE(x->at.x, y->at.x);
                    QCOMPARE(x->at.y, y->at.y);
                    QCOMPARE(x->confidence, y->confidence);
                }
            }
            const rula::SideScore& p = s.side(side);
            const rula::SideScore& q = r.side(side);
            QCOMPARE(p.scored, q.scored);
            QCOMPARE(p.confidence, q.confidence);
            QCOMPARE(p.grand, q.grand);
            QCOMPARE(p.actionLevel, q.actionLevel);
            for (int part = 0; part < rula::ScoredPartCount; ++part) {
                QCOMPARE(p.parts[std::size_t(part)].angle, q.parts[std::size_t(part)].angle);
                QCOMPARE(p.parts[std::size_t(part)].option, q.parts[std::size_t(part)].option);
                QCOMPARE(p.parts[std::size_t(part)].score, q.parts[std::size_t(part)].score);
                QCOMPARE(p.parts[std::size_t(part)].confidence, q.parts[std::size_t(part)].confidence);
            }
        }
    }
    QCOMPARE(a.plannedChanges.size(), b.plannedChanges.size());
    for (std::size_t c = 0; c < a.plannedChanges.size(); ++c) {
        QCOMPARE(a.plannedChanges[c].option, b.plannedChanges[c].option);
        QCOMPARE(a.plannedChanges[c].kind, b.plannedChanges[c].kind);
        QCOMPARE(a.plannedChanges[c].plannedOnRevision, b.plannedChanges[c].plannedOnRevision);
    }
}

} // namespace filled
