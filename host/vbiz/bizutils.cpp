#include "bizutils.h"

#include <vcacheitem.h>
#include <vcachemgr.h>

QVariant BizUtils::getMoreDataOfStkCache(const QString &stockId, const QString &field)
{
    VCacheMgr *mgr = VCacheMgr::instance();
    VCacheItem *stocks = mgr ? mgr->stockCache() : nullptr;
    if (!stocks || !stocks->isNormal())
        return QVariant();
    QVariantMap record;
    if (!stocks->lookup(record, QStringLiteral("stkid"), stockId, field))
        return QVariant();
    return record.value(field);
}
