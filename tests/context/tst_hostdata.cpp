#include <hostcontext.h>
#include <samplemarket.h>
#include <testhost.h>
#include <testutil.h>
#include <vbusiness.h>
#include <vcacheitem.h>
#include <vcachemgr.h>
#include <vlocaldb.h>
#include <vsimquotfeed.h>

#include <QtTest>

namespace {

// For the securities, futures-contract and option-contract caches in turn:
// 1 usable, 0 registered but not usable, - missing.
QString cacheStates(HostContext &context)
{
    QString states;
    for (const QString &name :
         {VCacheMgr::StockCacheName, SampleMarket::FuturesCacheName, SampleMarket::OptionCacheName}) {
        const VCacheItem *cache = context.cacheMgr()->cache(name);
        states += !cache ? QLatin1Char('-') : cache->isNormal() ? QLatin1Char('1') : QLatin1Char('0');
    }
    return states;
}

} // namespace

class TestHostData : public QObject
{
    Q_OBJECT

private slots:
    // A bad line of a source file is logged and skipped, a bad file refused; the host serves the rest.
    void brokenSource_data()
    {
        QTest::addColumn<QString>("file"); // empty: the whole folder
        QTest::addColumn<QByteArray>("content"); // empty: removed
        QTest::addColumn<bool>("append"); // a line added to the file, or its whole content
        QTest::addColumn<QString>("problem"); // words of the first problem
        QTest::addColumn<QString>("caches");

        const QString stocks = u("securities.csv");
        const QString options = u("options.csv");
        QTest::newRow("too few fields") << stocks << QByteArray("1,600001,某某\n") << true
                                        << u("securities.csv 字段数不符") << u("111");
        QTest::newRow("duplicate security")
            << stocks << QByteArray("1,600519,茅台,mt,0,1.00\n") << true << u("证券[600519]重复") << u("111");
        QTest::newRow("unknown listing rule")
            << u("futures.csv") << QByteArray("H,xx,某品种,1,10,3000,0.07,weekly,day15\n") << true
            << u("futures.csv 挂牌规则[weekly]") << u("111");
        QTest::newRow("option series taken")
            << options << QByteArray("1510180,5,180ETF,0\n") << true << u("options.csv 系列号[0]重复") << u("111");
        QTest::newRow("option without underlying")
            << options << QByteArray("1599999,5,无此ETF,9\n") << true << u("1599999") << u("111");
        QTest::newRow("futures missing") << u("futures.csv") << QByteArray() << false << u("futures.csv 不存在")
                                         << u("101");
        // Without stocks the options have no underlying: their cache is empty but usable.
        QTest::newRow("securities corrupt") << stocks << QByteArray("market,stkcode\n\"1,600000\n") << false
                                            << u("securities.csv 读取失败") << u("111");
        QTest::newRow("dictionary corrupt")
            << u("dict.csv") << QByteArray("\0\1\2\3", 4) << false << u("dict.csv 缺少列") << u("111");
        QTest::newRow("underlying without a smile") << u("smile.csv")
                                                    << QByteArray("underlying,atm,term,skew,curve\n"
                                                                  "1510300,0.17,0.02,-0.05,0.12\n")
                                                    << false << u("期权标的[1510050]没有波动率参数") << u("111");
        QTest::newRow("rate not a number")
            << u("rate.csv") << QByteArray("rate\nabc\n") << false << u("rate.csv 无风险利率[abc]无效") << u("111");
        QTest::newRow("no data folder") << QString() << QByteArray() << false << u("securities.csv 不存在") << u("000");
    }

    void brokenSource()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        QFETCH(bool, append);
        QFETCH(QString, problem);
        QFETCH(QString, caches);
        QTemporaryDir dir;
        const QString data = dir.filePath(u("data"));
        QVERIFY(QDir().mkpath(data));
        for (const char *name : {"securities.csv", "futures.csv", "options.csv", "dict.csv", "smile.csv", "rate.csv"}) {
            const QString target = data + QLatin1Char('/') + QLatin1String(name);
            QVERIFY(QFile::copy(QStringLiteral(TARN_DATA_DIR "/") + QLatin1String(name), target));
            QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
        }
        QFile spoilt(data + QLatin1Char('/') + file);
        if (file.isEmpty())
            QVERIFY(QDir(data).removeRecursively());
        else if (content.isEmpty())
            QVERIFY(spoilt.remove());
        else
            QVERIFY(spoilt.open(append ? QIODevice::Append : QIODevice::WriteOnly) && spoilt.write(content) > 0);
        spoilt.close();

        TestHost host(20261215, data);
        const QStringList problems = host.context().loadProblems();
        QVERIFY(!problems.isEmpty() && (problems.size() == 1 || !append));
        for (const QString &word : problem.split(QLatin1Char(' ')))
            QVERIFY2(problems.constFirst().contains(word), qPrintable(problems.constFirst()));
        for (const QString &logged : problems)
            QVERIFY2(host.log().contains(3, logged), qPrintable(logged));
        // Every cache is there to be asked for; the broken ones say so. The configuration is unaffected.
        QCOMPARE(cacheStates(host.context()), caches);
        QVERIFY(host.context().localDb()->isOpen());
    }

    void invalidBusinessDateFallsBackToToday()
    {
        TestHost host(20261345);
        const QStringList problems = host.context().loadProblems();
        QCOMPARE(problems.size(), 1);
        QVERIFY(problems.constFirst().contains(u("20261345")) && host.log().contains(3, problems.constFirst()));
        QCOMPARE(host.context().business()->sysDate(), QDate::currentDate().toString(u("yyyyMMdd")).toInt());
    }

    // The limits, and the walk a security shares: a futures product's, an option's underlying's.
    void simInstrument_data()
    {
        QTest::addColumn<QString>("stkid");
        QTest::addColumn<double>("limitRatio"); // 0: not a security of the caches
        QTest::addColumn<QString>("driver"); // empty: its own

        QTest::newRow("main board") << u("0000001") << 0.10 << QString();
        QTest::newRow("ChiNext") << u("0300750") << 0.20 << QString();
        QTest::newRow("STAR market") << u("1688981") << 0.20 << QString();
        QTest::newRow("commodity futures") << u("Hrb2701") << 0.07 << u("H|rb");
        QTest::newRow("fund option") << u("510350055") << 0.10 << u("1|510050");
        QTest::newRow("unknown") << u("1999999") << 0.0 << QString();
    }

    void simInstrument()
    {
        QFETCH(QString, stkid);
        QFETCH(double, limitRatio);
        QFETCH(QString, driver);
        TestHost host(20261215, QStringLiteral(TARN_DATA_DIR));
        VSimInstrument instrument;
        QCOMPARE(host.context().simInstrument(stkid.at(0).toLatin1(), stkid.mid(1), instrument), limitRatio > 0);
        if (limitRatio > 0)
            QCOMPARE(qMakePair(instrument.limitRatio, QString::fromUtf8(instrument.driver)),
                     qMakePair(limitRatio, driver));
    }
};

QTEST_MAIN(TestHostData)
#include "tst_hostdata.moc"
