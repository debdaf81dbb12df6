#pragma once

#include "marketliquidity.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QVariantMap>

class VCacheMgr;
struct SampleOptionModel;
struct VSimInstrument;

// How the simulated market moves each security of the host's caches, as its
// exchange does: stocks and funds in a snapshot every 3 s with five levels,
// futures and options every 500 ms, futures with five levels on the Shanghai
// Futures Exchange and one elsewhere, options with five. How much a
// security trades follows its liquidity: a stock's or fund's shares its
// turnover over its price; a futures product's volume goes mostly to its
// main contract and the next main month, little to the delivery month; an
// option chain's mostly to the options near the money and the nearest
// expiry. Trades come as on the exchange, a security trading in every
// snapshot when its volume says it would. Without liquidity data the front
// months and the options near the money trade in most snapshots, far months
// and deep out-of-the-money options seldom. The contracts of a futures
// product share one walk; an option is priced by the option model from its
// underlying's walk.
class SimInstruments
{
public:
    SimInstruments(const VCacheMgr *caches, const SampleOptionModel &model, const MarketLiquidity &liquidity,
                   const QDate &businessDate);

    // False when the caches do not know the security, or an option's
    // underlying or model is missing.
    bool resolve(char market, const QString &code, VSimInstrument &out) const;

private:
    bool resolveStkid(const QString &stkid, VSimInstrument &out) const;
    void stock(const QString &stkid, const QString &code, VSimInstrument &out) const;
    // A stock's or fund's trades by its turnover, when the data gives it.
    void stockLiquidity(const QString &stkid, VSimInstrument &out) const;
    // The share of a futures product's volume that the contract of expiry
    // (yyyymmdd) trades, among the product's months.
    double monthShare(const MarketLiquidity::MainMonths &main, const QList<QVariantMap> &months, int expiry) const;
    void fund(const QString &stkid, VSimInstrument &out) const;
    void futures(const QString &stkid, VSimInstrument &out) const;
    bool option(const QString &stkid, VSimInstrument &out) const;

    const VCacheMgr *m_caches;
    const SampleOptionModel &m_model;
    const MarketLiquidity &m_liquidity;
    QDate m_date;
};
