// Ten minutes of the simulated sample market at the exchanges' pace, as a
// client receives it through the quote manager (the futures and options
// subscribers leaving and coming back in the middle), checked against the
// rules a trader holds a market to. The test drives market time itself.

#include <samplemarket.h>
#include <samplesource.h>
#include <testhost.h>
#include <testutil.h>
#include <vcacheitem.h>
#include <vcachemgr.h>
#include <vquotmgr.h>
#include <vquotsubscriber.h>
#include <vsimmarket.h>
#include <vsimquotfeed.h>

#include <QtTest>

#include <cmath>

namespace {

constexpr double Step = 0.5; // the futures and options snapshot
constexpr double End = 600;
constexpr double DropAt = 120; // the futures and options subscribers leave
constexpr double ReturnAt = 180; // and come back

struct Tick
{
    double seconds;
    bool image; // in the first delivery after its subscription
    VQuotData record;
};

int levels(const double (&prices)[10])
{
    return int(std::count_if(std::begin(prices), std::end(prices), [](double p) { return p != 0; }));
}

} // namespace

class TestSimulatedMarket : public QObject
{
    Q_OBJECT

    TestHost m_host {20261215, QStringLiteral(TARN_DATA_DIR)};
    double m_now = 0;
    bool m_image = false;
    QHash<QString, QVector<Tick>> m_ticks; // by "market|code"
    QHash<QString, double> m_multiplier; // of the futures and options
    QMap<QString, QStringList> m_months; // cu, IF and SR: the contracts, nearest first
    QHash<QString, VSimOptionTerms> m_options; // 50ETF's of the two nearest expiries
    QMap<QPair<double, double>, QStringList> m_series; // (years, strike) → call and put

    // The latest record of product at or before seconds.
    const VQuotData &at(const QString &product, double seconds) const
    {
        const QVector<Tick> &ticks = *m_ticks.constFind(product);
        const auto after = std::upper_bound(ticks.cbegin(), ticks.cend(), seconds,
                                            [](double s, const Tick &t) { return s < t.seconds; });
        return std::prev(after)->record;
    }

private slots:
    void doRecv(VQuotData *record) { m_ticks[record->productKey()].append({m_now, m_image, *record}); }

    void initTestCase()
    {
        HostContext &context = m_host.context();
        QStringList lists[3] = {{u("1|600000"), u("0|000001"), u("0|300750"), u("1|510050"), u("1|600519")}, {}, {}};
        const VCacheItem *futures = context.cacheMgr()->cache(SampleMarket::FuturesCacheName);
        for (int row = 0; row < futures->recordCount1(); ++row) {
            const QString product = futures->fieldValue1(row, u("productid")).toString();
            const QString key = futures->fieldValue1(row, u("market")).toString() + u("|")
                + futures->fieldValue1(row, u("stkcode")).toString();
            if (product == u("cu") || product == u("IF") || product == u("SR")) {
                lists[1] << key;
                m_months[product] << key;
                m_multiplier.insert(key, futures->fieldValue1(row, u("convertunit")).toDouble());
            }
        }
        const VCacheItem *options = context.cacheMgr()->cache(SampleMarket::OptionCacheName);
        for (int row = 0; row < options->recordCount1(); ++row) {
            const QString code = options->fieldValue1(row, u("stkcode")).toString();
            VSimInstrument instrument;
            if (options->fieldValue1(row, u("securityid")).toString() != u("1510050")
                || options->fieldValue1(row, u("expiredate")).toInt() > 20270201)
                continue;
            QVERIFY(context.simInstrument('5', code, instrument));
            lists[2] << u("5|") + code;
            m_multiplier.insert(lists[2].last(), 10000);
            m_options.insert(lists[2].last(), instrument.option);
            m_series[{instrument.option.years, instrument.option.strike}] << lists[2].last();
        }
        QCOMPARE(lists[1].size() + lists[2].size(), 12 + 4 + 6 + 2 * 9 * 2);
        for (QStringList &months : m_months)
            months.sort(); // codes sort by month

        VSimQuotFeed *feed = context.installSimQuotFeed();
        QObject owner;
        VQuotSubscriber *subscribers[3];
        for (int i = 0; i < 3; ++i) {
            subscribers[i] = new VQuotSubscriber(&owner, u("记录"));
            subscribers[i]->setRecvSlot(this, "1doRecv(VQuotData*)");
            for (const QString &product : lists[i])
                subscribers[i]->addProduct(product.at(0).toLatin1(), product.mid(2));
        }
        const auto deliver = [&](double seconds, bool image) {
            m_now = seconds;
            m_image = image;
            feed->advance(seconds);
            context.quotMgr()->deliverPosted();
        };
        for (double seconds = 0; seconds <= End; seconds += Step) {
            deliver(seconds, false);
            if (seconds == DropAt)
                QVERIFY(subscribers[1]->unsubscribe(false) && subscribers[2]->unsubscribe(false));
            if (seconds != 0 && seconds != ReturnAt)
                continue;
            for (VQuotSubscriber *s : subscribers)
                QVERIFY(s->subscribe());
            deliver(seconds, true);
            // Every security newly subscribed has its current record in that one delivery.
            for (int i = seconds == 0 ? 0 : 1; i < 3; ++i) {
                for (const QString &product : lists[i])
                    QVERIFY2(m_ticks[product].last().seconds == seconds && m_ticks[product].last().image,
                             qPrintable(product));
            }
        }
    }

    // Volume, amount and high never fall and low never rises across the
    // subscriptions; amount is price × quantity × multiplier; prices stay
    // within the limits; change and ratio agree with last and previous close.
    // Stocks and funds have a snapshot every 3 s, futures and options every
    // 0.5 s, each with a record only for what traded in it (or an option
    // whose quotes moved). Five levels a side, one at the futures exchanges
    // other than Shanghai's; fewer only where a limit cuts them.
    void everyRecord()
    {
        for (auto it = m_ticks.cbegin(); it != m_ticks.cend(); ++it) {
            const char market = it.key().at(0).toLatin1();
            const int depth = QByteArray("DZF").contains(market) ? 1 : 5;
            int fullDepth = 0;
            const VQuotData *previous = nullptr;
            for (const Tick &tick : *it) {
                const VQuotData &r = tick.record;
                const double quantity = double(r.matchQuantity) * m_multiplier.value(it.key(), 1);
                QVERIFY2(
                    r.lowLimitPrice <= r.lastPrice && r.lastPrice <= r.highLimitPrice
                        && qAbs(r.priceChange - (r.lastPrice - r.preClosingPrice)) < 1e-9
                        && qAbs(r.priceChangeRatio - r.priceChange / r.preClosingPrice) < 1e-12
                        && qAbs(r.matchAmount - r.avgPrice * quantity) <= 1e-9 * r.matchAmount
                        && r.lowPrice * quantity <= r.matchAmount * (1 + 1e-12)
                        && r.matchAmount <= r.highPrice * quantity * (1 + 1e-12)
                        && (r.matchQuantity == 0 || (r.lowLimitPrice <= r.lowPrice && r.highPrice <= r.highLimitPrice))
                        && levels(r.askPrice) <= depth && levels(r.bidPrice) <= depth
                        && (tick.image || market > '1' || std::fmod(tick.seconds, 3) == 0)
                        && (!previous
                            || (r.matchQuantity >= previous->matchQuantity && r.matchAmount >= previous->matchAmount
                                && r.highPrice >= previous->highPrice
                                && (previous->lowPrice == 0 || r.lowPrice <= previous->lowPrice)
                                && (tick.image || market == '5' || r.matchQuantity > previous->matchQuantity))),
                    qPrintable(it.key() + QString::number(tick.seconds)));
                fullDepth += levels(r.askPrice) == depth;
                previous = &r;
            }
            QVERIFY2(fullDepth > it->size() * 9 / 10, qPrintable(it.key()));
        }
    }

    // Shares traded follow turnover over price: a cheap liquid stock
    // against a dear one, within a factor of 3 of what their turnover says.
    void sharesFollowTurnover()
    {
        SampleSource source;
        source.read(QStringLiteral(TARN_DATA_DIR));
        const auto shares = [&](const char *product) {
            const VQuotData &last = m_ticks[u(product)].constLast().record;
            return double(last.matchQuantity)
                / (source.liquidity.turnover.value(u(product).remove(QLatin1Char('|'))) / last.preClosingPrice);
        };
        const double ratio = shares("0|000001") / shares("1|600519");
        QVERIFY2(ratio > 1.0 / 3 && ratio < 3, qPrintable(QString::number(ratio)));
    }

    // The main contract of each product, by its market's convention, trades
    // more and holds more open interest than any other month; a trade in any
    // month moves it from its previous close as far as the main contract has moved.
    void mainContractsAndCalendarSpreads_data()
    {
        QTest::addColumn<QString>("product");
        QTest::addColumn<QString>("main");
        QTest::newRow("铜: the month after the nearest") << u("cu") << u("H|cu2701");
        QTest::newRow("股指: the nearest month") << u("IF") << u("F|IF2612");
        QTest::newRow("白糖: January, May, September") << u("SR") << u("Z|SR701");
    }
    void mainContractsAndCalendarSpreads()
    {
        QFETCH(QString, product);
        QFETCH(QString, main);
        const auto move = [](const VQuotData &r) { return r.lastPrice / r.preClosingPrice - 1; };
        const VQuotData &top = m_ticks[main].constLast().record;
        for (const QString &contract : m_months.value(product)) {
            const VQuotData &last = m_ticks[contract].constLast().record;
            QVERIFY2(contract == main
                         || (last.matchQuantity < top.matchQuantity && last.openInterest < top.openInterest),
                     qPrintable(contract));
            for (const Tick &tick : m_ticks[contract]) {
                const VQuotData &reference = at(main, tick.seconds);
                QVERIFY2(tick.record.matchQuantity == 0 || reference.matchQuantity == 0
                             || qAbs(move(tick.record) - move(reference)) < 0.003,
                         qPrintable(contract));
            }
        }
    }

    // A liquid security has a record at every interval of its exchange (the
    // median gap within 1.5 times it), a quiet one only when something
    // changes; options near the money trade far more than those away from it.
    void recordsAtTheExchangesInterval_data()
    {
        QTest::addColumn<QString>("product");
        QTest::addColumn<double>("interval");
        QTest::addColumn<bool>("liquid");
        QTest::newRow("贵州茅台") << u("1|600519") << 3.0 << true;
        QTest::newRow("平安银行") << u("0|000001") << 3.0 << true;
        QTest::newRow("股指 main") << u("F|IF2612") << Step << true;
        QTest::newRow("白糖 far month") << u("Z|SR711") << Step << false;
    }
    void recordsAtTheExchangesInterval()
    {
        QFETCH(QString, product);
        QFETCH(double, interval);
        QFETCH(bool, liquid);
        std::vector<double> gaps;
        const QVector<Tick> &ticks = m_ticks[product];
        for (int i = 1; i < ticks.size(); ++i) {
            if (!ticks.at(i).image && !ticks.at(i - 1).image)
                gaps.push_back(ticks.at(i).seconds - ticks.at(i - 1).seconds);
        }
        QVERIFY(!gaps.empty() || !liquid);
        std::sort(gaps.begin(), gaps.end());
        const double median = gaps.empty() ? End : gaps[gaps.size() / 2];
        QVERIFY2(liquid ? median <= 1.5 * interval : median > 2 * interval, qPrintable(QString::number(median)));
        QVERIFY(gaps.empty() || gaps.front() >= interval);
    }

    void optionsNearTheMoneyTradeMore()
    {
        // The front expiry's calls at and four strikes from the previous close 2.752.
        const auto volume = [this](double strike) {
            return m_ticks[m_series.value({m_series.firstKey().first, strike}).first()].constLast().record.matchQuantity;
        };
        QVERIFY(volume(2.75) > 4 * volume(2.55) && volume(2.75) > 4 * volume(2.95));
    }

    // No option asks or trades below its intrinsic value; put–call parity
    // holds within the spreads; calls follow the underlying and puts go
    // against it.
    void optionsPricedFromTheUnderlying()
    {
        const QString fund = u("1|510050");
        for (double seconds = 0; seconds <= End; seconds += Step) {
            if (seconds > DropAt && seconds < ReturnAt) // the options' latest records are old ones
                continue;
            const double spot = at(fund, seconds).lastPrice;
            for (auto it = m_series.cbegin(); it != m_series.cend(); ++it) {
                const VQuotData &call = at(it->at(0), seconds);
                const VQuotData &put = at(it->at(1), seconds);
                const double strike = it.key().second;
                const double forward = spot - strike * std::exp(-m_options[it->at(0)].rate * it.key().first);
                QVERIFY2(call.askPrice[0] >= spot - strike - 1e-9 && put.askPrice[0] >= strike - spot - 1e-9
                             && call.bidPrice[0] - put.askPrice[0] <= forward + 1e-9
                             && forward <= call.askPrice[0] - put.bidPrice[0] + 1e-9,
                         qPrintable(it->at(0) + QString::number(seconds)));
            }
        }
        for (auto it = m_options.cbegin(); it != m_options.cend(); ++it) {
            const QVector<Tick> &ticks = m_ticks[it.key()];
            for (int i = 1; i < ticks.size(); ++i) {
                const VQuotData &r = ticks.at(i).record;
                const double spot = at(fund, ticks.at(i).seconds).lastPrice;
                const double move = spot - at(fund, ticks.at(i - 1).seconds).lastPrice;
                const double change = r.bidPrice[0] - ticks.at(i - 1).record.bidPrice[0];
                // A trade in this snapshot (an image's may be older) is at or above the intrinsic value.
                const bool traded = !ticks.at(i).image && r.matchQuantity > ticks.at(i - 1).record.matchQuantity;
                QVERIFY2((it->call ? move * change : -move * change) >= 0 && (move != 0 || change == 0)
                             && (!traded || r.lastPrice >= it->intrinsic(spot) - 1e-9),
                         qPrintable(it.key()));
            }
        }
    }
};

QTEST_MAIN(TestSimulatedMarket)
#include "tst_simulatedmarket.moc"
