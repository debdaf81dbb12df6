#pragma once

#include "vquot_global.h"

#include <QByteArray>
#include <vector>

struct VQuotData;

// What the simulator needs to know of a security to move it believably.
struct VQUOT_EXPORT VSimInstrument
{
    double preClose = 10.0; // previous close (futures: previous settlement)
    double priceStep = 0.01; // prices move by whole steps
    double limitRatio = 0.10; // limit prices: preClose × (1 ± limitRatio), on the step grid
    bool futures = false; // futures and options carry open interest
    bool suspended = false;

    // Positive finite prices, preClose at least one step, limitRatio in (0, 1).
    bool isUsable() const;
};

// The simulated market without any threading: the securities take turns, each
// turn is one trade of one security, and each trade yields that security's
// full record. Every security draws from its own random stream, seeded from
// the market's seed and the security's key, so its sequence of records does
// not depend on which other securities are simulated beside it. Prices walk
// by the market time passed since a security's last trade, so how far they
// move in a minute does not depend on how many records the minute holds.
class VQUOT_EXPORT VSimMarket
{
public:
    explicit VSimMarket(quint32 seed = 1);
    ~VSimMarket();

    // Restarts every security from its previous close.
    void setSeed(quint32 seed);
    quint32 seed() const;

    // Adds a security; one already there keeps its state. An instrument that
    // is not usable is replaced by the defaults, and false is returned.
    bool add(char market, const QByteArray &code, const VSimInstrument &instrument);
    void remove(char market, const QByteArray &code);
    int count() const;

    // Moves the next security in turn by one trade at the market time
    // seconds (non-decreasing from call to call) and writes its record. At
    // least one security must be present.
    void next(VQuotData &record, double seconds);

private:
    struct Security;

    std::vector<Security> m_securities;
    size_t m_cursor = 0;
    quint32 m_seed;
    double m_seconds = 0; // market time of the latest trade; securities added or restarted start from it
};
