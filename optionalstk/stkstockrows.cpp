#include "stkstockrows.h"

#include <ihostcontext.h>
#include <tarn_global.h>
#include <vcacheitem.h>
#include <vcachemgr.h>

namespace {

const QString StockFields = QStringLiteral("market;stkid;stkcode;stkname;stktype");

} // namespace

VCacheItem *StkStockRows::cache()
{
    return tarn::hostContext()->cacheMgr()->stockCache();
}

bool StkStockRows::rowOf(VCacheItem *cache, const QString &id, StkModel::Row &row)
{
    QVariantMap record;
    if (!cache || !cache->lookup(record, QStringLiteral("stkid"), id, StockFields))
        return false;
    row.clear();
    row.reserve(StkModel::ColumnCount);
    row << record.value(QStringLiteral("market")).toString() << record.value(QStringLiteral("stkid")).toString()
        << record.value(QStringLiteral("stkcode")).toString() << record.value(QStringLiteral("stkname")).toString();
    for (int column = StkModel::Last; column <= StkModel::LimitDown; ++column)
        row << QStringLiteral("--");
    row << QStringLiteral("0") << record.value(QStringLiteral("stktype")).toString();
    return true;
}

QList<StkModel::Row> StkStockRows::rowsOf(const QStringList &ids)
{
    VCacheItem *stocks = cache();
    const QString owner = QStringLiteral("BCOptionalStk::combinedataset()");
    const bool locked = stocks && stocks->readLock(owner);
    QList<StkModel::Row> rows;
    for (const QString &id : ids) {
        StkModel::Row row;
        if (rowOf(stocks, id, row))
            rows.append(row);
    }
    if (locked)
        stocks->unlock(owner);
    return rows;
}
