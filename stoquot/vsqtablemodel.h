#pragma once

#include "analyticcolumns.h"

#include <quotetablemodel.h>

#include <QColor>
#include <QVector>

#include <functional>

class QTableView;
class VDataset;
struct OptionFigures;

// The option board's table model: empty quotes read "--", prices and
// changes are coloured red or green against the previous close, the
// exercise-price column has a fixed light blue, and a cell whose value just
// changed keeps the marker background the board gives it (setData with
// Qt::BackgroundRole) until 800 ms after the change. Every change clears
// its cell's marker 800 ms later, so two changes 300 ms apart clear it at
// 800 and again at 1,100 ms. A marker belongs to its row's contract, so it
// stays with the contract when a single-side table is sorted.
//
// A side table can show analytic columns after the dataset's columns (none
// by default), read from each row's figures, and shade the rows of
// contracts in the money (under a marker and the exercise-price blue).
class VSQTableModel : public QuoteTableModel
{
    Q_OBJECT
public:
    // A row's figures; null before they are worked out.
    using FiguresOfRow = std::function<const OptionFigures *(int row)>;

    // The shade of rows in the money: a warm light colour, or a warm dark
    // one in a dark style (the application's base colour dark), apart from
    // the marker's blue in either.
    static QColor inTheMoneyShade();

    explicit VSQTableModel(QObject *parent = nullptr);

    // Connects the dataset's change notification to doAfterUpdate, then
    // links as VTableModel does.
    void linkDatasetTable(VDataset *dataset, QTableView *view, bool setViewModel, bool keepRowOrder);

    void setFiguresOfRow(FiguresOfRow figures) { m_figuresOf = std::move(figures); }
    // Shows these analytic columns, in this order, after the dataset's.
    void setAnalyticColumns(const QVector<AnalyticColumns::Column> &columns);
    // The column of the first analytic column: the dataset's column count.
    int firstAnalyticColumn() const { return VTableModel::columnCount(); }
    void setInTheMoneyShaded(bool shaded);
    // A row's figures changed: its analytic cells, and the whole row when
    // its shading did.
    void figuresChanged(int row, bool shadingChanged);

    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    // Qt::BackgroundRole stores the cell's marker (an invalid variant clears
    // it) and repaints the cell when that changes its look; nothing is
    // written to the dataset.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant getBackground(const QModelIndex &index) const override;

public slots:
    // Schedules the clearing of the cell's marker 800 ms from now, then
    // repaints the cell.
    void doAfterUpdate(int row, int field);

protected:
    // Marks the cell with the changed cells' light blue.
    void highlightCell(int row, int field) override;

private:
    QVariant analyticData(const QModelIndex &index, int role) const;
    bool isShaded(int row) const;

    QColor m_marker;
    FiguresOfRow m_figuresOf;
    QVector<AnalyticColumns::Column> m_analyticColumns;
    bool m_inTheMoneyShaded = false;
    mutable CellTextCache m_analyticTexts;
};
