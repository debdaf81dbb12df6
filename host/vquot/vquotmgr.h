#pragma once

#include "vquot_global.h"

#include <QHash>
#include <QMutex>
#include <QObject>
#include <QSet>
#include <QVector>

#include "vquotdata.h"

class VQuotFeed;
class VQuotSubscriber;

// The client's quote service. Keeps which subscriber wants which security,
// asks the feed for the union of them, and delivers every record on the GUI
// thread to exactly the subscribers whose accepted list holds its security.
// One manager per process: the last one constructed is instance().
class VQUOT_EXPORT VQuotMgr : public QObject
{
    Q_OBJECT
public:
    explicit VQuotMgr(QObject *parent = nullptr);
    ~VQuotMgr() override;
    static VQuotMgr *instance();

    // Takes ownership of the feed (deleting an earlier one); null detaches.
    void setFeed(VQuotFeed *feed);
    VQuotFeed *feed() const;

    // Starts delivery for exactly the subscriber's current product list. False
    // when the feed refuses; the earlier subscription then stays as it was.
    bool subscribe(VQuotSubscriber *subscriber);
    // Stops all delivery to the subscriber.
    bool unsubscribe(VQuotSubscriber *subscriber);
    bool isSubscribed(const VQuotSubscriber *subscriber) const;
    // The securities the feed is asked for, "market|code".
    QStringList wantedProducts() const;

    vq::QuotServerType serverType() const;

    // Hands one record to its subscribers now. GUI thread only.
    void deliver(const VQuotData &record);
    // Queues a record from any thread; queued records reach the GUI thread in batches.
    void post(const VQuotData &record);

    // Counters for status displays and benchmarks.
    quint64 deliveredCount() const;
    quint64 droppedCount() const;

signals:
    void subscriptionsChanged();

private:
    void flushPosted();
    bool isWellFormed(const VQuotData &record) const;

    VQuotFeed *m_feed = nullptr;
    QHash<const VQuotSubscriber *, QSet<QByteArray>> m_accepted;
    QHash<QByteArray, QVector<VQuotSubscriber *>> m_routes;
    QHash<QByteArray, int> m_refCount;

    QMutex m_postMutex;
    QVector<VQuotData> m_posted;
    bool m_flushQueued = false;

    quint64 m_delivered = 0;
    quint64 m_dropped = 0;
};
