// SPDX-License-Identifier: GPL-3.0-or-later
// Scoring a video's samples from landmarks: skeletons drawn at known angles, scored by hand
// with the published method (McAtamney & Corlett 1993: bands, Tables A, B and C, action
// levels); the time shares and the proposed key frames counted by hand.
#include "OptionCatalogue.h"
#include "VideoScoring.h"

#include <QTest>

#include <cmath>

using rula::AssessmentState;
using rula::Landmark;
using rula::Point;
using rula::SampleLandmarks;
using rula::ScoredPart;
using rula::ScoredSample;
using rula::Side;

namespace {

constexpr double Pi = 3.14159265358979323846;

// `length` pixels from `from` in the direction `clockwise` degrees from straight up on the picture.
Point along(Point from, double clockwise, double length)
{
    const double r = clockwise * Pi / 180.0;
    return Point{from.x + length * std::sin(r), from.y - length * std::cos(r)};
}

// One side's skeleton with the trunk, neck, upper arm, forearm and wrist at the given angles,
// for a worker facing the picture's right (forward is clockwise from up); mirrored for one
// facing left.
void placeSide(SampleLandmarks& sample, Side side, double trunk, double neck, double upperArm, double lowerArm,
               double wrist, bool facingLeft, double confidence = 0.9)
{
    const Point hip{500 + (side == Side::Left ? 8.0 : 0.0), 800};
    const Point shoulder = along(hip, trunk, 300);
    const Point ear = along(shoulder, trunk + neck, 120);
    const double upperDirection = trunk + 180 - upperArm;
    const Point elbow = along(shoulder, upperDirection, 150);
    const double foreDirection = upperDirection - lowerArm;
    const Point wristPoint = along(elbow, foreDirection, 130);
    const Point knuckles = along(wristPoint, foreDirection - wrist, 60);
    const Point points[] = {hip, shoulder, elbow, wristPoint, knuckles, ear};
    for (int l = 0; l < rula::LandmarkCount; ++l) {
        Point p = points[l];
        if (facingLeft)
            p.x = 1000 - p.x;
        sample.at(side, static_cast<Landmark>(l)) = rula::FoundLandmark{p, confidence};
    }
    sample.found = true;
}

// The main window's choice of `number` in `group`.
void choose(AssessmentState& state, rula::Group group, int number)
{
    state.SelectOption(rula::groupInfo(group).firstOption + number - 1);
}

// "angles; options; scores; grand; level" of one side, angles as shown (whole degrees), "-" when not scored.
QString sideLine(const ScoredSample& sample, Side side)
{
    const rula::SideScore& s = sample.side(side);
    if (!s.scored)
        return QStringLiteral("-");
    QStringList angles;
    QStringList bands;
    QStringList scores;
    for (const rula::PartScore& part : s.parts) {
        angles << QString::number(rula::wholeDegrees(*part.angle));
        bands << QString::number(part.option);
        scores << QString::number(part.score);
    }
    return QStringLiteral("%1; %2; %3; %4; %5")
        .arg(angles.join(' '), bands.join(' '), scores.join(' '))
        .arg(s.grand)
        .arg(s.actionLevel);
}

// A sample whose right side (and left, unless "-") has this worst grand score and action level.
ScoredSample gradedSample(int index, const QString& grand)
{
    ScoredSample sample;
    sample.frame = index * 6;
    sample.timeSeconds = index * 0.2;
    if (grand != QLatin1String("-")) {
        sample.sides[0].scored = true;
        sample.sides[0].grand = grand.toInt();
        sample.sides[0].actionLevel = (grand.toInt() + 1) / 2;
    }
    return sample;
}

} // namespace

class TestVideoScoring : public QObject
{
    Q_OBJECT

private slots:
    void scoresASample_data();
    void scoresASample();
    void namesTheGroupsNotChosen();
    void sharesTheScoredTime();
    void proposesTheWorstMoments_data();
    void proposesTheWorstMoments();
};

void TestVideoScoring::scoresASample_data()
{
    QTest::addColumn<QString>("posture"); // trunk neck upper lower wrist, per side "R | L"
    QTest::addColumn<QString>("choices"); // "group=number ..." chosen on the main window
    QTest::addColumn<QString>("change");  // "facing-left", "low-elbow", "no-left-knuckles", "lost", or ""
    QTest::addColumn<QString>("right");
    QTest::addColumn<QString>("left");

    // Upright, arms hanging, forearm at 80°, wrists straight, neck 5°: every band 1. With
    // nothing chosen: wrist twist 1, legs 1, muscle 0, force 0. Table A 1, Table B 1,
    // C = D = 1, Table C 1: level 1.
    QTest::newRow("upright") << "0 5 0 80 0 | 0 5 0 80 0"
                             << ""
                             << ""
                             << "0 80 0 5 0; 1 1 1 1 1; 1 1 1 1 1; 1; 1"
                             << "0 80 0 5 0; 1 1 1 1 1; 1 1 1 1 1; 1; 1";
    // Trunk 30° (band 3, score 3), neck 25° (band 3, score 3), upper arm 100° (band 5, score
    // 4), forearm 120° (band 2, score 2), wrist 20° up (band 3, score 3). Table A(4,2,3,1) = 4
    // = C; Table B(3,3,1) = 4 = D; Table C(4,4) = 4: level 2. The left arm at 50°, 90°, 10°:
    // upper 3, lower 1, wrist 2; Table A(3,1,2,1) = 4; grand Table C(4,4) = 4.
    QTest::newRow("bent") << "30 25 100 120 20 | 30 25 50 90 10"
                          << ""
                          << ""
                          << "100 120 20 25 30; 5 2 3 3 3; 4 2 3 3 3; 4; 2"
                          << "50 90 10 25 30; 4 1 2 3 3; 3 1 2 3 3; 4; 2";
    QTest::newRow("bent, facing left") << "30 25 100 120 20 | 30 25 50 90 10"
                                       << ""
                                       << "facing-left"
                                       << "100 120 20 25 30; 5 2 3 3 3; 4 2 3 3 3; 4; 2"
                                       << "50 90 10 25 30; 4 1 2 3 3; 3 1 2 3 3; 4; 2";
    // The same posture with the right shoulder raised (+1: upper arm 5), the right arm's
    // muscle use static (+1) and force 2-10 kg static (+2), legs unsupported (2), the lower
    // body's muscle use static (+1). Right: Table A(5,2,3,1) = 6, C = 6+1+2 = 9 (row 8+);
    // Table B(3,3,2) = 5, D = 5+1+0 = 6; Table C(8+,6) = 7: level 4. Left (its muscle and
    // force not chosen: 0): C = 4, D = 6, Table C(4,6) = 6: level 3.
    QTest::newRow("chosen on Main") << "30 25 100 120 20 | 30 25 50 90 10"
                                    << "UpperArmRight=6 MuscleRightUpper=1 ForceRightUpper=3 Legs=2 MuscleLower=1"
                                    << ""
                                    << "100 120 20 25 30; 5 2 3 3 3; 5 2 3 3 3; 7; 4"
                                    << "50 90 10 25 30; 4 1 2 3 3; 3 1 2 3 3; 6; 3";
    // Neck extended 15° (band 4, score 4), forearm 40° (band 2, score 2),
    // wrist 10° down (band 2, score 2): Table A(1,2,2,1) = 2; Table C(2,5)
    // = 4: level 2. Ears behind the shoulders would turn the facing, so the trunk leans 18°
    // (band 2, score 2) and the ears stay ahead: Table B(4,2,1) = 5.
    QTest::newRow("neck extended") << "18 -15 0 40 -10 | 18 -15 0 40 -10"
                                   << ""
                                   << ""
                                   << "0 40 -10 -15 18; 1 2 2 4 2; 1 2 2 4 2; 4; 2"
                                   << "0 40 -10 -15 18; 1 2 2 4 2; 1 2 2 4 2; 4; 2";
    // A landmark below the trusted confidence: that side is a gap, the other is scored.
    QTest::newRow("doubtful elbow") << "0 5 0 80 0 | 0 5 0 80 0"
                                    << ""
                                    << "low-elbow"
                                    << "-"
                                    << "0 80 0 5 0; 1 1 1 1 1; 1 1 1 1 1; 1; 1";
    QTest::newRow("left knuckles not found") << "0 5 0 80 0 | 0 5 0 80 0"
                                             << ""
                                             << "no-left-knuckles"
                                             << "0 80 0 5 0; 1 1 1 1 1; 1 1 1 1 1; 1; 1"
                                             << "-";
    QTest::newRow("worker lost") << "0 5 0 80 0 | 0 5 0 80 0"
                                 << ""
                                 << "lost"
                                 << "-"
                                 << "-";
}

void TestVideoScoring::scoresASample()
{
    QFETCH(QString, posture);
    QFETCH(QString, choices);
    QFETCH(QString, change);
    QFETCH(QString, right);
    QFETCH(QString, left);

    SampleLandmarks sample;
    const QStringList sides = posture.split(QStringLiteral(" | "));
    for (int s = 0; s < 2; ++s) {
        const QStringList a = sides[s].split(' ');
        placeSide(sample, static_cast<Side>(s), a[0].toDouble(), a[1].toDouble(), a[2].toDouble(), a[3].toDouble(),
                  a[4].toDouble(), change == QLatin1String("facing-left"));
    }
    if (change == QLatin1String("low-elbow"))
        sample.at(Side::Right, Landmark::Elbow)->confidence = 0.3;
    if (change == QLatin1String("no-left-knuckles"))
        sample.at(Side::Left, Landmark::Knuckles).reset();
    if (change == QLatin1String("lost"))
        sample = SampleLandmarks{};

    AssessmentState assessor;
    for (const QString& choice : choices.split(' ', Qt::SkipEmptyParts)) {
        const QStringList parts = choice.split('=');
        bool known = false;
        for (const rula::GroupInfo& group : rula::groups()) {
            if (QString::fromUtf8(group.scoreVariable.data(), static_cast<int>(group.scoreVariable.size())) ==
                parts[0]) {
                choose(assessor, group.group, parts[1].toInt());
                known = true;
            }
        }
        QVERIFY2(known, qPrintable(parts[0]));
    }

    const ScoredSample scored = rula::scoreSample(30, 1.0, sample, rula::unseenChoices(assessor).state);
    QCOMPARE(scored.frame, 30);
    QCOMPARE(sideLine(scored, Side::Right), right);
    QCOMPARE(sideLine(scored, Side::Left), left);
    if (change == QLatin1String("low-elbow")) {
        // The doubt is carried to the parts measured from that elbow and to the side.
        QCOMPARE(scored.side(Side::Right).part(ScoredPart::LowerArm).confidence, 0.3);
        QCOMPARE(scored.side(Side::Right).part(ScoredPart::Trunk).confidence, 0.9);
        QCOMPARE(scored.side(Side::Right).confidence, 0.3);
    }
}

void TestVideoScoring::namesTheGroupsNotChosen()
{
    AssessmentState assessor;
    choose(assessor, rula::Group::Legs, 2);
    choose(assessor, rula::Group::ForceLower, 3);
    const rula::UnseenChoices unseen = rula::unseenChoices(assessor);
    // The arms, wrists, neck and trunk come from the video and are never named; legs and
    // the lower body's force were chosen.
    QCOMPARE(QString::fromStdString(rula::defaultedText(unseen.defaulted)),
             QStringLiteral("Wrist Twist Right, Wrist Twist Left, Muscle Right Upper, Muscle Left Upper, "
                            "Muscle Lower, Force Right Upper, Force Left Upper"));
    // Each at its lowest: twist 1, muscle use 0 (not mainly static), force 0 (under 2 kg).
    QCOMPARE(unseen.state.score(rula::Group::WristTwistRight), 1);
    QCOMPARE(unseen.state.score(rula::Group::MuscleLower), 0);
    QCOMPARE(unseen.state.score(rula::Group::ForceRightUpper), 0);
    QCOMPARE(unseen.state.score(rula::Group::Legs), 2);
    QCOMPARE(unseen.state.score(rula::Group::ForceLower), 2);
}

void TestVideoScoring::sharesTheScoredTime()
{
    // Right side levels 1 1 2 3 3 3 4 and one gap: 7 scored samples, 2/7 = 28.6 %, 1/7 =
    // 14.3 %, 3/7 = 42.9 %, 1/7 = 14.3 %; whole percents 28 14 42 14 leave 2, given to the
    // largest remainders (level 3's .9, then level 1's .6). The left side is never found.
    std::vector<ScoredSample> samples;
    const QStringList grands{"1", "2", "3", "5", "6", "5", "7", "-"};
    for (int i = 0; i < grands.size(); ++i)
        samples.push_back(gradedSample(i, grands[i]));
    QCOMPARE(QString::fromStdString(rula::sharesText(samples, Side::Right)),
             QStringLiteral("Right side: level 1 29 %, level 2 14 %, level 3 43 %, level 4 14 %"));
    QCOMPARE(QString::fromStdString(rula::sharesText(samples, Side::Left)),
             QStringLiteral("Left side: not found in any sample"));
}

void TestVideoScoring::proposesTheWorstMoments_data()
{
    QTest::addColumn<QString>("grands"); // the worse side's grand score per sample, 0.2 s apart; "-" not found
    QTest::addColumn<QString>("proposed");

    // Peaks: samples 1-3 (5, middle 2, 0.4 s), 5 (6, 1.0 s), 8 (6 after a gap, 1.6 s), 10 (7,
    // 2.0 s), 13 (4, 2.6 s). Highest first: 10; 5 is 1.0 s from it; 8, 2 and 13 are each
    // within a second of one already taken.
    QTest::newRow("close peaks") << "3 5 5 5 3 6 4 - 6 2 7 3 3 4 3"
                                 << "10 5";
    // Seven peaks 1.2 s apart: the five highest, highest first, equal ones in time order.
    QTest::newRow("at most five") << "5 1 1 1 1 1 6 1 1 1 1 1 4 1 1 1 1 1 7 1 1 1 1 1 3 1 1 1 1 1 6 1 1 1 1 1 2"
                                  << "18 6 30 0 12";
    // A plateau stands as its middle sample.
    QTest::newRow("plateau") << "3 6 6 6 6 3"
                             << "2";
    QTest::newRow("nothing found") << "- - -"
                                   << "";
}

void TestVideoScoring::proposesTheWorstMoments()
{
    QFETCH(QString, grands);
    QFETCH(QString, proposed);
    std::vector<ScoredSample> samples;
    const QStringList values = grands.split(' ');
    for (int i = 0; i < values.size(); ++i)
        samples.push_back(gradedSample(i, values[i]));
    QStringList chosen;
    for (std::size_t index : rula::proposedKeyFrames(samples))
        chosen << QString::number(index);
    QCOMPARE(chosen.join(' '), proposed);
}

QTEST_GUILESS_MAIN(TestVideoScoring)
#include "tst_videoscoring.moc"
