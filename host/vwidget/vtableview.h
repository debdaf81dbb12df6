#pragma once

#include "vwidget_global.h"

#include <QTableView>

// The client's table view.
class VWIDGET_EXPORT VTableView : public QTableView
{
    Q_OBJECT
public:
    explicit VTableView(QWidget *parent = nullptr);
};
