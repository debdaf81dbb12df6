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
    QList<VStockInfo> byCode;
    QList<VStockInfo> byName;
    const int count = cache->recordCount1();
    for (int record = 0; record < count && byCode.size() < limit; ++record) {
        const QString type = cache->fieldValue1(record, QStringLiteral("stktype")).toString();
        if (hiddenTypes.contains(type))
            continue;
        const QString code = cache->fieldValue1(record, QStringLiteral("stkcode")).toString();
        const bool codeMatches = code.startsWith(text, Qt::CaseInsensitive);
        if (!codeMatches && byName.size() >= limit)
            continue;
        const QString name = cache->fieldValue1(record, QStringLiteral("stkname")).toString();
        if (!codeMatches && !name.contains(text, Qt::CaseInsensitive))
            continue;
        VStockInfo stock;
        stock.id = cache->fieldValue1(record, QStringLiteral("stkid")).toString();
        stock.code = code;
        stock.name = name;
        stock.market = cache->fieldValue1(record, QStringLiteral("market")).toString();
        stock.marketName = marketName(stock.market);
        stock.type = type;
        (codeMatches ? byCode : byName).append(stock);
    }
    cache->unlock(LockOwner);
    return (byCode + byName).mid(0, limit);
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
