// SPDX-License-Identifier: GPL-3.0-or-later
// The assessment record: traces worked by hand from the published tables, and saved text
// files read back strictly.
#include "AssessmentRecord.h"
#include "ResultTextFile.h"
#include "SavedAssessment.h"

#include <QFile>
#include <QtTest>

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QString RoadFile = QStringLiteral(TALVO_TEST_DATA "/savewin_road_expected.txt");

// The byte offset of the start of a 1-based line.
qsizetype lineStart(const QByteArray& bytes, int line)
{
    qsizetype pos = 0;
    for (int i = 1; i < line; ++i)
        pos = bytes.indexOf("\r\n", pos) + 2;
    return pos;
}

QByteArray replaceLine(QByteArray bytes, int line, const QByteArray& with)
{
    const qsizetype start = lineStart(bytes, line);
    const qsizetype end = bytes.indexOf("\r\n", start);
    return bytes.replace(start, end - start, with);
}

} // namespace

class TestRecord : public QObject
{
    Q_OBJECT

private slots:
    // The hand-written file of the whole-road test: left arm upper 1, lower 1, wrist 2, twist 1,
    // muscle 0, force 0; right arm upper 4, lower 3, wrist 2, twist 2, muscle 1, force 2; neck
    // 4, trunk 3, legs 2, lower body muscle 1 and force 1. Worked by hand from the published
    // tables: A left 2, A right 5, B 7, C left 2, C right 8, D 9, grand left 5, grand right 7.
    void savedFileReadsBackWithItsTraces()
    {
        const SavedAssessment saved = ReadSavedAssessmentFile(RoadFile);
        QVERIFY2(saved.ok, qPrintable(saved.error));
        QVERIFY2(saved.differences.isEmpty(), qPrintable(saved.differences.join(QLatin1Char('\n'))));
        const AssessmentRecord& record = saved.record;
        QCOMPARE(record.stored.name, QStringLiteral("OBrien"));
        QCOMPARE(record.stored.location, QStringLiteral("Bay \"7\", Line 2"));
        QCOMPARE(record.results.PostureScoreALeft, 2);
        QCOMPARE(record.results.PostureScoreARight, 5);
        QCOMPARE(record.results.PostureScoreB, 7);
        QCOMPARE(record.results.ScoreCLeft, 2);
        QCOMPARE(record.results.ScoreCRight, 8);
        QCOMPARE(record.results.ScoreD, 9);
        QCOMPARE(record.results.GrandScoreLeft, 5);
        QCOMPARE(record.results.GrandScoreRight, 7);
        QCOMPARE(record.levelLeft->level, 3);
        QCOMPARE(record.levelRight->level, 4);
        QVERIFY(record.assessedAt.isValid());

        const rula::ScoreTrace& trace = record.trace;
        QCOMPARE(trace.PostureScoreALeft,
                 "Table A: upper arm 1, lower arm 1, wrist 2, twist 1 gives 2 (row 1, column 3)");
        QCOMPARE(trace.PostureScoreARight,
                 "Table A: upper arm 4, lower arm 3, wrist 2, twist 2 gives 5 (row 12, column 4)");
        QCOMPARE(trace.PostureScoreB, "Table B: neck 4, trunk 3, legs 2 gives 7 (row 4, column 6)");
        QCOMPARE(trace.ScoreCRight, "Score C: posture score A 5 + muscle use 1 + force 2 gives 8");
        QCOMPARE(trace.ScoreD, "Score D: posture score B 7 + muscle use 1 + force 1 gives 9");
        QCOMPARE(trace.GrandScoreLeft, "Table C: score C 2, score D 9 (read as 7+) gives 5 (row 2, column 7)");
        QCOMPARE(trace.GrandScoreRight,
                 "Table C: score C 8 (read as 8+), score D 9 (read as 7+) gives 7 (row 8, column 7)");
    }

    // A record read back writes the very same bytes again.
    void recordWritesTheSameFileAgain()
    {
        const QByteArray bytes = readAll(RoadFile);
        const SavedAssessment saved = ReadSavedAssessment(bytes);
        QVERIFY2(saved.ok, qPrintable(saved.error));
        QCOMPARE(ResultTextFile::contents(SaveTableOf(saved.record)), bytes);
        // Read to be published, without the trace of its scores: all else the same.
        const SavedAssessment untraced = ReadSavedAssessment(bytes, ScoreTracing::Untraced);
        QVERIFY2(untraced.ok, qPrintable(untraced.error));
        QVERIFY(untraced.record.trace.PostureScoreALeft.empty() && untraced.record.trace.GrandScoreRight.empty());
        QCOMPARE(ResultTextFile::contents(SaveTableOf(untraced.record)), bytes);
    }

    // Upper arm option 1 with the arm supported scores 0, looked up in Table A as 1.
    void upperArmZeroIsLookedUpAsOne()
    {
        rula::AssessmentState state;
        auto click = [&state](rula::Group group, int number) {
            state.SelectOption(rula::groupInfo(group).firstOption + number - 1);
        };
        click(rula::Group::UpperRight, 1);
        click(rula::Group::UpperRight, 8);
        click(rula::Group::LowerRight, 1);
        click(rula::Group::WristRight, 1);
        click(rula::Group::WristTwistRight, 1);
        QCOMPARE(state.score(rula::Group::UpperRight), 0);
        const AssessmentRecord record = BuildRecord(state, {QStringLiteral("O'Neil"), {}, {}}, QDateTime());
        QCOMPARE(record.results.PostureScoreARight, 1);
        QCOMPARE(record.trace.PostureScoreARight,
                 "Table A: upper arm 0 (looked up as 1, the lowest band), lower arm 1, "
                 "wrist 1, twist 1 gives 1 (row 1, column 1)");
        QCOMPARE(record.typed.name, QStringLiteral("O'Neil"));
        QCOMPARE(record.stored.name, QStringLiteral("ONeil"));
    }

    void malformedFileNamesItsFirstBadLine_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("line");
        const QByteArray good = readAll(RoadFile);
        QTest::newRow("a line missing")
            << good.left(lineStart(good, 184))
            << "line 184: the file ends early: it has 183 of the 184 lines a saved assessment has";
        QTest::newRow("truncated mid-file")
            << good.left(lineStart(good, 60) + 3)
            << "line 60: the file ends early: it has 60 of the 184 lines a saved assessment has";
        QTest::newRow("notes") << QByteArray("Ask about the new chairs\r\n")
                               << "line 1: not a saved assessment: its first line is not a result";
        QTest::newRow("label changed") << replaceLine(good, 5, "\"Upper Left Arm Scores\"") << "line 5:";
        QTest::newRow("last option label changed")
            << replaceLine(good, 173, "\"Force Lower - Option 5\"") << "line 173:";
        QTest::newRow("score not a number") << replaceLine(good, 6, "\"1\"") << "line 6:";
        QTest::newRow("option neither True nor False") << replaceLine(good, 44, "\"Yes\"") << "line 44:";
        QTest::newRow("unknown action level") << replaceLine(good, 2, "\"Action Level 5\"") << "line 2:";
        QTest::newRow("employee name not quoted") << replaceLine(good, 176, "OBrien") << "line 176:";
        QTest::newRow("empty file") << QByteArray() << "line 1: not a saved assessment: the file is empty";
        // Upper Right options 1 to 5 are lines 44 to 52; the road chose option 4 (and 6).
        QTest::newRow("two postures chosen") << replaceLine(good, 44, "\"True\"") << "line 50:";
        QTest::newRow("no posture chosen") << replaceLine(good, 50, "\"False\"") << "line 44:";
    }

    void malformedFileNamesItsFirstBadLine()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, line);
        const SavedAssessment saved = ReadSavedAssessment(bytes);
        QVERIFY(!saved.ok);
        QVERIFY2(saved.error.startsWith(line), qPrintable(saved.error));
    }

    // An action level edited against its grand score is named like a score.
    void editedActionLevelIsNamed()
    {
        const QByteArray good = readAll(RoadFile);
        const SavedAssessment original = ReadSavedAssessment(good);
        QVERIFY2(original.ok && original.differences.isEmpty(), qPrintable(original.error));
        QVERIFY(original.record.results.GrandScoreLeft >= 3); // the road's left side: level 2 or more
        const SavedAssessment saved = ReadSavedAssessment(replaceLine(good, 2, "\"Action Level 1\""));
        QVERIFY2(saved.ok, qPrintable(saved.error));
        QCOMPARE(saved.differences.size(), 1);
        QVERIFY2(saved.differences[0].startsWith(QStringLiteral("Left action level: saved \"Action Level 1\"")),
                 qPrintable(saved.differences[0]));
    }

    // A score edited by hand is kept as the options give it, and the difference is named.
    void editedScoreIsNamed()
    {
        const QByteArray edited = replaceLine(readAll(RoadFile), 34, "2"); // Neck Score, saved 4
        const SavedAssessment saved = ReadSavedAssessment(edited);
        QVERIFY2(saved.ok, qPrintable(saved.error));
        QCOMPARE(saved.differences, QStringList{QStringLiteral("Neck: saved 2, the options give 4")});
        QCOMPARE(saved.record.assessment.score(rula::Group::Neck), 4);
    }
};

QTEST_GUILESS_MAIN(TestRecord)
#include "tst_record.moc"
