#include "feedoptions.h"

#include <QCommandLineParser>

bool FeedOptions::parse(const QStringList &arguments, QString *error)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("在行情总线上发布样本市场的模拟行情, 或 tarn-host --record 录制的行情。"));
    parser.addHelpOption();
    const QCommandLineOption replay(QStringLiteral("replay"),
                                    QStringLiteral("按录制时的节奏发布文件 (tarn-host --record 所写) 中的记录, "
                                                   "代替模拟市场。"),
                                    QStringLiteral("文件"));
    const QCommandLineOption speedOption(QStringLiteral("speed"),
                                         QStringLiteral("以录制时的 X 倍速度重放 (默认 1)。"), QStringLiteral("X"));
    const QCommandLineOption duration(QStringLiteral("duration"),
                                      QStringLiteral("发布多少秒后退出 (默认: 直到被停止)。"), QStringLiteral("秒数"));
    parser.addOptions(VNatsSettings::options());
    parser.addOptions(marketOptions());
    parser.addOptions({replay, speedOption, duration});
    if (!parseCommandLine(parser, arguments, error))
        return false;
    if (!bus.read(parser, error) || !readMarketOptions(parser, error))
        return false;
    if (bus.urls.isEmpty()) {
        *error = QStringLiteral("需要 --feed: 发布到的 NATS 服务器, nats://HOST:PORT[,nats://HOST:PORT...]");
        return false;
    }
    bus.name = QStringLiteral("tarn-feed");
    replayPath = parser.value(replay);
    if (!replayPath.isEmpty() && drivesSimulator(parser)) {
        *error = QStringLiteral("--rate 和 --seed 用于模拟市场, 不能与 --replay 同用");
        return false;
    }
    bool ok = true;
    if (parser.isSet(speedOption)) {
        speed = parser.value(speedOption).toDouble(&ok);
        if (replayPath.isEmpty() || !ok || !(speed > 0 && speed <= MaxSpeed)) {
            *error = QStringLiteral("--speed 需要与 --replay 同用, 倍数大于 0 且至多为 %1").arg(MaxSpeed);
            return false;
        }
    }
    if (parser.isSet(duration)) {
        durationSeconds = parser.value(duration).toInt(&ok);
        if (!ok || durationSeconds < 0) {
            *error = QStringLiteral("--duration 需要一个非负的秒数");
            return false;
        }
    }
    return true;
}
