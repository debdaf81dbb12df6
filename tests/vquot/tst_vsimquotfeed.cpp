#include <logcapture.h>
#include <vlogsink.h>
#include <vquotdata.h>
#include <vquotmgr.h>
#include <vquotsubscriber.h>
#include <vsimmarket.h>
#include <vsimquotfeed.h>

#include <QThread>
#include <QtTest>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

bool onGrid(double price, double step)
{
    const double steps = price / step;
    return std::fabs(steps - std::round(steps)) < 1e-6;
}

bool sameRecord(const VQuotData &a, const VQuotData &b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

QVector<VQuotData> take(VSimMarket &market, int count)
{
    QVector<VQuotData> records(count);
    for (VQuotData &record : records)
        market.next(record);
    return records;
}

// The records of one security among those of a market.
QVector<VQuotData> recordsOf(const QVector<VQuotData> &records, const QByteArray &code)
{
    QVector<VQuotData> own;
    for (const VQuotData &record : records) {
        if (record.codeText() == code)
            own.append(record);
    }
    return own;
}

} // namespace

Q_DECLARE_METATYPE(VSimInstrument)

class Collector : public QObject
{
    Q_OBJECT
public:
    QHash<QString, int> counts;
    QVector<VQuotData> records;
    bool offGuiThread = false;

private slots:
    void doRecvSubscribeQuot(VQuotData *record)
    {
        offGuiThread |= QThread::currentThread() != QCoreApplication::instance()->thread();
        ++counts[record->productKey()];
        records.append(*record);
    }
};

class TestVSimQuotFeed : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void movesOnTheGridInsideLimits_data();
    void movesOnTheGridInsideLimits();
    void suspendedSecurityStands();
    void sameSeedSameSequence();
    void unusableInstrumentFallsBackToDefaults_data();
    void unusableInstrumentFallsBackToDefaults();

    void feedPostsOnItsThreadAndDeliversOnTheGuiThread();
};

void TestVSimQuotFeed::initTestCase()
{
    VLog::setFileLogging(false);
}

void TestVSimQuotFeed::movesOnTheGridInsideLimits_data()
{
    QTest::addColumn<VSimInstrument>("instrument");
    QTest::addColumn<bool>("reachesLimit"); // limits a few steps away are hit within the run

    auto instrument = [](double preClose, double step, double ratio, bool futures) {
        VSimInstrument i;
        i.preClose = preClose;
        i.priceStep = step;
        i.limitRatio = ratio;
        i.futures = futures;
        return i;
    };
    QTest::newRow("stock") << instrument(10.0, 0.01, 0.10, false) << false;
    QTest::newRow("futures, whole steps") << instrument(3500, 1, 0.05, true) << false;
    QTest::newRow("futures, coarse step") << instrument(5612.5, 2.5, 0.07, true) << false;
    QTest::newRow("narrow limits") << instrument(2.0, 0.01, 0.02, false) << true;
    QTest::newRow("preClose off the grid") << instrument(10.004, 0.01, 0.10, false) << false;
    QTest::newRow("option, tiny price") << instrument(0.0123, 0.0001, 0.5, true) << false;
}

void TestVSimQuotFeed::movesOnTheGridInsideLimits()
{
    QFETCH(VSimInstrument, instrument);
    QFETCH(bool, reachesLimit);

    VSimMarket market(42);
    QVERIFY(market.add('H', "X1", instrument));
    const double step = instrument.priceStep;
    qint64 lastVolume = 0;
    double lastAmount = 0;
    bool hitUpper = false;
    bool hitLower = false;
    for (const VQuotData &r : take(market, 5000)) {
        const double pre = r.preClosingPrice;
        QVERIFY(onGrid(pre, step));
        QVERIFY(std::fabs(pre - instrument.preClose) <= step / 2 + 1e-12);
        // Limits: preClose × (1 ± ratio) rounded inwards onto the grid.
        QVERIFY(onGrid(r.highLimitPrice, step) && onGrid(r.lowLimitPrice, step));
        QVERIFY(r.highLimitPrice <= pre * (1 + instrument.limitRatio) + 1e-9);
        QVERIFY(r.highLimitPrice > pre * (1 + instrument.limitRatio) - step - 1e-9);
        QVERIFY(r.lowLimitPrice >= pre * (1 - instrument.limitRatio) - 1e-9);
        QVERIFY(r.lowLimitPrice < pre * (1 - instrument.limitRatio) + step + 1e-9);

        for (double price : {r.lastPrice, r.openingPrice, r.highPrice, r.lowPrice}) {
            QVERIFY2(onGrid(price, step), qPrintable(QString::number(price, 'g', 17)));
            QVERIFY(price >= r.lowLimitPrice - 1e-9 && price <= r.highLimitPrice + 1e-9);
        }
        QVERIFY(r.lowPrice <= r.lastPrice && r.lastPrice <= r.highPrice);
        hitUpper |= r.lastPrice == r.highLimitPrice;
        hitLower |= r.lastPrice == r.lowLimitPrice;

        QVERIFY(r.matchQuantity > lastVolume);
        QVERIFY(r.matchAmount > lastAmount);
        lastVolume = r.matchQuantity;
        lastAmount = r.matchAmount;
        QVERIFY(r.avgPrice >= r.lowPrice - 1e-9 && r.avgPrice <= r.highPrice + 1e-9);
        QVERIFY(std::fabs(r.priceChange - (r.lastPrice - pre)) < 1e-9);
        QVERIFY(std::fabs(r.priceChangeRatio - r.priceChange / pre) < 1e-12);
        QCOMPARE(r.openInterest > 0, instrument.futures);
        QCOMPARE(r.preSettlementPrice, instrument.futures ? pre : 0.0);

        // Asks above bids, one step apart, each side one step per level;
        // levels beyond a limit price stay empty.
        for (int level = 0; level < 10; ++level) {
            const bool ask = r.askPrice[level] > 0;
            const bool bid = r.bidPrice[level] > 0;
            QCOMPARE(r.askVolume[level] > 0, ask);
            QCOMPARE(r.bidVolume[level] > 0, bid);
            if (ask) {
                QVERIFY(onGrid(r.askPrice[level], step) && r.askPrice[level] <= r.highLimitPrice + 1e-9);
                if (level > 0)
                    QVERIFY(std::fabs(r.askPrice[level] - r.askPrice[level - 1] - step) < 1e-9);
            }
            if (bid) {
                QVERIFY(onGrid(r.bidPrice[level], step) && r.bidPrice[level] >= r.lowLimitPrice - 1e-9);
                if (level > 0)
                    QVERIFY(std::fabs(r.bidPrice[level - 1] - r.bidPrice[level] - step) < 1e-9);
            }
            if (!ask && level + 1 < 10)
                QCOMPARE(r.askPrice[level + 1], 0.0);
            if (!bid && level + 1 < 10)
                QCOMPARE(r.bidPrice[level + 1], 0.0);
        }
        QVERIFY(r.askPrice[0] > 0 || r.lastPrice == r.highLimitPrice);
        QVERIFY(r.bidPrice[0] > 0 || r.lastPrice == r.lowLimitPrice);
        if (r.askPrice[0] > 0 && r.bidPrice[0] > 0)
            QVERIFY(std::fabs(r.askPrice[0] - r.bidPrice[0] - step) < 1e-9);
        QVERIFY(r.lastPrice == r.askPrice[0] || r.lastPrice == r.bidPrice[0]);
    }
    if (reachesLimit)
        QVERIFY(hitUpper && hitLower);
}

void TestVSimQuotFeed::suspendedSecurityStands()
{
    VSimInstrument instrument;
    instrument.suspended = true;
    VSimMarket market(1);
    QVERIFY(market.add('1', "600570", instrument));
    for (const VQuotData &r : take(market, 20)) {
        QCOMPARE(r.suspendFlag, 'T');
        QCOMPARE(r.lastPrice, r.preClosingPrice);
        QCOMPARE(r.matchQuantity, qint64(0));
        QCOMPARE(r.askVolume[0], 0u);
        QCOMPARE(r.bidVolume[0], 0u);
    }
}

void TestVSimQuotFeed::sameSeedSameSequence()
{
    VSimInstrument futures;
    futures.preClose = 3500;
    futures.priceStep = 1;
    futures.futures = true;

    VSimMarket first(7);
    first.add('H', "ag2606", futures);
    first.add('H', "cu2607", futures);
    VSimMarket second(7);
    second.add('H', "ag2606", futures);
    second.add('H', "cu2607", futures);
    const QVector<VQuotData> a = take(first, 400);
    const QVector<VQuotData> b = take(second, 400);
    QVERIFY(std::equal(a.cbegin(), a.cend(), b.cbegin(), sameRecord));

    // A security's sequence does not depend on its neighbours or their order.
    VSimMarket crowded(7);
    crowded.add('D', "m2609", futures);
    crowded.add('H', "cu2607", futures);
    crowded.add('Z', "SR609", futures);
    crowded.add('H', "ag2606", futures);
    const QVector<VQuotData> alone = recordsOf(a, "ag2606");
    const QVector<VQuotData> amongOthers = recordsOf(take(crowded, 800), "ag2606");
    QCOMPARE(alone.size(), 200);
    QVERIFY(std::equal(alone.cbegin(), alone.cend(), amongOthers.cbegin(), sameRecord));

    // Setting the seed again restarts the securities.
    first.setSeed(7);
    const QVector<VQuotData> again = take(first, 400);
    QVERIFY(std::equal(a.cbegin(), a.cend(), again.cbegin(), sameRecord));

    VSimMarket otherSeed(8);
    otherSeed.add('H', "ag2606", futures);
    otherSeed.add('H', "cu2607", futures);
    const QVector<VQuotData> c = take(otherSeed, 400);
    QVERIFY(!std::equal(a.cbegin(), a.cend(), c.cbegin(), sameRecord));
}

void TestVSimQuotFeed::unusableInstrumentFallsBackToDefaults_data()
{
    QTest::addColumn<double>("preClose");
    QTest::addColumn<double>("priceStep");
    QTest::addColumn<double>("limitRatio");

    const double nan = std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("NaN previous close") << nan << 0.01 << 0.1;
    QTest::newRow("infinite previous close") << std::numeric_limits<double>::infinity() << 0.01 << 0.1;
    QTest::newRow("previous close below one step") << 0.005 << 0.01 << 0.1;
    QTest::newRow("zero step") << 10.0 << 0.0 << 0.1;
    QTest::newRow("negative step") << 10.0 << -0.01 << 0.1;
    QTest::newRow("zero limit ratio") << 10.0 << 0.01 << 0.0;
    QTest::newRow("limit ratio of one") << 10.0 << 0.01 << 1.0;
}

void TestVSimQuotFeed::unusableInstrumentFallsBackToDefaults()
{
    QFETCH(double, preClose);
    QFETCH(double, priceStep);
    QFETCH(double, limitRatio);

    VSimInstrument instrument;
    instrument.preClose = preClose;
    instrument.priceStep = priceStep;
    instrument.limitRatio = limitRatio;
    VSimMarket market;
    QVERIFY(!market.add('1', "600570", instrument));
    VQuotData record;
    market.next(record);
    QCOMPARE(record.preClosingPrice, VSimInstrument().preClose);
    QCOMPARE(record.highLimitPrice, 11.0);
}

void TestVSimQuotFeed::feedPostsOnItsThreadAndDeliversOnTheGuiThread()
{
    LogCapture log;
    VQuotMgr manager;
    auto *feed = new VSimQuotFeed;
    QStringList resolved;
    feed->setResolver([&resolved](char market, const QString &code, VSimInstrument &out) {
        resolved << QString(QLatin1Char(market)) + QLatin1Char('|') + code;
        if (code == QLatin1String("ag2606")) {
            out.preClose = 5612;
            out.priceStep = 1;
            out.futures = true;
            return true;
        }
        if (code == QLatin1String("bad")) {
            out.priceStep = 0;
            return true;
        }
        return false;
    });
    feed->setRate(0);
    QCOMPARE(feed->rate(), 1);
    feed->setRate(3000);
    manager.setFeed(feed);
    feed->start();
    QVERIFY(feed->isRunning());

    Collector collector;
    VQuotSubscriber subscriber(nullptr, QStringLiteral("模拟订阅"));
    QVERIFY(subscriber.setRecvSlot(&collector, "1doRecvSubscribeQuot(VQuotData*)"));
    for (const char *code : {"ag2606", "600570", "bad"})
        QVERIFY(subscriber.addProduct(code[0] == 'a' ? 'H' : '1', QString::fromLatin1(code)));
    QVERIFY(subscriber.subscribe());
    QCOMPARE(resolved, QStringList({QStringLiteral("1|600570"), QStringLiteral("1|bad"), QStringLiteral("H|ag2606")}));
    QCOMPARE(log.records.size(), 1); // the unusable parameters of "bad"
    QVERIFY(log.records.constFirst().message.contains(QLatin1String("1|bad")));

    QTRY_VERIFY(collector.counts.value(QStringLiteral("H|ag2606")) >= 20
                && collector.counts.value(QStringLiteral("1|600570")) >= 20);
    QVERIFY(!collector.offGuiThread);
    QCOMPARE(manager.droppedCount(), quint64(0));
    for (const VQuotData &record : qAsConst(collector.records)) {
        if (record.codeText() == "ag2606")
            QCOMPARE(record.preClosingPrice, 5612.0);
        else
            QCOMPARE(record.preClosingPrice, 10.0);
    }

    // Paused, nothing more arrives once what was under way is delivered.
    feed->setPaused(true);
    QVERIFY(feed->isPaused());
    QTest::qWait(50);
    const int paused = collector.records.size();
    QTest::qWait(200);
    QCOMPARE(collector.records.size(), paused);
    feed->setPaused(false);
    QTRY_VERIFY(collector.records.size() > paused);

    // Released securities are no longer moved.
    subscriber.unsubscribe(true);
    QVERIFY(manager.wantedProducts().isEmpty());
    feed->stop();
    QVERIFY(!feed->isRunning());
}

QTEST_GUILESS_MAIN(TestVSimQuotFeed)
#include "tst_vsimquotfeed.moc"
