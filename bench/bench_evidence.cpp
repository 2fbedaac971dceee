// SPDX-License-Identifier: GPL-3.0-or-later
// A save with the evidence file: the result files and an evidence file holding a 24-megapixel
// workplace photograph (6000 x 4000 JPEG), written, synced and moved into place together,
// timed over many runs; and the strict reading of that evidence file.
// Usage: bench_evidence [folder] [runs]; the folder defaults to a fresh temporary one.
#include "BenchSupport.h"
#include "Evidence.h"
#include "EvidencePictureFile.h"
#include "PairReplacement.h"
#include "ResultTextFile.h"
#include "RevisionChanges.h"
#include "SaveResults.h"
#include "SavedFiles.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

// A photograph-like picture: smooth shading with fine noise, which JPEG cannot squeeze much.
QByteArray photograph()
{
    QImage image(6000, 4000, QImage::Format_RGB32);
    QRandomGenerator random(24);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int noise = int(random.bounded(24));
            line[x] = qRgb((x / 24 + noise) % 256, (y / 16 + noise) % 256, ((x + y) / 40 + noise) % 256);
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 90);
    return bytes;
}

// What `cp` and `sync FILE FOLDER` do, in this process: the picture copied into a new file of
// the folder, the copy and the folder synced. The least any durable save of the picture costs.
bool copyAndSync(const QString& from, const QString& to)
{
    QFile input(from);
    if (!input.open(QIODevice::ReadOnly))
        return false;
    QFile::remove(to);
    const int out = ::open(QFile::encodeName(to).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (out < 0)
        return false;
    bool ok = true;
    char buffer[128 * 1024];
    for (qint64 n; ok && (n = input.read(buffer, sizeof buffer)) > 0;)
        ok = ::write(out, buffer, std::size_t(n)) == n;
    ok = ::fsync(out) == 0 && ok;
    ::close(out);
    const int folder = ::open(QFile::encodeName(QFileInfo(to).absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
    ok = folder >= 0 && ::fsync(folder) == 0 && ok;
    if (folder >= 0)
        ::close(folder);
    return ok;
}

} // namespace

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    QTemporaryDir folder(args.size() > 1 ? args.at(1) + QStringLiteral("/bench_evidence-XXXXXX") : QString());
    const int runs = args.size() > 2 ? args.at(2).toInt() : 20;
    const QString pictureFile = folder.filePath(QStringLiteral("workplace.jpg"));
    if (!folder.isValid() || !writeWholeFile(pictureFile, photograph())) {
        std::fprintf(stderr, "cannot write the photograph\n");
        return 1;
    }
    const AssessmentRecord record =
        BuildRecord(variedAssessment(5), {"Jane O'Doe", "4711", "Plant 2"}, QDateTime::currentDateTime());
    const SaveTable table = SaveTableOf(record);

    // Choosing the photograph in the program starts hashing it on another core.
    hashPictureAhead(pictureFile);

    std::vector<double> saves;
    std::vector<double> copies;
    std::vector<double> reads;
    qint64 evidenceSize = 0;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        if (!copyAndSync(pictureFile, folder.filePath(QStringLiteral("copy.jpg")))) {
            std::fprintf(stderr, "cannot copy the photograph\n");
            return 1;
        }
        copies.push_back(double(timer.nsecsElapsed()) / 1e6);
        timer.restart();
        // What the Save window does: the picture's hash taken as worked out when it was chosen, the
        // picture sized, the next revision built; the evidence file's writer copies the picture
        // from its file, hashing it again on another core as it goes to check it.
        QString pictureError;
        std::optional<EvidencePicture> picture =
            readEvidencePicture(pictureFile, QStringLiteral("workplace"), &pictureError);
        if (!picture) {
            std::fprintf(stderr, "cannot read the photograph: %s\n", qPrintable(pictureError));
            return 1;
        }
        picture->pixelSize = QImageReader(pictureFile).size();
        RevisionSources sources;
        sources.pictures = {*picture};
        sources.savedUtc = QDateTime::currentDateTimeUtc();
        sources.programVersion = QStringLiteral("2.0");
        sources.newId = QStringLiteral("bench");
        const Evidence evidence = nextRevision(record, ResultTextFile::contents(table), sources);
        DurableFiles::SaveSteps plain;
        const SaveOutcome outcome =
            SaveResultsWithSteps(table, folder.path(), QStringLiteral("Jane RULA Analysis"), plain,
                                 [&evidence](const QString& path) { return writeEvidence(path, evidence); });
        saves.push_back(double(timer.nsecsElapsed()) / 1e6);
        // The old files the save left to another core are gone before the anchor is timed.
        PairReplacement::waitForOldFilesRemoved();
        if (!outcome.ok) {
            std::fprintf(stderr, "save failed: %s\n", qPrintable(outcome.error));
            return 1;
        }
        const QString evidencePath = folder.filePath(QStringLiteral("Jane RULA Evidence.sqlite"));
        evidenceSize = QFileInfo(evidencePath).size();
        timer.restart();
        const EvidenceReading reading = readEvidence(evidencePath, evidence.textSha256);
        reads.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (!reading.ok) {
            std::fprintf(stderr, "read failed: %s\n", qPrintable(reading.error));
            return 1;
        }
    }
    std::printf("evidence file %.1f MB (picture %.1f MB), %d runs\n", double(evidenceSize) / 1e6,
                double(QFileInfo(pictureFile).size()) / 1e6, runs);
    printTimings("save of three files with the 24-megapixel picture", saves, 52, 6, 1);
    printTimings("cp + fsync of the picture and its folder (anchor)", copies, 52, 6, 1);
    std::sort(saves.begin(), saves.end());
    std::sort(copies.begin(), copies.end());
    std::printf("ratio of the medians, save to cp + fsync: %.2f (goal 1.5)\n",
                saves[saves.size() / 2] / copies[copies.size() / 2]);
    printTimings("strict reading of the evidence file", reads, 52, 6, 1);
    return 0;
}
