#pragma once

#include <vquotfeed.h>
#include "vsimmarket.h"

#include <QVector>

#include <functional>
#include <memory>

// An in-process simulated market (VSimMarket) on its own worker thread: it
// posts the records of every wanted security to the manager, or hands them
// to a sink, at the exchanges' pace or, for stress runs, at a given rate.
// Deterministic per security for a given seed. A security's current record
// goes out as soon as it is wanted, ahead of its next trade.
class VSimQuotFeed : public VQuotFeed
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
    // A new day: every security restarts from its previous close.
    void setSeed(quint32 seed);
    // 0: the exchanges' pace. Otherwise a stress run of that many records a
    // second over all wanted securities, each one in turn trading in every record.
    void setRate(int recordsPerSecond);
    int rate() const;
    void setPaused(bool paused);
    bool isPaused() const;

    // Records go to the manager's post().
    void attach(VQuotMgr *manager) override;
    // Records go to sink instead of a manager (a publisher of the simulated market).
    void setSink(Sink sink);
    // The current record of each newly wanted security goes out in the next batch.
    bool subscribe(const QStringList &products) override;
    void unsubscribe(const QStringList &products) override;
    // The current records of these wanted securities go out in the next
    // batch, ahead of what follows them (a publisher's initial image after it reconnects).
    void sendImages(const QStringList &products);

    // Starts and stops the worker thread; the destructor stops it too.
    void start();
    void stop();
    bool isRunning() const;
    // For a feed that is not started: runs the market at the exchanges' pace
    // up to the market time seconds on the caller's thread and hands what it
    // produced, the images waiting among it, to the sink at once.
    void advance(double seconds);

private:
    class Worker;
    std::unique_ptr<Worker> m_worker; // stopped before it is deleted
    Resolver m_resolver;
};
