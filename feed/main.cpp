// tarn-feed: the quote gateway of the sample market. It publishes quote
// records on the NATS bus, one subject per security, for any number of
// tarn-host windows started with --feed: the simulated market of the sample
// data (every security, at a total rate), or a recording of tarn-host
// --record at its recorded pace. The bus's quote stream keeps each
// security's latest record for clients that start wanting it.

#include "feedoptions.h"
#include "tapeplayer.h"

#include <hostcontext.h>
#include <vlogsink.h>
#include <vnatsquotpublisher.h>
#include <vnatsquotstream.h>
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
    QLoggingCategory::setFilterRules(QStringLiteral("vexa.log.info=false"));

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
            say(QStringLiteral("the sample market has no securities; the log has the details: %1")
                    .arg(QDir::toNativeSeparators(VLog::logFilePath())));
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
        say(QStringLiteral("publishing %1 securities %2 to %3")
                .arg(securities.size())
                .arg(options.rate ? QStringLiteral("at up to %1 records per second").arg(options.rate)
                                  : QStringLiteral("at the exchanges' pace"))
                .arg(options.bus.servers()));
    } else {
        QObject::connect(&player, &QThread::finished, &app, [&] {
            say(QStringLiteral("replayed %1 records, skipped %2 malformed ones")
                    .arg(player.playedCount())
                    .arg(player.rejects().total()));
            QCoreApplication::quit();
        });
    }

    // Publishing waits for the first connection and pauses while the bus is away,
    // so no stale burst goes out on a reconnect.
    const auto follow = [&] {
        const VNatsLink::State state = link.state();
        // The stream exists before the first record goes out; after a
        // reconnection this only confirms it.
        if (state == VNatsLink::State::Connected && !VNatsQuotStream::create(link.connection(), &error))
            say(QStringLiteral("the bus keeps no latest records (stream %1: %2); clients wait for each security's "
                               "next record")
                    .arg(QLatin1String(VNatsQuotStream::Name), error));
        if (state == VNatsLink::State::Connected && !options.replayPath.isEmpty() && !player.isRunning()
            && !player.isFinished())
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
    player.requestStop();
    player.wait();
    publisher.flush(FinalFlushMs);
    if (options.replayPath.isEmpty())
        say(QStringLiteral("published %1 records").arg(published.load()));
    return status ? status : exitCode;
}
