#include "vnatsquotimages.h"

#include "vnatsquotstream.h"
#include "vquotnatslog.h"

#include <voutput.h>

#include <nats/nats.h>

#include <cstring>
#include <utility>

namespace {

// The reply subscription's closure: the gate, kept alive by it.
template<typename Gate>
Gate &gateOf(void *closure)
{
    return **static_cast<std::shared_ptr<Gate> *>(closure);
}

} // namespace

VNatsQuotImages::VNatsQuotImages(Found found)
    : m_found(std::move(found))
    , m_gate(std::make_shared<Gate>(this))
{
    m_clock.start();
}

VNatsQuotImages::~VNatsQuotImages()
{
    if (!m_answers)
        return;
    natsSubscription_Unsubscribe(m_answers);
    natsSubscription_Destroy(m_answers);
    if (!m_gate->close(CallbackWaitMs))
        VOutput(2, QStringLiteral(__FILE__), __LINE__, QString(),
                QStringLiteral("行情总线最新行情的应答订阅%1毫秒内未结束, 不再等待").arg(CallbackWaitMs));
}

void VNatsQuotImages::request(natsConnection *connection, const QVector<QByteArray> &subjects)
{
    if (subjects.isEmpty())
        return;
    QVector<Pending> requests;
    requests.reserve(subjects.size());
    for (const QByteArray &subject : subjects)
        requests << Pending {subject, -1, 0, 1};
    send(connection, requests);
}

void VNatsQuotImages::retry(natsConnection *connection, qint64 unansweredMs)
{
    QVector<Pending> requests;
    {
        std::lock_guard<std::mutex> lock(m_pendingMutex);
        const qint64 now = m_clock.elapsed();
        for (auto pending = m_pending.begin(); pending != m_pending.end();) {
            // Each wait twice the one before: a cluster still recovering is not flooded.
            if (pending->sentMs > now - (unansweredMs << qMin(pending->attempts - 1, 4))) {
                ++pending;
                continue;
            }
            if (pending->firstMs > now - GiveUpMs)
                requests << Pending {pending->subject, pending->firstMs, 0, pending->attempts + 1};
            else
                qCDebug(lcQuotNats) << "no latest record came for" << pending->subject;
            pending = m_pending.erase(pending);
        }
    }
    if (!requests.isEmpty())
        send(connection, requests);
}

void VNatsQuotImages::clear()
{
    std::lock_guard<std::mutex> lock(m_pendingMutex);
    m_pending.clear();
}

int VNatsQuotImages::pendingCount() const
{
    std::lock_guard<std::mutex> lock(m_pendingMutex);
    return m_pending.size();
}

void VNatsQuotImages::send(natsConnection *connection, const QVector<Pending> &requests)
{
    if (!connection)
        return;
    natsStatus status = NATS_OK;
    if (!m_answers) {
        natsInbox *inbox = nullptr;
        status = natsInbox_Create(&inbox);
        auto *closure = new std::shared_ptr<Gate>(m_gate);
        if (status == NATS_OK) {
            m_inbox = QByteArray(inbox) + '.';
            natsInbox_Destroy(inbox);
            status = natsConnection_Subscribe(&m_answers, connection, (m_inbox + '*').constData(),
                                              &VNatsQuotImages::onAnswer, closure);
        }
        if (status == NATS_OK) {
            // Without its completion callback the closure is left to the library.
            status = natsSubscription_SetOnCompleteCB(m_answers, &VNatsQuotImages::onComplete, closure);
            if (status == NATS_OK)
                m_gate->subscribed();
            else
                natsSubscription_Destroy(std::exchange(m_answers, nullptr));
        } else {
            delete closure;
            m_answers = nullptr;
        }
    }
    // Known before an answer can arrive.
    QVector<quint64> ids;
    ids.reserve(requests.size());
    {
        std::lock_guard<std::mutex> lock(m_pendingMutex);
        const qint64 now = m_clock.elapsed();
        for (const Pending &request : requests) {
            ids << ++m_lastId;
            m_pending.insert(m_lastId,
                             Pending {request.subject, request.firstMs < 0 ? now : request.firstMs, now, request.attempts});
        }
    }
    for (int i = 0; status == NATS_OK && i < requests.size(); ++i)
        status = natsConnection_PublishRequest(
            connection, VNatsQuotStream::latestRequestSubject(requests.at(i).subject).constData(),
            (m_inbox + QByteArray::number(ids.at(i))).constData(), nullptr, 0);
    if (status != NATS_OK) {
        qCDebug(lcQuotNats) << "latest records not requested:" << natsStatus_GetText(status);
        return;
    }
    qCDebug(lcQuotNats) << "latest records requested for" << requests.size() << "securities";
}

quint64 VNatsQuotImages::foundCount() const
{
    return m_foundCount.load(std::memory_order_relaxed);
}

void VNatsQuotImages::onAnswer(natsConnection *, natsSubscription *, natsMsg *message, void *closure)
{
    Gate &gate = gateOf<Gate>(closure);
    if (VNatsQuotImages *images = gate.enter()) {
        images->answer(message);
        gate.leave();
    }
    natsMsg_Destroy(message);
}

void VNatsQuotImages::onComplete(void *closure)
{
    auto *holder = static_cast<std::shared_ptr<Gate> *>(closure);
    const std::shared_ptr<Gate> gate = std::move(*holder);
    delete holder;
    gate->completed();
}

// The delivery thread of the client library.
void VNatsQuotImages::answer(natsMsg *message)
{
    const char *replySubject = natsMsg_GetSubject(message);
    const quint64 id
        = QByteArray::fromRawData(replySubject, int(std::strlen(replySubject))).mid(m_inbox.size()).toULongLong();
    const char *subject = nullptr;
    const char *code = nullptr;
    const bool found = natsMsgHeader_Get(message, "Nats-Subject", &subject) == NATS_OK && subject;
    natsMsgHeader_Get(message, "Status", &code);
    // 404: the stream holds nothing of the security yet; its first record comes live.
    const bool never = !found && code && qstrcmp(code, "404") == 0;
    // Any other answer leaves the request to be sent again.
    if (found || never) {
        std::lock_guard<std::mutex> lock(m_pendingMutex);
        m_pending.remove(id);
    }
    if (found) {
        m_foundCount.fetch_add(1, std::memory_order_relaxed);
        m_failureLogged.store(false, std::memory_order_relaxed);
        m_found(subject, natsMsg_GetData(message), natsMsg_GetDataLength(message));
        return;
    }
    if (never || m_failureLogged.exchange(true, std::memory_order_relaxed))
        return;
    const char *description = nullptr;
    natsMsgHeader_Get(message, "Description", &description);
    const QString reason = natsMsg_IsNoResponders(message)
        ? QStringLiteral("总线上没有最新行情流 %1").arg(QLatin1String(VNatsQuotStream::Name))
        : QStringLiteral("%1 %2").arg(QString::fromUtf8(code ? code : "?"),
                                      QString::fromUtf8(description ? description : ""));
    VOutput(2, QStringLiteral(__FILE__), __LINE__, QString(),
            QStringLiteral("行情总线取不到证券的最新行情 (%1); 新订阅的证券等它的下一笔行情").arg(reason));
}
