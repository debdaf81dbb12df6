// The quote bus end to end, tarn-feed, the servers and the client on this
// machine, on buses side by side: a single nats-server without the quote
// stream (the same-run baseline), three servers in a cluster without
// JetStream, and three in a JetStream cluster whose stream keeps every
// security's latest record.
//  - time to first value of securities newly subscribed together, tarn-feed
//    at the exchanges' pace: a page of 23 futures contracts and the whole
//    market, with the latest records from the stream (cluster) and without
//    them, waiting for ticks (single server); and 2,000 securities published
//    once and then subscribed on the cluster;
//  - failover: a publisher here at 20,000 records/s for 100 securities on
//    the servers the client does not use; the client's server is killed
//    (and restarted) five times: the gap in each security's quotes, median
//    and 99th percentile, and the time to reconnect;
//  - outage: the whole cluster killed and started again (with its disks and
//    with them lost) while a client shows every security: when the client
//    is current again and every security has had a record again, beside a
//    client started on the healthy cluster; closing a client with every
//    server gone, beside closing it with its servers up;
//  - steady state on each bus: tarn-feed at the exchanges' pace and at its
//    highest rate, every security of the sample market subscribed (records a
//    second arriving at the transport and reaching a receiving slot, and the
//    GUI thread's CPU); tarn-feed at 50,000 records/s with the futures board
//    shown, alone (only its rows in view cross the network) and with every
//    security subscribed beside it; latency from publishing to the receiving
//    slot, median and 99th percentile, a publisher thread here sending 5,000
//    and 50,000 records/s for 100 securities, each stamped with its send time.
//
//   bench_natsfeed [seconds] [first|failover|outage|steady]

#include "benchutil.h"

#include <hostcontext.h>
#include <icomponent.h>
#include <imodule.h>
#include <marketoptions.h>
#include <natsserver.h>
#include <tarn.h>
#include <vlocaldb.h>
#include <vnatsquotfeed.h>
#include <vnatsquotpublisher.h>
#include <vnatsquotstream.h>
#include <vquotsubscriber.h>

#include <QApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

constexpr int BusinessDate = 20261205;

// Counts records and, for stamped ones, keeps their latency; or keeps when
// each security's first record came, or every record's arrival.
class Receiver : public QObject
{
    Q_OBJECT
public:
    quint64 records = 0;
    qint64 epoch = 0; // set: records carry their send time minus epoch in preOpenInterest
    QVector<qint64> latencies;
    QHash<QString, qint64> firstNs;
    bool keepArrivals = false;
    QHash<QString, QVector<qint64>> arrivalsNs;

public slots:
    void doRecv(VQuotData *record)
    {
        ++records;
        const qint64 now = bench::nowNs();
        if (epoch)
            latencies.append(now - epoch - record->preOpenInterest);
        const QString key = record->productKey();
        if (!firstNs.contains(key))
            firstNs.insert(key, now);
        if (keepArrivals)
            arrivalsNs[key] << now;
    }
};

class TarnFeed
{
public:
    // rate 0: the exchanges' pace.
    TarnFeed(const QStringList &urls, int rate)
    {
        QStringList arguments = {QStringLiteral("--feed"),          urls.join(QLatin1Char(',')),
                                 QStringLiteral("--feed-user"),     QString::fromLatin1(NatsServer::Feed),
                                 QStringLiteral("--feed-password"), QString::fromLatin1(NatsServer::FeedPassword),
                                 QStringLiteral("--data"),          QStringLiteral(TARN_DATA_DIR),
                                 QStringLiteral("--date"),          QString::number(BusinessDate)};
        if (rate > 0)
            arguments << QStringLiteral("--rate") << QString::number(rate);
        m_process.start(QStringLiteral(TARN_FEED_PATH), arguments);
        m_process.waitForStarted();
    }
    ~TarnFeed()
    {
        m_process.terminate();
        m_process.waitForFinished();
    }

private:
    QProcess m_process;
};

// One bus: its servers, and a client of it in the host context.
struct Bus
{
    const char *name;
    QStringList urls;
};

VNatsSettings settingsOf(const QStringList &urls, const char *user, const char *password)
{
    VNatsSettings settings;
    settings.urls = urls;
    settings.user = QString::fromLatin1(user);
    settings.password = QString::fromLatin1(password);
    return settings;
}

VNatsQuotFeed *connectClient(const QStringList &urls)
{
    auto *feed = new VNatsQuotFeed;
    QString error;
    if (!feed->open(settingsOf(urls, NatsServer::Client, NatsServer::ClientPassword), &error)) {
        std::fprintf(stderr, "bench_natsfeed: %s\n", qPrintable(error));
        std::exit(1);
    }
    for (int i = 0; i < 500 && feed->linkState() != VQuotFeed::LinkState::Connected; ++i)
        bench::runFor(10);
    return feed;
}

struct Window
{
    double received; // a second, at the transport
    double delivered; // a second, to receiving slots
    double guiCpu;
};

Window measure(VNatsQuotFeed *feed, VQuotMgr *manager, int seconds)
{
    bench::runFor(2500); // the feed's start (up to 2 s asking for the stream) and the subscriptions settle
    const quint64 received = feed->receivedCount();
    const quint64 delivered = manager->recordCount();
    const bench::GuiLoad load = bench::measureFor(manager, seconds * 1000);
    return {double(feed->receivedCount() - received) / seconds, double(manager->recordCount() - delivered) / seconds,
            load.cpuPercent};
}

// From a publisher thread here at rate records a second for 100 securities
// to the receiving slot, each record stamped with its send time.
void latency(VQuotMgr *manager, const Bus &bus, const QStringList &securities, int rate, int seconds)
{
    VNatsQuotPublisher publisher;
    QString error;
    if (!publisher.open(settingsOf(bus.urls, NatsServer::Feed, NatsServer::FeedPassword), &error))
        std::exit(1);
    Receiver stamped;
    stamped.epoch = bench::nowNs();
    VQuotSubscriber hundred(&stamped, QStringLiteral("hundred"));
    hundred.setRecvSlot(&stamped, SLOT(doRecv(VQuotData *)));
    for (int i = 0; i < 100; ++i)
        hundred.addProduct(securities.at(i).at(0).toLatin1(), securities.at(i).mid(2));
    manager->subscribe(&hundred);
    bench::runFor(500);
    bench::PacedFeed paced(
        [&](const QVector<VQuotData> &batch) {
            for (VQuotData record : batch) {
                record.preOpenInterest -= stamped.epoch;
                publisher.publish(record);
            }
        },
        rate,
        [&](quint64 sequence, VQuotData &record) {
            const QString &key = securities.at(int(sequence % 100));
            record = bench::quote(key.at(0).toLatin1(), key.mid(2).toLatin1(), sequence / 100);
        });
    paced.start();
    bench::runFor(1000);
    stamped.latencies.clear();
    const qint64 cpu = bench::threadCpuNs();
    const qint64 wall = bench::nowNs();
    bench::runFor(seconds * 1000);
    const double elapsed = double(bench::nowNs() - wall);
    const double guiCpu = 100.0 * double(bench::threadCpuNs() - cpu) / elapsed;
    paced.stop();
    std::vector<double> latencies(stamped.latencies.cbegin(), stamped.latencies.cend());
    std::printf("    publisher here at %d/s for 100 securities: %.0f delivered/s, latency median %.0f µs, "
                "99th percentile %.0f µs, GUI thread %.1f %%\n",
                rate, double(latencies.size()) * 1e9 / elapsed, bench::quantile(latencies, 0.5) / 1000,
                bench::quantile(latencies, 0.99) / 1000, guiCpu);
    manager->unsubscribe(&hundred);
}

// The realistic loads first, then the stress runs, which can leave a
// cluster's stream behind for a while.
void steadyState(HostContext &host, const Bus &bus, const QStringList &securities, int seconds)
{
    std::printf("  %s:\n", bus.name);
    VNatsQuotFeed *feed = connectClient(bus.urls);
    host.setQuotFeed(feed);
    VQuotMgr *manager = host.quotMgr();
    Receiver everything;
    VQuotSubscriber all(&everything, QStringLiteral("all"));
    all.setRecvSlot(&everything, SLOT(doRecv(VQuotData *)));
    for (const QString &key : securities)
        all.addProduct(key.at(0).toLatin1(), key.mid(2));
    const auto everySecurity = [&](int rate) {
        TarnFeed publisher(bus.urls, rate);
        manager->subscribe(&all);
        const Window w = measure(feed, manager, seconds);
        std::printf("    tarn-feed %s, all subscribed: %.0f received/s, %.0f delivered/s, GUI thread %.1f %%\n",
                    rate ? qPrintable(QStringLiteral("at %1/s").arg(rate)) : "at the exchanges' pace", w.received,
                    w.delivered, w.guiCpu);
        manager->unsubscribe(&all);
    };
    everySecurity(0);
    latency(manager, bus, securities, 5000, seconds);
    everySecurity(MarketOptions::MaxRate);
    {
        IModule *module = LoadBizModule(&host);
        IComponent *board
            = module->createComponent(nullptr, QStringLiteral("BCFtQuotPanel"), QStringLiteral("bench"), nullptr);
        board->resize(1280, 800);
        board->show();
        TarnFeed publisher(bus.urls, 50000);
        Window w = measure(feed, manager, seconds);
        std::printf("    tarn-feed at 50000/s, the futures board alone (%d securities in view): %.0f received/s, "
                    "%.0f delivered/s, GUI thread %.1f %%\n",
                    manager->wantedProducts().size(), w.received, w.delivered, w.guiCpu);
        manager->subscribe(&all);
        w = measure(feed, manager, seconds);
        std::printf("    tarn-feed at 50000/s, the board and every security: %.0f received/s, %.0f delivered/s, "
                    "GUI thread %.1f %%\n",
                    w.received, w.delivered, w.guiCpu);
        manager->unsubscribe(&all);
        module->freeComponent(board);
        UnloadBizModule();
    }
    latency(manager, bus, securities, 50000, seconds);
    host.setQuotFeed(nullptr);
}

// Subscribes products together and waits up to timeoutMs for their first
// values; prints the median, the 99th percentile and the last of them.
void firstValues(VQuotMgr *manager, const char *what, const QStringList &products, int timeoutMs)
{
    Receiver first;
    VQuotSubscriber page(&first, QStringLiteral("page"));
    page.setRecvSlot(&first, SLOT(doRecv(VQuotData *)));
    for (const QString &key : products)
        page.addProduct(key.at(0).toLatin1(), key.mid(2));
    const qint64 start = bench::nowNs();
    manager->subscribe(&page);
    while (first.firstNs.size() < products.size() && bench::nowNs() - start < qint64(timeoutMs) * 1000000)
        bench::runFor(1);
    std::vector<double> ms;
    for (const qint64 at : qAsConst(first.firstNs))
        ms.push_back(double(at - start) / 1e6);
    const int missing = products.size() - int(ms.size());
    std::printf("    %-44s median %8.1f ms, 99th percentile %8.1f ms, last %8.1f ms%s\n", what,
                bench::quantile(ms, 0.5), bench::quantile(ms, 0.99),
                ms.empty() ? 0.0 : *std::max_element(ms.cbegin(), ms.cend()),
                missing
                    ? qPrintable(QStringLiteral(", %1 without a value after %2 s").arg(missing).arg(timeoutMs / 1000))
                    : "");
    manager->unsubscribe(&page);
}

void timeToFirstValue(NatsCluster &cluster, const Bus &single, const Bus &clustered, const QStringList &securities)
{
    QStringList page;
    for (const QString &key : securities) {
        if (key.startsWith(QLatin1String("H|")) && page.size() < 23)
            page << key;
    }
    TarnFeed paceOnSingle(single.urls, 0);
    TarnFeed paceOnCluster(clustered.urls, 0);
    bench::runFor(3000); // every security's current record is out
    for (const Bus *bus : {&clustered, &single}) {
        std::printf("  %s, tarn-feed at the exchanges' pace:\n", bus->name);
        VQuotMgr manager;
        manager.setFeed(connectClient(bus->urls));
        firstValues(&manager, "a page of 23 futures contracts:", page, 30000);
        firstValues(&manager, qPrintable(QStringLiteral("the whole market, %1 securities:").arg(securities.size())),
                    securities, 30000);
    }

    VNatsQuotPublisher publisher;
    QString error;
    if (!publisher.open(settingsOf(clustered.urls, NatsServer::Feed, NatsServer::FeedPassword), &error))
        std::exit(1);
    for (int i = 0; i < 300 && publisher.link().state() != VQuotFeed::LinkState::Connected; ++i)
        bench::runFor(10);
    QStringList synthetic;
    const qint64 stored = cluster.storedQuotes();
    for (int i = 0; i < 2000; ++i) {
        synthetic << QStringLiteral("9|B%1").arg(i, 5, 10, QLatin1Char('0'));
        publisher.publish(bench::quote('9', synthetic.constLast().mid(2).toLatin1(), 0));
    }
    publisher.flush(5000);
    while (cluster.storedQuotes() < stored + synthetic.size())
        bench::runFor(10);
    std::printf("  %s, 2,000 securities published once:\n", clustered.name);
    VQuotMgr manager;
    manager.setFeed(connectClient(clustered.urls));
    firstValues(&manager, "all 2,000 at once:", synthetic, 10000);
    firstValues(&manager, "again, a page of 23 of them:", synthetic.mid(1000, 23), 10000);
}

void failover(NatsCluster &cluster, const Bus &clustered, const QStringList &securities)
{
    const int rounds = 5;
    const QStringList hundred = securities.mid(0, 100);
    VQuotMgr manager;
    VNatsQuotFeed *feed = connectClient(clustered.urls);
    manager.setFeed(feed);
    Receiver arrivals;
    arrivals.keepArrivals = true;
    VQuotSubscriber subscriber(&arrivals, QStringLiteral("failover"));
    subscriber.setRecvSlot(&arrivals, SLOT(doRecv(VQuotData *)));
    for (const QString &key : hundred)
        subscriber.addProduct(key.at(0).toLatin1(), key.mid(2));
    subscriber.subscribe();
    std::vector<double> gaps;
    std::vector<double> reconnects;
    for (int round = 0; round < rounds; ++round) {
        const int victim = cluster.indexOf(feed->linkDetail());
        QStringList others = clustered.urls;
        others.removeAt(victim);
        VNatsQuotPublisher publisher;
        QString error;
        if (victim < 0 || !publisher.open(settingsOf(others, NatsServer::Feed, NatsServer::FeedPassword), &error))
            std::exit(1);
        bench::PacedFeed paced(
            [&](const QVector<VQuotData> &batch) {
                for (const VQuotData &record : batch)
                    publisher.publish(record);
            },
            20000,
            [&](quint64 sequence, VQuotData &record) {
                const QString &key = hundred.at(int(sequence % 100));
                record = bench::quote(key.at(0).toLatin1(), key.mid(2).toLatin1(), sequence / 100);
            });
        paced.start();
        bench::runFor(1000);
        arrivals.arrivalsNs.clear();
        const qint64 killedAt = bench::nowNs();
        cluster.server(victim).kill();
        while (feed->linkState() != VQuotFeed::LinkState::Connected || cluster.indexOf(feed->linkDetail()) == victim)
            bench::runFor(1);
        reconnects.push_back(double(bench::nowNs() - killedAt) / 1e6);
        bench::runFor(1000);
        paced.stop();
        // A security's gap: the longest time between two of its records around the kill.
        for (const QString &key : hundred) {
            const QVector<qint64> &at = arrivals.arrivalsNs[key];
            qint64 longest = 0;
            for (int i = 1; i < at.size(); ++i)
                longest = qMax(longest, at.at(i) - at.at(i - 1));
            gaps.push_back(double(longest) / 1e6);
        }
        QString ignored;
        cluster.server(victim).start(&ignored);
    }
    std::printf("  %s, the client's server killed %d times (%d securities at 20000 records/s from the others):\n"
                "    reconnected after median %.1f ms, longest %.1f ms; gap in a security's quotes median %.1f ms, "
                "99th percentile %.1f ms, longest %.1f ms\n",
                clustered.name, rounds, int(hundred.size()), bench::quantile(reconnects, 0.5),
                *std::max_element(reconnects.cbegin(), reconnects.cend()), bench::quantile(gaps, 0.5),
                bench::quantile(gaps, 0.99), *std::max_element(gaps.cbegin(), gaps.cend()));
}

// Subscribes every product for one receiver and waits up to timeoutMs for
// all their values; false when some did not come.
bool showAll(VQuotSubscriber &subscriber, const Receiver &seen, const QStringList &products, int timeoutMs)
{
    for (const QString &key : products)
        subscriber.addProduct(key.at(0).toLatin1(), key.mid(2));
    subscriber.subscribe();
    const qint64 start = bench::nowNs();
    while (seen.firstNs.size() < products.size() && bench::nowNs() - start < qint64(timeoutMs) * 1000000)
        bench::runFor(5);
    return seen.firstNs.size() == products.size();
}

// The whole cluster killed while tarn-feed publishes at the exchanges' pace
// and a client shows every security, then started again: once with every
// server's disk as it was, once with the disks lost (the stream is gone and
// tarn-feed makes it again). From the moment the cluster is healthy: until
// the client is current (the latest records asked for at its reconnection
// are in) and until every security has had a record since. Beside it, the
// same-run baseline: a client started on the healthy cluster, subscribing
// the same securities. Then closing the client (every subscription ended,
// the connection closed) with every server gone, beside closing it with its
// servers up.
void outage(NatsCluster &cluster, const Bus &clustered, const QStringList &securities)
{
    TarnFeed pace(clustered.urls, 0);
    bench::runFor(3000);
    std::printf("  %s, tarn-feed at the exchanges' pace, a client showing all %lld securities:\n", clustered.name,
                static_cast<long long>(securities.size()));
    for (const bool disksLost : {false, true}) {
        {
            VQuotMgr fresh;
            fresh.setFeed(connectClient(clustered.urls));
            firstValues(&fresh, "baseline, a client that starts now:", securities, 10000);
        }
        VQuotMgr manager;
        VNatsQuotFeed *feed = connectClient(clustered.urls);
        manager.setFeed(feed);
        Receiver seen;
        VQuotSubscriber all(&seen, QStringLiteral("outage"));
        all.setRecvSlot(&seen, SLOT(doRecv(VQuotData *)));
        if (!showAll(all, seen, securities, 10000)) {
            std::printf("    not every security shown before the outage\n");
            return;
        }
        for (int i = 0; i < NatsCluster::Size; ++i) {
            cluster.server(i).kill();
            if (disksLost)
                cluster.server(i).clearStore();
        }
        while (feed->linkState() == VQuotFeed::LinkState::Connected)
            bench::runFor(1);
        bench::runFor(1000);
        seen.firstNs.clear();
        QString error;
        if (!cluster.start(&error)) {
            std::printf("    the cluster did not come back: %s\n", qPrintable(error));
            std::exit(1);
        }
        const qint64 healthyAt = bench::nowNs();
        qint64 currentAt = 0;
        while ((!currentAt || seen.firstNs.size() < securities.size()) && bench::nowNs() - healthyAt < 30000000000) {
            bench::runFor(1);
            if (!currentAt && feed->isCurrent() && feed->linkState() == VQuotFeed::LinkState::Connected)
                currentAt = bench::nowNs();
        }
        qint64 lastAt = 0;
        for (const qint64 at : qAsConst(seen.firstNs))
            lastAt = qMax(lastAt, at);
        const int missing = securities.size() - seen.firstNs.size();
        std::printf("    restarted %-19s current %6.0f ms after healthy, every security again after %6.0f ms%s\n",
                    disksLost ? "with the disks lost:" : "with its disks:",
                    currentAt ? double(currentAt - healthyAt) / 1e6 : -1.0, double(lastAt - healthyAt) / 1e6,
                    missing ? qPrintable(QStringLiteral(" (%1 without a record after 30 s)").arg(missing)) : "");
    }

    const auto closeMs = [&](bool serversGone) {
        auto manager = std::make_unique<VQuotMgr>();
        VNatsQuotFeed *feed = connectClient(clustered.urls);
        manager->setFeed(feed);
        Receiver seen;
        auto all = std::make_unique<VQuotSubscriber>(&seen, QStringLiteral("close"));
        all->setRecvSlot(&seen, SLOT(doRecv(VQuotData *)));
        showAll(*all, seen, securities, 10000);
        if (serversGone) {
            for (int i = 0; i < NatsCluster::Size; ++i)
                cluster.server(i).kill();
            while (feed->linkState() == VQuotFeed::LinkState::Connected)
                bench::runFor(1);
        }
        const qint64 start = bench::nowNs();
        all.reset();
        manager.reset();
        return double(bench::nowNs() - start) / 1e6;
    };
    const double up = closeMs(false);
    const double gone = closeMs(true);
    std::printf("    closing the client: %.1f ms with every server gone, %.1f ms with its servers up\n", gone, up);
    QString error;
    if (!cluster.start(&error))
        std::exit(1);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? qMax(1, atoi(argv[1])) : 5;
    bench::logAsTheClient();

    NatsServer single;
    NatsCluster plainCluster(false);
    NatsCluster cluster;
    QString error;
    if (NatsServer::program().isEmpty() || !single.start(&error) || !plainCluster.start(&error)
        || !cluster.start(&error)) {
        std::fprintf(stderr, "bench_natsfeed: no nats-server: %s\n", qPrintable(error));
        return 1;
    }
    const Bus alone {"one server without the quote stream", QStringList(single.url())};
    const Bus plain {"three-server cluster without JetStream", plainCluster.urls()};
    const Bus clustered {"three-server cluster with the quote stream", cluster.urls()};
    QTemporaryDir dir;
    HostContext::Options options;
    options.configDbPath = dir.filePath(QStringLiteral("config.db"));
    options.dataDir = QStringLiteral(TARN_DATA_DIR);
    options.sysDate = BusinessDate;
    HostContext host(options);
    host.localDb()->setCfgParam(
        QStringLiteral("PG_Trd_FtQuotPanel"),
        {{QStringLiteral("Check_Market"), QStringLiteral("H")},
         {QStringLiteral("SHQH_Check_Products"), QStringLiteral("cu=铜;au=黄金;ag=白银;rb=螺纹钢")}},
        true);
    const QStringList securities = host.securityKeys();
    std::printf("bench_natsfeed: %d s windows, %lld securities, frames of %d bytes\n", seconds,
                static_cast<long long>(securities.size()), int(VQuotFrame::Size));

    // Stress runs last: they can leave a cluster's stream behind for a while.
    const QString only = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    const auto runs = [&only](const char *part) { return only.isEmpty() || only == QLatin1String(part); };
    if (runs("first")) {
        std::printf("time to first value of securities subscribed together\n");
        timeToFirstValue(cluster, alone, clustered, securities);
    }
    if (runs("failover")) {
        std::printf("failover\n");
        failover(cluster, clustered, securities);
    }
    if (runs("outage")) {
        std::printf("outage of the whole cluster\n");
        outage(cluster, clustered, securities);
    }
    if (runs("steady")) {
        std::printf("steady state\n");
        for (const Bus *bus : {&alone, &plain, &clustered})
            steadyState(host, *bus, securities, seconds);
    }
    return 0;
}

#include "bench_natsfeed.moc"
