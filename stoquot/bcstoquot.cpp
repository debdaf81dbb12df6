#include "bcstoquot.h"

#include "boardanalytics.h"
#include "boardcolumns.h"
#include "stoquotlog.h"
#include "underlyinglabels.h"

#include <latestquotes.h>
#include <livetableview.h>

#include <bizutils.h>
#include <ihostcontext.h>
#include <tarn_global.h>
#include <vbusiness.h>
#include <vcacheitem.h>
#include <vcachemgr.h>
#include <vcombobox.h>
#include <vconfig.h>
#include <vdatadict.h>
#include <vfutils.h>
#include <vlocaldb.h>
#include <vquotdata.h>
#include <vquotsubscriber.h>

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QScrollBar>
#include <QStackedWidget>

Q_LOGGING_CATEGORY(lcStoQuot, "tarn.stoquot", QtInfoMsg)

BCStoQuot::BCStoQuot(QWidget *parent, QString className, const QString &identity,
                     const QMap<QString, QVariant> *params)
    : IComponent(parent, className, identity)
{
    m_ui.setupUi(this);
    m_labels = new UnderlyingLabels(m_ui.lbStkCode, m_ui.lbLastPrice, m_ui.IncDecPrice, m_ui.lbIncDecRatio, this);
    m_contractSubscriber = new VQuotSubscriber(this, QStringLiteral("期权行情面板订阅"));
    m_contractSubscriber->setRecvSlot(this, "1doRecvSubscribeQuot(VQuotData*)");
    m_targetSubscriber = new VQuotSubscriber(this, QStringLiteral("期权行情面板标志证券订阅"));
    m_targetSubscriber->setRecvSlot(this, "1doRecvTargetStkSubscribeQuot(VQuotData*)");
    setupViews();
    m_columns = new BoardColumns(this, &m_tables);
    m_analytics = new BoardAnalytics(this, &m_ui, &m_tables, m_columns, &m_chain, BoardAnalytics::rateOf(params));
    connect(&m_tables, &OptionTables::contractWithoutRow, this, [](const SecurityId &contract) {
        stoQuotLog(__LINE__, QStringLiteral("期权行情面板:行情列表没有合约(%1).")
                                 .arg(tarn::hostContext()->cacheMgr()->stkCodeToStkId(contract.marketText(),
                                                                                      contract.codeText())));
    });

    m_ui.cbQuotPanelType->addItem(QStringLiteral("认购&认沽"), int(Both));
    m_ui.cbQuotPanelType->addItem(QStringLiteral("认购"), int(CallsOnly));
    m_ui.cbQuotPanelType->addItem(QStringLiteral("认沽"), int(PutsOnly));
    m_ui.cbQuotPanelType->setCurrentData(int(Both));
    m_ui.cbQuotPanelType->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    doQuotPanelChanged(m_ui.cbQuotPanelType->currentIndex());

    connectSignals();
    m_contractCache = tarn::hostContext()->cacheMgr()->dynCache(QStringLiteral("600570"), nullptr, this,
                                                                "1doStoContractDynCacheUpdated()");
    if (m_contractCache && m_contractCache->isNormal())
        doStoContractDynCacheUpdated();
    registSlot(QStringLiteral("doSubscribeQuot"), "1doSubscribeQuot(char, QString, QString, double, QString)",
               QStringLiteral("订阅行情信号处理槽"));
    registSignal(QStringLiteral("onSelectedStoContract"), "2onSelectedStoContract(QString)",
                 QStringLiteral("在行情面板上选择期权合约"));
}

BCStoQuot::~BCStoQuot()
{
    // They follow the tables, a member, and the views' signals: they go
    // before the tables, not with the board's children after them.
    delete m_analytics;
    delete m_columns;
    for (VQuotSubscriber *subscriber : {m_contractSubscriber, m_targetSubscriber}) {
        if (subscriber) {
            subscriber->unsubscribe(true);
            delete subscriber;
        }
    }
}

void BCStoQuot::setupViews()
{
    for (int table = 0; table < OptionTables::TableCount; ++table)
        m_tables.setView(Table(table), m_ui.tables[table]);
    m_tables.setup();
    for (LiveTableView *view : m_ui.tables)
        view->setShowGrid(false);
    // The side tables' columns are fitted by BoardColumns.
    m_ui.tables[OptionTables::AllExercisePrice]->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    for (const Table table : {OptionTables::AllCall, OptionTables::AllExercisePrice, OptionTables::AllPut})
        m_ui.tables[table]->verticalHeader()->hide();
}

void BCStoQuot::connectSignals()
{
    connect(m_ui.cbQuotPanelType, SIGNAL(currentIndexChanged(int)), this, SLOT(doQuotPanelChanged(int)));
    connect(m_ui.cbTargetStk, SIGNAL(currentIndexChanged(int)), this, SLOT(doTargetStkChanged(int)));
    connect(m_ui.cbAllExpireDate, SIGNAL(currentIndexChanged(int)), this, SLOT(doExpireDateChanged(int)));
    connect(m_ui.cbExpireDate, SIGNAL(currentIndexChanged(int)), this, SLOT(doExpireDateChanged(int)));
    const Table selectable[] = {OptionTables::AllCall, OptionTables::AllPut, OptionTables::Call, OptionTables::Put};
    for (const Table table : selectable) {
        connect(m_ui.tables[table]->selectionModel(),
                SIGNAL(selectionChanged(const QItemSelection &, const QItemSelection &)), this,
                SLOT(doAllTableSelectionChanged(QItemSelection, QItemSelection)));
    }
    for (const Table table : selectable)
        connect(m_ui.tables[table], SIGNAL(doubleClicked(const QModelIndex &)), this,
                SLOT(doDoubleClicked(const QModelIndex &)));
    for (const Table table : {OptionTables::AllCall, OptionTables::AllExercisePrice, OptionTables::AllPut})
        connect(m_ui.tables[table]->verticalScrollBar(), SIGNAL(valueChanged(int)), this,
                SLOT(doScrollValueChanged(int)));
}

int BCStoQuot::pageType() const
{
    return m_ui.cbQuotPanelType->currentData().toInt();
}

bool BCStoQuot::callsShown() const
{
    return pageType() == CallsOnly || pageType() == Both;
}

bool BCStoQuot::putsShown() const
{
    return pageType() == PutsOnly || pageType() == Both;
}

void BCStoQuot::doQuotPanelChanged(int)
{
    const int type = pageType();
    if (type == Both) {
        m_ui.lbExpireDate->hide();
        m_ui.cbExpireDate->hide();
        m_ui.swQuotPanel->setCurrentWidget(m_ui.pgAll);
        refreshTables(m_ui.cbAllExpireDate);
        return;
    }
    m_ui.lbExpireDate->show();
    m_ui.cbExpireDate->show();
    m_ui.swQuotPanel->setCurrentWidget(type == CallsOnly ? m_ui.pgCall : m_ui.pgPut);
    // A page that has not chosen an expiry yet shows none.
    if (!m_ui.cbExpireDate->setCurrentData(type == CallsOnly ? m_callExpireDate : m_putExpireDate))
        m_ui.cbExpireDate->setCurrentIndex(-1);
    refreshTables(m_ui.cbExpireDate);
}

void BCStoQuot::doExpireDateChanged(int)
{
    auto *combo = qobject_cast<VComboBox *>(sender());
    if (!combo)
        return;
    const int expiry = combo->currentData().toInt();
    const int type = pageType();
    if (type == PutsOnly || type == CallsOnly) {
        int &remembered = type == PutsOnly ? m_putExpireDate : m_callExpireDate;
        if (expiry == remembered)
            return;
        remembered = expiry;
    }
    refreshTables(combo);
}

void BCStoQuot::doTargetStkChanged(int)
{
    const QString id = m_ui.cbTargetStk->currentData().toString();
    if (id.isEmpty())
        return;
    if (const VCacheItem *stocks = tarn::hostContext()->cacheMgr()->stockCache()) {
        QList<QVariantMap> records;
        stocks->query(records, QStringLiteral("stkid"), {id}, QString(), stocks->supportBisearch());
        if (records.isEmpty()) {
            VOutput(3, QStringLiteral("bcstoquot"), __LINE__, QString(),
                    QStringLiteral("期权行情面板:证券缓存中不存在标的证券[%1].").arg(m_ui.cbTargetStk->currentText()));
            return;
        }
        const QVariantMap &record = records.first();
        m_targetName = record.value(QStringLiteral("stkname")).toString();
        m_targetMarket = record.value(QStringLiteral("market")).toString();
        m_targetCode = record.value(QStringLiteral("stkcode")).toString();
    }
    // The labels keep the old underlying's texts until the new one's first quote.
    m_labels->setUnderlying(m_targetCode, m_targetName);
    m_analytics->setUnderlying(id, m_targetMarket, m_targetCode);
    if (m_targetSubscriber)
        LatestQuotes::follow(m_targetSubscriber,
                             m_targetSubscriber->subOneProduct(vf::strToChar(m_targetMarket), m_targetCode));
    // What the module already has of the underlying shows at the next frame.
    const LatestQuotes *latest = LatestQuotes::instance();
    if (const VQuotData *record = latest ? latest->find(SecurityId::of(m_targetMarket, m_targetCode)) : nullptr) {
        VQuotData lent = *record;
        doRecvTargetStkSubscribeQuot(&lent);
    }
    fillExpireDateCombos();
    clearDatasets(false, false);
    m_analytics->setChain(callsShown(), putsShown(), 0);
}

void BCStoQuot::doRecvTargetStkSubscribeQuot(VQuotData *pQuotData)
{
    if (pQuotData && pQuotData->status != 0) {
        m_labels->receive(*pQuotData);
        m_analytics->receiveUnderlying(*pQuotData);
    }
}

void BCStoQuot::doAllTableSelectionChanged(const QItemSelection &selected, const QItemSelection &)
{
    const QModelIndexList indexes = selected.indexes();
    const int row = indexes.isEmpty() ? -1 : indexes.first().row();
    auto *selectionModel = qobject_cast<QItemSelectionModel *>(sender());
    if (!selectionModel || row < 0)
        return;
    for (const Table table : {OptionTables::AllCall, OptionTables::AllPut, OptionTables::Call, OptionTables::Put}) {
        if (m_ui.tables[table]->selectionModel() != selectionModel)
            continue;
        readContractRow(table, row);
        const Selection &chosen = m_selections[table];
        if ((table == OptionTables::AllCall || table == OptionTables::AllPut) && !chosen.stkid.isEmpty()) {
            QLabel *label = table == OptionTables::AllCall ? m_ui.lbCall : m_ui.lbPut;
            label->setText((table == OptionTables::AllCall ? QStringLiteral("认购:%1(%2)") : QStringLiteral("认沽:%1(%2)"))
                               .arg(chosen.stkname, chosen.stkcode));
            selectExercisePriceRow(m_tables.dataset(table).fieldValue(row, QStringLiteral("exerciseprice")));
        }
        return;
    }
}

void BCStoQuot::readContractRow(Table table, int row)
{
    const VDataset &dataset = m_tables.dataset(table);
    Selection &selection = m_selections[table];
    selection.market = dataset.fieldValue(row, QStringLiteral("market")).toString();
    selection.stkid = dataset.fieldValue(row, QStringLiteral("stkid")).toString();
    selection.stkcode = dataset.fieldValue(row, QStringLiteral("stkcode")).toString();
    selection.stkname = dataset.fieldValue(row, QStringLiteral("stkname")).toString();
}

void BCStoQuot::selectExercisePriceRow(const QVariant &price)
{
    const int row = m_tables.dataset(OptionTables::AllExercisePrice).locate(QStringLiteral("exerciseprice"), price, 0);
    if (row >= 0)
        m_ui.tables[OptionTables::AllExercisePrice]->setCurrentIndex(
            m_tables.model(OptionTables::AllExercisePrice).index(row, 0));
}

void BCStoQuot::doDoubleClicked(const QModelIndex &)
{
    for (const Table table : {OptionTables::AllCall, OptionTables::AllPut, OptionTables::Call, OptionTables::Put}) {
        if (m_ui.tables[table] == sender()) {
            emit onSelectedStoContract(m_selections[table].stkid);
            return;
        }
    }
}

void BCStoQuot::doScrollValueChanged(int value)
{
    for (const Table table : {OptionTables::AllCall, OptionTables::AllExercisePrice, OptionTables::AllPut})
        m_ui.tables[table]->verticalScrollBar()->setValue(value);
}

void BCStoQuot::doSubscribeQuot(char, QString, QString, double, QString)
{
}

void BCStoQuot::doStoContractDynCacheUpdated()
{
    if (!m_contractCache || !m_contractCache->isNormal()) {
        stoQuotLog(__LINE__, QStringLiteral("期权行情面板:期权合约动态缓存异常."));
        return;
    }
    m_chain.rebuild(m_contractCache, tarn::hostContext()->business()->sysDate(), [this] { fillTargetStkCombo(); });
    m_analytics->setContracts(m_contractCache);
}

void BCStoQuot::fillTargetStkCombo()
{
    m_ui.cbTargetStk->clear();
    m_ui.cbTargetStk->blockSignals(true);
    const VDataDict *dict = tarn::hostContext()->dataDict();
    for (const QString &id : m_chain.underlyings()) {
        const QString market = BizUtils::getMoreDataOfStkCache(id, QStringLiteral("market")).toString();
        const QString name = BizUtils::getMoreDataOfStkCache(id, QStringLiteral("stkname")).toString();
        const QString code = BizUtils::getMoreDataOfStkCache(id, QStringLiteral("stkcode")).toString();
        const QString marketName = dict ? dict->transDictItem(QStringLiteral("4"), market, ',') : market;
        m_ui.cbTargetStk->addItem(QStringList {marketName, code, name}.join(QLatin1Char(' ')), id);
    }
    m_ui.cbTargetStk->blockSignals(false);
    m_ui.cbTargetStk->setCurrentIndex(-1);
}

void BCStoQuot::fillExpireDateCombos()
{
    m_ui.cbExpireDate->clear();
    m_ui.cbAllExpireDate->clear();
    m_callExpireDate = 0;
    m_putExpireDate = 0;
    const QList<int> expiries = m_chain.expiries(m_ui.cbTargetStk->currentData().toString());
    for (VComboBox *combo : {m_ui.cbExpireDate, m_ui.cbAllExpireDate}) {
        combo->blockSignals(true);
        for (const int date : expiries)
            combo->addItem(expireDateText(date), date);
        combo->blockSignals(false);
        combo->sortByColumn(0, Qt::UserRole, Qt::AscendingOrder, true);
        combo->setCurrentIndex(-1);
    }
}

QString BCStoQuot::expireDateText(int d)
{
    const QString digits = QString::number(d);
    if (digits.size() != 8)
        return QString();
    return digits.left(4) + QStringLiteral("年") + digits.mid(4, 2) + QStringLiteral("月");
}

void BCStoQuot::clearDatasets(bool callsShown, bool putsShown)
{
    if (m_tables.clearDatasets(callsShown, putsShown)) {
        m_ui.lbCall->setText(QStringLiteral("认购"));
        m_ui.lbPut->setText(QStringLiteral("认沽"));
    }
}

bool BCStoQuot::refreshTables(QComboBox *expiryCombo)
{
    if (!m_contractCache)
        return false;
    const bool calls = callsShown();
    const bool puts = putsShown();
    const bool both = calls && puts;
    clearDatasets(calls, puts);
    const QString underlying = m_ui.cbTargetStk->currentData().toString();
    const int expiry = expiryCombo->currentData().toInt();
    m_contractSubscriber->unsubscribe(true);
    for (const QString &price : m_chain.exercisePrices(underlying, expiry)) {
        if (calls)
            addContractRow(underlying, expiry, price, QStringLiteral("C"), both);
        if (puts)
            addContractRow(underlying, expiry, price, QStringLiteral("P"), both);
    }
    m_tables.finishRefresh(calls, puts);
    m_analytics->setChain(calls, puts, expiry);
    // Replaces what the module keeps for the chain shown before, so a
    // contract shown again keeps its record.
    const bool subscribed = m_contractSubscriber->subscribe();
    LatestQuotes::follow(m_contractSubscriber, subscribed);
    return subscribed;
}

void BCStoQuot::addContractRow(const QString &underlyingId, int expireDate, const QString &exercisePrice,
                               const QString &callOrPut, bool both)
{
    const QVariantMap contract = OptionChain::contract(m_contractCache, underlyingId, expireDate, exercisePrice, callOrPut);
    if (contract.isEmpty())
        return;
    const bool call = callOrPut == QLatin1String("C");
    if (!call && callOrPut != QLatin1String("P")) {
        stoQuotLog(__LINE__, QStringLiteral("期权行情面板:合约信息认沽认购不正确，新增期权行情显示失败."));
        return;
    }
    m_tables.addContractRow(contract, exercisePrice.toDouble(), call, both);
    m_contractSubscriber->addProduct(vf::strToChar(contract.value(QStringLiteral("market")).toString()),
                                     contract.value(QStringLiteral("stkcode")).toString());
}

void BCStoQuot::doRecvSubscribeQuot(VQuotData *pQuotData)
{
    if (pQuotData && pQuotData->status != 0)
        m_tables.receive(*pQuotData);
}

void BCStoQuot::saveScene()
{
    const QString group = comCfgGroup();
    if (group.isEmpty())
        return;
    QHash<QString, QVariant> params;
    m_columns->saveScene(params);
    m_analytics->saveScene(params);
    tarn::hostContext()->config()->cfgLocalDb()->setCfgParam(group, params, true);
}

void BCStoQuot::restoreScene()
{
    const QString group = comCfgGroup();
    if (group.isEmpty())
        return;
    QHash<QString, QVariant> params;
    tarn::hostContext()->config()->cfgLocalDb()->getCfgParam(group, params);
    m_columns->restoreScene(params);
    m_analytics->restoreScene(params);
}
