#pragma once

#include "stkmodel.h"

class VCacheItem;

// The watchlist's rows of securities as the host's stock cache has them:
// market, internal id, code, name and type, "--" in every quote column and
// the delete button's state "0".
namespace StkStockRows {

// The host's stock cache; null when it has none.
VCacheItem *cache();
// The row of the security with this id; false when the cache has none.
bool rowOf(VCacheItem *cache, const QString &id, StkModel::Row &row);
// The rows of the ids the cache holds, in the ids' order, read under the
// cache's read lock.
QList<StkModel::Row> rowsOf(const QStringList &ids);

} // namespace StkStockRows
