// SPDX-License-Identifier: GPL-3.0-or-later
// Scoring a whole video made from a real photograph (opencv-doc's footballer, full body),
// turned 3° clockwise more at every frame: the trunk's angle from the vertical must follow the
// turn. Then cancelling half-way, refusals, and the --score-video command line.
#include "ProgramRuns.h"
#include "VideoScorer.h"
#include "VideoSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <cmath>

namespace {

const QString Photograph = QStringLiteral("/usr/share/doc/opencv-doc/examples/data/messi5.jpg");
constexpr int Rate = 10;           // frames a second
constexpr int TurnPerFrame = 3;    // degrees, clockwise on the picture
constexpr double AngleSlack = 4.0; // degrees the models may wander from frame to frame

const char* const Header = "frame,time_s,side,confidence,upper_arm_deg,lower_arm_deg,wrist_deg,neck_deg,trunk_deg,"
                           "upper_arm,lower_arm,wrist,neck,trunk,grand,action_level";

} // namespace

class TestVideoScorer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void trunkFollowsTheTurn();
    void cancelKeepsWhatWasScored();
    void refusesWhatCannotBeScored();
    void commandLineWritesTheScores();

private:
    rula::VideoTimeline scoreAll(const std::function<bool()>& cancelled = {},
                                 const VideoScorer::Progress& progress = {}, QString* error = nullptr);

    QTemporaryDir m_dir;
    QString m_video;
    rula::VideoTimeline m_whole;
};

rula::VideoTimeline TestVideoScorer::scoreAll(const std::function<bool()>& cancelled,
                                              const VideoScorer::Progress& progress, QString* error)
{
    VideoScorer::Settings settings;
    settings.videoFile = m_video;
    settings.samplesPerSecond = 5;
    return VideoScorer::run(settings, cancelled, progress, error);
}

void TestVideoScorer::initTestCase()
{
    QVERIFY2(QFile::exists(Photograph), "opencv-doc's photographs are not installed");
    m_video = m_dir.filePath(QStringLiteral("turning.mp4"));
    // Two seconds at 10 frames a second, twice the photograph's size; frame n turned by 3n°.
    const QString made = testvideo::runFfmpeg(
        {QStringLiteral("-loop"), QStringLiteral("1"), QStringLiteral("-framerate"), QString::number(Rate),
         QStringLiteral("-i"), Photograph, QStringLiteral("-t"), QStringLiteral("2"), QStringLiteral("-vf"),
         QStringLiteral("scale=1096:684,rotate=a='n*%1*PI/180':fillcolor=black,format=yuv420p").arg(TurnPerFrame),
         QStringLiteral("-c:v"), QStringLiteral("libx264"), m_video});
    QVERIFY2(made.isEmpty(), qPrintable(made));
    QString error;
    m_whole = scoreAll({}, {}, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
}

void TestVideoScorer::trunkFollowsTheTurn()
{
    // 5 samples a second of a 10-frame-a-second video: frames 0, 2, ... 18, 0.2 s apart.
    QCOMPARE(m_whole.samples.size(), std::size_t{10});
    QVERIFY(m_whole.complete);
    QCOMPARE(QString::fromStdString(m_whole.videoSha256).size(), 64);
    for (std::size_t k = 0; k < m_whole.samples.size(); ++k) {
        QCOMPARE(m_whole.samples[k].frame, static_cast<int>(2 * k));
        QVERIFY(std::abs(m_whole.samples[k].timeSeconds - 0.2 * static_cast<double>(k)) < 1e-6);
    }
    // The footballer faces the picture's right: a clockwise turn leans the trunk forward, so
    // its flexion grows by the turn, 6° a sample, on each side measured.
    for (const rula::Side side : {rula::Side::Right, rula::Side::Left}) {
        const auto trunk = [&](std::size_t k) {
            return m_whole.samples[k].side(side).part(rula::ScoredPart::Trunk).angle;
        };
        QVERIFY(trunk(0));
        int measured = 0;
        for (std::size_t k = 1; k < m_whole.samples.size(); ++k) {
            if (!trunk(k))
                continue;
            ++measured;
            const double turned = *trunk(k) - *trunk(0);
            const double expected = 2.0 * TurnPerFrame * static_cast<double>(k);
            QVERIFY2(std::abs(turned - expected) <= AngleSlack,
                     qPrintable(QStringLiteral("side %1, sample %2: the trunk turned %3°, the picture %4°")
                                    .arg(int(side))
                                    .arg(k)
                                    .arg(turned)
                                    .arg(expected)));
        }
        QVERIFY(measured >= 7);
    }
}

void TestVideoScorer::cancelKeepsWhatWasScored()
{
    std::atomic<bool> cancel{false};
    int calls = 0;
    QString error;
    const rula::VideoTimeline part = scoreAll([&cancel] { return cancel.load(); },
                                              [&](const rula::VideoTimeline& sofar, int total) {
                                                  ++calls;
                                                  QCOMPARE(total, 10);
                                                  QCOMPARE(static_cast<int>(sofar.samples.size()), calls);
                                                  if (calls == 4)
                                                      cancel = true;
                                              },
                                              &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QVERIFY(!part.complete);
    QCOMPARE(part.samples.size(), std::size_t{4});
    for (std::size_t k = 0; k < part.samples.size(); ++k) {
        QCOMPARE(part.samples[k].frame, m_whole.samples[k].frame);
        QCOMPARE(part.samples[k].side(rula::Side::Right).grand, m_whole.samples[k].side(rula::Side::Right).grand);
    }
}

void TestVideoScorer::refusesWhatCannotBeScored()
{
    const QString notVideo = m_dir.filePath(QStringLiteral("notes.mp4"));
    QFile file(notVideo);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("not a video\n");
    file.close();
    VideoScorer::Settings settings;
    settings.videoFile = notVideo;
    QString error;
    QVERIFY(VideoScorer::run(settings, {}, {}, &error).samples.empty());
    QVERIFY2(error.contains(QStringLiteral("notes.mp4")), qPrintable(error));

    // Without the models nothing is scored, and the sentence names the missing file.
    settings.videoFile = m_video;
    settings.modelFolder = m_dir.filePath(QStringLiteral("no models"));
    error.clear();
    QVERIFY(VideoScorer::run(settings, {}, {}, &error).samples.empty());
    QVERIFY2(error.contains(QStringLiteral(".onnx")), qPrintable(error));
}

void TestVideoScorer::commandLineWritesTheScores()
{
    const QString csv = m_dir.filePath(QStringLiteral("scores.csv"));
    Run run = runProgram({QStringLiteral("--score-video"), m_video, QStringLiteral("--samples-per-second"),
                          QStringLiteral("2"), QStringLiteral("-o"), csv});
    QCOMPARE(run.status, 0);
    // Nothing chosen: every group the camera cannot see is named, counted at its lowest.
    QCOMPARE(run.errorLines.size(), 1);
    QVERIFY2(run.errorLines[0].contains(QStringLiteral("Legs")) &&
                 run.errorLines[0].contains(QStringLiteral("Force Lower")),
             qPrintable(run.errorLines[0]));
    QFile written(csv);
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = written.readAll().split('\n');
    QCOMPARE(lines[0], QByteArray(Header) + '\r');
    // 2 samples a second of two seconds: frames 0, 5, 10, 15; a row per side.
    QCOMPARE(lines.size(), 1 + 8 + 1);
    QVERIFY(lines[1].startsWith("0,0.000,right,"));
    QVERIFY(lines[2].startsWith("0,0.000,left,"));
    QVERIFY(lines[7].startsWith("15,1.500,right,"));
    QCOMPARE(lines[1].count(','), 15);

    // A complete saved assessment leaves nothing to name.
    run = runProgram({QStringLiteral("--score-video"), m_video, QStringLiteral("--samples-per-second"),
                      QStringLiteral("1"), QStringLiteral("--assessment"),
                      QStringLiteral(TALVO_TEST_DATA "/sample_result.txt"), QStringLiteral("-o"), csv});
    QCOMPARE(run.status, 0);
    QVERIFY2(run.errorLines.isEmpty(), qPrintable(run.errorLines.join('\n')));

    run = runProgram(
        {QStringLiteral("--score-video"), m_video, QStringLiteral("--samples-per-second"), QStringLiteral("26")});
    QCOMPARE(run.status, 2);
    run = runProgram({QStringLiteral("--score-video"), m_dir.filePath(QStringLiteral("none.mp4"))});
    QCOMPARE(run.status, 1);
    QCOMPARE(run.errorLines.size(), 1);
    QVERIFY(run.errorLines[0].contains(QStringLiteral("none.mp4")));
}

QTEST_MAIN(TestVideoScorer)
#include "tst_videoscorer.moc"
