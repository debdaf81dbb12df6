#include "stkrowcommands.h"

#include "groupstore.h"
#include "stkgrouptabs.h"
#include "stkprompts.h"
#include "stkrows.h"
#include "stkstockrows.h"

#include <ihostcontext.h>
#include <tarn_global.h>
#include <vdatadict.h>
#include <voutput.h>
#include <vstockedit.h>
#include <vstockhelper.h>

#include <QItemSelectionModel>
#include <QTableView>

using StkPrompts::Answer;

namespace {

// The first byte of a market text in the local 8-bit encoding; 0 for none.
char marketChar(const QString &market)
{
    const QByteArray bytes = market.toLocal8Bit();
    return bytes.isEmpty() ? '\0' : bytes.at(0);
}

// The dictionary's name of a market code.
QString marketName(const QString &market)
{
    return tarn::hostContext()->dataDict()->transDictItem(QStringLiteral("4"), market, ',');
}

} // namespace

StkRowCommands::StkRowCommands(StkRows *rows, GroupStore *store, StkGroupTabs *tabs)
    : m_rows(rows)
    , m_store(store)
    , m_tabs(tabs)
{
}

void StkRowCommands::subscribeGroups()
{
    const QStringList ids = m_store->ids();
    VCacheItem *cache = StkStockRows::cache();
    if (!cache && !ids.isEmpty())
        VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(), QStringLiteral("证券缓存不可用, 自选股无法显示"));
    for (const QString &id : ids) {
        StkModel::Row row;
        if (!StkStockRows::rowOf(cache, id, row)) {
            if (cache) {
                VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(),
                        QStringLiteral("自选股[%1]不在证券缓存中, 不显示").arg(id));
            }
            continue;
        }
        m_rows->addRow(row);
        if (!m_rows->addProduct(marketChar(row.at(StkModel::Market)), row.at(StkModel::Code))) {
            VMsgDlg::error(QStringLiteral("证券<font color='red'>[%1|%2]</font>订阅行情失败!")
                               .arg(marketName(row.at(StkModel::Market)), row.at(StkModel::Name)),
                           QString(), Qt::ApplicationModal);
        }
    }
    if (!ids.isEmpty())
        m_rows->subscribe();
}

void StkRowCommands::showCurrentGroup()
{
    m_rows->showRows(StkStockRows::rowsOf(GroupStore::entries(m_store->groups().value(m_tabs->currentGroup()))));
}

void StkRowCommands::add(const QString &id, char market, const QString &code)
{
    // An id is one entry of a group's list: it can neither be empty nor hold the separator.
    if (id.isEmpty() || id.contains(QLatin1Char(','))) {
        VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(),
                QStringLiteral("无效的证券内码[%1], 未加入自选股").arg(id));
        return;
    }
    m_store->loadGroups();
    const QString group = m_tabs->currentGroup();
    if (group.isEmpty() || !m_store->groups().contains(group)) {
        StkPrompts::info(m_tabs, QStringLiteral("未创建分组!"));
        return;
    }
    if (!GroupStore::entries(m_store->groups().value(group)).contains(id)) {
        if (!m_store->saveGroupStk(group, id)) {
            StkPrompts::notSaved(m_tabs, group);
            return;
        }
        m_store->loadGroups();
        // Shown, the new security is subscribed; one the subscriber refuses is said.
        showCurrentGroup();
        if (!m_rows->addProduct(market, code)) {
            // The security's name through the host's look-up, for the message only.
            VStockEdit edit;
            if (VStockHelper *helper = tarn::hostContext()->stockHelper()) {
                helper->connectStockEdit(&edit);
                edit.selectStock(id);
            }
            VMsgDlg::error(QStringLiteral("证券<font color = 'red'>[%1|%2]</font>订阅行情失败!")
                               .arg(marketName(QString::fromLocal8Bit(&market, 1)), edit.getStockName()),
                           QString(), Qt::ApplicationModal);
        }
    }

    // A view shows the rows once it has a model: the watchlist's is the only one its views get.
    QTableView *view = m_tabs->currentView();
    const int row = m_rows->shownRowOfId(id);
    if (view && view->model() && row >= 0) {
        view->selectRow(row);
        view->scrollTo(view->model()->index(row, StkModel::Code));
    }
}

void StkRowCommands::deleteRow(const QModelIndex &index)
{
    const QTableView *view = m_tabs->currentView();
    if (!view || !index.isValid() || index.model() != view->model() || index.row() >= m_rows->shownCount())
        return;
    const int position = index.row();
    const StkModel::Row row = m_rows->shownRow(position);
    const QString id = row.value(StkModel::StkId);
    const Answer answer = id.isEmpty()
        ? Answer::No
        : StkPrompts::ask(m_tabs,
                          QStringLiteral("删除当前组内股票<font color='red'>[%1|%2]</font>?")
                              .arg(marketName(row.value(StkModel::Market)), row.value(StkModel::Name)));
    if (answer != Answer::Yes)
        return;
    const QString group = m_tabs->currentGroup();
    if (!m_store->deleteGroupStk(group, id)) {
        StkPrompts::notSaved(m_tabs, group);
        return;
    }
    m_store->loadGroups();
    // The security stays in all rows and stays subscribed.
    m_rows->removeShownRow(position);
}

void StkRowCommands::deleteSelected()
{
    const QTableView *view = m_tabs->currentView();
    if (!view) {
        StkPrompts::info(m_tabs, QStringLiteral("未创建分组!"));
        return;
    }
    const QModelIndexList selected
        = view->model() && view->selectionModel() ? view->selectionModel()->selectedRows() : QModelIndexList();
    if (selected.isEmpty()) {
        StkPrompts::info(m_tabs, QStringLiteral("未选中股票!"));
        return;
    }
    QString ids;
    QString labels;
    for (const QModelIndex &index : selected) {
        const StkModel::Row &row = m_rows->shownRow(index.row());
        ids += row.value(StkModel::StkId) + QLatin1Char(',');
        labels += QStringLiteral("[%1|%2]").arg(marketName(row.value(StkModel::Market)), row.value(StkModel::Name));
    }
    if (StkPrompts::ask(m_tabs, QStringLiteral("删除当前组内股票<font color='red'>%1</font>?").arg(labels))
        != Answer::Yes)
        return;
    const QString group = m_tabs->currentGroup();
    if (!m_store->deleteGroupStk(group, ids)) {
        StkPrompts::notSaved(m_tabs, group);
        return;
    }
    m_store->loadGroups();
    showCurrentGroup();
}

bool StkRowCommands::orderOf(const QModelIndex &index, OrderDetail *order) const
{
    if (!index.isValid() || index.row() >= m_rows->shownCount())
        return false;
    const StkModel::Row &row = m_rows->shownRow(index.row());
    order->stockId = row.value(StkModel::StkId);
    order->stockCode = row.value(StkModel::Code);
    order->stockType = row.value(StkModel::StkType);
    return true;
}
