#include <optionalstk/stkmodel.h>
#include <testutil.h>

#include <QAbstractItemModelTester>
#include <QColor>
#include <QFont>
#include <QtTest>

namespace {

// A row of zeros with its id and one column's text.
StkModel::Row makeRow(const QString &id, int column, const QString &text)
{
    StkModel::Row row;
    for (int col = 0; col < StkModel::ColumnCount; ++col)
        row << (col == column ? text : col == StkModel::StkId ? id : u("0"));
    return row;
}

} // namespace

class StkModelTest : public QObject
{
    Q_OBJECT

private:
    QList<StkModel::Row> m_rows;
    StkModel *m_model = nullptr;

private slots:
    void init()
    {
        m_rows.clear();
        m_model = new StkModel(this);
        m_model->setHorizontalHeaderLabels(StkModel::headerLabels());
        m_model->setTextlessColumn(StkModel::DeleteButton);
        m_model->setRowSource(&m_rows);
        new QAbstractItemModelTester(m_model, QAbstractItemModelTester::FailureReportingMode::QtTest, m_model);
    }
    void cleanup() { delete m_model; }

    void display_data()
    {
        QTest::addColumn<int>("col"); // 2 code, 4 last, 5 ratio, 6 change, 7 volume, 10 amount, 17 button
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("ratio");
        QTest::addColumn<QVariant>("shown");
        QTest::addColumn<QVariant>("colour");
        const QVariant none;
        const QVariant red = QColor(Qt::red), green = QColor(Qt::darkGreen), blue = QColor(Qt::darkBlue);
        QTest::newRow("volume below 万") << 7 << u("9999.00") << u("1.00") << QVariant(u("9999.00")) << none;
        QTest::newRow("volume in 万") << 7 << u("12345.00") << u("1.00") << QVariant(u("1.23万")) << none;
        QTest::newRow("amount in 亿") << 10 << u("250000000.00") << u("0.00") << QVariant(u("2.50亿")) << none;
        QTest::newRow("ratio rising") << 5 << u("2.00") << u("2.00") << QVariant(u("+2.00")) << red;
        QTest::newRow("ratio falling") << 5 << u("-1.50") << u("-1.50") << QVariant(u("-1.50")) << green;
        QTest::newRow("ratio unchanged") << 5 << u("0.00") << u("0.00") << QVariant(u("0.00")) << none;
        QTest::newRow("change follows the ratio") << 6 << u("0.35") << u("2.00") << QVariant(u("+0.35")) << red;
        QTest::newRow("last price falling") << 4 << u("17.50") << u("-1.50") << QVariant(u("17.50")) << green;
        QTest::newRow("code") << 2 << u("600519") << u("-1.50") << QVariant(u("600519")) << blue;
        QTest::newRow("button column") << 17 << u("2") << u("2.00") << none << none;
    }
    void display()
    {
        QFETCH(int, col);
        QFETCH(QString, text);
        QFETCH(QString, ratio);
        QFETCH(QVariant, shown);
        QFETCH(QVariant, colour);
        StkModel::Row row = makeRow(u("1600519"), StkModel::ChangeRatio, ratio);
        row[col] = text;
        m_rows = {row};
        m_model->refresh();
        const QModelIndex index = m_model->index(0, col);
        QCOMPARE(index.data(), shown);
        QCOMPARE(index.data(Qt::ForegroundRole), colour);
        QCOMPARE(index.data(Qt::FontRole).value<QFont>().bold(), col >= StkModel::Last && col <= StkModel::Change);
    }

    // The orders are reversed: ascending puts the largest value on top.
    void sort_data()
    {
        QTest::addColumn<int>("col");
        QTest::addColumn<Qt::SortOrder>("order");
        QTest::addColumn<QStringList>("values"); // of rows a, b, c, ... in that order
        QTest::addColumn<QString>("sorted"); // ids after sorting
        const Qt::SortOrder asc = Qt::AscendingOrder, desc = Qt::DescendingOrder;
        const QStringList names {u("9"), u("10"), u("b"), u("100")};
        const QStringList codes {u("000010"), u("9"), u("100"), u("--")};
        const QStringList equal {u("1"), u("2"), u("1"), u("2"), u("1")};
        QTest::newRow("name as text, ascending") << 3 << asc << names << u("cadb");
        QTest::newRow("name as text, descending") << 3 << desc << names << u("bdac");
        QTest::newRow("code as number, ascending") << 2 << asc << codes << u("cabd");
        QTest::newRow("code as number, descending") << 2 << desc << codes << u("dbac");
        QTest::newRow("stable, ascending") << 5 << asc << equal << u("bdace");
        QTest::newRow("stable, descending") << 5 << desc << equal << u("acebd");
    }
    void sort()
    {
        QFETCH(int, col);
        QFETCH(Qt::SortOrder, order);
        QFETCH(QStringList, values);
        QFETCH(QString, sorted);
        for (int i = 0; i < values.size(); ++i)
            m_rows << makeRow(QString(QLatin1Char(char('a' + i))), col, values.at(i));
        m_model->sortdata(col, order);
        QString ids;
        for (const StkModel::Row &row : qAsConst(m_rows))
            ids += row.at(StkModel::StkId);
        QCOMPARE(ids, sorted);
    }
};

QTEST_MAIN(StkModelTest)
#include "tst_stkmodel.moc"
