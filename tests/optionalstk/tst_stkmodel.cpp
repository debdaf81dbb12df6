#include <optionalstk/stkmodel.h>

#include <QAbstractItemModelTester>
#include <QColor>
#include <QFont>
#include <QSignalSpy>
#include <QtTest>

namespace {

// A row as the watchlist builds it: quote columns "0.00", button state "0".
StkModel::Row makeRow(const QString &id, const QString &code, const QString &name)
{
    StkModel::Row row {QStringLiteral("1"), id, code, name};
    for (int column = StkModel::Last; column <= StkModel::LimitDown; ++column)
        row << QStringLiteral("0.00");
    row << QStringLiteral("0") << QStringLiteral("A");
    return row;
}

QString u(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

QStringList ul(std::initializer_list<const char *> texts)
{
    QStringList list;
    for (const char *text : texts)
        list << u(text);
    return list;
}

QStringList column(const QList<StkModel::Row> &rows, int col)
{
    QStringList values;
    for (const StkModel::Row &row : rows)
        values << row.at(col);
    return values;
}

} // namespace

class StkModelTest : public QObject
{
    Q_OBJECT

private:
    QList<StkModel::Row> m_rows;
    StkModel *m_model = nullptr;

    // One row whose column holds text, with the given change ratio.
    void showOne(int col, const QString &text, const QString &ratio)
    {
        StkModel::Row row = makeRow(QStringLiteral("1600519"), QStringLiteral("600519"), QStringLiteral("贵州茅台"));
        row[StkModel::ChangeRatio] = ratio;
        row[col] = text;
        m_rows = {row};
        m_model->refresh();
    }

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

    void shape()
    {
        QCOMPARE(m_model->rowCount(), 0);
        QCOMPARE(m_model->columnCount(), 19);
        QCOMPARE(m_model->headerData(3, Qt::Horizontal).toString(), QStringLiteral("名称"));
        QCOMPARE(m_model->headerData(18, Qt::Horizontal).toString(), QStringLiteral("股票类型"));
        QVERIFY(!m_model->headerData(19, Qt::Horizontal).isValid());
        QVERIFY(!m_model->headerData(0, Qt::Vertical).isValid());
        QVERIFY(!m_model->headerData(3, Qt::Horizontal, Qt::ToolTipRole).isValid());

        QSignalSpy counts(m_model, &StkModel::updateCount);
        m_rows << makeRow(QStringLiteral("1600519"), QStringLiteral("600519"), QStringLiteral("贵州茅台"))
               << makeRow(QStringLiteral("2000001"), QStringLiteral("000001"), QStringLiteral("平安银行"));
        m_model->refresh();
        QCOMPARE(counts.size(), 1);
        QCOMPARE(counts.at(0).at(0).toInt(), 2);
        QCOMPARE(m_model->rowCount(), 2);

        // Without header labels the first row gives the column count; without a source there is nothing.
        m_model->setHorizontalHeaderLabels({});
        QCOMPARE(m_model->columnCount(), 19);
        m_model->setRowSource(nullptr);
        QCOMPARE(m_model->rowCount(), 0);
        QCOMPARE(m_model->columnCount(), 0);
        QVERIFY(!m_model->data(m_model->index(0, 0)).isValid());
    }

    void display_data()
    {
        QTest::addColumn<int>("col");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("ratio");
        QTest::addColumn<QVariant>("shown");
        QTest::newRow("volume below ten thousand")
            << int(StkModel::Volume) << u("9999.00") << u("0.00") << QVariant(u("9999.00"));
        QTest::newRow("volume of ten thousand")
            << int(StkModel::Volume) << u("10000.00") << u("0.00") << QVariant(u("1.00万"));
        QTest::newRow("volume in 万") << int(StkModel::Volume) << u("12345.00") << u("0.00") << QVariant(u("1.23万"));
        QTest::newRow("amount in 亿") << int(StkModel::Amount) << u("250000000.00") << u("0.00")
                                      << QVariant(u("2.50亿"));
        QTest::newRow("amount of one 亿")
            << int(StkModel::Amount) << u("100000000") << u("0.00") << QVariant(u("1.00亿"));
        QTest::newRow("amount not a number") << int(StkModel::Amount) << u("--") << u("0.00") << QVariant(u("--"));
        QTest::newRow("ratio zero") << int(StkModel::ChangeRatio) << u("0.00") << u("0.00") << QVariant(u("0.00"));
        QTest::newRow("ratio falling") << int(StkModel::ChangeRatio) << u("-1.50") << u("-1.50")
                                       << QVariant(u("-1.50"));
        QTest::newRow("ratio rising") << int(StkModel::ChangeRatio) << u("2.00") << u("2.00") << QVariant(u("+2.00"));
        QTest::newRow("change when rising") << int(StkModel::Change) << u("0.35") << u("2.00") << QVariant(u("+0.35"));
        QTest::newRow("change when falling")
            << int(StkModel::Change) << u("-0.35") << u("-1.50") << QVariant(u("-0.35"));
        QTest::newRow("last price keeps its text")
            << int(StkModel::Last) << u("17.50") << u("2.00") << QVariant(u("17.50"));
        QTest::newRow("name") << int(StkModel::Name) << u("贵州茅台") << u("0.00") << QVariant(u("贵州茅台"));
        QTest::newRow("button column, normal") << int(StkModel::DeleteButton) << u("0") << u("0.00") << QVariant();
        QTest::newRow("button column, pressed") << int(StkModel::DeleteButton) << u("2") << u("0.00") << QVariant();
        QTest::newRow("button column, any text") << int(StkModel::DeleteButton) << u("删除") << u("0.00") << QVariant();
    }
    void display()
    {
        QFETCH(int, col);
        QFETCH(QString, text);
        QFETCH(QString, ratio);
        QFETCH(QVariant, shown);
        showOne(col, text, ratio);
        const QModelIndex index = m_model->index(0, col);
        QCOMPARE(index.data(), shown);
        QCOMPARE(index.data(Qt::UserRole).toString(), text);
    }

    void colours_data()
    {
        QTest::addColumn<int>("col");
        QTest::addColumn<QString>("ratio");
        QTest::addColumn<QVariant>("colour");
        const QVariant none;
        for (int col : {int(StkModel::Last), int(StkModel::ChangeRatio), int(StkModel::Change)}) {
            const QByteArray c = QByteArray::number(col);
            QTest::newRow("rising, col " + c) << col << u("2.00") << QVariant(QColor(Qt::red));
            QTest::newRow("falling, col " + c) << col << u("-1.50") << QVariant(QColor(Qt::darkGreen));
            QTest::newRow("unchanged, col " + c) << col << u("0.00") << none;
        }
        QTest::newRow("code") << int(StkModel::Code) << u("2.00") << QVariant(QColor(Qt::darkBlue));
        QTest::newRow("name") << int(StkModel::Name) << u("-1.50") << QVariant(QColor(Qt::darkBlue));
        QTest::newRow("volume") << int(StkModel::Volume) << u("2.00") << none;
        QTest::newRow("high") << int(StkModel::High) << u("-1.50") << none;
    }
    void colours()
    {
        QFETCH(int, col);
        QFETCH(QString, ratio);
        QFETCH(QVariant, colour);
        showOne(StkModel::Last, QStringLiteral("17.50"), ratio);
        const QModelIndex index = m_model->index(0, col);
        QCOMPARE(index.data(Qt::ForegroundRole), colour);
        QCOMPARE(index.data(Qt::FontRole).value<QFont>().bold(), col >= StkModel::Last && col <= StkModel::Change);
        QCOMPARE(index.data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignRight | Qt::AlignVCenter));
        QVERIFY(!index.data(Qt::ToolTipRole).isValid());
    }

    void setDataWritesTheRawTextOfTheRow()
    {
        m_rows << makeRow(QStringLiteral("1600519"), QStringLiteral("600519"), QStringLiteral("贵州茅台"))
               << makeRow(QStringLiteral("2000001"), QStringLiteral("000001"), QStringLiteral("平安银行"));
        m_model->refresh();
        QSignalSpy changed(m_model, &QAbstractItemModel::dataChanged);

        const QModelIndex button = m_model->index(1, StkModel::DeleteButton);
        QVERIFY(m_model->setData(button, 1, Qt::UserRole));
        QCOMPARE(m_rows.at(1).at(StkModel::DeleteButton), QStringLiteral("1"));
        QCOMPARE(button.data(Qt::UserRole).toInt(), 1);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed.at(0).at(0).toModelIndex(), m_model->index(1, 0));
        QCOMPARE(changed.at(0).at(1).toModelIndex(), m_model->index(1, 18));

        QVERIFY(!m_model->setData(button, 2, Qt::EditRole));
        QVERIFY(!m_model->setData(button, 2, Qt::DisplayRole));
        QVERIFY(!m_model->setData(QModelIndex(), 2, Qt::UserRole));
        QCOMPARE(m_rows.at(1).at(StkModel::DeleteButton), QStringLiteral("1"));
        QCOMPARE(changed.size(), 1);
    }

    void sort_data()
    {
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("order");
        QTest::addColumn<QStringList>("values"); // of rows a, b, c, ... in that order
        QTest::addColumn<QString>("sorted"); // ids after sorting
        const int asc = Qt::AscendingOrder;
        const int desc = Qt::DescendingOrder;
        const int name = StkModel::Name;
        const int code = StkModel::Code;
        const int ratio = StkModel::ChangeRatio;
        QTest::newRow("name, ascending: last in text order on top") << name << asc << ul({"b", "a", "c"}) << u("cab");
        QTest::newRow("name, descending") << name << desc << ul({"b", "a", "c"}) << u("bac");
        QTest::newRow("name compares text, not numbers") << name << desc << ul({"9", "10", "100"}) << u("bca");
        QTest::newRow("code, ascending: largest number on top")
            << code << asc << ul({"000010", "9", "100"}) << u("cab");
        QTest::newRow("code, descending: leading zero counts as its number")
            << code << desc << ul({"000010", "9", "100"}) << u("bac");
        QTest::newRow("ratio, ascending: biggest gain first, biggest loss last")
            << ratio << asc << ul({"-3.00", "5.00", "0.00", "-0.50", "1.20"}) << u("becda");
        QTest::newRow("ratio, descending")
            << ratio << desc << ul({"-3.00", "5.00", "0.00", "-0.50", "1.20"}) << u("adceb");
        QTest::newRow("text that is no number counts as 0") << ratio << asc << ul({"-1.00", "--", "1.00"}) << u("cba");
        QTest::newRow("equal values keep their order, ascending")
            << ratio << asc << ul({"1", "2", "1", "2", "1"}) << u("bdace");
        QTest::newRow("equal values keep their order, descending")
            << ratio << desc << ul({"1", "2", "1", "2", "1"}) << u("acebd");
        QTest::newRow("equal names keep their order") << name << asc << ul({"x", "y", "x"}) << u("bac");
    }
    void sort()
    {
        QFETCH(int, col);
        QFETCH(int, order);
        QFETCH(QStringList, values);
        QFETCH(QString, sorted);
        for (int i = 0; i < values.size(); ++i) {
            StkModel::Row row
                = makeRow(QString(QLatin1Char(char('a' + i))), QStringLiteral("600000"), QStringLiteral("名"));
            row[col] = values.at(i);
            m_rows << row;
        }
        m_model->refresh();
        m_model->sortdata(col, Qt::SortOrder(order));
        m_model->refresh();
        QCOMPARE(column(m_rows, StkModel::StkId).join(QString()), sorted);
        QCOMPARE(m_model->index(0, StkModel::StkId).data().toString(), sorted.left(1));
    }
};

QTEST_MAIN(StkModelTest)
#include "tst_stkmodel.moc"
