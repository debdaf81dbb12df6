#pragma once

#include <vtablemodel.h>

#include <QBasicTimer>
#include <QElapsedTimer>
#include <QHash>
#include <QModelIndex>
#include <QQueue>
#include <QVector>

class QTableView;
class VDataset;

// The option board's table model: empty quotes read "--", prices and
// changes are coloured red or green against the previous close, the
// exercise-price column has a fixed light blue, and a cell whose value just
// changed keeps the marker background the board gives it (setData with
// Qt::BackgroundRole) until 800 ms after the change. Every change clears
// its cell's marker 800 ms later, so two changes 300 ms apart clear it at
// 800 and again at 1,100 ms. One timer serves all of them from a queue of
// deadlines (in order, since every marker lasts the same): a Qt timer per
// change falls behind at tens of thousands of changes a second.
class VSQTableModel : public VTableModel
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
    QVariant getDisplayText(const QModelIndex &index) const override;
    QVariant getForeground(const QModelIndex &index) const override;
    QVariant getBackground(const QModelIndex &index) const override;

public slots:
    // Schedules the clearing of the cell's marker 800 ms from now, then
    // repaints the cell.
    void doAfterUpdate(int row, int field);

protected:
    void timerEvent(QTimerEvent *event) override;
    void columnsRebuilt() override;

private:
    // How a field's cells are coloured, worked out once per set of fields:
    // the value of field `value` against that of `reference` (-1: 0.0).
    struct FieldColouring
    {
        bool riseFall = false;
        bool exercisePrice = false;
        int value = -1;
        int reference = -1;
    };

    struct Expiry
    {
        qint64 due; // on m_clock
        QModelIndex cell;
    };

    QVector<FieldColouring> m_colouring; // by field index
    QQueue<Expiry> m_expiries;
    QBasicTimer m_expiryTimer;
    QElapsedTimer m_clock;
    // The cells' markers; entries are overwritten, never removed.
    QHash<QModelIndex, QVariant> m_backgrounds;
};
