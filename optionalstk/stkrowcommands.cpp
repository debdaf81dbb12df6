#include "stkrowcommands.h"

#include "groupstore.h"
#include "stkgrouptabs.h"
#include "stkprompts.h"
#include "stkquoterouter.h"

#include <ihostcontext.h>
#include <latestquotes.h>
#include <tarn_global.h>
#include <vdatadict.h>
#include <voutput.h>
#include <vquotsubscriber.h>
#include <vstockedit.h>
#include <vstockhelper.h>

#include <QItemSelectionModel>
#include <QTableView>

using StkPrompts::Answer;

StkRowCommands::StkRowCommands(const Parts &parts)
    : m_parts(parts)
{
}

QString StkRowCommands::marketName(const QString &market)
{
    return tarn::hostContext()->dataDict()->transDictItem(QStringLiteral("4"), market, ',');
}

void StkRowCommands::add(const QString &id, char market, const QString &code)
{
    // An id is one entry of a group's list: it can neither be empty nor hold the separator.
    if (id.isEmpty() || id.contains(QLatin1Char(','))) {
        VOutput(3, QStringLiteral(__FILE__), __LINE__, QString(),
                QStringLiteral("无效的证券内码[%1], 未加入自选股").arg(id));
        return;
    }
    GroupStore &store = m_parts.store;
    store.loadGroups();
    const QString group = m_parts.tabs.currentGroup();
    if (group.isEmpty() || !store.groups().contains(group)) {
        StkPrompts::info(m_parts.watchlist, QStringLiteral("未创建分组!"));
        return;
    }
    if (!GroupStore::entries(store.groups().value(group)).contains(id)) {
        if (!store.saveGroupStk(group, id)) {
            StkPrompts::notSaved(m_parts.watchlist, group);
            return;
        }
        store.loadGroups();
        m_parts.rebuild();
        if (!m_parts.subscriber->addProduct(market, code)) {
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
        LatestQuotes::follow(m_parts.subscriber, m_parts.subscriber->subscribe());
    }

    QTableView *view = m_parts.tabs.currentView();
    const int row = m_parts.quotes.shownRowOfId(id);
    if (view && view->model() == &m_parts.model && row >= 0) {
        view->selectRow(row);
        view->scrollTo(m_parts.model.index(row, StkModel::Code));
    }
}

void StkRowCommands::deleteRow(const QModelIndex &index)
{
    QList<StkModel::Row> &shown = m_parts.shownRows;
    if (m_parts.tabs.currentView() && index.isValid() && index.model() == &m_parts.model
        && index.row() < shown.size()) {
        const int position = index.row();
        const StkModel::Row row = shown.at(position);
        const QString id = row.value(StkModel::StkId);
        const Answer answer = id.isEmpty()
            ? Answer::No
            : StkPrompts::ask(m_parts.watchlist, QStringLiteral("删除当前组内股票<font color='red'>[%1|%2]</font>?")
                                                     .arg(marketName(row.value(StkModel::Market)),
                                                          row.value(StkModel::Name)));
        if (answer == Answer::Gone)
            return;
        if (answer == Answer::Yes) {
            const QString group = m_parts.tabs.currentGroup();
            if (!m_parts.store.deleteGroupStk(group, id)) {
                if (!StkPrompts::notSaved(m_parts.watchlist, group))
                    return;
            } else {
                m_parts.store.loadGroups();
                // The security stays in all rows and stays subscribed.
                shown.removeAt(position);
                m_parts.quotes.shownRowsChanged();
            }
        }
    }
    m_parts.model.refresh();
}

void StkRowCommands::deleteSelected()
{
    QTableView *view = m_parts.tabs.currentView();
    if (!view) {
        StkPrompts::info(m_parts.watchlist, QStringLiteral("未创建分组!"));
        return;
    }
    const QModelIndexList selected = view->model() == &m_parts.model && view->selectionModel()
        ? view->selectionModel()->selectedRows()
        : QModelIndexList();
    if (selected.isEmpty()) {
        StkPrompts::info(m_parts.watchlist, QStringLiteral("未选中股票!"));
        return;
    }
    QString ids;
    QString labels;
    for (const QModelIndex &index : selected) {
        const StkModel::Row &row = m_parts.shownRows.at(index.row());
        ids += row.value(StkModel::StkId) + QLatin1Char(',');
        labels += QStringLiteral("[%1|%2]").arg(marketName(row.value(StkModel::Market)), row.value(StkModel::Name));
    }
    const Answer answer
        = StkPrompts::ask(m_parts.watchlist, QStringLiteral("删除当前组内股票<font color='red'>%1</font>?").arg(labels));
    if (answer == Answer::Gone)
        return;
    if (answer == Answer::Yes) {
        const QString group = m_parts.tabs.currentGroup();
        if (!m_parts.store.deleteGroupStk(group, ids)) {
            if (!StkPrompts::notSaved(m_parts.watchlist, group))
                return;
        } else {
            m_parts.store.loadGroups();
            m_parts.rebuild();
        }
    }
    m_parts.model.refresh();
}

bool StkRowCommands::orderOf(const QModelIndex &index, OrderDetail *order) const
{
    if (!index.isValid() || index.row() >= m_parts.shownRows.size())
        return false;
    const StkModel::Row &row = m_parts.shownRows.at(index.row());
    order->stockId = row.value(StkModel::StkId);
    order->stockCode = row.value(StkModel::Code);
    order->stockType = row.value(StkModel::StkType);
    return true;
}
