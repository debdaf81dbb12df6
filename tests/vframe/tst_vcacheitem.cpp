#include <logcapture.h>
#include <vcacheitem.h>

#include <QFile>
#include <QLoggingCategory>
#include <QScopeGuard>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <algorithm>
#include <memory>

namespace {

QStringList texts(std::initializer_list<const char *> list)
{
    QStringList result;
    for (const char *text : list)
        result << QString::fromUtf8(text);
    return result;
}

using Rows = QVector<QVector<QVariant>>;

const QStringList StockFields = {QStringLiteral("stkid"), QStringLiteral("market"), QStringLiteral("stkcode"),
                                 QStringLiteral("stkname"), QStringLiteral("expiredate")};

Rows stockRows()
{
    return {
        {QStringLiteral("1"), QStringLiteral("H"), QStringLiteral("600000"), QStringLiteral("浦发银行"),
         QStringLiteral("20261231")},
        {QStringLiteral("2"), QStringLiteral("S"), QStringLiteral("000001"), QStringLiteral("平安银行"),
         QStringLiteral("20261231")},
        {QStringLiteral("3"), QStringLiteral("H"), QStringLiteral("600036"), QStringLiteral("招商银行"),
         QStringLiteral("20270630")},
        {QStringLiteral("4"), QStringLiteral("S"), QStringLiteral("600000"), QStringLiteral("同码深市"),
         QStringLiteral("20261231")},
    };
}

// "field=value" pairs in field order, so whole records compare as text.
QString describe(const QVariantMap &record)
{
    QStringList parts;
    for (auto it = record.cbegin(); it != record.cend(); ++it)
        parts << it.key() + QLatin1Char('=') + it.value().toString();
    return parts.join(QLatin1Char(','));
}

int failures(const LogCapture &log)
{
    return int(
        std::count_if(log.records.cbegin(), log.records.cend(), [](const VLogRecord &r) { return r.level == 3; }));
}

QString firstFailure(const LogCapture &log)
{
    for (const VLogRecord &r : log.records) {
        if (r.level == 3)
            return r.message;
    }
    return QString();
}

// Counts the cache's index builds, which it traces on the "vexa.cache" category.
int g_indexBuilds = 0;
QtMessageHandler g_previousHandler = nullptr;

void countIndexBuilds(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (qstrcmp(context.category, "vexa.cache") == 0 && message.contains(QLatin1String("indexed by")))
        ++g_indexBuilds;
    g_previousHandler(type, context, message);
}

} // namespace

class TestVCacheItem : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void loadCsv_data();
    void loadCsv();
    void missingFileMarksAbnormal();
    void loadRefusesRowsOfWrongWidth();
    void loadedAfterEverySuccessfulLoad();

    void query_data();
    void query();
    void lookup_data();
    void lookup();
    void unknownFieldIsLoggedOnce();
    void reloadRebuildsIndex();

    void lockOwnersAreTracked();
    void unlockWithoutLockIsRefused();
    void readerOnOtherThreadDelaysReload();
    void readerPastTimeoutKeepsContents();
    void reloadWhileThisThreadReadsKeepsContents();

private:
    QTemporaryDir m_dir;
};

void TestVCacheItem::initTestCase()
{
    VLog::setFileLogging(false);
    QVERIFY(m_dir.isValid());
}

void TestVCacheItem::loadCsv_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("normal");
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("failures");
    QTest::addColumn<QString>("logged"); // a part of the first failure record
    QTest::addColumn<int>("record");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");

    QTest::newRow("good") << QByteArray("stkid,market,stkcode,stkname\n1,H,600000,浦发银行\n2,S,000001,平安银行\n")
                          << true << 2 << 0 << QString() << 1 << "stkname"
                          << "平安银行";
    QTest::newRow("malformed lines skipped")
        << QByteArray("stkid,market,stkcode\n1,H,600000\n2,S\n3,H,600001,extra\n4,S,000002\n") << true << 2 << 2
        << "第3行" << 1 << "stkid"
        << "4";
    QTest::newRow("quoted field with commas")
        << QByteArray("stkid,stkname\n1,\"Alpha, Inc., Ltd\"\n2,\"say \"\"hi\"\"\"\n") << true << 2 << 0 << QString()
        << 0 << "stkname"
        << "Alpha, Inc., Ltd";
    QTest::newRow("blanks around field names")
        << QByteArray(" stkid , market \n7,H\n") << true << 1 << 0 << QString() << 0 << "market"
        << "H";
    QTest::newRow("field names only") << QByteArray("stkid,market\n") << true << 0 << 0 << QString() << 0 << "stkid"
                                      << QString();
    QTest::newRow("empty file") << QByteArray() << false << 0 << 1 << "没有字段名行" << 0 << "stkid" << QString();
    QTest::newRow("duplicate field") << QByteArray("stkid,stkid\n1,2\n") << false << 0 << 1 << "[stkid]" << 0 << "stkid"
                                     << QString();
    // The reader refuses a file with an unterminated quote as a whole.
    QTest::newRow("unterminated quote") << QByteArray("stkid,stkname\n1,\"open\n") << false << 0 << 1 << "line 2" << 0
                                        << "stkid" << QString();
}

void TestVCacheItem::loadCsv()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, normal);
    QFETCH(int, records);
    QFETCH(int, failures);
    QFETCH(QString, logged);
    QFETCH(int, record);
    QFETCH(QString, field);
    QFETCH(QString, value);

    const QString path = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()) + QStringLiteral(".csv"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();

    LogCapture log;
    VCacheItem cache(QStringLiteral("stock"));
    QCOMPARE(cache.loadCsv(path), normal);
    QCOMPARE(cache.isNormal(), normal);
    QCOMPARE(cache.recordCount1(), records);
    QCOMPARE(::failures(log), failures);
    if (!logged.isEmpty())
        QVERIFY2(firstFailure(log).contains(logged), qPrintable(firstFailure(log)));
    QCOMPARE(cache.fieldValue1(record, field).toString(), value);
}

void TestVCacheItem::missingFileMarksAbnormal()
{
    LogCapture log;
    VCacheItem cache(QStringLiteral("stock"));
    QVERIFY(cache.load(StockFields, stockRows()));

    const QString path = m_dir.filePath(QStringLiteral("absent.csv"));
    QSignalSpy loaded(&cache, &VCacheItem::loaded);
    QVERIFY(!cache.loadCsv(path));
    QVERIFY(!cache.isNormal());
    QCOMPARE(loaded.count(), 0);
    QCOMPARE(failures(log), 1);
    QVERIFY(firstFailure(log).contains(path));
    // The old records stay in place, unused while the cache is abnormal, and
    // the next good load makes it normal again.
    QCOMPARE(cache.recordCount1(), 4);
    QVERIFY(cache.load(StockFields, stockRows()));
    QVERIFY(cache.isNormal());
}

void TestVCacheItem::loadRefusesRowsOfWrongWidth()
{
    LogCapture log;
    VCacheItem cache(QStringLiteral("stock"));
    Rows rows = stockRows();
    rows[2].removeLast();
    QVERIFY(!cache.load(StockFields, rows));
    QVERIFY(!cache.isNormal());
    QCOMPARE(cache.recordCount1(), 0);
    QVERIFY(firstFailure(log).contains(QStringLiteral("第3条")));
}

void TestVCacheItem::loadedAfterEverySuccessfulLoad()
{
    VCacheItem cache(QStringLiteral("stock"));
    QSignalSpy loaded(&cache, &VCacheItem::loaded);
    QVERIFY(cache.load(StockFields, stockRows()));
    QVERIFY(cache.load(StockFields, {}));
    QVERIFY(!cache.load({QStringLiteral("a"), QStringLiteral("a")}, {}));
    QCOMPARE(loaded.count(), 2);
}

void TestVCacheItem::query_data()
{
    QTest::addColumn<QString>("keyFields");
    QTest::addColumn<QVariantList>("keyValues");
    QTest::addColumn<QString>("resultFields");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<int>("failures");

    QTest::newRow("one key, several records in record order")
        << "stkcode" << QVariantList {QStringLiteral("600000")} << "stkid;market"
        << texts({"market=H,stkid=1", "market=S,stkid=4"}) << 0;
    QTest::newRow("two keys") << "market;stkcode" << QVariantList {QStringLiteral("S"), QStringLiteral("600000")}
                              << "stkid" << texts({"stkid=4"}) << 0;
    QTest::newRow("number compared as text")
        << "expiredate" << QVariantList {20270630} << "stkid" << texts({"stkid=3"}) << 0;
    QTest::newRow("all fields") << "stkid" << QVariantList {QStringLiteral("2")} << ""
                                << texts({"expiredate=20261231,market=S,stkcode=000001,stkid=2,stkname=平安银行"}) << 0;
    QTest::newRow("blanks around names") << " market ; stkcode "
                                         << QVariantList {QStringLiteral("H"), QStringLiteral("600036")} << " stkid "
                                         << texts({"stkid=3"}) << 0;
    QTest::newRow("no match") << "stkcode" << QVariantList {QStringLiteral("999999")} << "stkid" << QStringList() << 0;
    QTest::newRow("key matches only in another field")
        << "market;stkcode" << QVariantList {QStringLiteral("H"), QStringLiteral("000001")} << "stkid" << QStringList()
        << 0;
    QTest::newRow("unknown key field") << "isin" << QVariantList {QStringLiteral("x")} << "stkid" << QStringList() << 1;
    QTest::newRow("unknown result field left out")
        << "stkid" << QVariantList {QStringLiteral("1")} << "stkid;isin" << texts({"stkid=1"}) << 1;
    QTest::newRow("fewer values than keys")
        << "market;stkcode" << QVariantList {QStringLiteral("H")} << "" << QStringList() << 1;
    QTest::newRow("no key") << "" << QVariantList() << "" << QStringList() << 1;
}

void TestVCacheItem::query()
{
    QFETCH(QString, keyFields);
    QFETCH(QVariantList, keyValues);
    QFETCH(QString, resultFields);
    QFETCH(QStringList, expected);
    QFETCH(int, failures);

    VCacheItem cache(QStringLiteral("stock"));
    QVERIFY(cache.load(StockFields, stockRows()));
    LogCapture log;
    QList<QVariantMap> records {QVariantMap {{QStringLiteral("stale"), 1}}};
    QCOMPARE(cache.query(records, keyFields, keyValues, resultFields, cache.supportBisearch()), expected.size());
    QStringList found;
    for (const QVariantMap &record : qAsConst(records))
        found << describe(record);
    QCOMPARE(found, expected);
    QCOMPARE(::failures(log), failures);
}

void TestVCacheItem::lookup_data()
{
    QTest::addColumn<QString>("keyField");
    QTest::addColumn<QVariant>("keyValue");
    QTest::addColumn<QString>("wanted");
    QTest::addColumn<QString>("expected"); // empty: no record

    QTest::newRow("first of several") << "stkcode" << QVariant(QStringLiteral("600000")) << "stkid"
                                      << "stkid=1";
    QTest::newRow("wanted fields") << "stkid" << QVariant(QStringLiteral("3")) << "market;stkcode"
                                   << "market=H,stkcode=600036";
    QTest::newRow("no record") << "stkid" << QVariant(QStringLiteral("99")) << "stkid" << QString();
    QTest::newRow("unknown key field") << "isin" << QVariant(QStringLiteral("1")) << "stkid" << QString();
}

void TestVCacheItem::lookup()
{
    QFETCH(QString, keyField);
    QFETCH(QVariant, keyValue);
    QFETCH(QString, wanted);
    QFETCH(QString, expected);

    VCacheItem cache(QStringLiteral("stock"));
    QVERIFY(cache.load(StockFields, stockRows()));
    QVariantMap record {{QStringLiteral("stale"), 1}};
    QCOMPARE(cache.lookup(record, keyField, keyValue, wanted, 0), !expected.isEmpty());
    QCOMPARE(describe(record), expected);
}

void TestVCacheItem::unknownFieldIsLoggedOnce()
{
    VCacheItem cache(QStringLiteral("stock"));
    QVERIFY(cache.load(StockFields, stockRows()));
    LogCapture log;
    QVERIFY(!cache.fieldValue1(0, QStringLiteral("isin")).isValid());
    QVERIFY(!cache.fieldValue1(1, QStringLiteral("isin")).isValid());
    QVERIFY(!cache.fieldValue1(4, QStringLiteral("stkid")).isValid());
    QVERIFY(!cache.fieldValue1(-1, QStringLiteral("stkid")).isValid());
    QCOMPARE(failures(log), 1);
    QVERIFY(firstFailure(log).contains(QStringLiteral("isin")));
}

void TestVCacheItem::reloadRebuildsIndex()
{
    QLoggingCategory::setFilterRules(QStringLiteral("vexa.cache.debug=true"));
    g_indexBuilds = 0;
    g_previousHandler = qInstallMessageHandler(countIndexBuilds);
    auto restore = qScopeGuard([] {
        qInstallMessageHandler(g_previousHandler);
        QLoggingCategory::setFilterRules(QString());
    });

    VCacheItem cache(QStringLiteral("stock"));
    QVERIFY(cache.load(StockFields, stockRows()));
    QVariantMap record;
    QVERIFY(cache.lookup(record, QStringLiteral("stkcode"), QStringLiteral("600036"), QStringLiteral("stkid")));
    QVERIFY(cache.lookup(record, QStringLiteral("stkcode"), QStringLiteral("000001"), QStringLiteral("stkid")));
    QCOMPARE(g_indexBuilds, 1);
    QList<QVariantMap> records;
    cache.query(records, QStringLiteral("market;stkcode"), {QStringLiteral("H"), QStringLiteral("600036")}, QString(),
                false);
    QCOMPARE(g_indexBuilds, 2);

    // The same code now sits in another row: a stale index would find the old row number.
    const Rows before = stockRows();
    const QVector<QVariant> renamed {QStringLiteral("1"), QStringLiteral("H"), QStringLiteral("600999"),
                                     QStringLiteral("浦发银行"), QStringLiteral("20261231")};
    QVERIFY(cache.load(StockFields, {before.at(2), before.at(1), renamed, before.at(3)}));
    QVERIFY(cache.lookup(record, QStringLiteral("stkcode"), QStringLiteral("600036"), QStringLiteral("stkid")));
    QCOMPARE(record.value(QStringLiteral("stkid")).toString(), QStringLiteral("3"));
    QVERIFY(cache.lookup(record, QStringLiteral("stkcode"), QStringLiteral("600000"), QStringLiteral("stkid")));
    QCOMPARE(record.value(QStringLiteral("stkid")).toString(), QStringLiteral("4"));
    QCOMPARE(g_indexBuilds, 3);
}

void TestVCacheItem::lockOwnersAreTracked()
{
    VCacheItem cache(QStringLiteral("stock"));
    QVERIFY(cache.load(StockFields, stockRows()));
    QVERIFY(cache.readLock(QStringLiteral("期货行情面板")));
    QVERIFY(cache.readLock(QStringLiteral("期权行情面板")));
    QVERIFY(cache.readLock(QStringLiteral("期货行情面板")));
    QCOMPARE(
        cache.lockOwners(),
        QStringList({QStringLiteral("期货行情面板"), QStringLiteral("期权行情面板"), QStringLiteral("期货行情面板")}));
    cache.unlock(QStringLiteral("期货行情面板"));
    QCOMPARE(cache.lockOwners(), QStringList({QStringLiteral("期货行情面板"), QStringLiteral("期权行情面板")}));
    cache.unlock(QStringLiteral("期权行情面板"));
    cache.unlock(QStringLiteral("期货行情面板"));
    QVERIFY(cache.lockOwners().isEmpty());
    QVERIFY(cache.load(StockFields, stockRows())); // nothing is left locked
}

void TestVCacheItem::unlockWithoutLockIsRefused()
{
    VCacheItem cache(QStringLiteral("stock"));
    QVERIFY(cache.readLock(QStringLiteral("holder")));
    LogCapture log;
    cache.unlock(QStringLiteral("stranger"));
    QCOMPARE(failures(log), 1);
    QVERIFY(firstFailure(log).contains(QStringLiteral("stranger")));
    QCOMPARE(cache.lockOwners(), QStringList {QStringLiteral("holder")});
    cache.unlock(QStringLiteral("holder"));
    QVERIFY(cache.lockOwners().isEmpty());
}

void TestVCacheItem::readerOnOtherThreadDelaysReload()
{
    VCacheItem cache(QStringLiteral("stock"));
    QVERIFY(cache.load({QStringLiteral("v")}, {{QStringLiteral("old")}}));
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
    QCOMPARE(cache.lockOwners(), QStringList {QStringLiteral("reader")});
    QVERIFY(cache.load({QStringLiteral("v")}, {{QStringLiteral("new")}}));
    QVERIFY(reader->wait(5000));
    QCOMPARE(seenBeforeUnlock, QStringLiteral("old"));
    QCOMPARE(cache.fieldValue1(0, QStringLiteral("v")).toString(), QStringLiteral("new"));
}

void TestVCacheItem::readerPastTimeoutKeepsContents()
{
    VCacheItem cache(QStringLiteral("stock"));
    cache.setLockTimeout(100);
    QVERIFY(cache.load({QStringLiteral("v")}, {{QStringLiteral("old")}}));
    QSemaphore locked;
    QSemaphore reloadTried;
    std::unique_ptr<QThread> reader(QThread::create([&] {
        cache.readLock(QStringLiteral("slow reader"));
        locked.release();
        reloadTried.acquire();
        cache.unlock(QStringLiteral("slow reader"));
    }));
    reader->start();
    locked.acquire();

    LogCapture log;
    QSignalSpy loaded(&cache, &VCacheItem::loaded);
    const bool reloaded = cache.load({QStringLiteral("v")}, {{QStringLiteral("new")}});
    reloadTried.release();
    QVERIFY(reader->wait(5000));
    QVERIFY(!reloaded);
    QVERIFY(firstFailure(log).contains(QStringLiteral("slow reader")));
    QCOMPARE(loaded.count(), 0);
    QVERIFY(cache.isNormal());
    QCOMPARE(cache.fieldValue1(0, QStringLiteral("v")).toString(), QStringLiteral("old"));
    QVERIFY(cache.load({QStringLiteral("v")}, {{QStringLiteral("new")}}));
}

void TestVCacheItem::reloadWhileThisThreadReadsKeepsContents()
{
    VCacheItem cache(QStringLiteral("stock"));
    QVERIFY(cache.load({QStringLiteral("v")}, {{QStringLiteral("old")}}));
    QVERIFY(cache.readLock(QStringLiteral("BCOptionalStk::combinedataset()")));
    LogCapture log;
    QVERIFY(!cache.load({QStringLiteral("v")}, {{QStringLiteral("new")}}));
    QVERIFY(firstFailure(log).contains(QStringLiteral("BCOptionalStk::combinedataset()")));
    QVERIFY(cache.isNormal());
    QCOMPARE(cache.fieldValue1(0, QStringLiteral("v")).toString(), QStringLiteral("old"));
    cache.unlock(QStringLiteral("BCOptionalStk::combinedataset()"));
    QVERIFY(cache.load({QStringLiteral("v")}, {{QStringLiteral("new")}}));
    QCOMPARE(cache.fieldValue1(0, QStringLiteral("v")).toString(), QStringLiteral("new"));
}

QTEST_GUILESS_MAIN(TestVCacheItem)
#include "tst_vcacheitem.moc"
