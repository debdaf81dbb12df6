#include "vfqtablemodel.h"

#include <vdataset.h>

namespace {

constexpr int DefaultFlashMs = 200;

} // namespace

// Prices go against the previous close where the dataset has one; the
// futures board's has none and reads them, as futures traders do, against
// the previous settlement price.
VFQTableModel::VFQTableModel(QObject *parent)
    : QuoteTableModel({QStringLiteral("ystdcloseprice"), QStringLiteral("ystdsettleprice")},
                      CellHighlights::AfterLastChange, DefaultFlashMs, parent)
{
}

VFQTableModel::~VFQTableModel() = default;

void VFQTableModel::setFlashEnabled(bool on)
{
    m_flashEnabled = on;
    if (!on)
        highlights()->clear();
}

void VFQTableModel::setFlashDuration(int ms)
{
    highlights()->setDuration(ms);
}

void VFQTableModel::flashField(int row, const QString &fieldName)
{
    if (dataset())
        flashField(row, dataset()->fields()->indexOf(fieldName));
}

void VFQTableModel::flashField(int row, int field)
{
    if (!m_flashEnabled || !dataset() || row < 0 || row >= dataset()->recordCount())
        return;
    const QModelIndex cell = fieldCell(row, field);
    if (!cell.isValid())
        return;
    const SecurityId contract = securityOfRow(row);
    const bool lit = highlights()->light(contract, cell.column());
    highlights()->endLater(contract, cell.column());
    // A flash still lit is already on the screen.
    if (lit)
        cellChanged(cell);
}

QVariant VFQTableModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::BackgroundRole)
        return QuoteTableModel::data(index, role);
    return isHighlighted(index) ? QVariant(HighlightColour) : QVariant();
}

bool VFQTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!dataset() || index.row() < 0 || index.row() >= dataset()->recordCount())
        return false;
    if (role != Qt::BackgroundRole)
        return QuoteTableModel::setData(index, value, role);
    emit dataChanged(index, index);
    return true;
}
