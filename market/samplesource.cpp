#include "samplesource.h"

#include <vcsv.h>
#include <voutput.h>

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>

namespace {

const char *const fileNames[] = {"securities.csv", "futures.csv", "options.csv", "dict.csv", "smile.csv", "rate.csv"};

// A positive finite number, or 0.
double positiveNumber(const QString &text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok && value > 0.0 && qIsFinite(value) ? value : 0.0;
}

// An optional positive number of a column, times scale, into value (0
// when the column is empty); false for a value that is no positive number.
bool optionalPositive(const QString &text, double scale, double *value)
{
    *value = text.isEmpty() ? 0.0 : positiveNumber(text) * scale;
    return text.isEmpty() || *value > 0.0;
}

// A finite number into value; false for anything else.
bool finiteNumber(const QString &text, double *value)
{
    bool ok = false;
    *value = text.toDouble(&ok);
    return ok && qIsFinite(*value);
}

} // namespace

// One line of a source file, its values reached by column name so that the
// columns may stand in any order.
class SampleSource::Line
{
public:
    Line(const QHash<QString, int> &columns, const QStringList &fields)
        : m_columns(columns)
        , m_fields(fields)
    {
    }
    // Empty for a column the file does not have.
    QString value(const char *column) const
    {
        return m_fields.value(m_columns.value(QLatin1String(column), -1)).trimmed();
    }

private:
    const QHash<QString, int> &m_columns;
    const QStringList &m_fields;
};

void SampleSource::read(const QString &dir)
{
    readFile(Securities, dir,
             {QStringLiteral("market"), QStringLiteral("stkcode"), QStringLiteral("stkname"), QStringLiteral("stktype"),
              QStringLiteral("preclose")},
             [this](const Line &line) { return takeStock(line); });
    readFile(Futures, dir,
             {QStringLiteral("market"), QStringLiteral("productid"), QStringLiteral("productname"),
              QStringLiteral("priceunit"), QStringLiteral("multiplier"), QStringLiteral("refprice"),
              QStringLiteral("limitratio"), QStringLiteral("listing"), QStringLiteral("expiry")},
             [this](const Line &line) { return takeProduct(line); });
    readFile(Options, dir,
             {QStringLiteral("underlying"), QStringLiteral("market"), QStringLiteral("name"), QStringLiteral("series")},
             [this](const Line &line) { return takeOptionSeries(line); });
    readFile(Dict, dir, {QStringLiteral("entry"), QStringLiteral("item"), QStringLiteral("text")},
             [this](const Line &line) { return takeDictItem(line); });
    readFile(Smile, dir,
             {QStringLiteral("underlying"), QStringLiteral("atm"), QStringLiteral("term"), QStringLiteral("skew"),
              QStringLiteral("curve")},
             [this](const Line &line) { return takeSmile(line); });
    readFile(Rate, dir, {QStringLiteral("rate")}, [this](const Line &line) { return takeRate(line); });
    if (m_read[Rate] && !m_rateRead)
        problem(QStringLiteral("样本数据文件[rate.csv]没有无风险利率,期权按利率0定价"));
}

bool SampleSource::hasRead(File file) const
{
    return m_read[file];
}

QStringList SampleSource::problems() const
{
    return m_problems;
}

void SampleSource::problem(const QString &message)
{
    m_problems << message;
    VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(), message);
}

void SampleSource::readFile(File file, const QString &dir, const QStringList &columns,
                            const std::function<QString(const Line &)> &take)
{
    const QString path = QDir::toNativeSeparators(QDir(dir).filePath(QLatin1String(fileNames[file])));
    QVector<VCsv::Line> lines;
    QString error;
    if (!QFileInfo::exists(path))
        error = QStringLiteral("不存在");
    else if (!VCsv::read(path, lines, &error))
        error = QStringLiteral("读取失败: %1").arg(error);
    else if (lines.isEmpty())
        error = QStringLiteral("为空");

    QHash<QString, int> index;
    if (error.isEmpty()) {
        const QStringList header = lines.takeFirst().fields;
        for (int i = 0; i < header.size(); ++i)
            index.insert(header.at(i).trimmed(), i);
        QStringList missing;
        for (const QString &column : columns) {
            if (!index.contains(column))
                missing << column;
        }
        if (!missing.isEmpty())
            error = QStringLiteral("缺少列: %1").arg(missing.join(QLatin1Char(',')));
    }
    if (!error.isEmpty()) {
        problem(QStringLiteral("样本数据文件[%1]%2").arg(path, error));
        return;
    }

    m_read[file] = true;
    for (const VCsv::Line &line : qAsConst(lines)) {
        const QString reason
            = line.fields.size() != index.size() ? QStringLiteral("字段数不符") : take(Line(index, line.fields));
        if (!reason.isEmpty())
            problem(QStringLiteral("样本数据文件[%1]第%2行%3,已跳过").arg(path).arg(line.number).arg(reason));
    }
}

QString SampleSource::takeStock(const Line &line)
{
    static const QRegularExpression codePattern(QStringLiteral("^[0-9]{6}$"));
    SampleStock stock;
    stock.market = line.value("market");
    stock.code = line.value("stkcode");
    stock.name = line.value("stkname");
    stock.pinyin = line.value("pinyin"); // optional
    stock.type = line.value("stktype");
    stock.preClose = positiveNumber(line.value("preclose"));
    if (stock.market != QLatin1String("1") && stock.market != QLatin1String("0"))
        return QStringLiteral("市场代码[%1]无效").arg(stock.market);
    if (!codePattern.match(stock.code).hasMatch())
        return QStringLiteral("证券代码[%1]无效").arg(stock.code);
    if (stock.name.isEmpty())
        return QStringLiteral("证券名称为空");
    if (stock.type != QLatin1String("0") && stock.type != QLatin1String("4"))
        return QStringLiteral("证券类别[%1]无效").arg(stock.type);
    if (stock.preClose <= 0.0)
        return QStringLiteral("昨收盘价[%1]无效").arg(line.value("preclose"));
    for (const SampleStock &other : qAsConst(stocks)) {
        if (other.market == stock.market && other.code == stock.code)
            return QStringLiteral("证券[%1]重复").arg(stock.code);
    }
    double turnover = 0; // optional, 亿元
    if (!optionalPositive(line.value("turnover"), 1e8, &turnover))
        return QStringLiteral("成交额[%1]无效").arg(line.value("turnover"));
    if (turnover > 0)
        liquidity.turnover.insert(stock.market + stock.code, turnover);
    stocks.append(stock);
    return QString();
}

QString SampleSource::takeProduct(const Line &line)
{
    static const QRegularExpression idPattern(QStringLiteral("^[A-Za-z]{1,2}$"));
    SampleProduct product;
    product.market = line.value("market");
    product.id = line.value("productid");
    product.name = line.value("productname");
    product.priceUnit = positiveNumber(line.value("priceunit"));
    product.multiplier = positiveNumber(line.value("multiplier"));
    product.refPrice = positiveNumber(line.value("refprice"));
    product.limitRatio = positiveNumber(line.value("limitratio"));
    bool listingOk = false;
    bool expiryOk = false;
    product.listing = ListingRule::parse(line.value("listing"), &listingOk);
    product.expiry = ExpiryRule::parse(line.value("expiry"), &expiryOk);
    if (product.market.size() != 1 || !QStringLiteral("HDZF").contains(product.market))
        return QStringLiteral("市场代码[%1]无效").arg(product.market);
    if (!idPattern.match(product.id).hasMatch())
        return QStringLiteral("品种代码[%1]无效").arg(product.id);
    if (product.name.isEmpty())
        return QStringLiteral("品种名称为空");
    if (product.priceUnit <= 0.0 || product.multiplier <= 0.0 || product.refPrice <= 0.0)
        return QStringLiteral("最小变动价位、合约乘数或参考价无效");
    if (product.limitRatio <= 0.0 || product.limitRatio >= 1.0)
        return QStringLiteral("涨跌停幅度[%1]无效").arg(line.value("limitratio"));
    if (!listingOk)
        return QStringLiteral("挂牌规则[%1]无效").arg(line.value("listing"));
    if (!expiryOk)
        return QStringLiteral("到期规则[%1]无效").arg(line.value("expiry"));
    for (const SampleProduct &other : qAsConst(products)) {
        if (other.id == product.id)
            return QStringLiteral("品种[%1]重复").arg(product.id);
    }
    // Optional: the product's volume in 万手 and its main months.
    MarketLiquidity::Product traded;
    if (!optionalPositive(line.value("volume"), 1e4, &traded.lotsPerDay))
        return QStringLiteral("成交量[%1]无效").arg(line.value("volume"));
    if (traded.lotsPerDay > 0) {
        bool mainOk = false;
        traded.main = MarketLiquidity::MainMonths::parse(line.value("main"), &mainOk);
        if (!mainOk)
            return QStringLiteral("主力月份[%1]无效").arg(line.value("main"));
        liquidity.products.insert(product.market + QLatin1Char('|') + product.id, traded);
    }
    products.append(product);
    return QString();
}

QString SampleSource::takeOptionSeries(const Line &line)
{
    SampleOptionSeries series;
    series.underlying = line.value("underlying");
    series.market = line.value("market");
    series.name = line.value("name");
    const QString seriesText = line.value("series");
    series.series = seriesText.toInt();
    if (series.market != QLatin1String("5") && series.market != QLatin1String("6"))
        return QStringLiteral("市场代码[%1]无效").arg(series.market);
    if (series.underlying.isEmpty() || series.name.isEmpty())
        return QStringLiteral("标的证券或名称为空");
    if (seriesText.size() != 1 || !seriesText.at(0).isDigit())
        return QStringLiteral("系列号[%1]无效").arg(seriesText);
    for (const SampleOptionSeries &other : qAsConst(optionSeries)) {
        if (other.market == series.market && other.series == series.series)
            return QStringLiteral("系列号[%1]重复").arg(seriesText);
    }
    double contracts = 0; // optional, 万张
    if (!optionalPositive(line.value("volume"), 1e4, &contracts))
        return QStringLiteral("成交量[%1]无效").arg(line.value("volume"));
    if (contracts > 0)
        liquidity.chains.insert(series.underlying, contracts);
    optionSeries.append(series);
    return QString();
}

QString SampleSource::takeDictItem(const Line &line)
{
    const SampleDictItem item {line.value("entry"), line.value("item"), line.value("text")};
    if (item.entry.isEmpty() || item.item.isEmpty())
        return QStringLiteral("字典项为空");
    dictItems.append(item);
    return QString();
}

QString SampleSource::takeSmile(const Line &line)
{
    const QString underlying = line.value("underlying");
    SampleSmile smile;
    if (underlying.isEmpty())
        return QStringLiteral("标的证券为空");
    if (!finiteNumber(line.value("atm"), &smile.atm) || !finiteNumber(line.value("term"), &smile.term)
        || !finiteNumber(line.value("skew"), &smile.skew) || !finiteNumber(line.value("curve"), &smile.curve)
        || smile.atm <= 0 || smile.curve < 0)
        return QStringLiteral("波动率参数无效");
    if (optionModel.smiles.contains(underlying))
        return QStringLiteral("标的[%1]重复").arg(underlying);
    optionModel.smiles.insert(underlying, smile);
    return QString();
}

QString SampleSource::takeRate(const Line &line)
{
    if (m_rateRead)
        return QStringLiteral("利率重复");
    double rate = 0;
    if (!finiteNumber(line.value("rate"), &rate) || qAbs(rate) >= 1)
        return QStringLiteral("无风险利率[%1]无效").arg(line.value("rate"));
    optionModel.riskFreeRate = rate;
    m_rateRead = true;
    return QString();
}
