#include "visiblerowsubscription.h"

#include "ftquotlog.h"
#include "marketpage.h"

#include <latestquotes.h>
#include <quotbatch.h>

#include <ihostcontext.h>
#include <tarn_global.h>
#include <vquotdata.h>
#include <vquotmgr.h>
#include <vquotsubscriber.h>

#include <QScopeGuard>
#include <QScrollBar>
#include <QTableView>

namespace {

// The subscriber's product-list entries as contracts; malformed entries are
// left out.
QHash<QString, SecurityId> productsOf(const VQuotSubscriber *subscriber)
{
    QHash<QString, SecurityId> products;
    for (const QString &entry : subscriber->productList()) {
        const QStringList split = entry.split(QLatin1Char('|'), Qt::SkipEmptyParts);
        if (split.size() == 2)
            products.insert(entry, SecurityId::of(split.at(0), split.at(1)));
    }
    return products;
}

void addProduct(VQuotSubscriber *subscriber, const SecurityId &contract)
{
    subscriber->addProduct(contract.market(), contract.codeText());
}

void removeProduct(VQuotSubscriber *subscriber, const SecurityId &contract)
{
    subscriber->removeProduct(contract.market(), contract.codeText());
}

QString productList(const VQuotSubscriber *subscriber)
{
    return subscriber->productList().join(QLatin1Char(';'));
}

} // namespace

VisibleRowSubscription::VisibleRowSubscription(MarketPage *const &currentPage, QObject *parent)
    : QObject(parent)
    , m_currentPage(currentPage)
    , m_quotes(new QuotBatch(this))
{
    connect(m_quotes, &QuotBatch::ready, this, &VisibleRowSubscription::applyQuotes);
}

void VisibleRowSubscription::refreshSubscription(MarketPage *page)
{
    if (!page)
        return;
    QTableView *table = page->table;
    const VDataset &ds = page->dataset;
    const int n = ds.recordCount();
    if (n == 0) {
        // An emptied table keeps nothing subscribed, whichever way it was
        // emptied: the quote manager gives up what it last accepted.
        page->firstSubRow = -1;
        page->lastSubRow = -1;
        if (page->subscriber->productList().isEmpty() && page->subscribedSet.isEmpty())
            return;
        removeAllProducts(page);
        commitSubscription(page);
        return;
    }
    const int first = table->indexAt(QPoint(0, 0)).row();
    int last;
    if (!table->verticalScrollBar()->isVisible())
        last = page->model.index(n - 1, 0).row();
    else
        last = table->indexAt(QPoint(0, table->verticalScrollBar()->height())).row();
    if (last < 0)
        last = n - 1;
    if (first > last || last < 0 || first >= n)
        return;
    if (first == page->firstSubRow && last == page->lastSubRow)
        return;

    page->refreshing = true;
    const auto close = qScopeGuard([this, page] {
        if (page->refreshing) {
            page->refreshing = false;
            commitSubscription(page);
        }
        if (m_currentPage && !m_currentPage->subscribed)
            subscribePage(m_currentPage);
    });
    const int oldFirst = page->firstSubRow;
    const int oldLast = page->lastSubRow;
    if (oldFirst == -1 || oldLast == -1) {
        removeAllProducts(page);
    } else {
        for (int row = oldFirst; row <= oldLast; ++row) {
            if ((row < first || row > last) && row >= 0 && row < n)
                removeProduct(page->subscriber, page->model.securityOfRow(row));
        }
    }
    for (int row = first; row <= last; ++row) {
        const bool inOld = oldFirst != -1 && oldLast != -1 && row >= oldFirst && row <= oldLast;
        if (!inOld && row >= 0 && row < n)
            addProduct(page->subscriber, page->model.securityOfRow(row));
    }
    page->firstSubRow = first;
    page->lastSubRow = last;
}

void VisibleRowSubscription::commitSubscription(MarketPage *page)
{
    if (!page->subscriber || !page->subscribed)
        return;
    page->resubscribing = true;
    const auto done = qScopeGuard([page] { page->resubscribing = false; });
    unsubscribePage(page, false);
    subscribePage(page);
    ftQuotLog(0, __LINE__, QStringLiteral("刷新后订阅列表:【%1】").arg(productList(page->subscriber)));
}

bool VisibleRowSubscription::subscribePage(MarketPage *page)
{
    if (!page->subscriber || page->subscribed)
        return true;
    page->subscribedSet = productsOf(page->subscriber);
    page->subscribed = tarn::hostContext()->quotMgr()->subscribe(page->subscriber);
    LatestQuotes::follow(page->subscriber, page->subscribed);
    // Rows coming into view show what the module already has of them at the next frame.
    if (page->subscribed && page == m_currentPage) {
        for (const SecurityId &contract : qAsConst(page->subscribedSet))
            m_quotes->addLatest(contract);
    }
    ftQuotLog(0, __LINE__,
              QStringLiteral("期货行情面板行情订阅者【%1】订阅列表:【%2】")
                  .arg(page->subscriber->subName(), productList(page->subscriber)));
    return page->subscribed;
}

bool VisibleRowSubscription::unsubscribePage(MarketPage *page, bool clearList)
{
    if (!page->subscriber || !page->subscribed)
        return true;
    VQuotSubscriber *subscriber = page->subscriber;
    const QHash<QString, SecurityId> kept = productsOf(subscriber);
    removeAllProducts(page);
    // Exactly what was subscribed is unsubscribed.
    for (const SecurityId &contract : qAsConst(page->subscribedSet))
        addProduct(subscriber, contract);
    page->subscribedSet.clear();
    const bool ok = tarn::hostContext()->quotMgr()->unsubscribe(subscriber);
    page->subscribed = !ok;
    // A page subscribed again at once keeps the module's records of the rows it still shows.
    if (ok && !page->resubscribing)
        LatestQuotes::follow(subscriber, false);
    ftQuotLog(0, __LINE__,
              QStringLiteral("期货行情面板行情订阅者【%1】解除订阅列表:【%2】").arg(subscriber->subName(), productList(subscriber)));
    if (page->subscribed)
        page->subscribed = !subscriber->productList().isEmpty();
    removeAllProducts(page);
    if (!clearList) {
        for (const SecurityId &contract : kept)
            addProduct(subscriber, contract);
    }
    return !page->subscribed;
}

void VisibleRowSubscription::removeAllProducts(MarketPage *page)
{
    for (const SecurityId &contract : productsOf(page->subscriber))
        removeProduct(page->subscriber, contract);
}

void VisibleRowSubscription::receive(const VQuotData &record)
{
    m_quotes->add(record);
}

void VisibleRowSubscription::applyQuotes()
{
    // The page shown may have changed since the records came; a contract
    // the page does not show has no row.
    MarketPage *page = m_currentPage;
    if (!page || page->resubscribing) {
        m_quotes->take();
        return;
    }
    const QuoteWriter::Frame frame {&page->model};
    for (const VQuotData &record : m_quotes->take()) {
        const int row = record.status == 0 ? -1 : page->rowOf(SecurityId::of(record));
        if (row >= 0 && row < page->dataset.recordCount())
            page->writer.write(page->model, row, record);
    }
}
