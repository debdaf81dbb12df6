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

namespace {

bool same(double a, double b)
{
    return std::fabs(a - b) < 1e-9;
}

bool onGrid(double price, double step)
{
    return std::fabs(price / step - std::round(price / step)) < 1e-6;
}

// The bytes of the next count records, for comparing whole sequences.
QByteArray take(VSimMarket &market, int count)
{
    QByteArray bytes;
    VQuotData record {};
    for (int i = 0; i < count; ++i) {
        market.next(record);
        bytes.append(reinterpret_cast<const char *>(&record), sizeof record);
    }
    return bytes;
}

} // namespace

Q_DECLARE_METATYPE(VSimInstrument)

class Collector : public QObject
{
    Q_OBJECT
public:
    bool offGuiThread = false;

private slots:
    void doRecvSubscribeQuot(VQuotData *)
    {
        offGuiThread |= QThread::currentThread() != QCoreApplication::instance()->thread();
    }
};

class TestVSimQuotFeed : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { VLog::setFileLogging(false); }

    void movesOnTheGridInsideLimits_data()
    {
        QTest::addColumn<VSimInstrument>("instrument");
        // Previous close, price step, limit ratio.
        QTest::newRow("stock") << VSimInstrument {10.0, 0.01, 0.10};
        QTest::newRow("futures, coarse step") << VSimInstrument {5612.5, 2.5, 0.07};
        QTest::newRow("narrow limits") << VSimInstrument {2.0, 0.01, 0.02};
        QTest::newRow("preClose off the grid") << VSimInstrument {10.004, 0.01, 0.10};
    }
    void movesOnTheGridInsideLimits()
    {
        QFETCH(VSimInstrument, instrument);
        const double step = instrument.priceStep;
        VSimMarket market(42);
        QVERIFY(market.add('H', "X1", instrument));
        VQuotData r;
        for (int i = 0; i < 5000; ++i) {
            market.next(r);
            for (double price :
                 {r.preClosingPrice, r.highLimitPrice, r.lowLimitPrice, r.lastPrice, r.highPrice, r.lowPrice})
                QVERIFY2(onGrid(price, step), qPrintable(QString::number(price, 'g', 17)));
            QVERIFY(r.highLimitPrice <= r.preClosingPrice * (1 + instrument.limitRatio) + 1e-9);
            QVERIFY(r.lowLimitPrice >= r.preClosingPrice * (1 - instrument.limitRatio) - 1e-9);
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
    }

    void sameSeedSameSequence()
    {
        const VSimInstrument futures {3500, 1, 0.10, true};
        VSimMarket first(7), second(7), otherSeed(8);
        for (VSimMarket *market : {&first, &second, &otherSeed}) {
            market->add('H', "ag2606", futures);
            market->add('H', "cu2607", futures);
        }
        const QByteArray records = take(first, 400);
        QCOMPARE(take(second, 400), records);
        QVERIFY(take(otherSeed, 400) != records);
        // Setting the seed again restarts the securities.
        first.setSeed(7);
        QCOMPARE(take(first, 400), records);
    }

    void feedDeliversOnTheGuiThread()
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
        Collector collector;
        VQuotSubscriber subscriber(nullptr, QStringLiteral("模拟订阅"));
        QVERIFY(subscriber.setRecvSlot(&collector, "1doRecvSubscribeQuot(VQuotData*)"));
        QVERIFY(subscriber.addProduct('1', QStringLiteral("600570"))
                && subscriber.addProduct('1', QStringLiteral("bad")));
        QVERIFY(subscriber.subscribe());
        // The unusable parameters of "bad" are logged; it moves with the defaults.
        QCOMPARE(log.records.size(), 1);
        QTRY_VERIFY(manager.deliveredCount() >= 40);
        QVERIFY(!collector.offGuiThread);
        QCOMPARE(manager.droppedCount(), quint64(0));
    }
};

QTEST_GUILESS_MAIN(TestVSimQuotFeed)
#include "tst_vsimquotfeed.moc"
