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
        {Data, QStringLiteral("Folder of sample market files (default: the built-in ones)."), QStringLiteral("DIR")},
        {Date, QStringLiteral("Business date (default: today)."), QStringLiteral("YYYYMMDD")},
        {Rate,
         QStringLiteral("Stress run: at most N simulated quote records per second, 1 to %1, the securities taking "
                        "turns, each trading in every record of its turn (default: the exchanges' pace, a snapshot "
                        "of stocks and funds every 3 s and of futures and options every 0.5 s, each security "
                        "trading as often as its market does).")
             .arg(MaxRate),
         QStringLiteral("N")},
        {Seed, QStringLiteral("Seed of the simulated market (default: %1).").arg(seed), QStringLiteral("N")},
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
            *error = QStringLiteral("--date wants a date as YYYYMMDD, not \"%1\"").arg(text);
            return false;
        }
        sysDate = text.toInt();
    }
    bool ok = true;
    if (parser.isSet(Rate)) {
        rate = parser.value(Rate).toInt(&ok);
        if (!ok || rate < 1 || rate > MaxRate) {
            *error = QStringLiteral("--rate wants 1 to %1 records per second").arg(MaxRate);
            return false;
        }
    }
    if (parser.isSet(Seed)) {
        seed = parser.value(Seed).toUInt(&ok);
        if (!ok) {
            *error = QStringLiteral("--seed wants a non-negative integer");
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
        *error = QStringLiteral("unexpected argument: %1").arg(parser.positionalArguments().constFirst());
        return false;
    }
    return true;
}
