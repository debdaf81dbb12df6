#include "natsserver.h"

#include <vnatsquotstream.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <csignal>
#include <fcntl.h>
#include <limits>
#include <sys/file.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

// The lowest port the system hands out for a connection's own end (Linux's
// ip_local_port_range), 32768 when it cannot be read.
int firstEphemeralPort()
{
    QFile range(QStringLiteral("/proc/sys/net/ipv4/ip_local_port_range"));
    const int first = range.open(QIODevice::ReadOnly) ? range.readAll().simplified().split(' ').value(0).toInt() : 0;
    return first > 1024 ? first : 32768;
}

// Holds a port for this process until it ends: a lock on a file named
// after it, which every test process on the machine respects (a test run
// starts several at once). The lock goes with the process, however it ends.
bool reserve(int port)
{
    static const QString folder = QDir::temp().filePath(QStringLiteral("tarn-test-ports"));
    QDir().mkpath(folder);
    const QByteArray path = QFile::encodeName(QDir(folder).filePath(QString::number(port)));
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    return true; // the descriptor stays open, and the lock held, for the process's life
}

// A free loopback port, never handed out before in this or another test
// process, and below the system's ephemeral range: no connection's own end
// can take it while a server is down between a kill and its restart on the
// same port, and no two servers ever get the same port (a port released by
// one probe would be the next probe's as well).
int freePort()
{
    static const int below = firstEphemeralPort();
    const int from = qMax(1025, below - 16384);
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const int port = from + int(QRandomGenerator::global()->bounded(below - from));
        QTcpServer probe;
        if (reserve(port) && probe.listen(QHostAddress::LocalHost, quint16(port)))
            return port;
    }
    return 0;
}

// nats-server ends with the test, even one that dies without running its
// destructors (a sanitizer's abort), so no server outlives its test.
class ServerProcess : public QProcess
{
protected:
    void setupChildProcess() override { ::prctl(PR_SET_PDEATHSIG, SIGTERM); }
};

} // namespace

QString NatsServer::program()
{
    const QString name = QStringLiteral("nats-server");
    const QString onPath = QStandardPaths::findExecutable(name);
    // Debian installs it in /usr/sbin, which a user's path may lack.
    return onPath.isEmpty() ? QStandardPaths::findExecutable(name, {QStringLiteral("/usr/sbin")}) : onPath;
}

void NatsServer::setCluster(int routePort, const QList<int> &routePorts, bool jetStream)
{
    m_routePort = routePort;
    m_routePorts = routePorts;
    m_jetStream = jetStream;
}

QString NatsServer::configText() const
{
    QString text;
    if (!m_token.isEmpty())
        text = QStringLiteral("authorization {\n  token: \"%1\"\n}\n").arg(m_token);
    else
        text = QStringLiteral("include \"users.conf\"\n");
    // A client slower than the handshake's timeout (the default is two
    // seconds; a sanitizer build under load can take longer) is cut off
    // before it can judge the certificate.
    if (!m_certFile.isEmpty())
        text += QStringLiteral("tls {\n  cert_file: \"%1\"\n  key_file: \"%2\"\n  timeout: 10\n}\n")
                    .arg(m_certFile, m_keyFile);
    if (m_routePort != 0) {
        QStringList routes;
        for (const int port : m_routePorts)
            routes << QStringLiteral("\"nats-route://127.0.0.1:%1\"").arg(port);
        text += QStringLiteral("server_name: \"s%1\"\n"
                               "cluster {\n  name: \"tarn-test\"\n  host: \"127.0.0.1\"\n  port: %1\n"
                               "  routes: [%2]\n}\n")
                    .arg(m_routePort)
                    .arg(routes.join(QStringLiteral(", ")));
    }
    // The store folder keeps the server's copy of the quote stream and its
    // identity in the cluster across a restart.
    if (m_jetStream)
        text += QStringLiteral(
                    "jetstream {\n  store_dir: \"%1\"\n  max_memory_store: 64MB\n  max_file_store: 256MB\n}\n")
                    .arg(m_dir.filePath(QStringLiteral("store")));
    return text;
}

bool NatsServer::launch(QString *error)
{
    if (m_port == 0) {
        m_port = freePort();
        m_monitorPort = freePort();
        QFile config(m_dir.filePath(QStringLiteral("nats.conf")));
        if (!QFile::copy(QStringLiteral(TARN_BUS_USERS), m_dir.filePath(QStringLiteral("users.conf")))
            || !config.open(QIODevice::WriteOnly)) {
            *error = QStringLiteral("cannot write the server's configuration in %1").arg(m_dir.path());
            return false;
        }
        config.write(configText().toUtf8());
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TARN_FEED_PASSWORD"), QString::fromLatin1(FeedPassword));
    env.insert(QStringLiteral("TARN_HOST_PASSWORD"), QString::fromLatin1(ClientPassword));
    m_process.reset(new ServerProcess);
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    m_process->setProcessEnvironment(env);
    m_process->start(program(),
                     {QStringLiteral("-a"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"), QString::number(m_port),
                      QStringLiteral("-m"), QString::number(m_monitorPort), QStringLiteral("-c"),
                      m_dir.filePath(QStringLiteral("nats.conf"))});
    if (!m_process->waitForStarted()) {
        *error = m_process->errorString();
        return false;
    }
    return true;
}

bool NatsServer::waitHealthy(QString *error)
{
    // A server restarted into a busy JetStream cluster is healthy once its
    // copy of the stream has caught up, which took up to 19 s on two cores.
    const QDeadlineTimer deadline(60000);
    QString health;
    while (!deadline.hasExpired() && m_process->state() == QProcess::Running) {
        const QString answer = get(QStringLiteral("/healthz"));
        if (answer.contains(QLatin1String("\"ok\"")))
            return true;
        // The last answer says why; no answer at all says nothing new.
        if (!answer.isEmpty())
            health = answer;
        QThread::msleep(20);
    }
    m_process->waitForReadyRead(500);
    // A test failure's message is cut short: the server's log goes line by line.
    for (const QByteArray &line : m_process->readAll().split('\n'))
        qWarning("nats-server %d: %s", m_port, line.constData());
    *error = QStringLiteral("nats-server did not come up on port %1: %2").arg(m_port).arg(health);
    stop();
    return false;
}

void NatsServer::stop()
{
    if (!isRunning())
        return;
    m_process->terminate();
    // A server that does not finish shutting down in time is ended as by a crash.
    if (!m_process->waitForFinished(5000))
        kill();
}

void NatsServer::kill()
{
    if (!isRunning())
        return;
    m_process->kill();
    m_process->waitForFinished(5000);
}

void NatsServer::clearStore()
{
    if (!isRunning())
        QDir(m_dir.filePath(QStringLiteral("store"))).removeRecursively();
}

QString NatsServer::url() const
{
    return QStringLiteral("%1://127.0.0.1:%2")
        .arg(m_certFile.isEmpty() ? QLatin1String("nats") : QLatin1String("tls"))
        .arg(m_port);
}

QStringList NatsServer::subscriptions() const
{
    const QByteArray body = get(QStringLiteral("/connz?subs=1")).toUtf8();
    QStringList subjects;
    const QJsonArray connections = QJsonDocument::fromJson(body).object().value(QLatin1String("connections")).toArray();
    for (const QJsonValue &connection : connections) {
        for (const QJsonValue &subject : connection.toObject().value(QLatin1String("subscriptions_list")).toArray()) {
            if (!subject.toString().startsWith(QLatin1String("_INBOX.")))
                subjects << subject.toString();
        }
    }
    subjects.sort();
    return subjects;
}

qint64 NatsServer::storedQuotes() const
{
    const QJsonObject monitor = QJsonDocument::fromJson(get(QStringLiteral("/jsz?streams=true")).toUtf8()).object();
    for (const QJsonValue &account : monitor.value(QLatin1String("account_details")).toArray()) {
        for (const QJsonValue &stream : account.toObject().value(QLatin1String("stream_detail")).toArray()) {
            const QJsonObject details = stream.toObject();
            if (details.value(QLatin1String("name")).toString() == QLatin1String(VNatsQuotStream::Name))
                return qint64(
                    details.value(QLatin1String("state")).toObject().value(QLatin1String("messages")).toDouble());
        }
    }
    return -1;
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

NatsCluster::NatsCluster(bool jetStream)
{
    QList<int> routePorts;
    for (int i = 0; i < Size; ++i)
        routePorts << freePort();
    for (int i = 0; i < Size; ++i)
        m_servers[size_t(i)].setCluster(routePorts.at(i), routePorts, jetStream);
}

bool NatsCluster::start(QString *error)
{
    // A server finds its cluster's leader only once a majority runs.
    for (NatsServer &server : m_servers) {
        if (!server.launch(error))
            return false;
    }
    for (NatsServer &server : m_servers) {
        if (!server.waitHealthy(error))
            return false;
    }
    return true;
}

QStringList NatsCluster::urls() const
{
    QStringList urls;
    for (const NatsServer &server : m_servers)
        urls << server.url();
    return urls;
}

int NatsCluster::indexOf(const QString &url) const
{
    for (int i = 0; i < Size; ++i) {
        if (url.endsWith(QStringLiteral(":%1").arg(m_servers[size_t(i)].port())))
            return i;
    }
    return -1;
}

QStringList NatsCluster::subscriptions() const
{
    QStringList subjects;
    for (const NatsServer &server : m_servers)
        subjects += server.subscriptions();
    subjects.sort();
    return subjects;
}

qint64 NatsCluster::storedQuotes() const
{
    qint64 stored = std::numeric_limits<qint64>::max();
    for (const NatsServer &server : m_servers) {
        if (server.isRunning())
            stored = qMin(stored, server.storedQuotes());
    }
    return stored;
}

VNatsSettings NatsCluster::settings(const char *user, const char *password) const
{
    VNatsSettings settings;
    settings.urls = urls();
    settings.user = QString::fromLatin1(user);
    settings.password = QString::fromLatin1(password);
    return settings;
}
