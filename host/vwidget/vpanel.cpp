#include "vpanel.h"

#include <QPainter>

VPanel::VPanel(QWidget *parent)
    : QFrame(parent)
{
    setAutoFillBackground(false);
}

void VPanel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QPalette &pal = palette();
    p.fillRect(rect(), pal.color(QPalette::Window).darker(104));
    p.setPen(pal.color(QPalette::Mid));
    p.drawLine(rect().bottomLeft(), rect().bottomRight());
}
