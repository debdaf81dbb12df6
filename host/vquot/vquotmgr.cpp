#include "vquotmgr.h"

#include "vquotcheck.h"
#include "vquotfeed.h"
#include "vquotlog.h"
#include "vquotqueue.h"
#include "vquotsubscriber.h"
#include "vthreadwake.h"

#include <voutput.h>

#include <QThread>

#include <atomic>
#include <utility>

Q_LOGGING_CATEGORY(lcQuot, "tarn.vquot", QtInfoMsg)

namespace {

std::atomic<VQuotMgr *> s_instance {nullptr};

// A flood of malformed records is reported once per interval with a count.
constexpr qint64 DropReportIntervalMs = 1000;

QString marketText(char market)
{
    if (market > ' ' && market < 0x7f)
        return QString(QLatin1Char(market));
    return QStringLiteral("0x%1").arg(uint(uchar(market)), 2, 16, QLatin1Char('0'));
}

} // namespace

VQuotMgr::VQuotMgr(QObject *parent)
    : QObject(parent)
    , m_queue(new VQuotQueue)
    , m_wake(new VThreadWake(this))
{
    connect(m_wake, &VThreadWake::woken, this, &VQuotMgr::flushPosted);
    s_instance.store(this, std::memory_order_release);
}

VQuotMgr::~VQuotMgr()
{
    // The feed goes first: a feed thread may still be posting to this manager.
    delete m_feed.data();
    VQuotMgr *self = this;
    s_instance.compare_exchange_strong(self, nullptr, std::memory_order_release);
}

VQuotMgr *VQuotMgr::instance()
{
    return s_instance.load(std::memory_order_acquire);
}

void VQuotMgr::setFeed(VQuotFeed *feed)
{
    if (feed == m_feed)
        return;
    delete m_feed.data();
    m_feed = feed;
    if (!feed)
        return;
    feed->setParent(this);
    feed->attach(this);
    const QStringList wanted = wantedProducts();
    if (!wanted.isEmpty() && !feed->subscribe(wanted)) {
        VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(),
                QStringLiteral("新行情源拒绝了已有的订阅:【%1】").arg(wanted.join(QLatin1Char(';'))));
    }
}

VQuotFeed *VQuotMgr::feed() const
{
    return m_feed;
}

bool VQuotMgr::subscribe(VQuotSubscriber *subscriber)
{
    if (!subscriber)
        return false;
    QSet<QByteArray> wanted;
    for (const QString &product : subscriber->productList())
        wanted.insert(product.toUtf8());

    const auto found = m_subscriptions.constFind(subscriber);
    const QSet<QByteArray> accepted = found != m_subscriptions.cend() ? found->products : QSet<QByteArray>();
    QStringList newlyWanted;
    QStringList noLongerWanted;
    for (const QByteArray &key : wanted) {
        if (!accepted.contains(key) && !m_routes.contains(key))
            newlyWanted.append(QString::fromUtf8(key));
    }
    for (const QByteArray &key : accepted) {
        if (!wanted.contains(key) && m_routes.value(key).size() == 1)
            noLongerWanted.append(QString::fromUtf8(key));
    }
    newlyWanted.sort();
    noLongerWanted.sort();

    // The new routes come before the feed is asked, so that what it sends at
    // once (the securities' current records) finds them.
    {
        std::unique_lock<std::mutex> lock(m_postMutex);
        for (const QByteArray &key : wanted) {
            if (!accepted.contains(key))
                addRoute(key, subscriber);
        }
    }
    if (!newlyWanted.isEmpty() && m_feed && !m_feed->subscribe(newlyWanted)) {
        std::unique_lock<std::mutex> lock(m_postMutex);
        QStringList released; // the refused ones
        for (const QByteArray &key : wanted) {
            if (!accepted.contains(key))
                removeRoute(key, subscriber, released);
        }
        lock.unlock();
        VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(),
                QStringLiteral("行情订阅者【%1】的订阅被行情源拒绝:【%2】")
                    .arg(subscriber->subName(), newlyWanted.join(QLatin1Char(';'))));
        return false;
    }
    {
        std::unique_lock<std::mutex> lock(m_postMutex);
        QStringList released; // already in noLongerWanted, sorted
        for (const QByteArray &key : accepted) {
            if (!wanted.contains(key))
                removeRoute(key, subscriber, released);
        }
    }
    // A security already streamed reaches its new subscriber with its latest
    // record in the next batch instead of at its next record.
    bool images = false;
    for (const QByteArray &key : wanted) {
        if (!accepted.contains(key) && m_latest.contains(key)) {
            m_images.append({subscriber, key});
            images = true;
        }
    }
    if (images) {
        std::unique_lock<std::mutex> lock(m_postMutex);
        scheduleFlush();
    }
    Subscription &subscription = m_subscriptions[subscriber];
    if (!subscription.destroyedConnection) {
        subscription.destroyedConnection
            = connect(subscriber, &QObject::destroyed, this, [this, subscriber] { drop(subscriber); });
    }
    subscription.products = wanted;
    ++m_routeGeneration;

    if (!noLongerWanted.isEmpty() && m_feed)
        m_feed->unsubscribe(noLongerWanted);
    qCDebug(lcQuot) << "subscriber" << subscriber->subName() << "accepted" << wanted.size() << "securities;"
                    << "feed asked for" << newlyWanted << "released" << noLongerWanted;
    emit subscriptionsChanged();
    return true;
}

bool VQuotMgr::unsubscribe(VQuotSubscriber *subscriber)
{
    if (!subscriber)
        return false;
    drop(subscriber);
    return true;
}

// Never dereferences subscriber: it also runs while the subscriber is being destroyed.
void VQuotMgr::drop(const VQuotSubscriber *subscriber)
{
    const auto found = m_subscriptions.find(subscriber);
    if (found == m_subscriptions.end())
        return;
    QStringList noLongerWanted;
    {
        std::unique_lock<std::mutex> lock(m_postMutex);
        for (const QByteArray &key : qAsConst(found->products))
            removeRoute(key, subscriber, noLongerWanted);
    }
    disconnect(found->destroyedConnection);
    m_subscriptions.erase(found);
    ++m_routeGeneration;

    noLongerWanted.sort();
    if (!noLongerWanted.isEmpty() && m_feed)
        m_feed->unsubscribe(noLongerWanted);
    qCDebug(lcQuot) << "subscriber dropped; feed released" << noLongerWanted;
    emit subscriptionsChanged();
}

// Called with m_postMutex held: the queue learns which securities it may hold.
void VQuotMgr::addRoute(const QByteArray &key, const VQuotSubscriber *subscriber)
{
    QVector<const VQuotSubscriber *> &route = m_routes[key];
    if (route.isEmpty())
        m_queue->want(key);
    route.append(subscriber);
}

// Called with m_postMutex held. A security that loses its last subscriber
// is appended to released.
void VQuotMgr::removeRoute(const QByteArray &key, const VQuotSubscriber *subscriber, QStringList &released)
{
    const auto route = m_routes.find(key);
    route->removeOne(subscriber);
    if (!route->isEmpty())
        return;
    m_routes.erase(route);
    m_queue->unwant(key);
    // Not streamed any more, its latest record soon would not be.
    m_latest.remove(key);
    released.append(QString::fromUtf8(key));
}

bool VQuotMgr::isSubscribed(const VQuotSubscriber *subscriber) const
{
    return m_subscriptions.contains(subscriber);
}

QStringList VQuotMgr::wantedProducts() const
{
    QStringList products;
    products.reserve(m_routes.size());
    for (auto it = m_routes.cbegin(); it != m_routes.cend(); ++it)
        products.append(QString::fromUtf8(it.key()));
    products.sort();
    return products;
}

vq::QuotServerType VQuotMgr::serverType() const
{
    return m_feed ? vq::QuotServerType(m_feed->serverType()) : vq::QST_Full;
}

void VQuotMgr::deliver(const VQuotData &record)
{
    if (QThread::currentThread() != thread()) {
        post(record);
        return;
    }
    {
        std::unique_lock<std::mutex> lock(m_postMutex);
        if (!checkRecord(record))
            return;
    }
    dispatch(record);
}

void VQuotMgr::post(const VQuotData &record)
{
    lockForPosting();
    enqueue(record);
    m_postMutex.unlock();
}

void VQuotMgr::post(const QVector<VQuotData> &records)
{
    lockForPosting();
    for (const VQuotData &record : records)
        enqueue(record);
    m_postMutex.unlock();
}

// Takes m_postMutex for a feed thread, keeping the longest time it had to
// wait for the GUI thread to let go of it.
void VQuotMgr::lockForPosting()
{
    if (m_postMutex.try_lock())
        return;
    QElapsedTimer waited;
    waited.start();
    m_postMutex.lock();
    m_longestPostWaitNs = qMax(m_longestPostWaitNs, waited.nsecsElapsed());
}

qint64 VQuotMgr::takeLongestPostWaitNs()
{
    std::unique_lock<std::mutex> lock(m_postMutex);
    return std::exchange(m_longestPostWaitNs, 0);
}

// Called with m_postMutex held.
void VQuotMgr::enqueue(const VQuotData &record)
{
    if (!checkRecord(record))
        return;
    switch (m_queue->push(record)) {
    case VQuotQueue::Queued: scheduleFlush(); break;
    case VQuotQueue::Conflated: ++m_conflated; break;
    case VQuotQueue::Unwanted: break;
    }
}

// Called with m_postMutex held.
void VQuotMgr::scheduleFlush()
{
    if (m_flushQueued)
        return;
    m_flushQueued = true;
    m_wake->wake();
}

void VQuotMgr::flushPosted()
{
    // A receiver may post or deliver while the batch is handed out; the
    // batch is a local, its storage goes back to the queue afterwards.
    std::vector<VQuotData> batch;
    batch.swap(m_batch);
    {
        std::unique_lock<std::mutex> lock(m_postMutex);
        m_queue->take(batch);
        m_flushQueued = false;
    }
    // The latest records of securities newly subscribed go first: a record
    // of the batch is newer.
    const QVector<Image> images = std::exchange(m_images, {});
    for (const Image &image : images) {
        const auto latest = m_latest.constFind(image.key);
        if (latest != m_latest.cend() && isRouted(image.subscriber, image.key))
            deliverTo(image.subscriber, *latest);
    }
    for (const VQuotData &record : batch)
        dispatch(record);
    m_batch.swap(batch);
}

void VQuotMgr::dispatch(const VQuotData &record)
{
    char buffer[sizeof record.code + 2];
    const QByteArray key = vq::routeKey(record, buffer);
    const auto route = m_routes.constFind(key);
    if (route == m_routes.cend())
        return;
    ++m_records;
    if (m_tap)
        m_tap(record);
    // The route's own key: key itself lies over the stack.
    m_latest.insert(route.key(), record);

    // Receivers may subscribe, unsubscribe or delete subscribers while they
    // run. The snapshot keeps the walk stable; once the routes have changed,
    // each remaining subscriber is checked before it is touched.
    const QVector<const VQuotSubscriber *> targets = *route;
    const quint64 generation = m_routeGeneration;
    for (const VQuotSubscriber *subscriber : targets) {
        if (m_routeGeneration != generation && !isRouted(subscriber, key))
            continue;
        deliverTo(subscriber, record);
    }
}

// Lends the receiver a copy: it may keep nothing of the record, nor change the manager's.
void VQuotMgr::deliverTo(const VQuotSubscriber *subscriber, const VQuotData &record)
{
    QObject *receiver = subscriber->receiver();
    const int method = subscriber->receiverMethod();
    if (!receiver || method < 0)
        return;
    VQuotData lent = record;
    VQuotData *argument = &lent;
    void *args[] = {nullptr, &argument};
    QMetaObject::metacall(receiver, QMetaObject::InvokeMetaMethod, method, args);
    ++m_delivered;
}

bool VQuotMgr::isRouted(const VQuotSubscriber *subscriber, const QByteArray &key) const
{
    const auto found = m_subscriptions.constFind(subscriber);
    return found != m_subscriptions.cend() && found->products.contains(key);
}

// Called with m_postMutex held: post() checks records on the feed's thread.
bool VQuotMgr::checkRecord(const VQuotData &record)
{
    QString defect;
    if (vq::recordDefect(record, &defect) == vq::RecordDefect::None)
        return true;
    ++m_dropped;
    ++m_droppedUnreported;
    if (!m_dropReport.isValid() || m_dropReport.elapsed() >= DropReportIntervalMs) {
        VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(),
                QStringLiteral("丢弃格式错误的行情记录: %1 (市场 %2, 代码 \"%3\"); 自上次报告以来丢弃 %4 条, 共 %5 条")
                    .arg(defect, marketText(record.market), QString::fromLatin1(record.codeText().toPercentEncoding()))
                    .arg(m_droppedUnreported)
                    .arg(m_dropped));
        m_droppedUnreported = 0;
        m_dropReport.start();
    }
    return false;
}

void VQuotMgr::setTap(std::function<void(const VQuotData &)> tap)
{
    m_tap = std::move(tap);
}

quint64 VQuotMgr::recordCount() const
{
    return m_records;
}

quint64 VQuotMgr::deliveredCount() const
{
    return m_delivered;
}

quint64 VQuotMgr::conflatedCount() const
{
    std::unique_lock<std::mutex> lock(m_postMutex);
    return m_conflated;
}

quint64 VQuotMgr::droppedCount() const
{
    std::unique_lock<std::mutex> lock(m_postMutex);
    return m_dropped;
}

int VQuotMgr::queuedCount() const
{
    std::unique_lock<std::mutex> lock(m_postMutex);
    return m_queue->size();
}
