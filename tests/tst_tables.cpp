// SPDX-License-Identifier: GPL-3.0-or-later
// Every cell of RULA Tables A, B and C, read from tests/data/rula_tables.txt (typed by hand
// from the published method), is looked up through the program's tables.

#include "ScoreTables.h"

#include <QFile>
#include <QList>
#include <QMap>
#include <QRegularExpression>
#include <QStringList>
#include <QTest>

namespace {

// One cell of a published table: the inputs in the table's own order and the score.
struct Cell
{
    QList<int> inputs;
    int score = 0;
};

// The published tables, as read from the data file.
struct PublishedTables
{
    QList<Cell> a; // upper arm, lower arm, wrist, wrist twist
    QList<Cell> b; // neck, trunk, legs
    QList<Cell> c; // score C, score D
    QString error;
};

int number(const QString& token, bool* ok)
{
    QString digits = token;
    if (digits.endsWith(QLatin1Char('+')))
        digits.chop(1);
    return digits.toInt(ok);
}

bool readRow(const QStringList& tokens, QList<int>* values)
{
    for (const QString& token : tokens) {
        bool ok = false;
        values->append(number(token, &ok));
        if (!ok)
            return false;
    }
    return true;
}

PublishedTables readPublishedTables(const QString& path)
{
    PublishedTables tables;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        tables.error = QStringLiteral("cannot open %1").arg(path);
        return tables;
    }
    QString table;
    int upperArm = 0;
    int lineNumber = 0;
    while (!file.atEnd()) {
        ++lineNumber;
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1String("Table "))) {
            table = line.mid(6);
            continue;
        }
        const QStringList tokens = line.split(QRegularExpression(QStringLiteral("\\s+")));
        QList<int> row;
        if (!readRow(tokens, &row)) {
            tables.error = QStringLiteral("line %1: not a row of numbers").arg(lineNumber);
            return tables;
        }
        if (table == QLatin1String("A") && (row.size() == 10 || row.size() == 9)) {
            // The upper arm score stands only on the first of its three rows.
            if (row.size() == 10)
                upperArm = row.takeFirst();
            const int lowerArm = row.takeFirst();
            for (int column = 0; column < 8; ++column)
                tables.a.append({{upperArm, lowerArm, column / 2 + 1, column % 2 + 1}, row[column]});
        } else if (table == QLatin1String("B") && row.size() == 13) {
            const int neck = row.takeFirst();
            for (int column = 0; column < 12; ++column)
                tables.b.append({{neck, column / 2 + 1, column % 2 + 1}, row[column]});
        } else if (table == QLatin1String("C") && row.size() == 8) {
            const int scoreC = row.takeFirst();
            for (int column = 0; column < 7; ++column)
                tables.c.append({{scoreC, column + 1}, row[column]});
        } else {
            tables.error = QStringLiteral("line %1: unexpected row for table '%2'").arg(lineNumber).arg(table);
            return tables;
        }
    }
    return tables;
}

QString cellName(const QString& table, const QList<int>& inputs)
{
    QStringList parts;
    for (int value : inputs)
        parts << QString::number(value);
    return table + QLatin1Char(' ') + parts.join(QLatin1Char('/'));
}

} // namespace

class TablesTest : public QObject
{
    Q_OBJECT

private:
    PublishedTables m_published;

private slots:
    void initTestCase()
    {
        m_published = readPublishedTables(QStringLiteral(TALVO_TEST_DATA "/rula_tables.txt"));
        QVERIFY2(m_published.error.isEmpty(), qPrintable(m_published.error));
    }

    // The file holds every cell of the published tables once, in their order.
    void publishedFileIsComplete()
    {
        QCOMPARE(m_published.a.size(), 6 * 3 * 4 * 2);
        QCOMPARE(m_published.b.size(), 6 * 6 * 2);
        QCOMPARE(m_published.c.size(), 8 * 7);
        for (int i = 0; i < m_published.a.size(); ++i)
            QCOMPARE(m_published.a[i].inputs, (QList<int>{i / 24 + 1, i / 8 % 3 + 1, i / 2 % 4 + 1, i % 2 + 1}));
        for (int i = 0; i < m_published.b.size(); ++i)
            QCOMPARE(m_published.b[i].inputs, (QList<int>{i / 12 + 1, i / 2 % 6 + 1, i % 2 + 1}));
        for (int i = 0; i < m_published.c.size(); ++i)
            QCOMPARE(m_published.c[i].inputs, (QList<int>{i / 7 + 1, i % 7 + 1}));
    }

    void tableA_data()
    {
        QTest::addColumn<QList<int>>("inputs");
        QTest::addColumn<int>("score");
        for (const Cell& cell : m_published.a)
            QTest::newRow(qPrintable(cellName(QStringLiteral("A"), cell.inputs))) << cell.inputs << cell.score;
    }

    void tableA()
    {
        QFETCH(QList<int>, inputs);
        QFETCH(int, score);
        QCOMPARE(rula::lookupTableA(inputs[0], inputs[1], inputs[2], inputs[3]), std::optional<int>(score));
    }

    void tableB_data()
    {
        QTest::addColumn<QList<int>>("inputs");
        QTest::addColumn<int>("score");
        for (const Cell& cell : m_published.b)
            QTest::newRow(qPrintable(cellName(QStringLiteral("B"), cell.inputs))) << cell.inputs << cell.score;
    }

    void tableB()
    {
        QFETCH(QList<int>, inputs);
        QFETCH(int, score);
        QCOMPARE(rula::lookupTableB(inputs[0], inputs[1], inputs[2]), std::optional<int>(score));
    }

    // Every published cell, then the open row 8+ and column 7+ with scores beyond them:
    // a score C of 9 or 12 reads the 8+ row, a score D of 8 or 11 the 7+ column.
    void tableC_data()
    {
        QTest::addColumn<QList<int>>("inputs");
        QTest::addColumn<int>("score");
        QMap<QPair<int, int>, int> published;
        for (const Cell& cell : m_published.c) {
            QTest::newRow(qPrintable(cellName(QStringLiteral("C"), cell.inputs))) << cell.inputs << cell.score;
            published.insert({cell.inputs[0], cell.inputs[1]}, cell.score);
        }
        for (int scoreC : {9, 12}) {
            for (int scoreD = 1; scoreD <= 7; ++scoreD) {
                const QList<int> inputs{scoreC, scoreD};
                QTest::newRow(qPrintable(cellName(QStringLiteral("C open row"), inputs)))
                    << inputs << published.value({8, scoreD});
            }
        }
        for (int scoreD : {8, 11}) {
            for (int scoreC = 1; scoreC <= 8; ++scoreC) {
                const QList<int> inputs{scoreC, scoreD};
                QTest::newRow(qPrintable(cellName(QStringLiteral("C open column"), inputs)))
                    << inputs << published.value({scoreC, 7});
            }
        }
        QTest::newRow("C open corner 9/8") << QList<int>{9, 8} << published.value({8, 7});
    }

    void tableC()
    {
        QFETCH(QList<int>, inputs);
        QFETCH(int, score);
        QCOMPARE(rula::lookupTableC(inputs[0], inputs[1]), std::optional<int>(score));
    }

    // Scores outside the published rows and columns match no cell.
    void outsideTheTables()
    {
        QCOMPARE(rula::lookupTableA(0, 1, 1, 1), std::nullopt);
        QCOMPARE(rula::lookupTableA(7, 1, 1, 1), std::nullopt);
        QCOMPARE(rula::lookupTableA(1, 4, 1, 1), std::nullopt);
        QCOMPARE(rula::lookupTableA(1, 1, 5, 1), std::nullopt);
        QCOMPARE(rula::lookupTableA(1, 1, 1, 3), std::nullopt);
        QCOMPARE(rula::lookupTableB(7, 1, 1), std::nullopt);
        QCOMPARE(rula::lookupTableB(1, 7, 1), std::nullopt);
        QCOMPARE(rula::lookupTableB(1, 1, 3), std::nullopt);
        QCOMPARE(rula::lookupTableC(0, 1), std::nullopt);
        QCOMPARE(rula::lookupTableC(1, 0), std::nullopt);
    }
};

QTEST_APPLESS_MAIN(TablesTest)
#include "tst_tables.moc"
