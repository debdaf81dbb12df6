#pragma once

#include "bcstoquotform.h"
#include "optionchain.h"
#include "optiontables.h"

#include <icomponent.h>

class BoardAnalytics;
class BoardColumns;
class QComboBox;
class QItemSelection;
class UnderlyingLabels;
class VCacheItem;
class VQuotSubscriber;
struct VQuotData;

// The stock-option quote board: for one underlying and expiry month, the
// calls and puts side by side by exercise price (or one side alone), with
// the underlying's last price and change above them. The option chain
// comes from the host's option-contract cache (OptionChain); the contracts
// shown, and the underlying, are subscribed; the five tables show the
// contracts' quotes and mark changed cells for 800 ms (OptionTables); the
// underlying's labels follow its quotes (UnderlyingLabels). A
// double-clicked contract is published as onSelectedStoContract. A table
// header's menu hides quote columns (BoardColumns) and switches option
// analytics on (implied volatility, Greeks, the smile, the term structure;
// BoardAnalytics), all off by default; the scene keeps those choices. The creation parameter "RiskFreeRate" sets their
// risk-free rate.
class BCStoQuot : public IComponent
{
    Q_OBJECT
public:
    BCStoQuot(QWidget *parent, QString className, const QString &identity, const QMap<QString, QVariant> *params);
    ~BCStoQuot() override;

    // "2026年12月" for 20261223; empty unless d has eight digits.
    static QString expireDateText(int d);

    void saveScene() override;
    void restoreScene() override;

signals:
    void onSelectedStoContract(QString stkid);

public slots:
    void doQuotPanelChanged(int index);
    void doStoContractDynCacheUpdated();
    void doTargetStkChanged(int nIndex);
    void doExpireDateChanged(int nIndex);
    void doAllTableSelectionChanged(const QItemSelection &selected, const QItemSelection &deselected);
    void doDoubleClicked(const QModelIndex &index);
    void doScrollValueChanged(int value);
    // Published for the host's linking; the board chooses its underlying itself.
    void doSubscribeQuot(char cMarket, QString sStkCode, QString sStkName, double dbPriceUnit, QString sSktType);
    void doRecvSubscribeQuot(VQuotData *pQuotData);
    void doRecvTargetStkSubscribeQuot(VQuotData *pQuotData);

private:
    using Table = OptionTables::Table;
    // Page types, the data of cbQuotPanelType's items.
    enum PageType { CallsOnly = 1, PutsOnly = 2, Both = 3 };

    // The contract of a table's last selected row.
    struct Selection
    {
        QString market;
        QString stkid;
        QString stkcode;
        QString stkname;
    };

    void setupViews();
    void connectSignals();
    void fillTargetStkCombo();
    void fillExpireDateCombos();
    void clearDatasets(bool callsShown, bool putsShown);
    bool refreshTables(QComboBox *expiryCombo);
    void addContractRow(const QString &underlyingId, int expireDate, const QString &exercisePrice,
                        const QString &callOrPut, bool both);
    int pageType() const;
    bool callsShown() const;
    bool putsShown() const;
    void readContractRow(Table table, int row);
    void selectExercisePriceRow(const QVariant &price);

    BCStoQuotForm m_ui;
    OptionTables m_tables;
    UnderlyingLabels *m_labels = nullptr; // a child
    BoardColumns *m_columns = nullptr; // a child, deleted first by the board
    BoardAnalytics *m_analytics = nullptr; // a child, deleted first by the board

    // The underlying chosen, from the securities cache.
    QString m_targetName;
    QString m_targetMarket;
    QString m_targetCode;

    Selection m_selections[OptionTables::TableCount];
    // The expiry each single-side page showed last, yyyymmdd, 0: none.
    int m_callExpireDate = 0;
    int m_putExpireDate = 0;

    VQuotSubscriber *m_contractSubscriber = nullptr; // deleted by the board
    VQuotSubscriber *m_targetSubscriber = nullptr; // deleted by the board
    VCacheItem *m_contractCache = nullptr; // the host's
    OptionChain m_chain;
};
