#include "samplemarket.h"

#include <vfutils.h>
#include <voutput.h>
#include <vsimoption.h>

#include <algorithm>
#include <cmath>

const QString SampleMarket::FuturesCacheName = QStringLiteral("851101");
const QString SampleMarket::OptionCacheName = QStringLiteral("600570");

namespace {

// Stock type codes of the securities cache.
const QString FundType = QStringLiteral("4");
const QString CommodityFuturesType = QStringLiteral("Q");
const QString FinancialFuturesType = QStringLiteral("R");
const QString EtfOptionType = QStringLiteral("S");

const double OptionPriceUnit = 0.0001;
// Option codes hold the strike in units of the finest strike interval.
const double StrikeCodeUnit = 0.05;
const int OptionStrikesEachSide = 4;

// FNV-1a: a hash that, unlike qHash, is the same in every process.
quint32 stableHash(const QString &text)
{
    quint32 hash = 2166136261u;
    for (const char byte : text.toUtf8()) {
        hash ^= quint8(byte);
        hash *= 16777619u;
    }
    return hash;
}

// A value in [-1, 1] fixed by text.
double jitter(const QString &text)
{
    return (stableHash(text) % 2001) / 1000.0 - 1.0;
}

double roundToStep(double value, double step)
{
    return std::round(value / step) * step;
}

QString priceText(double value, double step)
{
    return QString::number(roundToStep(value, step), 'f', vf::getDecimals(step));
}

QString dateText(const QDate &date)
{
    return date.toString(QStringLiteral("yyyyMMdd"));
}

// Contract codes carry the month as yymm; the Zhengzhou exchange writes ymm.
QString contractMonthText(const QString &market, const QDate &month)
{
    const QString yymm = month.toString(QStringLiteral("yyMM"));
    return market == QLatin1String("Z") ? yymm.mid(1) : yymm;
}

// The strike interval of a fund option: finer for cheaper funds.
double strikeInterval(double price)
{
    if (price <= 3.0)
        return 0.05;
    if (price <= 5.0)
        return 0.1;
    if (price <= 10.0)
        return 0.25;
    if (price <= 20.0)
        return 0.5;
    return 1.0;
}

class Generator
{
public:
    Generator(const SampleSource &source, const QDate &businessDate, SampleMarket &out)
        : m_source(source)
        , m_date(businessDate)
        , m_out(out)
    {
    }

    void run()
    {
        m_out.securities.fields
            = QStringList {QStringLiteral("stkid"),   QStringLiteral("market"),  QStringLiteral("stkcode"),
                           QStringLiteral("stkname"), QStringLiteral("stktype"), QStringLiteral("priceunit"),
                           QStringLiteral("preclose"), QStringLiteral("pinyin")};
        m_out.futures.fields
            = QStringList {QStringLiteral("stkid"),       QStringLiteral("market"),    QStringLiteral("stkcode"),
                           QStringLiteral("stkname"),     QStringLiteral("productid"), QStringLiteral("expiredate"),
                           QStringLiteral("convertunit"), QStringLiteral("priceunit"), QStringLiteral("limitratio")};
        m_out.options.fields
            = QStringList {QStringLiteral("securityid"), QStringLiteral("expiredate"), QStringLiteral("exerciseprice"),
                           QStringLiteral("callorput"),  QStringLiteral("enddate"),    QStringLiteral("stkid"),
                           QStringLiteral("stkcode"),    QStringLiteral("market"),     QStringLiteral("contractname")};
        for (const SampleStock &stock : m_source.stocks)
            addStock(stock);
        for (const SampleProduct &product : m_source.products)
            addProduct(product);
        for (const SampleOptionSeries &series : m_source.optionSeries)
            addOptionSeries(series);
        m_out.dictItems = m_source.dictItems;
        for (const SampleProduct &product : m_source.products)
            m_out.dictItems.append({QStringLiteral("30070"), product.id, product.name});
    }

private:
    // pinyin: the name's pinyin initials, which the host's security search also matches.
    void addSecurity(const QString &market, const QString &code, const QString &name, const QString &type,
                     double priceUnit, double preClose, const QString &pinyin = QString())
    {
        m_out.securities.rows.append({market + code, market, code, name, type, QString::number(priceUnit),
                                      priceText(preClose, priceUnit), pinyin});
    }

    void addStock(const SampleStock &stock)
    {
        const double priceUnit = stock.type == FundType ? 0.001 : 0.01;
        addSecurity(stock.market, stock.code, stock.name, stock.type, priceUnit, stock.preClose, stock.pinyin);
    }

    // The futures board adds a product's contracts in reverse cache order:
    // listing the far months first puts the nearest one on top.
    void addProduct(const SampleProduct &product)
    {
        const QVector<QDate> months = product.listing.months(m_date, product.expiry);
        const QString type = product.market == QLatin1String("F") ? FinancialFuturesType : CommodityFuturesType;
        // Each product's curve slopes its own way (contango or backwardation);
        // each contract sits slightly off the curve.
        const double slope = 0.003 * jitter(product.id);
        for (int i = months.size() - 1; i >= 0; --i) {
            const QDate &month = months.at(i);
            const QString monthText = contractMonthText(product.market, month);
            const QString code = product.id + monthText;
            const QString name = product.name + monthText;
            const double settlement = product.refPrice * (1.0 + slope * i + 0.002 * jitter(code));
            const QDate expiry = product.expiry.lastTradingDay(month.year(), month.month());
            addSecurity(product.market, code, name, type, product.priceUnit, settlement);
            m_out.futures.rows.append({product.market + code, product.market, code, name, product.id, dateText(expiry),
                                       QString::number(product.multiplier), QString::number(product.priceUnit),
                                       QString::number(product.limitRatio)});
        }
    }

    const SampleStock *findStock(const QString &stkid) const
    {
        for (const SampleStock &stock : m_source.stocks) {
            if (stock.market + stock.code == stkid)
                return &stock;
        }
        return nullptr;
    }

    void problem(const QString &message)
    {
        m_out.problems << message;
        VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(), message);
    }

    // Codes are eight digits: exchange prefix (1 Shanghai, 9 Shenzhen), the
    // series, the expiry month as (yy mod 8) × 12 + mm − 1, 0 call / 1 put,
    // and the strike in units of 0.05. The same contract gets the same code
    // on every date.
    void addOptionSeries(const SampleOptionSeries &series)
    {
        const SampleStock *underlying = findStock(series.underlying);
        if (!underlying) {
            problem(QStringLiteral("期权标的[%1]不在证券列表中,其期权未生成").arg(series.underlying));
            return;
        }
        if (!m_source.optionModel.smiles.contains(series.underlying)) {
            problem(QStringLiteral("期权标的[%1]没有波动率参数(smile.csv),其期权未生成").arg(series.underlying));
            return;
        }
        const double spot = underlying->preClose;
        const double interval = strikeInterval(spot);
        const double atm = roundToStep(spot, interval);
        if ((atm + OptionStrikesEachSide * interval) / StrikeCodeUnit > 999.5) {
            problem(QStringLiteral("期权标的[%1]价格超出行权价编码范围,其期权未生成").arg(series.underlying));
            return;
        }
        static const ExpiryRule expiryRule = ExpiryRule::parse(QStringLiteral("wednesday4"), nullptr);
        static const ListingRule listingRule = ListingRule::parse(QStringLiteral("index"), nullptr);
        const QString prefix = series.market == QLatin1String("5") ? QStringLiteral("1") : QStringLiteral("9");

        for (const QDate &month : listingRule.months(m_date, expiryRule)) {
            const QDate expiry = expiryRule.lastTradingDay(month.year(), month.month());
            const double years = SampleOptionModel::years(m_date, expiry);
            const int monthSerial = (month.year() % 8) * 12 + month.month() - 1;
            for (int step = -OptionStrikesEachSide; step <= OptionStrikesEachSide; ++step) {
                const double strike = atm + step * interval;
                if (strike < interval / 2)
                    continue;
                for (const bool call : {true, false}) {
                    const QString code = QStringLiteral("%1%2%3%4%5")
                                             .arg(prefix)
                                             .arg(series.series)
                                             .arg(monthSerial, 2, 10, QLatin1Char('0'))
                                             .arg(call ? 0 : 1)
                                             .arg(qRound(strike / StrikeCodeUnit), 3, 10, QLatin1Char('0'));
                    const QString name = QStringLiteral("%1%2%3月%4")
                                             .arg(series.name, call ? QStringLiteral("购") : QStringLiteral("沽"))
                                             .arg(month.month())
                                             .arg(qRound(strike * 1000));
                    // The model's value at the underlying's close is the contract's previous settlement.
                    VSimOptionTerms terms;
                    m_source.optionModel.terms(series.underlying, call, strike, spot, years, terms);
                    const double value = std::max({OptionPriceUnit, terms.value(spot), terms.intrinsic(spot)});
                    addSecurity(series.market, code, name, EtfOptionType, OptionPriceUnit, value);
                    m_out.options.rows.append({series.underlying, dateText(expiry), QString::number(strike, 'f', 3),
                                               call ? QStringLiteral("C") : QStringLiteral("P"), dateText(expiry),
                                               series.market + code, code, series.market, name});
                }
            }
        }
    }

    const SampleSource &m_source;
    const QDate m_date;
    SampleMarket &m_out;
};

} // namespace

SampleMarket SampleMarket::generate(const SampleSource &source, const QDate &businessDate)
{
    SampleMarket market;
    Generator(source, businessDate, market).run();
    return market;
}
