// SPDX-License-Identifier: GPL-3.0-or-later
// Texts an assessor can paste but not type: the employee boxes keep only characters both
// result files can hold, and the database statement is correct for any text it is given.
#include "EmployeeDetails.h"
#include "EmployeeTextFilter.h"
#include "MainWindow.h"
#include "ResultDatabase.h"
#include "ResultTextFile.h"
#include "Results.h"
#include "SaveResults.h"
#include "WindowTestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QChar Nul(0);
const QChar LoneHigh(0xD83D); // the first half of an emoji, alone
const QChar LoneLow(0xDE00);
const QChar Replacement(0xFFFD);

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArrayLiteral("<unreadable>");
}

// Saves `table` with an empty assessment and reads both files back.
struct SavedBack
{
    QString error;
    QByteArray text;
    ResultTextFile::Parsed parsed;
    ResultDatabase::Contents database;
};

SavedBack saveAndRead(SaveTable& table)
{
    QTemporaryDir dir;
    SavedBack back;
    table.WriteLabels();
    table.WriteOptionRows(rula::AssessmentState());
    const SaveOutcome outcome = SaveResults(table, dir.path(), QStringLiteral("Probe"));
    back.error = outcome.error;
    if (!outcome.ok)
        return back;
    back.text = readAll(resultTextPath(dir.path(), QStringLiteral("Probe")));
    back.parsed = ResultTextFile::parse(back.text);
    back.database = ResultDatabase::read(resultDatabasePath(dir.path(), QStringLiteral("Probe")));
    return back;
}

QString mix10000()
{
    // Letters, apostrophes, quotes, SQL, controls, line breaks, halves of pairs, whole pairs.
    const QString pieces[] = {QStringLiteral("O'Brien"),
                              QStringLiteral("\"; DROP TABLE RULAResult; --"),
                              QString(Nul),
                              QStringLiteral("\r\n"),
                              QString(LoneHigh),
                              QStringLiteral("'"),
                              QString(LoneLow),
                              QStringLiteral("\t\x1b[31m\x7f"),
                              QStringLiteral("Jürgen 😀 日本"),
                              QString(QChar(0x85)) + QChar(0x9F)};
    QString text;
    for (int i = 0; text.size() < 10000; ++i)
        text += pieces[(i * 7) % 10];
    return text.left(10000);
}

// What the box keeps of mix10000(), worked out piece by piece: NUL, controls, DEL and C1 go,
// a line break becomes one blank, a lone half of a pair becomes U+FFFD. One turn of the
// pieces (in the order 0, 7, 4, 1, 8, 5, 2, 9, 6, 3) is 62 characters, so 10,000 are 161
// turns and 18 characters more: "O'Brien", the escape piece, the lone high half and the
// first three characters of the SQL piece.
QString mix10000Kept()
{
    const QString turn = QStringLiteral("O'Brien") + QStringLiteral("[31m") + Replacement +
                         QStringLiteral("\"; DROP TABLE RULAResult; --") + QStringLiteral("Jürgen 😀 日本") +
                         QStringLiteral("'") + Replacement + QStringLiteral(" ");
    return turn.repeated(161) + QStringLiteral("O'Brien[31m") + Replacement + QStringLiteral("\"; ");
}

} // namespace

class TestHostileTexts : public QObject, public WindowFixture
{
    Q_OBJECT

private slots:
    void initTestCase() { startRecording(); }
    void init() { makeWindows(); }
    void cleanup() { dropWindows(); }

    void filterKeepsWhatBothFilesCanHold_data();
    void filterKeepsWhatBothFilesCanHold();
    void pastedTextsAreFilteredAndSaved_data();
    void pastedTextsAreFilteredAndSaved();
    void droppedTextIsFiltered();
    void cutTextIsAnnounced();
    void databaseHoldsAnyTextExactly_data();
    void databaseHoldsAnyTextExactly();
    void ordinaryStatementsAreUnchanged();
};

void TestHostileTexts::filterKeepsWhatBothFilesCanHold_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("kept");
    QTest::newRow("NUL") << QStringLiteral("Ann") + Nul + QStringLiteral("Lee") << QStringLiteral("AnnLee");
    QTest::newRow("CR LF") << QStringLiteral("Ann\r\nLee") << QStringLiteral("Ann Lee");
    QTest::newRow("LF, CR") << QStringLiteral("a\nb\rc") << QStringLiteral("a b c");
    QTest::newRow("two line breaks") << QStringLiteral("a\r\n\r\nb") << QStringLiteral("a  b");
    QTest::newRow("C0 controls") << QStringLiteral("a\tb\x1b\x01\x1f") << QStringLiteral("ab");
    QTest::newRow("DEL and C1") << QStringLiteral("a\x7f") + QChar(0x80) + QChar(0x85) + QChar(0x9F) +
                                       QStringLiteral("b")
                                << QStringLiteral("ab");
    QTest::newRow("lone high surrogate before apostrophe") << QStringLiteral("x") + LoneHigh + QStringLiteral("'y")
                                                           << QStringLiteral("x") + Replacement + QStringLiteral("'y");
    QTest::newRow("lone low surrogate") << QString(LoneLow) + QStringLiteral("z")
                                        << QString(Replacement) + QStringLiteral("z");
    QTest::newRow("pair kept") << QStringLiteral("a😀b") << QStringLiteral("a😀b");
    QTest::newRow("ordinary letters") << QStringLiteral("Jürgen Müller, Hall \"B\" 日本")
                                      << QStringLiteral("Jürgen Müller, Hall \"B\" 日本");
}

void TestHostileTexts::filterKeepsWhatBothFilesCanHold()
{
    QFETCH(QString, input);
    QFETCH(QString, kept);
    QCOMPARE(EmployeeTextFilter::clean(input), kept);
    // Set as an input method would: the box shows what it keeps.
    EmployeeDetails& details = windows->window<EmployeeDetails>();
    QLineEdit* box = child<QLineEdit>(details, "Text2");
    box->setText(input);
    QCOMPARE(box->text(), kept);
}

void TestHostileTexts::pastedTextsAreFilteredAndSaved_data()
{
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("kept");
    QTest::newRow("NUL") << QStringLiteral("Ann") + Nul + QStringLiteral("Lee") << QStringLiteral("AnnLee");
    QTest::newRow("CR LF") << QStringLiteral("Ann\r\nLee\r\n") << QStringLiteral("Ann Lee ");
    QTest::newRow("lone surrogate before an apostrophe")
        << QStringLiteral("O") + LoneHigh + QStringLiteral("'); DROP TABLE RULAResult; --")
        << QStringLiteral("O") + Replacement + QStringLiteral("'); DROP TABLE RULAResult; --");
    QTest::newRow("10,000-character mix") << mix10000() << mix10000Kept();
}

void TestHostileTexts::pastedTextsAreFilteredAndSaved()
{
    QFETCH(QString, pasted);
    QFETCH(QString, kept);
    EmployeeDetails& details = windows->window<EmployeeDetails>();
    details.showWindow();
    QVERIFY(QTest::qWaitForWindowActive(&details));
    for (const char* name : {"Text1", "Text2", "Text3"}) {
        QLineEdit* box = child<QLineEdit>(details, name);
        QApplication::clipboard()->setText(pasted);
        box->setFocus();
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(box->text(), kept);
    }
    QTest::keyClick(child<QLineEdit>(details, "Text3"), Qt::Key_Return);
    QVERIFY(windows->window<MainWindow>().isVisible());

    // Saved as the Save window saves: the record of the next results.
    PublishResults(*state, *windows, {});
    SaveTable table = SaveTableOf(state->record);
    const SavedBack back = saveAndRead(table);
    QVERIFY2(back.error.isEmpty(), qPrintable(back.error));
    QCOMPARE(back.text.count("\r\n"), 184);
    QVERIFY2(back.parsed.ok, qPrintable(back.parsed.error));
    const QString stored = QString(kept).remove(QLatin1Char('\'')); // the apostrophe rule, where there are few
    for (int row : {SaveTable::EmployeeName, SaveTable::EmployeeId, SaveTable::EmployeeLocation}) {
        if (kept.count(QLatin1Char('\'')) <= 100)
            QCOMPARE(cellText(back.parsed.items[std::size_t(2 * row + 1)]), stored);
    }
    QVERIFY2(back.database.error.isEmpty(), qPrintable(back.database.error));
    QCOMPARE(back.database.employeeRows.size(), 1);
    const QStringList row = back.database.employeeRows.first();
    QCOMPARE(row, QStringList(3, state->record.stored.name));
    if (kept.count(QLatin1Char('\'')) <= 100)
        QCOMPARE(row.first(), stored);
    // The text file reads back to the same texts as the database.
    QCOMPARE(cellText(back.parsed.items[2 * SaveTable::EmployeeName + 1]), row.first());
}

void TestHostileTexts::droppedTextIsFiltered()
{
    EmployeeDetails& details = windows->window<EmployeeDetails>();
    details.showWindow();
    QVERIFY(QTest::qWaitForWindowActive(&details));
    QLineEdit* box = child<QLineEdit>(details, "Text1");
    QMimeData data;
    data.setText(QStringLiteral("Bay\r\n") + Nul + QStringLiteral("7"));
    const QPoint at = box->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box, &enter);
    QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box, &move);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box, &drop);
    QVERIFY(drop.isAccepted());
    QCOMPARE(box->text(), QStringLiteral("Bay 7"));
}

void TestHostileTexts::cutTextIsAnnounced()
{
    EmployeeDetails& details = windows->window<EmployeeDetails>();
    details.showWindow();
    QLineEdit* box = child<QLineEdit>(details, "Text1");
    box->setFocus();
    QApplication::clipboard()->setText(QString(32000, QLatin1Char('a')));
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(box->text().size(), 32000);
    QCoreApplication::processEvents();
    QVERIFY(recorder.messages.isEmpty());

    // 800 more do not fit; the first 767 are kept, and the assessor is told.
    QApplication::clipboard()->setText(QString(800, QLatin1Char('b')));
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(box->text().size(), 32767);
    QVERIFY(box->text().endsWith(QString(767, QLatin1Char('b'))));
    QTRY_COMPARE(recorder.messages.size(), 1);
    QCOMPARE(recorder.messages.first(), QStringLiteral("Only the first 32,767 characters of this text are kept."));

    // A pair is never cut in half.
    QLineEdit* id = child<QLineEdit>(details, "Text2");
    id->setText(QString(32766, QLatin1Char('1')) + QStringLiteral("😀"));
    QCOMPARE(id->text(), QString(32766, QLatin1Char('1')));
    QTRY_COMPARE(recorder.messages.size(), 2);
}

void TestHostileTexts::databaseHoldsAnyTextExactly_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("stored");
    QTest::newRow("NUL inside") << QStringLiteral("a") + Nul + QStringLiteral("b'c")
                                << QStringLiteral("a") + Nul + QStringLiteral("b'c");
    QTest::newRow("lone surrogate before an apostrophe")
        << QStringLiteral("x") + LoneHigh + QStringLiteral("', 'y'); DELETE FROM RULAResult; --")
        << QStringLiteral("x?', 'y'); DELETE FROM RULAResult; --"); // as the text file's encoding has it
    QTest::newRow("CR LF") << QStringLiteral("a\r\nb") << QStringLiteral("a\r\nb");
    QTest::newRow("many apostrophes") << QString(300, QLatin1Char('\'')) << QString(300, QLatin1Char('\''));
}

void TestHostileTexts::databaseHoldsAnyTextExactly()
{
    // Straight into the database writer, without the boxes' filter.
    QFETCH(QString, text);
    QFETCH(QString, stored);
    SaveTable table;
    table.setValue(SaveTable::EmployeeName, text);
    table.setValue(SaveTable::EmployeeId, text);
    table.setValue(SaveTable::EmployeeLocation, QStringLiteral("end"));
    table.setValue(0, text); // a RULAResult value too
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("probe.mdb"));
    const QString error = ResultDatabase::write(path, table);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    const ResultDatabase::Contents contents = ResultDatabase::read(path);
    QVERIFY2(contents.error.isEmpty(), qPrintable(contents.error));
    QCOMPARE(contents.tables, QStringList({QStringLiteral("RULAResult"), QStringLiteral("EmployeeDetails")}));
    QCOMPARE(contents.employeeRows, QList<QStringList>({{stored, stored, QStringLiteral("end")}}));
    QCOMPARE(contents.resultRows.size(), 1);
    QCOMPARE(contents.resultRows.first().at(1), stored); // column 2 is row 0
}

void TestHostileTexts::ordinaryStatementsAreUnchanged()
{
    // Without NUL or broken pairs the statement is the plain text with doubled apostrophes.
    SaveTable table;
    table.setValue(SaveTable::EmployeeName, QStringLiteral("O'Brien 😀"));
    table.setValue(SaveTable::EmployeeId, QStringLiteral("4711"));
    table.setValue(SaveTable::EmployeeLocation, QStringLiteral("Hall \"B\""));
    QCOMPARE(ResultDatabase::employeeInsertStatement(table),
             QStringLiteral("INSERT INTO EmployeeDetails VALUES ('O''Brien 😀', '4711', 'Hall \"B\"')"));
}

QTEST_MAIN(TestHostileTexts)
#include "tst_hostiletexts.moc"
