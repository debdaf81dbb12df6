#pragma once

#include "vnatscallbackgate.h"
#include "vnatssettings.h"
#include "vquotnats_global.h"
#include "vquotorder.h"
#include "vquotrejects.h"

#include <vquotfeed.h>

#include <QHash>

#include <atomic>
#include <memory>

class VNatsLink;
class VNatsQuotImages;
typedef struct __natsConnection natsConnection;
typedef struct __natsSubscription natsSubscription;
typedef struct __natsMsg natsMsg;

// The quote manager's feed over the bus: each wanted security is one
// subscription to its subject (VQuotSubject), so only what the client's
// components show travels to it. Securities that become wanted together (a
// page of rows) get their latest records from the quote stream in one batch
// (VNatsQuotImages), and so does every wanted security after each
// (re)connection, since what was published meanwhile never arrives live.
// Frames arrive on the client library's delivery thread; each is checked
// (VQuotFrame::decode, and the record must be of its subject's security),
// ordered by its publish sequence (VQuotOrder: an image never takes a
// security back behind a live record) and posted to the manager, whose queue
// conflates them and hands them to the GUI thread in batches. Refused frames
// are counted and logged by episode (VQuotRejects). The connection's state
// is the feed's link state; after a reconnect, to the same or another server
// of the cluster, the client library restores the subscriptions; the feed's
// values are current again once those latest records are in. A closed
// connection (credentials refused, or given up) takes no subscriptions and
// refuses none: the link's state says why.
class VQUOTNATS_EXPORT VNatsQuotFeed : public VQuotFeed
{
    Q_OBJECT
public:
    explicit VNatsQuotFeed(QObject *parent = nullptr);
    // Ends every subscription and waits, up to CallbackWaitMs, for the
    // delivery thread to leave the feed (logged when it does not).
    ~VNatsQuotFeed() override;

    static constexpr int CallbackWaitMs = 500;

    // Starts connecting; false with error set when the settings are unusable.
    bool open(const VNatsSettings &settings, QString *error);

    // False before open() and when the connection is closed; subscriptions
    // made while reconnecting are sent once connected.
    bool subscribe(const QStringList &products) override;
    void unsubscribe(const QStringList &products) override;

    // Frames received live, and latest records received from the stream.
    quint64 receivedCount() const;
    quint64 imageCount() const;
    const VQuotRejects &rejects() const;

private:
    using Gate = VNatsCallbackGate<VNatsQuotFeed>;
    // One subscribed security; the closure of its subscription's callbacks,
    // freed by the last of them (onComplete).
    struct Route
    {
        std::shared_ptr<Gate> gate;
        char market;
        QByteArray code;
        QByteArray subject;
        natsSubscription *subscription = nullptr;
    };

    static void onMessage(natsConnection *, natsSubscription *, natsMsg *message, void *closure);
    static void onComplete(void *closure);
    void receive(const char *subject, const char *frame, int length, const Route *route);
    void release(Route *route);
    void followLink();

    VNatsLink *m_link;
    VQuotOrder m_order;
    // Declared after m_order: its answers, which go through m_order, end first.
    std::unique_ptr<VNatsQuotImages> m_images;
    QHash<QString, Route *> m_routes;
    std::atomic<quint64> m_received {0};
    VQuotRejects m_rejects;
    // Shared with the subscriptions' callbacks, which may outlive the feed.
    const std::shared_ptr<Gate> m_gate;
};
