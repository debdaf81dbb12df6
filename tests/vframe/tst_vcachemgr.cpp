#include <logcapture.h>
#include <vcacheitem.h>
#include <vcachemgr.h>

#include <QPointer>
#include <QtTest>
#include <algorithm>

namespace {

using Rows = QVector<QVector<QVariant>>;

VCacheItem *stockCache()
{
    auto *item = new VCacheItem(VCacheMgr::StockCacheName);
    item->load({QStringLiteral("stkid"), QStringLiteral("market"), QStringLiteral("stkcode")},
               {
                   {QStringLiteral("1"), QStringLiteral("H"), QStringLiteral("600000")},
                   {QStringLiteral("2"), QStringLiteral("S"), QStringLiteral("000001")},
                   {QStringLiteral("4"), QStringLiteral("S"), QStringLiteral("600000")},
               });
    return item;
}

int failures(const LogCapture &log)
{
    return int(
        std::count_if(log.records.cbegin(), log.records.cend(), [](const VLogRecord &r) { return r.level == 3; }));
}

} // namespace

// Stands for a component that asks for a dynamic cache.
class CacheUser : public QObject
{
    Q_OBJECT
public:
    explicit CacheUser(int *calls)
        : m_calls(calls)
    {
    }

public slots:
    void doCacheUpdated() { ++*m_calls; }
    void doWithArgument(int) { }

private:
    int *m_calls;
};

class TestVCacheMgr : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void instanceIsLastConstructed();
    void ownsItsCaches();
    void secondCacheOfSameNameIsRefused();
    void dynCacheCallsReceiverAfterEveryLoad();
    void dynCacheConnectionEndsWithReceiver();
    void dynCacheRefusals_data();
    void dynCacheRefusals();
    void stkCodeToStkId_data();
    void stkCodeToStkId();
    void stkCodeToStkIdWithoutStockCache();
};

void TestVCacheMgr::initTestCase()
{
    VLog::setFileLogging(false);
}

void TestVCacheMgr::instanceIsLastConstructed()
{
    QVERIFY(!VCacheMgr::instance());
    {
        VCacheMgr first;
        QCOMPARE(VCacheMgr::instance(), &first);
        {
            VCacheMgr second;
            QCOMPARE(VCacheMgr::instance(), &second);
        }
        QVERIFY(!VCacheMgr::instance());
    }
    QVERIFY(!VCacheMgr::instance());
}

void TestVCacheMgr::ownsItsCaches()
{
    QPointer<VCacheItem> item = stockCache();
    {
        VCacheMgr mgr;
        QVERIFY(mgr.addCache(item));
        QCOMPARE(mgr.stockCache(), item.data());
        QCOMPARE(mgr.cache(VCacheMgr::StockCacheName), item.data());
        QVERIFY(!mgr.cache(QStringLiteral("851101")));
    }
    QVERIFY(item.isNull());
}

void TestVCacheMgr::secondCacheOfSameNameIsRefused()
{
    VCacheMgr mgr;
    VCacheItem *served = stockCache();
    QVERIFY(mgr.addCache(served));
    LogCapture log;
    QPointer<VCacheItem> second = new VCacheItem(VCacheMgr::StockCacheName);
    QVERIFY(!mgr.addCache(second));
    QVERIFY(second.isNull());
    QCOMPARE(mgr.stockCache(), served);
    QCOMPARE(failures(log), 1);
}

void TestVCacheMgr::dynCacheCallsReceiverAfterEveryLoad()
{
    VCacheMgr mgr;
    auto *contracts = new VCacheItem(QStringLiteral("851101"));
    mgr.addCache(contracts);
    int calls = 0;
    CacheUser user(&calls);
    QCOMPARE(mgr.dynCache(QStringLiteral("851101"), nullptr, &user, "1doCacheUpdated()"), contracts);
    QCOMPARE(mgr.dynCache(QStringLiteral("851101"), nullptr, &user, SLOT(doCacheUpdated())), contracts);
    // Asking again, with or without blanks, keeps one connection.
    QCOMPARE(mgr.dynCache(QStringLiteral("851101"), nullptr, &user, "1doCacheUpdated( )"), contracts);
    QCOMPARE(calls, 0);

    QVERIFY(contracts->load({QStringLiteral("stkid")}, {{QStringLiteral("1")}}));
    QCOMPARE(calls, 1);
    QVERIFY(contracts->load({QStringLiteral("stkid")}, {}));
    QCOMPARE(calls, 2);
    QVERIFY(!contracts->loadCsv(QStringLiteral("/nonexistent/851101.csv")));
    QCOMPARE(calls, 2);
}

void TestVCacheMgr::dynCacheConnectionEndsWithReceiver()
{
    VCacheMgr mgr;
    auto *contracts = new VCacheItem(QStringLiteral("600570"));
    mgr.addCache(contracts);
    int calls = 0;
    auto *user = new CacheUser(&calls);
    mgr.dynCache(QStringLiteral("600570"), nullptr, user, SLOT(doCacheUpdated()));
    QVERIFY(contracts->load({QStringLiteral("stkid")}, {}));
    QCOMPARE(calls, 1);
    delete user;
    QVERIFY(contracts->load({QStringLiteral("stkid")}, {}));
    QCOMPARE(calls, 1);
}

void TestVCacheMgr::dynCacheRefusals_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("slot");
    QTest::addColumn<bool>("served");

    QTest::newRow("unknown cache") << "999999" << QByteArray("1doCacheUpdated()") << false;
    QTest::newRow("unknown slot") << "851101" << QByteArray("1doNothing()") << true;
    QTest::newRow("slot needs an argument") << "851101" << QByteArray("1doWithArgument(int)") << true;
    QTest::newRow("no method code") << "851101" << QByteArray("doCacheUpdated()") << true;
}

void TestVCacheMgr::dynCacheRefusals()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, slot);
    QFETCH(bool, served);

    VCacheMgr mgr;
    auto *contracts = new VCacheItem(QStringLiteral("851101"));
    mgr.addCache(contracts);
    int calls = 0;
    CacheUser user(&calls);
    LogCapture log;
    QCOMPARE(mgr.dynCache(name, nullptr, &user, slot.constData()), served ? contracts : nullptr);
    QCOMPARE(failures(log), 1);
    QVERIFY(contracts->load({QStringLiteral("stkid")}, {}));
    QCOMPARE(calls, 0);
}

void TestVCacheMgr::stkCodeToStkId_data()
{
    QTest::addColumn<QString>("market");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("stkid");

    QTest::newRow("shanghai") << "H"
                              << "600000"
                              << "1";
    QTest::newRow("same code in shenzhen") << "S"
                                           << "600000"
                                           << "4";
    QTest::newRow("code of another market") << "H"
                                            << "000001" << QString();
    QTest::newRow("unknown code") << "S"
                                  << "300750" << QString();
}

void TestVCacheMgr::stkCodeToStkId()
{
    QFETCH(QString, market);
    QFETCH(QString, code);
    QFETCH(QString, stkid);

    VCacheMgr mgr;
    mgr.addCache(stockCache());
    QCOMPARE(mgr.stkCodeToStkId(market, code), stkid);
}

void TestVCacheMgr::stkCodeToStkIdWithoutStockCache()
{
    VCacheMgr mgr;
    QVERIFY(mgr.stkCodeToStkId(QStringLiteral("H"), QStringLiteral("600000")).isEmpty());
    auto *broken = new VCacheItem(VCacheMgr::StockCacheName);
    mgr.addCache(broken);
    QVERIFY(!broken->loadCsv(QStringLiteral("/nonexistent/stock.csv")));
    QVERIFY(mgr.stkCodeToStkId(QStringLiteral("H"), QStringLiteral("600000")).isEmpty());
}

QTEST_GUILESS_MAIN(TestVCacheMgr)
#include "tst_vcachemgr.moc"
