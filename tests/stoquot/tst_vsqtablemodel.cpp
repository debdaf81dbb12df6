#include <stoquot/vsqtablemodel.h>
#include <vdataset.h>

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTimerEvent>
#include <QtTest>

namespace {

const QColor Marker(207, 227, 250);

// A part of the all-call dataset: exercise price, name, previous close,
// open interest, change ratio, last price.
struct Table
{
    VDataset ds;
    VSQTableModel model;
    QAbstractItemModelTester tester {&model, QAbstractItemModelTester::FailureReportingMode::QtTest};

    Table()
    {
        ds.setBusiness(false);
        for (const char *price : {"exerciseprice", "ystdcloseprice", "incratio", "lastprice"}) {
            VField *field = ds.addField(QLatin1String(price), QString(), vd::DT_Double, 33, 9)->setDecimals(4);
            if (qstrcmp(price, "incratio") == 0)
                field->setDisplayFormat(QStringLiteral("pct"));
        }
        for (const char *text : {"market", "stkcode", "stkname"})
            ds.addField(QLatin1String(text), QString(), vd::DT_String, 33, 9);
        ds.addField(QStringLiteral("holdqty"), QString(), vd::DT_Integer, 33, 9);
        ds.open();
        model.linkDatasetTable(&ds, nullptr, false, true);
        ds.append();
        ds.setFieldValue(0, QStringLiteral("market"), QStringLiteral("5"));
        ds.setFieldValue(0, QStringLiteral("stkcode"), QStringLiteral("10008001"));
        ds.setFieldValue(0, QStringLiteral("ystdcloseprice"), 0.25);
    }
    QModelIndex cell(const char *field) const
    {
        return model.index(0, model.colIndexByFieldName(QString::fromLatin1(field)));
    }
};

} // namespace

class TestVSQTableModel : public QObject
{
    Q_OBJECT

private slots:
    // Prices against the previous close, in the fields' decimals when the
    // host does not know the contract, ratios in percent. How every
    // quote table reads empty numbers and texts is the futures model's test.
    void look_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QVariant>("foreground");
        const QVariant green = QColor(10, 128, 10);
        QTest::newRow("at the close within 1e-8") << "lastprice" << QVariant(0.250000001) << "0.2500" << QVariant();
        QTest::newRow("ratio down, in percent") << "incratio" << QVariant(-0.0123) << "-1.23%" << green;
    }
    void look()
    {
        QFETCH(QString, field);
        QFETCH(QVariant, value);
        Table table;
        table.ds.setFieldValue(0, field, value);
        const QModelIndex cell = table.model.index(0, table.model.colIndexByFieldName(field));
        QTEST(cell.data().toString(), "text");
        QTEST(cell.data(Qt::ForegroundRole), "foreground");
    }

    // A change's marker goes 800 ms after it; the exercise price keeps its
    // blue over a marker; a timer the model does not know changes nothing.
    void markers()
    {
        Table table;
        const QModelIndex last = table.cell("lastprice");
        const QModelIndex price = table.cell("exerciseprice");
        QVERIFY(table.model.setData(price, QColor(Qt::yellow), Qt::BackgroundRole));
        QCOMPARE(price.data(Qt::BackgroundRole), QVariant(Marker));

        QSignalSpy changed(&table.model, &QAbstractItemModel::dataChanged);
        QVERIFY(table.model.setData(last, Marker, Qt::BackgroundRole));
        table.ds.setFieldValue(0, QStringLiteral("lastprice"), 0.3);
        QCOMPARE(last.data(Qt::BackgroundRole), QVariant(Marker));
        QTimerEvent stranger(12345);
        QCoreApplication::sendEvent(&table.model, &stranger);
        QCOMPARE(last.data(Qt::BackgroundRole), QVariant(Marker));
        auto repaintsOfLast = [&] {
            return std::count_if(changed.cbegin(), changed.cend(),
                                 [&](const QList<QVariant> &c) { return c.at(0).toModelIndex() == last; });
        };
        QCOMPARE(repaintsOfLast(), 2);
        QTRY_VERIFY_WITH_TIMEOUT(!last.data(Qt::BackgroundRole).isValid(), 5000);
        QCOMPARE(repaintsOfLast(), 3);
    }
};

QTEST_MAIN(TestVSQTableModel)
#include "tst_vsqtablemodel.moc"
