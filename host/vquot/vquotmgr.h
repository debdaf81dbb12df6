#pragma once

#include "vquot_global.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QVector>

#include "vquotdata.h"

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class VQuotFeed;
class VQuotQueue;
class VQuotSubscriber;
class VThreadWake;

// The client's quote service. Keeps which subscriber wants which security,
// asks the feed for the union of them, and delivers every record on the GUI
// thread to exactly the subscribers whose accepted list holds its security.
// A subscriber that starts wanting a security already streamed gets the
// security's latest record in the next delivery batch.
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
    // batches, one queued flush for all that arrive before it runs. While a
    // record of a security waits, a newer one of the same security replaces
    // it (conflation), so a GUI thread that falls behind receives the latest
    // record of each security once, and the queue never holds more records
    // than there are subscribed securities. Records of securities nobody
    // subscribed are not queued. Never waits for the GUI thread to catch up.
    void post(const VQuotData &record);
    void post(const QVector<VQuotData> &records);
    // Hands what was posted to its subscribers now rather than when the GUI
    // thread's event loop gets to it. GUI thread.
    void deliverPosted() { flushPosted(); }

    // Sees every record handed to subscribers, on the GUI thread, before
    // they do (a recorder of what the client receives); null removes it.
    void setTap(std::function<void(const VQuotData &record)> tap);

    // Records handed to subscribers (each once, however many receive it),
    // calls of receiving slots, records replaced by a newer one of the same
    // security before delivery, and records dropped as malformed.
    quint64 recordCount() const;
    quint64 deliveredCount() const;
    quint64 conflatedCount() const;
    quint64 droppedCount() const;
    // Records waiting for the GUI thread now.
    int queuedCount() const;
    // The longest time a post() waited for the GUI thread since the last call.
    qint64 takeLongestPostWaitNs();

signals:
    void subscriptionsChanged();

private:
    struct Subscription
    {
        QSet<QByteArray> products;
        QMetaObject::Connection destroyedConnection;
    };
    // A latest record owed to a new subscriber of a streamed security.
    struct Image
    {
        const VQuotSubscriber *subscriber;
        QByteArray key;
    };

    void drop(const VQuotSubscriber *subscriber);
    void addRoute(const QByteArray &key, const VQuotSubscriber *subscriber);
    void removeRoute(const QByteArray &key, const VQuotSubscriber *subscriber, QStringList &released);
    void lockForPosting();
    void enqueue(const VQuotData &record);
    void dispatch(const VQuotData &record);
    void deliverTo(const VQuotSubscriber *subscriber, const VQuotData &record);
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
    // GUI thread: the latest record delivered of every streamed security, and the images owed.
    QHash<QByteArray, VQuotData> m_latest;
    QVector<Image> m_images;

    // Guards the queue, the flush flag and the counters written by post();
    // the standard library's, which ThreadSanitizer sees through.
    mutable std::mutex m_postMutex;
    std::unique_ptr<VQuotQueue> m_queue;
    VThreadWake *m_wake; // a child: a feed thread wakes the GUI thread for a flush
    std::vector<VQuotData> m_batch; // the batch being delivered; its storage is reused
    bool m_flushQueued = false;
    quint64 m_conflated = 0;
    qint64 m_longestPostWaitNs = 0;
    quint64 m_dropped = 0;
    quint64 m_droppedUnreported = 0;
    QElapsedTimer m_dropReport;

    quint64 m_records = 0;
    quint64 m_delivered = 0;
    std::function<void(const VQuotData &)> m_tap;
};
