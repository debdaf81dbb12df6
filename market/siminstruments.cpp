#include "siminstruments.h"

#include "marketliquidity.h"
#include "samplemarket.h"
#include "sampleoptionmodel.h"

#include <vcacheitem.h>
#include <vcachemgr.h>
#include <vsimmarket.h>

#include <QMap>
#include <QSet>

#include <algorithm>
#include <cmath>

namespace {

const QString Stkid = QStringLiteral("stkid");

// Daily limits.
const double MainBoardLimit = 0.10;
const double GrowthBoardLimit = 0.20; // ChiNext 300xxx/301xxx, STAR 688xxx/689xxx
const double FundLimit = 0.10;
const double FuturesDefaultLimit = 0.07;

// The exchanges' snapshots: Shanghai and Shenzhen stocks and funds every
// 3 s with five levels; futures and options every 500 ms; five levels on
// the Shanghai Futures Exchange and for options, one level at the other
// futures exchanges.
const double StockSnapshotSeconds = 3;
const double DerivativeSnapshotSeconds = 0.5;
const int FullDepth = 5;
const int TopOfBook = 1;
const QString FullDepthFuturesMarket = QStringLiteral("H");

// A day's moves (one standard deviation).
const double StockVolatility = 0.02;
const double GrowthBoardVolatility = 0.03;
const double FundVolatility = 0.012;
const double FuturesVolatilityPerLimit = 0.25; // a product moves about a quarter of its limit in a day
const double TradingDaysPerYear = 244; // an option underlying moves as its options' at-the-money volatility says

const double OptionMultiplier = 10000;

// The chance of a trade in one snapshot.
const double LeastStockActivity = 0.5; // stocks: between this and 0.95, fixed by the code
const double StockActivitySpan = 0.45;
const double FundActivity = 0.7;
const double FrontMonthActivity = 0.7; // futures: the nearest month, then less by this factor each month out
const double ActivityPerMonth = 0.55;
const double AtTheMoneyActivity = 0.6; // options: less away from the money and for each later expiry
const double ActivityPerExpiry = 0.6;

// Liquidity: the seconds of a trading day (four hours); a typical trade, in
// yuan of a stock or fund, in yuan of a futures contract's value, and in
// option contracts; a futures product's volume shares; a typical open
// interest against a day's volume.
const double TradingSeconds = 4 * 3600;
const double StockTradeYuan = 50000;
const double FuturesTradeYuan = 200000;
const double OptionTradeLots = 10;
const double MainShare = 0.7; // the main contract
const double NextMainShare = 0.15; // the next main month
const double OtherMonthsShare = 0.15; // shared by the other months
const double DeliveryMonthShare = 0.005;
const double OpenInterestPerVolume = 1.2;

// Sets how often a security trades and how much, for lotsPerDay traded in
// trades of about lotsPerTrade: as many trades a snapshot as the volume
// makes (Poisson), so a security that trades more than a trade a snapshot
// trades in nearly every one.
void setLiquidity(VSimInstrument &out, double lotsPerDay, double lotsPerTrade)
{
    const double perSnapshot = lotsPerDay * out.snapshotSeconds / TradingSeconds;
    const double trades = perSnapshot / std::max(1.0, lotsPerTrade);
    out.activity = 1 - std::exp(-trades);
    out.meanLots = out.activity > 0 ? std::max(1.0, perSnapshot / out.activity) : 1;
}

bool isGrowthBoard(const QString &code)
{
    for (const char *prefix : {"300", "301", "688", "689"}) {
        if (code.startsWith(QLatin1String(prefix)))
            return true;
    }
    return false;
}

// A fraction in [0, 1) fixed by text (FNV-1a, the same in every process).
double fraction(const QString &text)
{
    quint32 hash = 2166136261u;
    for (const char byte : text.toUtf8()) {
        hash ^= quint8(byte);
        hash *= 16777619u;
    }
    return double(hash % 1000) / 1000.0;
}

// How many distinct values of field among records come before value (as yyyymmdd numbers).
int rankOf(const QList<QVariantMap> &records, const QString &field, int value)
{
    QSet<int> earlier;
    for (const QVariantMap &record : records) {
        const int other = record.value(field).toInt();
        if (other < value)
            earlier.insert(other);
    }
    return earlier.size();
}

} // namespace

SimInstruments::SimInstruments(const VCacheMgr *caches, const SampleOptionModel &model,
                               const MarketLiquidity &liquidity, const QDate &businessDate)
    : m_caches(caches)
    , m_model(model)
    , m_liquidity(liquidity)
    , m_date(businessDate)
{
}

bool SimInstruments::resolve(char market, const QString &code, VSimInstrument &out) const
{
    return resolveStkid(m_caches->stkCodeToStkId(QString(QLatin1Char(market)), code), out);
}

bool SimInstruments::resolveStkid(const QString &stkid, VSimInstrument &out) const
{
    const VCacheItem *securities = m_caches->stockCache();
    QVariantMap record;
    if (stkid.isEmpty() || !securities
        || !securities->lookup(record, Stkid, stkid, QStringLiteral("stkcode;stktype;priceunit;preclose")))
        return false;
    out = VSimInstrument();
    out.preClose = record.value(QStringLiteral("preclose")).toDouble();
    out.priceStep = record.value(QStringLiteral("priceunit")).toDouble();
    out.snapshotSeconds = StockSnapshotSeconds;
    out.levels = FullDepth;
    const QString type = record.value(QStringLiteral("stktype")).toString();
    if (type == QLatin1String("Q") || type == QLatin1String("R"))
        futures(stkid, out);
    else if (type == QLatin1String("S"))
        return option(stkid, out);
    else if (type == QLatin1String("4"))
        fund(stkid, out);
    else
        stock(stkid, record.value(QStringLiteral("stkcode")).toString(), out);
    return true;
}

void SimInstruments::stock(const QString &stkid, const QString &code, VSimInstrument &out) const
{
    const bool growth = isGrowthBoard(code);
    out.limitRatio = growth ? GrowthBoardLimit : MainBoardLimit;
    out.dailyVolatility = growth ? GrowthBoardVolatility : StockVolatility;
    out.activity = LeastStockActivity + StockActivitySpan * fraction(stkid);
    stockLiquidity(stkid, out);
}

void SimInstruments::stockLiquidity(const QString &stkid, VSimInstrument &out) const
{
    const double turnover = m_liquidity.turnover.value(stkid);
    if (turnover > 0)
        setLiquidity(out, turnover / out.preClose / out.lot, StockTradeYuan / (out.preClose * out.lot));
}

// A fund with options trades in every snapshot and moves as its options'
// at-the-money volatility says: its options are priced from its walk.
void SimInstruments::fund(const QString &stkid, VSimInstrument &out) const
{
    out.limitRatio = FundLimit;
    const auto smile = m_model.smiles.constFind(stkid);
    const bool hasOptions = smile != m_model.smiles.cend();
    out.activity = hasOptions ? 1.0 : FundActivity;
    out.dailyVolatility = hasOptions ? smile->atm / std::sqrt(TradingDaysPerYear) : FundVolatility;
    stockLiquidity(stkid, out);
}

void SimInstruments::futures(const QString &stkid, VSimInstrument &out) const
{
    out.futures = true;
    out.lot = 1;
    out.snapshotSeconds = DerivativeSnapshotSeconds;
    out.levels = TopOfBook;
    out.limitRatio = FuturesDefaultLimit;
    out.activity = FrontMonthActivity;
    const VCacheItem *contracts = m_caches->cache(SampleMarket::FuturesCacheName);
    QVariantMap contract;
    if (contracts && contracts->isNormal()
        && contracts->lookup(contract, Stkid, stkid,
                             QStringLiteral("market;productid;expiredate;convertunit;limitratio"))) {
        const QString market = contract.value(QStringLiteral("market")).toString();
        const QString product = contract.value(QStringLiteral("productid")).toString();
        const double ratio = contract.value(QStringLiteral("limitratio")).toDouble();
        if (ratio > 0.0 && ratio < 1.0)
            out.limitRatio = ratio;
        const double multiplier = contract.value(QStringLiteral("convertunit")).toDouble();
        if (multiplier > 0.0)
            out.multiplier = multiplier;
        if (market == FullDepthFuturesMarket)
            out.levels = FullDepth;
        out.driver = (market + QLatin1Char('|') + product).toUtf8();
        QList<QVariantMap> months;
        contracts->query(months, QStringLiteral("market;productid"), {market, product}, QStringLiteral("expiredate"),
                         false);
        const int expiry = contract.value(QStringLiteral("expiredate")).toInt();
        out.activity = FrontMonthActivity * std::pow(ActivityPerMonth, rankOf(months, QStringLiteral("expiredate"), expiry));
        const auto traded = m_liquidity.products.constFind(market + QLatin1Char('|') + product);
        if (traded != m_liquidity.products.cend()) {
            const double lots = traded->lotsPerDay * monthShare(traded->main, months, expiry);
            setLiquidity(out, lots, FuturesTradeYuan / (out.preClose * out.multiplier));
            out.openInterest = qint64(lots * OpenInterestPerVolume) + 1;
        }
    }
    out.dailyVolatility = out.limitRatio * FuturesVolatilityPerLimit;
}

bool SimInstruments::option(const QString &stkid, VSimInstrument &out) const
{
    const VCacheItem *contracts = m_caches->cache(SampleMarket::OptionCacheName);
    QVariantMap contract;
    if (!contracts || !contracts->isNormal()
        || !contracts->lookup(contract, Stkid, stkid, QStringLiteral("securityid;expiredate;exerciseprice;callorput")))
        return false;
    const QString underlyingId = contract.value(QStringLiteral("securityid")).toString();
    VSimInstrument underlying;
    QVariantMap security;
    if (!resolveStkid(underlyingId, underlying) || underlying.isOption()
        || !m_caches->stockCache()->lookup(security, Stkid, underlyingId, QStringLiteral("market;stkcode")))
        return false;
    const int expiry = contract.value(QStringLiteral("expiredate")).toInt();
    const double years
        = SampleOptionModel::years(m_date, QDate::fromString(QString::number(expiry), QStringLiteral("yyyyMMdd")));
    const double strike = contract.value(QStringLiteral("exerciseprice")).toDouble();
    const bool call = contract.value(QStringLiteral("callorput")).toString() == QLatin1String("C");
    if (!m_model.terms(underlyingId, call, strike, underlying.preClose, years, out.option))
        return false;

    out.futures = true;
    out.lot = 1;
    out.multiplier = OptionMultiplier;
    out.snapshotSeconds = DerivativeSnapshotSeconds;
    out.levels = FullDepth;
    out.underlying = {underlying.preClose, underlying.priceStep, underlying.limitRatio, underlying.snapshotSeconds};
    out.driver = (security.value(QStringLiteral("market")).toString() + QLatin1Char('|')
                  + security.value(QStringLiteral("stkcode")).toString())
                     .toUtf8();
    out.dailyVolatility = underlying.dailyVolatility;
    QList<QVariantMap> expiries;
    contracts->query(expiries, QStringLiteral("securityid"), {underlyingId}, QStringLiteral("expiredate;exerciseprice"), false);
    // Standard deviations between the strike and the underlying's close at expiry.
    const double distance = std::log(strike / underlying.preClose) / (out.option.volatility * std::sqrt(years));
    out.activity = AtTheMoneyActivity * std::exp(-distance * distance / 2)
        * std::pow(ActivityPerExpiry, rankOf(expiries, QStringLiteral("expiredate"), expiry));
    const double chain = m_liquidity.chains.value(underlyingId);
    const auto smile = m_model.smiles.constFind(underlyingId);
    if (chain > 0 && smile != m_model.smiles.cend()) {
        // The chain's volume by each contract's weight: near the money and
        // in the nearest expiries, by the at-the-money volatility. Each
        // expiry's factor and root of its years are worked out once.
        QMap<int, QPair<double, double>> byExpiry; // expiry → (its rank's factor, √years)
        for (const QVariantMap &option : qAsConst(expiries))
            byExpiry.insert(option.value(QStringLiteral("expiredate")).toInt(), {});
        double factor = 1;
        for (auto it = byExpiry.begin(); it != byExpiry.end(); ++it, factor *= ActivityPerExpiry) {
            const QDate date = QDate::fromString(QString::number(it.key()), QStringLiteral("yyyyMMdd"));
            *it = {factor, std::sqrt(std::max(1.0 / 365, SampleOptionModel::years(m_date, date)))};
        }
        const auto weight = [&](const QVariantMap &option) {
            const QPair<double, double> terms = byExpiry.value(option.value(QStringLiteral("expiredate")).toInt());
            const double d = std::log(option.value(QStringLiteral("exerciseprice")).toDouble() / underlying.preClose)
                / (smile->atm * terms.second);
            return std::exp(-d * d / 2) * terms.first;
        };
        double total = 0;
        for (const QVariantMap &option : qAsConst(expiries))
            total += weight(option);
        const double lots = total > 0 ? chain * weight(contract) / total : 0;
        setLiquidity(out, lots, OptionTradeLots);
        out.openInterest = qint64(lots * OpenInterestPerVolume) + 1;
    }
    return true;
}

double SimInstruments::monthShare(const MarketLiquidity::MainMonths &main, const QList<QVariantMap> &months,
                                  int expiry) const
{
    QVector<int> dates;
    for (const QVariantMap &month : months)
        dates.append(month.value(QStringLiteral("expiredate")).toInt());
    std::sort(dates.begin(), dates.end());
    dates.erase(std::unique(dates.begin(), dates.end()), dates.end());
    const int today = m_date.year() * 100 + m_date.month();
    const auto inDelivery = [today](int date) { return date / 100 == today; };
    // The main contract and the next main month, as places in dates.
    int first = -1;
    int next = -1;
    if (main.rule == MarketLiquidity::MainMonths::Nearest) {
        first = 0;
        next = 1;
    } else if (main.rule == MarketLiquidity::MainMonths::Second) {
        first = 1;
        next = 2;
    } else {
        for (int i = 0; i < dates.size(); ++i) {
            if (inDelivery(dates.at(i)) || !main.months.contains(dates.at(i) / 100 % 100))
                continue;
            if (first < 0)
                first = i;
            else if (next < 0)
                next = i;
        }
    }
    const int place = int(dates.indexOf(expiry));
    if (place == first)
        return MainShare;
    if (place == next)
        return NextMainShare;
    if (inDelivery(expiry) && main.rule != MarketLiquidity::MainMonths::Nearest)
        return DeliveryMonthShare;
    const auto isPlace = [&dates](int i) { return i >= 0 && i < dates.size(); };
    const int others = int(dates.size()) - int(isPlace(first)) - int(isPlace(next));
    return others > 0 ? OtherMonthsShare / others : 0;
}
