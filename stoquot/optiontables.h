#pragma once

#include "vsqtablemodel.h"

#include <quotewriter.h>
#include <securityid.h>

#include <vdataset.h>

#include <QHash>
#include <QObject>
#include <QVector>

class LiveTableView;
class QuotBatch;
struct VQuotData;

// The option board's five tables: the calls, exercise prices and puts of
// the combined page and the single-side calls and puts, each a dataset and
// a model over it (members, no parent) shown in a view of the board's form.
// A refresh fills the shown tables row by row (addContractRow), then
// finishes: every table sorted by exercise price and each contract's row
// indexed by its security. Quotes wait for the next frame, the latest of
// each contract, and are then written into their contract's row (found by
// the contract, so a sorted single-side table still gets each quote into
// its own row), marking the cells that changed for 800 ms.
class OptionTables : public QObject
{
    Q_OBJECT
public:
    enum Table { AllCall, AllExercisePrice, AllPut, Call, Put, TableCount };

    explicit OptionTables(QObject *parent = nullptr);
    ~OptionTables() override;

    // The board's views, one per table, before setup().
    void setView(Table table, LiveTableView *view) { m_tables[table].view = view; }
    LiveTableView *view(Table table) const { return m_tables[table].view; }
    VDataset &dataset(Table table) { return m_tables[table].dataset; }
    VSQTableModel &model(Table table) { return m_tables[table].model; }

    // Defines the datasets and links them to their models and views.
    void setup();
    // Empties the datasets of the sides shown (neither: all five). True
    // when the combined page's tables held rows before (its side labels
    // start again).
    bool clearDatasets(bool callsShown, bool putsShown);
    // A contract (its cache record: "stkid", "market", "stkcode",
    // "contractname") at exercise price: on the combined page in the row of
    // its price, on a single-side page in a row of its own.
    void addContractRow(const QVariantMap &contract, double exercisePrice, bool call, bool both);
    // Sorts every table by exercise price and indexes the contracts' rows.
    void finishRefresh(bool callsShown, bool putsShown);

    // A record of a contract shown, written at the next frame.
    void receive(const VQuotData &record);

signals:
    // A record came for a contract without a row.
    void contractWithoutRow(const SecurityId &contract);
    // A frame's records are written.
    void written();

private:
    struct QuoteTable
    {
        VDataset dataset;
        VSQTableModel model;
        LiveTableView *view = nullptr;
        QuoteWriter writer; // a record's values into a row
    };
    struct RowRef
    {
        Table table;
        int row;
    };

    // The row of table whose exercise price is price, appended when there is none.
    int exercisePriceRow(Table table, double price);
    void indexRows();
    void applyQuotes();

    QuoteTable m_tables[TableCount];
    // The contracts shown, each in the first row the board reads it from.
    QHash<SecurityId, RowRef> m_rowIndex;
    QVector<Table> m_indexed; // the tables m_rowIndex covers
    QuotBatch *m_quotes; // a child
};
