#include <hostcontext.h>
#include <logcapture.h>
#include <testhost.h>
#include <vbusiness.h>
#include <vcacheitem.h>
#include <vcachemgr.h>
#include <vdatadict.h>
#include <vlocaldb.h>
#include <vlogsink.h>
#include <vquotmgr.h>
#include <vsimquotfeed.h>

#include <QDate>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString FuturesCache = QStringLiteral("851101");
const QString OptionCache = QStringLiteral("600570");

// A copy of the shipped source files that a test may spoil.
QString copyOfShippedData(const QTemporaryDir &dir)
{
    const QString path = dir.filePath(QStringLiteral("data"));
    QDir().mkpath(path);
    for (const char *file : {"securities.csv", "futures.csv", "options.csv", "dict.csv"}) {
        const QString target = path + QLatin1Char('/') + QLatin1String(file);
        QFile::copy(QStringLiteral(TARN_DATA_DIR "/") + QLatin1String(file), target);
        QFile(target).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    }
    return path;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size();
}

// The bytes of a literal that may hold NULs, without its terminator.
template<int N> QByteArray bytes(const char (&literal)[N])
{
    return QByteArray(literal, N - 1);
}

bool isNormal(HostContext &context, const QString &name)
{
    const VCacheItem *cache = context.cacheMgr()->cache(name);
    return cache && cache->isNormal();
}

} // namespace

class TestHostData : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void servesTheSampleMarket();
    void brokenSource_data();
    void brokenSource();
    void unwritableConfigFolder();
    void configThatIsNotSqlite_data();
    void configThatIsNotSqlite();
    void invalidBusinessDateFallsBackToToday();
    void simInstrument_data();
    void simInstrument();
    void simulatedFeedIsInstalled();
};

void TestHostData::initTestCase()
{
    VLog::setFileLogging(false);
}

void TestHostData::servesTheSampleMarket()
{
    TestHost host(20261215, QStringLiteral(TARN_DATA_DIR));
    HostContext &context = host.context();
    QCOMPARE(context.loadProblems(), QStringList());
    QCOMPARE(context.business()->sysDate(), 20261215);

    VCacheItem *securities = context.cacheMgr()->stockCache();
    QVERIFY(securities && securities->isNormal());
    QVERIFY(securities->recordCount1() > 1000);
    QVERIFY(isNormal(context, FuturesCache));
    QVERIFY(isNormal(context, OptionCache));
    QCOMPARE(context.cacheMgr()->stkCodeToStkId(QStringLiteral("H"), QStringLiteral("rb2701")),
             QStringLiteral("Hrb2701"));

    QVariantMap record;
    QVERIFY(securities->lookup(record, QStringLiteral("stkid"), QStringLiteral("1600519"),
                               QStringLiteral("stkname;stktype;priceunit")));
    QCOMPARE(record.value(QStringLiteral("stkname")).toString(), QStringLiteral("贵州茅台"));
    QCOMPARE(record.value(QStringLiteral("stktype")).toString(), QStringLiteral("0"));
    QCOMPARE(record.value(QStringLiteral("priceunit")).toDouble(), 0.01);

    const VDataDict *dict = context.dataDict();
    QCOMPARE(dict->transDictItem(QStringLiteral("4"), QStringLiteral("H"), ','), QStringLiteral("上期所"));
    QCOMPARE(dict->transDictItem(QStringLiteral("4"), QStringLiteral("1,0"), ','), QStringLiteral("上交所,深交所"));
    QCOMPARE(dict->transDictItem(QStringLiteral("30070"), QStringLiteral("rb"), ','), QStringLiteral("螺纹钢"));
}

void TestHostData::brokenSource_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("content"); // empty: removed
    QTest::addColumn<bool>("securitiesNormal");
    QTest::addColumn<bool>("futuresNormal");
    QTest::addColumn<bool>("optionsNormal");

    QTest::newRow("futures missing") << QStringLiteral("futures.csv") << QByteArray() << true << false << true;
    QTest::newRow("options missing") << QStringLiteral("options.csv") << QByteArray() << true << true << false;
    // Without stocks the options have no underlying: their cache is empty but usable.
    QTest::newRow("securities corrupt") << QStringLiteral("securities.csv")
                                        << QByteArray("market,stkcode\n\"1,600000\n") << true << true << true;
    QTest::newRow("dictionary corrupt") << QStringLiteral("dict.csv") << bytes("\0\1\2\3") << true << true << true;
    QTest::newRow("no data folder") << QString() << QByteArray() << false << false << false;
}

void TestHostData::brokenSource()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, content);
    QFETCH(bool, securitiesNormal);
    QFETCH(bool, futuresNormal);
    QFETCH(bool, optionsNormal);
    QTemporaryDir dir;
    QString data = copyOfShippedData(dir);
    if (file.isEmpty())
        data = dir.filePath(QStringLiteral("nowhere"));
    else if (content.isEmpty())
        QVERIFY(QFile::remove(data + QLatin1Char('/') + file));
    else
        QVERIFY(writeAll(data + QLatin1Char('/') + file, content));

    LogCapture log;
    TestHost host(20261215, data);
    HostContext &context = host.context();
    const QStringList problems = context.loadProblems();
    QVERIFY(!problems.isEmpty());
    for (const QString &problem : problems)
        QVERIFY2(log.contains(3, problem), qPrintable(problem));
    if (!file.isEmpty())
        QVERIFY2(problems.constFirst().contains(file), qPrintable(problems.constFirst()));

    // Every cache is there to be asked for; the broken ones say so.
    QVERIFY(context.cacheMgr()->stockCache());
    QVERIFY(context.cacheMgr()->cache(FuturesCache));
    QVERIFY(context.cacheMgr()->cache(OptionCache));
    QCOMPARE(isNormal(context, VCacheMgr::StockCacheName), securitiesNormal);
    QCOMPARE(isNormal(context, FuturesCache), futuresNormal);
    QCOMPARE(isNormal(context, OptionCache), optionsNormal);
    // The configuration database is unaffected.
    QVERIFY(context.localDb()->isOpen());
}

void TestHostData::unwritableConfigFolder()
{
    QTemporaryDir dir;
    const QString blocker = dir.filePath(QStringLiteral("not-a-folder"));
    QVERIFY(writeAll(blocker, "a file where the configuration folder should be"));

    LogCapture log;
    HostContext::Options options;
    options.configDbPath = blocker + QStringLiteral("/tarn/config.db");
    options.dataDir = QStringLiteral(TARN_DATA_DIR);
    options.sysDate = 20261215;
    HostContext context(options);

    const QStringList problems = context.loadProblems();
    QVERIFY(problems.size() >= 2);
    QVERIFY2(problems.at(0).contains(QStringLiteral("配置目录")), qPrintable(problems.at(0)));
    QVERIFY2(problems.at(1).contains(QStringLiteral("配置库")), qPrintable(problems.at(1)));
    QVERIFY(log.contains(3, problems.at(0)));
    QVERIFY(!context.localDb()->isOpen());
    QHash<QString, QVariant> params {{QStringLiteral("key"), 1}};
    QVERIFY(!context.localDb()->setCfgParam(QStringLiteral("group"), params, true));
    QVERIFY(!context.localDb()->getCfgParam(QStringLiteral("group"), params));
    // The market is served all the same.
    QVERIFY(isNormal(context, FuturesCache));
    QCOMPARE(readAll(blocker), QByteArray("a file where the configuration folder should be"));
}

void TestHostData::configThatIsNotSqlite_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("text") << QByteArray("[General]\nlayout=compact\n");
    QTest::newRow("image") << bytes("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x10");
    QTest::newRow("damaged database") << bytes("SQLite format 3\0garbage that is no page at all");
}

void TestHostData::configThatIsNotSqlite()
{
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("config.db"));
    QVERIFY(writeAll(path, content));

    LogCapture log;
    {
        HostContext::Options options;
        options.configDbPath = path;
        options.sysDate = 20261215;
        HostContext context(options);
        QCOMPARE(context.loadProblems().size(), 1);
        QVERIFY(context.loadProblems().constFirst().contains(path));
        QVERIFY(!context.localDb()->isOpen());
        QVERIFY(!context.localDb()->setCfgParam(QStringLiteral("group"), {{QStringLiteral("k"), 1}}, true));
    }
    QCOMPARE(readAll(path), content);
}

void TestHostData::invalidBusinessDateFallsBackToToday()
{
    LogCapture log;
    TestHost host(20261345);
    const QStringList problems = host.context().loadProblems();
    QCOMPARE(problems.size(), 1);
    QVERIFY(problems.constFirst().contains(QStringLiteral("20261345")));
    QVERIFY(log.contains(3, problems.constFirst()));
    QCOMPARE(host.context().business()->sysDate(), QDate::currentDate().toString(QStringLiteral("yyyyMMdd")).toInt());
}

void TestHostData::simInstrument_data()
{
    QTest::addColumn<QString>("stkid");
    QTest::addColumn<double>("priceStep");
    QTest::addColumn<double>("limitRatio");
    QTest::addColumn<bool>("futures");

    QTest::newRow("main board, Shanghai") << QStringLiteral("1600519") << 0.01 << 0.10 << false;
    QTest::newRow("main board, Shenzhen") << QStringLiteral("0000001") << 0.01 << 0.10 << false;
    QTest::newRow("ChiNext") << QStringLiteral("0300750") << 0.01 << 0.20 << false;
    QTest::newRow("STAR market") << QStringLiteral("1688981") << 0.01 << 0.20 << false;
    QTest::newRow("fund") << QStringLiteral("1510050") << 0.001 << 0.10 << false;
    QTest::newRow("commodity futures") << QStringLiteral("Hrb2701") << 1.0 << 0.07 << true;
    QTest::newRow("financial futures") << QStringLiteral("FT2703") << 0.005 << 0.02 << true;
    QTest::newRow("fund option") << QStringLiteral("510350055") << 0.0001 << 0.9 << true;
}

void TestHostData::simInstrument()
{
    QFETCH(QString, stkid);
    QFETCH(double, priceStep);
    QFETCH(double, limitRatio);
    QFETCH(bool, futures);
    TestHost host(20261215, QStringLiteral(TARN_DATA_DIR));
    QVariantMap record;
    QVERIFY(host.context().cacheMgr()->stockCache()->lookup(record, QStringLiteral("stkid"), stkid,
                                                            QStringLiteral("preclose")));

    VSimInstrument instrument;
    QVERIFY(host.context().simInstrument(stkid.at(0).toLatin1(), stkid.mid(1), instrument));
    QCOMPARE(instrument.preClose, record.value(QStringLiteral("preclose")).toDouble());
    QCOMPARE(instrument.priceStep, priceStep);
    QCOMPARE(instrument.limitRatio, limitRatio);
    QCOMPARE(instrument.futures, futures);

    QVERIFY(!host.context().simInstrument('1', QStringLiteral("999999"), instrument));
}

void TestHostData::simulatedFeedIsInstalled()
{
    TestHost host(20261215, QStringLiteral(TARN_DATA_DIR));
    VSimQuotFeed *feed = host.context().installSimQuotFeed();
    QCOMPARE(host.context().quotMgr()->feed(), feed);
}

QTEST_MAIN(TestHostData)
#include "tst_hostdata.moc"
