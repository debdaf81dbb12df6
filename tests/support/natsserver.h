#pragma once

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

// A real nats-server on a free loopback port for one test, with two users:
// User (password Password) may do everything, Viewer (password
// ViewerPassword) may not publish quotes; or, after setToken(), one
// authorization token instead. After setTls() clients must use TLS. The
// server's monitoring endpoint tells which subjects its clients subscribe.
// Stopped by the destructor.
class NatsServer
{
public:
    static constexpr const char *User = "tarn";
    static constexpr const char *Password = "tarn-secret";
    static constexpr const char *Viewer = "viewer";
    static constexpr const char *ViewerPassword = "viewer-secret";

    NatsServer();
    ~NatsServer();

    // The nats-server program on the path or in /usr/sbin; empty when missing.
    static QString program();
    // Before the first start(): clients log in with this token instead of
    // the two users.
    void setToken(const QString &token);
    // Before the first start(): the server requires TLS and shows the
    // certificate chain in certFile, whose private key is in keyFile.
    void setTls(const QString &certFile, const QString &keyFile);
    // Starts the server, on the same ports as before after a stop(). False
    // with error set when it does not come up.
    bool start(QString *error);
    void stop();
    // nats://127.0.0.1:PORT, or tls:// after setTls().
    QString url() const;
    int port() const;

    // Every subject subscribed by a client, sorted; empty when the server
    // does not answer.
    QStringList subscriptions() const;

private:
    QString get(const QString &path) const;

    QString configText() const;

    QTemporaryDir m_dir;
    QString m_token;
    QString m_certFile;
    QString m_keyFile;
    QProcess m_process;
    int m_port = 0;
    int m_monitorPort = 0;
};

// QSKIP in a test function when nats-server is missing, else starts it.
#define START_NATS_SERVER(server)                                                                                      \
    do {                                                                                                               \
        if (NatsServer::program().isEmpty())                                                                           \
            QSKIP("nats-server is not installed (scripts/setup installs it)");                                         \
        QString natsError_;                                                                                            \
        QVERIFY2((server).start(&natsError_), qPrintable(natsError_));                                                 \
    } while (false)
