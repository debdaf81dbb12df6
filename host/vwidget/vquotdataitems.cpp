#include "vquotdataitems.h"

#include "vquotdataitem.h"

namespace {

struct ItemDef
{
    const char *key;
    const char *label;
    VQuotDataItem::Kind kind;
};

// Indexed by VQuotDataItems::Id.
const ItemDef kItemDefs[VQuotDataItems::ItemCount] = {
    {"PreClosingPrice", "昨收", VQuotDataItem::Price},  {"OpeningPrice", "今开", VQuotDataItem::Price},
    {"HighLimitPrice", "涨停", VQuotDataItem::Price},   {"LowLimitPrice", "跌停", VQuotDataItem::Price},
    {"HighPrice", "最高", VQuotDataItem::Price},        {"LowPrice", "最低", VQuotDataItem::Price},
    {"LastPrice", "最新", VQuotDataItem::Price},        {"PriceChange", "涨跌", VQuotDataItem::Change},
    {"PriceChangeRatio", "涨幅", VQuotDataItem::Ratio}, {"AvgPrice", "均价", VQuotDataItem::Price},
    {"MatchQuantity", "总量", VQuotDataItem::Quantity}, {"MatchAmount", "金额", VQuotDataItem::Quantity},
    {"DelistFlag", "状态", VQuotDataItem::Text},
};

} // namespace

VQuotDataItems::VQuotDataItems(QObject *parent)
    : QObject(parent)
{
    m_items.reserve(ItemCount);
    for (const ItemDef &def : kItemDefs)
        m_items.append(new VQuotDataItem(this, QLatin1String(def.key), QString::fromUtf8(def.label), def.kind));
}

VQuotDataItems::~VQuotDataItems()
{
    qDeleteAll(m_items);
}

VQuotDataItem *VQuotDataItems::item(Id id) const
{
    return m_items.value(id);
}

VQuotDataItems::Id VQuotDataItems::idOf(const VQuotDataItem *item) const
{
    const int index = m_items.indexOf(const_cast<VQuotDataItem *>(item));
    return index < 0 ? ItemCount : Id(index);
}

void VQuotDataItems::clearValues()
{
    for (VQuotDataItem *item : qAsConst(m_items))
        item->setValue(QVariant());
}
