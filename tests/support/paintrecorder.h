#pragma once

#include <QEvent>
#include <QPaintEvent>
#include <QRegion>
#include <QWidget>

// Counts the paint events a widget receives and keeps the region of each.
class PaintRecorder : public QObject
{
public:
    explicit PaintRecorder(QWidget *widget) { widget->installEventFilter(this); }
    int count = 0;
    QRegion painted; // the union of every painted region

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            ++count;
            painted += static_cast<QPaintEvent *>(event)->region();
        }
        return false;
    }
};
