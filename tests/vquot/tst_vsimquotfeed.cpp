#include <logcapture.h>
#include <vlogsink.h>
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

} // namespace

Q_DECLARE_METATYPE(VSimInstrument)

class TestVSimQuotFeed : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { VLog::setFileLogging(false); }

    void reproducibleMovesOnTheGridInsideLimits_data()
    {
        QTest::addColumn<VSimInstrument>("instrument");
        QTest::addColumn<double>("highLimit");
        QTest::addColumn<double>("lowLimit");
        // Previous close, price step, limit ratio, futures; the limits are
        // the previous close × (1 ± ratio) rounded half-up to the step.
        QTest::newRow("stock") << VSimInstrument {10.0, 0.01, 0.10} << 11.0 << 9.0;
        QTest::newRow("stock, limits rounded up and down") << VSimInstrument {11.48, 0.01, 0.10} << 12.63 << 10.33;
        QTest::newRow("fund, step 0.001") << VSimInstrument {2.108, 0.001, 0.10} << 2.319 << 1.897;
        QTest::newRow("futures, coarse step") << VSimInstrument {5612.5, 2.5, 0.07, true} << 6005.0 << 5220.0;
        QTest::newRow("narrow limits") << VSimInstrument {2.0, 0.01, 0.02} << 2.04 << 1.96;
        QTest::newRow("preClose off the grid") << VSimInstrument {10.004, 0.01, 0.10} << 11.0 << 9.0;
    }
    // Two securities take turns. A market with the same seed gives the same
    // records, one with another seed different ones.
    void reproducibleMovesOnTheGridInsideLimits()
    {
        QFETCH(VSimInstrument, instrument);
        QFETCH(double, highLimit);
        QFETCH(double, lowLimit);
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
            QVERIFY(same(r.highLimitPrice, highLimit) && same(r.lowLimitPrice, lowLimit));
            QVERIFY(r.lowLimitPrice <= r.lowPrice && r.lowPrice <= r.lastPrice && r.lastPrice <= r.highPrice
                    && r.highPrice <= r.highLimitPrice);
            QVERIFY(r.lastPrice == r.askPrice[0] || r.lastPrice == r.bidPrice[0]);
            QVERIFY(r.askPrice[0] == 0 || r.bidPrice[0] == 0 || same(r.askPrice[0], r.bidPrice[0] + step));
            // Asks rise and bids fall one step per level; a level beyond a limit stays empty.
            for (int level = 0; level < 10; ++level) {
                const double ask = r.askPrice[level], bid = r.bidPrice[level];
                QVERIFY(ask == 0 || (same(ask, r.askPrice[0] + level * step) && ask <= r.highLimitPrice));
                QVERIFY(bid == 0 || (same(bid, r.bidPrice[0] - level * step) && bid >= r.lowLimitPrice));
            }
        }
        // Seeding again restarts the securities; after an even count it is X1's turn again.
        twin.setSeed(42);
        QCOMPARE(take(twin, count, count * SecondsPerRecord), records);
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
            QVERIFY(market.add('H', QByteArray::number(600000 + i), VSimInstrument {100.0, 0.01, 0.10}));
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

    void feedStreamsWellFormedRecords()
    {
        LogCapture log;
        VQuotMgr manager;
        auto *feed = new VSimQuotFeed;
        feed->setResolver([](char, const QString &code, VSimInstrument &out) {
            out.priceStep = code == QLatin1String("bad") ? 0 : 0.01;
            return true;
        });
        feed->setRate(3000);
        manager.setFeed(feed);
        feed->start();
        // Records are counted per security routed; no receiver is needed for that.
        VQuotSubscriber subscriber(nullptr, QStringLiteral("模拟订阅"));
        QVERIFY(subscriber.addProduct('1', QStringLiteral("600570"))
                && subscriber.addProduct('1', QStringLiteral("bad")));
        QVERIFY(subscriber.subscribe());
        // The unusable parameters of "bad" are logged; it moves with the defaults.
        QCOMPARE(log.records.size(), 1);
        // Untimed: a feed that never delivers is stopped by the test's time limit.
        while (manager.recordCount() < 40)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QCOMPARE(manager.droppedCount(), quint64(0));
    }
};

QTEST_GUILESS_MAIN(TestVSimQuotFeed)
#include "tst_vsimquotfeed.moc"
