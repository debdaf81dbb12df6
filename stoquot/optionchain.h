#pragma once

#include <QHash>
#include <QList>
#include <QMultiMap>
#include <QStringList>
#include <QVariantMap>

#include <functional>

class VCacheItem;

// The option chain, read from the option-contract cache under its read
// lock: per underlying, the expiry dates and exercise prices of its calls
// listed until today or later (a put is found by querying the cache with
// its call's key and "P"). A contract of neither side stays in the chain,
// where it finds no contract of either side, and is logged.
class OptionChain
{
public:
    // Rebuilds the chain; whileLocked runs before the lock is released.
    void rebuild(VCacheItem *contracts, int today, const std::function<void()> &whileLocked);

    // In the chain's own order.
    QStringList underlyings() const { return m_chain.keys(); }
    QList<int> expiries(const QString &underlying) const { return m_chain.value(underlying).uniqueKeys(); }
    QStringList exercisePrices(const QString &underlying, int expiry) const
    {
        return m_chain.value(underlying).values(expiry);
    }

    // The contract of the underlying, expiry, exercise price and side
    // ("C" or "P"): its "stkid", "stkcode", "market" and "contractname";
    // empty when the cache has none.
    static QVariantMap contract(VCacheItem *contracts, const QString &underlying, int expiry,
                                const QString &exercisePrice, const QString &callOrPut);

private:
    QHash<QString, QMultiMap<int, QString>> m_chain; // underlying id → expiry → exercise price
};
