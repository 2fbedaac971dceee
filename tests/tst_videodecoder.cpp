// SPDX-License-Identifier: GPL-3.0-or-later
// The frame-exact decoder on videos made here whose every frame carries its number in its
// pixels: each way of reaching a frame must give the picture carrying that number.
#include "FrameReader.h"
#include "VideoDecoder.h"
#include "VideoSupport.h"

#include <QBuffer>
#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int FrameCount = 300;

struct Encoding
{
    const char* name;
    const char* file;
    QStringList arguments; // after the timing arguments
    bool variable;
};

QStringList words(const char* text)
{
    return QString::fromLatin1(text).split(QLatin1Char(' '));
}

const std::vector<Encoding>& encodings()
{
    static const std::vector<Encoding> list = {
        {"H.264 with B-frames", "h264.mp4",
         words("-c:v libx264 -preset veryfast -bf 3 -g 48 -sc_threshold 0 -pix_fmt yuv420p"), false},
        {"H.264 variable rate, starting at 2.5 s", "h264-vfr.mkv",
         words("-c:v libx264 -preset veryfast -bf 2 -g 30 -pix_fmt yuv420p -output_ts_offset 2.5"), true},
        {"MPEG-4 with B-frames", "mpeg4.mp4", words("-c:v mpeg4 -q:v 3 -bf 2 -g 36"), false},
        {"VP9 variable rate, starting at 1 s", "vp9-vfr.webm",
         words("-c:v libvpx-vp9 -deadline realtime -cpu-used 8 -g 40 -b:v 1M -output_ts_offset 1"), true},
    };
    return list;
}

} // namespace

class TestVideoDecoder : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void everyWayLandsOnTheFrame_data();
    void everyWayLandsOnTheFrame();
    void badFilesAreRefused_data();
    void badFilesAreRefused();
    void turnedVideosAreShownUpright_data();
    void turnedVideosAreShownUpright();
    void packedBFramesInAvi();
    void farFrameIsPreviewedFirst();
    void frameAtTime_data();
    void frameAtTime();
    void aFileReadOnlyInPartHasNoFingerprint();

private:
    QString make(const char* file, const QStringList& arguments, int frames = 0);
    QTemporaryDir m_dir;
};

QString TestVideoDecoder::make(const char* file, const QStringList& arguments, int frames)
{
    const QString path = m_dir.filePath(QString::fromLatin1(file));
    const QString failure = testvideo::runFfmpeg(arguments + QStringList{path}, frames);
    if (!failure.isEmpty())
        qFatal("%s: %s", file, qPrintable(failure));
    return path;
}

void TestVideoDecoder::initTestCase()
{
    QVERIFY(m_dir.isValid());
    for (const Encoding& encoding : encodings())
        make(encoding.file, testvideo::timing(encoding.variable) + encoding.arguments, FrameCount);
}

void TestVideoDecoder::everyWayLandsOnTheFrame_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("variable");
    for (const Encoding& encoding : encodings())
        QTest::newRow(encoding.name) << m_dir.filePath(QString::fromLatin1(encoding.file)) << encoding.variable;
}

void TestVideoDecoder::everyWayLandsOnTheFrame()
{
    QFETCH(QString, file);
    QFETCH(bool, variable);
    VideoDecoder decoder;
    QVERIFY2(decoder.open(file), qPrintable(decoder.error()));
    const VideoIndex& index = decoder.index();
    QCOMPARE(index.frameCount(), FrameCount);
    QCOMPARE(index.size, QSize(testvideo::Width, testvideo::Height));
    // The times the video was made with (testvideo::timing), counted from frame 0.
    for (int n = 0; n < FrameCount; ++n)
        QCOMPARE(index.timeMs(n), std::int64_t(n * 40 + (variable ? n * n % 17 : 0)));

    for (int n = 0; n < FrameCount; ++n)
        QCOMPARE(testvideo::frameNumber(decoder.frame(n)), n);
    // Back across two key frames of every video (their groups are 30 to 48 frames long).
    for (int n = 160; n >= 60; --n)
        QCOMPARE(testvideo::frameNumber(decoder.frame(n)), n);

    QRandomGenerator random(22);
    std::vector<int> numbers;
    std::vector<QImage> pictures;
    for (int i = 0; i < 50; ++i) {
        numbers.push_back(static_cast<int>(random.bounded(FrameCount)));
        pictures.push_back(decoder.frame(numbers.back()));
        QCOMPARE(testvideo::frameNumber(pictures.back()), numbers.back());
    }
    // Reopened, the same numbers in the opposite order give the very same pictures.
    decoder.close();
    QVERIFY2(decoder.open(file), qPrintable(decoder.error()));
    for (int i = 49; i >= 0; --i)
        QVERIFY2(decoder.frame(numbers[static_cast<std::size_t>(i)]) == pictures[static_cast<std::size_t>(i)],
                 qPrintable(QStringLiteral("frame %1").arg(numbers[static_cast<std::size_t>(i)])));
}

void TestVideoDecoder::badFilesAreRefused_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("why");
    const QString good = m_dir.filePath(QStringLiteral("h264.mp4"));
    const auto write = [this](const char* name, const QByteArray& bytes) {
        const QString path = m_dir.filePath(QString::fromLatin1(name));
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
            qFatal("cannot write %s", name);
        return path;
    };
    QFile goodFile(good);
    QVERIFY(goodFile.open(QIODevice::ReadOnly));
    const QByteArray video = goodFile.readAll();
    const QString faststart =
        make("faststart.mp4", {QStringLiteral("-i"), good, QStringLiteral("-c"), QStringLiteral("copy"),
                               QStringLiteral("-movflags"), QStringLiteral("+faststart")});
    QFile faststartFile(faststart);
    QVERIFY(faststartFile.open(QIODevice::ReadOnly));
    const QByteArray front = faststartFile.readAll();
    // The frames' data zeroed after the index, which a faststart file has at its front.
    QByteArray zeroed = front;
    const int data = static_cast<int>(zeroed.indexOf("mdat")) + 4;
    QVERIFY(data > 4);
    zeroed.replace(data, zeroed.size() - data, QByteArray(zeroed.size() - data, '\0'));

    QTest::newRow("text named .mp4") << write("notes.mp4", "Shift notes: line 3 stopped at 10:40.\n")
                                     << QStringLiteral("is not a video");
    QTest::newRow("text named .txt") << write("notes.txt", QByteArray(2000, 'x')) << QStringLiteral("is not a video");
    QTest::newRow("truncated, index at the end")
        << write("cut.mp4", video.left(video.size() / 2)) << QStringLiteral("is damaged or truncated");
    QTest::newRow("truncated, index at the start")
        << write("cut-faststart.mp4", front.left(front.size() * 3 / 5)) << QStringLiteral("is damaged or truncated");
    QTest::newRow("frames zeroed") << write("zeroed.mp4", zeroed) << QStringLiteral("is damaged");
    QTest::newRow("sound only") << make("sound.m4a", words("-f lavfi -i sine=duration=1 -c:a aac"))
                                << QStringLiteral("holds no video stream");
    // A video stream with its sample tables emptied: the size and count of every frame
    // (stsz) and their durations (stts) say 0 entries.
    QByteArray empty = front;
    const qsizetype sizes = empty.indexOf("stsz");
    const qsizetype durations = empty.indexOf("stts");
    QVERIFY(sizes > 0 && durations > 0);
    empty.replace(sizes + 12, 4, QByteArray(4, '\0'));
    empty.replace(durations + 8, 4, QByteArray(4, '\0'));
    QTest::newRow("no frames") << write("empty.mp4", empty) << QStringLiteral("has no frames");
    QTest::newRow("8K") << make("8k.mp4", words("-f lavfi -i color=size=7680x4320:duration=0.04 -c:v libx264 "
                                                "-preset ultrafast"))
                        << QStringLiteral("is 7680 x 4320 pixels");
}

void TestVideoDecoder::badFilesAreRefused()
{
    QFETCH(QString, file);
    QFETCH(QString, why);
    VideoDecoder decoder;
    QVERIFY(!decoder.open(file));
    QVERIFY2(decoder.error().contains(file) && decoder.error().contains(why), qPrintable(decoder.error()));
    QVERIFY(!decoder.isOpen());
    QCOMPARE(decoder.index().frameCount(), 0);
    QVERIFY(decoder.frame(0).isNull());
}

void TestVideoDecoder::turnedVideosAreShownUpright_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QList<int>>("matrix"); // a b c d x y
    QTest::addColumn<int>("rotation");
    QTest::addColumn<bool>("mirrored");
    // Each stored turned as a phone stores it, with the display matrix a QuickTime writer
    // gives a turn of 90 or 270 degrees clockwise, or a mirror, which shows it upright again.
    QTest::newRow("rotate 90") << "transpose=cclock" << QList<int>{0, 1, -1, 0, testvideo::Height, 0} << 90 << false;
    QTest::newRow("rotate 270") << "transpose=clock" << QList<int>{0, -1, 1, 0, 0, testvideo::Width} << 270 << false;
    QTest::newRow("mirrored") << "hflip" << QList<int>{-1, 0, 0, 1, testvideo::Width, 0} << 0 << true;
}

void TestVideoDecoder::turnedVideosAreShownUpright()
{
    QFETCH(QString, stored);
    QFETCH(QList<int>, matrix);
    QFETCH(int, rotation);
    QFETCH(bool, mirrored);
    constexpr int Frames = 60;
    QStringList arguments = testvideo::timing(false);
    arguments[1] += QLatin1Char(',') + stored;
    const QByteArray name = "turned-" + QByteArray(QTest::currentDataTag()).replace(' ', '-') + ".mp4";
    const QString file =
        make(name.constData(), arguments + words("-c:v libx264 -preset veryfast -bf 2 -g 20 -pix_fmt yuv420p"), Frames);
    QVERIFY(testvideo::setDisplayMatrix(file, matrix[0], matrix[1], matrix[2], matrix[3], matrix[4], matrix[5]));

    VideoDecoder decoder;
    QVERIFY2(decoder.open(file), qPrintable(decoder.error()));
    QCOMPARE(decoder.index().size, QSize(testvideo::Width, testvideo::Height));
    QCOMPARE(decoder.index().rotation, rotation);
    QCOMPARE(decoder.index().mirrored, mirrored);
    // Read upright, every frame carries its number, stepped to or sought.
    for (int n = 0; n < Frames; ++n)
        QCOMPARE(testvideo::frameNumber(decoder.frame(n)), n);
    for (int n : {47, 3, 25})
        QCOMPARE(testvideo::frameNumber(decoder.frame(n)), n);
}

void TestVideoDecoder::packedBFramesInAvi()
{
    // Xvid in an AVI packs each B-frame into the packet before it, and the AVI keeps no
    // presentation times: the frames in the order the ffmpeg program shows them.
    const QString file = make("packed.avi", testvideo::timing(false) + words("-c:v libxvid -bf 2 -g 30"), 100);
    const std::vector<int> shown = testvideo::ffmpegFrameNumbers(file);
    QVERIFY(shown.size() > 90);
    VideoDecoder decoder;
    QVERIFY2(decoder.open(file), qPrintable(decoder.error()));
    QCOMPARE(decoder.index().frameCount(), int(shown.size()));
    for (int n = 0; n < int(shown.size()); ++n)
        QCOMPARE(testvideo::frameNumber(decoder.frame(n)), shown[std::size_t(n)]);
    for (int n : {75, 12, 44, 31, 62})
        QCOMPARE(testvideo::frameNumber(decoder.frame(n)), shown[std::size_t(n)]);
}

void TestVideoDecoder::farFrameIsPreviewedFirst()
{
    // One key frame: every frame after it is decoded from the start or from where the reader
    // stands.
    const QString file =
        make("one-group.mp4", testvideo::timing(false) + words("-c:v libx264 -preset veryfast -g 300 -pix_fmt yuv420p"),
             FrameCount);
    FrameReader reader;
    QSignalSpy opened(&reader, &FrameReader::opened);
    QSignalSpy previews(&reader, &FrameReader::previewReady);
    QSignalSpy frames(&reader, &FrameReader::frameReady);
    reader.open(file);
    QVERIFY(opened.wait(20000));
    // Decoding on from frame 0, then back to the key frame: a picture on the way each time,
    // an earlier frame carrying its own number, before the frame asked for.
    for (const auto& [asked, first] : {std::pair{250, 1}, std::pair{120, 0}}) {
        previews.clear();
        frames.clear();
        reader.request(asked);
        QTRY_COMPARE_WITH_TIMEOUT(frames.size(), 1, 20000);
        QCOMPARE(previews.size(), 1);
        QCOMPARE(previews[0][0].toInt(), first);
        QCOMPARE(previews[0][1].toInt(), asked);
        QCOMPARE(testvideo::frameNumber(previews[0][2].value<QImage>()), first);
        QCOMPARE(testvideo::frameNumber(frames[0][1].value<QImage>()), asked);
    }
    // A frame close by comes at once, without one.
    previews.clear();
    reader.request(123);
    QTRY_COMPARE_WITH_TIMEOUT(frames.size(), 2, 20000);
    QCOMPARE(previews.size(), 0);
}

// NTSC video, 30000/1001 frames a second in a 1/90000 s time base: frames start every 3003
// ticks, at 0, 33.37, 66.73 and 100.1 ms, which round to 0, 33, 67 and 100 ms. The frame on
// screen at a time is the last one started at or before it.
void TestVideoDecoder::frameAtTime_data()
{
    QTest::addColumn<qint64>("ms");
    QTest::addColumn<int>("frame");
    QTest::newRow("before the start") << qint64(-5) << 0;
    QTest::newRow("just before frame 1") << qint64(32) << 0;
    QTest::newRow("frame 1 starts") << qint64(33) << 1;
    QTest::newRow("66 ms, frame 2 not yet (66.73 rounds up)") << qint64(66) << 1;
    QTest::newRow("frame 2 starts") << qint64(67) << 2;
    QTest::newRow("the last frame") << qint64(100) << 3;
    QTest::newRow("after the end") << qint64(5000) << 3;
}

void TestVideoDecoder::frameAtTime()
{
    QFETCH(qint64, ms);
    QFETCH(int, frame);
    VideoIndex index;
    index.timeBaseNum = 1;
    index.timeBaseDen = 90000;
    index.pts = {900, 3903, 6906, 9909}; // starting at 10 ms: times count from frame 0
    QCOMPARE(index.timeMs(2), std::int64_t(67));
    QCOMPARE(index.frameAtMs(ms), frame);
}

// A key frame names its video by the video's SHA-256: a file that breaks off while it is read
// (a failing disk, a share gone away) gives none, rather than the fingerprint of its start.
void TestVideoDecoder::aFileReadOnlyInPartHasNoFingerprint()
{
    class BreaksOff : public QIODevice
    {
    public:
        qint64 size() const override { return 10000; }

    protected:
        qint64 readData(char* data, qint64 most) override
        {
            if (m_given >= 2000)
                return -1;
            const qint64 count = std::min(most, 2000 - m_given);
            std::fill_n(data, count, 'x');
            m_given += count;
            return count;
        }
        qint64 writeData(const char*, qint64) override { return -1; }

    private:
        qint64 m_given = 0;
    };
    BreaksOff broken;
    QVERIFY(broken.open(QIODevice::ReadOnly | QIODevice::Unbuffered));
    QVERIFY(!readWholeSha256(broken));

    QBuffer whole;
    whole.setData("abc");
    QVERIFY(whole.open(QIODevice::ReadOnly));
    // FIPS 180-2's first example.
    QCOMPARE(readWholeSha256(whole).value_or("none"),
             QByteArray("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));
}

QTEST_GUILESS_MAIN(TestVideoDecoder)
#include "tst_videodecoder.moc"
