#pragma once

#include "vquot_global.h"
#include "vquotfeed.h"

#include <QHash>
#include <QMutex>
#include <QThread>
#include <functional>

// What the simulator needs to know of a security to move it believably.
struct VSimInstrument
{
    double preClose = 10.0; // previous close (futures: previous settlement)
    double priceStep = 0.01; // prices move by whole steps
    double limitRatio = 0.10; // limit prices: preClose × (1 ± limitRatio), on the step grid
    bool futures = false; // futures and options carry open interest
    bool suspended = false;
};

// An in-process simulated market. A worker thread moves every wanted
// security by whole price steps inside its limit prices and posts full
// records (ten levels each side, volume, amount, open interest) to the
// manager at a configurable total rate. Deterministic for a given seed.
class VQUOT_EXPORT VSimQuotFeed : public VQuotFeed
{
    Q_OBJECT
public:
    using Resolver = std::function<bool(char market, const QString &code, VSimInstrument &out)>;

    explicit VSimQuotFeed(QObject *parent = nullptr);
    ~VSimQuotFeed() override;

    // Looks a security's parameters up; securities it does not know get the defaults above.
    void setResolver(Resolver resolver);
    void setSeed(quint32 seed);
    // Records per second over all wanted securities (at least 1).
    void setRate(int recordsPerSecond);
    int rate() const;
    void setPaused(bool paused);
    bool isPaused() const;

    bool subscribe(const QStringList &products) override;
    void unsubscribe(const QStringList &products) override;
    int serverType() const override;

    // Starts and stops the worker thread; the destructor stops it too.
    void start();
    void stop();

private:
    class Worker;
    Worker *m_worker = nullptr;
    QThread m_thread;
};
