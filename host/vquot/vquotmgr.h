#pragma once

#include "vquot_global.h"

#include <QElapsedTimer>
#include <QHash>
#include <QMutex>
#include <QObject>
#include <QPointer>
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

    // Takes ownership of the feed (deleting an earlier one) and asks it for
    // every security already wanted; null detaches.
    void setFeed(VQuotFeed *feed);
    VQuotFeed *feed() const;

    // Starts delivery for exactly the subscriber's current product list. False
    // when the feed refuses; the earlier subscription then stays as it was.
    bool subscribe(VQuotSubscriber *subscriber);
    // Stops all delivery to the subscriber. A destroyed subscriber is dropped
    // on its own.
    bool unsubscribe(VQuotSubscriber *subscriber);
    bool isSubscribed(const VQuotSubscriber *subscriber) const;
    // The securities the feed is asked for, "market|code", sorted.
    QStringList wantedProducts() const;

    vq::QuotServerType serverType() const;

    // Hands one record to its subscribers now. GUI thread; from another
    // thread it is posted instead.
    void deliver(const VQuotData &record);
    // Queue records from any thread; queued records reach the GUI thread in
    // batches, one queued flush for all that arrive before it runs.
    void post(const VQuotData &record);
    void post(const QVector<VQuotData> &records);

    // Calls of receiving slots, and records dropped as malformed.
    quint64 deliveredCount() const;
    quint64 droppedCount() const;

signals:
    void subscriptionsChanged();

private:
    struct Subscription
    {
        QSet<QByteArray> products;
        QMetaObject::Connection destroyedConnection;
    };

    void drop(const VQuotSubscriber *subscriber);
    void dispatch(const VQuotData &record);
    bool isRouted(const VQuotSubscriber *subscriber, const QByteArray &key) const;
    bool checkRecord(const VQuotData &record);
    void scheduleFlush();
    void flushPosted();

    QPointer<VQuotFeed> m_feed;
    QHash<const VQuotSubscriber *, Subscription> m_subscriptions;
    // Per security the subscribers in the order they subscribed it; the size
    // of a route is the security's reference count.
    QHash<QByteArray, QVector<const VQuotSubscriber *>> m_routes;
    // Counts every change of the routes, so a delivery knows when its
    // snapshot of a route needs checking.
    quint64 m_routeGeneration = 0;

    QMutex m_postMutex;
    QVector<VQuotData> m_posted;
    QVector<VQuotData> m_spare; // the last flushed batch's storage, handed back to m_posted
    bool m_flushQueued = false;

    quint64 m_delivered = 0;
    quint64 m_dropped = 0;
    quint64 m_droppedUnreported = 0;
    QElapsedTimer m_dropReport;
};
