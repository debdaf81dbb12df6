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
    parser.setApplicationDescription(
        QStringLiteral("像交易客户端一样承载 tarn 行情模块, 行情来自模拟市场或行情总线。"));
    parser.addHelpOption();
    const QCommandLineOption config(
        QStringLiteral("config"),
        QStringLiteral("配置库文件, 其文件夹须已存在 (默认: 用户配置文件夹中的 config.db, 首次运行时创建)。"),
        QStringLiteral("路径"));
    const QCommandLineOption components(
        QStringLiteral("components"),
        QStringLiteral("要显示的元件类名, 以逗号分隔, 按此顺序 (默认: 业务模块提供的全部元件)。"),
        QStringLiteral("类名列表"));
    const QCommandLineOption library(QStringLiteral("library"),
                                     QStringLiteral("业务模块库 (默认: tarn-host 所在文件夹中的 libtarn)。"),
                                     QStringLiteral("路径"));
    const QCommandLineOption record(QStringLiteral("record"),
                                    QStringLiteral("把元件收到的每条行情记录写入文件, 供 tarn-feed --replay 回放。"),
                                    QStringLiteral("文件"));
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"),
        QStringLiteral("运行后为每个元件保存一张 PNG 截图到该文件夹并退出; 与 -platform offscreen 同用或在 Xvfb 下运行。"),
        QStringLiteral("文件夹"));
    const QCommandLineOption duration(
        QStringLiteral("duration"),
        QStringLiteral("截图前 (默认 5 秒) 或退出前行情运行的秒数; 这样的运行使用配置库在内存中的副本, 不改动配置库。"),
        QStringLiteral("秒数"));
    parser.addOptions({config, components, library});
    parser.addOptions(marketOptions());
    parser.addOptions(VNatsSettings::options());
    parser.addOptions({record, screenshot, duration});
    if (!parseCommandLine(parser, arguments, error))
        return false;

    if (!readMarketOptions(parser, error) || !feed.read(parser, error))
        return false;
    if (!feed.urls.isEmpty() && drivesSimulator(parser)) {
        *error = QStringLiteral("--rate 和 --seed 用于内置的模拟行情; 使用 --feed 时请把它们交给 tarn-feed");
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
            *error = QStringLiteral("--components 至少需要一个元件类名");
            return false;
        }
    }
    if (parser.isSet(duration)) {
        bool ok = true;
        durationSeconds = parser.value(duration).toInt(&ok);
        if (!ok || durationSeconds < 0) {
            *error = QStringLiteral("--duration 需要一个非负的秒数");
            return false;
        }
    } else if (!screenshotDir.isEmpty()) {
        durationSeconds = 5;
    }
    return true;
}
