#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>

class MarketPage;

// What the futures board keeps of the user's choices in the configuration
// group "PG_Trd_FtQuotPanel": each exchange page's checked products and the
// own list's contracts (items of id "=" name joined by ";", under the
// page's key) and the market shown last ("Check_Market").
class StoredChoices
{
public:
    // Reads the group into params and the pages' checked items (malformed
    // items are skipped); market: the market stored as shown last, empty
    // when none is. False, logged, when the group cannot be read.
    static bool load(QHash<QString, QVariant> &params, const QList<MarketPage *> &pages, QString *market);
    // Writes the pages' checked items and the market of current (if any).
    static void save(QHash<QString, QVariant> &params, const QList<MarketPage *> &pages, const MarketPage *current);
};
