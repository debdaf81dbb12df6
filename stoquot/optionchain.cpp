#include "optionchain.h"

#include "stoquotlog.h"

#include <vcacheitem.h>

namespace {

const QString CacheOwner = QStringLiteral("期权行情面板");

} // namespace

void OptionChain::rebuild(VCacheItem *contracts, int today, const std::function<void()> &whileLocked)
{
    m_chain.clear();
    contracts->readLock(CacheOwner);
    const int records = contracts->recordCount1();
    bool badSide = false;
    for (int i = 0; i < records; ++i) {
        if (contracts->fieldValue1(i, QStringLiteral("enddate")).toInt() < today)
            continue;
        const QString callOrPut = contracts->fieldValue1(i, QStringLiteral("callorput")).toString();
        if (callOrPut == QLatin1String("P"))
            continue;
        badSide = badSide || callOrPut != QLatin1String("C");
        m_chain[contracts->fieldValue1(i, QStringLiteral("securityid")).toString()].insert(
            contracts->fieldValue1(i, QStringLiteral("expiredate")).toInt(),
            contracts->fieldValue1(i, QStringLiteral("exerciseprice")).toString());
    }
    if (badSide)
        stoQuotLog(__LINE__, QStringLiteral("期权行情面板:合约信息认沽认购不正确，新增期权行情显示失败."));
    whileLocked();
    contracts->unlock(CacheOwner);
}

QVariantMap OptionChain::contract(VCacheItem *contracts, const QString &underlying, int expiry,
                                  const QString &exercisePrice, const QString &callOrPut)
{
    QList<QVariantMap> records;
    contracts->query(records, QStringLiteral("securityid;expiredate;exerciseprice;callorput"),
                     {underlying, expiry, exercisePrice, callOrPut}, QStringLiteral("stkid;stkcode;market;contractname"),
                     false);
    return records.value(0);
}
