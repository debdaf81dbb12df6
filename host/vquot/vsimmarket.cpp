#include "vsimmarket.h"

#include "vquotdata.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// splitmix64: small, fast and the same on every platform.
quint64 nextRandom(quint64 &state)
{
    quint64 z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// FNV-1a, so a security's stream depends on its key and nothing else.
quint64 keyHash(char market, const QByteArray &code)
{
    quint64 hash = 0xCBF29CE484222325ull;
    auto mix = [&hash](char c) {
        hash ^= uchar(c);
        hash *= 0x100000001B3ull;
    };
    mix(market);
    mix('|');
    for (char c : code)
        mix(c);
    return hash;
}

// A day's moves: a standard deviation of 3 % over a four-hour session, spread
// over time as a random walk, so any stretch of t seconds moves by
// VolatilityPerRootSecond × √t however many trades it holds.
const double VolatilityPerRootSecond = 0.03 / std::sqrt(4.0 * 3600.0);

} // namespace

bool VSimInstrument::isUsable() const
{
    return std::isfinite(preClose) && std::isfinite(priceStep) && std::isfinite(limitRatio) && priceStep > 0
        && preClose >= priceStep && preClose / priceStep < 1e12 && limitRatio > 0 && limitRatio < 1;
}

// Prices are kept as whole steps ("ticks") and turned into prices only when
// written, so they never leave the step grid. Beneath the traded price runs an
// unrounded one, so that moves smaller than a step add up.
struct VSimMarket::Security
{
    char market;
    QByteArray code;
    VSimInstrument instrument;

    quint64 random = 0;
    double seconds = 0; // market time of the last trade
    double fairTicks = 0;
    qint64 preTicks = 0;
    qint64 lowLimitTicks = 0;
    qint64 highLimitTicks = 0;
    qint64 lastTicks = 0;
    qint64 openTicks = 0;
    qint64 highTicks = 0;
    qint64 lowTicks = 0;
    bool traded = false;
    bool buyerInitiated = false;
    qint64 volume = 0;
    double amount = 0;
    qint64 preOpenInterest = 0;
    qint64 openInterest = 0;

    quint64 draw(quint64 bound) { return nextRandom(random) % bound; }
    // Uniform in (0, 1).
    double uniform() { return (double(nextRandom(random) >> 11) + 0.5) / 9007199254740992.0; }
    // Standard normal (Box-Muller).
    double gaussian() { return std::sqrt(-2.0 * std::log(uniform())) * std::cos(6.283185307179586 * uniform()); }
    int lot() const { return instrument.futures ? 1 : 100; }

    double price(qint64 ticks) const
    {
        // Rounded to 1e-8 so that, say, 1001 steps of 0.01 read as 10.01.
        return std::round(double(ticks) * instrument.priceStep * 1e8) / 1e8;
    }

    void restart(quint32 seed, double now)
    {
        random = (quint64(seed) << 32) ^ keyHash(market, code);
        seconds = now;
        preTicks = std::llround(instrument.preClose / instrument.priceStep);
        // The exchanges' rule: previous close × (1 ± ratio), rounded half-up
        // to the price step.
        highLimitTicks = qint64(std::floor(double(preTicks) * (1 + instrument.limitRatio) + 0.5 + 1e-9));
        lowLimitTicks
            = std::max<qint64>(1, qint64(std::floor(double(preTicks) * (1 - instrument.limitRatio) + 0.5 + 1e-9)));
        lastTicks = preTicks;
        fairTicks = double(preTicks);
        openTicks = highTicks = lowTicks = 0;
        traded = false;
        volume = 0;
        amount = 0;
        preOpenInterest = instrument.futures ? qint64(10000 + draw(90000)) : 0;
        openInterest = preOpenInterest;
    }

    // now is never before the security's last trade.
    void trade(double now)
    {
        const double elapsed = now - seconds;
        seconds = now;
        if (instrument.suspended)
            return;
        // A geometric random walk, held at the limit prices.
        fairTicks *= std::exp(VolatilityPerRootSecond * std::sqrt(elapsed) * gaussian());
        fairTicks = qBound(double(lowLimitTicks), fairTicks, double(highLimitTicks));
        lastTicks = std::llround(fairTicks);
        if (!traded) {
            openTicks = highTicks = lowTicks = lastTicks;
            traded = true;
        }
        highTicks = std::max(highTicks, lastTicks);
        lowTicks = std::min(lowTicks, lastTicks);
        buyerInitiated = draw(2) == 1;

        const qint64 lots = qint64(1 + draw(50));
        const qint64 quantity = lots * lot();
        volume += quantity;
        amount += double(quantity) * price(lastTicks);
        if (instrument.futures)
            openInterest = std::max<qint64>(0, openInterest + qint64(draw(quint64(2 * lots + 1))) - lots);
    }

    void write(VQuotData &record)
    {
        std::memset(&record, 0, sizeof record);
        record.status = 1;
        record.market = market;
        record.setCode(code);
        record.suspendFlag = instrument.suspended ? 'T' : ' ';

        const double preClose = price(preTicks);
        record.preClosingPrice = preClose;
        record.preSettlementPrice = instrument.futures ? preClose : 0;
        record.highLimitPrice = price(highLimitTicks);
        record.lowLimitPrice = price(lowLimitTicks);
        record.lastPrice = price(lastTicks);
        if (traded) {
            record.openingPrice = price(openTicks);
            record.highPrice = price(highTicks);
            record.lowPrice = price(lowTicks);
        }
        record.matchQuantity = volume;
        record.matchAmount = amount;
        record.avgPrice = volume > 0 ? amount / double(volume) : 0;
        record.priceChange = record.lastPrice - preClose;
        record.priceChangeRatio = record.priceChange / preClose;
        record.openInterest = openInterest;
        record.preOpenInterest = preOpenInterest;
        if (instrument.suspended)
            return;

        // The last trade met the best bid when the seller started it and the best ask otherwise.
        const qint64 bestBid = buyerInitiated ? lastTicks - 1 : lastTicks;
        for (int level = 0; level < 10; ++level) {
            const qint64 ask = bestBid + 1 + level;
            const qint64 bid = bestBid - level;
            if (ask <= highLimitTicks) {
                record.askPrice[level] = price(ask);
                record.askVolume[level] = uint32_t((1 + draw(200)) * quint64(lot()));
            }
            if (bid >= lowLimitTicks) {
                record.bidPrice[level] = price(bid);
                record.bidVolume[level] = uint32_t((1 + draw(200)) * quint64(lot()));
            }
        }
    }
};

VSimMarket::VSimMarket(quint32 seed)
    : m_seed(seed)
{
}

VSimMarket::~VSimMarket() = default;

void VSimMarket::setSeed(quint32 seed)
{
    m_seed = seed;
    for (Security &security : m_securities)
        security.restart(seed, m_seconds);
}

quint32 VSimMarket::seed() const
{
    return m_seed;
}

bool VSimMarket::add(char market, const QByteArray &code, const VSimInstrument &instrument)
{
    const auto found = std::find_if(m_securities.cbegin(), m_securities.cend(),
                                    [&](const Security &s) { return s.market == market && s.code == code; });
    if (found != m_securities.cend())
        return true;
    const bool usable = instrument.isUsable();
    Security security;
    security.market = market;
    security.code = code;
    security.instrument = usable ? instrument : VSimInstrument();
    security.restart(m_seed, m_seconds);
    m_securities.push_back(security);
    return usable;
}

void VSimMarket::remove(char market, const QByteArray &code)
{
    const auto found = std::find_if(m_securities.cbegin(), m_securities.cend(),
                                    [&](const Security &s) { return s.market == market && s.code == code; });
    if (found == m_securities.cend())
        return;
    const size_t index = size_t(found - m_securities.cbegin());
    m_securities.erase(found);
    if (index < m_cursor)
        --m_cursor;
    if (m_cursor >= m_securities.size())
        m_cursor = 0;
}

int VSimMarket::count() const
{
    return int(m_securities.size());
}

void VSimMarket::next(VQuotData &record, double seconds)
{
    m_seconds = std::max(m_seconds, seconds);
    Security &security = m_securities[m_cursor];
    m_cursor = (m_cursor + 1) % m_securities.size();
    security.trade(m_seconds);
    security.write(record);
}
