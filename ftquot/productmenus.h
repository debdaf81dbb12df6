#pragma once

#include <QHash>
#include <QList>
#include <QString>

class MarketPage;
class QAction;
class VCacheItem;

// The exchange pages' product menus, read from the contract cache: every
// contract under its product on its exchange's page, and on each exchange
// button a checkable action per product, named through the data
// dictionary's product names.
class ProductMenus
{
public:
    // Holds the action's market; the board finds the page by it.
    static constexpr const char *MarketProperty = "ACT_Property_Market";

    // Adds every contract of the cache to its exchange page's products,
    // under the cache's read lock; a contract of a market without a page
    // is logged and skipped.
    static void loadContracts(VCacheItem *contracts, const QHash<QString, MarketPage *> &pages);
    // Puts on every exchange page's button a menu action per product (its
    // data the product id, MarketProperty its market), checked where the
    // page's checked items hold the product; returns them. The actions
    // belong to the buttons.
    static QList<QAction *> buildProductMenus(const QList<MarketPage *> &pages);
};
