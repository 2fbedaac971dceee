// SPDX-License-Identifier: GPL-3.0-or-later
// How long PaintFitted takes for a 6000 x 4000 JPEG photograph in the workplace box, and how
// much memory five such pictures (the workplace picture and four extra pictures, loaded
// through their windows) add to the program.
//
//   bench_paintfitted            (runs offscreen unless QT_QPA_PLATFORM says otherwise)
//
// Targets: under 250 ms per PaintFitted; under 60 MB more peak memory after five pictures.
// The photograph is made by a child process, so that making it does not raise this
// process's peak memory.
#include "BenchSupport.h"
#include "ExtraPics.h"
#include "MainWindow.h"
#include "OpenExtraPics.h"
#include "OpenPictureFile.h"
#include "PaintFitted.h"
#include "PictureBox.h"
#include "ProgramState.h"
#include "WindowSet.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// kB figures of /proc/self/status: VmHWM (peak resident) and VmRSS (resident now).
long statusKb(const char* key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(static_cast<int>(std::strlen(key))).trimmed().split(' ').front().toLong();
    }
    return -1;
}

// A photograph-like picture: smooth light with fine texture, so it codes like a photo.
int makePhotograph(const QString& path)
{
    QImage image(6000, 4000, QImage::Format_RGB32);
    quint32 noise = 12345;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            noise = noise * 1664525u + 1013904223u;
            const int grain = static_cast<int>(noise >> 28);
            line[x] = qRgb((x / 24 + grain) & 0xFF, (y / 16 + grain * 2) & 0xFF, ((x + y) / 40 + grain) & 0xFF);
        }
    }
    QImageWriter writer(path, "jpeg");
    writer.setQuality(90);
    return writer.write(image) ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (const std::optional<int> made = generatingChild(argc, argv, makePhotograph))
        return *made;
    BenchApplication app(argc, argv);

    QTemporaryDir dir;
    const QString photo = QDir(dir.path()).filePath(QStringLiteral("photo.jpg"));
    if (!runChild({QStringLiteral("--generate"), photo})) {
        std::fprintf(stderr, "could not make the photograph\n");
        return 1;
    }
    QStringList names;
    for (int i = 1; i <= 5; ++i) {
        const QString name = QStringLiteral("photo%1.jpg").arg(i);
        QFile::copy(photo, QDir(dir.path()).filePath(name));
        names << name;
    }
    std::printf("photograph: 6000 x 4000 JPEG, %.1f MB\n", QFileInfo(photo).size() / 1048576.0);

    ProgramState state;
    WindowSet windows(state);
    MainWindow& main = windows.window<MainWindow>();
    main.showWindow();
    OpenPictureFile& pictureFile = windows.window<OpenPictureFile>();
    OpenExtraPics& extraFile = windows.window<OpenExtraPics>();
    windows.window<ExtraPics>();
    QCoreApplication::processEvents();

    // Five pictures through the windows, as the assessor loads them.
    const long peakBefore = statusKb("VmHWM:");
    const long residentBefore = statusKb("VmRSS:");
    const auto choose = [&](const QString& name) {
        state.SelectedPictureName = name;
        state.SelectedPicturePath = QDir::cleanPath(dir.path()) + QLatin1Char('\\') + name;
    };
    choose(names[0]);
    pictureFile.open();
    for (int i = 1; i < 5; ++i) {
        choose(names[i]);
        extraFile.open();
    }
    QCoreApplication::processEvents();
    const long peakAfter = statusKb("VmHWM:");
    const long residentAfter = statusKb("VmRSS:");
    std::printf("extra pictures loaded: %d\n", state.ExtraPictureCount);
    std::printf("peak memory (VmHWM): %.1f MB before, %.1f MB after five pictures: +%.1f MB (target < 60 MB)\n",
                peakBefore / 1024.0, peakAfter / 1024.0, (peakAfter - peakBefore) / 1024.0);
    std::printf("resident (VmRSS):    %.1f MB before, %.1f MB after five pictures: +%.1f MB\n", residentBefore / 1024.0,
                residentAfter / 1024.0, (residentAfter - residentBefore) / 1024.0);

    // PaintFitted alone, into the workplace box.
    PictureBox* box = control<PictureBox>(&main, "Picture1");
    PictureLoader loader;
    std::vector<double> times;
    for (int run = 0; run < 10; ++run) {
        bool painted = false;
        times.push_back(millisecondsOf([&] { painted = PaintFitted(photo, loader, *box); }));
        if (!painted) {
            std::fprintf(stderr, "PaintFitted failed\n");
            return 1;
        }
    }
    std::sort(times.begin(), times.end());
    std::printf("PaintFitted 6000 x 4000 JPEG into %d x %d: median %.1f ms, min %.1f ms, max %.1f ms over %zu runs "
                "(target < 250 ms)\n",
                box->innerSize().width(), box->innerSize().height(), times[times.size() / 2], times.front(),
                times.back(), times.size());
    return 0;
}
