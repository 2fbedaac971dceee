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
    void neckFollowsTheTrunkLine();
    void coincidentPointsGiveZero();
    void bands_data();
    void bands();
    void borderline_data();
    void borderline();
    void borderlineNoteText();
    void measurementsKeepTheirBandAndAppliedFlag();
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
    for (double d : {20.0, 45.0, 100.0, -20.0, -45.0})
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
    // Facing the wrong way turns flexion into extension.
    if (flexion != 0 && std::abs(flexion) != 180)
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
    rula::PictureFrame right;
    rula::PictureFrame left;
    left.facing = Facing::Left;
    // Trunk: hip (500, 600), shoulder 300 pixels away, leaning `degrees` forward.
    const Point hip{500, 600};
    const Point shoulder = fromUp(hip, degrees, 300);
    QVERIFY(std::abs(rula::trunkAngle(hip, shoulder, right) - degrees) < 1e-6);
    QVERIFY(std::abs(rula::trunkAngle(mirrored(hip), mirrored(shoulder), left) - degrees) < 1e-6);
    // Neck against the picture's vertical: shoulder (500, 300), ear 80 pixels away.
    const Point neckBase{500, 300};
    const Point ear = fromUp(neckBase, degrees, 80);
    QVERIFY(std::abs(rula::neckAngle(neckBase, ear, std::nullopt, right) - degrees) < 1e-6);
    QVERIFY(std::abs(rula::neckAngle(mirrored(neckBase), mirrored(ear), std::nullopt, left) - degrees) < 1e-6);
}

void TestPostureAngles::tiltedVerticalReference()
{
    // The camera was rolled: a door frame that is vertical in the room runs 5° to the right
    // of the picture's vertical, bottom (200, 800) to top (200 + 700 tan 5°, 100).
    const Point bottom{200, 800};
    const Point top{200 + 700 * std::tan(5 * Pi / 180), 100};
    rula::PictureFrame frame;
    frame.verticalReference = std::array<Point, 2>{bottom, top};
    const Point hip{500, 600};
    // 25° from the picture's vertical is 20° from the room's.
    const Point shoulder = fromUp(hip, 25, 300);
    QVERIFY(std::abs(rula::trunkAngle(hip, shoulder, frame) - 20) < 1e-6);
    // Either end of the line may be clicked first.
    frame.verticalReference = std::array<Point, 2>{top, bottom};
    QVERIFY(std::abs(rula::trunkAngle(hip, shoulder, frame) - 20) < 1e-6);
    // Upright in the room reads 0°.
    QVERIFY(std::abs(rula::trunkAngle(hip, fromUp(hip, 5, 300), frame)) < 1e-6);
    // The neck against the tilted vertical too.
    QVERIFY(std::abs(rula::neckAngle({500, 300}, fromUp({500, 300}, 15, 80), std::nullopt, frame) - 10) < 1e-6);
    // Facing left, forward is to the picture's left: 5° left of the picture vertical is 10° of flexion.
    frame.facing = Facing::Left;
    QVERIFY(std::abs(rula::trunkAngle(hip, fromUp(hip, -5, 300), frame) - 10) < 1e-6);
}

void TestPostureAngles::neckFollowsTheTrunkLine()
{
    // Trunk leaning 20° forward; the neck 35° from the vertical is 15° from the trunk.
    const Point hip{500, 600};
    const Point shoulder = fromUp(hip, 20, 300);
    const Point ear = fromUp(shoulder, 35, 80);
    rula::PictureFrame frame;
    QVERIFY(std::abs(rula::neckAngle(shoulder, ear, std::array<Point, 2>{hip, shoulder}, frame) - 15) < 1e-6);

    rula::PictureMeasurements sheet;
    sheet.setPicture("worker.jpg");
    sheet.setPoints(BodyPart::Neck, {shoulder, ear});
    QVERIFY(std::abs(sheet.find(BodyPart::Neck)->angle - 35) < 1e-6);
    sheet.setPoints(BodyPart::Trunk, {hip, shoulder});
    QVERIFY(std::abs(sheet.find(BodyPart::Neck)->angle - 15) < 1e-6);
    QVERIFY(std::abs(sheet.find(BodyPart::Trunk)->angle - 20) < 1e-6);
}

void TestPostureAngles::coincidentPointsGiveZero()
{
    QCOMPARE(rula::upperArmAngle({1, 1}, {1, 1}, {5, 5}, Facing::Right), 0.0);
    QCOMPARE(rula::lowerArmAngle({1, 1}, {1, 1}, {5, 5}), 0.0);
    QCOMPARE(rula::wristAngle({1, 1}, {5, 5}, {5, 5}, Facing::Right), 0.0);
    QCOMPARE(rula::trunkAngle({5, 5}, {5, 5}, rula::PictureFrame{}), 0.0);
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
    row("neck", AngleKind::Neck, G::Neck, -15, 4, 4);
    row("neck", AngleKind::Neck, G::Neck, -1, 4, 4);
    row("neck", AngleKind::Neck, G::Neck, -0.4, 1, 1);
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
    QTest::newRow("wrist -7") << AngleKind::Wrist << G::WristLeft << -7.0 << -2 << 1 << 2;
    QTest::newRow("neck -4") << AngleKind::Neck << G::Neck << -4.0 << 0 << 1 << 4;
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

void TestPostureAngles::measurementsKeepTheirBandAndAppliedFlag()
{
    rula::PictureMeasurements sheet;
    sheet.setPicture("worker.jpg");
    const Point hip{500, 600};
    const Point shoulder{500, 300};
    sheet.setPoints(BodyPart::UpperArmLeft, {hip, shoulder});
    QVERIFY(!sheet.find(BodyPart::UpperArmLeft)->isComplete());
    QCOMPARE(sheet.find(BodyPart::UpperArmLeft)->optionIndex, -1);
    sheet.setPoints(BodyPart::UpperArmLeft, {hip, shoulder, fromDown(shoulder, 60, 200)});
    // Upper Arm (Left) option 4 is the catalogue's "Frame12".
    QCOMPARE(sheet.find(BodyPart::UpperArmLeft)->optionIndex, rula::optionIndexOfPanel("Frame12"));
    sheet.markApplied(BodyPart::UpperArmLeft);
    QVERIFY(sheet.find(BodyPart::UpperArmLeft)->applied);
    // Moving the elbow within the band keeps it applied; out of the band does not.
    sheet.setPoints(BodyPart::UpperArmLeft, {hip, shoulder, fromDown(shoulder, 70, 200)});
    QVERIFY(sheet.find(BodyPart::UpperArmLeft)->applied);
    // Facing left, the same arm is in 70° of extension: option 2, "Frame10".
    sheet.setFacing(Facing::Left);
    QCOMPARE(sheet.find(BodyPart::UpperArmLeft)->optionIndex, rula::optionIndexOfPanel("Frame10"));
    QVERIFY(!sheet.find(BodyPart::UpperArmLeft)->applied);
    // The same picture keeps its measurements; another starts afresh.
    sheet.setPicture("worker.jpg");
    QCOMPARE(sheet.measurements().size(), std::size_t(1));
    sheet.setPicture("other.jpg");
    QVERIFY(sheet.measurements().empty());
    QCOMPARE(sheet.frame().facing, Facing::Right);
}

QTEST_APPLESS_MAIN(TestPostureAngles)
#include "tst_postureangles.moc"
