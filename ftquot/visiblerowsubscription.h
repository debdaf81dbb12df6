#pragma once

#include <QObject>
#include <QVariant>

class MarketPage;
class QuotBatch;
struct VQuotData;

// The futures board subscribes only the rows in view of the page shown:
// the window of rows follows scrolling (refreshSubscription), and a change
// of the window while the page is subscribed unsubscribes exactly what the
// quote manager last accepted and subscribes the new list
// (commitSubscription). An emptied table keeps nothing subscribed. Quotes
// for the shown page wait for the next frame, the latest of each contract,
// and are then written into their rows, flashing the cells that changed.
class VisibleRowSubscription : public QObject
{
    Q_OBJECT
public:
    // currentPage: the board's page shown, read whenever a step needs it.
    VisibleRowSubscription(MarketPage *const &currentPage, QObject *parent = nullptr);

    void refreshSubscription(MarketPage *page);
    void commitSubscription(MarketPage *page);
    bool subscribePage(MarketPage *page);
    bool unsubscribePage(MarketPage *page, bool clearList);
    // A record of a row of the page shown, written at the next frame.
    void receive(const VQuotData &record);

private:
    void removeAllProducts(MarketPage *page);
    void applyQuotes();

    MarketPage *const &m_currentPage;
    QuotBatch *m_quotes; // a child
};
