#pragma once

#include "stkmodel.h"
#include "stkrowindex.h"

#include <QObject>
#include <QVector>

#include <array>

class QuotBatch;
struct VQuotData;

// Brings quotes into the watchlist's two row lists (all rows and the shown
// rows, the component's). A record waits for the next frame, the latest of
// each security; then its rows are found through the lists' indexes, and
// only the values that changed since the security's last record are
// formatted, each text once, shared by the row in both lists. The shown
// row is announced to the model.
//
// The lists belong to the component, which tells the router when they
// change: allRowAppended() after a row was appended to all rows,
// shownRowsChanged() after the shown rows were rebuilt, removed or
// reordered.
class StkQuoteRouter : public QObject
{
    Q_OBJECT
public:
    StkQuoteRouter(QList<StkModel::Row> *allRows, QList<StkModel::Row> *shownRows, StkModel *model,
                   QObject *parent = nullptr);

    // A record from the quote service (its status already checked).
    void add(const VQuotData &record);

    void allRowAppended();
    void shownRowsChanged();
    // The first row with this internal id, -1 when there is none.
    int allRowOfId(const QString &id) const { return m_allIndex.rowOfId(id); }
    int shownRowOfId(const QString &id) const { return m_shownIndex.rowOfId(id); }

private:
    // The quote columns' values, Last to LimitDown, as last written.
    using Values = std::array<double, StkModel::LimitDown - StkModel::Last + 1>;

    void applyQuotes();

    QList<StkModel::Row> *m_allRows;
    QList<StkModel::Row> *m_shownRows;
    StkModel *m_model;
    QuotBatch *m_quotes; // a child
    StkRowIndex m_allIndex;
    StkRowIndex m_shownIndex;
    QVector<Values> m_allValues; // by row of all rows
    QVector<int> m_shownOfAll; // by row of all rows: its shown row, -1 for none
};
