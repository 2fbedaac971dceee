// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the screenshots in docs/screenshots/ (every window but the main window's tabs, which
// bench_main --screenshots draws): the windows as the assessor sees them, offscreen.
// Usage: QT_QPA_PLATFORM=offscreen bench_screenshots DIR
#include "AssessmentDetails.h"
#include "CautionStatement.h"
#include "ContextHelp.h"
#include "EmployeeDetails.h"
#include "ExampleResults.h"
#include "ExtraPics.h"
#include "FileLists.h"
#include "FinalResults.h"
#include "HelpViewer.h"
#include "MainWindow.h"
#include "OpenExtraPics.h"
#include "OpenPictureFile.h"
#include "OptionCatalogue.h"
#include "OverwriteFile.h"
#include "ProgramState.h"
#include "RULAAction.h"
#include "RULAOverview.h"
#include "Resources.h"
#include "Results.h"
#include "SaveWindow.h"
#include "ScoreTables.h"
#include "Services.h"
#include "TeamDatabaseSettings.h"
#include "VideoFrames.h"
#include "WindowSet.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <initializer_list>
#include <utility>

namespace {

int failures = 0;

void save(const QImage& image, const QDir& dir, const char* name)
{
    const QString path = dir.filePath(QString::fromLatin1(name));
    if (image.save(path)) {
        std::printf("%s\n", qPrintable(path));
    } else {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        ++failures;
    }
}

template <typename T> T* control(QWidget& window, const char* name)
{
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("window %s has no %s", qPrintable(window.objectName()), name);
    return found;
}

void press(QWidget& window, const char* button)
{
    QTest::mouseClick(control<QPushButton>(window, button), Qt::LeftButton);
}

// Clicks a file of the window's file list, as the assessor chooses one.
void clickFile(QWidget& window, const QString& name)
{
    auto* files = control<FileList>(window, "File1");
    const QList<QListWidgetItem*> found = files->findItems(name, Qt::MatchExactly);
    if (found.size() != 1)
        qFatal("no file %s", qPrintable(name));
    files->scrollToItem(found.front());
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, files->visualItemRect(found.front()).center());
}

// A drawn stand-in for a photograph of a workplace: a worker bent over a bench, or
// reaching up to a shelf.
QImage workplaceScene(QSize size, bool shelf)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal w = size.width();
    const qreal h = size.height();
    QLinearGradient wall(0, 0, 0, h * 0.7);
    wall.setColorAt(0, QColor(214, 222, 230));
    wall.setColorAt(1, QColor(176, 186, 196));
    p.fillRect(QRectF(0, 0, w, h * 0.7), wall);
    p.fillRect(QRectF(0, h * 0.7, w, h * 0.3), QColor(120, 112, 100));
    p.setPen(QPen(QColor(90, 84, 76), h * 0.004));
    for (int i = 1; i < 8; ++i)
        p.drawLine(QPointF(w * i / 8.0, h * 0.7), QPointF(w * (i / 8.0 - 0.5) * 2.2 + w / 2, h));
    p.setPen(Qt::NoPen);
    if (shelf) {
        p.setBrush(QColor(150, 100, 60));
        for (int i = 0; i < 4; ++i)
            p.drawRect(QRectF(w * 0.45, h * (0.12 + 0.16 * i), w * 0.5, h * 0.02));
        p.setBrush(QColor(196, 160, 100));
        for (int i = 0; i < 4; ++i)
            p.drawRect(QRectF(w * (0.5 + 0.1 * (i % 3)), h * (0.05 + 0.16 * i), w * 0.08, h * 0.07));
    } else {
        p.setBrush(QColor(140, 96, 58));
        p.drawRect(QRectF(w * 0.42, h * 0.5, w * 0.5, h * 0.04));
        p.drawRect(QRectF(w * 0.45, h * 0.54, w * 0.03, h * 0.3));
        p.drawRect(QRectF(w * 0.86, h * 0.54, w * 0.03, h * 0.3));
        p.setBrush(QColor(70, 90, 120));
        p.drawRect(QRectF(w * 0.55, h * 0.42, w * 0.2, h * 0.08));
    }
    // The worker.
    const qreal unit = std::min(w, h);
    QPen body(QColor(40, 60, 120), unit * 0.05, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(body);
    const QPointF hip(w * 0.3, h * 0.62);
    const QPointF neck = shelf ? QPointF(w * 0.32, h * 0.36) : QPointF(w * 0.44, h * 0.42);
    const QPointF hand = shelf ? QPointF(w * 0.55, h * 0.2) : QPointF(w * 0.6, h * 0.49);
    p.drawLine(hip, neck);
    p.drawPolyline(QPolygonF({neck, (neck + hand) / 2 + QPointF(0, unit * 0.06), hand}));
    p.drawPolyline(QPolygonF({hip, QPointF(w * 0.27, h * 0.78), QPointF(w * 0.28, h * 0.93)}));
    p.drawPolyline(QPolygonF({hip, QPointF(w * 0.34, h * 0.78), QPointF(w * 0.35, h * 0.93)}));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(230, 190, 160));
    const QPointF head = neck + (neck - hip) * 0.28;
    p.drawEllipse(head, unit * 0.05, unit * 0.05);
    return image;
}

// Caution, employee details, final results, action levels and the overview.
void resultWindows(const QDir& dir)
{
    ProgramState state;
    WindowSet windows(state);
    save(windows.window<CautionStatement>().grab().toImage(), dir, "caution.png");

    publishExampleResults(state, windows);
    // Maximised windows as on a 1024 x 768 screen, where the buttons (which reach 4 pixels
    // below the laid-out client area) are whole.
    FinalResults& results = windows.window<FinalResults>();
    results.resize(1024, 738);
    save(results.grab().toImage(), dir, "final-results.png");

    ShowActionLevels(windows);
    RULAAction& action = windows.window<RULAAction>();
    action.hide();
    action.resize(1024, 738);
    save(action.grab().toImage(), dir, "action-levels.png");

    save(windows.window<RULAOverview>().grab().toImage(), dir, "overview.png");
    EmployeeDetails& details = windows.window<EmployeeDetails>();
    control<QLineEdit>(details, "Text1")->setText(QStringLiteral("Ann O'Neill"));
    save(details.grab().toImage(), dir, "employee-details.png");
}

// F1 on "Employees Location:" with its pop-up beside it, and the reduction measures guide.
void help(const QDir& dir)
{
    ProgramState state;
    WindowSet windows(state);
    EmployeeDetails& details = windows.window<EmployeeDetails>();
    details.showWindow();
    if (!QTest::qWaitForWindowExposed(&details))
        qFatal("employee details not shown");
    QLineEdit* location = control<QLineEdit>(details, "Text3");
    location->setFocus();
    QTest::keyClick(location, Qt::Key_F1);
    QWidget* popup = ContextHelp::currentPopup();
    if (!popup)
        qFatal("no context help pop-up");
    const QRect windowArea(details.mapToGlobal(QPoint(0, 0)), details.size());
    const QRect area = windowArea.united(popup->geometry()).adjusted(-8, -8, 8, 8);
    QPixmap shot(area.size());
    shot.fill(QColor(0x60, 0x70, 0x80));
    {
        QPainter painter(&shot);
        painter.drawPixmap(windowArea.topLeft() - area.topLeft(), details.grab());
        painter.drawPixmap(popup->geometry().topLeft() - area.topLeft(), popup->grab());
    }
    save(shot.toImage(), dir, "context-help.png");
    popup->close();

    RULAAction& action = windows.window<RULAAction>();
    action.showWindow();
    press(action, "Command1");
    auto* viewer = action.findChild<HelpViewer*>();
    if (!viewer)
        qFatal("no help viewer");
    viewer->resize(680, 720);
    if (!QTest::qWaitForWindowExposed(viewer))
        qFatal("help viewer not shown");
    save(viewer->grab().toImage(), dir, "reduction-measures.png");
}

// The Save window on /usr/share, and the overwrite question.
void saving(const QDir& dir)
{
    ProgramState state;
    WindowSet windows(state);
    control<QLineEdit>(windows.window<EmployeeDetails>(), "Text1")->setText(QStringLiteral("Smith"));
    SaveWindow& window = windows.window<SaveWindow>();
    window.showWindow();
    control<FolderList>(window, "Dir1")->setPath(QStringLiteral("/usr/share"));
    save(window.grab().toImage(), dir, "save.png");
    OverwriteFile& overwrite = windows.window<OverwriteFile>();
    overwrite.showWindow();
    save(overwrite.grab().toImage(), dir, "overwrite.png");
}

// The main window with a workplace photograph, and the extra pictures window with two.
void pictures(const QDir& dir)
{
    QTemporaryDir folder;
    const QDir photos(folder.path());
    workplaceScene({1600, 1200}, false).save(photos.filePath(QStringLiteral("bench.jpg")), "jpeg", 90);
    workplaceScene({900, 1400}, true).save(photos.filePath(QStringLiteral("shelf.jpg")), "jpeg", 90);

    ProgramState state;
    WindowSet windows(state);
    MainWindow& main = windows.window<MainWindow>();
    main.showWindow();
    OpenPictureFile& open = windows.window<OpenPictureFile>();
    open.showWindow();
    control<FolderList>(open, "Dir1")->setPath(folder.path());
    clickFile(open, QStringLiteral("bench.jpg"));
    press(open, "cmdOpen");
    // The offscreen screen is smaller than the main window's designed client area.
    main.setWindowState(Qt::WindowNoState);
    main.resize(1018, 711);
    save(main.grab().toImage(), dir, "main-with-picture.png");

    OpenExtraPics& extra = windows.window<OpenExtraPics>();
    for (const char* name : {"shelf.jpg", "bench.jpg"}) {
        extra.showWindow();
        control<FolderList>(extra, "Dir1")->setPath(folder.path());
        clickFile(extra, QString::fromLatin1(name));
        press(extra, "cmdOpen");
    }
    ExtraPics& shown = windows.window<ExtraPics>();
    shown.setWindowState(Qt::WindowNoState);
    shown.resize(1018, 735);
    save(shown.grab().toImage(), dir, "extra-pics.png");
}

// Windows of their own beside the designed ones, as they first open: assessment details, the
// team database and video frames (plan-change.png, with an assessment, is drawn by hand).
void ownWindows(const QDir& dir)
{
    ProgramState state;
    WindowSet windows(state);
    const auto shoot = [&dir](AppWindow& window, const char* name) {
        window.showWindow();
        QCoreApplication::processEvents();
        save(window.grab().toImage(), dir, name);
        window.hide();
    };
    shoot(windows.window<AssessmentDetails>(), "assessment-details.png");
    shoot(windows.window<TeamDatabaseSettings>(), "team-database.png");
    shoot(windows.window<VideoFrames>(), "video-frames.png");
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: QT_QPA_PLATFORM=offscreen %s DIR\n", argv[0]);
        return 2;
    }
    initTalvoResources();
    QStringList messages;
    MessageService::setHandler([&messages](const QString& text, const QString&) { messages << text; });
    ProgramEnd::setHandler([] {});
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.exists() && !QDir().mkpath(dir.path()))
        qFatal("cannot make %s", argv[1]);
    resultWindows(dir);
    help(dir);
    saving(dir);
    pictures(dir);
    ownWindows(dir);
    for (const QString& message : messages)
        std::fprintf(stderr, "message: %s\n", qPrintable(message));
    return failures == 0 && messages.isEmpty() ? 0 : 1;
}
