#include "vcombobox.h"

#include <QSignalBlocker>
#include <QStandardItemModel>

#include <algorithm>

VComboBox::VComboBox(QWidget *parent)
    : QComboBox(parent)
{
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
