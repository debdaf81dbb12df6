#pragma once

#include "vframe_global.h"

#include <QHash>
#include <QObject>
#include <QVariant>

class VCacheItem;
class VDataset;
class VField;

// The host's reference-data caches by name. One manager per process: the
// last one constructed is instance() until it is destroyed.
class VFRAME_EXPORT VCacheMgr : public QObject
{
    Q_OBJECT
public:
    // Name of the securities cache: every instrument the client knows
    // (stocks, funds, futures and option contracts) with stkid, market,
    // stkcode, stkname, stktype, priceunit and preclose.
    static const QString StockCacheName;

    explicit VCacheMgr(QObject *parent = nullptr);
    ~VCacheMgr() override;
    static VCacheMgr *instance();

    // Takes ownership (the manager becomes the item's parent). Callers keep
    // the pointers they were given, so a second cache under a name already
    // served is refused (deleted and logged); reload the served one instead.
    bool addCache(VCacheItem *item);
    VCacheItem *cache(const QString &name) const;

    VCacheItem *stockCache() const;
    // A cache that announces every (re)load by calling receiver's slot, given
    // in Qt's string form ("1doUpdated()"), once per receiver and slot however
    // often it is asked; the connection ends with the receiver. Null (logged)
    // when the host has no cache of that name. This host serves whole caches:
    // a filter is not applied.
    VCacheItem *dynCache(const QString &name, QVariantMap *filter, QObject *receiver, const char *slot);

    // The security id of a market and code; empty when the securities cache has no such security.
    QString stkCodeToStkId(const QString &market, const QString &code) const;
    // Adds to dataset the lookup field "stkname": the name of the row's
    // "stkid" in the securities cache, empty without a cache record. Defined
    // in vwidget, the library of datasets, so vframe does not depend on it.
    VField *addStkNameLookupField(VDataset *dataset) const;

private:
    QHash<QString, VCacheItem *> m_caches;
};
