#pragma once

#include <icomponent.h>

#include <QHash>
#include <QList>

class MarketPage;
class QStackedWidget;
class VButtonDelegate;
class VCacheItem;
class VisibleRowSubscription;
struct VQuotData;

// The futures quote board: a button per exchange with a drop-down menu of
// its products (ProductMenus), and one for the user's own contracts, over
// a table each (MarketPage). Only the rows in view of the table shown are
// subscribed, and changed cells flash (VisibleRowSubscription). Checked
// products, own contracts and the market shown last are kept in the
// configuration group "PG_Trd_FtQuotPanel" (StoredChoices). The board
// builds its widgets and wires these pieces together; it owns its pages
// and deletes them, with their subscribers, when it is destroyed.
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
    void connectSignals();

    void loadOftenContracts();
    void addProductRows(const QString &productId, MarketPage *page);
    int today() const;
    MarketPage *oftenPage() const;

    QStackedWidget *m_stack = nullptr;
    VCacheItem *m_contractCache = nullptr;
    QHash<QString, QVariant> m_cfgParams;
    QHash<QString, MarketPage *> m_pages; // by market code; owned
    QList<MarketPage *> m_pageOrder; // the five markets in button order
    VButtonDelegate *m_addDelegate;
    VButtonDelegate *m_delDelegate;
    VisibleRowSubscription *m_window; // a child
};
