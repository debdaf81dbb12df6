#pragma once

#include "vwidget_global.h"

#include <QFrame>

// A tool-bar panel: a flat background with a separating line below, used
// above tables and stacks.
class VWIDGET_EXPORT VPanel : public QFrame
{
    Q_OBJECT
public:
    explicit VPanel(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
