#pragma once

#include <quotetablemodel.h>

// The futures board's table model: zero prices and quantities read "--",
// changes and prices are coloured up red and down green, and a cell whose
// value has just changed flashes light blue (flashField) until the flash
// duration has passed since its last change. A flash belongs to its row's
// contract, so it stays with the contract when rows are sorted and goes
// when its row is removed.
class VFQTableModel : public QuoteTableModel
{
    Q_OBJECT
public:
    explicit VFQTableModel(QObject *parent = nullptr);
    ~VFQTableModel() override;

    // Off, no cell flashes (and those flashing stop).
    void setFlashEnabled(bool on);
    // How long a cell stays highlighted after its last change.
    void setFlashDuration(int ms);
    int flashDuration() const { return highlights()->duration(); }
    // Highlights the cell of the field in row (restarting its time when it
    // is highlighted already). Nothing for a row out of range or a field
    // without a column.
    void flashField(int row, const QString &fieldName);
    void flashField(int row, int field);

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    // Qt::BackgroundRole only repaints the cell (the flash decides the
    // colour); false for a row out of range.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

protected:
    void highlightCell(int row, int field) override { flashField(row, field); }

private:
    bool m_flashEnabled = false;
};
