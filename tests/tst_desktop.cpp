// SPDX-License-Identifier: GPL-3.0-or-later
// The main window on a display scaled to 200 %: sharp pictures, a whole assessment made with
// the keyboard alone, what a screen reader is told, and a keyboard focus plain to see.
#include "MainWindow.h"
#include "OptionCatalogue.h"
#include "OptionPanel.h"
#include "PictureControl.h"
#include "TabbedPanel.h"
#include "VideoFrames.h"
#include "WindowTestSupport.h"

#include <QAccessible>
#include <QApplication>
#include <QPainter>
#include <QSvgRenderer>
#include <QtTest>

namespace {

// The share of pixels in which two images of one size differ by more than a trace.
double differingShare(const QImage& a, const QImage& b)
{
    int differing = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            if (qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q)) + qAbs(qBlue(p) - qBlue(q)) > 24)
                ++differing;
        }
    }
    return double(differing) / (a.width() * a.height());
}

} // namespace

class DesktopTest : public QObject, WindowFixture
{
    Q_OBJECT
private slots:
    void initTestCase() { startRecording(); }
    void init() { makeWindows(); }
    void cleanup() { dropWindows(); }

    void pictureIsDrawnAtTheDevicePixelRatio()
    {
        PictureControl picture(nullptr);
        picture.setArt(QStringLiteral("neck_2"));
        picture.resize(96, 88);
        const QPixmap shot = picture.grab();
        QCOMPARE(shot.devicePixelRatio(), 2.0);
        QCOMPARE(shot.size(), QSize(192, 176));

        // The drawing itself, rendered straight onto 192 x 176 pixels.
        QImage sharp(192, 176, QImage::Format_ARGB32_Premultiplied);
        sharp.fill(Qt::white);
        QPainter painter(&sharp);
        painter.setRenderHint(QPainter::Antialiasing);
        QSvgRenderer(QStringLiteral(":/pictures/neck_2.svg")).render(&painter, QRectF(0, 0, 192, 176));
        painter.end();
        QVERIFY2(differingShare(shot.toImage(), sharp) < 0.002,
                 qPrintable(QString::number(differingShare(shot.toImage(), sharp))));
    }

    void wholeAssessmentWithTheKeyboard()
    {
        MainWindow& main = windows->window<MainWindow>();
        main.showWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        TabbedPanel* tabs = main.tabs();
        for (int i = 0; i < 30 && QApplication::focusWidget() != tabs; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), tabs);

        // Right side: upper arm flexed 45-90 (3), forearm outside 60-100 (2), wrist bent over
        // 15 (3), mid-range twist (1), static posture (+1), 2-10 kg static (2): Table A 4,
        // score C 7. Neck over 20 (3), trunk 0-20 (2), legs unsupported (2), not static,
        // 2-10 kg intermittent: Table B 4, score D 5. Table C: grand score 7.
        // Left side: the first posture of each group, not static, under 2 kg: A 1, C 1;
        // grand score 4.
        using G = rula::Group;
        const std::vector<std::pair<G, int>> choices = {
            {G::UpperRight, 4},      {G::UpperLeft, 1},      {G::LowerRight, 2},
            {G::LowerLeft, 1},       {G::WristRight, 3},     {G::WristTwistRight, 1},
            {G::WristLeft, 1},       {G::WristTwistLeft, 1}, {G::Neck, 3},
            {G::Trunk, 2},           {G::Legs, 2},           {G::MuscleRightUpper, 1},
            {G::MuscleLeftUpper, 2}, {G::MuscleLower, 2},    {G::ForceRightUpper, 3},
            {G::ForceLeftUpper, 1},  {G::ForceLower, 2}};
        for (const auto& [group, number] : choices) {
            const rula::GroupInfo& info = rula::groupInfo(group);
            while (tabs->currentIndex() != info.tab - 1)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
            // The options of a tab are visited group by group, in option order.
            int steps = number - 1;
            for (const rula::GroupInfo& other : rula::groups()) {
                if (other.tab == info.tab && int(other.group) < int(group))
                    steps += other.optionCount;
            }
            QTest::keyClick(tabs, Qt::Key_Down);
            for (int i = 0; i < steps; ++i)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
            QCOMPARE(QApplication::focusWidget(), main.panel(info.firstOption + number - 1)->picture());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
            QCOMPARE(QApplication::focusWidget(), tabs);
        }
        QTest::keyClick(tabs, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(tabs->currentIndex(), 0);
        QTest::keyClick(tabs, Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(tabs->currentIndex(), 8);

        QTest::keyClick(&main, Qt::Key_R, Qt::AltModifier);          // View &Results
        QTRY_COMPARE(int(state->record.results.GrandScoreRight), 7); // the access key presses after a moment
        QCOMPARE(int(state->record.results.GrandScoreLeft), 4);
        QCOMPARE(recorder.messages, QStringList());
    }

    void screenReaderNames()
    {
        MainWindow& main = windows->window<MainWindow>();
        main.selectOption(rula::groupInfo(rula::Group::UpperRight).firstOption + 3);
        QAccessibleInterface* picture = QAccessible::queryAccessibleInterface(main.panel(3)->picture());
        QVERIFY(picture);
        QCOMPARE(picture->text(QAccessible::Name),
                 QStringLiteral("Upper Right: upper arm flexed 45° to 90°, score 3, selected"));
        QVERIFY(!picture->text(QAccessible::Description).isEmpty());
        QAccessibleInterface* other = QAccessible::queryAccessibleInterface(main.panel(0)->picture());
        QVERIFY(other->text(QAccessible::Name).endsWith(QStringLiteral(", score 1, not selected")));
        QAccessibleInterface* box = QAccessible::queryAccessibleInterface(child<QLabel>(main, "CurrentScore"));
        QCOMPARE(box->text(QAccessible::Name), QStringLiteral("Upper arm, right: score 3"));
        QVERIFY(!box->text(QAccessible::Description).isEmpty());
        QAccessibleInterface* empty = QAccessible::queryAccessibleInterface(child<QLabel>(main, "Label21"));
        QCOMPARE(empty->text(QAccessible::Name), QStringLiteral("Wrist twist, left: no score yet"));
        // The pictures without options: the workplace picture and the video's frame.
        QAccessibleInterface* workplace = QAccessible::queryAccessibleInterface(child<QWidget>(main, "Picture1"));
        QCOMPARE(workplace->text(QAccessible::Name), QStringLiteral("Workplace picture"));
        QAccessibleInterface* frame =
            QAccessible::queryAccessibleInterface(child<QWidget>(windows->window<VideoFrames>(), "Frame"));
        QCOMPARE(frame->text(QAccessible::Name), QStringLiteral("Video frame"));
    }

    // The tab in front carries a solid frame in the focus colour of the option pictures while
    // the headers have the keyboard focus, and none without it.
    void tabHeaderFocusIsPlain()
    {
        MainWindow& main = windows->window<MainWindow>();
        main.showWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        TabbedPanel* tabs = main.tabs();
        QWidget* strip = child<QWidget>(*tabs, "SSTab1Headers");
        const auto framePixels = [&] {
            const QImage shot = strip->grab().toImage();
            const qreal ratio = shot.devicePixelRatio();
            const QRect header = tabs->headerRect(tabs->currentIndex());
            int count = 0;
            for (int y = int(header.top() * ratio); y < int((header.bottom() + 1) * ratio); ++y) {
                for (int x = int(header.left() * ratio); x < int((header.right() + 1) * ratio); ++x)
                    count += shot.pixel(x, y) == qRgb(0, 0, 160) ? 1 : 0;
            }
            return count / (ratio * ratio);
        };
        child<QWidget>(main, "Command2")->setFocus();
        QCOMPARE(framePixels(), 0.0);
        tabs->setFocus(Qt::TabFocusReason);
        // Around a caption of some 60 x 13 pixels, two pixels wide.
        QVERIFY2(framePixels() > 200, qPrintable(QString::number(framePixels())));
    }
};

int main(int argc, char* argv[])
{
    qputenv("QT_SCALE_FACTOR", "2"); // an assessor's 4K laptop at 200 %
    QApplication app(argc, argv);
    DesktopTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_desktop.moc"
