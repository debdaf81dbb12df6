// Logging in to the bus, each way against a real nats-server of its own: with
// a token, as one of the bus's users, and over TLS trusting the authority of
// the server's certificate.

#include <logcapture.h>
#include <natsserver.h>
#include <vnatsquotfeed.h>
#include <vquotsubject.h>

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using LinkState = VQuotFeed::LinkState;
Q_DECLARE_METATYPE(NatsServer *)

namespace {

const QString Token = QStringLiteral("tarn-token-51c9");

// In dir: the authority ca.pem, the server's certificate for 127.0.0.1 that
// it signed (server.pem, key server.key), and another authority other-ca.pem.
// What the openssl program said when it failed.
QString makeCertificates(const QString &dir)
{
    const QString request = QStringLiteral("req -x509 -config /dev/null -days 2 -nodes -newkey ec"
                                           " -pkeyopt ec_paramgen_curve:prime256v1 ");
    const QString authority
        = QStringLiteral(" -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign");
    const QStringList runs
        = {request + QStringLiteral("-subj /CN=tarn-test-ca -keyout ca.key -out ca.pem") + authority,
           request + QStringLiteral("-subj /CN=tarn-other-ca -keyout other-ca.key -out other-ca.pem") + authority,
           request
               + QStringLiteral("-subj /CN=127.0.0.1 -CA ca.pem -CAkey ca.key -addext subjectAltName=IP:127.0.0.1"
                                " -keyout server.key -out server.pem")};
    for (const QString &arguments : runs) {
        QProcess openssl;
        openssl.setWorkingDirectory(dir);
        openssl.setProcessChannelMode(QProcess::MergedChannels);
        openssl.start(QStringLiteral("openssl"), arguments.split(QLatin1Char(' ')));
        if (!openssl.waitForFinished(20000) || openssl.exitStatus() != QProcess::NormalExit || openssl.exitCode() != 0)
            return QStringLiteral("openssl %1: %2 %3")
                .arg(arguments, openssl.errorString(), QString::fromLocal8Bit(openssl.readAll()));
    }
    return QString();
}

} // namespace

class TestVNatsLogin : public QObject
{
    Q_OBJECT

private:
    NatsServer m_tokenServer;
    NatsServer m_userServer; // the bus's users
    NatsServer m_tlsServer; // the bus's users, over TLS
    QTemporaryDir m_certificates;
    QByteArray m_noTls; // why the TLS rows skip; empty when they run

private slots:
    void initTestCase()
    {
        m_tokenServer.setToken(Token);
        START_NATS_SERVER(m_tokenServer);
        START_NATS_SERVER(m_userServer);
        if (QStandardPaths::findExecutable(QStringLiteral("openssl")).isEmpty()) {
            m_noTls = "openssl is not installed: no certificates for a TLS server";
            return;
        }
        const QString error = makeCertificates(m_certificates.path());
        QVERIFY2(error.isEmpty(), qPrintable(error));
        m_tlsServer.setTls(m_certificates.filePath(QStringLiteral("server.pem")),
                           m_certificates.filePath(QStringLiteral("server.key")));
        START_NATS_SERVER(m_tlsServer);
    }

    void login_data()
    {
        QTest::addColumn<NatsServer *>("server");
        QTest::addColumn<QString>("credentials"); // a token, or user:password
        QTest::addColumn<QString>("ca"); // a file of m_certificates
        QTest::addColumn<QString>("host");
        QTest::addColumn<LinkState>("state");
        QTest::addColumn<QString>("reason"); // in the link's detail
        const QString local = QStringLiteral("127.0.0.1");
        const QString client
            = QLatin1String(NatsServer::Client) + QLatin1Char(':') + QLatin1String(NatsServer::ClientPassword);
        const QString refused = QStringLiteral("Authorization Violation");
        const QString untrusted = QStringLiteral("SSL handshake error: 20:unable to get local issuer certificate");
        QTest::newRow("token") << &m_tokenServer << Token << QString() << local << LinkState::Connected << QString();
        QTest::newRow("wrong token") << &m_tokenServer << QStringLiteral("guess-1") << QString() << local
                                     << LinkState::Refused << refused;
        QTest::newRow("wrong password") << &m_userServer << QStringLiteral("tarn-host:guess-2") << QString() << local
                                        << LinkState::Refused << refused;
        QTest::newRow("TLS, the server's authority")
            << &m_tlsServer << client << QStringLiteral("ca.pem") << local << LinkState::Connected << QString();
        QTest::newRow("TLS, no authority")
            << &m_tlsServer << client << QString() << local << LinkState::Closed << untrusted;
        QTest::newRow("TLS, another authority")
            << &m_tlsServer << client << QStringLiteral("other-ca.pem") << local << LinkState::Closed << untrusted;
        QTest::newRow("TLS, a certificate for another name")
            << &m_tlsServer << client << QStringLiteral("ca.pem") << QStringLiteral("localhost") << LinkState::Closed
            << QStringLiteral("SSL handshake error: 62:hostname mismatch");
    }
    void login()
    {
        QFETCH(NatsServer *, server);
        QFETCH(QString, credentials);
        QFETCH(QString, ca);
        QFETCH(QString, host);
        QFETCH(LinkState, state);
        QFETCH(QString, reason);
        if (server == &m_tlsServer && !m_noTls.isEmpty())
            QSKIP(m_noTls.constData());
        VNatsSettings settings;
        settings.urls = QStringList(server->url().replace(QLatin1String("127.0.0.1"), host));
        if (credentials.contains(QLatin1Char(':'))) {
            settings.user = credentials.section(QLatin1Char(':'), 0, 0);
            settings.password = credentials.section(QLatin1Char(':'), 1);
        } else {
            settings.token = credentials;
        }
        if (!ca.isEmpty())
            settings.caFile = m_certificates.filePath(ca);
        LogCapture log;
        VNatsQuotFeed feed;
        QString error;
        QVERIFY2(feed.open(settings, &error), qPrintable(error));
        QTRY_COMPARE_WITH_TIMEOUT(feed.linkState(), state, 10000);
        QVERIFY2(feed.linkDetail().contains(reason), qPrintable(feed.linkDetail()));

        // Only an accepted connection's subscriptions reach the server; on a
        // refused or closed one a subscription fails nothing of its own: the
        // link's one record says why.
        QVERIFY(feed.subscribe({QStringLiteral("H|ag2606")}));
        if (state == LinkState::Connected)
            QTRY_COMPARE(server->subscriptions(), QStringList(QString::fromLatin1(VQuotSubject::of('H', "ag2606"))));
        else
            QCOMPARE(log.failures().size(), 1);
        // Neither the token nor the password in any log record or the link's detail.
        QStringList texts = {feed.linkDetail()};
        for (const VLogRecord &record : log.records())
            texts << record.message;
        for (const QString &text : qAsConst(texts))
            QVERIFY2(credentials.isEmpty() || !text.contains(credentials.section(QLatin1Char(':'), -1)),
                     qPrintable(text));
    }
};

QTEST_GUILESS_MAIN(TestVNatsLogin)
#include "tst_vnatslogin.moc"
