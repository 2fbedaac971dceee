// SPDX-License-Identifier: GPL-3.0-or-later
// Test videos whose every frame carries its own number in its pixels: a band of 12 blocks
// across the top, black for a 1 bit and white for a 0 bit, most significant first. The
// blocks are large enough to come through any encoder's compression unchanged.
#pragma once

#include <QColor>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include <cstdlib>
#include <vector>

namespace testvideo {

constexpr int Width = 320;
constexpr int Height = 240;
constexpr int Bits = 12;
constexpr int Block = 24;

inline QImage numberedFrame(int number)
{
    QImage image(Width, Height, QImage::Format_RGB888);
    // A diagonal stripe pattern that moves with every frame, so encoders predict motion.
    for (int y = 0; y < Height; ++y) {
        uchar* line = image.scanLine(y);
        for (int x = 0; x < Width; ++x) {
            line[3 * x] = static_cast<uchar>((x + 3 * number) % 200 + 30);
            line[3 * x + 1] = static_cast<uchar>((y + 2 * number) % 200 + 30);
            line[3 * x + 2] = static_cast<uchar>((x + y) % 200 + 30);
        }
    }
    QPainter painter(&image);
    for (int bit = 0; bit < Bits; ++bit) {
        const bool set = (number >> (Bits - 1 - bit)) & 1;
        painter.fillRect(bit * (Block + 2), 0, Block, Block, set ? Qt::black : Qt::white);
    }
    return image;
}

// The number a decoded frame carries, read from the middle of each block.
inline int frameNumber(const QImage& frame)
{
    if (frame.width() != Width || frame.height() != Height)
        return -1;
    int number = 0;
    for (int bit = 0; bit < Bits; ++bit) {
        int sum = 0;
        for (int y = Block / 2 - 4; y < Block / 2 + 4; ++y) {
            for (int x = bit * (Block + 2) + Block / 2 - 4; x < bit * (Block + 2) + Block / 2 + 4; ++x)
                sum += qGray(frame.pixel(x, y));
        }
        number = number * 2 + (sum / 64 < 128 ? 1 : 0);
    }
    return number;
}

// Runs the ffmpeg program with `arguments` after reading `frames` numbered raw RGB frames
// from its standard input (at 1000 frames a second, so that a "setpts" filter in the
// arguments can give each frame any whole-millisecond time). Empty on success, else why not.
inline QString runFfmpeg(const QStringList& arguments, int frames = 0)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    if (program.isEmpty())
        return QStringLiteral("the ffmpeg program is not installed");
    QStringList all = {QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"),
                       QStringLiteral("-y")};
    if (frames > 0) {
        all << QStringLiteral("-f") << QStringLiteral("rawvideo") << QStringLiteral("-pix_fmt")
            << QStringLiteral("rgb24") << QStringLiteral("-s") << QStringLiteral("%1x%2").arg(Width).arg(Height)
            << QStringLiteral("-r") << QStringLiteral("1000") << QStringLiteral("-i") << QStringLiteral("-");
    }
    QProcess ffmpeg;
    ffmpeg.start(program, all + arguments);
    if (!ffmpeg.waitForStarted())
        return QStringLiteral("ffmpeg does not start");
    for (int n = 0; n < frames; ++n) {
        const QImage frame = numberedFrame(n);
        for (int y = 0; y < Height; ++y)
            ffmpeg.write(reinterpret_cast<const char*>(frame.constScanLine(y)), Width * 3);
        while (ffmpeg.bytesToWrite() > 4 * 1024 * 1024)
            ffmpeg.waitForBytesWritten(10000);
    }
    ffmpeg.closeWriteChannel();
    if (!ffmpeg.waitForFinished(300000) || ffmpeg.exitStatus() != QProcess::NormalExit || ffmpeg.exitCode() != 0)
        return QStringLiteral("ffmpeg failed: ") + QString::fromLocal8Bit(ffmpeg.readAllStandardError());
    return QString();
}

// The numbers the ffmpeg program reads from the frames of `file`, in the order it shows them
// (every frame, none repeated or dropped); empty when it cannot.
inline std::vector<int> ffmpegFrameNumbers(const QString& file)
{
    QProcess ffmpeg;
    ffmpeg.start(QStandardPaths::findExecutable(QStringLiteral("ffmpeg")),
                 {QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"),
                  QStringLiteral("-i"), file, QStringLiteral("-fps_mode"), QStringLiteral("passthrough"),
                  QStringLiteral("-f"), QStringLiteral("rawvideo"), QStringLiteral("-pix_fmt"), QStringLiteral("rgb24"),
                  QStringLiteral("-")});
    std::vector<int> numbers;
    if (!ffmpeg.waitForFinished(300000) || ffmpeg.exitCode() != 0)
        return numbers;
    const QByteArray raw = ffmpeg.readAllStandardOutput();
    const qsizetype frameBytes = qsizetype{Width} * Height * 3;
    for (qsizetype at = 0; at + frameBytes <= raw.size(); at += frameBytes) {
        const QImage frame(reinterpret_cast<const uchar*>(raw.constData() + at), Width, Height, Width * 3,
                           QImage::Format_RGB888);
        numbers.push_back(frameNumber(frame));
    }
    return numbers;
}

// Writes the display matrix (a b 0, c d 0, x y 1) into the first track header of the MP4 or
// QuickTime file `file`, as a camera does that stores its pictures turned: the stored pixel
// (p, q) is shown at (a p + c q + x, b p + d q + y), q downwards. False when there is none.
inline bool setDisplayMatrix(const QString& file, int a, int b, int c, int d, int x, int y)
{
    QFile video(file);
    if (!video.open(QIODevice::ReadWrite))
        return false;
    const QByteArray bytes = video.readAll();
    const qsizetype header = bytes.indexOf("tkhd");
    if (header < 4)
        return false;
    // After the version and flags: times, track id and duration (32 or 64 bits each by the
    // version), then 16 bytes of layer, group, volume and reserved.
    const qsizetype matrixAt = header + 4 + 4 + (bytes[header + 4] == 1 ? 32 : 20) + 16;
    QByteArray matrix;
    const auto put = [&matrix](qint64 value) {
        const auto word = static_cast<quint32>(value);
        for (int shift = 24; shift >= 0; shift -= 8)
            matrix.append(static_cast<char>((word >> shift) & 0xFF));
    };
    // 16.16 fixed point, but the third column 2.30 (multiplied, since a negative value may
    // not be shifted).
    constexpr qint64 One = 65536;
    for (qint64 value : {a * One, b * One, qint64{0}, c * One, d * One, qint64{0}, x * One, y * One, qint64{1} << 30})
        put(value);
    return video.seek(matrixAt) && video.write(matrix) == matrix.size();
}

// The arguments that give frame n the time n * 40 ms, or, for a variable rate, n * 40 +
// (n * n mod 17) ms, which rises by 24 to 56 ms from frame to frame.
inline QStringList timing(bool variable)
{
    return {QStringLiteral("-vf"),
            variable ? QStringLiteral("setpts=round((N*40+mod(N*N\\,17))/1000/TB)")
                     : QStringLiteral("setpts=round(N*40/1000/TB)"),
            QStringLiteral("-fps_mode"),
            variable ? QStringLiteral("vfr") : QStringLiteral("cfr"),
            QStringLiteral("-r"),
            variable ? QStringLiteral("1000") : QStringLiteral("25")};
}

} // namespace testvideo
