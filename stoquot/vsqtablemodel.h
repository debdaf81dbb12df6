#pragma once

#include <quotetablemodel.h>

#include <QColor>

class QTableView;
class VDataset;

// The option board's table model: empty quotes read "--", prices and
// changes are coloured red or green against the previous close, the
// exercise-price column has a fixed light blue, and a cell whose value just
// changed keeps the marker background the board gives it (setData with
// Qt::BackgroundRole) until 800 ms after the change. Every change clears
// its cell's marker 800 ms later, so two changes 300 ms apart clear it at
// 800 and again at 1,100 ms. A marker belongs to its row's contract, so it
// stays with the contract when a single-side table is sorted.
class VSQTableModel : public QuoteTableModel
{
    Q_OBJECT
public:
    explicit VSQTableModel(QObject *parent = nullptr);

    // Connects the dataset's change notification to doAfterUpdate, then
    // links as VTableModel does.
    void linkDatasetTable(VDataset *dataset, QTableView *view, bool setViewModel, bool keepRowOrder);

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    // Qt::BackgroundRole stores the cell's marker (an invalid variant clears
    // it) and repaints the cell; nothing is written to the dataset.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant getBackground(const QModelIndex &index) const override;

public slots:
    // Schedules the clearing of the cell's marker 800 ms from now, then
    // repaints the cell.
    void doAfterUpdate(int row, int field);

private:
    QColor m_marker;
};
