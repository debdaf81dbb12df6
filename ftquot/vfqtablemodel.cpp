#include "vfqtablemodel.h"

#include <vdataset.h>

#include <QDateTime>
#include <QTimerEvent>


namespace {

constexpr int ExpiryPeriodMs = 200;

} // namespace

VFQTableModel::VFQTableModel(QObject *parent)
    : VTableModel(parent)
{
}

VFQTableModel::~VFQTableModel()
{
    qDeleteAll(m_flashCells);
}

void VFQTableModel::setFlashEnabled(bool on)
{
    if (m_timerId > 0) {
        killTimer(m_timerId);
        m_timerId = 0;
    }
    if (on)
        m_timerId = startTimer(ExpiryPeriodMs, Qt::CoarseTimer);
}

void VFQTableModel::setFlashDuration(int ms)
{
    m_flashDuration = ms;
    if (m_timerId > 0) {
        killTimer(m_timerId);
        m_timerId = startTimer(ExpiryPeriodMs, Qt::CoarseTimer);
    }
}

void VFQTableModel::flashField(int row, const QString &fieldName)
{
    if (!dataset() || row < 0 || row >= dataset()->recordCount())
        return;
    const int column = colIndexByFieldName(fieldName);
    if (column < 0)
        return;
    const QModelIndex cell = index(row, column);
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    FlashCell *flash = m_flashCells.value(cell);
    if (!flash) {
        flash = new FlashCell {1, cell, now, m_flashColour};
        m_flashCells.insert(cell, flash);
    } else if (flash->active && flash->start > 0) {
        flash->start = now;
    } else {
        flash->active = 1;
        flash->start = now;
        flash->colour = m_flashColour;
    }
    emit dataChanged(cell, cell);
}

QVariant VFQTableModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::BackgroundRole)
        return VTableModel::data(index, role);
    const FlashCell *flash = m_flashCells.value(index);
    return flash && flash->active ? QVariant(flash->colour) : QVariant();
}

bool VFQTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!dataset() || index.row() < 0 || index.row() >= dataset()->recordCount())
        return false;
    if (role != Qt::BackgroundRole)
        return VTableModel::setData(index, value, role);
    emit dataChanged(index, index);
    return true;
}

QVariant VFQTableModel::getDisplayText(const QModelIndex &index) const
{
    return isEmptyNumber(index) ? QVariant(QStringLiteral("--")) : VTableModel::getDisplayText(index);
}

double VFQTableModel::rowValue(int row, const QString &fieldName) const
{
    return dataset()->fieldValue(row, fieldName).toDouble();
}

QVariant VFQTableModel::getForeground(const QModelIndex &index) const
{
    const VField *field = dataset() ? dataset()->fields()->at(fieldIndex(index)) : nullptr;
    if (!field)
        return VTableModel::getForeground(index);
    const QString &name = field->name();
    const int row = index.row();
    QVariant colour;
    if (name == QLatin1String("incratio") || name == QLatin1String("incdecprice")) {
        colour = riseFallColour(rowValue(row, name), 0.0);
    } else if (name == QLatin1String("lastprice") || name == QLatin1String("sale1price")
               || name == QLatin1String("buy1price")) {
        // Prices go against the previous close where the dataset has one;
        // the futures board's has none and reads them, as futures traders
        // do, against the previous settlement price.
        const QString reference = dataset()->fields()->indexOf(QStringLiteral("ystdcloseprice")) >= 0
            ? QStringLiteral("ystdcloseprice")
            : QStringLiteral("ystdsettleprice");
        colour = riseFallColour(rowValue(row, name), rowValue(row, reference));
    } else if (name == QLatin1String("sale1qty")) {
        colour = riseFallColour(rowValue(row, QStringLiteral("sale1price")),
                                rowValue(row, QStringLiteral("ystdcloseprice_put")));
    } else if (name == QLatin1String("buy1qty")) {
        colour = riseFallColour(rowValue(row, QStringLiteral("buy1price")),
                                rowValue(row, QStringLiteral("ystdcloseprice_call")));
    }
    return colour.isValid() ? colour : VTableModel::getForeground(index);
}

void VFQTableModel::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_timerId)
        return;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const QHash<QModelIndex, FlashCell *> cells = m_flashCells;
    for (auto it = cells.cbegin(); it != cells.cend(); ++it) {
        FlashCell *flash = it.value();
        if (!flash || !flash->active || qint32(now - flash->start) <= m_flashDuration)
            continue;
        const QModelIndex cell = it.key();
        m_flashCells.remove(cell);
        delete flash;
        emit dataChanged(cell, cell);
    }
}
