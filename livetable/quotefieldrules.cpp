#include "quotefieldrules.h"

#include <vdataset.h>

#include <cmath>

namespace {

constexpr double Tolerance = 1e-8;

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

bool QuoteFieldRules::isEmptyNumber(const VDataset &dataset, int row, int field) const
{
    const Rule rule = m_rules.value(field);
    if (!rule.number)
        return false;
    const QVariant value = dataset.fieldValue(row, field);
    return dataset.fields()->at(field)->dataType() == vd::DT_Double ? std::fabs(value.toDouble()) < Tolerance
                                                                     : value.toLongLong() == 0;
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
