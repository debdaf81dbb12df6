#include "vnatsquotfeed.h"

#include "vnatslink.h"
#include "vnatsquotimages.h"
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
// How often the feed looks after refusals and unanswered requests for latest records.
constexpr int HousekeepingMs = 250;
// A request for a latest record unanswered this long is sent again.
constexpr int UnansweredMs = 500;

} // namespace

VNatsQuotFeed::VNatsQuotFeed(QObject *parent)
    : VQuotFeed(parent)
    , m_link(new VNatsLink(this))
    , m_images(new VNatsQuotImages(
          [this](const char *subject, const char *frame, int length) { receive(subject, frame, length, nullptr); }))
    , m_gate(std::make_shared<Gate>(this))
{
    connect(m_link, &VNatsLink::stateChanged, this, &VNatsQuotFeed::followLink);
    auto *housekeeping = new QTimer(this);
    housekeeping->setInterval(HousekeepingMs);
    connect(housekeeping, &QTimer::timeout, this, [this] {
        m_rejects.endQuietEpisodes(QuietEpisodeMs);
        if (linkState() != LinkState::Connected)
            return;
        m_images->retry(m_link->connection(), UnansweredMs);
        // Current again once every latest record asked for at the
        // reconnection has come or been given up.
        if (!isCurrent() && m_images->pendingCount() == 0)
            setCurrent(true);
    });
    housekeeping->start();
    setCurrent(false);
}

VNatsQuotFeed::~VNatsQuotFeed()
{
    m_images.reset();
    for (Route *route : qAsConst(m_routes))
        release(route);
    m_routes.clear();
    // The client library calls onComplete once a subscription's handler has returned for the last time.
    if (!m_gate->close(CallbackWaitMs))
        VOutput(2, QStringLiteral(__FILE__), __LINE__, QString(),
                QStringLiteral("行情总线客户端%1毫秒内未等到订阅结束, 不再等待").arg(CallbackWaitMs));
}

bool VNatsQuotFeed::open(const VNatsSettings &settings, QString *error)
{
    if (!m_link->open(settings, error))
        return false;
    setLinkServers(m_link->servers());
    followLink();
    return true;
}

bool VNatsQuotFeed::subscribe(const QStringList &products)
{
    natsConnection *connection = m_link->connection();
    QStringList made;
    QVector<QByteArray> subjects;
    QString failure;
    for (const QString &key : products) {
        auto route = std::make_unique<Route>(Route {m_gate, 0, QByteArray(), QByteArray()});
        if (!VQuotSubscriber::splitProductKey(key, &route->market, &route->code)) {
            failure = QStringLiteral("证券【%1】格式无效").arg(key);
            break;
        }
        if (m_routes.contains(key))
            continue;
        const QByteArray subject = VQuotSubject::of(route->market, route->code);
        route->subject = subject;
        // Wanted before its first frame can arrive.
        m_order.track(subject);
        natsStatus status = connection ? natsConnection_Subscribe(&route->subscription, connection,
                                                                  subject.constData(), &VNatsQuotFeed::onMessage,
                                                                  route.get())
                                       : NATS_CONNECTION_CLOSED;
        if (status == NATS_OK) {
            status = natsSubscription_SetOnCompleteCB(route->subscription, &VNatsQuotFeed::onComplete, route.get());
            // Without its completion callback nobody knows when the route's
            // handler ran for the last time: the route is left to the library.
            if (status != NATS_OK)
                release(route.release());
        }
        if (status != NATS_OK)
            m_order.forget(subject);
        // A closed connection takes nothing; the link's state says why.
        if (status == NATS_CONNECTION_CLOSED)
            continue;
        if (status != NATS_OK) {
            failure = QStringLiteral("证券【%1】: %2").arg(key, QString::fromUtf8(natsStatus_GetText(status)));
            break;
        }
        m_gate->subscribed();
        subjects << subject;
        m_routes.insert(key, route.release());
        made << key;
    }
    if (failure.isEmpty()) {
        qCDebug(lcQuotNats) << "subscribed" << made;
        // While connecting or reconnecting, the images follow once connected.
        if (m_link->state() == LinkState::Connected)
            m_images->request(connection, subjects);
        return true;
    }
    unsubscribe(made);
    VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(), QStringLiteral("行情总线拒绝订阅: %1").arg(failure));
    return false;
}

void VNatsQuotFeed::unsubscribe(const QStringList &products)
{
    for (const QString &key : products) {
        if (Route *route = m_routes.take(key)) {
            m_order.forget(route->subject);
            release(route);
        }
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

// Every (re)connection asks for the latest record of every wanted security:
// what was published while the client was away, or before it connected.
void VNatsQuotFeed::followLink()
{
    const LinkState state = m_link->state();
    const bool connected = state == LinkState::Connected && linkState() != LinkState::Connected;
    setLinkState(state, m_link->detail());
    if (state != LinkState::Connected)
        setCurrent(false);
    if (!connected)
        return;
    m_images->clear();
    QVector<QByteArray> subjects;
    subjects.reserve(m_routes.size());
    for (const Route *route : qAsConst(m_routes))
        subjects << route->subject;
    m_images->request(m_link->connection(), subjects);
}

quint64 VNatsQuotFeed::receivedCount() const
{
    return m_received.load(std::memory_order_acquire);
}

quint64 VNatsQuotFeed::imageCount() const
{
    return m_images->foundCount();
}

const VQuotRejects &VNatsQuotFeed::rejects() const
{
    return m_rejects;
}

void VNatsQuotFeed::onMessage(natsConnection *, natsSubscription *, natsMsg *message, void *closure)
{
    const Route *route = static_cast<const Route *>(closure);
    if (VNatsQuotFeed *feed = route->gate->enter()) {
        feed->receive(natsMsg_GetSubject(message), natsMsg_GetData(message), natsMsg_GetDataLength(message), route);
        // Counted once handled: a frame counted has been posted or refused.
        feed->m_received.fetch_add(1, std::memory_order_release);
        route->gate->leave();
    }
    natsMsg_Destroy(message);
}

void VNatsQuotFeed::onComplete(void *closure)
{
    Route *route = static_cast<Route *>(closure);
    const std::shared_ptr<Gate> gate = std::move(route->gate);
    delete route;
    gate->completed();
}

// The delivery thread of the client library: a frame of subject, live on the
// route's subscription or, without a route, the stream's latest record.
void VNatsQuotFeed::receive(const char *subject, const char *frame, int length, const Route *route)
{
    VQuotData record;
    QString detail;
    quint64 sequence = 0;
    VQuotFrame::Defect defect = VQuotFrame::decode(frame, size_t(qMax(length, 0)), record, &detail, &sequence);
    if (defect == VQuotFrame::Defect::None) {
        const bool ofSubject = route
            ? record.market == route->market && std::strcmp(record.code, route->code.constData()) == 0
            : VQuotSubject::of(record.market, record.codeText()) == subject;
        if (!ofSubject)
            defect = VQuotFrame::Defect::Subject;
    }
    if (defect != VQuotFrame::Defect::None) {
        m_rejects.reject(defect, subject, detail);
        return;
    }
    m_order.admit(subject, sequence, [this, &record] {
        if (VQuotMgr *target = manager())
            target->post(record);
    });
}
