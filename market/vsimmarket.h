#pragma once

#include "vsimoption.h"

#include <QByteArray>
#include <QHash>
#include <QVector>

#include <vector>

struct VQuotData;

// The security an option is priced from, as far as the option needs it.
struct VSimUnderlying
{
    double preClose = 0;
    double priceStep = 0;
    double limitRatio = 0;
    double snapshotSeconds = 3;
};

// What the simulator needs to know of a security to move it believably.
struct VSimInstrument
{
    double preClose = 10.0; // previous close (futures and options: previous settlement)
    double priceStep = 0.01; // prices move by whole steps
    // Limit prices: preClose × (1 ± limitRatio) on the step grid. An option's
    // follow the exchange's rule from its underlying's close and its strike.
    double limitRatio = 0.10;
    double multiplier = 1; // amount = price × quantity × multiplier
    int lot = 100; // a trade's quantity is a whole number of lots
    bool futures = false; // futures and options: open interest and a previous settlement
    bool suspended = false;
    double snapshotSeconds = 3; // its exchange publishes a snapshot this often
    int levels = 5; // price levels each side, 1 to 10
    double activity = 1; // the chance that it trades in one snapshot
    double meanLots = 25.5; // the lots it trades in a snapshot it trades in, on average
    qint64 openInterest = 0; // futures and options: a typical open interest in lots; 0: drawn
    // The random walk that moves the price, with this standard deviation over
    // a day's four-hour session. Securities naming the same driver move
    // together (the contracts of a futures product, an option and its
    // underlying); an empty name is the security's own walk.
    QByteArray driver;
    double dailyVolatility = 0.02;
    // An option (option.strike > 0) is priced by its terms from its
    // underlying, whose price is the driver's walk on the underlying's grid.
    VSimOptionTerms option;
    VSimUnderlying underlying;

    bool isOption() const { return option.strike > 0; }
    // Positive finite prices, preClose at least one step, ratios in (0, 1),
    // 1 to 10 levels, an activity in [0, 1], at least a lot a trade, an open
    // interest not below 0; an option's terms and underlying too.
    bool isUsable() const;
};

// The simulated market without any threading. A security, once added, keeps
// its trading day until the seed changes: taking it away only stops its
// records, so its volume, amount, high and low carry on when it is wanted
// again. Every security and every driver draws from its own random stream,
// seeded from the market's seed and its name, so a security's day does not
// depend on which others are simulated beside it nor on when it was wanted.
//
// Two ways to run it. At the exchanges' pace (advance) each exchange
// publishes a snapshot every snapshotSeconds of market time; a security has
// a record in a snapshot when it traded in it or its quotes moved, and the
// drivers step with the snapshots of the securities they move. As a stress
// source (next) the wanted securities take turns, each turn one trade, and
// the drivers walk by the market time passed, so a minute moves prices alike
// whatever the number of records it holds.
class VSimMarket
{
public:
    explicit VSimMarket(quint32 seed = 1);
    ~VSimMarket();

    // A new day: every security restarts from its previous close.
    void setSeed(quint32 seed);
    quint32 seed() const;

    // Makes a security wanted. One known already keeps its day and its
    // parameters. An instrument that is not usable is replaced by the
    // defaults, and false is returned.
    bool add(char market, const QByteArray &code, const VSimInstrument &instrument);
    // No longer wanted: no more records, while its day goes on.
    void remove(char market, const QByteArray &code);
    // The wanted securities.
    int count() const;

    // Runs every snapshot due up to the market time seconds and appends the
    // records that wanted securities have in them.
    void advance(double seconds, QVector<VQuotData> &records);
    // The market time of the next snapshot; infinite with no security.
    double nextSnapshot() const;
    // The next wanted security in turn trades at the market time seconds
    // (non-decreasing from call to call) and writes its record. At least one
    // security must be wanted.
    void next(VQuotData &record, double seconds);
    // Writes the current record of a wanted security; false for any other.
    bool image(char market, const QByteArray &code, VQuotData &record) const;

private:
    struct Driver;
    struct Security;
    struct Snapshot; // the securities published together every so many seconds

    int driverIndex(const QByteArray &name, const VSimInstrument &instrument);

    std::vector<Driver> m_drivers;
    std::vector<Security> m_securities;
    std::vector<Snapshot> m_snapshots;
    QHash<QByteArray, int> m_index; // "market|code" → security
    std::vector<int> m_wanted; // the wanted securities in the order they take turns
    size_t m_cursor = 0;
    quint32 m_seed;
    double m_seconds = 0; // market time of the latest move; securities added or restarted start from it
};
