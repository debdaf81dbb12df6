#include "vcombobox.h"

#include <QEvent>
#include <QSignalBlocker>
#include <QStandardItemModel>

#include <algorithm>

VComboBox::VComboBox(QWidget *parent)
    : QComboBox(parent)
{
    // The size hint follows the items as they come and go.
    setSizeAdjustPolicy(QComboBox::AdjustToContents);
    QAbstractItemModel *items = model();
    connect(items, &QAbstractItemModel::rowsInserted, this, &VComboBox::fitItems);
    connect(items, &QAbstractItemModel::dataChanged, this, &VComboBox::fitItems);
    connect(items, &QAbstractItemModel::modelReset, this, &VComboBox::fitItems);
}

void VComboBox::changeEvent(QEvent *event)
{
    QComboBox::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        fitItems();
}

// A minimum width set by the owner stays when it is the larger; it is only
// ever raised, so a combo refilled with shorter items keeps its place.
void VComboBox::fitItems()
{
    const int needed = sizeHint().width();
    if (count() > 0 && minimumWidth() < needed)
        setMinimumWidth(needed);
}

bool VComboBox::setCurrentData(const QVariant &data)
{
    const int index = findData(data);
    if (index < 0)
        return false;
    setCurrentIndex(index);
    return true;
}

void VComboBox::sortByColumn(int column, int role, Qt::SortOrder order, bool numeric)
{
    auto *items = qobject_cast<QStandardItemModel *>(model());
    if (!items || items->rowCount() < 2)
        return;
    const QSignalBlocker blocker(this);
    QStandardItem *current = items->item(currentIndex(), column);
    QList<QList<QStandardItem *>> rows;
    while (items->rowCount() > 0)
        rows.append(items->takeRow(0));
    auto key = [column, role](const QList<QStandardItem *> &row) {
        const QStandardItem *item = row.value(column);
        return item ? item->data(role) : QVariant();
    };
    std::stable_sort(rows.begin(), rows.end(), [&](const QList<QStandardItem *> &a, const QList<QStandardItem *> &b) {
        const QVariant first = key(order == Qt::AscendingOrder ? a : b);
        const QVariant second = key(order == Qt::AscendingOrder ? b : a);
        return numeric ? first.toDouble() < second.toDouble() : first.toString() < second.toString();
    });
    for (const QList<QStandardItem *> &row : qAsConst(rows))
        items->appendRow(row);
    setCurrentIndex(current ? current->row() : -1);
}
