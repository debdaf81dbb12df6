#include "vtableview.h"

VTableView::VTableView(QWidget *parent)
    : QTableView(parent)
{
}
