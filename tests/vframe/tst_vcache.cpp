#include <logcapture.h>
#include <testutil.h>
#include <vcacheitem.h>
#include <vcachemgr.h>

#include <QtTest>

#include <memory>

namespace {

int g_calls = 0; // calls of every CacheUser

// A cache loaded from rows of blank-separated values under blank-separated field names.
void load(VCacheItem &cache, const char *fields, std::initializer_list<const char *> rows)
{
    QVector<QVector<QVariant>> values;
    for (const char *row : rows) {
        values.append(QVector<QVariant>());
        for (const QString &value : words(row))
            values.last().append(value);
    }
    QVERIFY(cache.load(words(fields), values));
}

// "field=value" pairs in field order, so whole records compare as text.
QString describe(const QVariantMap &record)
{
    QStringList parts;
    for (auto it = record.cbegin(); it != record.cend(); ++it)
        parts << it.key() + QLatin1Char('=') + it.value().toString();
    return parts.join(QLatin1Char(','));
}

} // namespace

// Stands for a component that asks for a dynamic cache.
class CacheUser : public QObject
{
    Q_OBJECT
public slots:
    void doCacheUpdated() { ++g_calls; }
};

class TestVCache : public QObject
{
    Q_OBJECT

private slots:
    void init() { g_calls = 0; }

    // Single-key rows check lookup too: it answers the first record that query finds. The cache held
    // other rows before, searched by the same keys: a stale index would find their row numbers.
    void queryAndLookup_data()
    {
        QTest::addColumn<QString>("keyFields");
        QTest::addColumn<QVariantList>("keyValues");
        QTest::addColumn<QString>("resultFields");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<int>("failures");

        QTest::newRow("several records in record order")
            << "stkcode" << QVariantList {QStringLiteral("600000")} << "stkid;market"
            << words("market=H,stkid=1 market=S,stkid=4") << 0;
        QTest::newRow("two keys") << " market ; stkcode " << QVariantList {QStringLiteral("S"), 600000} << "stkid"
                                  << words("stkid=4") << 0;
        QTest::newRow("all fields") << "stkid" << QVariantList {QStringLiteral("2")} << ""
                                    << words("market=S,stkcode=000001,stkid=2,stkname=平安银行") << 0;
        QTest::newRow("unknown key field")
            << "isin" << QVariantList {QStringLiteral("x")} << "stkid" << QStringList() << 1;
        QTest::newRow("unknown result field left out")
            << "stkid" << QVariantList {QStringLiteral("1")} << "stkid;isin" << words("stkid=1") << 1;
    }
    void queryAndLookup()
    {
        QFETCH(QString, keyFields);
        QFETCH(QVariantList, keyValues);
        QFETCH(QString, resultFields);
        QFETCH(QStringList, expected);
        QFETCH(int, failures);

        VCacheItem cache(QStringLiteral("stock"));
        QList<QVariantMap> records {QVariantMap {{QStringLiteral("stale"), 1}}};
        load(cache, "stkid market stkcode stkname", {"4 S 600000 同码深市", "2 S 000001 平安银行", "1 H 600000 浦发银行"});
        cache.query(records, keyFields, keyValues, resultFields, false);
        load(cache, "stkid market stkcode stkname",
             {"1 H 600000 浦发银行", "2 S 000001 平安银行", "3 H 600036 招商银行", "4 S 600000 同码深市"});
        LogCapture log;
        QCOMPARE(cache.query(records, keyFields, keyValues, resultFields, cache.supportBisearch()), expected.size());
        QStringList found;
        for (const QVariantMap &record : qAsConst(records))
            found << describe(record);
        QCOMPARE(found, expected);
        QCOMPARE(log.failures().size(), failures);
        if (keyValues.size() == 1) {
            QVariantMap record {{QStringLiteral("stale"), 1}};
            QCOMPARE(cache.lookup(record, keyFields, keyValues.first(), resultFields), !expected.isEmpty());
            QCOMPARE(describe(record), expected.value(0));
        }
    }

    // A reload waits for a reader on another thread; on the reading thread itself it would wait for itself:
    // refused, the contents kept. Readers nest, each with an unlock of its own; a stranger's unlock is logged.
    void readLocks()
    {
        VCacheItem cache(QStringLiteral("stock"));
        load(cache, "v", {"old"});
        QSemaphore locked;
        QString seenBeforeUnlock;
        std::unique_ptr<QThread> reader(QThread::create([&] {
            cache.readLock(QStringLiteral("reader"));
            locked.release();
            QThread::msleep(200); // the reload below starts meanwhile and has to wait
            seenBeforeUnlock = cache.fieldValue1(0, QStringLiteral("v")).toString();
            cache.unlock(QStringLiteral("reader"));
        }));
        reader->start();
        locked.acquire();
        load(cache, "v", {"new"});
        QVERIFY(reader->wait(5000));
        QCOMPARE(seenBeforeUnlock, QStringLiteral("old"));
        QCOMPARE(cache.fieldValue1(0, QStringLiteral("v")).toString(), QStringLiteral("new"));

        const QString futures = QStringLiteral("期货行情面板"), options = QStringLiteral("期权行情面板");
        QVERIFY(cache.readLock(futures) && cache.readLock(options) && cache.readLock(futures));
        QCOMPARE(cache.lockOwners(), QStringList({futures, options, futures}));
        LogCapture log;
        cache.unlock(QStringLiteral("stranger"));
        QVERIFY(!cache.load(words("v"), {{QStringLiteral("newer")}}));
        QCOMPARE(log.failures().size(), 2);
        QVERIFY(log.failures().constFirst().contains(QStringLiteral("stranger")));
        QVERIFY(log.failures().constLast().contains(futures));
        QVERIFY(cache.isNormal());
        QCOMPARE(cache.fieldValue1(0, QStringLiteral("v")).toString(), QStringLiteral("new"));
        cache.unlock(futures);
        QCOMPARE(cache.lockOwners(), QStringList({futures, options}));
        cache.unlock(options);
        cache.unlock(futures);
        load(cache, "v", {"newer"});
        QCOMPARE(cache.fieldValue1(0, QStringLiteral("v")).toString(), QStringLiteral("newer"));
    }

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

    // The same code in another market is another security.
    void stkCodeToStkId()
    {
        VCacheMgr mgr;
        QVERIFY(mgr.stkCodeToStkId(u("H"), u("600000")).isEmpty()); // no securities cache yet
        auto *stocks = new VCacheItem(VCacheMgr::StockCacheName);
        mgr.addCache(stocks);
        load(*stocks, "stkid market stkcode", {"1 H 600000", "4 S 600000"});
        QCOMPARE(mgr.stkCodeToStkId(u("H"), u("600000")), u("1"));
        QCOMPARE(mgr.stkCodeToStkId(u("S"), u("600000")), u("4"));
        QVERIFY(mgr.stkCodeToStkId(u("S"), u("000001")).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestVCache)
#include "tst_vcache.moc"
