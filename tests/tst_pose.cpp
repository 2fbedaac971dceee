// SPDX-License-Identifier: GPL-3.0-or-later
// Finding the worker's body landmarks: a real photograph shipped with opencv-doc, marked by hand
// (tests/data/pose/messi5.csv), as it is, mirrored (the sides swap) and stored turned with an
// EXIF orientation (the same places once upright); a sequence that reuses the last frame's
// alignment; the command line's CSV and its errors. The models are the ones the build made.
#include "BodyPose.h"
#include "PaintFitted.h"
#include "ProgramRuns.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <map>

namespace {

const QString Photograph = QStringLiteral("/usr/share/doc/opencv-doc/examples/data/messi5.jpg");
const QString NoPerson = QStringLiteral("/usr/share/doc/opencv-doc/examples/data/fruits.jpg");

struct Marked
{
    std::map<std::pair<pose::Landmark, pose::Side>, QPointF> places;
    double tolerance = 0; // a tenth of the shoulder-hip distance, both sides' mean
};

Marked marksOf(const QString& file)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly | QIODevice::Text))
        qFatal("cannot read %s", qPrintable(file));
    Marked marked;
    for (const QByteArray& raw : in.readAll().split('\n')) {
        const QList<QByteArray> fields = raw.trimmed().split(',');
        if (raw.startsWith('#') || fields.size() != 4 || fields[0] == "landmark")
            continue;
        int landmark = -1;
        for (int l = 0; l < pose::LandmarkCount; ++l) {
            if (pose::landmarkName(pose::Landmark(l)).toLatin1() == fields[0])
                landmark = l;
        }
        const pose::Side side = fields[1] == "right" ? pose::Side::Right : pose::Side::Left;
        marked.places[{pose::Landmark(landmark), side}] = QPointF(fields[2].toDouble(), fields[3].toDouble());
    }
    double trunk = 0;
    for (const pose::Side side : {pose::Side::Right, pose::Side::Left}) {
        const QPointF d =
            marked.places.at({pose::Landmark::Shoulder, side}) - marked.places.at({pose::Landmark::Hip, side});
        trunk += std::hypot(d.x(), d.y()) / 2;
    }
    marked.tolerance = trunk / 10;
    return marked;
}

// The picture as the program reads it (upright, reduced to the working size) and the places
// found on it, in the picture's natural pixels.
pose::BodyLandmarks findOnFile(pose::PoseFinder& finder, const QString& file, QSize* natural = nullptr)
{
    PictureLoader loader;
    if (!loader.load(file))
        return {};
    const QImage image = loader.decode(pose::workingSize(loader.naturalSize()));
    if (natural)
        *natural = loader.naturalSize();
    return finder.find(image).scaled(double(loader.naturalSize().width()) / image.width());
}

// Every confident landmark within the tolerance of its mark; every marked one found confidently.
void compareWithMarks(const pose::BodyLandmarks& body, const Marked& marked, bool mirrored, double width)
{
    QVERIFY(body.found);
    for (const auto& [key, mark] : marked.places) {
        const pose::Side side =
            mirrored ? (key.second == pose::Side::Right ? pose::Side::Left : pose::Side::Right) : key.second;
        const QPointF expected = mirrored ? QPointF(width - mark.x(), mark.y()) : mark;
        const pose::LandmarkGuess& guess = body.at(side, key.first);
        const QString name = pose::landmarkName(key.first) + QLatin1Char(' ') + pose::sideName(side);
        if (guess.confidence < pose::ConfidentFrom)
            continue;
        const double off = std::hypot(guess.at.x() - expected.x(), guess.at.y() - expected.y());
        QVERIFY2(off <= marked.tolerance, qPrintable(QStringLiteral("%1 at (%2, %3), marked at (%4, %5): %6 px off, "
                                                                    "more than %7")
                                                         .arg(name)
                                                         .arg(guess.at.x())
                                                         .arg(guess.at.y())
                                                         .arg(expected.x())
                                                         .arg(expected.y())
                                                         .arg(off)
                                                         .arg(marked.tolerance)));
    }
    // The clearly seen arms are found confidently.
    for (const pose::Side side : {pose::Side::Right, pose::Side::Left}) {
        QVERIFY2(body.confidentCount(side) >= 5, qPrintable(pose::sideName(side)));
    }
}

} // namespace

class TestPose : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!QFile::exists(Photograph))
            QFAIL("opencv-doc is not installed (scripts/install-deps.sh installs it)");
        m_finder = std::make_unique<pose::PoseFinder>();
        QVERIFY2(m_finder->isReady(), qPrintable(m_finder->error()));
        m_marked = marksOf(QStringLiteral(TALVO_TEST_DATA "/pose/messi5.csv"));
    }

    // The photograph as shipped, and stored turned a quarter with an EXIF orientation that
    // turns it back: the same places once upright.
    void photograph_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("as shipped") << Photograph;
        QTest::newRow("stored turned, EXIF orientation 6") << QStringLiteral(TALVO_TEST_DATA "/pose/messi5-turned.jpg");
    }
    void photograph()
    {
        QFETCH(QString, file);
        QSize natural;
        const pose::BodyLandmarks body = findOnFile(*m_finder, file, &natural);
        QCOMPARE(natural, QSize(548, 342));
        compareWithMarks(body, m_marked, false, natural.width());
        QCOMPARE(body.people, 1);
        // The footballer looks down to the ball, on the picture's right.
        QCOMPARE(body.facing, pose::Facing::Right);
    }

    // Mirrored, the person's right side is where the left was: the sides swap and the facing
    // turns. Each landmark is nearer its own side's mark (mirrored) than the other side's, and
    // lies where the unmirrored photograph's landmark lies, mirrored.
    void mirrored()
    {
        const QImage original(Photograph);
        const QImage picture = original.mirrored(true, false);
        const pose::BodyLandmarks body = m_finder->find(picture);
        const pose::BodyLandmarks unmirrored = m_finder->find(original);
        QVERIFY(body.found && unmirrored.found);
        QCOMPARE(body.facing, pose::Facing::Left);
        const double width = picture.width();
        for (const auto& [key, mark] : m_marked.places) {
            const pose::Side other = key.second == pose::Side::Right ? pose::Side::Left : pose::Side::Right;
            const QPointF own = QPointF(width - mark.x(), mark.y());
            const pose::LandmarkGuess& guess = body.at(other, key.first);
            const auto otherMark = m_marked.places.find({key.first, other});
            if (guess.confidence < pose::ConfidentFrom)
                continue;
            const auto distance = [](QPointF a, QPointF b) { return std::hypot(a.x() - b.x(), a.y() - b.y()); };
            if (otherMark != m_marked.places.end()) {
                const QPointF wrong(width - otherMark->second.x(), otherMark->second.y());
                QVERIFY2(distance(guess.at, own) < distance(guess.at, wrong),
                         qPrintable(pose::landmarkName(key.first)));
            }
            const QPointF before = unmirrored.at(key.second, key.first).at;
            QVERIFY2(distance(guess.at, QPointF(width - before.x(), before.y())) <= m_marked.tolerance,
                     qPrintable(pose::landmarkName(key.first)));
        }
    }

    // A sequence: the second frame's crop comes from the first frame's alignment points, not
    // from the detector, and finds the same places; after reset() the detector runs again.
    void tracker()
    {
        const QImage picture(Photograph);
        pose::PoseTracker tracker(*m_finder);
        const pose::BodyLandmarks first = tracker.next(picture);
        QVERIFY(tracker.detected());
        compareWithMarks(first, m_marked, false, picture.width());
        const pose::BodyLandmarks second = tracker.next(picture);
        QVERIFY(!tracker.detected());
        QVERIFY(second.found);
        for (std::size_t i = 0; i < first.points.size(); ++i) {
            const QPointF d = second.points[i].at - first.points[i].at;
            QVERIFY2(std::hypot(d.x(), d.y()) <= m_marked.tolerance, qPrintable(QString::number(i)));
        }
        tracker.reset();
        tracker.next(picture);
        QVERIFY(tracker.detected());
        // A frame without the person: lost, so the detector looks, and finds nobody.
        QVERIFY(!tracker.next(QImage(NoPerson)).found);
        QVERIFY(tracker.detected());
    }

    void noPerson()
    {
        QVERIFY(!findOnFile(*m_finder, NoPerson).found);
        // A person too small to see: the photograph reduced to 40 pixels in a large empty picture.
        QImage tiny(1600, 1200, QImage::Format_RGB32);
        tiny.fill(Qt::darkGreen);
        const QImage small = QImage(Photograph).scaledToWidth(40, Qt::SmoothTransformation);
        for (int y = 0; y < small.height(); ++y) {
            for (int x = 0; x < small.width(); ++x)
                tiny.setPixel(800 + x, 600 + y, small.pixel(x, y));
        }
        QVERIFY(!m_finder->find(tiny).found);
    }

    void missingModel()
    {
        QTemporaryDir empty;
        const pose::PoseFinder finder(empty.path());
        QVERIFY(!finder.isReady());
        QVERIFY2(finder.error().contains(QDir(empty.path()).filePath(pose::detectorFileName())),
                 qPrintable(finder.error()));
        QTemporaryDir damaged;
        for (const QString& name : pose::modelFileNames()) {
            QFile file(QDir(damaged.path()).filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("not a model");
        }
        const pose::PoseFinder unreadable(damaged.path());
        QVERIFY(!unreadable.isReady());
        QVERIFY2(unreadable.error().contains(QStringLiteral("cannot be read")), qPrintable(unreadable.error()));
    }

    // The command line writes one row per landmark and side, in the picture's pixels: of a
    // photograph, and of a frame of a video made of it (tests/data/pose/messi5-clip.mp4).
    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("photograph") << QStringList{QStringLiteral("--landmarks"), Photograph};
        QTest::newRow("video frame") << QStringList{QStringLiteral("--landmarks"),
                                                    QStringLiteral(TALVO_TEST_DATA "/pose/messi5-clip.mp4"),
                                                    QStringLiteral("--frame"), QStringLiteral("3")};
    }
    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QTemporaryDir dir;
        const QString out = dir.filePath(QStringLiteral("landmarks.csv"));
        const Run run = runProgram(arguments << QStringLiteral("-o") << out);
        QCOMPARE(run.status, 0);
        QFile csv(out);
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = csv.readAll().split('\n');
        QCOMPARE(lines.value(0).trimmed(), QByteArray("landmark,side,x,y,confidence"));
        QCOMPARE(lines.size(), 14); // the header, 12 rows, and the empty end
        int checked = 0;
        for (const QByteArray& line : lines.mid(1, 12)) {
            const QList<QByteArray> f = line.trimmed().split(',');
            QCOMPARE(f.size(), 5);
            for (const auto& [key, mark] : m_marked.places) {
                if (pose::landmarkName(key.first).toLatin1() != f[0] || pose::sideName(key.second).toLatin1() != f[1])
                    continue;
                const double confidence = f[4].toDouble();
                QVERIFY(confidence >= 0 && confidence <= 1);
                if (confidence >= pose::ConfidentFrom) {
                    QVERIFY2(std::hypot(f[2].toDouble() - mark.x(), f[3].toDouble() - mark.y()) <= m_marked.tolerance,
                             line.constData());
                    ++checked;
                }
            }
        }
        QVERIFY(checked >= 9);
    }

    void commandLineErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("says");
        QTest::newRow("no person") << QStringList{QStringLiteral("--landmarks"), NoPerson} << 1
                                   << QStringLiteral("no person was found in this picture");
        QTest::newRow("not a picture") << QStringList{QStringLiteral("--landmarks"), QStringLiteral("NOTPICTURE")} << 1
                                       << QStringLiteral("is not a picture that can be read");
        QTest::newRow("no such file") << QStringList{QStringLiteral("--landmarks"), QStringLiteral("/nonexistent.jpg")}
                                      << 1 << QStringLiteral("no such file");
        QTest::newRow("8000 x 8000") << QStringList{QStringLiteral("--landmarks"), QStringLiteral("HUGE")} << 1
                                     << QStringLiteral("no person was found in this picture");
        QTest::newRow("frame beyond the video")
            << QStringList{QStringLiteral("--landmarks"), QStringLiteral(TALVO_TEST_DATA "/pose/messi5-clip.mp4"),
                           QStringLiteral("--frame"), QStringLiteral("9999")}
            << 1 << QStringLiteral("there is no frame 9999");
        QTest::newRow("frame not a number")
            << QStringList{QStringLiteral("--landmarks"), Photograph, QStringLiteral("--frame"), QStringLiteral("x")}
            << 2 << QStringLiteral("--frame takes a frame number");
        QTest::newRow("frame without landmarks") << QStringList{QStringLiteral("--plan"), QStringLiteral("x.txt"),
                                                                QStringLiteral("--frame"), QStringLiteral("3")}
                                                 << 2 << QStringLiteral("--frame goes with");
        QTest::newRow("two pictures") << QStringList{QStringLiteral("--landmarks"), Photograph, Photograph} << 2
                                      << QStringLiteral("--landmarks takes one");
    }
    void commandLineErrors()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, says);
        QTemporaryDir dir;
        // Files made here: a text file named as a picture, and an empty 8000 x 8000 picture.
        const QString text = dir.filePath(QStringLiteral("notes.jpg"));
        QFile notes(text);
        QVERIFY(notes.open(QIODevice::WriteOnly));
        notes.write("these are notes, not a picture\n");
        notes.close();
        const QString huge = dir.filePath(QStringLiteral("huge.jpg"));
        if (arguments.contains(QStringLiteral("HUGE"))) {
            QImage blank(8000, 8000, QImage::Format_Grayscale8);
            blank.fill(200);
            QVERIFY(blank.save(huge));
        }
        arguments.replaceInStrings(QStringLiteral("NOTPICTURE"), text);
        arguments.replaceInStrings(QStringLiteral("HUGE"), huge);
        const QString out = dir.filePath(QStringLiteral("out.csv"));
        arguments << QStringLiteral("-o") << out;
        const Run run = runProgram(arguments);
        QCOMPARE(run.status, status);
        QVERIFY2(run.errorLines.join(QLatin1Char('\n')).contains(says), qPrintable(run.errorLines.join('\n')));
        if (status == 1)
            QCOMPARE(run.errorLines.size(), 1);
        QVERIFY(!QFile::exists(out));
    }

private:
    std::unique_ptr<pose::PoseFinder> m_finder;
    Marked m_marked;
};

QTEST_GUILESS_MAIN(TestPose)
#include "tst_pose.moc"
