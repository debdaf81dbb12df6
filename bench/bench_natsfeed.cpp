// The quote bus end to end, through a local nats-server started here:
//  - tarn-feed at its highest rate, every security of the sample market
//    subscribed: records a second arriving at the transport and reaching a
//    receiving slot, and the GUI thread's CPU;
//  - tarn-feed at 50,000 records/s with the futures board shown: the board
//    alone (only its rows in view cross the network), then with every
//    security subscribed beside it (all 50,000/s reach the client);
//  - latency from publishing to the receiving slot, median and 99th
//    percentile: a publisher thread here sends 50,000 records/s for 100
//    securities, each stamped with its send time.
//
//   bench_natsfeed [seconds]

#include "benchutil.h"

#include <hostcontext.h>
#include <icomponent.h>
#include <imodule.h>
#include <marketoptions.h>
#include <natsserver.h>
#include <tarn.h>
#include <vlocaldb.h>
#include <vlogsink.h>
#include <vnatsquotfeed.h>
#include <vnatsquotpublisher.h>
#include <vquotsubscriber.h>

#include <QApplication>
#include <QLoggingCategory>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {

constexpr int BusinessDate = 20261205;

VNatsSettings busSettings(const NatsServer &server)
{
    VNatsSettings settings;
    settings.urls = QStringList(server.url());
    settings.user = QString::fromLatin1(NatsServer::User);
    settings.password = QString::fromLatin1(NatsServer::Password);
    return settings;
}

// Counts records and, for stamped ones, keeps their latency.
class Receiver : public QObject
{
    Q_OBJECT
public:
    quint64 records = 0;
    qint64 epoch = 0; // set: records carry their send time minus epoch in preOpenInterest
    QVector<qint64> latencies;

public slots:
    void doRecv(VQuotData *record)
    {
        ++records;
        if (epoch)
            latencies.append(bench::nowNs() - epoch - record->preOpenInterest);
    }
};

class TarnFeed
{
public:
    TarnFeed(const NatsServer &server, int rate)
    {
        m_process.start(QStringLiteral(TARN_FEED_PATH),
                        {QStringLiteral("--feed"), server.url(), QStringLiteral("--feed-user"),
                         QString::fromLatin1(NatsServer::User), QStringLiteral("--feed-password"),
                         QString::fromLatin1(NatsServer::Password), QStringLiteral("--data"),
                         QStringLiteral(TARN_DATA_DIR), QStringLiteral("--date"), QString::number(BusinessDate),
                         QStringLiteral("--rate"), QString::number(rate)});
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

struct Window
{
    double received; // a second, at the transport
    double delivered; // a second, to receiving slots
    double guiCpu;
};

Window measure(VNatsQuotFeed *feed, VQuotMgr *manager, int seconds)
{
    bench::runFor(1000); // the feed's start and the subscriptions settle
    const quint64 received = feed->receivedCount();
    const quint64 delivered = manager->recordCount();
    const bench::GuiLoad load = bench::measureFor(manager, seconds * 1000);
    return {double(feed->receivedCount() - received) / seconds, double(manager->recordCount() - delivered) / seconds,
            load.cpuPercent};
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? qMax(1, atoi(argv[1])) : 5;
    QLoggingCategory::setFilterRules(QStringLiteral("vexa.log.info=false"));
    VLog::setFileLogging(false);

    NatsServer server;
    QString error;
    if (NatsServer::program().isEmpty() || !server.start(&error)) {
        std::fprintf(stderr, "bench_natsfeed: no nats-server: %s\n", qPrintable(error));
        return 1;
    }
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
    auto *feed = new VNatsQuotFeed;
    if (!feed->open(busSettings(server), &error)) {
        std::fprintf(stderr, "bench_natsfeed: %s\n", qPrintable(error));
        return 1;
    }
    host.setQuotFeed(feed);
    VQuotMgr *manager = host.quotMgr();
    const QStringList securities = host.securityKeys();
    Receiver everything;
    auto *all = new VQuotSubscriber(&everything, QStringLiteral("all"));
    all->setRecvSlot(&everything, SLOT(doRecv(VQuotData *)));
    for (const QString &key : securities)
        all->addProduct(key.at(0).toLatin1(), key.mid(2));
    std::printf("bench_natsfeed: %d s windows, %lld securities, records of %d bytes\n", seconds,
                static_cast<long long>(securities.size()), int(VQuotFrame::Size));

    {
        TarnFeed publisher(server, MarketOptions::MaxRate);
        all->subscribe();
        const Window w = measure(feed, manager, seconds);
        std::printf("  tarn-feed at %d/s, all subscribed: %.0f received/s, %.0f delivered/s, GUI thread %.1f %%\n",
                    MarketOptions::MaxRate, w.received, w.delivered, w.guiCpu);
        all->unsubscribe(false);
    }
    {
        IModule *module = LoadBizModule(&host);
        IComponent *board
            = module->createComponent(nullptr, QStringLiteral("BCFtQuotPanel"), QStringLiteral("bench"), nullptr);
        board->resize(1280, 800);
        board->show();
        TarnFeed publisher(server, 50000);
        Window w = measure(feed, manager, seconds);
        std::printf("  tarn-feed at 50000/s, the futures board alone (%d securities in view): %.0f received/s, "
                    "%.0f delivered/s, GUI thread %.1f %%\n",
                    manager->wantedProducts().size(), w.received, w.delivered, w.guiCpu);
        all->subscribe();
        w = measure(feed, manager, seconds);
        std::printf("  tarn-feed at 50000/s, the board and every security: %.0f received/s, %.0f delivered/s, "
                    "GUI thread %.1f %%\n",
                    w.received, w.delivered, w.guiCpu);
        all->unsubscribe(false);
        module->freeComponent(board);
        UnloadBizModule();
    }
    {
        VNatsQuotPublisher publisher;
        if (!publisher.open(busSettings(server), &error))
            return 1;
        Receiver stamped;
        stamped.epoch = bench::nowNs();
        auto *hundred = new VQuotSubscriber(&stamped, QStringLiteral("hundred"));
        hundred->setRecvSlot(&stamped, SLOT(doRecv(VQuotData *)));
        for (int i = 0; i < 100; ++i)
            hundred->addProduct(securities.at(i).at(0).toLatin1(), securities.at(i).mid(2));
        hundred->subscribe();
        bench::runFor(500);
        bench::PacedFeed paced(
            [&](const QVector<VQuotData> &batch) {
                for (VQuotData record : batch) {
                    record.preOpenInterest -= stamped.epoch;
                    publisher.publish(record);
                }
            },
            50000,
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
        std::vector<qint64> sorted(stamped.latencies.cbegin(), stamped.latencies.cend());
        std::sort(sorted.begin(), sorted.end());
        const auto percentile = [&sorted](double p) {
            return sorted.empty() ? 0.0 : double(sorted[size_t(p * double(sorted.size() - 1))]) / 1000.0;
        };
        std::printf("  publisher here at 50000/s for 100 securities: %.0f delivered/s, latency median %.0f µs, "
                    "99th percentile %.0f µs, GUI thread %.1f %%\n",
                    double(sorted.size()) * 1e9 / elapsed, percentile(0.5), percentile(0.99), guiCpu);
    }
    return 0;
}

#include "bench_natsfeed.moc"
