#include "natsserver.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

namespace {

int freePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

// A string of the server's configuration language.
QString quoted(QString text)
{
    text.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('"'), QLatin1String("\\\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

NatsServer::NatsServer()
{
    m_process.setProcessChannelMode(QProcess::MergedChannels);
}

NatsServer::~NatsServer()
{
    stop();
}

QString NatsServer::program()
{
    const QString name = QStringLiteral("nats-server");
    const QString onPath = QStandardPaths::findExecutable(name);
    // Debian installs it in /usr/sbin, which a user's path may lack.
    return onPath.isEmpty() ? QStandardPaths::findExecutable(name, {QStringLiteral("/usr/sbin")}) : onPath;
}

void NatsServer::setToken(const QString &token)
{
    Q_ASSERT(m_port == 0);
    m_token = token;
}

void NatsServer::setTls(const QString &certFile, const QString &keyFile)
{
    Q_ASSERT(m_port == 0);
    m_certFile = certFile;
    m_keyFile = keyFile;
}

QString NatsServer::configText() const
{
    QString text;
    if (!m_token.isEmpty()) {
        text = QStringLiteral("authorization {\n  token: %1\n}\n").arg(quoted(m_token));
    } else {
        text = QStringLiteral("authorization {\n"
                              "  users = [\n"
                              "    {user: %1, password: %2}\n"
                              "    {user: %3, password: %4, permissions: {publish: {deny: [\"tarn.quot.>\"]}}}\n"
                              "  ]\n"
                              "}\n")
                   .arg(QLatin1String(User), QLatin1String(Password), QLatin1String(Viewer),
                        QLatin1String(ViewerPassword));
    }
    // A client slower than the handshake's timeout (the default is two
    // seconds; a sanitizer build under load can take longer) is cut off
    // before it can judge the certificate.
    if (!m_certFile.isEmpty())
        text += QStringLiteral("tls {\n  cert_file: %1\n  key_file: %2\n  timeout: 10\n}\n")
                    .arg(quoted(m_certFile), quoted(m_keyFile));
    return text;
}

bool NatsServer::start(QString *error)
{
    if (m_port == 0) {
        m_port = freePort();
        m_monitorPort = freePort();
        QFile config(m_dir.filePath(QStringLiteral("nats.conf")));
        if (!config.open(QIODevice::WriteOnly)) {
            *error = config.errorString();
            return false;
        }
        config.write(configText().toUtf8());
    }
    // A shell holds the server and ends it when its input closes: on stop(),
    // and when the test dies without running its destructors (a sanitizer's
    // abort), so no server outlives its test.
    m_process.start(QStringLiteral("/bin/sh"),
                    {QStringLiteral("-c"),
                     QStringLiteral("\"$0\" \"$@\" & server=$!; read -r _; kill $server; wait $server"), program(),
                     QStringLiteral("-a"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"), QString::number(m_port),
                     QStringLiteral("-m"), QString::number(m_monitorPort), QStringLiteral("-c"),
                     m_dir.filePath(QStringLiteral("nats.conf"))});
    if (!m_process.waitForStarted()) {
        *error = m_process.errorString();
        return false;
    }
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired() && m_process.state() == QProcess::Running) {
        if (get(QStringLiteral("/healthz")).contains(QLatin1String("ok")))
            return true;
        QThread::msleep(20);
    }
    *error = QStringLiteral("nats-server did not come up on port %1: %2")
                 .arg(m_port)
                 .arg(QString::fromLocal8Bit(m_process.readAll()));
    stop();
    return false;
}

void NatsServer::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished();
    }
}

QString NatsServer::url() const
{
    return QStringLiteral("%1://127.0.0.1:%2")
        .arg(m_certFile.isEmpty() ? QLatin1String("nats") : QLatin1String("tls"))
        .arg(m_port);
}

int NatsServer::port() const
{
    return m_port;
}

QStringList NatsServer::subscriptions() const
{
    const QByteArray body = get(QStringLiteral("/connz?subs=1")).toUtf8();
    QStringList subjects;
    const QJsonArray connections = QJsonDocument::fromJson(body).object().value(QLatin1String("connections")).toArray();
    for (const QJsonValue &connection : connections) {
        for (const QJsonValue &subject : connection.toObject().value(QLatin1String("subscriptions_list")).toArray())
            subjects << subject.toString();
    }
    subjects.sort();
    return subjects;
}

// The body of an HTTP GET of the monitoring endpoint; empty when it does not answer.
QString NatsServer::get(const QString &path) const
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, quint16(m_monitorPort));
    if (!socket.waitForConnected(1000))
        return QString();
    socket.write(QStringLiteral("GET %1 HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n").arg(path).toLatin1());
    QByteArray response;
    while (socket.waitForReadyRead(2000))
        response += socket.readAll();
    const int body = response.indexOf("\r\n\r\n");
    return body < 0 ? QString() : QString::fromUtf8(response.mid(body + 4));
}
