#include <logcapture.h>
#include <vcacheitem.h>
#include <vcachemgr.h>

#include <QtTest>

namespace {
int g_calls = 0; // calls of every CacheUser
} // namespace

// Stands for a component that asks for a dynamic cache.
class CacheUser : public QObject
{
    Q_OBJECT
public slots:
    void doCacheUpdated() { ++g_calls; }
};

class TestVCacheMgr : public QObject
{
    Q_OBJECT

private slots:
    void init() { g_calls = 0; }

    // A component asks twice for the contract cache, to be called after every load: one call a load
    // (none for a failed one, none once it is gone); what cannot be served or connected is logged.
    void dynCache_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("slot");
        QTest::addColumn<bool>("served");
        QTest::addColumn<int>("calls"); // after two loads
        QTest::newRow("connected") << "851101" << QByteArray("1doCacheUpdated()") << true << 2;
        QTest::newRow("blanks in the slot") << "851101" << QByteArray("1doCacheUpdated( )") << true << 2;
        QTest::newRow("unknown cache") << "999999" << QByteArray("1doCacheUpdated()") << false << 0;
        QTest::newRow("unknown slot") << "851101" << QByteArray("1doNothing()") << true << 0;
        QTest::newRow("no method code") << "851101" << QByteArray("doCacheUpdated()") << true << 0;
    }
    void dynCache()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, slot);
        QFETCH(bool, served);
        QFETCH(int, calls);
        VCacheMgr mgr;
        auto *contracts = new VCacheItem(QStringLiteral("851101"));
        QVERIFY(mgr.addCache(contracts));
        auto *user = new CacheUser;
        LogCapture log;
        for (int i = 0; i < 2; ++i)
            QCOMPARE(mgr.dynCache(name, nullptr, user, slot.constData()), served ? contracts : nullptr);
        QCOMPARE(log.failures().size(), calls ? 0 : 2);
        QVERIFY(contracts->load({QStringLiteral("stkid")}, {{QStringLiteral("1")}}));
        QVERIFY(contracts->load({QStringLiteral("stkid")}, {}));
        QVERIFY(!contracts->loadCsv(QStringLiteral("/nonexistent/851101.csv")));
        QCOMPARE(g_calls, calls);
        delete user;
        QVERIFY(contracts->load({QStringLiteral("stkid")}, {}));
        QCOMPARE(g_calls, calls);
    }

    void stkCodeToStkId()
    {
        const QString h = QStringLiteral("H"), s = QStringLiteral("S"), code = QStringLiteral("600000");
        VCacheMgr mgr;
        QVERIFY(mgr.stkCodeToStkId(h, code).isEmpty()); // no securities cache yet
        auto *stocks = new VCacheItem(VCacheMgr::StockCacheName);
        mgr.addCache(stocks);
        QVERIFY(stocks->load({QStringLiteral("stkid"), QStringLiteral("market"), QStringLiteral("stkcode")},
                             {{QStringLiteral("1"), h, code}, {QStringLiteral("4"), s, code}}));
        QCOMPARE(mgr.stkCodeToStkId(h, code), QStringLiteral("1"));
        QCOMPARE(mgr.stkCodeToStkId(s, code), QStringLiteral("4"));
        QVERIFY(mgr.stkCodeToStkId(s, QStringLiteral("000001")).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestVCacheMgr)
#include "tst_vcachemgr.moc"
