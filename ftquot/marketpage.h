#pragma once

#include "vfqtablemodel.h"

#include <quotewriter.h>
#include <securityid.h>

#include <vdataset.h>

#include <QHash>
#include <QMultiMap>
#include <QTimer>
#include <QVector>

class QTableView;
class QToolButton;
class QWidget;
class VCacheItem;
class VQuotSubscriber;

// One market of the futures board: an exchange, or the user's own list
// ("*"), with its rows and the index of its rows by contract. The board
// owns the page; its dataset and model have no parent, its button, page
// widget and table are the board's widgets, and the board deletes its
// subscriber. What the subscriber subscribes (the rows in view) is
// VisibleRowSubscription's.
class MarketPage
{
public:
    // The dataset's fields (with "market_s" on the own list), linked to
    // the model and the table.
    void buildDataset();
    // Appends the contract's row, unless the cache has no such contract
    // or it has expired by today.
    void addContractRow(const QString &contractId, VCacheItem *contracts, int today);
    // Removes the rows of the product's contracts (their rows, as the
    // cache names them).
    void removeProductRows(const QString &productId, VCacheItem *contracts);
    // The contract's row, -1 when it has none.
    int rowOf(const SecurityId &contract) const { return rowIndex.value(contract, -1); }
    // The row index from the rows as they stand.
    void rebuildRowIndex();

    bool often = false;
    QString checkKey;
    QTimer refreshTimer; // debounce of scrolling
    VDataset dataset;
    VFQTableModel model;
    QToolButton *button = nullptr;
    QWidget *pageWidget = nullptr;
    QTableView *table = nullptr;
    QHash<SecurityId, int> rowIndex; // contract → row
    QMultiMap<QString, QString> productContracts; // product id → contract id
    QHash<QString, QString> checkedItems; // product id → name; own list: contract id → name
    QString market;
    VQuotSubscriber *subscriber = nullptr;
    QuoteWriter writer; // a record's values into a row
};
