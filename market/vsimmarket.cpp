#include "vsimmarket.h"

#include <vquotdata.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

// Slack for comparing market times that are whole multiples of an interval.
constexpr double TimeSlack = 1e-9;
// A day's session, over which dailyVolatility is the standard deviation.
constexpr double SessionSeconds = 4 * 3600;
// A futures contract strays from its product's walk by about this much (a
// fraction of its price), pulled back within about ten minutes: calendar
// spreads move a little on their own but stay close to the previous day's.
constexpr double BasisDeviation = 0.0005;
constexpr double BasisSeconds = 600;
// An option's quotes widen by a step for every so many steps of its price.
constexpr qint64 StepsPerSpreadStep = 1000;
// The exchange's option limits: a fall of 10 % of the underlying's close; a
// rise of max{0.5 % of the close (calls) or of the strike (puts),
// min(2 × close − strike, close) × 10 % (calls) or min(2 × strike − close, close) × 10 % (puts)}.
constexpr double OptionLimitRatio = 0.10;
constexpr double OptionLeastRiseRatio = 0.005;

// splitmix64: small, fast and the same on every platform.
quint64 nextRandom(quint64 &state)
{
    quint64 z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// Uniform in (0, 1).
double uniform(quint64 &state)
{
    return (double(nextRandom(state) >> 11) + 0.5) / 9007199254740992.0;
}

// Standard normal (Box-Muller).
double gaussian(quint64 &state)
{
    const double radius = std::sqrt(-2.0 * std::log(uniform(state)));
    return radius * std::cos(6.283185307179586 * uniform(state));
}

// FNV-1a, so a stream depends on its name and nothing else.
quint64 nameHash(const QByteArray &name)
{
    quint64 hash = 0xCBF29CE484222325ull;
    for (char c : name) {
        hash ^= uchar(c);
        hash *= 0x100000001B3ull;
    }
    return hash;
}

quint64 stream(quint32 seed, const QByteArray &name)
{
    return (quint64(seed) << 32) ^ nameHash(name);
}

// Rounded half-up to whole steps, as the exchanges round limit prices.
qint64 roundHalfUp(double steps)
{
    return qint64(std::floor(steps + 0.5 + 1e-9));
}

// A price grid of whole steps ("ticks") with the day's limits. Prices are
// kept in ticks and turned into prices only when written, so they never
// leave the grid.
struct Grid
{
    double step = 0.01;
    qint64 pre = 0;
    qint64 low = 0;
    qint64 high = 0;

    // Limits of previous close × (1 ± ratio).
    void set(double preClose, double priceStep, double limitRatio)
    {
        step = priceStep;
        pre = std::llround(preClose / priceStep);
        high = roundHalfUp(double(pre) * (1 + limitRatio));
        low = std::max<qint64>(1, roundHalfUp(double(pre) * (1 - limitRatio)));
    }
    // The price a walk of logMove from the previous close has reached.
    qint64 at(double logMove) const { return qBound(low, std::llround(double(pre) * std::exp(logMove)), high); }
    double price(qint64 ticks) const
    {
        // Rounded to 1e-8 so that, say, 1001 steps of 0.01 read as 10.01.
        return std::round(double(ticks) * step * 1e8) / 1e8;
    }
};

} // namespace

bool VSimInstrument::isUsable() const
{
    const auto positive = [](double value) { return std::isfinite(value) && value > 0; };
    const auto ratio = [](double value) { return std::isfinite(value) && value > 0 && value < 1; };
    const bool own = positive(preClose) && positive(priceStep) && preClose >= priceStep && preClose / priceStep < 1e12
        && ratio(limitRatio) && positive(multiplier) && lot >= 1 && positive(snapshotSeconds) && levels >= 1
        && levels <= 10 && std::isfinite(activity) && activity >= 0 && activity <= 1 && std::isfinite(dailyVolatility)
        && dailyVolatility >= 0 && std::isfinite(meanLots) && meanLots >= 1 && openInterest >= 0;
    if (!own || !isOption())
        return own;
    return option.isUsable() && positive(underlying.preClose) && positive(underlying.priceStep)
        && underlying.preClose >= underlying.priceStep && underlying.preClose / underlying.priceStep < 1e12
        && ratio(underlying.limitRatio) && positive(underlying.snapshotSeconds);
}

// A random walk of the logarithm of prices. It steps at the points of its
// grid (the snapshots of the securities it moves), or by the time passed.
struct VSimMarket::Driver
{
    QByteArray name;
    double perRootSecond = 0;
    double gridSeconds = 1;
    quint64 random = 0;
    double logMove = 0;
    double seconds = 0; // the market time logMove belongs to

    void restart(quint32 seed, double now)
    {
        random = stream(seed, name);
        logMove = 0;
        seconds = now;
    }
    double at(double now, bool onGrid)
    {
        if (!onGrid) {
            if (now > seconds)
                walk(now);
            return logMove;
        }
        for (double point = std::floor(seconds / gridSeconds + TimeSlack) + 1; point * gridSeconds <= now + TimeSlack;
             ++point)
            walk(point * gridSeconds);
        return logMove;
    }
    void walk(double to)
    {
        logMove += perRootSecond * std::sqrt(std::max(0.0, to - seconds)) * gaussian(random);
        seconds = to;
    }
};

struct VSimMarket::Snapshot
{
    double seconds;
    qint64 next; // the next snapshot is at next × seconds
    std::vector<int> members;

    double due() const { return double(next) * seconds; }
};

struct VSimMarket::Security
{
    char market;
    QByteArray code;
    VSimInstrument instrument;
    int driver = 0;
    bool wanted = true;

    Grid grid;
    Grid underlying; // options
    quint64 random = 0;
    double seconds = 0; // market time of its latest step
    double basis = 0; // futures: its own stray from the product's walk, in log terms
    qint64 lastTicks = 0;
    qint64 openTicks = 0;
    qint64 highTicks = 0;
    qint64 lowTicks = 0;
    qint64 bidTicks = 0; // level 1
    qint64 askTicks = 0;
    qint64 intrinsicTicks = 0; // options: no trade below it
    bool traded = false;
    qint64 volume = 0;
    double amount = 0;
    qint64 preOpenInterest = 0;
    qint64 openInterest = 0;
    uint32_t askVolume[10] = {};
    uint32_t bidVolume[10] = {};

    quint64 draw(quint64 bound) { return nextRandom(random) % bound; }

    void restart(quint32 seed, double now, double logMove)
    {
        random = stream(seed, QByteArray(1, market) + '|' + code);
        seconds = now;
        basis = 0;
        grid.set(instrument.preClose, instrument.priceStep, instrument.limitRatio);
        if (instrument.isOption())
            setOptionLimits();
        lastTicks = grid.pre;
        openTicks = highTicks = lowTicks = 0;
        traded = false;
        volume = 0;
        amount = 0;
        // A typical open interest give or take a fifth; without one, anything from 10,000 to 100,000 lots.
        if (!instrument.futures)
            preOpenInterest = 0;
        else if (instrument.openInterest > 0)
            preOpenInterest = qint64(double(instrument.openInterest) * (0.8 + 0.4 * uniform(random)));
        else
            preOpenInterest = qint64(10000 + draw(90000));
        openInterest = preOpenInterest;
        bidTicks = lastTicks;
        askTicks = lastTicks + 1;
        intrinsicTicks = 0;
        if (instrument.isOption())
            quote(logMove);
        drawVolumes();
    }

    // Moves to the market time now, the driver's walk at logMove. True when
    // it traded or its quotes moved: it has a new record.
    bool step(double now, double logMove, bool mustTrade)
    {
        const double elapsed = std::max(0.0, now - seconds);
        seconds = now;
        if (instrument.suspended)
            return false;
        if (instrument.futures && !instrument.isOption()) {
            const double keep = std::exp(-elapsed / BasisSeconds);
            basis = basis * keep + BasisDeviation * std::sqrt(1 - keep * keep) * gaussian(random);
        }
        bool moved = false;
        if (instrument.isOption()) {
            const qint64 bid = bidTicks;
            const qint64 ask = askTicks;
            quote(logMove);
            moved = bid != bidTicks || ask != askTicks;
        }
        const bool chance = uniform(random) < instrument.activity;
        // An option's last price below its intrinsic value is taken at once.
        if (!mustTrade && !chance && lastTicks >= intrinsicTicks) {
            if (moved)
                drawVolumes();
            return moved;
        }
        const bool buyerInitiated = draw(2) == 1;
        // Exponentially distributed around the security's mean, at least a lot.
        const qint64 lots = std::max<qint64>(1, std::llround(-instrument.meanLots * std::log(uniform(random))));
        const qint64 quantity = lots * instrument.lot;
        if (instrument.isOption()) {
            lastTicks = buyerInitiated || bidTicks < intrinsicTicks ? askTicks : bidTicks;
        } else {
            // The walk sets the price; a rise is the buyers' doing and a fall
            // the sellers', so the trade met the best ask or the best bid.
            // At an unchanged price the quotes stay as the last trade left them.
            const qint64 previous = lastTicks;
            lastTicks = grid.at(logMove + basis);
            bool buyers = bidTicks < lastTicks;
            if (lastTicks != previous)
                buyers = lastTicks > previous;
            else if (!traded)
                buyers = buyerInitiated;
            const qint64 bid = buyers ? lastTicks - 1 : lastTicks;
            moved = bid != bidTicks;
            bidTicks = bid;
            askTicks = bid + 1;
        }
        if (!traded) {
            openTicks = highTicks = lowTicks = lastTicks;
            traded = true;
        }
        highTicks = std::max(highTicks, lastTicks);
        lowTicks = std::min(lowTicks, lastTicks);
        volume += quantity;
        amount += double(quantity) * grid.price(lastTicks) * instrument.multiplier;
        // Open interest grows when both sides open, shrinks when both close, and stays when one hands over to the
        // other.
        if (instrument.futures) {
            const quint64 kind = draw(3);
            if (kind == 0)
                openInterest += quantity;
            else if (kind == 1)
                openInterest = std::max<qint64>(0, openInterest - quantity);
        }
        if (moved)
            drawVolumes();
        else
            take(lastTicks == askTicks, quantity);
        return true;
    }

    void write(VQuotData &record) const
    {
        std::memset(&record, 0, sizeof record);
        record.status = 1;
        record.market = market;
        record.setCode(code);
        record.suspendFlag = instrument.suspended ? 'T' : ' ';

        const double preClose = grid.price(grid.pre);
        record.preClosingPrice = preClose;
        record.preSettlementPrice = instrument.futures ? preClose : 0;
        record.highLimitPrice = grid.price(grid.high);
        record.lowLimitPrice = grid.price(grid.low);
        record.lastPrice = grid.price(lastTicks);
        if (traded) {
            record.openingPrice = grid.price(openTicks);
            record.highPrice = grid.price(highTicks);
            record.lowPrice = grid.price(lowTicks);
        }
        record.matchQuantity = volume;
        record.matchAmount = amount;
        record.avgPrice = volume > 0 ? amount / (double(volume) * instrument.multiplier) : 0;
        record.priceChange = record.lastPrice - preClose;
        record.priceChangeRatio = record.priceChange / preClose;
        record.openInterest = openInterest;
        record.preOpenInterest = preOpenInterest;
        if (instrument.suspended)
            return;
        for (int level = 0; level < instrument.levels; ++level) {
            if (askTicks + level <= grid.high) {
                record.askPrice[level] = grid.price(askTicks + level);
                record.askVolume[level] = askVolume[level];
            }
            if (bidTicks - level >= grid.low) {
                record.bidPrice[level] = grid.price(bidTicks - level);
                record.bidVolume[level] = bidVolume[level];
            }
        }
    }

private:
    void setOptionLimits()
    {
        const VSimUnderlying &u = instrument.underlying;
        const double strike = instrument.option.strike;
        const double rise = instrument.option.call
            ? std::max(OptionLeastRiseRatio * u.preClose,
                       std::min(2 * u.preClose - strike, u.preClose) * OptionLimitRatio)
            : std::max(OptionLeastRiseRatio * strike, std::min(2 * strike - u.preClose, u.preClose) * OptionLimitRatio);
        const double preClose = grid.price(grid.pre);
        grid.high = roundHalfUp((preClose + rise) / grid.step);
        grid.low = std::max<qint64>(1, roundHalfUp((preClose - OptionLimitRatio * u.preClose) / grid.step));
        underlying.set(u.preClose, u.priceStep, u.limitRatio);
    }

    // An option's quotes around its model value with the underlying where
    // the walk has taken it, at least a step apart, within the limits. The
    // ask is never below the intrinsic value; a deep in-the-money put's bid
    // can be (its European value lies below it), but nobody sells there.
    void quote(double logMove)
    {
        const VSimOptionTerms &terms = instrument.option;
        const double spot = underlying.price(underlying.at(logMove));
        const double model = terms.value(spot) / grid.step;
        intrinsicTicks = qint64(std::ceil(terms.intrinsic(spot) / grid.step - 1e-9));
        const qint64 spread = 1 + qint64(model) / StepsPerSpreadStep;
        bidTicks = std::max(qint64(std::floor(model - double(spread - 1) / 2)), grid.low);
        askTicks = std::min(std::max(bidTicks + spread, intrinsicTicks), grid.high);
        bidTicks = std::max(grid.low, std::min(bidTicks, askTicks - 1));
    }

    // A trade that left the quotes where they were took its quantity from the
    // best ask (a buyer's) or the best bid; an emptied level fills again.
    void take(bool fromAsk, qint64 quantity)
    {
        uint32_t &level = fromAsk ? askVolume[0] : bidVolume[0];
        level = qint64(level) > quantity ? uint32_t(qint64(level) - quantity)
                                         : uint32_t((1 + draw(200)) * quint64(instrument.lot));
    }

    void drawVolumes()
    {
        for (int level = 0; level < instrument.levels; ++level) {
            askVolume[level] = uint32_t((1 + draw(200)) * quint64(instrument.lot));
            bidVolume[level] = uint32_t((1 + draw(200)) * quint64(instrument.lot));
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
    for (Driver &driver : m_drivers)
        driver.restart(seed, m_seconds);
    for (Security &security : m_securities)
        security.restart(seed, m_seconds, 0);
}

quint32 VSimMarket::seed() const
{
    return m_seed;
}

int VSimMarket::driverIndex(const QByteArray &name, const VSimInstrument &instrument)
{
    const auto found
        = std::find_if(m_drivers.cbegin(), m_drivers.cend(), [&name](const Driver &d) { return d.name == name; });
    if (found != m_drivers.cend())
        return int(found - m_drivers.cbegin());
    Driver driver;
    driver.name = name;
    driver.perRootSecond = instrument.dailyVolatility / std::sqrt(SessionSeconds);
    driver.gridSeconds = instrument.isOption() ? instrument.underlying.snapshotSeconds : instrument.snapshotSeconds;
    driver.restart(m_seed, m_seconds);
    m_drivers.push_back(driver);
    return int(m_drivers.size() - 1);
}

bool VSimMarket::add(char market, const QByteArray &code, const VSimInstrument &instrument)
{
    const QByteArray key = QByteArray(1, market) + '|' + code;
    const int known = m_index.value(key, -1);
    if (known >= 0) {
        if (!m_securities[size_t(known)].wanted) {
            m_securities[size_t(known)].wanted = true;
            m_wanted.push_back(known);
        }
        return true;
    }
    const bool usable = instrument.isUsable();
    const int index = int(m_securities.size());
    Security security;
    security.market = market;
    security.code = code;
    security.instrument = usable ? instrument : VSimInstrument();
    security.driver
        = driverIndex(security.instrument.driver.isEmpty() ? key : security.instrument.driver, security.instrument);
    security.restart(m_seed, m_seconds, m_drivers[size_t(security.driver)].logMove);
    m_securities.push_back(security);
    m_index.insert(key, index);
    m_wanted.push_back(index);

    const double seconds = security.instrument.snapshotSeconds;
    auto snapshot = std::find_if(m_snapshots.begin(), m_snapshots.end(),
                                 [seconds](const Snapshot &s) { return s.seconds == seconds; });
    if (snapshot == m_snapshots.end())
        snapshot = m_snapshots.insert(m_snapshots.end(),
                                      Snapshot {seconds, qint64(std::floor(m_seconds / seconds + TimeSlack)) + 1, {}});
    snapshot->members.push_back(index);
    return usable;
}

void VSimMarket::remove(char market, const QByteArray &code)
{
    const int index = m_index.value(QByteArray(1, market) + '|' + code, -1);
    const auto found = std::find(m_wanted.begin(), m_wanted.end(), index);
    if (found == m_wanted.end())
        return;
    m_securities[size_t(index)].wanted = false;
    const size_t position = size_t(found - m_wanted.begin());
    m_wanted.erase(found);
    if (position < m_cursor)
        --m_cursor;
    if (m_cursor >= m_wanted.size())
        m_cursor = 0;
}

int VSimMarket::count() const
{
    return int(m_wanted.size());
}

void VSimMarket::advance(double seconds, QVector<VQuotData> &records)
{
    for (;;) {
        const auto due = std::min_element(m_snapshots.begin(), m_snapshots.end(),
                                          [](const Snapshot &a, const Snapshot &b) { return a.due() < b.due(); });
        if (due == m_snapshots.end() || due->due() > seconds + TimeSlack)
            break;
        const double now = due->due();
        for (const int index : due->members) {
            Security &security = m_securities[size_t(index)];
            const double logMove = m_drivers[size_t(security.driver)].at(now, true);
            if (security.step(now, logMove, false) && security.wanted) {
                records.append(VQuotData());
                security.write(records.last());
            }
        }
        ++due->next;
        m_seconds = std::max(m_seconds, now);
    }
    m_seconds = std::max(m_seconds, seconds);
}

double VSimMarket::nextSnapshot() const
{
    double next = std::numeric_limits<double>::infinity();
    for (const Snapshot &snapshot : m_snapshots)
        next = std::min(next, snapshot.due());
    return next;
}

void VSimMarket::next(VQuotData &record, double seconds)
{
    m_seconds = std::max(m_seconds, seconds);
    // Time taken by trades in turn holds no snapshots.
    for (Snapshot &snapshot : m_snapshots) {
        if (snapshot.due() <= m_seconds)
            snapshot.next = qint64(std::floor(m_seconds / snapshot.seconds + TimeSlack)) + 1;
    }
    Security &security = m_securities[size_t(m_wanted[m_cursor])];
    m_cursor = (m_cursor + 1) % m_wanted.size();
    security.step(m_seconds, m_drivers[size_t(security.driver)].at(m_seconds, false), true);
    security.write(record);
}

bool VSimMarket::image(char market, const QByteArray &code, VQuotData &record) const
{
    const int index = m_index.value(QByteArray(1, market) + '|' + code, -1);
    if (index < 0 || !m_securities[size_t(index)].wanted)
        return false;
    m_securities[size_t(index)].write(record);
    return true;
}
