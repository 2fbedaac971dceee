// SPDX-License-Identifier: GPL-3.0-or-later
// The Measure Angles window on a 6000 x 4000 JPEG photograph of a worker at a bench:
// opening the window until its picture is first painted, and one repaint while a point is
// dragged.
//
//   bench_measure [runs]               (offscreen unless QT_QPA_PLATFORM says otherwise)
//   bench_measure --screenshot FILE    measures an upper arm, a neck and a trunk on the
//                                      photograph and saves the window as FILE
//
// Targets: first paint under 300 ms; a drag repaint under 16 ms.
#include "AngleCanvas.h"
#include "BenchSupport.h"
#include "MainWindow.h"
#include "MeasureAngles.h"
#include "OpenPictureFile.h"
#include "ProgramState.h"
#include "Resources.h"
#include "Services.h"
#include "WindowSet.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QListWidget>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// The worker's joints on the 6000 x 4000 photograph (facing right): trunk 25° forward,
// neck 25° from the trunk line, upper arm 60° forward of the trunk, forearm flexed 80°.
struct Joints
{
    QPointF hip{2400, 2100};
    QPointF shoulder;
    QPointF ear;
    QPointF elbow;
    QPointF wrist;
    QPointF knuckles;
    QPointF knee{2520, 2900};
    QPointF ankle{2440, 3640};
};

QPointF turnedFromDown(QPointF from, double degrees, double length)
{
    const double r = degrees * M_PI / 180.0;
    return from + QPointF(std::sin(r), std::cos(r)) * length;
}

Joints workerJoints()
{
    Joints j;
    j.shoulder = turnedFromDown(j.hip, 180 - 25, 1000);
    j.ear = turnedFromDown(j.shoulder, 180 - 50, 380);
    j.elbow = turnedFromDown(j.shoulder, -25 + 60, 600);
    j.wrist = turnedFromDown(j.elbow, 35 + 80, 520);
    j.knuckles = turnedFromDown(j.wrist, 115 + 10, 190);
    return j;
}

void limb(QPainter& painter, QPointF a, QPointF b, double width, QColor colour)
{
    painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(a, b);
}

// A drawn photograph: a workshop wall and floor, a bench with a box, a worker leaning over
// it, and (for timing) a fine grain so that it codes like a photograph.
QImage drawWorkplace(bool grain)
{
    QImage image(6000, 4000, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient wall(0, 0, 0, 3300);
    wall.setColorAt(0, QColor(196, 204, 200));
    wall.setColorAt(1, QColor(150, 160, 158));
    painter.fillRect(0, 0, 6000, 3300, wall);
    QLinearGradient floor(0, 3300, 0, 4000);
    floor.setColorAt(0, QColor(120, 110, 96));
    floor.setColorAt(1, QColor(84, 76, 66));
    painter.fillRect(0, 3300, 6000, 700, floor);
    painter.fillRect(0, 3260, 6000, 40, QColor(90, 90, 90));
    // A window and a door frame on the wall.
    painter.fillRect(600, 500, 1100, 900, QColor(210, 228, 240));
    painter.setPen(QPen(QColor(110, 110, 110), 30));
    painter.drawRect(600, 500, 1100, 900);
    painter.drawLine(1150, 500, 1150, 1400);
    painter.fillRect(5300, 300, 60, 2960, QColor(120, 100, 80));
    // The bench and a box on it.
    painter.fillRect(3300, 1560, 2300, 110, QColor(140, 96, 58));
    painter.fillRect(3400, 1670, 90, 1630, QColor(96, 70, 44));
    painter.fillRect(5420, 1670, 90, 1630, QColor(96, 70, 44));
    painter.fillRect(3700, 1180, 700, 380, QColor(176, 140, 90));
    painter.setPen(QPen(QColor(120, 90, 50), 12));
    painter.drawRect(3700, 1180, 700, 380);

    const Joints j = workerJoints();
    const QColor trousers(56, 60, 72);
    const QColor shirt(40, 96, 160);
    const QColor skin(224, 180, 150);
    limb(painter, j.hip, j.knee, 230, trousers);
    limb(painter, j.knee, j.ankle, 200, trousers);
    painter.setBrush(QColor(40, 34, 30));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(j.ankle.x() - 120, j.ankle.y() - 40, 420, 140), 50, 50);
    limb(painter, j.hip, j.shoulder, 420, shirt);
    limb(painter, j.shoulder, j.ear - QPointF(40, -60), 150, skin);
    painter.setBrush(skin);
    painter.drawEllipse(j.ear + QPointF(40, -40), 220, 250);
    painter.setBrush(QColor(70, 50, 36));
    painter.drawChord(QRectF(j.ear.x() - 190, j.ear.y() - 300, 460, 420), 30 * 16, 200 * 16);
    painter.setBrush(skin.darker(115));
    painter.drawEllipse(j.ear, 45, 60);
    limb(painter, j.shoulder, j.elbow, 190, shirt.darker(110));
    limb(painter, j.elbow, j.wrist, 150, shirt.darker(110));
    limb(painter, j.wrist, j.knuckles, 120, skin);
    painter.end();
    if (!grain)
        return image;

    quint32 noise = 12345;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            noise = noise * 1664525u + 1013904223u;
            const int speck = static_cast<int>(noise >> 29) - 4;
            const QRgb c = line[x];
            line[x] = qRgb(std::clamp(qRed(c) + speck, 0, 255), std::clamp(qGreen(c) + speck, 0, 255),
                           std::clamp(qBlue(c) + speck, 0, 255));
        }
    }
    return image;
}

int writeWorkplace(const QString& path, bool grain)
{
    QImageWriter writer(path, "jpeg");
    writer.setQuality(90);
    return writer.write(drawWorkplace(grain)) ? 0 : 1;
}

// Notes when the canvas has handled its first paint.
class PaintWatch : public QObject
{
public:
    bool painted = false;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            m_pending = true;
        const bool handled = QObject::eventFilter(watched, event);
        return handled;
    }
    // The paint event has been handled once the event loop gets back here.
    bool takePaint()
    {
        const bool was = m_pending;
        m_pending = false;
        return was;
    }

private:
    bool m_pending = false;
};

QByteArray peakMemory()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("VmHWM:"))
                return line.mid(6).trimmed();
        }
    }
    return "unknown";
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void loadWorkplacePicture(ProgramState& state, WindowSet& windows, const QString& folder, const QString& name)
{
    state.SelectedPictureName = name;
    state.SelectedPicturePath = QDir::cleanPath(folder) + QLatin1Char('\\') + name;
    windows.window<OpenPictureFile>().open();
}

void clickOn(AngleCanvas* canvas, QPointF picturePoint)
{
    QTest::mouseClick(canvas, Qt::LeftButton, {},
                      canvas->toWidget(rula::Point{picturePoint.x(), picturePoint.y()}).toPoint());
}

// Marks the worker's right side as the assessor does: the facing, then the six landmarks in
// the order the window asks for them.
void markTheSide(MeasureAngles& window, const Joints& j)
{
    window.findChild<QRadioButton*>(QStringLiteral("FacesRight"))->click();
    window.findChild<QListWidget*>(QStringLiteral("BodyPart"))->setCurrentRow(0);
    for (const QPointF& p : {j.hip, j.shoulder, j.elbow, j.wrist, j.knuckles, j.ear})
        clickOn(window.canvas(), p);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && (std::strcmp(argv[1], "--generate") == 0 || std::strcmp(argv[1], "--generate-plain") == 0)) {
        QGuiApplication app(argc, argv);
        return writeWorkplace(QString::fromLocal8Bit(argv[2]), std::strcmp(argv[1], "--generate") == 0);
    }
    const bool screenshot = argc == 3 && std::strcmp(argv[1], "--screenshot") == 0;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !screenshot)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    initTalvoResources();
    printMessageBoxes();

    QTemporaryDir dir;
    const QString name = QStringLiteral("workplace.jpg");
    const QString photo = QDir(dir.path()).filePath(name);
    // The screenshot's photograph has no grain, so that the picture in the README stays small.
    const QString generate = screenshot ? QStringLiteral("--generate-plain") : QStringLiteral("--generate");
    if (!runChild({generate, photo})) {
        std::fprintf(stderr, "could not make the photograph\n");
        return 1;
    }
    std::printf("photograph: 6000 x 4000 JPEG, %.1f MB\n", QFileInfo(photo).size() / 1048576.0);

    if (screenshot) {
        ProgramState state;
        WindowSet windows(state);
        MainWindow& main = windows.window<MainWindow>();
        main.showWindow();
        loadWorkplacePicture(state, windows, dir.path(), name);
        main.measureAngles();
        MeasureAngles& window = windows.window<MeasureAngles>();
        if (!QTest::qWaitForWindowExposed(&window))
            std::printf("window not exposed\n");
        QTest::qWait(1500); // the full picture arrives from the background
        window.resize(1400, 900);
        QTest::qWait(100);
        // Zoomed in on the worker, two steps of the wheel about the shoulder.
        const Joints j = workerJoints();
        AngleCanvas* canvas = window.canvas();
        const QPointF shoulderAt = canvas->toWidget(rula::Point{j.shoulder.x(), j.shoulder.y() + 300});
        QWheelEvent wheel(shoulderAt, canvas->mapToGlobal(shoulderAt), QPoint(), QPoint(0, 240), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(canvas, &wheel);
        markTheSide(window, j);
        QTest::qWait(200);
        const QString file = QString::fromLocal8Bit(argv[2]);
        bool saved = window.grab().save(file);
        // The trunk and the neck chosen, beside it, for a look.
        for (int row : {6, 7}) {
            window.findChild<QListWidget*>(QStringLiteral("BodyPart"))->setCurrentRow(row);
            QTest::qWait(100);
            saved =
                window.grab().save(QString(file).replace(QStringLiteral(".png"), QStringLiteral("-%1.png").arg(row))) &&
                saved;
        }
        std::printf("screenshot %s: %s\n", argv[2], saved ? "saved" : "NOT saved");
        return saved ? 0 : 1;
    }

    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    std::vector<double> firstPaint;
    std::vector<double> fullPicture;
    std::vector<double> dragRepaint;
    std::vector<double> panRepaint;
    for (int run = 0; run < runs; ++run) {
        ProgramState state;
        WindowSet windows(state);
        MainWindow& main = windows.window<MainWindow>();
        main.showWindow();
        loadWorkplacePicture(state, windows, dir.path(), name);
        QCoreApplication::processEvents();

        QElapsedTimer timer;
        timer.start();
        MeasureAngles& window = windows.window<MeasureAngles>();
        // As large as a maximised window on a full-HD screen, also where no window manager
        // maximises it (Xvfb, offscreen).
        window.resize(1900, 1040);
        PaintWatch watch;
        window.canvas()->installEventFilter(&watch);
        main.measureAngles();
        while (!watch.takePaint())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        firstPaint.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);

        // The full picture replaces the quick copy from the background.
        while (!window.canvas()->showsFullPicture() && timer.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        fullPicture.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);

        // Drag the elbow of a marked side across the picture: three angles follow it.
        const Joints j = workerJoints();
        markTheSide(window, j);
        AngleCanvas* canvas = window.canvas();
        QPoint at = canvas->toWidget(rula::Point{j.elbow.x(), j.elbow.y()}).toPoint();
        QTest::mousePress(canvas, Qt::LeftButton, {}, at);
        for (int step = 0; step < 60; ++step) {
            at += QPoint(step % 20 < 10 ? 3 : -3, 2);
            QElapsedTimer one;
            one.start();
            QTest::mouseMove(canvas, at);
            // Everything the move made dirty (the picture's drawing and the side panel's
            // labels) is painted and flushed here.
            QCoreApplication::processEvents();
            dragRepaint.push_back(static_cast<double>(one.nsecsElapsed()) / 1e6);
        }
        QTest::mouseRelease(canvas, Qt::LeftButton, {}, at);

        // Pan: every move redraws the picture in view from its scaled copy.
        QPoint from = canvas->rect().center() + QPoint(0, canvas->height() / 3);
        QTest::mousePress(canvas, Qt::LeftButton, {}, from);
        for (int step = 0; step < 20; ++step) {
            from += QPoint(5, 1);
            QElapsedTimer one;
            one.start();
            QTest::mouseMove(canvas, from);
            QCoreApplication::processEvents();
            panRepaint.push_back(static_cast<double>(one.nsecsElapsed()) / 1e6);
        }
        QTest::mouseRelease(canvas, Qt::LeftButton, {}, from);
        if (run == 0)
            std::printf("canvas %d x %d, zoom %.3f\n", canvas->width(), canvas->height(), canvas->zoom());
    }
    std::sort(dragRepaint.begin(), dragRepaint.end());
    std::printf(
        "open Measure Angles to first paint: median %.1f ms, min %.1f, max %.1f over %d runs (target < 300 ms)\n",
        median(firstPaint), *std::min_element(firstPaint.begin(), firstPaint.end()),
        *std::max_element(firstPaint.begin(), firstPaint.end()), runs);
    std::printf("full-size picture decoded and shown: median %.1f ms after opening\n", median(fullPicture));
    std::printf("drag of a point, move to repainted: median %.2f ms, 95th percentile %.2f ms, max %.2f ms over %zu "
                "moves (target < 16 ms)\n",
                median(dragRepaint), dragRepaint[dragRepaint.size() * 95 / 100], dragRepaint.back(),
                dragRepaint.size());
    std::printf("pan, move to repainted: median %.2f ms\n", median(panRepaint));
    std::printf("peak memory (VmHWM) after %d windows each holding the picture at full size: %s\n", runs,
                peakMemory().constData());
    return 0;
}
