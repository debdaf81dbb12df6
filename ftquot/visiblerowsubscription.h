#pragma once

#include <securityid.h>

#include <QHash>
#include <QObject>

class MarketPage;
class QuotBatch;
struct VQuotData;

// The futures board subscribes only the rows in view of the page shown.
// Each page's window of rows follows scrolling and resizing (refresh()),
// and a change of the window while the page is subscribed unsubscribes
// exactly what the quote manager last accepted and subscribes the new
// list. The page shown is subscribed; the page shown before is
// unsubscribed and keeps its list for its return. An emptied table keeps
// nothing subscribed. Quotes for the page shown wait for the next frame,
// the latest of each contract, and are then written into their rows,
// flashing the cells that changed. The state of each page's subscription
// is this object's; the pages (and their subscribers) are the board's.
class VisibleRowSubscription : public QObject
{
    Q_OBJECT
public:
    explicit VisibleRowSubscription(QObject *parent = nullptr);
    ~VisibleRowSubscription() override;

    // The page shown (null: none).
    void setCurrentPage(MarketPage *page);
    MarketPage *currentPage() const { return m_current; }
    // Other rows may be in view (scrolled, resized, rows appended): the window is read again.
    void refresh(MarketPage *page);
    // The page's rows moved or went (sorted, removed): its whole window is read again.
    void rowsChanged(MarketPage *page);
    // The page goes: what the quote manager accepted of it is unsubscribed and its list emptied.
    void release(MarketPage *page);
    // A record from the quote service, written at the next frame when it
    // is of a row of the page shown.
    void receive(const VQuotData &record);

private:
    struct PageState
    {
        int firstRow = -1; // the subscribed window of rows, -1: none
        int lastRow = -1;
        bool subscribed = false;
        bool resubscribing = false;
        QHash<QString, SecurityId> accepted; // what the quote manager last accepted, by product-list entry
    };

    void commit(MarketPage *page);
    bool subscribe(MarketPage *page);
    bool unsubscribe(MarketPage *page, bool clearList);
    void applyQuotes();

    MarketPage *m_current = nullptr;
    QHash<const MarketPage *, PageState> m_states;
    QuotBatch *m_quotes; // a child
};
