#include "vsqtablemodel.h"

#include <vdataset.h>

namespace {

constexpr int MarkerMs = 800;
const QColor ExercisePriceBlue(207, 227, 250);

} // namespace

VSQTableModel::VSQTableModel(QObject *parent)
    : QuoteTableModel({QStringLiteral("ystdcloseprice")}, CellHighlights::AfterEachChange, MarkerMs, parent)
{
}

void VSQTableModel::linkDatasetTable(VDataset *dataset, QTableView *view, bool setViewModel, bool keepRowOrder)
{
    if (dataset)
        connect(dataset, SIGNAL(onAfterUpdate(int, int)), this, SLOT(doAfterUpdate(int, int)), Qt::UniqueConnection);
    VTableModel::linkDatasetTable(dataset, view, setViewModel, keepRowOrder);
}

QVariant VSQTableModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::BackgroundRole)
        return QuoteTableModel::data(index, role);
    // The exercise-price column's colour wins over a marker.
    const QVariant fixed = getBackground(index);
    if (fixed.isValid())
        return fixed;
    return isHighlighted(index) ? QVariant(m_marker) : QVariant();
}

bool VSQTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::BackgroundRole)
        return QuoteTableModel::setData(index, value, role);
    if (!index.isValid())
        return false;
    const SecurityId contract = securityOfRow(index.row());
    if (value.canConvert<QColor>()) {
        m_marker = value.value<QColor>();
        highlights()->light(contract, index.column());
    } else {
        highlights()->unlight(contract, index.column());
    }
    emit dataChanged(index, index);
    return true;
}

QVariant VSQTableModel::getBackground(const QModelIndex &index) const
{
    const VField *field = dataset() ? dataset()->fields()->at(fieldIndex(index)) : nullptr;
    return field && field->name() == QLatin1String("exerciseprice") ? QVariant(ExercisePriceBlue) : QVariant();
}

void VSQTableModel::doAfterUpdate(int row, int field)
{
    const QModelIndex cell = fieldCell(row, field);
    if (cell.isValid())
        highlights()->endLater(securityOfRow(row), cell.column());
    QuoteTableModel::doAfterUpdate(row, field);
}
