#pragma once

#include "vfqtablemodel.h"

#include <securityid.h>

#include <icomponent.h>
#include <vdataset.h>

#include <QHash>
#include <QMultiMap>
#include <QTimer>

#include <memory>

class QStackedWidget;
class QTableView;
class QToolButton;
class VButtonDelegate;
class VCacheItem;
class QuotBatch;
class VQuotSubscriber;
struct VQuotData;

// One market of the futures board: an exchange, or the user's own list
// ("*"). Owned by the board; its dataset and model have no parent.
struct MarketPage
{
    bool often = false;
    QString checkKey;
    QTimer refreshTimer; // debounce of scrolling
    VDataset dataset;
    VFQTableModel model;
    int firstSubRow = -1; // the subscribed window of rows, -1: none
    int lastSubRow = -1;
    QToolButton *button = nullptr;
    QWidget *pageWidget = nullptr;
    QTableView *table = nullptr;
    QHash<SecurityId, int> rowIndex; // contract → row
    QMultiMap<QString, QString> productContracts; // product id → contract id
    QHash<QString, QString> checkedItems; // product id → name; own list: contract id → name
    QString market;
    bool refreshing = false;
    bool resubscribing = false;
    bool subscribed = false;
    VQuotSubscriber *subscriber = nullptr; // deleted by the board
    QHash<QString, SecurityId> subscribedSet; // what the quote manager last accepted, by product-list entry
    QVector<int> quoteFields; // the dataset's field of each quote value, in the order applyQuote writes them
};

// The futures quote board: a button per exchange with a drop-down menu of
// its products, and one for the user's own contracts, over a table each.
// Only the rows in view of the table shown are subscribed; changed cells
// flash. Checked products, own contracts and the market shown last are kept
// in the configuration group "PG_Trd_FtQuotPanel".
class BCFtQuotPanel : public IComponent
{
    Q_OBJECT
public:
    BCFtQuotPanel(QWidget *parent, QString className, const QString &identity,
                  const QMap<QString, QVariant> *params);
    ~BCFtQuotPanel() override;

signals:
    void onSelectedFtContract(QString stkid);

public slots:
    void doFtContractDynCacheUpdated();
    void doActCliked();
    void doRecvSubscribeQuot(VQuotData *pQuotData);
    void doBtnClicked();
    void doSubscibeClicked(const QModelIndex &index);
    void doCanelSubscibeClicked(const QModelIndex &index);
    void doTbvScrollBarValueChanged(int value);
    void doSortIndicatorChanged();
    void doRefreshQuotSubProducts();
    void doDoubleClickedQuotData(const QModelIndex &index);

private:
    void buildUi();
    void initPages();
    void loadConfig();
    void initTables();
    void buildDataset(MarketPage *page);
    void connectSignals();
    void saveConfig();

    void loadContracts();
    void loadOftenContracts();
    void buildProductMenus();
    void addProductRows(const QString &productId, MarketPage *page);
    void removeProductRows(const QString &productId, MarketPage *page);
    void addContractRow(const QString &contractId, MarketPage *page);
    void rebuildRowIndex(MarketPage *page);

    void refreshSubscription(MarketPage *page);
    void commitSubscription(MarketPage *page);
    bool subscribePage(MarketPage *page);
    bool unsubscribePage(MarketPage *page, bool clearList);
    void removeAllProducts(MarketPage *page);
    void applyQuote(const VQuotData &record, MarketPage *page);
    // Writes the records of the shown page that arrived since the last frame.
    void applyQuotes();
    void setFieldFlashing(VDataset *dataset, VFQTableModel *model, int row, int field, const QVariant &value);

    MarketPage *oftenPage() const;
    MarketPage *pageOfTable(const QObject *table) const;

    QStackedWidget *m_stack = nullptr;
    VCacheItem *m_contractCache = nullptr;
    QHash<QString, QVariant> m_cfgParams;
    MarketPage *m_currentPage = nullptr;
    QHash<QString, MarketPage *> m_pages; // by market code; owned
    QList<MarketPage *> m_pageOrder; // the five markets in button order
    VButtonDelegate *m_addDelegate;
    VButtonDelegate *m_delDelegate;
    // The latest record of each contract, written at the next frame.
    QuotBatch *m_quotes;
};
