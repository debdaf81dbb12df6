#include <logcapture.h>
#include <testutil.h>
#include <vcacheitem.h>
#include <vcachemgr.h>
#include <vdatadict.h>
#include <vdataset.h>

#include <QtTest>

namespace {

// price (double, 2 decimals), qty (integer), code (text), market (text)
// and its dictionary lookup "market_s".
void define(VDataset &ds)
{
    ds.addField(QStringLiteral("price"), u("价格"), vd::DT_Double, 12, 8)->setDecimals(2);
    ds.addField(QStringLiteral("qty"), u("数量"), vd::DT_Integer, 12, 8);
    ds.addField(QStringLiteral("code"), u("代码"), vd::DT_String, 12, 8);
    ds.addField(QStringLiteral("market"), u("市场"), vd::DT_String, 1, 4)->setVisible(false);
    ds.addField(QStringLiteral("market_s"), u("市场"), vd::DT_String, 8, 8)
        ->setType(vd::FT_Lookup)
        ->setKeyFields(QStringLiteral("market"))
        ->setDictItem(QStringLiteral("4"));
    ds.open();
}

// Rows of (price, code); a null price for an empty cell.
void fill(VDataset &ds, const QList<QPair<QVariant, QString>> &rows)
{
    for (const auto &row : rows) {
        const int r = ds.append();
        ds.setFieldValue(r, QStringLiteral("price"), row.first);
        ds.setFieldValue(r, QStringLiteral("code"), row.second);
    }
}

} // namespace

class TestVDataset : public QObject
{
    Q_OBJECT

private slots:
    // A new row is null everywhere; writes convert to the field's type and
    // signal only a real change, also for the lookup field keyed by it.
    void valuesAndChanges()
    {
        VDataDict dict;
        dict.setItem(QStringLiteral("4"), QStringLiteral("H"), u("上期所"));
        VDataset ds;
        ds.setDataDict(&dict);
        define(ds);
        QSignalSpy updates(&ds, &VDataset::onAfterUpdate);
        const int row = ds.append();
        for (int field = 0; field < ds.fields()->count() - 1; ++field)
            QVERIFY(ds.fieldValue(row, field).isNull());

        QVERIFY(ds.setFieldValue(row, QStringLiteral("price"), QStringLiteral("12.5")));
        QCOMPARE(ds.fieldValue(row, QStringLiteral("price")), QVariant(12.5));
        QVERIFY(ds.setFieldValue(row, QStringLiteral("price"), 12.5));
        QVERIFY(ds.setFieldValue(row, QStringLiteral("qty"), QStringLiteral("--")));
        QCOMPARE(ds.fieldValue(row, QStringLiteral("qty")), QVariant(qint64(0)));
        QVERIFY(ds.setFieldValue(row, QStringLiteral("market"), QStringLiteral("H")));
        QCOMPARE(ds.fieldValue(row, QStringLiteral("market_s")).toString(), u("上期所"));
        QVERIFY(!ds.setFieldValue(row, QStringLiteral("market_s"), QStringLiteral("x")));
        QVERIFY(ds.setFieldValue(row, QStringLiteral("price"), QVariant()));
        QVERIFY(ds.fieldValue(row, QStringLiteral("price")).isNull());

        // price once (12.5 again is no change), qty, market with market_s, price to null.
        QList<int> fields;
        for (const QList<QVariant> &update : qAsConst(updates))
            fields << update.at(1).toInt();
        QCOMPARE(fields, (QList<int> {0, 1, 3, 4, 0}));
    }

    // What the boards read for names and rows the dataset does not have.
    void unknownNamesAndRows()
    {
        LogCapture log;
        VDataset ds;
        define(ds);
        fill(ds, {{1.5, QStringLiteral("a")}});
        QVERIFY(!ds.fieldValue(0, QStringLiteral("ystdcloseprice")).isValid());
        QVERIFY(!ds.setFieldValue(0, QStringLiteral("ystdcloseprice"), 1.0));
        QVERIFY(!ds.fieldValue(1, QStringLiteral("price")).isValid());
        QVERIFY(!ds.setFieldValue(-1, QStringLiteral("price"), 1.0));
        QVERIFY(!ds.fieldValue(0, 99).isValid());
        // Logged once per name, however often it is asked.
        QCOMPARE(log.records().size(), 1);
        QVERIFY(log.records().constFirst().message.contains(QStringLiteral("ystdcloseprice")));
        // Closed: nothing can be appended; close(true) drops the records.
        ds.close(false);
        QCOMPARE(ds.append(), -1);
        QCOMPARE(ds.recordCount(), 1);
        ds.close(true);
        QCOMPARE(ds.recordCount(), 0);
    }

    void sortIsStable_data()
    {
        QTest::addColumn<QString>("spec");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("ascending, nulls first") << QStringLiteral("price 0") << words("n b1 d1 a2 c2");
        QTest::newRow("descending") << QStringLiteral("price 1") << words("a2 c2 b1 d1 n");
        QTest::newRow("no code is ascending") << QStringLiteral("price") << words("n b1 d1 a2 c2");
        QTest::newRow("two keys") << QStringLiteral("price 1,code 1") << words("c2 a2 d1 b1 n");
        QTest::newRow("unknown field leaves the order")
            << QStringLiteral("nosuch 0") << words("a2 b1 c2 n d1");
    }
    void sortIsStable()
    {
        QFETCH(QString, spec);
        VDataset ds;
        define(ds);
        fill(ds, {{2.0, QStringLiteral("a2")}, {1.0, QStringLiteral("b1")}, {2.0, QStringLiteral("c2")},
                  {QVariant(), QStringLiteral("n")}, {1.0, QStringLiteral("d1")}});
        ds.sort(spec, Qt::CaseSensitive);
        QStringList codes;
        for (int row = 0; row < ds.recordCount(); ++row)
            codes << ds.fieldValue(row, QStringLiteral("code")).toString();
        QTEST(codes, "order");
    }

    // As the boards search: a value from a start row to the end, exactly.
    void locate_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("row");
        QTest::newRow("number from row 0") << QStringLiteral("price") << QVariant(QStringLiteral("2.0")) << 0 << 0;
        QTest::newRow("number from a later row") << QStringLiteral("price") << QVariant(2.0) << 1 << 2;
        QTest::newRow("within 1e-8") << QStringLiteral("price") << QVariant(1.000000001) << 0 << 1;
        QTest::newRow("absent") << QStringLiteral("price") << QVariant(3.0) << 0 << -1;
        QTest::newRow("text") << QStringLiteral("code") << QVariant(QStringLiteral("c2")) << 0 << 2;
        QTest::newRow("text in another case") << QStringLiteral("code") << QVariant(QStringLiteral("C2")) << 0 << -1;
        QTest::newRow("unknown field") << QStringLiteral("nosuch") << QVariant(2.0) << 0 << -1;
    }
    void locate()
    {
        QFETCH(QString, field);
        QFETCH(QVariant, value);
        QFETCH(int, start);
        VDataset ds;
        define(ds);
        fill(ds, {{2.0, QStringLiteral("a2")}, {1.0, QStringLiteral("b1")}, {2.0, QStringLiteral("c2")}});
        QTEST(ds.locate(field, value, start, -1, -1, true), "row");
    }

    // A code the dictionary does not hold is shown as it is; a list is translated code by code.
    void dictionary_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("text");
        QTest::newRow("unknown entry") << u("5") << u("H") << u("H");
        QTest::newRow("list with unknown") << u("4") << u("H,X,D") << u("上期所,X,大商所");
    }
    void dictionary()
    {
        QFETCH(QString, entry);
        QFETCH(QString, item);
        VDataDict dict;
        dict.setItem(u("4"), u("H"), u("上期所"));
        dict.setItem(u("4"), u("D"), u("大商所"));
        QTEST(dict.transDictItem(entry, item, ','), "text");
    }

    // The security name looked up by "stkid"; empty without a cache record.
    void securityNameLookup()
    {
        VCacheMgr caches;
        auto *stocks = new VCacheItem(VCacheMgr::StockCacheName);
        QVERIFY(stocks->load({QStringLiteral("stkid"), QStringLiteral("stkname")},
                             {{QStringLiteral("Hrb2701"), u("螺纹钢2701")}}));
        caches.addCache(stocks);
        VDataset ds;
        ds.addField(QStringLiteral("stkid"), u("内码"), vd::DT_String, 12, 12);
        QCOMPARE(caches.addStkNameLookupField(&ds)->name(), QStringLiteral("stkname"));
        ds.open();
        ds.setFieldValue(ds.append(), QStringLiteral("stkid"), QStringLiteral("Hrb2701"));
        ds.setFieldValue(ds.append(), QStringLiteral("stkid"), QStringLiteral("Hxx0000"));
        QCOMPARE(ds.fieldValue(0, QStringLiteral("stkname")).toString(), u("螺纹钢2701"));
        QCOMPARE(ds.fieldValue(1, QStringLiteral("stkname")).toString(), QString());
    }
};

QTEST_GUILESS_MAIN(TestVDataset)
#include "tst_vdataset.moc"
