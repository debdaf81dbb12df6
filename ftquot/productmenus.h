#pragma once

#include <QHash>
#include <QList>
#include <QString>

#include <functional>

class MarketPage;
class QObject;
class VCacheItem;

// The exchange pages' product menus, read from the contract cache: every
// contract under its product on its exchange's page, and on each exchange
// button a checkable action per product, named through the data
// dictionary's product names.
class ProductMenus
{
public:
    // Holds the action's market; the board's slot finds the page by it.
    static constexpr const char *MarketProperty = "ACT_Property_Market";

    // Adds every contract of the cache to its exchange page's products,
    // under the cache's read lock; a contract of a market without a page
    // is logged and skipped.
    static void loadContracts(VCacheItem *contracts, const QHash<QString, MarketPage *> &pages);
    // The actions of every exchange page, checked where the page's checked
    // items hold the product (addRows then adds the product's rows), then
    // connected to receiver's slot, so a restored check runs no slot.
    static void buildProductMenus(const QList<MarketPage *> &pages, QObject *receiver, const char *slot,
                                  const std::function<void(const QString &product, MarketPage *page)> &addRows);
};
