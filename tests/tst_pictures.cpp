// SPDX-License-Identifier: GPL-3.0-or-later
// The program's pictures: every option has one at its designed size that draws at the size of
// its picture control; the cards carry their exact texts inside their borders; left-side
// drawings are the right-side ones mirrored with readable labels; the score sheet's boxes hold
// the final results window's value labels, and its edges lie under the window's lines.

#include "MainLayout.h"
#include "ModelText.h"
#include "OptionCatalogue.h"
#include "PictureLibrary.h"
#include "Resources.h"

#include <QFile>
#include <QHash>
#include <QImage>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <QtTest>

#include <algorithm>
#include <limits>
#include <map>
#include <optional>

namespace {

struct Card
{
    QSize size;
    QString text; // the words as the picture carries them; line breaks are free
};

// The text cards and the captioned drawings, with their designed sizes and exact texts.
const std::map<QString, Card>& cards()
{
    static const std::map<QString, Card> all{
        {"card_shoulder_raised", {{328, 131}, "ADD 1. if shoulder is raised"}},
        {"card_arm_abducted", {{328, 131}, "ADD 1. if upper arm is abducted"}},
        {"card_arm_supported", {{328, 131}, "SUBTRACT 1. if leaning or supporting the weight of the arm"}},
        {"card_twist_mid", {{390, 154}, "Mainly in mid-range of twist"}},
        {"card_twist_end", {{390, 154}, "At or near the end of twisting range"}},
        {"card_neck_twist", {{373, 155}, "ADD 1 if the neck is twisting"}},
        {"card_neck_side", {{373, 155}, "ADD 1 if neck is side-bending"}},
        {"card_trunk_twist", {{278, 133}, "ADD 1 if trunk is twisting"}},
        {"card_trunk_side", {{278, 133}, "ADD 1 if trunk is side-bending"}},
        {"card_legs_supported", {{346, 162}, "Legs are well suported and in an evenly balanced posture"}},
        {"card_legs_unsupported", {{346, 162}, "If legs are not well supported or in an evenly balanced posture"}},
        {"card_muscle_static",
         {{524, 161}, "posture mainly static, e.g. held for longer than 1 minute repeated more than 4 times/minute"}},
        {"card_muscle_not_static", {{524, 161}, "posture not mainly static."}},
        {"card_force_1", {{286, 190}, "No Resistance or less than 2kg intermittent load or force"}},
        {"card_force_2", {{286, 190}, "2-10 kg intermittent load or force"}},
        {"card_force_3", {{286, 190}, "2-10 kg static load 2-10 kg repeated load or force"}},
        {"card_force_4",
         {{450, 224},
          "10 kg or more static load 10 kg or more repeated loads or force. Shock or forces with a rapid buildup"}},
    };
    return all;
}

const QHash<QString, QString>& captions()
{
    static const QHash<QString, QString> all{
        {"lower_arm_midline", "Click if working across the midline of the body or out to the side."},
        {"wrist_midline", "ADD 1 if wrist is bent away from the midline"},
    };
    return all;
}

QSize designSizeOf(const QString& art)
{
    auto card = cards().find(art);
    return card != cards().end() ? card->second.size : QSize(350, 400);
}

struct SvgText
{
    QString id;
    QString text;
    double fontSize = 0;
};

// The text elements of a picture, in document order.
QList<SvgText> textsOf(const QString& art)
{
    QFile file(QStringLiteral(":/pictures/%1.svg").arg(art));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<SvgText> texts;
    QXmlStreamReader xml(&file);
    while (xml.readNextStartElement() || !xml.atEnd()) {
        if (xml.isStartElement() && xml.name() == QLatin1String("text")) {
            SvgText text;
            text.id = xml.attributes().value("id").toString();
            text.fontSize = xml.attributes().value("font-size").toDouble();
            text.text = xml.readElementText(QXmlStreamReader::IncludeChildElements);
            texts.append(text);
        } else if (!xml.isStartElement()) {
            xml.readNext();
        }
    }
    return texts;
}

// The attributes of every element that has an id.
QHash<QString, QXmlStreamAttributes> elementsById(const QString& art)
{
    QFile file(QStringLiteral(":/pictures/%1.svg").arg(art));
    QHash<QString, QXmlStreamAttributes> byId;
    if (!file.open(QIODevice::ReadOnly))
        return byId;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.attributes().hasAttribute("id"))
            byId.insert(xml.attributes().value("id").toString(), xml.attributes());
    }
    return byId;
}

int grey(QRgb pixel)
{
    return qGray(pixel);
}

// Pixels darker than mid grey.
int darkPixels(const QImage& image)
{
    int dark = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            dark += grey(image.pixel(x, y)) < 128;
    return dark;
}

// Summed grey difference of two images of one size.
qint64 difference(const QImage& a, const QImage& b)
{
    qint64 sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            sum += qAbs(grey(a.pixel(x, y)) - grey(b.pixel(x, y)));
    return sum;
}

bool hasDarkNear(const QImage& image, QPointF at, int reach)
{
    const int cx = qRound(at.x()), cy = qRound(at.y());
    for (int y = cy - reach; y <= cy + reach; ++y)
        for (int x = cx - reach; x <= cx + reach; ++x)
            if (image.valid(x, y) && grey(image.pixel(x, y)) < 110)
                return true;
    return false;
}

// The final results window's value labels (twips) and the box of the score sheet they sit in.
struct ValueLabel
{
    const char* name;
    const char* box;
    enum Place
    {
        UpperLeft,
        LowerRight,
        Middle
    } place;
    int left, top, width, height;
};
constexpr ValueLabel ValueLabels[] = {
    {"Label2", "UpperArm", ValueLabel::UpperLeft, 1200, 2640, 375, 375},
    {"Label3", "UpperArm", ValueLabel::LowerRight, 2400, 2880, 255, 375},
    {"Label4", "LowerArm", ValueLabel::UpperLeft, 1200, 3600, 255, 375},
    {"Label5", "LowerArm", ValueLabel::LowerRight, 2400, 3720, 375, 375},
    {"Label8", "Wrist", ValueLabel::UpperLeft, 1200, 4440, 375, 375},
    {"Label6", "Wrist", ValueLabel::LowerRight, 2280, 4680, 495, 375},
    {"Label9", "WristTwist", ValueLabel::UpperLeft, 1200, 5400, 495, 375},
    {"Label7", "WristTwist", ValueLabel::LowerRight, 2280, 5640, 375, 375},
    {"Label10", "PostureScoreA", ValueLabel::UpperLeft, 4320, 3840, 375, 375},
    {"Label11", "PostureScoreA", ValueLabel::LowerRight, 4920, 4200, 375, 375},
    {"Label18", "MuscleA", ValueLabel::UpperLeft, 6120, 3960, 495, 375},
    {"Label12", "MuscleA", ValueLabel::LowerRight, 7080, 4200, 375, 375},
    {"Label19", "ForceA", ValueLabel::UpperLeft, 8160, 3960, 375, 375},
    {"Label13", "ForceA", ValueLabel::LowerRight, 9000, 4200, 375, 375},
    {"Label15", "ScoreC", ValueLabel::UpperLeft, 10440, 3600, 495, 375},
    {"Label14", "ScoreC", ValueLabel::LowerRight, 11280, 4080, 495, 375},
    {"Label16", "GrandScore", ValueLabel::UpperLeft, 12600, 5640, 375, 615},
    {"Label17", "GrandScore", ValueLabel::LowerRight, 14040, 5880, 615, 615},
    {"Label20", "Neck", ValueLabel::Middle, 1680, 7080, 375, 375},
    {"Label21", "Trunk", ValueLabel::Middle, 1680, 8040, 375, 375},
    {"Label22", "Legs", ValueLabel::Middle, 1680, 9000, 375, 375},
    {"Label23", "PostureScoreB", ValueLabel::Middle, 4560, 8160, 375, 375},
    {"Label24", "MuscleB", ValueLabel::Middle, 6600, 8280, 375, 375},
    {"Label25", "ForceB", ValueLabel::Middle, 8640, 8280, 375, 375},
    {"Label26", "ScoreD", ValueLabel::Middle, 10920, 8040, 495, 495},
};

// The picture stands at (360, 2160), 14535 x 7575 twips; its own size is 896 x 622.
QPointF twipsToSheet(double x, double y)
{
    return {(x - 360) * 896.0 / 14535.0, (y - 2160) * 622.0 / 7575.0};
}

QPointF twipsToWindowPixels(double x, double y)
{
    return {(x - 360) / 15.0, (y - 2160) / 15.0};
}

double attr(const QXmlStreamAttributes& a, const char* name)
{
    return a.value(QLatin1String(name)).toDouble();
}

} // namespace

class PictureTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initTalvoResources(); }

    void everyOptionShowsItsPictureAtItsControlSize()
    {
        for (const rula::OptionInfo& option : rula::options()) {
            const QString art = modelText(option.art);
            const QString where = modelText(option.panel) + " " + art;
            QVERIFY2(PictureLibrary::exists(art), qPrintable(where));
            QCOMPARE(PictureLibrary::designSize(art), designSizeOf(art));
            const QSize size = mainlayout::pictureSize(option.panel);
            const QImage image = PictureLibrary::picture(art, size, option.mirrored).toImage();
            QVERIFY2(!image.isNull(), qPrintable(where));
            QCOMPARE(image.size(), size);
            // Something is drawn: a border, lines, text; and the ground stays mostly light.
            const int dark = darkPixels(image);
            const int all = size.width() * size.height();
            QVERIFY2(dark > all / 40, qPrintable(where + QStringLiteral(": %1 dark of %2").arg(dark).arg(all)));
            QVERIFY2(dark < all / 2, qPrintable(where));
        }
    }

    void onlyLeftSideDrawingsAreMirrored()
    {
        for (const rula::OptionInfo& option : rula::options()) {
            const QString art = modelText(option.art);
            const bool leftGroup = modelText(rula::groupInfo(option.group).key).contains(QLatin1String("Left"));
            const bool drawing = cards().count(art) == 0 && !captions().contains(art);
            QCOMPARE(option.mirrored, leftGroup && drawing);
        }
    }

    void cardsCarryTheirExactTextsInsideTheirBorders()
    {
        for (const auto& [art, card] : cards()) {
            const QList<SvgText> texts = textsOf(art);
            QStringList words;
            for (const SvgText& text : texts)
                words << text.text;
            QCOMPARE(words.join(QLatin1Char(' ')), card.text);

            // Every line lies inside the thick border at the designed size.
            QSvgRenderer svg(QStringLiteral(":/pictures/%1.svg").arg(art));
            const QRectF inside = QRectF(QPointF(0, 0), QSizeF(card.size)).adjusted(8, 8, -8, -8);
            for (const SvgText& text : texts) {
                QVERIFY2(!text.id.isEmpty(), qPrintable(art));
                const QRectF bounds = svg.boundsOnElement(text.id);
                QVERIFY2(!bounds.isEmpty(), qPrintable(art + " " + text.id));
                QVERIFY2(inside.contains(bounds), qPrintable(art + " " + text.text));
            }
        }
        // The muscle-use cards write their first word larger.
        for (const char* art : {"card_muscle_static", "card_muscle_not_static"}) {
            const QList<SvgText> texts = textsOf(QString::fromLatin1(art));
            QVERIFY(texts.size() > 1);
            QCOMPARE(texts.first().text, QStringLiteral("posture"));
            for (int i = 1; i < texts.size(); ++i)
                QVERIFY(texts.first().fontSize > texts.at(i).fontSize * 1.3);
        }
    }

    void captionedDrawingsCarryTheirExactCaptions()
    {
        for (auto it = captions().begin(); it != captions().end(); ++it) {
            QStringList lines;
            for (const SvgText& text : textsOf(it.key()))
                if (text.id.startsWith(QLatin1String("caption")))
                    lines << text.text;
            QCOMPARE(lines.join(QLatin1Char(' ')), it.value());
        }
    }

    void textStaysLegibleAtControlSize()
    {
        // Type shrinks with the picture: at the size of its control every text (the raised
        // degree marks aside) must keep a readable height and width.
        for (const rula::OptionInfo& option : rula::options()) {
            const QString art = modelText(option.art);
            const QList<SvgText> texts = textsOf(art);
            QVERIFY2(!texts.isEmpty(), qPrintable(art));
            double largest = 0;
            for (const SvgText& text : texts)
                largest = std::max(largest, text.fontSize);
            const QSize control = mainlayout::pictureSize(option.panel);
            const QSize design = designSizeOf(art);
            const double sx = double(control.width()) / design.width();
            const double sy = double(control.height()) / design.height();
            for (const SvgText& text : texts) {
                if (text.text == QLatin1String("0") && text.fontSize < largest * 0.7)
                    continue; // a degree mark
                const QString where = art + QStringLiteral(" \"%1\" at %2 pt").arg(text.text).arg(text.fontSize);
                QVERIFY2(text.fontSize * sy >= 10.0, qPrintable(where));
                QVERIFY2(text.fontSize * sx >= 9.0, qPrintable(where));
            }
        }
    }

    void mirroredDrawingsAreFlippedWithReadableLabels()
    {
        QSet<QString> checked;
        for (const rula::OptionInfo& option : rula::options()) {
            const QString art = modelText(option.art);
            if (!option.mirrored || checked.contains(art))
                continue;
            checked.insert(art);
            const QSize size = mainlayout::pictureSize(option.panel) * 2;
            const QImage right = PictureLibrary::picture(art, size, false).toImage();
            const QImage left = PictureLibrary::picture(art, size, true).toImage();
            const QImage flipped = right.mirrored(true, false);

            // The labels and the circled score keep reading left to right: they move to the
            // mirrored place unflipped. Everything else is the right-side drawing flipped.
            QSvgRenderer svg(QStringLiteral(":/pictures/%1.svg").arg(art));
            const double sx = size.width() / 350.0, sy = size.height() / 400.0;
            QList<QRect> labelPlaces;
            int labels = 0;
            qint64 sameInk = 0, mirroredInk = 0;
            for (int i = 1; svg.elementExists(QStringLiteral("upright-%1").arg(i)); ++i) {
                const QRectF b = svg.boundsOnElement(QStringLiteral("upright-%1").arg(i));
                const QRect inRight = QRectF(b.x() * sx, b.y() * sy, b.width() * sx, b.height() * sy)
                                          .toAlignedRect()
                                          .adjusted(-3, -3, 3, 3);
                const QRect inLeft(size.width() - 1 - inRight.right(), inRight.top(), inRight.width(),
                                   inRight.height());
                labelPlaces << inLeft
                            << QRect(size.width() - 1 - inLeft.right(), inLeft.top(), inLeft.width(), inLeft.height());
                ++labels;
                // The labels read the same in both pictures, not as their mirror images (allowing
                // for the drawing around them and a pixel of shift).
                const QRect core = inRight.adjusted(3, 3, -3, -3);
                const QImage label = right.copy(core);
                const QImage mirroredLabel = label.mirrored(true, false);
                qint64 same = std::numeric_limits<qint64>::max(), flippedToo = same;
                for (int dx = -1; dx <= 1; ++dx) {
                    const QImage moved = left.copy(core.translated(inLeft.left() - inRight.left() + dx, 0));
                    same = std::min(same, difference(moved, label));
                    flippedToo = std::min(flippedToo, difference(moved, mirroredLabel));
                }
                sameInk += same;
                mirroredInk += flippedToo;
            }
            QVERIFY2(sameInk * 2 < mirroredInk, qPrintable(art));
            QVERIFY2(labels >= 2, qPrintable(art)); // the circled score and at least one angle

            int differing = 0;
            for (int y = 0; y < size.height(); ++y) {
                for (int x = 0; x < size.width(); ++x) {
                    bool inLabel = false;
                    for (const QRect& place : labelPlaces)
                        inLabel = inLabel || place.contains(x, y);
                    if (!inLabel && qAbs(grey(left.pixel(x, y)) - grey(flipped.pixel(x, y))) > 40)
                        ++differing;
                }
            }
            QVERIFY2(differing <= size.width() * size.height() / 500,
                     qPrintable(art + QStringLiteral(": %1 pixels differ").arg(differing)));
            // And the drawing is not symmetric, so flipping it did change it.
            QVERIFY(right != left);
        }
        QCOMPARE(checked.size(), 10);
    }

    void picturesAreRenderedOncePerSize()
    {
        const QPixmap first = PictureLibrary::picture(QStringLiteral("neck_1"), QSize(96, 88));
        const QPixmap again = PictureLibrary::picture(QStringLiteral("neck_1"), QSize(96, 88));
        QCOMPARE(again.cacheKey(), first.cacheKey());
        const QPixmap larger = PictureLibrary::picture(QStringLiteral("neck_1"), QSize(192, 176));
        QCOMPARE(larger.size(), QSize(192, 176));
        QVERIFY(larger.cacheKey() != first.cacheKey());
    }

    void unknownPictureIsReportedNotFaked()
    {
        QVERIFY(!PictureLibrary::exists(QStringLiteral("no_such_picture")));
        QVERIFY(!PictureLibrary::designSize(QStringLiteral("no_such_picture")).isValid());
        QVERIFY(PictureLibrary::picture(QStringLiteral("no_such_picture"), QSize(50, 50)).isNull());
        QVERIFY(PictureLibrary::picture(QString(), QSize(50, 50)).isNull());
    }

    void overviewPageHasItsHeadings()
    {
        QCOMPARE(PictureLibrary::designSize(QStringLiteral("rula_overview")), QSize(590, 467));
        const QImage page = PictureLibrary::picture(QStringLiteral("rula_overview"), QSize(590, 467)).toImage();
        QCOMPARE(page.size(), QSize(590, 467));
        // Light grey ground, and a good deal of text on it.
        QCOMPARE(qRed(page.pixel(3, 3)), qBlue(page.pixel(3, 3)));
        QVERIFY(grey(page.pixel(3, 3)) > 200 && grey(page.pixel(3, 3)) < 250);
        QVERIFY(darkPixels(page) > 590 * 467 / 30);

        QStringList texts;
        for (const SvgText& text : textsOf(QStringLiteral("rula_overview")))
            texts << text.text;
        QCOMPARE(texts.first(), QStringLiteral("Rapid Upper Limb Assessment (RULA)"));
        QVERIFY(texts.contains(QStringLiteral("Step 1  Observing and selecting the posture(s) to assess")));
        QVERIFY(texts.contains(QStringLiteral("Step 2  Scoring and recording the posture")));
        QVERIFY(texts.contains(QStringLiteral("Step 3  Action Level")));
    }

    void scoreSheetBoxesHoldTheResultLabels()
    {
        QCOMPARE(PictureLibrary::designSize(QStringLiteral("score_sheet")), QSize(896, 622));
        const QHash<QString, QXmlStreamAttributes> byId = elementsById(QStringLiteral("score_sheet"));
        for (const ValueLabel& label : ValueLabels) {
            const QString where = QString::fromLatin1(label.name);
            const auto values = byId.constFind(QStringLiteral("values-%1").arg(QLatin1String(label.box)));
            QVERIFY2(values != byId.constEnd(), qPrintable(where));
            const QRectF box(attr(*values, "x"), attr(*values, "y"), attr(*values, "width"), attr(*values, "height"));
            const QRectF rect(twipsToSheet(label.left, label.top),
                              twipsToSheet(label.left + label.width, label.top + label.height));
            // Inside its box; a label may cover the box's edge by a pixel where the window redraws it.
            QVERIFY2(box.adjusted(-1.5, -1.5, 1.5, 1.5).contains(rect), qPrintable(where));

            const auto diagonal = byId.constFind(QStringLiteral("diagonal-%1").arg(QLatin1String(label.box)));
            if (label.place == ValueLabel::Middle) {
                QVERIFY2(diagonal == byId.constEnd(), qPrintable(where));
                QVERIFY2(qAbs(rect.center().x() - box.center().x()) < 3, qPrintable(where));
                QVERIFY2(qAbs(rect.center().y() - box.center().y()) < 3, qPrintable(where));
                continue;
            }
            QVERIFY2(diagonal != byId.constEnd(), qPrintable(where));
            // The diagonal runs from the lower-left corner to the upper-right corner.
            const QPointF a(attr(*diagonal, "x1"), attr(*diagonal, "y1"));
            const QPointF b(attr(*diagonal, "x2"), attr(*diagonal, "y2"));
            QVERIFY(a.x() < b.x() && a.y() > b.y());
            QVERIFY(qAbs(b.x() - box.right()) < 0.5 && qAbs(b.y() - box.top()) < 0.5);
            // Positive below the diagonal, negative above it.
            auto side = [&](QPointF p) {
                return ((b.x() - a.x()) * (p.y() - a.y()) - (b.y() - a.y()) * (p.x() - a.x())) /
                       std::hypot(b.x() - a.x(), b.y() - a.y());
            };
            if (label.place == ValueLabel::UpperLeft)
                QVERIFY2(side(rect.bottomRight()) < -1.5, qPrintable(where));
            else
                QVERIFY2(side(rect.topLeft()) > 1.5, qPrintable(where));
        }
        // The key box between the rows and the grand score use the same cut.
        QVERIFY(byId.contains(QStringLiteral("diagonal-GrandScore")));
    }

    void scoreSheetEdgesLieUnderTheWindowLines()
    {
        // Drawn as in the window, 14535 x 7575 twips = 969 x 505 pixels; each of the window's
        // lines redraws an edge of the drawing, so the drawing must have that edge there.
        const QImage sheet = PictureLibrary::picture(QStringLiteral("score_sheet"), QSize(969, 505)).toImage();
        struct Line
        {
            int x1, y1, x2, y2;
        };
        constexpr Line Lines[] = {
            {6120, 3960, 6840, 3960}, {6120, 3960, 6960, 3960}, {6120, 3960, 6720, 3960},
            {6120, 3960, 6600, 3960}, {8040, 3960, 8760, 3960}, {8040, 3960, 8040, 4440},
            {1200, 4440, 1800, 4440}, {1200, 5400, 2040, 5400}, {2160, 6000, 2760, 6000},
        };
        for (const Line& line : Lines) {
            const QPointF from = twipsToWindowPixels(line.x1, line.y1);
            const QPointF to = twipsToWindowPixels(line.x2, line.y2);
            for (int i = 0; i <= 20; ++i) {
                const QPointF at = from + (to - from) * (i / 20.0);
                QVERIFY2(hasDarkNear(sheet, at, 1), qPrintable(QStringLiteral("no edge at %1,%2 of line %3,%4-%5,%6")
                                                                   .arg(at.x())
                                                                   .arg(at.y())
                                                                   .arg(line.x1)
                                                                   .arg(line.y1)
                                                                   .arg(line.x2)
                                                                   .arg(line.y2)));
            }
        }
        // Under the white value labels there is otherwise only white ground: no caption text or
        // arrow is hidden by a label (the cut and the redrawn edges aside).
        for (const ValueLabel& label : ValueLabels) {
            const QRectF rect(twipsToWindowPixels(label.left, label.top),
                              twipsToWindowPixels(label.left + label.width, label.top + label.height));
            const QRect inner = rect.toAlignedRect().adjusted(3, 3, -3, -3);
            QVERIFY2(darkPixels(sheet.copy(inner)) == 0, label.name);
        }
    }
};

QTEST_MAIN(PictureTest)
#include "tst_pictures.moc"
