#pragma once

#include "vnatssettings.h"
#include "vquotnats_global.h"

#include <vquotfeed.h>

#include <QObject>

#include <memory>
#include <thread>

typedef struct __natsConnection natsConnection;

// One connection to the bus, through any of its servers. It connects in the
// background, moves to another server (or retries, when there is one) after
// a lost connection, the client library then restoring every subscription,
// and reports its state on the thread that owns it; each change is logged. A server that refuses the credentials ends
// the connection: the state becomes Refused. Errors the server sends later (a subject the user may not publish or
// subscribe, a consumer that fell behind) are logged and signalled.
class VQUOTNATS_EXPORT VNatsLink : public QObject
{
    Q_OBJECT
public:
    using State = VQuotFeed::LinkState;

    explicit VNatsLink(QObject *parent = nullptr);
    // Closes the connection and waits, up to a second, for the client
    // library's last callback (logged when it does not come).
    ~VNatsLink() override;

    // Starts connecting. False with error set when the settings are unusable
    // (the CA file, a URL the client library refuses); once it returns true
    // the connection exists, whatever the server does.
    bool open(const VNatsSettings &settings, QString *error);
    // Null before a successful open().
    natsConnection *connection() const;
    State state() const;
    // The connected server's address, or when not connected every server's
    // and why; never credentials.
    QString detail() const;
    // Every server given, as VNatsSettings::servers().
    QString servers() const;
    // The server connected to now, or every server when none is.
    QString connectedServer() const;

signals:
    void stateChanged();
    void serverError(const QString &text);

private:
    class Events;
    void setState(State state, const QString &reason);
    // Carries out what the client library's threads left for the link.
    void takeEvents();
    static void probe(const VNatsSettings &settings, const std::shared_ptr<Events> &events);
    void reportError(const QString &text);

    const std::shared_ptr<Events> m_events;
    std::shared_ptr<Events> *m_closure; // the library's callbacks' hold on m_events
    natsConnection *m_connection = nullptr;
    QString m_servers;
    State m_state = State::Connecting;
    QString m_detail;
    VNatsSettings m_settings;
    std::thread m_probe; // asks the server why, once the library gave up
};
