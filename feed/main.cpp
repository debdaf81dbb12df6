// tarn-feed: the quote gateway of the sample market. It publishes quote
// records on the NATS bus, one subject per security, for any number of
// tarn-host windows started with --feed: the simulated market of the sample
// data (every security, at a total rate), or a recording of tarn-host
// --record at its recorded pace. The bus's quote stream keeps each
// security's latest record for clients that start wanting it, and tarn-feed
// keeps the stream (StreamKeeper). It speaks Chinese, as tarn-host does.

#include "feedoptions.h"
#include "streamkeeper.h"
#include "tapeplayer.h"

#include <hostcontext.h>
#include <vlogsink.h>
#include <vnatsquotpublisher.h>
#include <vsimquotfeed.h>

#include <QCoreApplication>
#include <QDir>
#include <QLoggingCategory>
#include <QTimer>

#include <atomic>
#include <cstdio>

namespace {

const char *const BuiltInData = ":/sampledata";
// How long the publisher waits at the end for the server to take what is buffered.
constexpr int FinalFlushMs = 2000;

void say(const QString &text)
{
    std::fprintf(stderr, "tarn-feed: %s\n", text.toLocal8Bit().constData());
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarn-feed"));
    // Every log record goes to the log file; the console shows only failures.
    QLoggingCategory::setFilterRules(QStringLiteral("tarn.vlog.info=false"));

    FeedOptions options;
    QString error;
    if (!options.parse(QCoreApplication::arguments(), &error)) {
        say(error);
        return 2;
    }

    VQuotTapeReader tape;
    if (!options.replayPath.isEmpty() && !tape.open(options.replayPath, &error)) {
        say(QStringLiteral("--replay: %1: %2").arg(QDir::toNativeSeparators(options.replayPath), error));
        return 2;
    }
    VNatsQuotPublisher publisher;
    if (!publisher.open(options.bus, &error)) {
        say(error);
        return 2;
    }
    VNatsLink &link = publisher.link();
    QObject::connect(&link, &VNatsLink::serverError, [](const QString &text) { say(text); });

    int status = 0;
    std::atomic<quint64> published {0};
    VSimQuotFeed simulator;
    TapePlayer player(&tape, &publisher, options.speed);
    QStringList securities; // the simulated market's, every one published
    if (options.replayPath.isEmpty()) {
        HostContext::Options contextOptions;
        contextOptions.configDbPath = QStringLiteral(":memory:");
        contextOptions.dataDir = options.dataDir.isEmpty() ? QString::fromLatin1(BuiltInData) : options.dataDir;
        contextOptions.sysDate = options.sysDate;
        HostContext context(contextOptions);
        securities = context.securityKeys();
        if (securities.isEmpty()) {
            say(QStringLiteral("样本市场没有证券; 详见日志: %1").arg(QDir::toNativeSeparators(VLog::logFilePath())));
            return 1;
        }
        // The instruments' parameters are read here, once; the context is not needed afterwards.
        simulator.setResolver([&context](char market, const QString &code, VSimInstrument &out) {
            return context.simInstrument(market, code, out);
        });
        simulator.subscribe(securities);
        simulator.setResolver(nullptr);
        simulator.setSeed(options.seed);
        simulator.setRate(options.rate);
        simulator.setSink([&publisher, &published](const QVector<VQuotData> &batch) {
            for (const VQuotData &record : batch) {
                if (publisher.publish(record))
                    ++published;
            }
        });
        say(QStringLiteral("向 %1 发布 %2 个证券的行情, %3")
                .arg(options.bus.servers())
                .arg(securities.size())
                .arg(options.rate ? QStringLiteral("每秒至多 %1 条记录").arg(options.rate)
                                  : QStringLiteral("按交易所节奏")));
    } else {
        QObject::connect(&player, &TapePlayer::finished, &app, [&] {
            say(QStringLiteral("已重放 %1 条记录, 跳过 %2 条格式错误的记录")
                    .arg(player.playedCount())
                    .arg(player.rejects().total()));
            QCoreApplication::quit();
        });
    }

    // Publishing waits for the first connection and pauses while the bus is away,
    // so no stale burst goes out on a reconnect.
    StreamKeeper keeper(&publisher, say);
    const auto follow = [&] {
        const VNatsLink::State state = link.state();
        // The stream exists before the first record goes out; after a
        // reconnection it is checked at once.
        if (state == VNatsLink::State::Connected)
            keeper.connected();
        if (state == VNatsLink::State::Connected && !options.replayPath.isEmpty())
            player.start();
        simulator.setPaused(state != VNatsLink::State::Connected);
        // Every security's current record goes out first: its first one when
        // the simulator starts, again after a reconnection.
        if (options.replayPath.isEmpty() && state == VNatsLink::State::Connected) {
            if (simulator.isRunning())
                simulator.sendImages(securities);
            else
                simulator.start();
        }
        if (state != VNatsLink::State::Connecting)
            say(QStringLiteral("%1: %2").arg(VQuotFeed::linkStateText(state), link.detail()));
        if (state == VNatsLink::State::Refused || state == VNatsLink::State::Closed) {
            status = 1;
            QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
        }
    };
    QObject::connect(&link, &VNatsLink::stateChanged, &app, follow);
    follow();
    if (options.durationSeconds >= 0)
        QTimer::singleShot(options.durationSeconds * 1000, &app, &QCoreApplication::quit);

    const int exitCode = QCoreApplication::exec();
    simulator.stop();
    player.stop();
    publisher.flush(FinalFlushMs);
    if (options.replayPath.isEmpty())
        say(QStringLiteral("共发布 %1 条记录").arg(published.load()));
    return status ? status : exitCode;
}
