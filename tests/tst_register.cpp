// SPDX-License-Identifier: GPL-3.0-or-later
// The register, run as the assessor runs it: the program itself on a folder tree of saved
// files written by the program's own writer, beside files that are not saved assessments.
// The CSV is read back with Python's csv module.
#include "ProgramRuns.h"
#include "RegisterCsv.h"
#include "SavedFiles.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <map>

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The value on a 1-based line of a result text file, without its quotes.
QString lineOf(const QByteArray& bytes, int line)
{
    QByteArray value = bytes.split('\n').value(line - 1).trimmed();
    if (value.startsWith('"'))
        value = value.mid(1, value.size() - 2);
    return QString::fromUtf8(value);
}

// The CSV file's rows as Python's csv module reads it.
QList<QStringList> readCsv(const QString& path)
{
    QProcess python;
    python.start(QStringLiteral("python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import csv, json, sys\n"
                                 "with open(sys.argv[1], newline='', encoding='utf-8') as f:\n"
                                 "    print(json.dumps(list(csv.reader(f, strict=True))))\n"),
                  path});
    QList<QStringList> rows;
    if (!python.waitForFinished(30000) || python.exitCode() != 0) {
        qWarning("python3 could not read the CSV: %s", python.readAllStandardError().constData());
        return rows;
    }
    for (const QJsonValue& row : QJsonDocument::fromJson(python.readAllStandardOutput()).array()) {
        QStringList fields;
        for (const QJsonValue& field : row.toArray())
            fields << field.toString();
        rows << fields;
    }
    return rows;
}

// The register's columns that hold what a saved file holds too, with the file's line of each:
// the 17 body-part scores, then the grand scores.
const std::map<QString, int> FileLineOfColumn = {
    {"Upper Left Arm Score", 6},
    {"Lower Left Arm Score", 8},
    {"Left Wrist Angle Score", 10},
    {"Left Wrist Twist Score", 12},
    {"Left Muscle Use Score", 14},
    {"Left Force Score", 16},
    {"Upper Right Arm Score", 22},
    {"Lower Right Arm Score", 24},
    {"Right Wrist Angle Score", 26},
    {"Right Wrist Twist Score", 28},
    {"Right Muscle Use Score", 30},
    {"Right Force Score", 32},
    {"Neck Score", 34},
    {"Trunk Score", 36},
    {"Legs Score", 38},
    {"Lower Body Muscle Score", 40},
    {"Lower Body Force Score", 42},
    {"Grand Score Left", 182},
    {"Grand Score Right", 184},
    {"Employee Name", 176},
    {"Employee ID", 178},
    {"Employee Location", 180},
};

const QString RoadFile = QStringLiteral(TALVO_TEST_DATA "/savewin_road_expected.txt");

} // namespace

class RegisterTest : public QObject
{
    Q_OBJECT

private slots:
    // 50 saved files in three levels of folders, 3 damaged ones and a note beside them.
    void registerListsEverySavedAssessment()
    {
        QTemporaryDir dir;
        const QString root = dir.filePath(QStringLiteral("assessments"));
        QStringList saved;
        for (int i = 0; i < 49; ++i) {
            const QString folder = i < 10   ? root
                                   : i < 30 ? root + QStringLiteral("/Plant A/Line %1").arg(i % 3)
                                            : root + QStringLiteral("/Plant B");
            const QString path = folder + QStringLiteral("/Worker %1 RULA Analysis.txt").arg(i);
            // One name a spreadsheet would run as a formula.
            const QString name =
                i == 5 ? QStringLiteral("=HYPERLINK(\"http://example.org\")") : QStringLiteral("Zoë O'Neil %1").arg(i);
            const EmployeeTexts texts{name, QStringLiteral("ID-%1").arg(1000 + i),
                                      i % 2 ? QStringLiteral("Hall 2, \"press\" line") : QStringLiteral("Store")};
            QVERIFY(writeWholeFile(path, savedTextFile(variedAssessment(i), texts)));
            saved << path;
        }
        // The file of the whole-road window test, with its scores worked by hand.
        const QString road = root + QStringLiteral("/Plant B/OBrien RULA Analysis.txt");
        QVERIFY(writeWholeFile(road, readAll(RoadFile)));
        saved << road;

        const QByteArray good = readAll(saved[0]);
        const QStringList bad = {root + QStringLiteral("/Truncated RULA Analysis.txt"),
                                 root + QStringLiteral("/Plant A/Score in words RULA Analysis.txt"),
                                 root + QStringLiteral("/Plant B/Unix line ends RULA Analysis.txt"),
                                 root + QStringLiteral("/Plant A/notes.txt")};
        QVERIFY(writeWholeFile(bad[0], good.left(good.size() / 2)));
        QVERIFY(writeWholeFile(bad[1], QByteArray(good).replace("\"Neck Score\"\r\n", "\"Neck Score\"\r\nfour\r\n")));
        QVERIFY(writeWholeFile(bad[2], QByteArray(good).replace("\r\n", "\n")));
        QVERIFY(writeWholeFile(bad[3], "Call the plant manager about line 2.\r\n"));
        QVERIFY(writeWholeFile(root + QStringLiteral("/Plant A/photo.jpg"), "not read at all"));
        // What a save killed while writing its new text file leaves behind: cleared away first.
        const QString leftover = root + QStringLiteral("/Plant B/.talvo-0123456789ab.txt");
        QVERIFY(writeWholeFile(leftover, good.left(700)));
        // A link to a folder elsewhere is not followed: its assessment is not in the register.
        const QString elsewhere = dir.filePath(QStringLiteral("elsewhere"));
        QVERIFY(writeWholeFile(elsewhere + QStringLiteral("/Linked RULA Analysis.txt"), good));
        QVERIFY(QFile::link(elsewhere, root + QStringLiteral("/Plant C")));

        const QString csvPath = dir.filePath(QStringLiteral("team register.csv"));
        const Run run = runProgram({QStringLiteral("--register"), root, QStringLiteral("-o"), csvPath});
        QCOMPARE(run.status, 0);

        // One line naming each skipped file, then the summary.
        for (const QString& file : bad) {
            const QStringList lines = run.errorLines.filter(file);
            QCOMPARE(lines.size(), 1);
            const QString where =
                file == bad[2] ? QStringLiteral("end differently from a saved assessment") : QStringLiteral("line ");
            QVERIFY2(lines[0].contains(where), qPrintable(lines[0]));
        }
        QVERIFY(run.errorLines.filter(QStringLiteral("photo.jpg")).isEmpty());
        QVERIFY(run.errorLines.filter(QStringLiteral(".talvo-")).isEmpty());
        QVERIFY(!QFileInfo::exists(leftover));
        const QString summary = run.errorLines.join(QLatin1Char('\n'));
        // The link to a folder elsewhere is named and counted as skipped; nothing under it is read.
        QCOMPARE(run.errorLines.filter(root + QStringLiteral("/Plant C: skipped, a link is not followed")).size(), 1);
        QVERIFY2(summary.contains(QStringLiteral("50 assessments read, 5 files skipped")), qPrintable(summary));

        const QList<QStringList> rows = readCsv(csvPath);
        QCOMPARE(rows.size(), 51);
        const QStringList header = rows[0];
        QCOMPARE(header.size(), 43);
        // What the evidence adds, empty for these files saved without it, and REBA's columns.
        QCOMPARE(header.mid(32, 7), (QStringList{"Task", "Observed", "Assessor", "Phase", "Assessment ID", "Revision",
                                                 "Measured Body Parts"}));
        QCOMPARE(header.mid(39),
                 (QStringList{"REBA Score Right", "REBA Score Left", "REBA Risk Right", "REBA Risk Left"}));
        for (const QStringList& row : rows)
            QCOMPARE(row.size(), header.size());
        std::map<int, int> rightLevels;
        std::map<int, int> leftLevels;
        QStringList listed;
        for (int r = 1; r < rows.size(); ++r) {
            const QStringList& row = rows[r];
            const QString path = row[header.indexOf(QStringLiteral("File"))];
            listed << path;
            const QByteArray bytes = readAll(path);
            QVERIFY2(!bytes.isEmpty(), qPrintable(path));
            for (const auto& [column, line] : FileLineOfColumn) {
                QVERIFY2(header.contains(column), qPrintable(column));
                // A text that would start a formula is shown as text: an apostrophe in front.
                const QString text = lineOf(bytes, line);
                QCOMPARE(row[header.indexOf(column)],
                         text.startsWith(QLatin1Char('=')) ? QLatin1Char('\'') + text : text);
            }
            // "Action Level 3" on lines 2 (left) and 18 (right).
            QCOMPARE(QStringLiteral("Action Level ") + row[header.indexOf(QStringLiteral("Action Level Left"))],
                     lineOf(bytes, 2));
            QCOMPARE(QStringLiteral("Action Level ") + row[header.indexOf(QStringLiteral("Action Level Right"))],
                     lineOf(bytes, 18));
            ++leftLevels[row[header.indexOf(QStringLiteral("Action Level Left"))].toInt()];
            ++rightLevels[row[header.indexOf(QStringLiteral("Action Level Right"))].toInt()];
            const QDateTime written = QDateTime::fromString(row[header.indexOf(QStringLiteral("Last Written"))],
                                                            QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            QVERIFY(written.isValid());
            QVERIFY(qAbs(written.secsTo(QFileInfo(path).lastModified())) <= 1);
        }
        std::sort(listed.begin(), listed.end());
        std::sort(saved.begin(), saved.end());
        QCOMPARE(listed, saved);

        // The intermediate scores of the hand-worked file: A left 2, A right 5, B 7, C left 2,
        // C right 8, D 9.
        const QStringList& roadRow =
            *std::find_if(rows.begin(), rows.end(), [&](const QStringList& row) { return row[0] == road; });
        QCOMPARE(roadRow[header.indexOf(QStringLiteral("Employee Location"))], QStringLiteral("Bay \"7\", Line 2"));
        const QStringList intermediate = {"Posture Score A Left", "Posture Score A Right", "Posture Score B",
                                          "Score C Left",         "Score C Right",         "Score D"};
        QStringList found;
        for (const QString& column : intermediate)
            found << roadRow[header.indexOf(column)];
        QCOMPARE(found, (QStringList{"2", "5", "7", "2", "8", "9"}));

        // The employee texts as stored: no apostrophe, the rest as typed.
        const QStringList& firstRow = *std::find_if(rows.begin(), rows.end(), [&](const QStringList& row) {
            return row[0] == root + QStringLiteral("/Worker 1 RULA Analysis.txt");
        });
        const QStringList& formulaRow = *std::find_if(rows.begin(), rows.end(), [&](const QStringList& row) {
            return row[0] == root + QStringLiteral("/Worker 5 RULA Analysis.txt");
        });
        QCOMPARE(formulaRow[1], QStringLiteral("'=HYPERLINK(\"http://example.org\")"));
        QCOMPARE(firstRow.mid(1, 3), (QStringList{QStringLiteral("Zoë ONeil 1"), QStringLiteral("ID-1001"),
                                                  QStringLiteral("Hall 2, \"press\" line")}));

        // Without -o the register goes into the folder, where the next run does not read it.
        for (int again = 0; again < 2; ++again) {
            const Run beside = runProgram({QStringLiteral("--register"), root});
            QCOMPARE(beside.status, 0);
            QCOMPARE(readAll(root + QStringLiteral("/register.csv")), readAll(csvPath));
        }

        // The summary counts what the files say, and they say more than one thing.
        QVERIFY(rightLevels.size() >= 2 && leftLevels.size() >= 2);
        for (const auto& [side, levels] : {std::pair{QStringLiteral("Right side"), rightLevels},
                                           std::pair{QStringLiteral("Left side"), leftLevels}}) {
            const QStringList lines = run.errorLines.filter(side + QLatin1Char(':'));
            QCOMPARE(lines.size(), 1);
            for (int level = 1; level <= 4; ++level) {
                const auto at = levels.find(level);
                const QString expected =
                    QStringLiteral("action level %1: %2").arg(level).arg(at == levels.end() ? 0 : at->second);
                QVERIFY2(lines[0].contains(expected), qPrintable(lines[0] + QStringLiteral(" / ") + expected));
            }
        }
    }

    // An employee name as its row begins: quoted by RFC 4180 (comma, quote, line break) and
    // with an apostrophe before a formula's first character, worked out by hand.
    void employeeNameFields_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("begins");
        QTest::newRow("plain") << QStringLiteral("Ann Lee") << QByteArray("a.txt,Ann Lee,");
        QTest::newRow("comma") << QStringLiteral("Lee, Ann") << QByteArray("a.txt,\"Lee, Ann\",");
        QTest::newRow("quote") << QStringLiteral("Ann \"Al\" Lee") << QByteArray("a.txt,\"Ann \"\"Al\"\" Lee\",");
        QTest::newRow("equals") << QStringLiteral("=1+2") << QByteArray("a.txt,'=1+2,");
        QTest::newRow("plus") << QStringLiteral("+1 555") << QByteArray("a.txt,'+1 555,");
        QTest::newRow("minus") << QStringLiteral("-2") << QByteArray("a.txt,'-2,");
        QTest::newRow("at") << QStringLiteral("@SUM(A1)") << QByteArray("a.txt,'@SUM(A1),");
    }
    void employeeNameFields()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, begins);
        AssessmentRecord record;
        record.stored.name = name;
        const QByteArray row = RegisterCsv::row(QStringLiteral("a.txt"), record);
        QVERIFY2(row.startsWith(begins), row.constData());
    }

    // Nothing to list: status 1, the files named, and no register written over an old one.
    void aFolderWithoutSavedAssessmentsWritesNothing()
    {
        QTemporaryDir dir;
        QVERIFY(writeWholeFile(dir.filePath(QStringLiteral("in/readme.txt")), "hello\r\n"));
        QVERIFY(writeWholeFile(dir.filePath(QStringLiteral("in/register.csv")), "the old register"));
        const Run run = runProgram({QStringLiteral("--register"), dir.filePath(QStringLiteral("in"))});
        QCOMPARE(run.status, 1);
        QCOMPARE(run.errorLines.filter(QStringLiteral("readme.txt")).size(), 1);
        QCOMPARE(readAll(dir.filePath(QStringLiteral("in/register.csv"))), QByteArray("the old register"));

        const Run missing = runProgram({QStringLiteral("--register"), dir.filePath(QStringLiteral("no such"))});
        QCOMPARE(missing.status, 1);
        QCOMPARE(missing.errorLines.size(), 1);
        QVERIFY(missing.errorLines[0].contains(dir.filePath(QStringLiteral("no such"))));

        const Run usage = runProgram({QStringLiteral("--register")});
        QCOMPARE(usage.status, 2);
    }
};

QTEST_GUILESS_MAIN(RegisterTest)
#include "tst_register.moc"
