// SPDX-License-Identifier: GPL-3.0-or-later
// The final results window's lines redraw the edges of the score sheet that its white value
// labels cover: along every line the window must look exactly like the drawing itself, no
// heavier bar and no thinner edge.

#include "FinalResults.h"
#include "LineControl.h"
#include "OptionCatalogue.h"
#include "PictureLibrary.h"
#include "Results.h"
#include "ScoreTables.h"
#include "WindowTestSupport.h"

#include <QtTest>

class ScoreSheetLinesTest : public QObject, private WindowFixture
{
    Q_OBJECT

private slots:
    void initTestCase() { startRecording(); }
    void init() { makeWindows(); }
    void cleanup() { dropWindows(); }

    void linesLookLikeTheDrawingsEdges_data();
    void linesLookLikeTheDrawingsEdges();
};

void ScoreSheetLinesTest::linesLookLikeTheDrawingsEdges_data()
{
    QTest::addColumn<QString>("line");
    for (const char* name :
         {"Line1", "Line2", "Line3", "Line4", "Line5", "Line6", "Line7", "Line8", "Line9", "Line10", "Line11"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void ScoreSheetLinesTest::linesLookLikeTheDrawingsEdges()
{
    QFETCH(QString, line);
    // Every label filled, so the white boxes carry their digits as the assessor sees them.
    for (int group = 0; group < rula::GroupCount; ++group)
        state->assessment.SelectOption(rula::groupInfo(rula::Group(group)).firstOption);
    rula::ResultScores scores;
    rula::ComputeScores(state->assessment, scores);
    PublishResults(*state, *windows, scores);
    FinalResults& results = windows->window<FinalResults>();
    const QImage window = results.grab().toImage().convertToFormat(QImage::Format_RGB32);

    const QWidget* image = child<QWidget>(results, "Image1");
    const QImage drawing = PictureLibrary::picture(QStringLiteral("score_sheet"), image->size())
                               .toImage()
                               .convertToFormat(QImage::Format_RGB32);
    const LineControl* edge = child<LineControl>(results, qPrintable(line));
    const bool horizontal = edge->from().y() == edge->to().y();
    const QRect along = QRect(edge->from(), edge->to()).normalized();
    // The line and three pixels either side of it, the whole length.
    const QRect band = horizontal ? along.adjusted(0, -3, 0, 3) : along.adjusted(-3, 0, 3, 0);
    int differing = 0;
    for (int y = band.top(); y <= band.bottom(); ++y) {
        for (int x = band.left(); x <= band.right(); ++x) {
            const int shown = qGray(window.pixel(x, y));
            const int drawn = qGray(drawing.pixel(x - image->x(), y - image->y()));
            if (qAbs(shown - drawn) > 12) {
                ++differing;
                qWarning("%s at %d,%d: window %d, drawing %d", qPrintable(line), x, y, shown, drawn);
            }
        }
    }
    QCOMPARE(differing, 0);
}

QTEST_MAIN(ScoreSheetLinesTest)
#include "tst_scoresheetlines.moc"
