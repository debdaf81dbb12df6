#include "productmenus.h"

#include "ftquotlog.h"
#include "marketpage.h"

#include <ihostcontext.h>
#include <tarn_global.h>
#include <vcacheitem.h>
#include <vdatadict.h>

#include <QAction>
#include <QScopeGuard>
#include <QToolButton>

namespace {

const QString CacheOwner = QStringLiteral("期货行情面板");

} // namespace

void ProductMenus::loadContracts(VCacheItem *contracts, const QHash<QString, MarketPage *> &pages)
{
    if (!contracts)
        return;
    contracts->readLock(CacheOwner);
    const auto unlock = qScopeGuard([contracts] { contracts->unlock(CacheOwner); });
    const int count = contracts->recordCount1();
    for (int i = 0; i < count; ++i) {
        const QString stkid = contracts->fieldValue1(i, QStringLiteral("stkid")).toString();
        const QString market = contracts->fieldValue1(i, QStringLiteral("market")).toString();
        const QString product = contracts->fieldValue1(i, QStringLiteral("productid")).toString();
        MarketPage *page = pages.value(market);
        if (!page || page->often) {
            ftQuotLog(3, __LINE__,
                      QStringLiteral("期货行情面板:不存在的期货市场(%1[%2]).")
                          .arg(tarn::hostContext()->dataDict()->transDictItem(QStringLiteral("4"), market, ','),
                               market));
            continue;
        }
        page->productContracts.insert(product, stkid);
    }
}

QList<QAction *> ProductMenus::buildProductMenus(const QList<MarketPage *> &pages)
{
    const VDataDict *dict = tarn::hostContext()->dataDict();
    QList<QAction *> all;
    for (MarketPage *page : pages) {
        if (page->often || !page->button)
            continue;
        QList<QAction *> actions;
        for (const QString &product : page->productContracts.uniqueKeys()) {
            auto *action = new QAction(dict->transDictItem(QStringLiteral("30070"), product, ','), page->button);
            action->setData(product);
            action->setCheckable(true);
            action->setProperty(MarketProperty, page->market);
            action->setChecked(page->checkedItems.contains(product));
            actions << action;
        }
        page->button->addActions(actions);
        all << actions;
    }
    return all;
}
