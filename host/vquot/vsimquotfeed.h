#pragma once

#include "vquot_global.h"
#include "vquotfeed.h"
#include "vsimmarket.h"

#include <QVector>

#include <functional>

// An in-process simulated market (VSimMarket) on its own worker thread: it
// posts the records of every wanted security to the manager, or hands them
// to a sink, at a configurable total rate. Deterministic per security for a
// given seed.
class VQUOT_EXPORT VSimQuotFeed : public VQuotFeed
{
    Q_OBJECT
public:
    // Fills out with a security's parameters; false when it does not know the security.
    using Resolver = std::function<bool(char market, const QString &code, VSimInstrument &out)>;
    // Takes each batch of records on the worker thread.
    using Sink = std::function<void(const QVector<VQuotData> &batch)>;

    explicit VSimQuotFeed(QObject *parent = nullptr);
    ~VSimQuotFeed() override;

    // Called on the GUI thread when a security becomes wanted; securities it
    // does not know get the VSimInstrument defaults.
    void setResolver(Resolver resolver);
    // Restarts every security from its previous close.
    void setSeed(quint32 seed);
    // Records per second over all wanted securities (at least 1).
    void setRate(int recordsPerSecond);
    int rate() const;
    void setPaused(bool paused);
    bool isPaused() const;

    // Records go to the manager's post().
    void attach(VQuotMgr *manager) override;
    // Records go to sink instead of a manager (a publisher of the simulated market).
    void setSink(Sink sink);
    bool subscribe(const QStringList &products) override;
    void unsubscribe(const QStringList &products) override;

    // Starts and stops the worker thread; the destructor stops it too.
    void start();
    void stop();
    bool isRunning() const;

private:
    class Worker;
    Worker *m_worker; // a child of the feed, stopped before it is deleted
    Resolver m_resolver;
};
