#include "vnatsquotfeed.h"

#include "vnatslink.h"
#include "vquotnatslog.h"
#include "vquotsubject.h"

#include <voutput.h>
#include <vquotmgr.h>
#include <vquotsubscriber.h>

#include <QTimer>

#include <nats/nats.h>

#include <cstring>
#include <memory>

namespace {

// A kind of refused frame that stays away this long ends its episode in the log.
constexpr int QuietEpisodeMs = 5000;

} // namespace

VNatsQuotFeed::VNatsQuotFeed(QObject *parent)
    : VQuotFeed(parent)
    , m_link(new VNatsLink(this))
{
    connect(m_link, &VNatsLink::stateChanged, this, [this] { setLinkState(m_link->state(), m_link->detail()); });
    auto *episodes = new QTimer(this);
    episodes->setInterval(1000);
    connect(episodes, &QTimer::timeout, this, [this] { m_rejects.endQuietEpisodes(QuietEpisodeMs); });
    episodes->start();
}

VNatsQuotFeed::~VNatsQuotFeed()
{
    for (Route *route : qAsConst(m_routes))
        release(route);
    m_routes.clear();
    // The client library calls onComplete once a subscription's handler has returned for the last time.
    QMutexLocker lock(&m_liveMutex);
    while (m_live > 0)
        m_allComplete.wait(&m_liveMutex);
}

bool VNatsQuotFeed::open(const VNatsSettings &settings, QString *error)
{
    if (!m_link->open(settings, error))
        return false;
    setLinkState(m_link->state(), m_link->detail());
    return true;
}

bool VNatsQuotFeed::subscribe(const QStringList &products)
{
    natsConnection *connection = m_link->connection();
    QStringList made;
    QString failure;
    for (const QString &key : products) {
        auto route = std::make_unique<Route>(Route {this, 0, QByteArray()});
        if (!VQuotSubscriber::splitProductKey(key, &route->market, &route->code)) {
            failure = QStringLiteral("证券【%1】格式无效").arg(key);
            break;
        }
        if (m_routes.contains(key))
            continue;
        const natsStatus status = connection
            ? natsConnection_Subscribe(&route->subscription, connection,
                                       VQuotSubject::of(route->market, route->code).constData(),
                                       &VNatsQuotFeed::onMessage, route.get())
            : NATS_CONNECTION_CLOSED;
        if (status != NATS_OK) {
            failure = QStringLiteral("证券【%1】: %2").arg(key, QString::fromUtf8(natsStatus_GetText(status)));
            break;
        }
        {
            QMutexLocker lock(&m_liveMutex);
            ++m_live;
        }
        natsSubscription_SetOnCompleteCB(route->subscription, &VNatsQuotFeed::onComplete, route.get());
        m_routes.insert(key, route.release());
        made << key;
    }
    if (failure.isEmpty()) {
        qCDebug(lcQuotNats) << "subscribed" << products;
        return true;
    }
    unsubscribe(made);
    VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(), QStringLiteral("行情总线拒绝订阅: %1").arg(failure));
    return false;
}

void VNatsQuotFeed::unsubscribe(const QStringList &products)
{
    for (const QString &key : products) {
        if (Route *route = m_routes.take(key))
            release(route);
    }
    qCDebug(lcQuotNats) << "unsubscribed" << products;
}

// Once unsubscribed, the route belongs to onComplete, which may free it at once.
void VNatsQuotFeed::release(Route *route)
{
    natsSubscription *subscription = route->subscription;
    natsSubscription_Unsubscribe(subscription);
    natsSubscription_Destroy(subscription);
}

quint64 VNatsQuotFeed::receivedCount() const
{
    return m_received.load(std::memory_order_relaxed);
}

const VQuotRejects &VNatsQuotFeed::rejects() const
{
    return m_rejects;
}

void VNatsQuotFeed::onMessage(natsConnection *, natsSubscription *, natsMsg *message, void *closure)
{
    const Route *route = static_cast<const Route *>(closure);
    route->feed->receive(*route, message);
    natsMsg_Destroy(message);
}

void VNatsQuotFeed::onComplete(void *closure)
{
    Route *route = static_cast<Route *>(closure);
    VNatsQuotFeed *feed = route->feed;
    delete route;
    QMutexLocker lock(&feed->m_liveMutex);
    if (--feed->m_live == 0)
        feed->m_allComplete.wakeAll();
}

// The delivery thread of the client library.
void VNatsQuotFeed::receive(const Route &route, natsMsg *message)
{
    m_received.fetch_add(1, std::memory_order_relaxed);
    VQuotData record;
    QString detail;
    VQuotFrame::Defect defect = VQuotFrame::decode(natsMsg_GetData(message),
                                                   size_t(qMax(natsMsg_GetDataLength(message), 0)), record, &detail);
    if (defect == VQuotFrame::Defect::None
        && (record.market != route.market || std::strcmp(record.code, route.code.constData()) != 0))
        defect = VQuotFrame::Defect::Subject;
    if (defect != VQuotFrame::Defect::None) {
        m_rejects.reject(defect, natsMsg_GetSubject(message), detail);
        return;
    }
    if (VQuotMgr *target = manager())
        target->post(record);
}
