#include "hoststockhelper.h"

#include <vcacheitem.h>
#include <vcachemgr.h>
#include <vdatadict.h>
#include <voutput.h>
#include <vstockedit.h>

namespace {

const QString LockOwner = QStringLiteral("HostStockHelper");
const QString MarketDict = QStringLiteral("4");

} // namespace

HostStockHelper::HostStockHelper(VCacheMgr *cacheMgr, VDataDict *dataDict)
    : m_cacheMgr(cacheMgr)
    , m_dataDict(dataDict)
{
}

void HostStockHelper::connectStockEdit(VStockEdit *edit)
{
    if (edit)
        edit->setStockSource(this);
}

QList<VStockInfo> HostStockHelper::findStocks(const QString &text, const QSet<QString> &hiddenTypes, int limit) const
{
    VCacheItem *cache = m_cacheMgr->stockCache();
    if (!cache || !cache->isNormal()) {
        VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(), QStringLiteral("证券缓存不可用, 无法查找证券"));
        return {};
    }
    if (text.isEmpty() || limit <= 0 || !cache->readLock(LockOwner))
        return {};
    // One list per kind of match, in the order they are offered.
    enum Match { ByCode, ByInitials, ByName, NoMatch };
    QList<VStockInfo> found[NoMatch];
    const int count = cache->recordCount1();
    for (int record = 0; record < count && found[ByCode].size() < limit; ++record) {
        const QString type = cache->fieldValue1(record, QStringLiteral("stktype")).toString();
        if (hiddenTypes.contains(type))
            continue;
        const QString code = cache->fieldValue1(record, QStringLiteral("stkcode")).toString();
        const QString name = cache->fieldValue1(record, QStringLiteral("stkname")).toString();
        Match match = NoMatch;
        if (code.startsWith(text, Qt::CaseInsensitive))
            match = ByCode;
        else if (cache->fieldValue1(record, QStringLiteral("pinyin")).toString().startsWith(text, Qt::CaseInsensitive))
            match = ByInitials;
        else if (name.contains(text, Qt::CaseInsensitive))
            match = ByName;
        if (match == NoMatch || found[match].size() >= limit)
            continue;
        VStockInfo stock;
        stock.id = cache->fieldValue1(record, QStringLiteral("stkid")).toString();
        stock.code = code;
        stock.name = name;
        stock.market = cache->fieldValue1(record, QStringLiteral("market")).toString();
        stock.marketName = marketName(stock.market);
        stock.type = type;
        found[match].append(stock);
    }
    cache->unlock(LockOwner);
    return (found[ByCode] + found[ByInitials] + found[ByName]).mid(0, limit);
}

bool HostStockHelper::stockById(const QString &id, VStockInfo &info) const
{
    VCacheItem *cache = m_cacheMgr->stockCache();
    QVariantMap record;
    if (!cache
        || !cache->lookup(record, QStringLiteral("stkid"), id, QStringLiteral("stkid;market;stkcode;stkname;stktype")))
        return false;
    info.id = record.value(QStringLiteral("stkid")).toString();
    info.code = record.value(QStringLiteral("stkcode")).toString();
    info.name = record.value(QStringLiteral("stkname")).toString();
    info.market = record.value(QStringLiteral("market")).toString();
    info.marketName = marketName(info.market);
    info.type = record.value(QStringLiteral("stktype")).toString();
    return true;
}

QString HostStockHelper::marketName(const QString &market) const
{
    return m_dataDict ? m_dataDict->transDictItem(MarketDict, market, ',') : market;
}
