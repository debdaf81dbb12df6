#pragma once

#include <vnatssettings.h>

#include <QProcess>
#include <QScopedPointer>
#include <QStringList>
#include <QTemporaryDir>

#include <array>

// A real nats-server on free loopback ports for one test. Its users are the
// bus's own (scripts/bus-users.conf): Feed may publish quotes and write the
// quote stream, Client may subscribe and read the stream; or, after
// setToken(), one authorization token admits anybody to everything. After
// setTls() clients must use TLS. The server's monitoring endpoint tells
// which subjects its clients subscribe. Stopped by the destructor.
class NatsServer
{
public:
    static constexpr const char *Feed = "tarn-feed";
    static constexpr const char *FeedPassword = "feed-secret";
    static constexpr const char *Client = "tarn-host";
    static constexpr const char *ClientPassword = "host-secret";

    ~NatsServer() { stop(); }

    // The nats-server program on the path or in /usr/sbin; empty when missing.
    static QString program();
    // Before the first start(): clients log in with this token instead of
    // the two users.
    void setToken(const QString &token) { m_token = token; }
    // Before the first start(): the server requires TLS and shows the
    // certificate chain in certFile, whose private key is in keyFile.
    void setTls(const QString &certFile, const QString &keyFile)
    {
        m_certFile = certFile;
        m_keyFile = keyFile;
    }
    // Before the first start(): the server is one of a cluster whose servers
    // take routes on routePorts, its own among them, with JetStream unless
    // told otherwise.
    void setCluster(int routePort, const QList<int> &routePorts, bool jetStream = true);
    // Starts the server, on the same ports as before after a stop() or a
    // kill(), and waits until it is healthy (a cluster's server: until its
    // cluster has a JetStream leader and its streams are current). False
    // with error set when it does not come up.
    bool start(QString *error) { return launch(error) && waitHealthy(error); }
    // Starts the process without waiting; waitHealthy() waits until it is up.
    bool launch(QString *error);
    bool waitHealthy(QString *error);
    // Ends the server as an operator does (it closes its connections)...
    void stop();
    // ...or as a crash does: its clients see the connection drop.
    void kill();
    // While the server is down: forgets what it kept on disk (its copy of
    // the quote stream, what it knew of the cluster's JetStream), as a server
    // whose disk was replaced.
    void clearStore();
    // nats://127.0.0.1:PORT, or tls:// after setTls().
    QString url() const;
    int port() const { return m_port; }
    bool isRunning() const { return m_process && m_process->state() != QProcess::NotRunning; }

    // Every subject subscribed by a client but reply inboxes, sorted; empty
    // when the server does not answer.
    QStringList subscriptions() const;
    // The records in this server's copy of the quote stream; -1 without one.
    qint64 storedQuotes() const;

private:
    QString get(const QString &path) const;
    QString configText() const;

    QTemporaryDir m_dir;
    QString m_token;
    QString m_certFile;
    QString m_keyFile;
    int m_routePort = 0;
    QList<int> m_routePorts;
    bool m_jetStream = false;
    QScopedPointer<QProcess> m_process;
    int m_port = 0;
    int m_monitorPort = 0;
};

// Three servers of one cluster on loopback ports, with JetStream unless told
// otherwise, started together and stopped by the destructor; a test kills and
// restarts single servers.
class NatsCluster
{
public:
    static constexpr int Size = 3;

    explicit NatsCluster(bool jetStream = true);
    // Starts every server and waits until the cluster is healthy.
    bool start(QString *error);
    NatsServer &server(int index) { return m_servers[size_t(index)]; }
    QStringList urls() const;
    // The server of url (as a connection reports it), -1 when none.
    int indexOf(const QString &url) const;
    // The subscriptions of every server's clients, sorted.
    QStringList subscriptions() const;
    // The records that every running server's copy of the quote stream holds.
    qint64 storedQuotes() const;
    // Settings that reach every server of the cluster as user.
    VNatsSettings settings(const char *user, const char *password) const;

private:
    std::array<NatsServer, Size> m_servers;
};

// QSKIP in a test function when nats-server is missing, else starts it.
#define START_NATS_SERVER(server)                                                                                      \
    do {                                                                                                               \
        if (NatsServer::program().isEmpty())                                                                           \
            QSKIP("nats-server is not installed (scripts/setup installs it)");                                         \
        QString natsError_;                                                                                            \
        QVERIFY2((server).start(&natsError_), qPrintable(natsError_));                                                 \
    } while (false)
