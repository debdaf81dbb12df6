// Ten minutes of the simulated sample market at the exchanges' pace, as a
// client receives it through the quote manager (subscribers dropped and
// subscribed again in the middle), checked against the rules a trader holds
// a market to. Market time is driven by the test, so the run takes a second.

#include <samplemarket.h>
#include <testhost.h>
#include <testutil.h>
#include <vcacheitem.h>
#include <vcachemgr.h>
#include <vquotmgr.h>
#include <vquotsubscriber.h>
#include <vsimmarket.h>
#include <vsimquotfeed.h>

#include <QTest>

#include <cmath>

namespace {

constexpr double Step = 0.5; // the test's clock: the futures and options snapshot
constexpr double Minutes = 10;
constexpr double DropAt = 120; // the futures and options subscribers leave
constexpr double ReturnAt = 180; // and come back

struct Tick
{
    double seconds;
    bool image; // received in the first delivery after its subscription
    VQuotData record;
};

bool near(double a, double b, double tolerance = 1e-9)
{
    return std::fabs(a - b) <= tolerance * std::max(1.0, std::fabs(b));
}

int levels(const double (&prices)[10])
{
    return int(std::count_if(std::begin(prices), std::end(prices), [](double p) { return p != 0; }));
}

} // namespace

class Recorder : public QObject
{
    Q_OBJECT
public:
    double now = 0;
    bool image = false;
    QHash<QString, QVector<Tick>> ticks; // by "market|code"

public slots:
    void doRecv(VQuotData *record) { ticks[record->productKey()].append({now, image, *record}); }
};

class TestSimulatedMarket : public QObject
{
    Q_OBJECT

    TestHost m_host {20261215, QStringLiteral(TARN_DATA_DIR)};
    Recorder m_recorder;
    QHash<QString, double> m_multiplier;
    QHash<QString, VSimOptionTerms> m_options; // the 50ETF options of the two nearest expiries
    QMap<QPair<double, double>, QStringList> m_series; // (years, strike) → call and put
    QHash<QString, QString> m_product; // futures contract → product

    VQuotSubscriber *subscriber(const QStringList &products)
    {
        auto *s = new VQuotSubscriber(&m_recorder, QStringLiteral("记录"));
        s->setRecvSlot(&m_recorder, "1doRecv(VQuotData*)");
        for (const QString &product : products)
            s->addProduct(product.at(0).toLatin1(), product.mid(2));
        return s;
    }
    QString key(const VCacheItem *cache, int row) const
    {
        return cache->fieldValue1(row, QStringLiteral("market")).toString() + QLatin1Char('|')
            + cache->fieldValue1(row, QStringLiteral("stkcode")).toString();
    }
    // The latest record of product at or before seconds.
    const VQuotData *at(const QString &product, double seconds) const
    {
        const auto found = m_recorder.ticks.constFind(product);
        if (found == m_recorder.ticks.cend())
            return nullptr;
        const auto after = std::upper_bound(found->cbegin(), found->cend(), seconds,
                                            [](double s, const Tick &t) { return s < t.seconds; });
        return after == found->cbegin() ? nullptr : &(after - 1)->record;
    }

private slots:
    void initTestCase()
    {
        HostContext &context = m_host.context();
        VSimQuotFeed *feed = context.installSimQuotFeed();
        const QStringList stocks {u("1|600000"), u("0|000001"), u("0|300750"), u("1|510050")};
        QStringList futures, options;
        const VCacheItem *contracts = context.cacheMgr()->cache(SampleMarket::FuturesCacheName);
        for (int row = 0; row < contracts->recordCount1(); ++row) {
            const QString product = contracts->fieldValue1(row, QStringLiteral("productid")).toString();
            if (product == QLatin1String("cu") || product == QLatin1String("IF") || product == QLatin1String("SR")) {
                futures << key(contracts, row);
                m_product.insert(futures.last(), product);
                m_multiplier.insert(futures.last(),
                                    contracts->fieldValue1(row, QStringLiteral("convertunit")).toDouble());
            }
        }
        contracts = context.cacheMgr()->cache(SampleMarket::OptionCacheName);
        for (int row = 0; row < contracts->recordCount1(); ++row) {
            const int expiry = contracts->fieldValue1(row, QStringLiteral("expiredate")).toInt();
            if (contracts->fieldValue1(row, QStringLiteral("securityid")).toString() == QLatin1String("1510050")
                && expiry < 20270201) {
                options << key(contracts, row);
                m_multiplier.insert(options.last(), 10000);
                VSimInstrument instrument;
                QVERIFY(context.simInstrument(options.last().at(0).toLatin1(), options.last().mid(2), instrument));
                m_options.insert(options.last(), instrument.option);
                m_series[{instrument.option.years, instrument.option.strike}].append(options.last());
            }
        }
        QCOMPARE(futures.size(), 12 + 4 + 6);
        QCOMPARE(options.size(), 2 * 9 * 2);

        QScopedPointer<VQuotSubscriber> stockSubscriber(subscriber(stocks));
        QScopedPointer<VQuotSubscriber> futuresSubscriber(subscriber(futures));
        QScopedPointer<VQuotSubscriber> optionSubscriber(subscriber(options));
        VQuotMgr *manager = context.quotMgr();
        const auto deliver = [&](double seconds, bool image) {
            m_recorder.now = seconds;
            m_recorder.image = image;
            feed->advance(seconds);
            QCoreApplication::sendPostedEvents(manager, QEvent::MetaCall);
        };
        const auto subscribeAll = [&](double seconds) {
            for (VQuotSubscriber *s : {stockSubscriber.data(), futuresSubscriber.data(), optionSubscriber.data()})
                QVERIFY(s->subscribe());
            deliver(seconds, true);
        };
        subscribeAll(0);
        for (double seconds = Step; seconds <= Minutes * 60; seconds += Step) {
            deliver(seconds, false);
            if (seconds == DropAt) {
                QVERIFY(futuresSubscriber->unsubscribe(false) && optionSubscriber->unsubscribe(false));
            } else if (seconds == ReturnAt) {
                subscribeAll(seconds);
                // Every security of the subscription has its current record in that one delivery.
                for (const QString &product : futures + options)
                    QVERIFY2(m_recorder.ticks[product].last().seconds == seconds
                                 && m_recorder.ticks[product].last().image,
                             qPrintable(product));
            }
        }
        for (const QString &product : stocks + futures + options)
            QVERIFY2(m_recorder.ticks[product].constFirst().image, qPrintable(product));
    }

    // Volume, amount and high never fall, low never rises, across the
    // subscriptions; amount is price × quantity × multiplier and agrees with
    // the average price; prices stay within the limits; change and ratio
    // agree with the last price and the previous close.
    void eachSecuritysDay()
    {
        for (auto it = m_recorder.ticks.cbegin(); it != m_recorder.ticks.cend(); ++it) {
            const double multiplier = m_multiplier.value(it.key(), 1);
            const VQuotData *previous = nullptr;
            for (const Tick &tick : it.value()) {
                const VQuotData &r = tick.record;
                const QByteArray where = it.key().toUtf8() + " at " + QByteArray::number(tick.seconds);
                QVERIFY2(r.lowLimitPrice <= r.lastPrice && r.lastPrice <= r.highLimitPrice, where);
                QVERIFY2(near(r.priceChange, r.lastPrice - r.preClosingPrice)
                             && near(r.priceChangeRatio, r.priceChange / r.preClosingPrice),
                         where);
                if (r.matchQuantity > 0) {
                    const double quantity = double(r.matchQuantity) * multiplier;
                    QVERIFY2(near(r.matchAmount, r.avgPrice * quantity, 1e-12), where);
                    QVERIFY2(r.lowPrice * quantity <= r.matchAmount * (1 + 1e-12)
                                 && r.matchAmount <= r.highPrice * quantity * (1 + 1e-12),
                             where);
                    QVERIFY2(r.lowLimitPrice <= r.lowPrice && r.highPrice <= r.highLimitPrice, where);
                }
                if (previous) {
                    QVERIFY2(r.matchQuantity >= previous->matchQuantity && r.matchAmount >= previous->matchAmount
                                 && r.highPrice >= previous->highPrice
                                 && (previous->lowPrice == 0 || r.lowPrice <= previous->lowPrice),
                             where);
                }
                previous = &r;
            }
        }
    }

    // Stocks and funds publish a snapshot every 3 s, futures and options every
    // 0.5 s, each with a record only for what traded in it (or, for an
    // option, whose quotes moved). Five levels on each side for stocks,
    // funds, options and Shanghai futures (fewer only at a limit), one for the
    // other futures exchanges.
    void paceAndDepth()
    {
        for (auto it = m_recorder.ticks.cbegin(); it != m_recorder.ticks.cend(); ++it) {
            const char market = it.key().at(0).toLatin1();
            const bool stock = market == '0' || market == '1';
            const bool option = m_options.contains(it.key());
            const int depth = market == 'D' || market == 'Z' || market == 'F' ? 1 : 5;
            const VQuotData *previous = nullptr;
            for (const Tick &tick : it.value()) {
                const VQuotData &r = tick.record;
                const QByteArray where = it.key().toUtf8() + " at " + QByteArray::number(tick.seconds);
                QVERIFY2(tick.image || !stock || std::fmod(tick.seconds, 3) == 0, where);
                QVERIFY2(tick.image || option || !previous || r.matchQuantity > previous->matchQuantity, where);
                QVERIFY2(levels(r.askPrice) == depth || r.askPrice[depth - 1] == 0, where);
                QVERIFY2(levels(r.bidPrice) == depth || r.bidPrice[levels(r.bidPrice)] == 0, where);
                QVERIFY2(levels(r.askPrice) <= depth && levels(r.bidPrice) <= depth && levels(r.askPrice) > 0, where);
                QVERIFY2(r.askPrice[0] == 0 || r.askPrice[depth - 1] == 0 || r.askPrice[depth - 1] <= r.highLimitPrice,
                         where);
                previous = &r;
            }
        }
    }

    // Front months and options near the money trade often, far months and
    // deep out-of-the-money options seldom; the months of a product move
    // together.
    void activityAndCalendarSpreads()
    {
        QHash<QString, QMap<QString, int>> monthsTraded; // product → contract → records
        for (auto it = m_product.cbegin(); it != m_product.cend(); ++it)
            monthsTraded[it.value()].insert(it.key(), m_recorder.ticks[it.key()].size());
        const auto move = [](const VQuotData &r) { return r.lastPrice / r.preClosingPrice - 1; };
        for (auto it = monthsTraded.cbegin(); it != monthsTraded.cend(); ++it) {
            // Contract codes sort by month.
            QVERIFY2(it->first() > 4 * it->last(), qPrintable(it.key()));
            // A trade in any month moves it from its previous close as far as the front month has moved.
            for (const QString &contract : it->keys()) {
                for (const Tick &tick : m_recorder.ticks[contract]) {
                    const VQuotData *front = at(it->firstKey(), tick.seconds);
                    QVERIFY2(tick.record.matchQuantity == 0 || front->matchQuantity == 0
                                 || qAbs(move(tick.record) - move(*front)) < 0.003,
                             qPrintable(contract));
                }
            }
        }
        // The front expiry's calls at and four strikes away from the previous close 2.752.
        const auto records = [this](double strike) {
            const double front = m_series.firstKey().first;
            return m_recorder.ticks.value(m_series.value({front, strike}).value(0)).size();
        };
        QVERIFY(records(2.75) > 4 * records(2.55) && records(2.75) > 4 * records(2.95));
    }

    // Options: bid and ask around the model value, no ask and no trade below
    // the intrinsic value, put–call parity within the spreads, calls cheaper and puts
    // dearer with the strike, calls following the underlying and puts going
    // against it.
    void optionsPricedFromTheUnderlying()
    {
        const QString underlying = u("1|510050");
        for (double seconds = 0; seconds <= Minutes * 60; seconds += Step) {
            if (seconds > DropAt && seconds < ReturnAt) // the options' latest records are old ones
                continue;
            const VQuotData *fund = at(underlying, seconds);
            QVERIFY(fund);
            const double spot = fund->lastPrice;
            QMap<double, QVector<double>> asks; // by expiry, calls' asks then puts' by strike
            for (auto it = m_series.cbegin(); it != m_series.cend(); ++it) {
                const VQuotData *call = at(it->at(0), seconds);
                const VQuotData *put = at(it->at(1), seconds);
                const VSimOptionTerms &terms = m_options[it->at(0)];
                const QByteArray where = it->at(0).toUtf8() + " at " + QByteArray::number(seconds);
                QVERIFY2(call->askPrice[0] >= terms.intrinsic(spot) - 1e-9
                             && put->askPrice[0] >= m_options[it->at(1)].intrinsic(spot) - 1e-9,
                         where);
                // Put–call parity: call − put = spot − strike discounted to today.
                const double forward = spot - terms.strike * std::exp(-terms.rate * terms.years);
                QVERIFY2(call->bidPrice[0] - put->askPrice[0] <= forward + 1e-9
                             && forward <= call->askPrice[0] - put->bidPrice[0] + 1e-9,
                         where);
                asks[it.key().first].append(-call->askPrice[0]);
                asks[it.key().first].append(put->askPrice[0]);
            }
            for (const QVector<double> &expiry : qAsConst(asks)) {
                for (int i = 2; i < expiry.size(); ++i)
                    QVERIFY(expiry.at(i) >= expiry.at(i - 2));
            }
        }
        for (auto it = m_options.cbegin(); it != m_options.cend(); ++it) {
            const QVector<Tick> &ticks = m_recorder.ticks[it.key()];
            for (int i = 1; i < ticks.size(); ++i) {
                const double move = at(underlying, ticks.at(i).seconds)->lastPrice
                    - at(underlying, ticks.at(i - 1).seconds)->lastPrice;
                const double change = ticks.at(i).record.bidPrice[0] - ticks.at(i - 1).record.bidPrice[0];
                QVERIFY2((it->call ? move * change : -move * change) >= 0 && (move != 0 || change == 0),
                         qPrintable(it.key()));
                // A trade in this snapshot (an image's may be older).
                if (!ticks.at(i).image && ticks.at(i).record.matchQuantity > ticks.at(i - 1).record.matchQuantity) {
                    QVERIFY2(ticks.at(i).record.lastPrice
                                 >= it->intrinsic(at(underlying, ticks.at(i).seconds)->lastPrice) - 1e-9,
                             qPrintable(it.key()));
                }
            }
        }
    }
};

QTEST_MAIN(TestSimulatedMarket)
#include "tst_simulatedmarket.moc"
