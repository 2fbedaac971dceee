// SPDX-License-Identifier: GPL-3.0-or-later
// The posture geometry on points with known angles, and the RULA bands (McAtamney &
// Corlett 1993) on both sides of every limit. Expected bands and scores are typed from the
// published method, not read from the program's table.
#include "BandLimits.h"
#include "PostureAngles.h"

#include <QTest>

#include <cmath>

using rula::AngleKind;
using rula::BodyPart;
using rula::Facing;
using rula::Point;

Q_DECLARE_METATYPE(rula::Point)
Q_DECLARE_METATYPE(rula::Facing)
Q_DECLARE_METATYPE(rula::AngleKind)
Q_DECLARE_METATYPE(rula::BodyPart)
Q_DECLARE_METATYPE(rula::PictureMeasurements)

namespace {

constexpr double Pi = 3.14159265358979323846;

// A point `length` pixels from `from` in the direction `degrees` from straight down,
// turned towards the picture's right (y grows downwards on a picture).
Point fromDown(Point from, double degrees, double length)
{
    const double r = degrees * Pi / 180.0;
    return Point{from.x + length * std::sin(r), from.y + length * std::cos(r)};
}

// The same from straight up, turned towards the right.
Point fromUp(Point from, double degrees, double length)
{
    const double r = degrees * Pi / 180.0;
    return Point{from.x + length * std::sin(r), from.y - length * std::cos(r)};
}

Point mirrored(Point p)
{
    return Point{1000 - p.x, p.y};
}

constexpr double Tolerance = 1e-9;
constexpr double NoAngle = 999;
const Point Up{0, -1};

// A picture of a worker facing `facing` whose right side has the given landmarks.
rula::PictureMeasurements rightSide(Facing facing, std::initializer_list<std::pair<rula::Landmark, Point>> landmarks)
{
    rula::PictureMeasurements sheet;
    sheet.setPicture("worker.jpg");
    sheet.facing = facing;
    for (const auto& [landmark, at] : landmarks)
        sheet.side(rula::Side::Right)[landmark] = at;
    return sheet;
}

} // namespace

class TestPostureAngles : public QObject
{
    Q_OBJECT
private slots:
    void upperArm_data();
    void upperArm();
    void upperArmFromALeaningTrunk();
    void lowerArm_data();
    void lowerArm();
    void wrist_data();
    void wrist();
    void neckAndTrunk_data();
    void neckAndTrunk();
    void tiltedVerticalReference();
    void readings_data();
    void readings();
    void oneSkeletonGivesEveryAngle();
    void verticalReferenceRefusals();
    void zeroRuleNotesComeFromTheTable();
    void bands_data();
    void bands();
    void borderline_data();
    void borderline();
    void borderlineNoteText();
    void partStatesFollowTheBand();
};

void TestPostureAngles::upperArm_data()
{
    QTest::addColumn<double>("degrees");
    QTest::addColumn<Point>("elbow");
    QTest::addColumn<double>("flexion");
    // Hip (500, 600), shoulder (500, 300): an upright trunk; the elbow 200 pixels from the
    // shoulder. For the worker facing right, forward is towards the picture's right.
    const Point shoulder{500, 300};
    QTest::newRow("hanging") << 0.0 << Point{500, 500} << 0.0;
    QTest::newRow("forward, right angle") << 90.0 << Point{700, 300} << 90.0;
    QTest::newRow("backward, right angle") << -90.0 << Point{300, 300} << -90.0;
    QTest::newRow("straight up") << 180.0 << Point{500, 100} << 180.0;
    // Raised past the trunk line overhead: still flexion, not 176° of extension.
    QTest::newRow("overhead, past the trunk line") << 184.0 << fromDown(shoulder, 184, 200) << 184.0;
    QTest::newRow("far overhead") << 210.0 << fromDown(shoulder, 210, 200) << 210.0;
    for (double d : {20.0, 45.0, 100.0, -20.0, -45.0, -60.0})
        QTest::addRow("%g degrees", d) << d << fromDown(shoulder, d, 200) << d;
}

void TestPostureAngles::upperArm()
{
    QFETCH(Point, elbow);
    QFETCH(double, flexion);
    const Point hip{500, 600};
    const Point shoulder{500, 300};
    QVERIFY(std::abs(rula::upperArmAngle(hip, shoulder, elbow, Facing::Right) - flexion) < Tolerance);
    // The same worker photographed from the other side faces left.
    QVERIFY(std::abs(rula::upperArmAngle(mirrored(hip), mirrored(shoulder), mirrored(elbow), Facing::Left) - flexion) <
            Tolerance);
    // Facing the wrong way turns a moderate flexion into extension.
    if (flexion != 0 && std::abs(flexion) < 90)
        QVERIFY(std::abs(rula::upperArmAngle(hip, shoulder, elbow, Facing::Left) + flexion) < Tolerance);
}

void TestPostureAngles::upperArmFromALeaningTrunk()
{
    // Trunk leaning 45° forward, the arm hanging straight down: 45° of flexion from the trunk.
    QVERIFY(std::abs(rula::upperArmAngle({100, 300}, {200, 200}, {200, 400}, Facing::Right) - 45) < Tolerance);
    // Arm in line with the leaning trunk: no flexion.
    QVERIFY(std::abs(rula::upperArmAngle({100, 300}, {200, 200}, {300, 100}, Facing::Right) - 180) < Tolerance);
    QVERIFY(std::abs(rula::upperArmAngle({100, 300}, {200, 200}, {100, 300}, Facing::Right)) < Tolerance);
}

void TestPostureAngles::lowerArm_data()
{
    QTest::addColumn<Point>("wrist");
    QTest::addColumn<double>("flexion");
    // Shoulder (500, 100), elbow (500, 300): the upper arm hanging.
    const Point elbow{500, 300};
    QTest::newRow("straight") << Point{500, 500} << 0.0;
    QTest::newRow("right angle forward") << Point{700, 300} << 90.0;
    QTest::newRow("right angle backward") << Point{300, 300} << 90.0;
    QTest::newRow("60 degrees") << fromDown(elbow, 60, 150) << 60.0;
    QTest::newRow("100 degrees") << fromDown(elbow, 100, 150) << 100.0;
    QTest::newRow("100 degrees, other way") << fromDown(elbow, -100, 150) << 100.0;
    QTest::newRow("20 degrees") << fromDown(elbow, 20, 150) << 20.0;
    QTest::newRow("fully folded") << Point{500, 150} << 180.0;
}

void TestPostureAngles::lowerArm()
{
    QFETCH(Point, wrist);
    QFETCH(double, flexion);
    QVERIFY(std::abs(rula::lowerArmAngle({500, 100}, {500, 300}, wrist) - flexion) < 1e-6);
}

void TestPostureAngles::wrist_data()
{
    QTest::addColumn<Facing>("facing");
    QTest::addColumn<Point>("elbow");
    QTest::addColumn<Point>("knuckles");
    QTest::addColumn<double>("deviation");
    // Wrist at (500, 300), the forearm pointing forward.
    const Point wrist{500, 300};
    QTest::newRow("straight") << Facing::Right << Point{300, 300} << Point{600, 300} << 0.0;
    QTest::newRow("20 up") << Facing::Right << Point{300, 300} << fromUp(wrist, 70, 100) << 20.0;
    QTest::newRow("20 down") << Facing::Right << Point{300, 300} << fromDown(wrist, 70, 100) << -20.0;
    QTest::newRow("45 up") << Facing::Right << Point{300, 300} << fromUp(wrist, 45, 100) << 45.0;
    QTest::newRow("right angle up") << Facing::Right << Point{300, 300} << Point{500, 200} << 90.0;
    QTest::newRow("facing left, 20 up") << Facing::Left << Point{700, 300} << fromUp(wrist, -70, 100) << 20.0;
    QTest::newRow("facing left, 15 down") << Facing::Left << Point{700, 300} << fromDown(wrist, -75, 100) << -15.0;
}

void TestPostureAngles::wrist()
{
    QFETCH(Facing, facing);
    QFETCH(Point, elbow);
    QFETCH(Point, knuckles);
    QFETCH(double, deviation);
    QVERIFY(std::abs(rula::wristAngle(elbow, {500, 300}, knuckles, facing) - deviation) < 1e-6);
}

void TestPostureAngles::neckAndTrunk_data()
{
    QTest::addColumn<double>("degrees");
    for (double d : {0.0, 10.0, 20.0, 45.0, 60.0, 90.0, -15.0})
        QTest::addRow("%g", d) << d;
}

void TestPostureAngles::neckAndTrunk()
{
    QFETCH(double, degrees);
    // Trunk: hip (500, 600), shoulder 300 pixels away, leaning `degrees` forward.
    const Point hip{500, 600};
    const Point shoulder = fromUp(hip, degrees, 300);
    QVERIFY(std::abs(rula::trunkAngle(hip, shoulder, Up, Facing::Right) - degrees) < 1e-6);
    QVERIFY(std::abs(rula::trunkAngle(mirrored(hip), mirrored(shoulder), Up, Facing::Left) - degrees) < 1e-6);
    // Neck from an upright trunk line: shoulder (500, 300), ear 80 pixels away.
    const Point neckBase{500, 300};
    const Point ear = fromUp(neckBase, degrees, 80);
    QVERIFY(std::abs(rula::neckAngle(hip, neckBase, ear, Facing::Right) - degrees) < 1e-6);
    QVERIFY(std::abs(rula::neckAngle(mirrored(hip), mirrored(neckBase), mirrored(ear), Facing::Left) - degrees) < 1e-6);
    // The neck from a leaning trunk: 20° of trunk flexion and the ear `degrees` further on.
    const Point leaning = fromUp(hip, 20, 300);
    QVERIFY(std::abs(rula::neckAngle(hip, leaning, fromUp(leaning, 20 + degrees, 80), Facing::Right) - degrees) < 1e-6);
}

void TestPostureAngles::tiltedVerticalReference()
{
    // The camera was rolled: a door frame that is vertical in the room runs 5° to the right
    // of the picture's vertical, bottom (200, 800) to top (200 + 700 tan 5°, 100).
    const Point bottom{200, 800};
    const Point top{200 + 700 * std::tan(5 * Pi / 180), 100};
    const Point hip{500, 600};
    // 25° from the picture's vertical is 20° from the room's; either end may come first.
    const Point shoulder = fromUp(hip, 25, 300);
    for (const auto& line : {std::array<Point, 2>{bottom, top}, std::array<Point, 2>{top, bottom}}) {
        const Point up = rula::upDirection(line);
        QVERIFY(std::abs(rula::trunkAngle(hip, shoulder, up, Facing::Right) - 20) < 1e-6);
        // Upright in the room reads 0°.
        QVERIFY(std::abs(rula::trunkAngle(hip, fromUp(hip, 5, 300), up, Facing::Right)) < 1e-6);
        // Facing left, 5° left of the picture's vertical is 10° of flexion.
        QVERIFY(std::abs(rula::trunkAngle(hip, fromUp(hip, -5, 300), up, Facing::Left) - 10) < 1e-6);
    }
}

// Every fault found in use, each as the posture that showed it: the angle and the score the
// published method gives it (or none where nothing can be measured), and the note shown.
void TestPostureAngles::readings_data()
{
    QTest::addColumn<rula::PictureMeasurements>("sheet");
    QTest::addColumn<BodyPart>("part");
    QTest::addColumn<double>("angle"); // NoAngle: none
    QTest::addColumn<int>("score");    // 0: none
    QTest::addColumn<QString>("note"); // a part of the problem, facing note or borderline note; empty: none
    using L = rula::Landmark;
    const Point hip{500, 600};
    const Point shoulder{500, 300};
    const auto arm = [&](Facing facing, double flexion) {
        return rightSide(facing,
                         {{L::Hip, hip}, {L::Shoulder, shoulder}, {L::Elbow, fromDown(shoulder, flexion, 200)}});
    };

    // 1. An upper arm raised overhead is flexed more than 90°: 4. A shoulder extends to about 60°.
    QTest::newRow("1 overhead 184") << arm(Facing::Right, 184) << BodyPart::UpperArmRight << 184.0 << 4 << "";
    QTest::newRow("1 overhead 176") << arm(Facing::Right, 176) << BodyPart::UpperArmRight << 176.0 << 4 << "";
    QTest::newRow("1 extended 50") << arm(Facing::Right, -50) << BodyPart::UpperArmRight << -50.0 << 2 << "";

    // 2. The neck is always measured from the trunk line: trunk 20° forward, the ear 25° from
    // the vertical is 3° of neck flexion (0-10°: 1); without the hip there is no neck angle.
    const Point leaning = fromUp(hip, 20, 300);
    QTest::newRow("2 neck from the trunk")
        << rightSide(Facing::Right, {{L::Hip, hip}, {L::Shoulder, leaning}, {L::Ear, fromUp(leaning, 23, 80)}})
        << BodyPart::Neck << 3.0 << 1 << "";
    QTest::newRow("2 neck without the hip")
        << rightSide(Facing::Right, {{L::Shoulder, leaning}, {L::Ear, fromUp(leaning, 25, 80)}}) << BodyPart::Neck
        << NoAngle << 0 << "";

    // 3. Points too close to give a direction give no angle and say why.
    QTest::newRow("3 shoulder on the hip") << rightSide(Facing::Right, {{L::Hip, hip}, {L::Shoulder, hip}})
                                           << BodyPart::Trunk << NoAngle << 0 << "too close";
    QTest::newRow("3 one-pixel upper arm")
        << rightSide(Facing::Right, {{L::Hip, hip}, {L::Shoulder, shoulder}, {L::Elbow, Point{501, 300}}})
        << BodyPart::UpperArmRight << NoAngle << 0 << "too close";
    QTest::newRow("3 twenty pixels are enough")
        << rightSide(Facing::Right, {{L::Hip, hip}, {L::Shoulder, shoulder}, {L::Elbow, fromDown(shoulder, 70, 20)}})
        << BodyPart::UpperArmRight << 70.0 << 3 << "";

    // 4. No facing chosen: nothing that depends on it is measured. A reading implausible for
    // the chosen facing asks to check it: a worker facing left, measured as facing right.
    QTest::newRow("4 facing unset") << arm(Facing::Unset, 60) << BodyPart::UpperArmRight << NoAngle << 0
                                    << "which way the worker faces";
    QTest::newRow("4 arm flexed 70, wrong facing")
        << arm(Facing::Right, -70) << BodyPart::UpperArmRight << -70.0 << 2 << "check which way";
    QTest::newRow("4 arm flexed 70, facing left")
        << arm(Facing::Left, -70) << BodyPart::UpperArmRight << 70.0 << 3 << "";
    QTest::newRow("4 neck flexed 35, wrong facing")
        << rightSide(Facing::Right, {{L::Hip, hip}, {L::Shoulder, shoulder}, {L::Ear, fromUp(shoulder, -35, 80)}})
        << BodyPart::Neck << -35.0 << 4 << "check which way";
    QTest::newRow("4 lower arm needs no facing")
        << rightSide(Facing::Unset, {{L::Shoulder, Point{500, 100}}, {L::Elbow, shoulder}, {L::Wrist, Point{700, 300}}})
        << BodyPart::LowerArmRight << 90.0 << 1 << "";

    // 5. One "0°" rule: half a degree of neck extension is a click's error, not extension.
    const auto neck = [&](double degrees) {
        return rightSide(Facing::Right,
                         {{L::Hip, hip}, {L::Shoulder, shoulder}, {L::Ear, fromUp(shoulder, degrees, 150)}});
    };
    QTest::newRow("5 neck -0.5") << neck(-0.5) << BodyPart::Neck << -0.5 << 1 << "";
    QTest::newRow("5 neck -2") << neck(-2) << BodyPart::Neck << -2.0 << 1 << "";
    QTest::newRow("5 neck -3") << neck(-3) << BodyPart::Neck << -3.0 << 4 << "";

    // 6. 0° is the middle of the neutral band: no borderline note; 16° is near the 20° limit.
    const auto trunk = [&](double degrees) {
        return rightSide(Facing::Right, {{L::Hip, hip}, {L::Shoulder, fromUp(hip, degrees, 300)}});
    };
    QTest::newRow("6 trunk 0") << trunk(0) << BodyPart::Trunk << 0.0 << 1 << "";
    QTest::newRow("6 trunk 16") << trunk(16) << BodyPart::Trunk << 16.0 << 2 << "between score 2 and 3";
    QTest::newRow("6 wrist 0") << rightSide(Facing::Right, {{L::Elbow, Point{300, 300}},
                                                            {L::Wrist, shoulder},
                                                            {L::Knuckles, Point{600, 300}}})
                               << BodyPart::WristRight << 0.0 << 1 << "";

    // 7. A "vertical" far from the picture's vertical is not used.
    rula::PictureMeasurements flat = trunk(0);
    flat.verticalReference = std::array<Point, 2>{Point{100, 500}, Point{900, 480}};
    QTest::newRow("7 nearly horizontal vertical") << flat << BodyPart::Trunk << NoAngle << 0 << "from the picture's";

    // 8. Seated with the trunk well supported: the method's trunk score 1, reclined or not.
    rula::PictureMeasurements reclined = trunk(-15);
    QTest::newRow("8 reclined 15, standing") << reclined << BodyPart::Trunk << -15.0 << 2 << "between score 2 and 3";
    reclined.seatedSupported = true;
    QTest::newRow("8 reclined 15, seated and supported") << reclined << BodyPart::Trunk << -15.0 << 1 << "";
}

void TestPostureAngles::readings()
{
    QFETCH(rula::PictureMeasurements, sheet);
    QFETCH(BodyPart, part);
    QFETCH(double, angle);
    QFETCH(int, score);
    QFETCH(QString, note);
    const rula::Reading reading = rula::readPart(sheet, part);
    const QString notes = QString::fromStdString(reading.problem + "|" + reading.facingNote + "|" +
                                                 (reading.borderline ? rula::borderlineNote(*reading.borderline) : ""));
    if (angle == NoAngle) {
        QVERIFY2(!reading.angle, qPrintable(QString::number(reading.angle.value_or(0))));
        QCOMPARE(reading.optionIndex, -1);
        QCOMPARE(reading.state, rula::PartState::NotMeasured);
    } else {
        QVERIFY2(reading.angle, qPrintable(notes));
        QVERIFY2(std::abs(*reading.angle - angle) < 1e-6, qPrintable(QString::number(*reading.angle)));
        QCOMPARE(rula::options()[std::size_t(reading.optionIndex)].value, score);
        QCOMPARE(rula::options()[std::size_t(reading.optionIndex)].group, rula::bodyPartInfo(part).group);
        QCOMPARE(reading.state, rula::PartState::Measured);
    }
    if (note.isEmpty())
        QCOMPARE(notes, QStringLiteral("||"));
    else
        QVERIFY2(notes.contains(note), qPrintable(notes));
}

void TestPostureAngles::oneSkeletonGivesEveryAngle()
{
    // One side marked once: trunk 20° forward, upper arm 45° from it, forearm 80°, hand 10°
    // up, neck 15° from the trunk.
    using L = rula::Landmark;
    const Point hip{500, 600};
    const Point shoulder = fromUp(hip, 20, 300);
    // Straight down the trunk line is -20° from the picture's down.
    const Point elbow = fromDown(shoulder, -20 + 45, 200);
    const Point wrist = fromDown(elbow, -20 + 45 + 80, 180);
    const Point knuckles = fromDown(wrist, -20 + 45 + 80 + 10, 60);
    rula::PictureMeasurements sheet = rightSide(Facing::Right, {{L::Hip, hip},
                                                                {L::Shoulder, shoulder},
                                                                {L::Elbow, elbow},
                                                                {L::Wrist, wrist},
                                                                {L::Knuckles, knuckles},
                                                                {L::Ear, fromUp(shoulder, 35, 80)}});
    const std::pair<BodyPart, double> expected[] = {{BodyPart::Trunk, 20},
                                                    {BodyPart::UpperArmRight, 45},
                                                    {BodyPart::LowerArmRight, 80},
                                                    {BodyPart::WristRight, 10},
                                                    {BodyPart::Neck, 15}};
    for (const auto& [part, degrees] : expected) {
        const rula::Reading reading = rula::readPart(sheet, part);
        QVERIFY(reading.angle);
        QVERIFY2(std::abs(*reading.angle - degrees) < 1e-6, qPrintable(QString::number(*reading.angle)));
    }
    // The left side asks for its landmarks in chain order.
    const rula::Reading left = rula::readPart(sheet, BodyPart::UpperArmLeft);
    QVERIFY(!left.angle);
    QCOMPARE(left.missing, (std::vector<L>{L::Hip, L::Shoulder, L::Elbow}));
    // Moving the shoulder moves every angle that uses it: the trunk upright now.
    sheet.side(rula::Side::Right)[L::Shoulder] = fromUp(hip, 0, 300);
    QVERIFY(std::abs(*rula::readPart(sheet, BodyPart::Trunk).angle) < 1e-6);
    QVERIFY(std::abs(*rula::readPart(sheet, BodyPart::Neck).angle - 15) > 1);
    QVERIFY(std::abs(*rula::readPart(sheet, BodyPart::UpperArmRight).angle - 45) > 1);
    QVERIFY(std::abs(*rula::readPart(sheet, BodyPart::LowerArmRight).angle - 80) > 1);
}

void TestPostureAngles::verticalReferenceRefusals()
{
    // 30° from the picture's vertical is still taken, 31° is not, nor a line of 10 pixels.
    const Point bottom{500, 800};
    QVERIFY(rula::verticalReferenceRefusal(bottom, fromUp(bottom, 30, 400)).empty());
    QVERIFY(rula::verticalReferenceRefusal(fromUp(bottom, -30, 400), bottom).empty());
    QVERIFY(!rula::verticalReferenceRefusal(bottom, fromUp(bottom, 31, 400)).empty());
    QVERIFY(!rula::verticalReferenceRefusal(bottom, fromUp(bottom, -31, 400)).empty());
    QVERIFY(!rula::verticalReferenceRefusal(bottom, fromUp(bottom, 0, 10)).empty());
    QCOMPARE(QString::fromStdString(rula::verticalReferenceRefusal(bottom, fromUp(bottom, 89, 400))),
             QString::fromUtf8("This line is 89° from the picture's vertical; a vertical reference may lean at most "
                               "30° from it. It is not used: draw a line that is vertical in the workplace."));
}

void TestPostureAngles::zeroRuleNotesComeFromTheTable()
{
    QCOMPARE(rula::zeroTolerance(), 2);
    QCOMPARE(QString::fromStdString(rula::zeroRuleNote(AngleKind::Wrist)),
             QString::fromUtf8("The wrist counts as straight (0°, score 1) within ±2° of the forearm line; any more "
                               "is bent."));
    QCOMPARE(QString::fromStdString(rula::zeroRuleNote(AngleKind::Trunk)),
             QString::fromUtf8("The trunk counts as upright (0°, score 1) within ±2° of the vertical; any more is "
                               "flexed or leaning back."));
    QCOMPARE(QString::fromStdString(rula::zeroRuleNote(AngleKind::Neck)),
             QString::fromUtf8("The neck counts as not extended (0°) within ±2° of the trunk line; any more "
                               "extension scores 4."));
    QVERIFY(rula::zeroRuleNote(AngleKind::UpperArm).empty());
}

void TestPostureAngles::bands_data()
{
    QTest::addColumn<AngleKind>("kind");
    QTest::addColumn<rula::Group>("group");
    QTest::addColumn<double>("degrees");
    QTest::addColumn<int>("option");
    QTest::addColumn<int>("score");
    const auto row = [](const char* name, AngleKind kind, rula::Group group, double degrees, int option, int score) {
        QTest::addRow("%s %g", name, degrees) << kind << group << degrees << option << score;
    };
    // Upper arm: 20° extension to 20° flexion 1; extension over 20° 2; 20-45° 2; 45-90° 3; over 90° 4.
    using G = rula::Group;
    for (G g : {G::UpperRight, G::UpperLeft}) {
        const char* n = g == G::UpperRight ? "upper arm right" : "upper arm left";
        row(n, AngleKind::UpperArm, g, -60, 2, 2);
        row(n, AngleKind::UpperArm, g, -21, 2, 2);
        row(n, AngleKind::UpperArm, g, -20, 1, 1);
        row(n, AngleKind::UpperArm, g, 0, 1, 1);
        row(n, AngleKind::UpperArm, g, 20, 1, 1);
        row(n, AngleKind::UpperArm, g, 20.4, 1, 1);
        row(n, AngleKind::UpperArm, g, 20.6, 3, 2);
        row(n, AngleKind::UpperArm, g, 21, 3, 2);
        row(n, AngleKind::UpperArm, g, 45, 3, 2);
        row(n, AngleKind::UpperArm, g, 46, 4, 3);
        row(n, AngleKind::UpperArm, g, 90, 4, 3);
        row(n, AngleKind::UpperArm, g, 91, 5, 4);
        row(n, AngleKind::UpperArm, g, 170, 5, 4);
        row(n, AngleKind::UpperArm, g, 184, 5, 4);
    }
    // Lower arm: 60-100° 1; under 60° or over 100° 2.
    for (G g : {G::LowerRight, G::LowerLeft}) {
        const char* n = g == G::LowerRight ? "lower arm right" : "lower arm left";
        row(n, AngleKind::LowerArm, g, 0, 2, 2);
        row(n, AngleKind::LowerArm, g, 59, 2, 2);
        row(n, AngleKind::LowerArm, g, 60, 1, 1);
        row(n, AngleKind::LowerArm, g, 80, 1, 1);
        row(n, AngleKind::LowerArm, g, 100, 1, 1);
        row(n, AngleKind::LowerArm, g, 101, 2, 2);
        row(n, AngleKind::LowerArm, g, 150, 2, 2);
    }
    // Wrist: straight (within 2°) 1; up to 15° up or down 2; over 15° 3.
    for (G g : {G::WristRight, G::WristLeft}) {
        const char* n = g == G::WristRight ? "wrist right" : "wrist left";
        row(n, AngleKind::Wrist, g, 0, 1, 1);
        row(n, AngleKind::Wrist, g, 2, 1, 1);
        row(n, AngleKind::Wrist, g, -2, 1, 1);
        row(n, AngleKind::Wrist, g, 3, 2, 2);
        row(n, AngleKind::Wrist, g, -3, 2, 2);
        row(n, AngleKind::Wrist, g, 15, 2, 2);
        row(n, AngleKind::Wrist, g, -15, 2, 2);
        row(n, AngleKind::Wrist, g, 16, 3, 3);
        row(n, AngleKind::Wrist, g, -16, 3, 3);
        row(n, AngleKind::Wrist, g, -40, 3, 3);
    }
    // Neck: 0-10° 1; 10-20° 2; over 20° 3; in extension 4.
    // Its extension, as every "0°" band, counts only beyond 2°.
    row("neck", AngleKind::Neck, G::Neck, -15, 4, 4);
    row("neck", AngleKind::Neck, G::Neck, -3, 4, 4);
    row("neck", AngleKind::Neck, G::Neck, -2, 1, 1);
    row("neck", AngleKind::Neck, G::Neck, -1, 1, 1);
    row("neck", AngleKind::Neck, G::Neck, -0.5, 1, 1);
    row("neck", AngleKind::Neck, G::Neck, 0, 1, 1);
    row("neck", AngleKind::Neck, G::Neck, 10, 1, 1);
    row("neck", AngleKind::Neck, G::Neck, 11, 2, 2);
    row("neck", AngleKind::Neck, G::Neck, 20, 2, 2);
    row("neck", AngleKind::Neck, G::Neck, 21, 3, 3);
    row("neck", AngleKind::Neck, G::Neck, 50, 3, 3);
    // Trunk: upright (within 2°) 1; 0-20° 2; 20-60° 3; over 60° 4; leaning back by its size.
    row("trunk", AngleKind::Trunk, G::Trunk, 0, 1, 1);
    row("trunk", AngleKind::Trunk, G::Trunk, 2, 1, 1);
    row("trunk", AngleKind::Trunk, G::Trunk, -2, 1, 1);
    row("trunk", AngleKind::Trunk, G::Trunk, 3, 2, 2);
    row("trunk", AngleKind::Trunk, G::Trunk, 20, 2, 2);
    row("trunk", AngleKind::Trunk, G::Trunk, 21, 3, 3);
    row("trunk", AngleKind::Trunk, G::Trunk, 60, 3, 3);
    row("trunk", AngleKind::Trunk, G::Trunk, 61, 4, 4);
    row("trunk", AngleKind::Trunk, G::Trunk, 95, 4, 4);
    row("trunk", AngleKind::Trunk, G::Trunk, -3, 2, 2);
    row("trunk", AngleKind::Trunk, G::Trunk, -20, 2, 2);
    row("trunk", AngleKind::Trunk, G::Trunk, -21, 3, 3);
}

void TestPostureAngles::bands()
{
    QFETCH(AngleKind, kind);
    QFETCH(rula::Group, group);
    QFETCH(double, degrees);
    QFETCH(int, option);
    QFETCH(int, score);
    QCOMPARE(rula::bandOption(kind, degrees), option);
    QCOMPARE(rula::bandScore(group, option), score);
}

void TestPostureAngles::borderline_data()
{
    QTest::addColumn<AngleKind>("kind");
    QTest::addColumn<rula::Group>("group");
    QTest::addColumn<double>("degrees");
    QTest::addColumn<int>("limit"); // 999: no note
    QTest::addColumn<int>("lower");
    QTest::addColumn<int>("higher");
    using G = rula::Group;
    QTest::newRow("upper arm 15") << AngleKind::UpperArm << G::UpperRight << 15.0 << 20 << 1 << 2;
    QTest::newRow("upper arm 14") << AngleKind::UpperArm << G::UpperRight << 14.0 << 999 << 0 << 0;
    QTest::newRow("upper arm 25") << AngleKind::UpperArm << G::UpperRight << 25.0 << 20 << 1 << 2;
    QTest::newRow("upper arm 26") << AngleKind::UpperArm << G::UpperRight << 26.0 << 999 << 0 << 0;
    QTest::newRow("upper arm 41") << AngleKind::UpperArm << G::UpperLeft << 41.0 << 45 << 2 << 3;
    QTest::newRow("upper arm 50") << AngleKind::UpperArm << G::UpperLeft << 50.0 << 45 << 2 << 3;
    QTest::newRow("upper arm 67") << AngleKind::UpperArm << G::UpperLeft << 67.0 << 999 << 0 << 0;
    QTest::newRow("upper arm 90") << AngleKind::UpperArm << G::UpperRight << 90.0 << 90 << 3 << 4;
    QTest::newRow("upper arm -24") << AngleKind::UpperArm << G::UpperRight << -24.0 << -20 << 1 << 2;
    QTest::newRow("lower arm 64") << AngleKind::LowerArm << G::LowerRight << 64.0 << 60 << 1 << 2;
    QTest::newRow("lower arm 80") << AngleKind::LowerArm << G::LowerRight << 80.0 << 999 << 0 << 0;
    QTest::newRow("lower arm 105") << AngleKind::LowerArm << G::LowerLeft << 105.0 << 100 << 1 << 2;
    QTest::newRow("wrist 10") << AngleKind::Wrist << G::WristRight << 10.0 << 15 << 2 << 3;
    // The limits of "0°" bands are no band limits of the method: 0° is the middle of its band.
    QTest::newRow("wrist -7") << AngleKind::Wrist << G::WristLeft << -7.0 << 999 << 0 << 0;
    QTest::newRow("wrist 0") << AngleKind::Wrist << G::WristLeft << 0.0 << 999 << 0 << 0;
    QTest::newRow("trunk 0") << AngleKind::Trunk << G::Trunk << 0.0 << 999 << 0 << 0;
    QTest::newRow("trunk 3") << AngleKind::Trunk << G::Trunk << 3.0 << 999 << 0 << 0;
    QTest::newRow("trunk 16") << AngleKind::Trunk << G::Trunk << 16.0 << 20 << 2 << 3;
    QTest::newRow("neck -4") << AngleKind::Neck << G::Neck << -4.0 << 999 << 0 << 0;
    QTest::newRow("neck 13") << AngleKind::Neck << G::Neck << 13.0 << 10 << 1 << 2;
    QTest::newRow("neck 17") << AngleKind::Neck << G::Neck << 17.0 << 20 << 2 << 3;
    QTest::newRow("neck 40") << AngleKind::Neck << G::Neck << 40.0 << 999 << 0 << 0;
    QTest::newRow("trunk 56") << AngleKind::Trunk << G::Trunk << 56.0 << 60 << 3 << 4;
    QTest::newRow("trunk 40") << AngleKind::Trunk << G::Trunk << 40.0 << 999 << 0 << 0;
}

void TestPostureAngles::borderline()
{
    QFETCH(AngleKind, kind);
    QFETCH(rula::Group, group);
    QFETCH(double, degrees);
    QFETCH(int, limit);
    QFETCH(int, lower);
    QFETCH(int, higher);
    const auto near = rula::nearLimit(kind, group, degrees);
    if (limit == 999) {
        QVERIFY(!near);
        return;
    }
    QVERIFY(near);
    QCOMPARE(near->degrees, limit);
    QCOMPARE(near->lowerScore, lower);
    QCOMPARE(near->higherScore, higher);
}

void TestPostureAngles::borderlineNoteText()
{
    const auto near = rula::nearLimit(AngleKind::UpperArm, rula::Group::UpperRight, 48);
    QVERIFY(near);
    QCOMPARE(QString::fromStdString(rula::borderlineNote(*near)),
             QString::fromUtf8("Borderline: within 5\u00B0 of the limit between score 2 and 3; the method's authors "
                               "advise the higher score when in doubt."));
}

void TestPostureAngles::partStatesFollowTheBand()
{
    using L = rula::Landmark;
    const Point hip{500, 600};
    const Point shoulder{500, 300};
    rula::PictureMeasurements sheet = rightSide(Facing::Right, {{L::Hip, hip}, {L::Shoulder, shoulder}});
    sheet.side(rula::Side::Left) = sheet.side(rula::Side::Right);
    QCOMPARE(rula::readPart(sheet, BodyPart::UpperArmLeft).state, rula::PartState::NotMeasured);
    sheet.side(rula::Side::Left)[L::Elbow] = fromDown(shoulder, 60, 200);
    // Upper Arm (Left) 60°: option 4, the catalogue's "Frame12".
    rula::Reading reading = rula::readPart(sheet, BodyPart::UpperArmLeft);
    QCOMPARE(reading.optionIndex, rula::optionIndexOfPanel("Frame12"));
    QCOMPARE(reading.state, rula::PartState::Measured);
    sheet.applied(BodyPart::UpperArmLeft) = reading.optionIndex;
    QCOMPARE(rula::readPart(sheet, BodyPart::UpperArmLeft).state, rula::PartState::Applied);
    // Moving the elbow within the band keeps it applied; out of the band it has changed.
    sheet.side(rula::Side::Left)[L::Elbow] = fromDown(shoulder, 70, 200);
    QCOMPARE(rula::readPart(sheet, BodyPart::UpperArmLeft).state, rula::PartState::Applied);
    sheet.facing = Facing::Left;
    reading = rula::readPart(sheet, BodyPart::UpperArmLeft);
    QCOMPARE(reading.optionIndex, rula::optionIndexOfPanel("Frame10"));
    QCOMPARE(reading.state, rula::PartState::ChangedSinceApplied);
    // An applied part that can no longer be measured has changed too.
    sheet.side(rula::Side::Left)[L::Elbow].reset();
    QCOMPARE(rula::readPart(sheet, BodyPart::UpperArmLeft).state, rula::PartState::ChangedSinceApplied);
    // The same picture keeps its measurements; another starts afresh, with no facing.
    sheet.setPicture("worker.jpg");
    QVERIFY(!sheet.isEmpty());
    sheet.setPicture("other.jpg");
    QVERIFY(sheet.isEmpty());
    QCOMPARE(sheet.facing, Facing::Unset);
}

QTEST_APPLESS_MAIN(TestPostureAngles)
#include "tst_postureangles.moc"
