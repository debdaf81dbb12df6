#include "vnatslink.h"

#include "vquotnatslog.h"

#include <voutput.h>
#include <vthreadwake.h>

#include <QPointer>
#include <QRegularExpression>
#include <QVector>

#include <nats/nats.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <utility>

Q_LOGGING_CATEGORY(lcQuotNats, "tarn.vquotnats", QtInfoMsg)

namespace {

// Between two attempts to reach a server that went away.
constexpr int ReconnectWaitMs = 500;
// How long the destructor waits for the client library's closing callback,
// and for the probe of a closed connection, whose one attempt per server
// takes at most ProbeConnectMs.
constexpr int CloseWaitMs = 1000;
constexpr int ProbeWaitMs = 500;
constexpr int ProbeConnectMs = 1000;

// The connection's last error, on the client library's threads only: the
// text lies in the connection, where its other threads may write the next.
QString lastError(natsConnection *connection)
{
    const char *text = nullptr;
    natsConnection_GetLastError(connection, &text);
    return text ? QString::fromUtf8(text) : QString();
}

// The last error of the calling thread's last call of the client library.
QString threadLastError(natsStatus fallback)
{
    natsStatus status = NATS_OK;
    const char *text = nats_GetLastError(&status);
    return QString::fromUtf8(text && *text ? text : natsStatus_GetText(fallback));
}

// The options that reach settings' server as settings' user; status keeps
// the first failure.
natsOptions *serverOptions(const VNatsSettings &settings, natsStatus *status)
{
    natsOptions *options = nullptr;
    *status = natsOptions_Create(&options);
    const auto set = [status](natsStatus result) {
        if (*status == NATS_OK)
            *status = result;
    };
    QVector<QByteArray> urls;
    QVector<const char *> servers;
    for (const QString &url : settings.urls)
        urls << url.toUtf8();
    for (const QByteArray &url : qAsConst(urls))
        servers << url.constData();
    set(natsOptions_SetServers(options, servers.data(), servers.size()));
    if (!settings.user.isEmpty())
        set(natsOptions_SetUserInfo(options, settings.user.toUtf8().constData(),
                                    settings.password.toUtf8().constData()));
    if (!settings.token.isEmpty())
        set(natsOptions_SetToken(options, settings.token.toUtf8().constData()));
    if (!settings.caFile.isEmpty()) {
        set(natsOptions_SetSecure(options, true));
        set(natsOptions_LoadCATrustedCertificates(options, settings.caFile.toLocal8Bit().constData()));
    }
    if (!settings.name.isEmpty())
        set(natsOptions_SetName(options, settings.name.toUtf8().constData()));
    return options;
}

} // namespace

// The client library's callbacks run on its own threads. They reach the link
// through this object, which they share with the link (their closure holds
// it until the library's last callback, the closed one, has run) and with
// the probe, so it outlives a link that stops waiting for them; the link
// detaches itself first. Its locks are the standard library's, which
// ThreadSanitizer sees through.
class VNatsLink::Events
{
public:
    using Closure = std::shared_ptr<Events>;

    static void connected(natsConnection *, void *closure) { self(closure)->post(State::Connected, QString()); }
    static void disconnected(natsConnection *connection, void *closure)
    {
        self(closure)->post(State::Reconnecting, lastError(connection));
    }
    static void closed(natsConnection *connection, void *closure)
    {
        Events *events = self(closure);
        events->post(State::Closed, lastError(connection));
        events->mark(Closed);
        delete static_cast<Closure *>(closure);
    }
    static void error(natsConnection *connection, natsSubscription *, natsStatus status, void *closure)
    {
        // The last error names the subject of a permission violation; a slow consumer leaves none of its own.
        const QString text = status == NATS_SLOW_CONSUMER ? QString() : lastError(connection);
        self(closure)->postError(text.isEmpty() ? QString::fromUtf8(natsStatus_GetText(status)) : text);
    }

    explicit Events(VNatsLink *owner)
        : m_owner(owner)
        , m_wake(new VThreadWake(owner))
    {
        QObject::connect(m_wake, &VThreadWake::woken, owner, &VNatsLink::takeEvents);
    }
    void detach()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_owner = nullptr;
        m_wake = nullptr;
    }
    // The client library's closing callback came (Closed), or the probe's
    // thread is done with everything but this object (Probed).
    enum Done { Closed, Probed };
    void mark(Done done)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_done[done] = true;
        m_marked.notify_all();
    }
    bool waitFor(Done done, int ms)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_marked.wait_for(lock, std::chrono::milliseconds(ms), [this, done] { return m_done[done]; });
    }

    void post(State state, const QString &reason)
    {
        toOwner([state, reason](VNatsLink *owner) { owner->setState(state, reason); });
    }
    // The link's thread: the first call waiting; none when none waits.
    std::function<void(VNatsLink *)> takeCall()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_calls.empty())
            return {};
        std::function<void(VNatsLink *)> call = std::move(m_calls.front());
        m_calls.pop_front();
        return call;
    }

private:
    static Events *self(void *closure) { return static_cast<Closure *>(closure)->get(); }

    // call(VNatsLink *) runs on the link's thread, unless the link is gone
    // by then. The calls wait here, under this object's lock, until the
    // wake makes the link take them.
    void toOwner(std::function<void(VNatsLink *)> call)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_owner)
            return;
        m_calls.push_back(std::move(call));
        if (m_calls.size() == 1)
            m_wake->wake();
    }
    void postError(const QString &text)
    {
        toOwner([text](VNatsLink *owner) { owner->reportError(text); });
    }

    std::mutex m_mutex;
    VNatsLink *m_owner;
    VThreadWake *m_wake; // the link's child
    std::deque<std::function<void(VNatsLink *)>> m_calls;
    std::condition_variable m_marked;
    bool m_done[2] = {false, false};
};

VNatsLink::VNatsLink(QObject *parent)
    : QObject(parent)
    , m_events(std::make_shared<Events>(this))
    , m_closure(new Events::Closure(m_events))
{
}

VNatsLink::~VNatsLink()
{
    m_events->detach();
    // A probe still asking posts to nobody once it is done; its thread is left to end on its own.
    if (m_probe.joinable()) {
        if (m_events->waitFor(Events::Probed, ProbeWaitMs)) {
            m_probe.join();
        } else {
            VOutput(2, QStringLiteral(__FILE__), __LINE__, QString(),
                    QStringLiteral("行情总线[%1]的登录探测%2毫秒内未结束, 不再等待").arg(m_servers).arg(ProbeWaitMs));
            m_probe.detach();
        }
    }
    if (!m_connection) {
        delete m_closure;
        return;
    }
    natsConnection_Close(m_connection);
    natsConnection_Destroy(m_connection);
    // The closed callback frees the closure whenever it comes.
    if (!m_events->waitFor(Events::Closed, CloseWaitMs))
        VOutput(2, QStringLiteral(__FILE__), __LINE__, QString(),
                QStringLiteral("行情总线[%1]关闭时%2毫秒内未等到客户端库的关闭回调, 不再等待").arg(m_servers).arg(CloseWaitMs));
}

bool VNatsLink::open(const VNatsSettings &settings, QString *error)
{
    Q_ASSERT(!m_connection);
    m_settings = settings;
    m_servers = settings.servers();
    natsStatus status = NATS_OK;
    natsOptions *options = serverOptions(settings, &status);
    const auto set = [&status](natsStatus result) {
        if (status == NATS_OK)
            status = result;
    };
    set(natsOptions_SetMaxReconnect(options, -1));
    set(natsOptions_SetReconnectWait(options, ReconnectWaitMs));
    // Every subscription's messages on one thread of the library instead of a thread per subscription.
    set(natsOptions_UseGlobalMessageDelivery(options, true));
    set(natsOptions_SetRetryOnFailedConnect(options, true, &Events::connected, m_closure));
    set(natsOptions_SetDisconnectedCB(options, &Events::disconnected, m_closure));
    set(natsOptions_SetReconnectedCB(options, &Events::connected, m_closure));
    set(natsOptions_SetClosedCB(options, &Events::closed, m_closure));
    set(natsOptions_SetErrorHandler(options, &Events::error, m_closure));
    if (status == NATS_OK) {
        status = natsConnection_Connect(&m_connection, options);
        if (status == NATS_OK)
            setState(State::Connected, QString());
        else if (status == NATS_NOT_YET_CONNECTED && m_connection)
            setState(State::Connecting, threadLastError(status));
    }
    natsOptions_Destroy(options);
    if (m_connection)
        return true;
    m_state = State::Closed;
    *error = QStringLiteral("行情总线[%1]无法使用: %2").arg(m_servers, QString::fromUtf8(natsStatus_GetText(status)));
    VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(), *error);
    return false;
}

natsConnection *VNatsLink::connection() const
{
    return m_connection;
}

VNatsLink::State VNatsLink::state() const
{
    return m_state;
}

QString VNatsLink::detail() const
{
    return m_detail;
}

QString VNatsLink::servers() const
{
    return m_servers;
}

QString VNatsLink::connectedServer() const
{
    char url[256];
    if (!m_connection || natsConnection_GetConnectedUrl(m_connection, url, sizeof url) != NATS_OK || !*url)
        return m_servers;
    return VNatsSettings::shown(QString::fromUtf8(url));
}

void VNatsLink::setState(State state, const QString &reason)
{
    // The client library gives up on its own only for a fatal answer of the
    // server, but by then its last error rarely says which: one connection
    // attempt without retries asks the server again.
    if (state == State::Closed && !m_probe.joinable()) {
        m_probe = std::thread([settings = m_settings, events = m_events] {
            probe(settings, events);
            events->mark(Events::Probed);
        });
        return;
    }
    if (m_state == State::Refused || m_state == State::Closed)
        return;
    const QString server = state == State::Connected ? connectedServer() : m_servers;
    if (state == m_state && state == State::Connected && server == m_detail)
        return;
    m_state = state;
    m_detail = reason.isEmpty() ? server : QStringLiteral("%1: %2").arg(server, reason);
    const int level = state == State::Connected                      ? 0
        : state == State::Connecting || state == State::Reconnecting ? 2
                                                                     : 3;
    VOutput(level, QStringLiteral(__FILE__), __LINE__, QString(),
            QStringLiteral("行情总线[%1]%2%3")
                .arg(server, VQuotFeed::linkStateText(state),
                     reason.isEmpty() ? QString() : QStringLiteral(": ") + reason));
    emit stateChanged();
}

// The probe's thread: one attempt per server, each bounded; the answer goes
// to the link through events, unless the link is gone by then.
void VNatsLink::probe(const VNatsSettings &settings, const std::shared_ptr<Events> &events)
{
    natsStatus status = NATS_OK;
    natsOptions *options = serverOptions(settings, &status);
    if (status == NATS_OK)
        status = natsOptions_SetTimeout(options, ProbeConnectMs);
    natsConnection *connection = nullptr;
    if (status == NATS_OK)
        status = natsConnection_Connect(&connection, options);
    natsStatus ignored;
    const char *text = nats_GetLastError(&ignored);
    QString reason = QString::fromUtf8(status == NATS_OK ? "" : text && *text ? text : natsStatus_GetText(status));
    // The library's own text begins with where in its source the error arose.
    reason.remove(QRegularExpression(QStringLiteral("^\\([^)]*\\): ")));
    if (connection)
        natsConnection_Destroy(connection);
    natsOptions_Destroy(options);
    events->post(status == NATS_CONNECTION_AUTH_FAILED ? State::Refused : State::Closed, reason);
}

// One call at a time: a slot may delete the link, or run an event loop that
// takes the next calls itself.
void VNatsLink::takeEvents()
{
    const QPointer<VNatsLink> alive(this);
    while (std::function<void(VNatsLink *)> call = m_events->takeCall()) {
        call(this);
        if (!alive)
            return;
    }
}

void VNatsLink::reportError(const QString &text)
{
    VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(),
            QStringLiteral("行情总线[%1]报错: %2").arg(connectedServer(), text));
    emit serverError(text);
}
