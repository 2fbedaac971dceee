// SPDX-License-Identifier: GPL-3.0-or-later
// Suggest Landmarks in the Measure Angles window on a 24-megapixel photograph (6000 x 4000
// JPEG, the footballer of opencv-doc's messi5.jpg enlarged into it): from the click until the
// points are placed, the picture already shown. Beside it, in the same run, the plain tool:
// the two networks alone (OpenCV's dnn, the detector's 224 x 224 and the landmark model's
// 256 x 256 input), what no program using these models can go below.
//
//   bench_pose [runs]     (offscreen unless QT_QPA_PLATFORM says otherwise)
//
// Targets: under 400 ms on two cores, within 1.3 times the networks' own time.
#include "AngleCanvas.h"
#include "BenchSupport.h"
#include "BodyPose.h"
#include "MainWindow.h"
#include "MeasureAngles.h"
#include "OpenPictureFile.h"
#include "ProgramState.h"
#include "WindowSet.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <opencv2/core.hpp>
#include <opencv2/dnn.hpp>

#include <cstdio>
#include <vector>

namespace {

const QString Photograph = QStringLiteral("/usr/share/doc/opencv-doc/examples/data/messi5.jpg");

int writePhotograph(const QString& file)
{
    QImage big(6000, 4000, QImage::Format_RGB32);
    big.fill(QColor(60, 110, 50));
    QPainter painter(&big);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(0, 127, 6000, 6000.0 * 342 / 548), QImage(Photograph));
    painter.end();
    QImageWriter writer(file, "jpeg");
    writer.setQuality(90);
    return writer.write(big) ? 0 : 1;
}

void waitFor(const std::function<bool()>& done)
{
    QElapsedTimer timer;
    timer.start();
    // Sleeping between looks: a busy loop here would take a core from the search it waits for.
    while (!done() && timer.elapsed() < 60000)
        QTest::qWait(1);
}

} // namespace

int main(int argc, char** argv)
{
    if (const std::optional<int> made = generatingChild(argc, argv, writePhotograph))
        return *made;
    BenchApplication app(argc, argv);

    QTemporaryDir dir;
    const QString name = QStringLiteral("worker.jpg");
    const QString photo = QDir(dir.path()).filePath(name);
    if (!runChild({QStringLiteral("--generate"), photo})) {
        std::fprintf(stderr, "could not make the photograph from %s\n", qPrintable(Photograph));
        return 1;
    }
    std::printf("photograph: 6000 x 4000 JPEG, %.1f MB; OpenCV threads %d\n", QFileInfo(photo).size() / 1048576.0,
                cv::getNumThreads());

    // The plain tool: the two networks, read from the files the program reads.
    const QDir models(pose::modelFolder());
    cv::dnn::Net detector = cv::dnn::readNetFromONNX(models.filePath(pose::detectorFileName()).toStdString());
    cv::dnn::Net landmarks = cv::dnn::readNetFromONNX(models.filePath(pose::landmarkFileName()).toStdString());
    // Their inputs made from the photograph itself (a constant input runs at another speed).
    const QImage rgb = QImage(Photograph).convertToFormat(QImage::Format_RGB888);
    const cv::Mat pixels(rgb.height(), rgb.width(), CV_8UC3, const_cast<uchar*>(rgb.constBits()),
                         std::size_t(rgb.bytesPerLine()));
    const cv::Mat detectorInput =
        cv::dnn::blobFromImage(pixels, 1.0 / 127.5, cv::Size(224, 224), cv::Scalar::all(127.5), false, false);
    const cv::Mat landmarkInput = cv::dnn::blobFromImage(pixels(cv::Rect(100, 0, 342, 342)), 1.0 / 255,
                                                         cv::Size(256, 256), cv::Scalar(), false, false);
    const auto runNetworks = [&] {
        std::vector<cv::Mat> out;
        detector.setInput(detectorInput);
        detector.forward(out, detector.getUnconnectedOutLayersNames());
        landmarks.setInput(landmarkInput);
        landmarks.forward(out, landmarks.getUnconnectedOutLayersNames());
    };

    ProgramState state;
    WindowSet windows(state);
    MainWindow& main = windows.window<MainWindow>();
    main.showWindow();
    state.SelectedPictureName = name;
    state.SelectedPicturePath = QDir::cleanPath(dir.path()) + QLatin1Char('\\') + name;
    windows.window<OpenPictureFile>().open();
    main.measureAngles();
    MeasureAngles& window = windows.window<MeasureAngles>();
    window.resize(1900, 1040);
    waitFor([&] { return window.canvas()->showsFullPicture(); });
    auto* suggest = window.findChild<QPushButton*>(QStringLiteral("SuggestLandmarks"));
    auto* status = window.findChild<QLabel*>(QStringLiteral("SuggestStatus"));
    const auto suggestOnce = [&] {
        return millisecondsOf([&] {
            suggest->click();
            if (suggest->isEnabled())
                std::printf("the click started no search\n");
            waitFor([&] { return suggest->isEnabled(); });
        });
    };
    // The first suggestion reads the models; that is not what is measured.
    suggestOnce();
    runNetworks();
    std::printf("status: %s\n", qPrintable(status->text()));

    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    // Between the two: the search alone on the canvas's copy, without the window and its thread.
    pose::PoseFinder finder;
    const QImage copy = window.canvas()->copyForSearch(pose::WorkingSide);
    std::printf("searched copy: %d x %d\n", copy.width(), copy.height());
    std::vector<double> suggested;
    std::vector<double> searched;
    std::vector<double> plain;
    for (int run = 0; run < runs; ++run) {
        suggested.push_back(suggestOnce());
        plain.push_back(millisecondsOf(runNetworks));
        searched.push_back(millisecondsOf([&] { finder.find(copy); }));
    }
    printTimings("Suggest Landmarks (24 MP)", suggested, 28, 7, 1);
    printTimings("PoseFinder::find on the copy", searched, 28, 7, 1);
    printTimings("the two networks alone", plain, 28, 7, 1);
    std::sort(suggested.begin(), suggested.end());
    std::sort(plain.begin(), plain.end());
    const double ratio = suggested[suggested.size() / 2] / plain[plain.size() / 2];
    std::printf("ratio (medians): %.2f   target: under 400 ms, within 1.3\n", ratio);
    return 0;
}
