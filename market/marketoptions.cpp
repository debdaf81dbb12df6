#include "marketoptions.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QDate>
#include <QDir>
#include <QFileInfo>

namespace {

const QString Data = QStringLiteral("data");
const QString Date = QStringLiteral("date");
const QString Rate = QStringLiteral("rate");
const QString Seed = QStringLiteral("seed");

} // namespace

QList<QCommandLineOption> MarketOptions::marketOptions() const
{
    return {
        {Data, QStringLiteral("样本行情文件所在的文件夹 (默认: 内置的样本行情)。"), QStringLiteral("文件夹")},
        {Date, QStringLiteral("业务日期 (默认: 今天)。"), QStringLiteral("YYYYMMDD")},
        {Rate,
         QStringLiteral("压力测试: 每秒至多 N 条模拟行情记录 (1 至 %1), 各证券轮流, 轮到的证券每条记录都有成交 (默认: "
                        "交易所节奏, 股票和基金每 3 秒、期货和期权每 0.5 秒一次快照, 各证券按其市场的频度成交)。")
             .arg(MaxRate),
         QStringLiteral("N")},
        {Seed, QStringLiteral("模拟市场的随机种子 (默认: %1)。").arg(seed), QStringLiteral("N")},
    };
}

bool MarketOptions::readMarketOptions(const QCommandLineParser &parser, QString *error)
{
    dataDir = parser.value(Data);
    // A mistyped folder is refused rather than read as an empty market.
    if (!dataDir.isEmpty() && !QFileInfo(dataDir).isDir()) {
        *error = QStringLiteral("--data: 样本行情文件夹[%1]不存在或不是文件夹")
                     .arg(QDir::toNativeSeparators(QFileInfo(dataDir).absoluteFilePath()));
        return false;
    }
    if (parser.isSet(Date)) {
        const QString text = parser.value(Date);
        if (!QDate::fromString(text, QStringLiteral("yyyyMMdd")).isValid()) {
            *error = QStringLiteral("--date 需要 YYYYMMDD 格式的日期, 而不是\"%1\"").arg(text);
            return false;
        }
        sysDate = text.toInt();
    }
    bool ok = true;
    if (parser.isSet(Rate)) {
        rate = parser.value(Rate).toInt(&ok);
        if (!ok || rate < 1 || rate > MaxRate) {
            *error = QStringLiteral("--rate 需要每秒 1 至 %1 条记录").arg(MaxRate);
            return false;
        }
    }
    if (parser.isSet(Seed)) {
        seed = parser.value(Seed).toUInt(&ok);
        if (!ok) {
            *error = QStringLiteral("--seed 需要一个非负整数");
            return false;
        }
    }
    return true;
}

bool MarketOptions::drivesSimulator(const QCommandLineParser &parser)
{
    return parser.isSet(Rate) || parser.isSet(Seed);
}

bool MarketOptions::parseCommandLine(QCommandLineParser &parser, const QStringList &arguments, QString *error)
{
    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        return false;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (!parser.positionalArguments().isEmpty()) {
        *error = QStringLiteral("多余的参数: %1").arg(parser.positionalArguments().constFirst());
        return false;
    }
    return true;
}
