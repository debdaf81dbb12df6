#pragma once

#include "stkmodel.h"
#include "stkrowindex.h"

#include <quotewriter.h>
#include <securityformats.h>

#include <QObject>
#include <QVector>

#include <array>

class QuotBatch;
class VQuotSubscriber;
struct VQuotData;

// The watchlist's rows, their quotes and its subscription. All rows hold
// every security met (its groups' at start-up and any added since), each
// with its latest quote; they only grow. The shown rows are the current
// group's, copied from all rows when the group is shown. Changes of the
// shown rows are told through the signals below, in the pairs a model
// needs around them.
//
// A quote record waits for the next frame, the latest of each security;
// then its row of all rows is found through the index by security and the
// values that changed since the security's last record are kept (a row of
// all rows is the QuoteWriter's row; its cells the quote columns from Last
// on), and its shown row is told changed. The texts of kept values are a
// cache, written in the security's format when a shown row is read
// (shownRow()): prices with its decimals, the volume in its lots and the
// amount in whole units, which the model shortens. The view paints only
// rows in view, so a storm over thousands of securities formats the few
// dozen on screen. A value is formatted once, its text shared by the row in
// both lists; a row copied from all rows before its texts were written gets
// them when it is read.
//
// The subscriber ("自选股") is a child, unsubscribed and deleted first on
// destruction; what is put into it is received for the watchlist's life.
class StkRows : public QObject, private QuoteRowTarget
{
    Q_OBJECT
public:
    using Row = StkModel::Row;

    explicit StkRows(QObject *parent = nullptr);
    ~StkRows() override;

    // The subscriber hands its records to receiver's slot, given as
    // VQuotSubscriber::setRecvSlot takes it; the receiver passes them to
    // addQuote().
    void setQuoteReceiver(QObject *receiver, const char *slot);
    // Puts a security into the subscriber's list; false when it refuses it.
    bool addProduct(char market, const QString &code);
    // Hands the list to the quote service; the module's latest records follow it.
    void subscribe();
    // A record from the quote service (its status already checked).
    void addQuote(const VQuotData &record);

    // Appends a security's row, with no quote yet, to all rows.
    void addRow(const Row &row);
    // The rows of the group to show, in order, as the stock cache has them:
    // a security of all rows is shown with its row there (and its latest
    // quote), a new one joins all rows and is subscribed.
    void showRows(const QList<Row> &rows);
    // The security stays in all rows.
    void removeShownRow(int row);
    // order[i]: the shown row that goes to place i.
    void reorderShown(const QVector<int> &order);
    // Replaces the text of a shown row's cell (the delete button's state);
    // false for no such cell.
    bool setShownText(int row, int column, const QString &text);

    int shownCount() const { return m_shown.size(); }
    // The shown row, its quote texts written first; row in range.
    const Row &shownRow(int row);
    // The first shown row with this internal id, -1 when there is none.
    int shownRowOfId(const QString &id) const { return m_shownIndex.rowOfId(id); }

signals:
    void shownAboutToBeReset();
    void shownReset();
    void shownRowAboutToBeRemoved(int row);
    void shownRowRemoved(int row);
    void shownAboutToBeReordered();
    // placeOf[old]: where the shown row that stood at old stands now.
    void shownReordered(const QVector<int> &placeOf);
    // Cells of the shown row changed, any column.
    void shownRowChanged(int row);

private:
    // The quote columns' values, Last to LimitDown, as last written; NaN for none.
    using Values = std::array<double, StkModel::LimitDown - StkModel::Last + 1>;

    double quoteValue(int all, int cell) const override { return m_allValues.at(all)[size_t(cell)]; }
    void setQuoteValue(int all, int cell, double value, bool highlight) override;
    void holdChanges() override {}
    void releaseChanges() override;
    void applyQuotes();
    // Indexes the shown rows and links them with all rows.
    void indexShown();
    void writeRow(int all);

    VQuotSubscriber *m_subscriber; // a child
    QuotBatch *m_quotes; // a child
    const QuoteWriter m_writer;
    SecurityFormats m_securityFormats;
    QList<Row> m_all;
    QList<Row> m_shown;
    StkRowIndex m_allIndex;
    StkRowIndex m_shownIndex;
    QVector<Values> m_allValues; // by row of all rows: the latest values
    QVector<QuoteFormat> m_formats; // by row of all rows
    QVector<quint16> m_unwritten; // by row of all rows: bit i set while value i's text lags
    QVector<int> m_shownOfAll; // by row of all rows: its shown row, -1 for none
    QVector<int> m_allOfShown; // by shown row: its row of all rows, -1 for none
    QVector<int> m_changed; // rows of all rows a frame's records changed
};
