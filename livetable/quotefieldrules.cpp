#include "quotefieldrules.h"

#include <vdataset.h>

#include <cmath>

namespace {

// The boards' fields that hold a quote value.
const struct
{
    const char *name;
    QuoteValue value;
} QuoteFields[] = {
    {"lastprice", QuoteValue::LastPrice},
    {"buyprice", QuoteValue::BidPrice},
    {"sellprice", QuoteValue::AskPrice},
    {"buy1price", QuoteValue::BidPrice},
    {"sale1price", QuoteValue::AskPrice},
    {"tdyopenprice", QuoteValue::OpenPrice},
    {"highestprice", QuoteValue::HighPrice},
    {"lowestprice", QuoteValue::LowPrice},
    {"ystdsettleprice", QuoteValue::PreSettlement},
    {"ystdcloseprice", QuoteValue::PreClose},
    {"incdecprice", QuoteValue::Change},
    {"incdecpriceratio", QuoteValue::ChangePercent}, // "涨跌幅(%)" holds percent
    {"incratio", QuoteValue::ChangeRatio},
    {"buyvol", QuoteValue::BidVolume},
    {"sellvol", QuoteValue::AskVolume},
    {"buy1qty", QuoteValue::BidVolume},
    {"sale1qty", QuoteValue::AskVolume},
    {"matchvol", QuoteValue::Volume},
    {"totalhand", QuoteValue::Volume},
    {"tdyposvol", QuoteValue::OpenInterest},
    {"holdqty", QuoteValue::OpenInterest},
    {"totalsum", QuoteValue::Amount},
};

} // namespace

const QColor QuoteFieldRules::RiseRed(220, 10, 10);
const QColor QuoteFieldRules::FallGreen(10, 128, 10);

std::optional<QuoteValue> QuoteFieldRules::quoteValueOf(const QString &fieldName)
{
    for (const auto &quote : QuoteFields) {
        if (fieldName == QLatin1String(quote.name))
            return quote.value;
    }
    return std::nullopt;
}

void QuoteFieldRules::rebuild(const VFieldList *fields, const QStringList &priceReferences)
{
    m_rules.clear();
    if (!fields)
        return;
    int priceReference = -1;
    for (const QString &name : priceReferences) {
        priceReference = fields->indexOf(name);
        if (priceReference >= 0)
            break;
    }
    m_rules.resize(fields->count());
    for (int field = 0; field < fields->count(); ++field) {
        const VField *definition = fields->at(field);
        const QString &name = definition->name();
        Rule &rule = m_rules[field];
        rule.number = !definition->isLookup()
            && (definition->dataType() == vd::DT_Double || definition->dataType() == vd::DT_Integer);
        const std::optional<QuoteValue> value = quoteValueOf(name);
        rule.display.quote = value.has_value();
        rule.display.value = value.value_or(QuoteValue::LastPrice);
        rule.display.decimals = definition->decimals();
        auto against = [&rule](int value, int reference) {
            rule.coloured = true;
            rule.value = value;
            rule.reference = reference;
        };
        if (name == QLatin1String("incratio") || name == QLatin1String("incdecprice"))
            against(field, -1);
        else if (name == QLatin1String("lastprice") || name == QLatin1String("sale1price")
                 || name == QLatin1String("buy1price"))
            against(field, priceReference);
        else if (name == QLatin1String("sale1qty"))
            against(fields->indexOf(QStringLiteral("sale1price")), fields->indexOf(QStringLiteral("ystdcloseprice_put")));
        else if (name == QLatin1String("buy1qty"))
            against(fields->indexOf(QStringLiteral("buy1price")), fields->indexOf(QStringLiteral("ystdcloseprice_call")));
    }
}

QVariant QuoteFieldRules::foreground(const VDataset &dataset, int row, int field) const
{
    const Rule rule = m_rules.value(field);
    if (!rule.coloured)
        return QVariant();
    auto read = [&dataset, row](int f) { return f < 0 ? 0.0 : dataset.fieldValue(row, f).toDouble(); };
    const double value = read(rule.value);
    const double reference = read(rule.reference);
    if (value - reference > QuoteText::Tolerance)
        return RiseRed;
    if (reference - value > QuoteText::Tolerance)
        return FallGreen;
    return QVariant();
}
