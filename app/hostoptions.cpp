#include "hostoptions.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

namespace {

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

} // namespace

QStringList HostOptions::defaultComponents()
{
    return {QStringLiteral("BCQuotPanel"), QStringLiteral("BCFtQuotPanel"), QStringLiteral("BCOptionalStk"),
            QStringLiteral("BCStoQuot")};
}

bool HostOptions::parse(const QStringList &arguments, QString *error)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Hosts the tarn quote module on a simulated market, or on quotes from a bus, as the trading client does."));
    parser.addHelpOption();
    const QCommandLineOption config(QStringLiteral("config"),
                                    QStringLiteral("Configuration database in an existing folder (default: in the "
                                                   "user's configuration folder; created on first run)."),
                                    QStringLiteral("PATH"));
    const QCommandLineOption components(
        QStringLiteral("components"),
        QStringLiteral("Component class names to show, comma-separated, in this order (default: every one the "
                       "module offers)."),
        QStringLiteral("LIST"));
    const QCommandLineOption library(QStringLiteral("library"),
                                     QStringLiteral("The module library (default: libtarn beside tarn-host)."),
                                     QStringLiteral("PATH"));
    const QCommandLineOption record(
        QStringLiteral("record"),
        QStringLiteral("Write every quote record the components receive to FILE, for tarn-feed --replay."),
        QStringLiteral("FILE"));
    const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                        QStringLiteral("Run, save one PNG per component in DIR and exit; use with "
                                                       "-platform offscreen or under Xvfb."),
                                        QStringLiteral("DIR"));
    const QCommandLineOption duration(QStringLiteral("duration"),
                                      QStringLiteral("Seconds the feed runs before the screenshots are taken (default "
                                                     "5), or before tarn-host quits."),
                                      QStringLiteral("SECONDS"));
    parser.addOptions({config, components, library});
    parser.addOptions(marketOptions());
    parser.addOptions(VNatsSettings::options());
    parser.addOptions({record, screenshot, duration});
    if (!parseCommandLine(parser, arguments, error))
        return false;

    if (!readMarketOptions(parser, error) || !feed.read(parser, error))
        return false;
    if (!feed.urls.isEmpty() && drivesSimulator(parser)) {
        *error = QStringLiteral("--rate and --seed drive the built-in simulator; with --feed give them to tarn-feed");
        return false;
    }
    feed.name = QStringLiteral("tarn-host");
    configPath = parser.value(config);
    if (!configPath.isEmpty()) {
        const QFileInfo file(configPath);
        if (file.isDir()) {
            *error = QStringLiteral("--config: [%1]是文件夹,请给出配置库文件").arg(shown(configPath));
            return false;
        }
        if (!QFileInfo(file.absolutePath()).isDir()) {
            *error
                = QStringLiteral("--config: 配置库所在的文件夹[%1]不存在或不是文件夹").arg(shown(file.absolutePath()));
            return false;
        }
    }
    recordPath = parser.value(record);
    if (!recordPath.isEmpty() && !QFileInfo(QFileInfo(recordPath).absolutePath()).isDir()) {
        *error = QStringLiteral("--record: 录制文件所在的文件夹[%1]不存在或不是文件夹")
                     .arg(shown(QFileInfo(recordPath).absolutePath()));
        return false;
    }
    libraryPath = parser.value(library);
    screenshotDir = parser.value(screenshot);
    if (parser.isSet(components)) {
        this->components = parser.value(components).split(QLatin1Char(','), Qt::SkipEmptyParts);
        for (QString &name : this->components)
            name = name.trimmed();
        if (this->components.isEmpty()) {
            *error = QStringLiteral("--components wants at least one class name");
            return false;
        }
    }
    if (parser.isSet(duration)) {
        bool ok = true;
        durationSeconds = parser.value(duration).toInt(&ok);
        if (!ok || durationSeconds < 0) {
            *error = QStringLiteral("--duration wants a non-negative number of seconds");
            return false;
        }
    } else if (!screenshotDir.isEmpty()) {
        durationSeconds = 5;
    }
    return true;
}
