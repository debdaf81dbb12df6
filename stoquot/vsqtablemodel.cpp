#include "vsqtablemodel.h"

#include <vdataset.h>

#include <QColor>
#include <QTimerEvent>

namespace {

constexpr int MarkerMs = 800;
const QColor ExercisePriceBlue(207, 227, 250);

} // namespace

VSQTableModel::VSQTableModel(QObject *parent)
    : VTableModel(parent)
{
    m_clock.start();
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
        return VTableModel::data(index, role);
    // The exercise-price column's colour wins over a marker.
    const QVariant fixed = getBackground(index);
    if (fixed.isValid())
        return fixed;
    const QVariant marker = m_backgrounds.value(index);
    return marker.isValid() ? marker : QVariant();
}

bool VSQTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::BackgroundRole)
        return VTableModel::setData(index, value, role);
    if (!index.isValid())
        return false;
    m_backgrounds.insert(index, value);
    emit dataChanged(index, index);
    return true;
}

QVariant VSQTableModel::getDisplayText(const QModelIndex &index) const
{
    return isEmptyNumber(index) ? QVariant(QStringLiteral("--")) : VTableModel::getDisplayText(index);
}

QVariant VSQTableModel::getForeground(const QModelIndex &index) const
{
    const FieldColouring colouring = m_colouring.value(fieldIndex(index));
    if (!colouring.riseFall)
        return VTableModel::getForeground(index);
    auto value = [this, &index](int field) {
        return field < 0 ? 0.0 : dataset()->fieldValue(index.row(), field).toDouble();
    };
    const QVariant colour = riseFallColour(value(colouring.value), value(colouring.reference));
    return colour.isValid() ? colour : VTableModel::getForeground(index);
}

QVariant VSQTableModel::getBackground(const QModelIndex &index) const
{
    return m_colouring.value(fieldIndex(index)).exercisePrice ? QVariant(ExercisePriceBlue) : QVariant();
}

void VSQTableModel::columnsRebuilt()
{
    m_colouring.clear();
    if (!dataset())
        return;
    const VFieldList *fields = dataset()->fields();
    // The quantity columns compare against "ystdcloseprice_put" and
    // "ystdcloseprice_call", which the board's datasets do not define: a
    // field the dataset lacks reads as 0 here, without the dataset's log.
    auto against = [fields](int value, const char *reference) {
        FieldColouring colouring;
        colouring.riseFall = true;
        colouring.value = value;
        colouring.reference = reference ? fields->indexOf(QLatin1String(reference)) : -1;
        return colouring;
    };
    m_colouring.resize(fields->count());
    for (int field = 0; field < fields->count(); ++field) {
        const QString &name = fields->at(field)->name();
        FieldColouring &colouring = m_colouring[field];
        if (name == QLatin1String("incratio") || name == QLatin1String("incdecprice"))
            colouring = against(field, nullptr);
        else if (name == QLatin1String("lastprice") || name == QLatin1String("sale1price")
                 || name == QLatin1String("buy1price"))
            colouring = against(field, "ystdcloseprice");
        else if (name == QLatin1String("sale1qty"))
            colouring = against(fields->indexOf(QStringLiteral("sale1price")), "ystdcloseprice_put");
        else if (name == QLatin1String("buy1qty"))
            colouring = against(fields->indexOf(QStringLiteral("buy1price")), "ystdcloseprice_call");
        else
            colouring.exercisePrice = name == QLatin1String("exerciseprice");
    }
}

void VSQTableModel::doAfterUpdate(int row, int field)
{
    const int column = columnOfField(field);
    if (column >= 0) {
        m_expiries.enqueue({m_clock.elapsed() + MarkerMs, index(row, column)});
        if (!m_expiryTimer.isActive())
            m_expiryTimer.start(MarkerMs, Qt::PreciseTimer, this);
    }
    VTableModel::doAfterUpdate(row, field);
}

void VSQTableModel::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_expiryTimer.timerId())
        return;
    const qint64 now = m_clock.elapsed();
    while (!m_expiries.isEmpty() && m_expiries.head().due <= now)
        setData(m_expiries.dequeue().cell, QVariant(), Qt::BackgroundRole);
    if (m_expiries.isEmpty())
        m_expiryTimer.stop();
    else
        m_expiryTimer.start(int(m_expiries.head().due - now), Qt::PreciseTimer, this);
}
