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

void removeAllProducts(VQuotSubscriber *subscriber)
{
    for (const SecurityId &contract : productsOf(subscriber))
        removeProduct(subscriber, contract);
}

} // namespace

Q_LOGGING_CATEGORY(lcFtQuot, "tarn.ftquot", QtInfoMsg)

VisibleRowSubscription::VisibleRowSubscription(QObject *parent)
    : QObject(parent)
    , m_quotes(new QuotBatch(this))
{
    connect(m_quotes, &QuotBatch::ready, this, &VisibleRowSubscription::applyQuotes);
}

VisibleRowSubscription::~VisibleRowSubscription() = default;

void VisibleRowSubscription::setCurrentPage(MarketPage *page)
{
    MarketPage *old = m_current;
    m_current = page;
    if (!page)
        return;
    refresh(page);
    if (old && old != page)
        unsubscribe(old, false);
    subscribe(page);
}

void VisibleRowSubscription::rowsChanged(MarketPage *page)
{
    PageState &state = m_states[page];
    state.firstRow = -1;
    state.lastRow = -1;
    refresh(page);
}

void VisibleRowSubscription::refresh(MarketPage *page)
{
    if (!page)
        return;
    PageState &state = m_states[page];
    QTableView *table = page->table;
    const int n = page->dataset.recordCount();
    if (n == 0) {
        // An emptied table keeps nothing subscribed, whichever way it was
        // emptied: the quote manager gives up what it last accepted.
        state.firstRow = -1;
        state.lastRow = -1;
        if (page->subscriber->productList().isEmpty() && state.accepted.isEmpty())
            return;
        removeAllProducts(page->subscriber);
        commit(page);
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
    if (first == state.firstRow && last == state.lastRow)
        return;

    const auto close = qScopeGuard([this, page] {
        commit(page);
        if (m_current && !m_states.value(m_current).subscribed)
            subscribe(m_current);
    });
    const int oldFirst = state.firstRow;
    const int oldLast = state.lastRow;
    if (oldFirst == -1 || oldLast == -1) {
        removeAllProducts(page->subscriber);
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
    state.firstRow = first;
    state.lastRow = last;
    qCDebug(lcFtQuot) << "rows in view of" << page->market << first << "to" << last;
}

void VisibleRowSubscription::commit(MarketPage *page)
{
    PageState &state = m_states[page];
    if (!page->subscriber || !state.subscribed)
        return;
    state.resubscribing = true;
    const auto done = qScopeGuard([&state] { state.resubscribing = false; });
    unsubscribe(page, false);
    subscribe(page);
    ftQuotLog(0, __LINE__, QStringLiteral("刷新后订阅列表:【%1】").arg(productList(page->subscriber)));
}

bool VisibleRowSubscription::subscribe(MarketPage *page)
{
    PageState &state = m_states[page];
    if (!page->subscriber || state.subscribed)
        return true;
    state.accepted = productsOf(page->subscriber);
    state.subscribed = tarn::hostContext()->quotMgr()->subscribe(page->subscriber);
    LatestQuotes::follow(page->subscriber, state.subscribed);
    // Rows coming into view show what the module already has of them at the next frame.
    if (state.subscribed && page == m_current) {
        for (const SecurityId &contract : qAsConst(state.accepted))
            m_quotes->addLatest(contract);
    }
    ftQuotLog(0, __LINE__,
              QStringLiteral("期货行情面板行情订阅者【%1】订阅列表:【%2】")
                  .arg(page->subscriber->subName(), productList(page->subscriber)));
    return state.subscribed;
}

void VisibleRowSubscription::release(MarketPage *page)
{
    if (page->subscriber)
        unsubscribe(page, true);
    if (page == m_current)
        m_current = nullptr;
    m_states.remove(page);
}

bool VisibleRowSubscription::unsubscribe(MarketPage *page, bool clearList)
{
    PageState &state = m_states[page];
    if (!page->subscriber || !state.subscribed)
        return true;
    VQuotSubscriber *subscriber = page->subscriber;
    const QHash<QString, SecurityId> kept = productsOf(subscriber);
    removeAllProducts(subscriber);
    // Exactly what was subscribed is unsubscribed.
    for (const SecurityId &contract : qAsConst(state.accepted))
        addProduct(subscriber, contract);
    state.accepted.clear();
    const bool ok = tarn::hostContext()->quotMgr()->unsubscribe(subscriber);
    state.subscribed = !ok;
    // A page subscribed again at once keeps the module's records of the rows it still shows.
    if (ok && !state.resubscribing)
        LatestQuotes::follow(subscriber, false);
    ftQuotLog(0, __LINE__,
              QStringLiteral("期货行情面板行情订阅者【%1】解除订阅列表:【%2】").arg(subscriber->subName(), productList(subscriber)));
    if (state.subscribed)
        state.subscribed = !subscriber->productList().isEmpty();
    removeAllProducts(subscriber);
    if (!clearList) {
        for (const SecurityId &contract : kept)
            addProduct(subscriber, contract);
    }
    return !state.subscribed;
}

void VisibleRowSubscription::receive(const VQuotData &record)
{
    // A record without data must not replace a waiting one.
    if (record.status != 0 && m_current && !m_states.value(m_current).resubscribing
        && m_current->rowOf(SecurityId::of(record)) >= 0)
        m_quotes->add(record);
}

void VisibleRowSubscription::applyQuotes()
{
    // The page shown may have changed since the records came; a contract
    // the page does not show has no row.
    MarketPage *page = m_current;
    if (!page || m_states.value(page).resubscribing) {
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
