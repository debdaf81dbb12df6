#include "bcstoquot.h"

#include <livetableview.h>
#include <quotbatch.h>
#include <quotetext.h>

#include <ihostcontext.h>
#include <tarn_global.h>
#include <vcacheitem.h>
#include <vcachemgr.h>
#include <vcombobox.h>
#include <vfutils.h>
#include <voutput.h>
#include <vquotdata.h>
#include <vquotsubscriber.h>

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QScrollBar>
#include <QStackedWidget>

#include <cmath>

namespace {

// The underlying's labels: a loss green, no change (or no number) grey, a gain red.
QString riseFallColour(double value, double reference)
{
    if (!QuoteText::isShownNumber(value) || !QuoteText::isShownNumber(reference))
        return QStringLiteral("#808080");
    if (reference - value > 1e-5)
        return QStringLiteral("#008000");
    if (std::fabs(value - reference) < 1e-5)
        return QStringLiteral("#808080");
    return QStringLiteral("#DC0A0A");
}

// A number of the underlying's record as label text; "--" for a value no
// quote can hold.
QString numberText(double value, int decimals)
{
    return QuoteText::isShownNumber(value) ? QString::number(value, 'f', decimals) : QStringLiteral("--");
}

} // namespace

BCStoQuot::BCStoQuot(QWidget *parent, QString className, const QString &identity, const QMap<QString, QVariant> *)
    : IComponent(parent, className, identity)
    , m_contractQuotes(new QuotBatch(this))
    , m_targetQuotes(new QuotBatch(this))
{
    connect(m_contractQuotes, &QuotBatch::ready, this, &BCStoQuot::applyQuotes);
    connect(m_targetQuotes, &QuotBatch::ready, this, &BCStoQuot::showTargetQuote);
    buildUi();
    m_contractSubscriber = new VQuotSubscriber(this, QStringLiteral("期权行情面板订阅"));
    m_contractSubscriber->setRecvSlot(this, "1doRecvSubscribeQuot(VQuotData*)");
    m_targetSubscriber = new VQuotSubscriber(this, QStringLiteral("期权行情面板标志证券订阅"));
    m_targetSubscriber->setRecvSlot(this, "1doRecvTargetStkSubscribeQuot(VQuotData*)");
    setupTables();
    for (QuoteTable &table : m_tables)
        table.view->setShowGrid(false);
    for (const Table table : {AllCall, AllExercisePrice, AllPut}) {
        m_tables[table].view->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
        m_tables[table].view->verticalHeader()->hide();
    }

    m_cbQuotPanelType->addItem(QStringLiteral("认购&认沽"), int(Both));
    m_cbQuotPanelType->addItem(QStringLiteral("认购"), int(CallsOnly));
    m_cbQuotPanelType->addItem(QStringLiteral("认沽"), int(PutsOnly));
    m_cbQuotPanelType->setCurrentData(int(Both));
    doQuotPanelChanged(m_cbQuotPanelType->currentIndex());

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
    for (QuoteTable &table : m_tables)
        table.dataset.close(true);
    for (VQuotSubscriber *subscriber : {m_contractSubscriber, m_targetSubscriber}) {
        if (subscriber) {
            subscriber->unsubscribe(true);
            delete subscriber;
        }
    }
}

void BCStoQuot::connectSignals()
{
    connect(m_cbQuotPanelType, SIGNAL(currentIndexChanged(int)), this, SLOT(doQuotPanelChanged(int)));
    connect(m_cbTargetStk, SIGNAL(currentIndexChanged(int)), this, SLOT(doTargetStkChanged(int)));
    connect(m_cbAllExpireDate, SIGNAL(currentIndexChanged(int)), this, SLOT(doExpireDateChanged(int)));
    connect(m_cbExpireDate, SIGNAL(currentIndexChanged(int)), this, SLOT(doExpireDateChanged(int)));
    const Table selectable[] = {AllCall, AllPut, Call, Put};
    for (const Table table : selectable) {
        connect(m_tables[table].view->selectionModel(),
                SIGNAL(selectionChanged(const QItemSelection &, const QItemSelection &)), this,
                SLOT(doAllTableSelectionChanged(QItemSelection, QItemSelection)));
    }
    for (const Table table : selectable)
        connect(m_tables[table].view, SIGNAL(doubleClicked(const QModelIndex &)), this,
                SLOT(doDoubleClicked(const QModelIndex &)));
    for (const Table table : {AllCall, AllExercisePrice, AllPut})
        connect(m_tables[table].view->verticalScrollBar(), SIGNAL(valueChanged(int)), this,
                SLOT(doScrollValueChanged(int)));
}

int BCStoQuot::pageType() const
{
    return m_cbQuotPanelType->currentData().toInt();
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
        m_lbExpireDate->hide();
        m_cbExpireDate->hide();
        m_swQuotPanel->setCurrentWidget(m_pgAll);
        refreshTables(m_cbAllExpireDate);
        return;
    }
    m_lbExpireDate->show();
    m_cbExpireDate->show();
    m_swQuotPanel->setCurrentWidget(type == CallsOnly ? m_pgCall : m_pgPut);
    // A page that has not chosen an expiry yet shows none.
    if (!m_cbExpireDate->setCurrentData(type == CallsOnly ? m_callExpireDate : m_putExpireDate))
        m_cbExpireDate->setCurrentIndex(-1);
    refreshTables(m_cbExpireDate);
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
    const QString id = m_cbTargetStk->currentData().toString();
    if (id.isEmpty())
        return;
    if (const VCacheItem *stocks = tarn::hostContext()->cacheMgr()->stockCache()) {
        QList<QVariantMap> records;
        stocks->query(records, QStringLiteral("stkid"), {id}, QString(), stocks->supportBisearch());
        if (records.isEmpty()) {
            VOutput(3, QStringLiteral("bcstoquot"), __LINE__, QString(),
                    QStringLiteral("期权行情面板:证券缓存中不存在标的证券[%1].").arg(m_cbTargetStk->currentText()));
            return;
        }
        const QVariantMap &record = records.first();
        m_targetName = record.value(QStringLiteral("stkname")).toString();
        m_targetMarket = record.value(QStringLiteral("market")).toString();
        m_targetCode = record.value(QStringLiteral("stkcode")).toString();
    }
    if (m_targetSubscriber)
        m_targetSubscriber->subOneProduct(vf::strToChar(m_targetMarket), m_targetCode);
    fillExpireDateCombos();
    clearDatasets(false, false);
}

void BCStoQuot::doRecvTargetStkSubscribeQuot(VQuotData *pQuotData)
{
    if (!pQuotData || pQuotData->status == 0)
        return;
    m_targetQuotes->add(*pQuotData);
}

void BCStoQuot::showTargetQuote()
{
    const QVector<VQuotData> latest = m_targetQuotes->take();
    if (latest.isEmpty())
        return;
    const VQuotData &q = latest.last();
    const double last = q.lastPrice;
    const double change = q.priceChange;
    m_lbStkCode->setText(QStringLiteral("标的证券:<font color='#808080'>%1(%2)</font>").arg(m_targetCode, m_targetName));
    const QString lastColour = riseFallColour(last, q.preClosingPrice);
    const QString changeColour = riseFallColour(change, 0.0);
    m_lbLastPrice->setText(QStringLiteral("最新价:<font color='%1'>%2</font>").arg(lastColour, numberText(last, 4)));
    m_incDecPrice->setText(QStringLiteral("涨跌:<font color='%1'>%2</font>").arg(changeColour, numberText(change, 4)));
    m_lbIncDecRatio->setText(QStringLiteral("涨跌幅:<font color='%1'>%2%</font>")
                                 .arg(changeColour, numberText(q.priceChangeRatio * 100.0, 2)));
}

void BCStoQuot::doAllTableSelectionChanged(const QItemSelection &selected, const QItemSelection &)
{
    const QModelIndexList indexes = selected.indexes();
    const int row = indexes.isEmpty() ? -1 : indexes.first().row();
    auto *selectionModel = qobject_cast<QItemSelectionModel *>(sender());
    if (!selectionModel || row < 0)
        return;
    for (const Table table : {AllCall, AllPut, Call, Put}) {
        if (m_tables[table].view->selectionModel() != selectionModel)
            continue;
        readContractRow(table, row);
        const Selection &chosen = m_tables[table].selection;
        if ((table == AllCall || table == AllPut) && !chosen.stkid.isEmpty()) {
            QLabel *label = table == AllCall ? m_lbCall : m_lbPut;
            label->setText((table == AllCall ? QStringLiteral("认购:%1(%2)") : QStringLiteral("认沽:%1(%2)"))
                               .arg(chosen.stkname, chosen.stkcode));
            selectExercisePriceRow(m_tables[table].dataset.fieldValue(row, QStringLiteral("exerciseprice")));
        }
        return;
    }
}

void BCStoQuot::readContractRow(Table table, int row)
{
    const VDataset &dataset = m_tables[table].dataset;
    Selection &selection = m_tables[table].selection;
    selection.market = dataset.fieldValue(row, QStringLiteral("market")).toString();
    selection.stkid = dataset.fieldValue(row, QStringLiteral("stkid")).toString();
    selection.stkcode = dataset.fieldValue(row, QStringLiteral("stkcode")).toString();
    selection.stkname = dataset.fieldValue(row, QStringLiteral("stkname")).toString();
}

void BCStoQuot::selectExercisePriceRow(const QVariant &price)
{
    QuoteTable &prices = m_tables[AllExercisePrice];
    const int row = prices.dataset.locate(QStringLiteral("exerciseprice"), price, 0);
    if (row >= 0)
        prices.view->setCurrentIndex(prices.model.index(row, 0));
}

void BCStoQuot::doDoubleClicked(const QModelIndex &)
{
    for (const Table table : {AllCall, AllPut, Call, Put}) {
        if (m_tables[table].view == sender()) {
            emit onSelectedStoContract(m_tables[table].selection.stkid);
            return;
        }
    }
}

void BCStoQuot::doScrollValueChanged(int value)
{
    for (const Table table : {AllCall, AllExercisePrice, AllPut})
        m_tables[table].view->verticalScrollBar()->setValue(value);
}

void BCStoQuot::doSubscribeQuot(char, QString, QString, double, QString)
{
}
