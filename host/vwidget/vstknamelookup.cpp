// VCacheMgr::addStkNameLookupField lives here, beside the datasets it
// extends: vframe declares it without depending on vwidget.

#include "vdataset.h"

#include <vcacheitem.h>
#include <vcachemgr.h>

#include <QPointer>

VField *VCacheMgr::addStkNameLookupField(VDataset *dataset) const
{
    if (!dataset)
        return nullptr;
    const QPointer<const VCacheMgr> caches(this);
    return dataset->addField(QStringLiteral("stkname"), QStringLiteral("名称"), vd::DT_String, 32, 12)
        ->setType(vd::FT_Lookup)
        ->setKeyFields(QStringLiteral("stkid"))
        ->setLookup([caches](const QVariant &stkid) {
            const VCacheItem *stocks = caches ? caches->stockCache() : nullptr;
            QVariantMap record;
            if (!stocks || stkid.isNull() || !stocks->lookup(record, QStringLiteral("stkid"), stkid, QStringLiteral("stkname")))
                return QString();
            return record.value(QStringLiteral("stkname")).toString();
        });
}
