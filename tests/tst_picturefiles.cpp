// SPDX-License-Identifier: GPL-3.0-or-later
// The workplace picture and the extra pictures, driven through their windows: choosing a
// file in the lists, Open and Exit, the fit of a picture into a box checked pixel by pixel,
// and files that are not pictures.
#include "ExtraPics.h"
#include "FileLists.h"
#include "MainWindow.h"
#include "OpenExtraPics.h"
#include "OpenPictureFile.h"
#include "PaintFitted.h"
#include "PictureBox.h"
#include "ProgramState.h"
#include "Services.h"
#include "WindowSet.h"

#include <QFontInfo>
#include <QImageWriter>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QPainter>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

struct Message
{
    QString text;
    QString title;
};

// A picture's drawn area as seen on screen: the bounding rectangle of the pixels that are
// not the box's background, in inner-area coordinates, and whether every pixel inside it
// is the picture's colour and every pixel outside it the background.
struct Seen
{
    QRect rect;
    bool solid = true;
    bool cleanMargins = true;
};

bool near(QColor a, QColor b, int tolerance)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

Seen look(PictureBox* box, QColor colour, int tolerance = 0)
{
    const QImage shot = box->grab().toImage();
    const QRect inner = box->contentsRect();
    const QColor background = box->palette().color(QPalette::Button);
    Seen seen;
    for (int y = 0; y < inner.height(); ++y) {
        for (int x = 0; x < inner.width(); ++x) {
            if (shot.pixelColor(inner.x() + x, inner.y() + y) != background)
                seen.rect |= QRect(x, y, 1, 1);
        }
    }
    for (int y = 0; y < inner.height(); ++y) {
        for (int x = 0; x < inner.width(); ++x) {
            const QColor pixel = shot.pixelColor(inner.x() + x, inner.y() + y);
            if (seen.rect.contains(x, y))
                seen.solid = seen.solid && near(pixel, colour, tolerance);
            else
                seen.cleanMargins = seen.cleanMargins && pixel == background;
        }
    }
    return seen;
}

// Gives each window a fresh program: its own state and windows, messages recorded.
class Program
{
public:
    Program()
    {
        windows = std::make_unique<WindowSet>(state);
        MessageService::setHandler([this](const QString& text, const QString& title) {
            messages.push_back({text, title});
        });
    }
    ~Program()
    {
        windows.reset();
        MessageService::resetHandler();
    }

    PictureBox* mainBox() { return control<PictureBox>(&windows->window<MainWindow>(), "Picture1"); }
    PictureBox* extraBox(int n) { return windows->window<ExtraPics>().pictureBox(n); }

    // Shows a picture-file window and opens `folder` in its folder list.
    template <typename W> W& openAt(const QString& folder)
    {
        W& window = windows->window<W>();
        window.showWindow();
        if (!QTest::qWaitForWindowExposed(&window))
            qWarning("window not exposed");
        control<FolderList>(&window, "Dir1")->setPath(folder);
        return window;
    }

    ProgramState state;
    std::unique_ptr<WindowSet> windows;
    std::vector<Message> messages;
};

bool clickFile(QWidget& window, const QString& name, bool twice = false)
{
    auto* files = control<FileList>(&window, "File1");
    const QList<QListWidgetItem*> found = files->findItems(name, Qt::MatchExactly);
    if (found.size() != 1)
        return false;
    files->scrollToItem(found.front());
    const QPoint at = files->visualItemRect(found.front()).center();
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, at);
    if (twice) {
        // A widget double click as the window system delivers it: press, release, double click, release.
        QTest::mouseDClick(files->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(files->viewport(), Qt::LeftButton, {}, at);
    }
    return true;
}

void press(QWidget& window, const char* button)
{
    QTest::mouseClick(control<QPushButton>(&window, button), Qt::LeftButton);
}

QString writePicture(const QDir& dir, const QString& name, QSize size, QColor colour, const char* format = nullptr)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    const QString path = dir.filePath(name);
    if (!image.save(path, format))
        qWarning("cannot write %s", qPrintable(path));
    return path;
}

QString writeBytes(const QDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qWarning("cannot write %s", qPrintable(path));
    return path;
}

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A photograph-like JPEG (varied content, so the coded data is long).
QByteArray photoJpeg(QSize size, bool progressive = false)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x)
            line[x] = qRgb((x * 7 + y) % 256, (y * 5) % 256, (x * y) % 256);
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(90);
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    return buffer.data();
}

const QColor Red(255, 0, 0);
const QColor Blue(0, 0, 255);
const QColor Green(0, 160, 0);

// A 1 x 1 red GIF.
const QByteArray TinyGif = QByteArray::fromHex("47494638396101000100800000ff000000000021f90401000000002c00000000010001"
                                               "000002024401003b");

// A GIF of `image`'s palette indices (at most 256 colours), its data written as 9-bit LZW
// codes with a clear code every 100 pixels, so that no code grows wider.
QByteArray gifOf(const QImage& image)
{
    QByteArray gif("GIF89a");
    const auto word = [&gif](int v) {
        gif += char(v & 0xFF);
        gif += char(v >> 8);
    };
    word(image.width());
    word(image.height());
    gif += char(0xF7); // a global table of 256 colours
    gif += char(0);
    gif += char(0);
    QList<QRgb> table = image.colorTable();
    table.resize(256);
    for (QRgb c : table) {
        gif += char(qRed(c));
        gif += char(qGreen(c));
        gif += char(qBlue(c));
    }
    gif += char(0x2C);
    word(0);
    word(0);
    word(image.width());
    word(image.height());
    gif += char(0);
    gif += char(8); // code size
    QByteArray data;
    quint32 bits = 0;
    int count = 0;
    const auto code = [&](int c) {
        bits |= quint32(c) << count;
        count += 9;
        while (count >= 8) {
            data += char(bits & 0xFF);
            bits >>= 8;
            count -= 8;
        }
    };
    int run = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (run++ % 100 == 0)
                code(256);
            code(image.pixelIndex(x, y));
        }
    }
    code(257);
    if (count > 0)
        data += char(bits & 0xFF);
    for (qsizetype at = 0; at < data.size(); at += 255) {
        const QByteArray block = data.mid(at, 255);
        gif += char(block.size());
        gif += block;
    }
    gif += char(0);
    gif += char(0x3B);
    return gif;
}

// A palette picture: the left half red, the right half blue.
QImage twoColourPalette(QImage::Format format, QSize size = {300, 200})
{
    QImage image(size, format);
    image.setColorTable({qRgb(255, 0, 0), qRgb(0, 0, 255)});
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, x < size.width() / 2 ? 0 : 1);
    }
    return image;
}

} // namespace

class TestPictureFiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void fitComputation();
    void fitIntoBoxes_data();
    void fitIntoBoxes();
    void boxKeepsItsPicture();
    void aPictureDecodedElsewhereShowsUnlessReplaced();
    void decodesAtTheShownSize();
    void readsTheCommonFormats();
    void palettePicturesKeepTheirColours_data();
    void palettePicturesKeepTheirColours();

    void windowsAsDesigned();
    void keyboardOrder();
    void clickChoosesTheFileForBothWindows();
    void openShowsThePictureBesideTheTabs();
    void mainButtonsOpenThePictureWindows();
    void doubleClickOpens();
    void exitPaintsButShowsNothing();
    void nothingChosenDoesNothing();
    void textTypedIsNeverRead();

    void extraPicturesFillTheBoxesInOrder();
    void extraExitLeavesEverything();
    void extraPicsWindow();

    void filesThatAreNotPictures_data();
    void filesThatAreNotPictures();
    void completeJpegsAreAccepted();
    void damagedFilesNeverCrash();
    void photographsAreShownUpright();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_folder;
};

void TestPictureFiles::initTestCase()
{
    // The damaged files below are damaged on purpose; the decoder need not say so.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.gui.imageio.jpeg.warning=false"));
}

void TestPictureFiles::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_folder = QDir::cleanPath(m_dir->path());
    const QDir dir(m_folder);
    writePicture(dir, "wide.png", {300, 200}, Red);
    writePicture(dir, "tall.png", {100, 400}, Blue);
    writePicture(dir, "green.png", {240, 160}, Green);
}

void TestPictureFiles::cleanup()
{
    m_dir.reset();
}

void TestPictureFiles::fitComputation()
{
    // Equal ratios take the "otherwise" branch: the width is kept exactly.
    FittedRect same = fitPicture({49, 73}, {245, 365});
    QCOMPARE(same.width, 245.0f);
    QCOMPARE(same.left, 0.0f);
    QVERIFY(std::abs(same.height - 365.0f) < 0.001f);
    QCOMPARE(same.toPixels(), QRect(0, 0, 245, 365));

    // A box relatively wider than the picture keeps its height: W = H * r.
    FittedRect tall = fitPicture({100, 400}, {245, 365});
    QCOMPARE(tall.height, 365.0f);
    QCOMPARE(tall.width, 91.25f);
    QCOMPARE(tall.left, 76.875f);
    QCOMPARE(tall.top, 0.0f);

    // A picture of one pixel's height in a wide box still shows as a line.
    QCOMPARE(fitPicture({10000, 1}, {245, 365}).toPixels(), QRect(0, 182, 245, 1));
}

void TestPictureFiles::fitIntoBoxes_data()
{
    QTest::addColumn<QSize>("boxSize");
    QTest::addColumn<QSize>("pictureSize");
    QTest::addColumn<QRect>("drawn");

    // The workplace box, 249 x 369 with a 2-pixel border: inner 245 x 365.
    // 300 x 200: H = 245 / 1.5 = 163.33, top = 100.83; edges at 100.83 and 264.17.
    QTest::newRow("workplace, wide") << QSize(249, 369) << QSize(300, 200) << QRect(0, 101, 245, 163);
    // 100 x 400: W = 365 * 0.25 = 91.25, left = 76.875; edges at 76.875 and 168.125.
    QTest::newRow("workplace, tall") << QSize(249, 369) << QSize(100, 400) << QRect(77, 0, 91, 365);
    QTest::newRow("workplace, proportional") << QSize(249, 369) << QSize(49, 73) << QRect(0, 0, 245, 365);
    // An extra picture box, 3495 x 5535 twips = 233 x 369: inner 229 x 365.
    // 300 x 200: H = 152.67, top = 106.17; edges at 106.17 and 258.83.
    QTest::newRow("extra, wide") << QSize(233, 369) << QSize(300, 200) << QRect(0, 106, 229, 153);
    // 100 x 400: W = 91.25, left = 68.875; edges at 68.875 and 160.125.
    QTest::newRow("extra, tall") << QSize(233, 369) << QSize(100, 400) << QRect(69, 0, 91, 365);
    QTest::newRow("extra, proportional") << QSize(233, 369) << QSize(458, 730) << QRect(0, 0, 229, 365);
}

void TestPictureFiles::fitIntoBoxes()
{
    QFETCH(QSize, boxSize);
    QFETCH(QSize, pictureSize);
    QFETCH(QRect, drawn);

    const QString file = writePicture(QDir(m_folder), "fit.png", pictureSize, Red);
    PictureBox box;
    box.resize(boxSize);
    PictureLoader loader;
    QVERIFY(PaintFitted(file, loader, box));
    QCOMPARE(loader.naturalSize(), pictureSize);

    const Seen seen = look(&box, Red);
    QCOMPARE(seen.rect, drawn);
    QVERIFY(seen.solid);
    QVERIFY(seen.cleanMargins);
    // Equal margins on the two sides the picture does not touch.
    const QSize inner = box.innerSize();
    QCOMPARE(drawn.left(), inner.width() - 1 - drawn.right());
    QCOMPARE(drawn.top(), inner.height() - 1 - drawn.bottom());
}

void TestPictureFiles::boxKeepsItsPicture()
{
    QWidget window;
    window.resize(400, 400);
    auto* box = new PictureBox(&window);
    box->setGeometry(8, 8, 249, 369);
    box->hide();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    // Painted while hidden, seen once shown.
    PictureLoader loader;
    QVERIFY(PaintFitted(m_folder + "/wide.png", loader, *box));
    QVERIFY(box->isHidden());
    box->show();
    QCOMPARE(look(box, Red).rect, QRect(0, 101, 245, 163));

    // Covered by another widget, then uncovered; hidden and shown again.
    auto* cover = new QWidget(&window);
    cover->setAutoFillBackground(true);
    cover->setGeometry(0, 0, 400, 400);
    cover->show();
    QCoreApplication::processEvents();
    delete cover;
    box->hide();
    box->show();
    const Seen seen = look(box, Red);
    QCOMPARE(seen.rect, QRect(0, 101, 245, 163));
    QVERIFY(seen.solid);

    // A new picture replaces the old one entirely.
    QVERIFY(PaintFitted(m_folder + "/tall.png", loader, *box));
    const Seen replaced = look(box, Blue);
    QCOMPARE(replaced.rect, QRect(77, 0, 91, 365));
    QVERIFY(replaced.cleanMargins);

    box->clear();
    QVERIFY(!box->hasPicture());
    QVERIFY(look(box, Blue).rect.isEmpty());
}

// A picture loaded here and decoded on another core is on the screen as soon as the box is
// painted; cleared or replaced before it arrives, it never shows.
void TestPictureFiles::aPictureDecodedElsewhereShowsUnlessReplaced()
{
    QWidget window;
    window.resize(400, 400);
    auto* box = new PictureBox(&window);
    box->setGeometry(8, 8, 249, 369);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    PictureLoader wide;
    QVERIFY(wide.load(m_folder + "/wide.png"));
    PictureLoader tall;
    QVERIFY(tall.load(m_folder + "/tall.png"));
    QVERIFY(PaintFittedSoon(wide, *box));
    QCOMPARE(look(box, Red).rect, QRect(0, 101, 245, 163));

    QVERIFY(PaintFittedSoon(tall, *box));
    box->clear();
    QVERIFY(!box->hasPicture());
    QVERIFY(look(box, Blue).rect.isEmpty());

    QVERIFY(PaintFittedSoon(wide, *box));
    PictureLoader now;
    QVERIFY(PaintFitted(m_folder + "/tall.png", now, *box));
    const Seen replaced = look(box, Blue);
    QCOMPARE(replaced.rect, QRect(77, 0, 91, 365));
    QVERIFY(replaced.solid && replaced.cleanMargins);

    // Nothing loaded: refused, and the box keeps what it shows.
    QVERIFY(!PaintFittedSoon(PictureLoader(), *box));
    QCOMPARE(look(box, Blue).rect, QRect(77, 0, 91, 365));

    // A box not showing yet decodes its picture only once it shows, from the file as it is then
    // (here changed meanwhile to another size: nothing is shown).
    const QString changing = m_folder + "/changing.png";
    QVERIFY(QFile::copy(m_folder + "/wide.png", changing));
    PictureLoader later;
    QVERIFY(later.load(changing));
    window.hide();
    QVERIFY(PaintFittedSoon(later, *box));
    QTest::qWait(100); // long enough for any decoding under way to end
    QVERIFY(QFile::remove(changing) && QFile::copy(m_folder + "/tall.png", changing));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(!box->hasPicture());
}

void TestPictureFiles::decodesAtTheShownSize()
{
    // A big photograph keeps only the scaled copy that the box shows.
    const QString file = writeBytes(QDir(m_folder), "photo.jpg", photoJpeg({3000, 2000}));
    PictureBox box;
    box.resize(249, 369);
    PictureLoader loader;
    QVERIFY(PaintFitted(file, loader, box));
    QCOMPARE(loader.naturalSize(), QSize(3000, 2000));
    QCOMPARE(box.pictureRect(), QRect(0, 101, 245, 163));
    QCOMPARE(box.picture().size(), QSize(245, 163));
}

void TestPictureFiles::readsTheCommonFormats()
{
    const QDir dir(m_folder);
    PictureBox box;
    box.resize(249, 369);
    PictureLoader loader;
    const QStringList files = {writePicture(dir, "p.png", {30, 20}, Red, "png"),
                               writePicture(dir, "p.jpg", {30, 20}, Red, "jpeg"),
                               writePicture(dir, "p.bmp", {30, 20}, Red, "bmp"), writeBytes(dir, "p.gif", TinyGif)};
    for (const QString& file : files) {
        box.clear();
        QVERIFY2(PaintFitted(file, loader, box), qPrintable(file));
        QVERIFY2(look(&box, Red, 8).solid, qPrintable(file));
    }
    // The format is told by the content, not by the name.
    const QString misnamed = dir.filePath("png-named.jpg");
    QVERIFY(QFile::copy(dir.filePath("p.png"), misnamed));
    QVERIFY(PaintFitted(misnamed, loader, box));
}

void TestPictureFiles::palettePicturesKeepTheirColours_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    // Five times larger than shown, and about half that.
    const auto png = [](QImage::Format format, QSize size) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        twoColourPalette(format, size).save(&buffer, "png");
        return buffer.data();
    };
    for (const QSize size : {QSize(1200, 800), QSize(600, 400)}) {
        const QString tag = QString::number(size.width());
        QTest::addRow("1-bit palette png, %d", size.width())
            << QStringLiteral("mono") + tag + QStringLiteral(".png") << png(QImage::Format_Mono, size);
        QTest::addRow("8-bit palette png, %d", size.width())
            << QStringLiteral("indexed") + tag + QStringLiteral(".png") << png(QImage::Format_Indexed8, size);
        QTest::addRow("palette gif, %d", size.width()) << QStringLiteral("indexed") + tag + QStringLiteral(".gif")
                                                       << gifOf(twoColourPalette(QImage::Format_Indexed8, size));
    }
}

void TestPictureFiles::palettePicturesKeepTheirColours()
{
    // Shown smaller than they are: red on the left and blue on the right, as in the file.
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    const QString file = writeBytes(QDir(m_folder), name, content);
    PictureBox box;
    box.resize(249, 369);
    PictureLoader loader;
    QVERIFY(PaintFitted(file, loader, box));
    QCOMPARE(box.pictureRect(), QRect(0, 101, 245, 163));
    const QImage shown = box.grab().toImage();
    const QPoint origin = box.contentsRect().topLeft() + box.pictureRect().topLeft();
    for (int y : {5, 80, 158}) {
        for (int x : {5, 60, 110}) {
            QVERIFY2(near(shown.pixelColor(origin + QPoint(x, y)), Qt::red, 8), qPrintable(name));
            QVERIFY2(near(shown.pixelColor(origin + QPoint(244 - x, y)), Qt::blue, 8), qPrintable(name));
        }
    }
}

// One control as designed: class, place in twips, caption, context help topic; the captions
// and the path box are Comic Sans MS 12 pt (shown in Comic Neue).
struct DesignedControl
{
    const char* name;
    const char* className;
    int left, top, width, height;
    const char* caption;
    int helpTopic;
    bool comic;
};

void checkControls(const QWidget& window, std::initializer_list<DesignedControl> design)
{
    for (const DesignedControl& d : design) {
        QWidget* w = window.findChild<QWidget*>(QString::fromLatin1(d.name));
        QVERIFY2(w, d.name);
        QVERIFY2(w->inherits(d.className), d.name);
        QCOMPARE(w->geometry(), QRect(d.left / 15, d.top / 15, d.width / 15, d.height / 15));
        QCOMPARE(w->property("helpTopic").toInt(), d.helpTopic);
        if (auto* button = qobject_cast<QPushButton*>(w))
            QCOMPARE(button->text(), QString::fromLatin1(d.caption));
        if (auto* label = qobject_cast<QLabel*>(w))
            QCOMPARE(label->text(), QString::fromLatin1(d.caption));
        if (d.comic) {
            QCOMPARE(QFontInfo(w->font()).family(), QStringLiteral("Comic Neue"));
            QCOMPARE(w->font().pointSizeF(), d.comic && qobject_cast<QLabel*>(w) ? 48.0 : 12.0);
        }
    }
}

// The frame every picture window has: a fixed dialog frame with context help, no minimise or
// maximise button and, as a dialog, no task-bar entry.
void checkDialogFrame(const QWidget& window)
{
    QCOMPARE(window.windowType(), Qt::Dialog);
    QVERIFY(window.windowFlags() & Qt::WindowContextHelpButtonHint);
    QVERIFY(!(window.windowFlags() & Qt::WindowMinMaxButtonsHint));
}

void TestPictureFiles::windowsAsDesigned()
{
    Program program;
    OpenPictureFile& picture = program.windows->window<OpenPictureFile>();
    QCOMPARE(picture.objectName(), QStringLiteral("OpenPictureFile"));
    QCOMPARE(picture.windowTitle(), QStringLiteral("Open Picture File"));
    QCOMPARE(picture.size(), QSize(5925 / 15, 3780 / 15));
    QCOMPARE(picture.minimumSize(), picture.maximumSize());
    checkDialogFrame(picture);
    checkControls(picture, {
                               {"Drive1", "DriveList", 0, 0, 3735, 315, "", 57, false},
                               {"Dir1", "FolderList", 0, 360, 3735, 2115, "", 58, false},
                               {"File1", "FileList", 3840, 0, 2055, 2430, "", 59, false},
                               {"Text1", "QLineEdit", 0, 2520, 5895, 495, "", 60, true},
                               {"cmdOpen", "QPushButton", 3480, 3120, 2175, 615, "&Open", 62, true},
                               {"Command1", "QPushButton", 1200, 3120, 2175, 615, "&Exit", 61, true},
                           });

    OpenExtraPics& extraFiles = program.windows->window<OpenExtraPics>();
    QCOMPARE(extraFiles.objectName(), QStringLiteral("OpenExtraPics"));
    QCOMPARE(extraFiles.windowTitle(), QStringLiteral("Open Picture File"));
    QCOMPARE(extraFiles.size(), QSize(6195 / 15, 4050 / 15));
    QCOMPARE(extraFiles.minimumSize(), extraFiles.maximumSize());
    checkDialogFrame(extraFiles);
    checkControls(extraFiles, {
                                  {"Drive1", "DriveList", 120, 120, 3735, 315, "", 57, false},
                                  {"Dir1", "FolderList", 120, 480, 3735, 2115, "", 58, false},
                                  {"File1", "FileList", 3960, 120, 2055, 2430, "", 59, false},
                                  {"Text1", "QLineEdit", 120, 2640, 5895, 495, "", 60, true},
                                  {"cmdOpen", "QPushButton", 3600, 3240, 2175, 615, "&Open", 62, true},
                                  {"Command1", "QPushButton", 1320, 3240, 2175, 615, "&Exit", 61, true},
                              });

    // The extra pictures window always stands beside another window, so it has no task-bar
    // entry of its own; it opens maximised.
    ExtraPics& extra = program.windows->window<ExtraPics>();
    QCOMPARE(extra.objectName(), QStringLiteral("ExtraPics"));
    QCOMPARE(extra.windowTitle(), QStringLiteral("Form1"));
    QCOMPARE(extra.size(), QSize(15270 / 15, 11025 / 15));
    checkDialogFrame(extra);
    checkControls(extra, {
                             {"Label37", "QLabel", 2160, 120, 9735, 1455, "Extra Picture Files", 0, true},
                             {"Picture1", "PictureBox", 120, 2280, 3495, 5535, "", 0, false},
                             {"Picture2", "PictureBox", 3840, 2280, 3495, 5535, "", 0, false},
                             {"Picture3", "PictureBox", 7560, 2280, 3495, 5535, "", 0, false},
                             {"Picture4", "PictureBox", 11280, 2280, 3495, 5535, "", 0, false},
                             {"Command1", "QPushButton", 10920, 9120, 2295, 855, "&Close", 24, true},
                         });
    QVERIFY(control<QLabel>(&extra, "Label37")->font().bold());
    extra.showWindow();
    QVERIFY(extra.isMaximized());
}

void TestPictureFiles::keyboardOrder()
{
    Program program;
    auto& window = program.openAt<OpenExtraPics>(m_folder);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QCOMPARE(QApplication::focusWidget(), control<QLineEdit>(&window, "Text1"));
    for (const char* next : {"cmdOpen", "Command1", "Drive1", "Dir1", "File1", "Text1"}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QString::fromLatin1(next));
    }
}

void TestPictureFiles::clickChoosesTheFileForBothWindows()
{
    Program program;
    auto& pictureFile = program.openAt<OpenPictureFile>(m_folder);
    auto* text = control<QLineEdit>(&pictureFile, "Text1");
    // A change of folder shows the folder in the path box.
    QCOMPARE(text->text(), m_folder);
    QCOMPARE(control<FileList>(&pictureFile, "File1")->count(), 3);

    QVERIFY(clickFile(pictureFile, "wide.png"));
    QCOMPARE(program.state.SelectedPictureName, QStringLiteral("wide.png"));
    QCOMPARE(program.state.SelectedPicturePath, m_folder + "\\wide.png");
    QCOMPARE(text->text(), m_folder + "\\wide.png");
    press(pictureFile, "Command1");

    // Chosen in the extra pictures window, opened as the workplace picture ...
    auto& extra = program.openAt<OpenExtraPics>(m_folder);
    QVERIFY(clickFile(extra, "tall.png"));
    QCOMPARE(program.state.SelectedPicturePath, m_folder + "\\tall.png");
    press(extra, "Command1");
    pictureFile.showWindow();
    press(pictureFile, "cmdOpen");
    QCOMPARE(look(program.mainBox(), Blue).rect, QRect(77, 0, 91, 365));

    // ... and the other way round.
    pictureFile.showWindow();
    QVERIFY(clickFile(pictureFile, "green.png"));
    press(pictureFile, "Command1");
    extra.showWindow();
    press(extra, "cmdOpen");
    QCOMPARE(program.state.ExtraPictureCount, 1);
    QVERIFY(look(program.extraBox(1), Green).solid);
    QVERIFY(program.messages.empty());
}

void TestPictureFiles::openShowsThePictureBesideTheTabs()
{
    Program program;
    PictureBox* box = program.mainBox();
    QVERIFY(box->isHidden());
    auto& window = program.openAt<OpenPictureFile>(m_folder);
    QVERIFY(clickFile(window, "wide.png"));
    press(window, "cmdOpen");
    QVERIFY(window.isHidden());
    QVERIFY(!box->isHidden());
    const Seen seen = look(box, Red);
    QCOMPARE(seen.rect, QRect(0, 101, 245, 163));
    QVERIFY(seen.solid && seen.cleanMargins);

    // The window kept its folder and choice; a new Open replaces the picture.
    window.showWindow();
    QCOMPARE(control<FolderList>(&window, "Dir1")->path(), m_folder);
    QVERIFY(clickFile(window, "tall.png"));
    press(window, "cmdOpen");
    QCOMPARE(look(box, Blue).rect, QRect(77, 0, 91, 365));
    QVERIFY(look(box, Blue).cleanMargins);
    QVERIFY(program.messages.empty());
}

void TestPictureFiles::mainButtonsOpenThePictureWindows()
{
    Program program;
    MainWindow& main = program.windows->window<MainWindow>();
    main.showWindow();
    press(main, "Command3");
    QVERIFY(program.windows->window<OpenPictureFile>().isVisible());
    press(main, "Command1");
    QVERIFY(program.windows->window<OpenExtraPics>().isVisible());
    QVERIFY(main.isVisible());
    QVERIFY(program.messages.empty());
}

void TestPictureFiles::doubleClickOpens()
{
    Program program;
    auto& window = program.openAt<OpenPictureFile>(m_folder);
    QVERIFY(clickFile(window, "tall.png", true));
    QCOMPARE(program.state.SelectedPictureName, QStringLiteral("tall.png"));
    QVERIFY(window.isHidden());
    QVERIFY(program.mainBox()->isVisible() || !program.mainBox()->isHidden());
    QCOMPARE(look(program.mainBox(), Blue).rect, QRect(77, 0, 91, 365));

    auto& extra = program.openAt<OpenExtraPics>(m_folder);
    QVERIFY(clickFile(extra, "green.png", true));
    QVERIFY(extra.isHidden());
    QCOMPARE(program.state.ExtraPictureCount, 1);
    QVERIFY(program.windows->window<ExtraPics>().isVisible());
}

void TestPictureFiles::exitPaintsButShowsNothing()
{
    Program program;
    PictureBox* box = program.mainBox();
    auto& window = program.openAt<OpenPictureFile>(m_folder);

    // With the box still hidden, Exit paints into it but shows nothing.
    QVERIFY(clickFile(window, "wide.png"));
    press(window, "Command1");
    QVERIFY(window.isHidden());
    QVERIFY(box->isHidden());
    QCOMPARE(box->pictureRect(), QRect(0, 101, 245, 163));

    // With the box showing a picture, Exit replaces it with the file clicked.
    window.showWindow();
    QVERIFY(clickFile(window, "wide.png"));
    press(window, "cmdOpen");
    window.showWindow();
    QVERIFY(clickFile(window, "tall.png"));
    press(window, "Command1");
    QVERIFY(window.isHidden());
    QVERIFY(!box->isHidden());
    const Seen seen = look(box, Blue);
    QCOMPARE(seen.rect, QRect(77, 0, 91, 365));
    QVERIFY(seen.cleanMargins);
    QVERIFY(program.messages.empty());
}

void TestPictureFiles::nothingChosenDoesNothing()
{
    Program program;
    auto& window = program.openAt<OpenPictureFile>(m_folder);
    press(window, "cmdOpen");
    QVERIFY(window.isVisible());
    QVERIFY(program.mainBox()->isHidden());
    QVERIFY(!program.mainBox()->hasPicture());
    press(window, "Command1");
    QVERIFY(window.isHidden());
    QVERIFY(!program.mainBox()->hasPicture());

    auto& extra = program.openAt<OpenExtraPics>(m_folder);
    press(extra, "cmdOpen");
    QVERIFY(extra.isVisible());
    QCOMPARE(program.state.ExtraPictureCount, 0);
    QVERIFY(!program.windows->window<ExtraPics>().isVisible());
    QVERIFY(program.messages.empty());
}

void TestPictureFiles::textTypedIsNeverRead()
{
    Program program;
    auto& window = program.openAt<OpenPictureFile>(m_folder);
    QVERIFY(clickFile(window, "tall.png"));
    auto* text = control<QLineEdit>(&window, "Text1");
    text->clear();
    QTest::keyClicks(text, m_folder + "/wide.png");
    QTest::keyClick(text, Qt::Key_Return);
    press(window, "cmdOpen");
    QCOMPARE(look(program.mainBox(), Blue).rect, QRect(77, 0, 91, 365));
}

void TestPictureFiles::extraPicturesFillTheBoxesInOrder()
{
    Program program;
    auto& window = program.openAt<OpenExtraPics>(m_folder);
    ExtraPics& extra = program.windows->window<ExtraPics>();
    const QStringList files = {"wide.png", "tall.png", "green.png", "wide.png"};
    const QList<QColor> colours = {Red, Blue, Green, Red};
    for (int n = 1; n <= 4; ++n) {
        window.showWindow();
        QVERIFY(clickFile(window, files[n - 1]));
        press(window, "cmdOpen");
        QCOMPARE(program.state.ExtraPictureCount, n);
        QVERIFY(window.isHidden());
        QVERIFY(extra.isVisible());
        for (int box = 1; box <= 4; ++box)
            QCOMPARE(program.extraBox(box)->isHidden(), box > n);
        extra.hide();
    }
    QCOMPARE(program.extraBox(1)->pictureRect(), QRect(0, 106, 229, 153));
    QCOMPARE(program.extraBox(2)->pictureRect(), QRect(69, 0, 91, 365));
    for (int n = 1; n <= 4; ++n)
        QVERIFY(look(program.extraBox(n), colours[n - 1]).solid);
    // The same file twice gives the same picture twice.
    QCOMPARE(program.extraBox(4)->picture(), program.extraBox(1)->picture());
    QVERIFY(program.messages.empty());

    // The fifth is refused; the window stays open and nothing else changes.
    window.showWindow();
    QVERIFY(clickFile(window, "green.png"));
    press(window, "cmdOpen");
    QCOMPARE(program.messages.size(), std::size_t(1));
    QCOMPARE(program.messages[0].text, QStringLiteral("You have already loaded the maximum 4 pictures"));
    QCOMPARE(program.messages[0].title, QStringLiteral("Error"));
    QCOMPARE(program.state.ExtraPictureCount, 4);
    QVERIFY(window.isVisible());
    QVERIFY(!extra.isVisible());
    QVERIFY(look(program.extraBox(4), Red).solid);
}

void TestPictureFiles::extraExitLeavesEverything()
{
    Program program;
    auto& window = program.openAt<OpenExtraPics>(m_folder);
    QVERIFY(clickFile(window, "wide.png"));
    press(window, "Command1");
    QVERIFY(window.isHidden());
    QCOMPARE(program.state.ExtraPictureCount, 0);
    QVERIFY(!program.windows->window<ExtraPics>().isVisible());
    QVERIFY(!program.extraBox(1)->hasPicture());
    // Unlike the workplace window's Exit, nothing is painted anywhere.
    QVERIFY(!program.mainBox()->hasPicture());
}

void TestPictureFiles::extraPicsWindow()
{
    Program program;
    ExtraPics& extra = program.windows->window<ExtraPics>();
    QCOMPARE(extra.windowTitle(), QStringLiteral("Form1"));
    for (int n = 1; n <= 4; ++n) {
        QVERIFY(program.extraBox(n)->isHidden());
        QCOMPARE(program.extraBox(n)->innerSize(), QSize(229, 365));
    }
    auto* title = control<QLabel>(&extra, "Label37");
    QCOMPARE(title->text(), QStringLiteral("Extra Picture Files"));
    QCOMPARE(title->palette().color(QPalette::WindowText), QColor(0, 0, 128));
    QVERIFY(title->font().bold());

    auto& window = program.openAt<OpenExtraPics>(m_folder);
    QVERIFY(clickFile(window, "green.png"));
    press(window, "cmdOpen");
    QVERIFY(extra.isVisible());
    QVERIFY(extra.isMaximized());
    QCOMPARE(extra.focusWidget(), control<QPushButton>(&extra, "Command1"));
    press(extra, "Command1");
    QVERIFY(!extra.isVisible());
    // Shown again from the main window: the same picture, still there.
    press(program.windows->window<MainWindow>(), "Command4");
    QVERIFY(extra.isVisible());
    QVERIFY(look(program.extraBox(1), Green).solid);
    QCOMPARE(look(program.extraBox(1), Green).rect, QRect(0, 106, 229, 153));
}

void TestPictureFiles::filesThatAreNotPictures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    const QByteArray photo = photoJpeg({600, 400});
    QTest::newRow("text file") << "notes.txt" << QByteArray("Workplace visited on Monday.\n");
    QTest::newRow("text named as a picture") << "fake.jpg" << QByteArray("not a picture at all");
    QTest::newRow("empty file") << "empty.png" << QByteArray();
    QTest::newRow("truncated jpeg") << "cut.jpg" << photo.left(photo.size() / 2);
    QTest::newRow("jpeg cut before its end marker") << "cut2.jpg" << photo.left(photo.size() - 2);
    QTest::newRow("jpeg header only") << "head.jpg" << photo.left(300);
    const auto encoded = [](const char* format) {
        QImage image(300, 200, QImage::Format_RGB32);
        image.fill(Red);
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, format);
        return buffer.data();
    };
    const QByteArray png = encoded("png");
    QTest::newRow("truncated png") << "cut.png" << png.left(png.size() - 30);
    const QByteArray bmp = encoded("bmp");
    QTest::newRow("truncated bmp") << "cut.bmp" << bmp.left(bmp.size() / 2);
    const QByteArray gif = gifOf(twoColourPalette(QImage::Format_Indexed8));
    QTest::newRow("truncated gif") << "cut.gif" << gif.left(gif.size() / 2);
    QTest::newRow("gif cut before its last blocks") << "cut2.gif" << gif.left(gif.size() - 3);
    QTest::newRow("truncated xbm") << "cut.xbm"
                                   << QByteArray("#define cut_width 16\n#define cut_height 8\n"
                                                 "static char cut_bits[] = {\n 0xff, 0x00, 0xff, 0x00,");
    QTest::newRow("xbm missing rows") << "rows.xbm"
                                      << QByteArray("#define rows_width 16\n#define rows_height 8\n"
                                                    "static char rows_bits[] = { 0xff, 0x00 };\n");
    QTest::newRow("vanished") << "gone.png" << QByteArray("(deleted after the click)");
}

void TestPictureFiles::filesThatAreNotPictures()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    if (content == "(deleted after the click)")
        content = readBytes(m_folder + "/green.png");
    const QString path = writeBytes(QDir(m_folder), name, content);

    Program program;
    // The workplace box already shows a picture, one extra picture is loaded.
    auto& window = program.openAt<OpenPictureFile>(m_folder);
    QVERIFY(clickFile(window, "wide.png"));
    press(window, "cmdOpen");
    auto& extraWindow = program.openAt<OpenExtraPics>(m_folder);
    QVERIFY(clickFile(extraWindow, "tall.png"));
    press(extraWindow, "cmdOpen");
    program.windows->window<ExtraPics>().hide();
    const QImage mainBefore = program.mainBox()->grab().toImage();
    const QImage extraBefore = program.extraBox(1)->grab().toImage();
    QVERIFY(program.messages.empty());

    const auto expectMessage = [&] {
        QCOMPARE(program.messages.size(), std::size_t(1));
        QCOMPARE(program.messages[0].title, QStringLiteral("Error"));
        QVERIFY2(program.messages[0].text.contains(name), qPrintable(program.messages[0].text));
        program.messages.clear();
    };
    const auto expectNothingChanged = [&] {
        QCOMPARE(program.mainBox()->grab().toImage(), mainBefore);
        QVERIFY(!program.mainBox()->isHidden());
        QCOMPARE(program.extraBox(1)->grab().toImage(), extraBefore);
        QVERIFY(program.extraBox(2)->isHidden());
        QVERIFY(!program.extraBox(2)->hasPicture());
        QCOMPARE(program.state.ExtraPictureCount, 1);
        QVERIFY(!program.windows->window<ExtraPics>().isVisible());
    };

    // Open in the workplace window: the message, the window stays for another choice.
    window.showWindow();
    QVERIFY(clickFile(window, name));
    if (name == "gone.png")
        QVERIFY(QFile::remove(path));
    press(window, "cmdOpen");
    expectMessage();
    expectNothingChanged();
    QVERIFY(window.isVisible());
    // Exit: the message, and the window is left.
    press(window, "Command1");
    expectMessage();
    expectNothingChanged();
    QVERIFY(window.isHidden());

    // Open in the extra pictures window: no box is used up.
    extraWindow.showWindow();
    press(extraWindow, "cmdOpen");
    expectMessage();
    expectNothingChanged();
    QVERIFY(extraWindow.isVisible());
}

void TestPictureFiles::completeJpegsAreAccepted()
{
    // Data after the end-of-image marker (as some cameras append), progressive coding,
    // and restart markers do not make a whole JPEG look truncated.
    const QDir dir(m_folder);
    const QByteArray photo = photoJpeg({600, 400});
    PictureLoader loader;
    QVERIFY(loader.load(writeBytes(dir, "plain.jpg", photo)));
    QVERIFY(loader.load(writeBytes(dir, "trailer.jpg", photo + QByteArray(5000, '\x42'))));
    QVERIFY(loader.load(writeBytes(dir, "progressive.jpg", photoJpeg({600, 400}, true))));
    QCOMPARE(loader.naturalSize(), QSize(600, 400));
    QVERIFY(!loader.load(writeBytes(dir, "cut.jpg", photo.left(photo.size() - 100))));
    QCOMPARE(loader.naturalSize(), QSize());
}

void TestPictureFiles::damagedFilesNeverCrash()
{
    // Bytes overwritten at random places, and files cut at random lengths: each is either
    // shown or refused, and a shown one fills its fitted rectangle.
    QImage source(120, 80, QImage::Format_RGB32);
    source.fill(Green);
    QList<QByteArray> originals = {photoJpeg({120, 80}), photoJpeg({120, 80}, true), TinyGif};
    for (const char* format : {"png", "bmp"}) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        source.save(&buffer, format);
        originals.push_back(buffer.data());
    }
    QRandomGenerator random(20261207);
    PictureBox box;
    box.resize(249, 369);
    PictureLoader loader;
    const QDir dir(m_folder);
    for (const QByteArray& original : originals) {
        for (int round = 0; round < 40; ++round) {
            QByteArray damaged = original;
            if (round % 2) {
                damaged.truncate(random.bounded(damaged.size()));
            } else {
                for (int hit = 0; hit < 4; ++hit)
                    damaged[random.bounded(damaged.size())] = static_cast<char>(random.bounded(256));
            }
            const QString file = writeBytes(dir, "damaged.bin", damaged);
            if (PaintFitted(file, loader, box)) {
                QVERIFY(box.hasPicture());
                QCOMPARE(box.picture().size(), box.pictureRect().size());
            }
        }
    }
}

void TestPictureFiles::photographsAreShownUpright()
{
    // Stored 300 x 200, red left and blue right, taken with the camera turned a quarter:
    // EXIF orientation 6 (turn clockwise to view), so it is seen 200 x 300, red on top.
    QImage stored(300, 200, QImage::Format_RGB32);
    stored.fill(Blue);
    QPainter(&stored).fillRect(0, 0, 150, 200, Red);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(stored.save(&buffer, "jpeg", 95));
    const QByteArray exif = QByteArray::fromHex("ffe10022457869660000"
                                                "4d4d002a00000008"
                                                "0001011200030000000100060000"
                                                "00000000");
    const QByteArray jpeg = buffer.data().left(2) + exif + buffer.data().mid(2);
    const QString file = writeBytes(QDir(m_folder), "turned.jpg", jpeg);

    PictureBox box;
    box.resize(249, 369);
    PictureLoader loader;
    QVERIFY(PaintFitted(file, loader, box));
    QCOMPARE(loader.naturalSize(), QSize(200, 300));
    // r = 0.6667 < b = 0.6712: W = 365 * r = 243.33, left = 0.83; edges at 0.83 and 244.17.
    QCOMPARE(box.pictureRect(), QRect(1, 0, 243, 365));
    const QImage shown = box.picture();
    QVERIFY(near(shown.pixelColor(121, 40), Red, 40));
    QVERIFY(near(shown.pixelColor(121, 320), Blue, 40));
}

QTEST_MAIN(TestPictureFiles)
#include "tst_picturefiles.moc"
