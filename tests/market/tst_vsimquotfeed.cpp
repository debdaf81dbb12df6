#include <logcapture.h>
#include <vquotdata.h>
#include <vquotmgr.h>
#include <vquotsubscriber.h>
#include <vsimmarket.h>
#include <vsimquotfeed.h>

#include <QtTest>
#include <cmath>
#include <cstring>

namespace {

bool same(double a, double b)
{
    return std::fabs(a - b) < 1e-9;
}

bool onGrid(double price, double step)
{
    return std::fabs(price / step - std::round(price / step)) < 1e-6;
}

// Half a minute between records: two securities trading for a simulated
// month reach the narrow limits.
constexpr double SecondsPerRecord = 30;

// The bytes of the next count records from the market time start on, for
// comparing whole sequences.
QByteArray take(VSimMarket &market, int count, double start = 0)
{
    QByteArray bytes;
    VQuotData record {};
    for (int i = 1; i <= count; ++i) {
        market.next(record, start + i * SecondsPerRecord);
        bytes.append(reinterpret_cast<const char *>(&record), sizeof record);
    }
    return bytes;
}

VSimInstrument instrument(double preClose, double priceStep, double limitRatio, bool futures = false)
{
    VSimInstrument out;
    out.preClose = preClose;
    out.priceStep = priceStep;
    out.limitRatio = limitRatio;
    out.futures = futures;
    return out;
}

} // namespace

Q_DECLARE_METATYPE(VSimInstrument)

class TestVSimQuotFeed : public QObject
{
    Q_OBJECT

private slots:
    void reproducibleMovesOnTheGridInsideLimits_data()
    {
        QTest::addColumn<VSimInstrument>("instrument");
        QTest::addColumn<double>("highLimit");
        QTest::addColumn<double>("lowLimit");
        // Previous close, price step, limit ratio, futures; the limits are
        // the previous close × (1 ± ratio) rounded half-up to the step.
        QTest::newRow("stock, limits rounded up and down") << instrument(11.48, 0.01, 0.10) << 12.63 << 10.33;
        QTest::newRow("fund, step 0.001") << instrument(2.108, 0.001, 0.10) << 2.319 << 1.897;
        QTest::newRow("futures, coarse step") << instrument(5612.5, 2.5, 0.07, true) << 6005.0 << 5220.0;
        QTest::newRow("narrow limits") << instrument(2.0, 0.01, 0.02) << 2.04 << 1.96;
        QTest::newRow("preClose off the grid") << instrument(10.004, 0.01, 0.10) << 11.0 << 9.0;
    }
    // Two securities take turns. A market with the same seed gives the same
    // records, one with another seed different ones.
    void reproducibleMovesOnTheGridInsideLimits()
    {
        QFETCH(VSimInstrument, instrument);
        const double step = instrument.priceStep;
        const int count = 4000;
        VSimMarket market(42), twin(42), other(43);
        for (VSimMarket *m : {&market, &twin, &other})
            QVERIFY(m->add('H', "X1", instrument) && m->add('H', "X2", instrument));
        const QByteArray records = take(twin, count);
        QVERIFY(take(other, count) != records);
        VQuotData r {};
        for (int i = 0; i < count; ++i) {
            market.next(r, (i + 1) * SecondsPerRecord);
            QVERIFY(std::memcmp(&r, records.constData() + i * sizeof r, sizeof r) == 0);
            for (double price :
                 {r.preClosingPrice, r.highLimitPrice, r.lowLimitPrice, r.lastPrice, r.highPrice, r.lowPrice})
                QVERIFY2(onGrid(price, step), qPrintable(QString::number(price, 'g', 17)));
            QTEST(r.highLimitPrice, "highLimit");
            QTEST(r.lowLimitPrice, "lowLimit");
            QVERIFY(r.lowLimitPrice <= r.lowPrice && r.lowPrice <= r.lastPrice && r.lastPrice <= r.highPrice
                    && r.highPrice <= r.highLimitPrice);
            QVERIFY(r.lastPrice == r.askPrice[0] || r.lastPrice == r.bidPrice[0]);
            QVERIFY(r.askPrice[0] == 0 || r.bidPrice[0] == 0 || same(r.askPrice[0], r.bidPrice[0] + step));
            // Asks rise and bids fall one step per level; a level beyond a limit stays empty.
            for (int level = 0; level < instrument.levels; ++level) {
                const double ask = r.askPrice[level], bid = r.bidPrice[level];
                QVERIFY(ask == 0 || (same(ask, r.askPrice[0] + level * step) && ask <= r.highLimitPrice));
                QVERIFY(bid == 0 || (same(bid, r.bidPrice[0] - level * step) && bid >= r.lowLimitPrice));
            }
        }
        // Seeding again restarts the securities; after an even count it is X1's turn again.
        twin.setSeed(42);
        QCOMPARE(take(twin, count, count * SecondsPerRecord), records);
    }

    // The exchange's limits of an option: it may rise by max{0.5 % of the
    // underlying's close, min(2 × close − strike, close) × 10 %} (a call) or
    // max{0.5 % of the strike, min(2 × strike − close, close) × 10 %} (a put),
    // and fall by 10 % of the underlying's close, to at least one step.
    void optionLimits_data()
    {
        QTest::addColumn<bool>("call");
        QTest::addColumn<double>("strike");
        QTest::addColumn<double>("preClose");
        QTest::addColumn<double>("highLimit");
        QTest::addColumn<double>("lowLimit");
        // The underlying closed at 2.752.
        QTest::newRow("call at the money") << true << 2.75 << 0.0608 << 0.3360 << 0.0001;
        QTest::newRow("call far out of the money") << true << 6.0 << 0.0001 << 0.0139 << 0.0001;
        QTest::newRow("call deep in the money") << true << 2.0 << 0.7530 << 1.0282 << 0.4778;
        QTest::newRow("put in the money") << false << 2.95 << 0.1980 << 0.4732 << 0.0001;
        QTest::newRow("put far out of the money") << false << 1.0 << 0.0001 << 0.0051 << 0.0001;
    }
    void optionLimits()
    {
        QFETCH(bool, call);
        QFETCH(double, strike);
        QFETCH(double, preClose);
        VSimInstrument option = instrument(preClose, 0.0001, 0.10, true);
        option.option = VSimOptionTerms {call, strike, 0.1, 0.2, 0.015};
        option.underlying = VSimUnderlying {2.752, 0.001, 0.10, 3};
        option.multiplier = 10000;
        VSimMarket market;
        QVERIFY(market.add('5', "10000001", option));
        VQuotData r;
        QVERIFY(market.image('5', "10000001", r));
        QTEST(r.highLimitPrice, "highLimit");
        QTEST(r.lowLimitPrice, "lowLimit");
    }

    // Prices move about as far in a minute whatever the number of records
    // the minute holds: twenty securities at 100.00 over sixty simulated
    // seconds, each one's session range read from its last record. Moves of
    // 3 % a day make about 0.2 % a minute.
    void minuteRangeDoesNotDependOnTheRate_data()
    {
        QTest::addColumn<int>("rate");
        QTest::newRow("5,000 records/s") << 5000;
        QTest::newRow("20 records/s") << 20;
    }
    void minuteRangeDoesNotDependOnTheRate()
    {
        QFETCH(int, rate);
        const int securities = 20;
        VSimMarket market(7);
        for (int i = 0; i < securities; ++i)
            QVERIFY(market.add('H', QByteArray::number(600000 + i), instrument(100.0, 0.01, 0.10)));
        const int count = 60 * rate;
        double widest = 0, total = 0;
        VQuotData r {};
        for (int i = 1; i <= count; ++i) {
            market.next(r, double(i) / rate);
            if (i > count - securities) {
                const double range = (r.highPrice - r.lowPrice) / r.preClosingPrice * 100;
                widest = std::max(widest, range);
                total += range;
            }
        }
        const QString ranges = QStringLiteral("widest %1 %, mean %2 %").arg(widest).arg(total / securities);
        QVERIFY2(widest < 1.0 && total / securities > 0.1, qPrintable(ranges));
    }

    // At the exchanges' pace (here a snapshot every 20 ms) and as a stress run.
    void feedStreamsWellFormedRecords_data()
    {
        QTest::addColumn<int>("rate");
        QTest::newRow("the exchanges' pace") << 0;
        QTest::newRow("3,000 records/s") << 3000;
    }
    void feedStreamsWellFormedRecords()
    {
        QFETCH(int, rate);
        LogCapture log;
        VQuotMgr manager;
        auto *feed = new VSimQuotFeed;
        feed->setResolver([](char, const QString &code, VSimInstrument &out) {
            out.priceStep = code == QLatin1String("bad") ? 0 : 0.01;
            out.snapshotSeconds = 0.02;
            return true;
        });
        feed->setRate(rate);
        manager.setFeed(feed);
        feed->start();
        // Records are counted per security routed; no receiver is needed for that.
        VQuotSubscriber subscriber(nullptr, QStringLiteral("模拟订阅"));
        QVERIFY(subscriber.addProduct('1', QStringLiteral("600570"))
                && subscriber.addProduct('1', QStringLiteral("bad")));
        QVERIFY(subscriber.subscribe());
        // The unusable parameters of "bad" are logged; it moves with the defaults.
        QCOMPARE(log.records().size(), 1);
        // Untimed: a feed that never delivers is stopped by the test's time limit.
        while (manager.recordCount() < 40)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QCOMPARE(manager.droppedCount(), quint64(0));
    }
};

QTEST_GUILESS_MAIN(TestVSimQuotFeed)
#include "tst_vsimquotfeed.moc"
