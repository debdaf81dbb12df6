#include "hostoptions.h"

#include <QCommandLineParser>
#include <QDate>
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
    parser.setApplicationDescription(
        QStringLiteral("Hosts the tarn quote module on a simulated market, as the trading client does."));
    parser.addHelpOption();
    const QCommandLineOption config(QStringLiteral("config"),
                                    QStringLiteral("Configuration database in an existing folder (default: in the "
                                                   "user's configuration folder; created on first run)."),
                                    QStringLiteral("PATH"));
    const QCommandLineOption data(QStringLiteral("data"),
                                  QStringLiteral("Folder of sample market files (default: the built-in ones)."),
                                  QStringLiteral("DIR"));
    const QCommandLineOption date(QStringLiteral("date"), QStringLiteral("Business date (default: today)."),
                                  QStringLiteral("YYYYMMDD"));
    const QCommandLineOption components(
        QStringLiteral("components"),
        QStringLiteral("Component class names to show, comma-separated, in this order (default: every one the "
                       "module offers)."),
        QStringLiteral("LIST"));
    const QCommandLineOption library(QStringLiteral("library"),
                                     QStringLiteral("The module library (default: libtarn beside tarn-host)."),
                                     QStringLiteral("PATH"));
    const QCommandLineOption rateOption(
        QStringLiteral("rate"),
        QStringLiteral("Simulated quote records per second, 1 to %1 (default: %2).").arg(MaxRate).arg(rate),
        QStringLiteral("N"));
    const QCommandLineOption seedOption(QStringLiteral("seed"),
                                        QStringLiteral("Seed of the simulated market (default: %1).").arg(seed),
                                        QStringLiteral("N"));
    const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                        QStringLiteral("Run, save one PNG per component in DIR and exit; use with "
                                                       "-platform offscreen or under Xvfb."),
                                        QStringLiteral("DIR"));
    const QCommandLineOption duration(QStringLiteral("duration"),
                                      QStringLiteral("Seconds the feed runs before the screenshots are taken (default "
                                                     "5), or before tarn-host quits."),
                                      QStringLiteral("SECONDS"));
    parser.addOptions({config, data, date, components, library, rateOption, seedOption, screenshot, duration});
    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        return false;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (!parser.positionalArguments().isEmpty()) {
        *error = QStringLiteral("unexpected argument: %1").arg(parser.positionalArguments().constFirst());
        return false;
    }

    configPath = parser.value(config);
    dataDir = parser.value(data);
    // A mistyped folder is refused rather than made or read as an empty market.
    if (!dataDir.isEmpty() && !QFileInfo(dataDir).isDir()) {
        *error = QStringLiteral("--data: 样本行情文件夹[%1]不存在或不是文件夹").arg(shown(dataDir));
        return false;
    }
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
    libraryPath = parser.value(library);
    screenshotDir = parser.value(screenshot);
    if (parser.isSet(date)) {
        const QString text = parser.value(date);
        if (!QDate::fromString(text, QStringLiteral("yyyyMMdd")).isValid()) {
            *error = QStringLiteral("--date wants a date as YYYYMMDD, not \"%1\"").arg(text);
            return false;
        }
        sysDate = text.toInt();
    }
    if (parser.isSet(components)) {
        this->components = parser.value(components).split(QLatin1Char(','), Qt::SkipEmptyParts);
        for (QString &name : this->components)
            name = name.trimmed();
        if (this->components.isEmpty()) {
            *error = QStringLiteral("--components wants at least one class name");
            return false;
        }
    }
    bool ok = true;
    if (parser.isSet(rateOption)) {
        rate = parser.value(rateOption).toInt(&ok);
        if (!ok || rate < 1 || rate > MaxRate) {
            *error = QStringLiteral("--rate wants 1 to %1 records per second").arg(MaxRate);
            return false;
        }
    }
    if (parser.isSet(seedOption)) {
        seed = parser.value(seedOption).toUInt(&ok);
        if (!ok) {
            *error = QStringLiteral("--seed wants a non-negative integer");
            return false;
        }
    }
    if (parser.isSet(duration)) {
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
