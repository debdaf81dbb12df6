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
    void initTestCase() { VLog::setFileLogging(false); }
    void init() { g_calls = 0; }

    void dynCacheCallsTheReceiverAfterEveryLoad()
    {
        VCacheMgr mgr;
        auto *contracts = new VCacheItem(QStringLiteral("851101"));
        QVERIFY(mgr.addCache(contracts));
        auto *user = new CacheUser;
        // Asking again, with or without blanks, keeps one connection.
        for (const char *slot : {"1doCacheUpdated()", "1doCacheUpdated( )"})
            QCOMPARE(mgr.dynCache(QStringLiteral("851101"), nullptr, user, slot), contracts);
        QVERIFY(contracts->load({QStringLiteral("stkid")}, {{QStringLiteral("1")}}));
        QVERIFY(contracts->load({QStringLiteral("stkid")}, {}));
        QVERIFY(!contracts->loadCsv(QStringLiteral("/nonexistent/851101.csv")));
        QCOMPARE(g_calls, 2);
        delete user;
        QVERIFY(contracts->load({QStringLiteral("stkid")}, {}));
        QCOMPARE(g_calls, 2);
    }

    void dynCacheRefusals_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("slot");
        QTest::addColumn<bool>("served");
        QTest::newRow("unknown cache") << "999999" << QByteArray("1doCacheUpdated()") << false;
        QTest::newRow("unknown slot") << "851101" << QByteArray("1doNothing()") << true;
        QTest::newRow("no method code") << "851101" << QByteArray("doCacheUpdated()") << true;
    }
    void dynCacheRefusals()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, slot);
        QFETCH(bool, served);
        VCacheMgr mgr;
        auto *contracts = new VCacheItem(QStringLiteral("851101"));
        mgr.addCache(contracts);
        CacheUser user;
        LogCapture log;
        QCOMPARE(mgr.dynCache(name, nullptr, &user, slot.constData()), served ? contracts : nullptr);
        QCOMPARE(log.records.size(), 1);
        QCOMPARE(log.records.constFirst().level, 3);
        QVERIFY(contracts->load({QStringLiteral("stkid")}, {}));
        QCOMPARE(g_calls, 0);
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
