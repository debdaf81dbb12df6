#pragma once

#include "stkmodel.h"
#include "stkrowindex.h"

#include <quotewriter.h>
#include <securityformats.h>

#include <QObject>
#include <QVector>

#include <array>

class QuotBatch;
struct VQuotData;

// Brings quotes into the watchlist's two row lists (all rows and the shown
// rows, the component's). A record waits for the next frame, the latest of
// each security; then its rows are found through the lists' indexes, the
// values that changed since the security's last record are kept (a row of
// all rows is the QuoteWriter's row; its cells the quote columns from Last
// on), and the shown row is announced to the model. The texts of kept
// values are written in the security's format when the model reads the row
// (writeShownRow()): prices with its decimals, the volume in its lots and
// the amount in whole units, which the model shortens. The view paints only
// rows in view, so a storm over thousands of securities formats the few
// dozen on screen. A value is formatted once, its text shared by the row in
// both lists; a row copied from all rows before its texts were written gets
// them when it is read.
//
// The lists belong to the component, which tells the router when they
// change: allRowAppended() after a row was appended to all rows,
// shownRowsChanged() after the shown rows were rebuilt, removed or
// reordered.
class StkQuoteRouter : public QObject, private QuoteRowTarget
{
    Q_OBJECT
public:
    StkQuoteRouter(QList<StkModel::Row> *allRows, QList<StkModel::Row> *shownRows, StkModel *model,
                   QObject *parent = nullptr);

    // A record from the quote service (its status already checked).
    void add(const VQuotData &record);

    void allRowAppended();
    void shownRowsChanged();
    // Writes the texts of the shown row's security whose values changed
    // since they were last written; the model's hook before a row is read.
    void writeShownRow(int shown);
    // The first row with this internal id, -1 when there is none.
    int allRowOfId(const QString &id) const { return m_allIndex.rowOfId(id); }
    int shownRowOfId(const QString &id) const { return m_shownIndex.rowOfId(id); }

private:
    // The quote columns' values, Last to LimitDown, as last written; NaN for none.
    using Values = std::array<double, StkModel::LimitDown - StkModel::Last + 1>;

    double quoteValue(int all, int cell) const override { return m_allValues.at(all)[size_t(cell)]; }
    void setQuoteValue(int all, int cell, double value, bool highlight) override;
    void holdChanges() override {}
    void releaseChanges() override;
    void applyQuotes();
    void writeRow(int all);

    QList<StkModel::Row> *m_allRows;
    QList<StkModel::Row> *m_shownRows;
    StkModel *m_model;
    QuotBatch *m_quotes; // a child
    const QuoteWriter m_writer;
    SecurityFormats m_securityFormats;
    StkRowIndex m_allIndex;
    StkRowIndex m_shownIndex;
    QVector<Values> m_allValues; // by row of all rows: the latest values
    QVector<QuoteFormat> m_formats; // by row of all rows
    QVector<quint16> m_unwritten; // by row of all rows: bit i set while value i's text lags
    QVector<int> m_shownOfAll; // by row of all rows: its shown row, -1 for none
    QVector<int> m_allOfShown; // by shown row: its row of all rows, -1 for none
    QVector<int> m_changed; // rows of all rows a frame's records changed
};
