#include <logcapture.h>
#include <natsserver.h>
#include <quotrecord.h>
#include <vnatsquotfeed.h>
#include <vnatsquotpublisher.h>
#include <vquotsubject.h>

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using LinkState = VQuotFeed::LinkState;

namespace {

const QString Token = QStringLiteral("tarn-token-51c9");

// openssl's configuration: the extensions of the throw-away authorities (ca)
// and of the server's certificate for 127.0.0.1 (server).
const char *const OpensslConfig = "[req]\n"
                                  "distinguished_name = dn\n"
                                  "[dn]\n"
                                  "[ca]\n"
                                  "basicConstraints = critical, CA:TRUE\n"
                                  "keyUsage = critical, keyCertSign, cRLSign\n"
                                  "subjectKeyIdentifier = hash\n"
                                  "[server]\n"
                                  "basicConstraints = CA:FALSE\n"
                                  "extendedKeyUsage = serverAuth\n"
                                  "subjectAltName = IP:127.0.0.1\n";

// Runs the openssl program in dir with arguments separated by spaces; false
// with its output in error when it fails.
bool openssl(const QString &dir, const char *arguments, QString *error)
{
    QProcess process;
    process.setWorkingDirectory(dir);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral("openssl"), QString::fromLatin1(arguments).split(QLatin1Char(' ')));
    if (process.waitForFinished(20000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        return true;
    *error = QStringLiteral("openssl %1: %2 %3")
                 .arg(QLatin1String(arguments), process.errorString(), QString::fromLocal8Bit(process.readAll()));
    return false;
}

// In dir: the authority ca.pem, the server's certificate for 127.0.0.1 that
// it signed (server.pem, key server.key), and another authority other-ca.pem.
bool makeCertificates(const QString &dir, QString *error)
{
    QFile config(dir + QStringLiteral("/openssl.cnf"));
    if (!config.open(QIODevice::WriteOnly) || config.write(OpensslConfig) < 0) {
        *error = config.errorString();
        return false;
    }
    config.close();
    return openssl(dir,
                   "req -x509 -config openssl.cnf -extensions ca -days 2 -subj /CN=tarn-test-ca"
                   " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout ca.key -out ca.pem",
                   error)
        && openssl(dir,
                   "req -x509 -config openssl.cnf -extensions ca -days 2 -subj /CN=tarn-other-ca"
                   " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout other-ca.key -out other-ca.pem",
                   error)
        && openssl(dir,
                   "req -new -config openssl.cnf -subj /CN=127.0.0.1"
                   " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout server.key -out server.csr",
                   error)
        && openssl(dir,
                   "x509 -req -in server.csr -CA ca.pem -CAkey ca.key -set_serial 1 -days 2"
                   " -extfile openssl.cnf -extensions server -out server.pem",
                   error);
}

} // namespace

// Logging in to the bus with a token, and TLS with the authority of the
// server's certificate, each against a real nats-server.
class TestVNatsLogin : public QObject
{
    Q_OBJECT

private:
    NatsServer m_tokenServer;
    NatsServer m_tlsServer; // the usual users, over TLS
    QTemporaryDir m_certificates;
    QByteArray m_noTls; // why the TLS rows skip; empty when they run

    static void addColumns()
    {
        QTest::addColumn<bool>("tls");
        QTest::addColumn<QString>("token");
        QTest::addColumn<QString>("ca"); // a file of m_certificates
        QTest::addColumn<QString>("host");
    }
    // The current row's settings; empty when the row is to skip.
    VNatsSettings rowSettings()
    {
        QFETCH(bool, tls);
        QFETCH(QString, token);
        QFETCH(QString, ca);
        QFETCH(QString, host);
        if (tls && !m_noTls.isEmpty())
            return VNatsSettings();
        VNatsSettings settings;
        settings.urls
            = QStringList((tls ? m_tlsServer.url() : m_tokenServer.url()).replace(QLatin1String("127.0.0.1"), host));
        settings.token = token;
        if (tls) {
            settings.user = QString::fromLatin1(NatsServer::Client);
            settings.password = QString::fromLatin1(NatsServer::ClientPassword);
        }
        if (!ca.isEmpty())
            settings.caFile = m_certificates.filePath(ca);
        return settings;
    }
    // Neither the token nor the password in any log record or the link's detail.
    static void verifyNoSecret(const VNatsSettings &settings, const LogCapture &log, const QString &detail)
    {
        QStringList texts = {detail};
        for (const VLogRecord &record : log.records)
            texts << record.message;
        for (const QString &secret : {settings.token, settings.password}) {
            for (const QString &text : qAsConst(texts))
                QVERIFY2(secret.isEmpty() || !text.contains(secret), qPrintable(text));
        }
    }

private slots:
    void initTestCase()
    {
        VLog::setFileLogging(false);
        m_tokenServer.setToken(Token);
        START_NATS_SERVER(m_tokenServer);
        if (QStandardPaths::findExecutable(QStringLiteral("openssl")).isEmpty()) {
            m_noTls = "openssl is not installed: no certificates for a TLS server";
            return;
        }
        QString error;
        QVERIFY2(makeCertificates(m_certificates.path(), &error), qPrintable(error));
        m_tlsServer.setTls(m_certificates.filePath(QStringLiteral("server.pem")),
                           m_certificates.filePath(QStringLiteral("server.key")));
        START_NATS_SERVER(m_tlsServer);
    }

    void accepted_data()
    {
        addColumns();
        QTest::newRow("token") << false << Token << QString() << QStringLiteral("127.0.0.1");
        QTest::newRow("TLS, the server's authority")
            << true << QString() << QStringLiteral("ca.pem") << QStringLiteral("127.0.0.1");
    }
    void accepted()
    {
        QFETCH(bool, tls);
        const VNatsSettings settings = rowSettings();
        if (settings.urls.isEmpty())
            QSKIP(m_noTls.constData());
        const NatsServer &server = tls ? m_tlsServer : m_tokenServer;
        LogCapture log;
        VNatsQuotFeed feed;
        VNatsQuotPublisher publisher;
        VNatsSettings publishing = settings;
        if (tls) {
            publishing.user = QString::fromLatin1(NatsServer::Feed);
            publishing.password = QString::fromLatin1(NatsServer::FeedPassword);
        }
        QString error;
        QVERIFY2(feed.open(settings, &error), qPrintable(error));
        QVERIFY2(publisher.open(publishing, &error), qPrintable(error));
        QTRY_COMPARE_WITH_TIMEOUT(feed.linkState(), LinkState::Connected, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(publisher.link().state(), LinkState::Connected, 10000);

        // A record crosses the connection intact.
        QVERIFY(feed.subscribe({QStringLiteral("H|ag2606")}));
        QTRY_COMPARE(server.subscriptions(), QStringList(QString::fromLatin1(VQuotSubject::of('H', "ag2606"))));
        QVERIFY(publisher.publish(makeQuotRecord('H', "ag2606")));
        QVERIFY(publisher.flush(2000));
        QTRY_COMPARE(feed.receivedCount(), quint64(1));
        QCOMPARE(feed.rejects().total(), quint64(0));
        verifyNoSecret(settings, log, feed.linkDetail());
        verifyNoSecret(publishing, log, publisher.link().detail());
    }

    void refused_data()
    {
        addColumns();
        QTest::addColumn<LinkState>("state");
        QTest::addColumn<QString>("reason");
        const QString local = QStringLiteral("127.0.0.1");
        const QString untrusted = QStringLiteral("SSL handshake error: 20:unable to get local issuer certificate");
        QTest::newRow("wrong token") << false << QStringLiteral("guess-1") << QString() << local << LinkState::Refused
                                     << QStringLiteral("Authorization Violation");
        QTest::newRow("no token") << false << QString() << QString() << local << LinkState::Refused
                                  << QStringLiteral("Authorization Violation");
        QTest::newRow("TLS, no authority") << true << QString() << QString() << local << LinkState::Closed << untrusted;
        QTest::newRow("TLS, another authority")
            << true << QString() << QStringLiteral("other-ca.pem") << local << LinkState::Closed << untrusted;
        QTest::newRow("TLS, a certificate for another name")
            << true << QString() << QStringLiteral("ca.pem") << QStringLiteral("localhost") << LinkState::Closed
            << QStringLiteral("SSL handshake error: 62:hostname mismatch");
    }
    void refused()
    {
        QFETCH(LinkState, state);
        QFETCH(QString, reason);
        const VNatsSettings settings = rowSettings();
        if (settings.urls.isEmpty())
            QSKIP(m_noTls.constData());
        LogCapture log;
        VNatsQuotFeed feed;
        QString error;
        QVERIFY2(feed.open(settings, &error), qPrintable(error));
        QTRY_COMPARE_WITH_TIMEOUT(feed.linkState(), state, 10000);
        QVERIFY2(feed.linkDetail().contains(reason), qPrintable(feed.linkDetail()));
        QVERIFY(!feed.subscribe({QStringLiteral("H|ag2606")}));
        verifyNoSecret(settings, log, feed.linkDetail());
    }
};

QTEST_GUILESS_MAIN(TestVNatsLogin)
#include "tst_vnatslogin.moc"
