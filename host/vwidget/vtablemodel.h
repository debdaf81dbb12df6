#pragma once

#include "vwidget_global.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QPointer>
#include <QVector>

class QTableView;
class VDataset;

// A table model over a VDataset: one row per record, one column per visible
// field (in field order), the fields' captions as headers. Display text,
// foreground and background come from the virtual hooks getDisplayText(),
// getForeground() and getBackground(), which the boards' models override.
//
// Display text of a value:
// - null: empty;
// - integer: its digits;
// - double with decimals set: that many decimals; with display format
//   "pct" the fraction as a percentage ("1.23%"), two decimals unless set;
// - double without decimals: at most four decimals with trailing zeros
//   dropped, so volumes read as whole numbers ("12345") and prices as
//   written ("4512", "3.25");
// - text: as stored.
// Numbers are right-aligned, texts left-aligned, both vertically centred.
//
// Changes reach views as they happen: a changed value as dataChanged of
// exactly its cell, appended and removed records as row inserts and
// removals, a sort as a layout change (persistent indexes follow their
// records). Only adding fields or closing the dataset with its records
// resets the model.
class VWIDGET_EXPORT VTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    // Header alignment role of setHeaderData (an int of Qt::Alignment).
    static constexpr int HeaderAlignmentRole = 260;

    explicit VTableModel(QObject *parent = nullptr);
    ~VTableModel() override;

    // Links the model to dataset (not owned). With setViewModel the model
    // becomes view's model and the view's columns take the fields' widths
    // (in average characters). With keepRowOrder a header click leaves the
    // records in the dataset's order: for tables whose rows line up with
    // other tables beside them.
    void linkDatasetTable(VDataset *dataset, QTableView *view, bool setViewModel, bool keepRowOrder);
    // Rebuilds the columns from the fields (after a change of visibility)
    // and resets the views.
    void refreshModel();
    VDataset *dataset() const;

    // The view column of a visible field, -1 for a hidden or unknown one.
    int colIndexByFieldName(const QString &fieldName) const;
    // The field index of index's column, -1 when there is none.
    int fieldIndex(const QModelIndex &index) const;
    // Horizontal header data of a column; HeaderAlignmentRole aligns the
    // column: its caption and its cells.
    bool setHeaderData(int section, const QVariant &value, int role);
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant &value,
                       int role = Qt::EditRole) override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    // Qt::EditRole writes the value into the dataset.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    // Reorders the dataset's records by the column (stable), unless linked
    // with keepRowOrder.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    virtual QVariant getDisplayText(const QModelIndex &index) const;
    virtual QVariant getForeground(const QModelIndex &index) const;
    virtual QVariant getBackground(const QModelIndex &index) const;

public slots:
    // A value of the dataset changed: repaint exactly that cell.
    void doAfterUpdate(int row, int field);

private:
    // The view column of a field index, -1 for a hidden or unknown one.
    int columnOfField(int field) const { return m_columnOfField.value(field, -1); }
    void rebuildColumns();
    void datasetReordered(const QVector<int> &order);

    QPointer<VDataset> m_dataset;
    QVector<int> m_fieldOfColumn;
    QVector<int> m_columnOfField; // -1 for hidden fields
    QHash<int, QVariant> m_headerAlignment;
    bool m_keepRowOrder = false;
};
