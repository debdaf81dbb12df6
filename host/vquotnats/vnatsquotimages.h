#pragma once

#include "vnatscallbackgate.h"
#include "vquotnats_global.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QVector>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

typedef struct __natsConnection natsConnection;
typedef struct __natsSubscription natsSubscription;
typedef struct __natsMsg natsMsg;

// Reads securities' latest records from the quote stream (VNatsQuotStream),
// a batch at a time. The client library's own direct get waits for each
// answer before the next request, a round trip per security of a page;
// here every request of a batch goes out at once on the same API subject,
// each with a reply subject of its own under one reply subscription, and the
// answers come back on the library's delivery thread in whatever order the
// servers send them. A request that stays unanswered (lost with a server
// that died under it) or is answered by no stream (a cluster still electing
// its leaders after a restart, a bus that keeps no stream: logged once until
// a record comes again) is sent again, after half a second, then after
// waits twice as long each time, until GiveUpMs after the first. A security
// never published is answered without a record.
class VQUOTNATS_EXPORT VNatsQuotImages
{
public:
    static constexpr int GiveUpMs = 10000;

    // Called on the delivery thread with every record found: its subject and
    // its frame, untrusted.
    using Found = std::function<void(const char *subject, const char *frame, int length)>;

    static constexpr int CallbackWaitMs = 500;

    explicit VNatsQuotImages(Found found);
    // Ends the reply subscription and waits, up to CallbackWaitMs, until its
    // handler has returned for the last time (logged when it does not).
    ~VNatsQuotImages();

    // Asks for the latest record of every subject over connection, which
    // must stay the same for the object's life; a closed connection sends
    // nothing.
    void request(natsConnection *connection, const QVector<QByteArray> &subjects);
    // Asks again for what has had no record since it was last asked for:
    // unansweredMs after the first request, twice that after the second...
    // unless it was first asked for GiveUpMs ago.
    void retry(natsConnection *connection, qint64 unansweredMs);
    // Forgets every request still unanswered.
    void clear();
    // Requests sent and not yet answered or given up.
    int pendingCount() const;

    quint64 foundCount() const;

private:
    using Gate = VNatsCallbackGate<VNatsQuotImages>;
    struct Pending
    {
        QByteArray subject;
        qint64 firstMs; // -1 until sent
        qint64 sentMs;
        int attempts;
    };

    void send(natsConnection *connection, const QVector<Pending> &requests);
    static void onAnswer(natsConnection *, natsSubscription *, natsMsg *message, void *closure);
    static void onComplete(void *closure);
    void answer(natsMsg *message);

    Found m_found;
    QByteArray m_inbox;
    natsSubscription *m_answers = nullptr;
    QElapsedTimer m_clock;
    mutable std::mutex m_pendingMutex;
    QHash<quint64, Pending> m_pending; // by the number that ends its reply subject
    quint64 m_lastId = 0;
    std::atomic<quint64> m_foundCount {0};
    std::atomic<bool> m_failureLogged {false};
    // Shared with the reply subscription's callbacks, which may outlive this object.
    const std::shared_ptr<Gate> m_gate;
};
