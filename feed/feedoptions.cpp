#include "feedoptions.h"

#include <QCommandLineParser>

bool FeedOptions::parse(const QStringList &arguments, QString *error)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Publishes the sample market's simulated quotes, or a recording of tarn-host --record, on the "
                       "quote bus."));
    parser.addHelpOption();
    const QCommandLineOption replay(QStringLiteral("replay"),
                                    QStringLiteral("Publish the records of FILE (written by tarn-host --record) at "
                                                   "their recorded pace instead of the simulated market."),
                                    QStringLiteral("FILE"));
    const QCommandLineOption speedOption(QStringLiteral("speed"),
                                         QStringLiteral("Replay X times as fast as recorded (default 1)."),
                                         QStringLiteral("X"));
    const QCommandLineOption duration(QStringLiteral("duration"),
                                      QStringLiteral("Seconds to publish before quitting (default: until stopped)."),
                                      QStringLiteral("SECONDS"));
    parser.addOptions(VNatsSettings::options());
    parser.addOptions(marketOptions());
    parser.addOptions({replay, speedOption, duration});
    if (!parseCommandLine(parser, arguments, error))
        return false;
    if (!bus.read(parser, error) || !readMarketOptions(parser, error))
        return false;
    if (bus.urls.isEmpty()) {
        *error = QStringLiteral(
            "--feed is required: the NATS servers to publish to, nats://HOST:PORT[,nats://HOST:PORT...]");
        return false;
    }
    bus.name = QStringLiteral("tarn-feed");
    replayPath = parser.value(replay);
    if (!replayPath.isEmpty() && drivesSimulator(parser)) {
        *error = QStringLiteral("--rate and --seed drive the simulated market, not a replay");
        return false;
    }
    bool ok = true;
    if (parser.isSet(speedOption)) {
        speed = parser.value(speedOption).toDouble(&ok);
        if (replayPath.isEmpty() || !ok || !(speed > 0 && speed <= MaxSpeed)) {
            *error = QStringLiteral("--speed wants --replay and a factor above 0, at most %1").arg(MaxSpeed);
            return false;
        }
    }
    if (parser.isSet(duration)) {
        durationSeconds = parser.value(duration).toInt(&ok);
        if (!ok || durationSeconds < 0) {
            *error = QStringLiteral("--duration wants a non-negative number of seconds");
            return false;
        }
    }
    return true;
}
