#pragma once

#include "vsqtablemodel.h"

#include <securityid.h>

#include <icomponent.h>
#include <vdataset.h>

#include <QHash>
#include <QMultiMap>

class QComboBox;
class QItemSelection;
class QLabel;
class QStackedWidget;
class QWidget;
class VCacheItem;
class VComboBox;
class LiveTableView;
class QuotBatch;
class VQuotSubscriber;
struct VQuotData;

// The stock-option quote board: for one underlying and expiry month, the
// calls and puts side by side by exercise price (or one side alone), with
// the underlying's last price and change above them. The option chain comes
// from the host's option-contract cache; the contracts shown, and the
// underlying, are subscribed; changed cells are marked for 800 ms. A
// double-clicked contract is published as onSelectedStoContract.
class BCStoQuot : public IComponent
{
    Q_OBJECT
public:
    BCStoQuot(QWidget *parent, QString className, const QString &identity, const QMap<QString, QVariant> *params);
    ~BCStoQuot() override;

    // "2026年12月" for 20261223; empty unless d has eight digits.
    static QString expireDateText(int d);

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
    // The five tables, in the order of m_tables.
    enum Table { AllCall, AllExercisePrice, AllPut, Call, Put, TableCount };
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

    // One table: its dataset and model (members, no parent) and its view
    // (a child widget of the board).
    struct QuoteTable
    {
        VDataset dataset;
        VSQTableModel model;
        LiveTableView *view = nullptr;
        QVector<int> quoteFields; // the fields a quote writes, in updateRow's order
        Selection selection;
    };

    // The form: widgets, layouts and initial texts.
    void buildUi();
    QWidget *buildInputBar();
    QWidget *buildCombinedPage();
    LiveTableView *addTable(Table table, QWidget *parent, const QString &name);
    void setupTables();
    void connectSignals();

    // The option chain and the tables.
    void fillTargetStkCombo();
    void fillExpireDateCombos();
    void clearDatasets(bool callsShown, bool putsShown);
    bool refreshTables(QComboBox *expiryCombo);
    void addContractRow(const QString &underlyingId, int expireDate, const QString &exercisePrice,
                        const QString &callOrPut, bool both);
    // A quote into its row: the combined page's fields, or a single-side page's.
    void updateRow(Table table, int row, const VQuotData &q);
    void setCellValue(VDataset *ds, VSQTableModel *model, int row, int field, const QVariant &value);

    int pageType() const;
    bool callsShown() const;
    bool putsShown() const;
    // The row of table whose "exerciseprice" is price, appended when there is none.
    int exercisePriceRow(Table table, double price);
    QString contractId(const SecurityId &contract) const;
    // Write what arrived since the last frame.
    void applyQuotes();
    void showTargetQuote();
    // Where each contract shown sits, by "market|code", so a quote finds its
    // row without a search; rebuilt after every refresh.
    void indexRows();
    void readContractRow(Table table, int row);
    void selectExercisePriceRow(const QVariant &price);

    QuoteTable m_tables[TableCount];

    VComboBox *m_cbQuotPanelType = nullptr;
    VComboBox *m_cbTargetStk = nullptr;
    VComboBox *m_cbExpireDate = nullptr;
    VComboBox *m_cbAllExpireDate = nullptr;
    QLabel *m_lbExpireDate = nullptr;
    QLabel *m_lbStkCode = nullptr;
    QLabel *m_lbLastPrice = nullptr;
    QLabel *m_incDecPrice = nullptr;
    QLabel *m_lbIncDecRatio = nullptr;
    QLabel *m_lbCall = nullptr;
    QLabel *m_lbPut = nullptr;
    QStackedWidget *m_swQuotPanel = nullptr;
    QWidget *m_pgAll = nullptr;
    QWidget *m_pgCall = nullptr;
    QWidget *m_pgPut = nullptr;

    // The underlying chosen, from the securities cache.
    QString m_targetName;
    QString m_targetMarket;
    QString m_targetCode;

    // The expiry each single-side page showed last, yyyymmdd, 0: none.
    int m_callExpireDate = 0;
    int m_putExpireDate = 0;

    VQuotSubscriber *m_contractSubscriber = nullptr; // deleted by the board
    VQuotSubscriber *m_targetSubscriber = nullptr; // deleted by the board
    VCacheItem *m_contractCache = nullptr; // the host's
    struct RowRef
    {
        Table table;
        int row;
    };
    QHash<SecurityId, RowRef> m_rowIndex;
    // Records wait for the next frame, the latest of each security.
    QuotBatch *m_contractQuotes = nullptr;
    QuotBatch *m_targetQuotes = nullptr;
    // Underlying id → expiry date → exercise price, calls only.
    QHash<QString, QMultiMap<int, QString>> m_chain;
};
