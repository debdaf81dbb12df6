#pragma once

#include <vstockhelper.h>
#include <vstocksource.h>

class VCacheMgr;
class VDataDict;

// The host's security look-up: security entries search the securities cache
// (VCacheMgr::StockCacheName), market names come from the data dictionary.
class HostStockHelper : public VStockHelper, public VStockSource
{
public:
    // Neither is owned; both must outlive the helper.
    HostStockHelper(VCacheMgr *cacheMgr, VDataDict *dataDict);

    void connectStockEdit(VStockEdit *edit) override;

    QList<VStockInfo> findStocks(const QString &text, const QSet<QString> &hiddenTypes, int limit) const override;
    bool stockById(const QString &id, VStockInfo &info) const override;

private:
    QString marketName(const QString &market) const;

    VCacheMgr *m_cacheMgr;
    VDataDict *m_dataDict;
};
