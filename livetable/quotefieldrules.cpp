#include "quotefieldrules.h"

#include <vdataset.h>

#include <cmath>

namespace {

constexpr double Tolerance = 1e-8;

// The boards' fields that hold a quote value, by kind.
const struct
{
    const char *name;
    QuoteFormat::Kind kind;
} QuoteFields[] = {
    {"lastprice", QuoteFormat::Price},       {"buyprice", QuoteFormat::Price},
    {"sellprice", QuoteFormat::Price},       {"buy1price", QuoteFormat::Price},
    {"sale1price", QuoteFormat::Price},      {"tdyopenprice", QuoteFormat::Price},
    {"highestprice", QuoteFormat::Price},    {"lowestprice", QuoteFormat::Price},
    {"ystdsettleprice", QuoteFormat::Price}, {"ystdcloseprice", QuoteFormat::Price},
    {"incdecprice", QuoteFormat::Change},    {"incdecpriceratio", QuoteFormat::Percent},
    {"incratio", QuoteFormat::Percent},      {"buyvol", QuoteFormat::Volume},
    {"sellvol", QuoteFormat::Volume},        {"buy1qty", QuoteFormat::Volume},
    {"sale1qty", QuoteFormat::Volume},       {"matchvol", QuoteFormat::Volume},
    {"totalhand", QuoteFormat::Volume},      {"tdyposvol", QuoteFormat::Volume},
    {"holdqty", QuoteFormat::Volume},        {"totalsum", QuoteFormat::Amount},
};

} // namespace

const QColor QuoteFieldRules::RiseRed(220, 10, 10);
const QColor QuoteFieldRules::FallGreen(10, 128, 10);

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
        rule.display.decimals = definition->decimals();
        for (const auto &quote : QuoteFields) {
            if (name == QLatin1String(quote.name)) {
                rule.display.quote = true;
                rule.display.kind = quote.kind;
                rule.display.fraction
                    = quote.kind == QuoteFormat::Percent && definition->displayFormat() == QLatin1String("pct");
                break;
            }
        }
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
    if (value - reference > Tolerance)
        return RiseRed;
    if (reference - value > Tolerance)
        return FallGreen;
    return QVariant();
}
