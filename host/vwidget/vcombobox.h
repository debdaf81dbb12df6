#pragma once

#include "vwidget_global.h"

#include <QComboBox>

// A combo box whose items carry data (addItem(text, data)) and are chosen
// and sorted by it. It is never narrower than its widest item, however
// small a minimum width it was given or however tight its layout: no item
// is shown cut.
class VWIDGET_EXPORT VComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit VComboBox(QWidget *parent = nullptr);

    // Makes the first item whose data equals data current; false, and the
    // current item unchanged, when there is none.
    bool setCurrentData(const QVariant &data);
    // Reorders the items by role of column (Qt::UserRole: their data),
    // stable; with numeric the values compare as numbers, otherwise as
    // texts. The current item stays current (no signal: it is the same item).
    void sortByColumn(int column, int role, Qt::SortOrder order, bool numeric);

protected:
    void changeEvent(QEvent *event) override;

private:
    // Raises the minimum width to what the widest item needs.
    void fitItems();
};
