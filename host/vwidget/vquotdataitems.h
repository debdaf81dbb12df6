#pragma once

#include "vwidget_global.h"

#include <QObject>
#include <QVector>

class VQuotDataItem;

// The thirteen items of the quote panel. The set owns its items; all are
// visible at first and hold no value. Changes are announced so the panel
// that owns the set repaints or re-measures.
class VWIDGET_EXPORT VQuotDataItems : public QObject
{
    Q_OBJECT
public:
    // In the order in which scenes store them.
    enum Id {
        PreClosingPrice,
        OpeningPrice,
        HighLimitPrice,
        LowLimitPrice,
        HighPrice,
        LowPrice,
        LastPrice,
        PriceChange,
        PriceChangeRatio,
        AvgPrice,
        MatchQuantity,
        MatchAmount,
        DelistFlag,
        ItemCount
    };

    explicit VQuotDataItems(QObject *parent = nullptr);
    ~VQuotDataItems() override;

    VQuotDataItem *preClosingPrice() const { return item(PreClosingPrice); }
    VQuotDataItem *openingPrice() const { return item(OpeningPrice); }
    VQuotDataItem *highLimitPrice() const { return item(HighLimitPrice); }
    VQuotDataItem *lowLimitPrice() const { return item(LowLimitPrice); }
    VQuotDataItem *highPrice() const { return item(HighPrice); }
    VQuotDataItem *lowPrice() const { return item(LowPrice); }
    VQuotDataItem *lastPrice() const { return item(LastPrice); }
    VQuotDataItem *priceChange() const { return item(PriceChange); }
    VQuotDataItem *priceChangeRatio() const { return item(PriceChangeRatio); }
    VQuotDataItem *avgPrice() const { return item(AvgPrice); }
    VQuotDataItem *matchQuantity() const { return item(MatchQuantity); }
    VQuotDataItem *matchAmount() const { return item(MatchAmount); }
    // The trading status ("正常", "停牌").
    VQuotDataItem *delistFlag() const { return item(DelistFlag); }

    VQuotDataItem *item(Id id) const;
    // ItemCount for an item of another set.
    Id idOf(const VQuotDataItem *item) const;
    int count() const { return ItemCount; }
    // Sets every value to an invalid QVariant; visibility stays.
    void clearValues();

signals:
    void valueSet(VQuotDataItem *item);
    void visibilityChanged(VQuotDataItem *item);

private:
    QVector<VQuotDataItem *> m_items;
};
