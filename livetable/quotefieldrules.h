#pragma once

#include <QColor>
#include <QStringList>
#include <QVariant>
#include <QVector>

class VDataset;
class VFieldList;

// How a quote board's table reads its fields, worked out once per set of
// fields instead of by field names on every read:
// - a number field holding 0 (a double within 1e-8) or nothing is an empty
//   quote, shown as "--";
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

    // priceReferences: the fields prices compare with, the first the
    // dataset has ("ystdcloseprice", or a board's own fallback).
    void rebuild(const VFieldList *fields, const QStringList &priceReferences);

    bool isEmptyNumber(const VDataset &dataset, int row, int field) const;
    // RiseRed, FallGreen, or an invalid variant for the base colour.
    QVariant foreground(const VDataset &dataset, int row, int field) const;
    // The texts of a number field differ by field: its index is its format.
    bool isNumber(int field) const { return m_rules.value(field).number; }

private:
    struct Rule
    {
        bool number = false;
        bool coloured = false;
        int value = -1; // the field whose value is compared
        int reference = -1; // -1: 0.0
    };
    QVector<Rule> m_rules; // by field index
};
