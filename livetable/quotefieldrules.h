#pragma once

#include "quotewriter.h"

#include <QColor>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <optional>

class VDataset;
class VFieldList;

// How a quote board's table reads its fields, worked out once per set of
// fields instead of by field names on every read:
// - a field named after a quote value (quoteValueOf()) reads as that value's
//   kind (quoteKind()); any other number field is plain, "--" for 0;
// - "incratio" and "incdecprice" are coloured by their sign, "lastprice",
//   "sale1price" and "buy1price" against the row's reference price,
//   "sale1qty" and "buy1qty" by their level's price against
//   "ystdcloseprice_put" and "ystdcloseprice_call": rise red above, fall
//   green below (1e-8), and a field the dataset lacks reads as 0.
class QuoteFieldRules
{
public:
    static const QColor RiseRed;
    static const QColor FallGreen;

    // How a number field is shown.
    struct Display
    {
        bool quote = false; // false: plain
        QuoteValue value = QuoteValue::LastPrice;
        int decimals = -1; // the field's own, -1 when not set
    };

    // The quote value a board's field of this name holds, if any.
    static std::optional<QuoteValue> quoteValueOf(const QString &fieldName);

    // priceReferences: the fields prices compare with, the first the
    // dataset has ("ystdcloseprice", or a board's own fallback).
    void rebuild(const VFieldList *fields, const QStringList &priceReferences);

    bool isNumber(int field) const { return m_rules.value(field).number; }
    Display display(int field) const { return m_rules.value(field).display; }
    // RiseRed, FallGreen, or an invalid variant for the base colour.
    QVariant foreground(const VDataset &dataset, int row, int field) const;

private:
    struct Rule
    {
        bool number = false;
        Display display;
        bool coloured = false;
        int value = -1; // the field whose value is compared
        int reference = -1; // -1: 0.0
    };
    QVector<Rule> m_rules; // by field index
};
