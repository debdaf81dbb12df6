#pragma once

#include "vframe_global.h"

#include <QDialog>

class QLabel;
class QToolButton;

// The client's framed dialog: no system frame, a drop shadow, a thin border
// and a title bar with the window title and a close button; dragging the
// title bar moves the dialog. Subclasses lay out their contents as usual.
class VFRAME_EXPORT VDialog : public QDialog
{
    Q_OBJECT
public:
    VDialog(QWidget *parent, int shadowWidth, int borderWidth);

    static constexpr int TitleHeight = 28;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QRect titleRect() const;

    int m_shadow;
    int m_border;
    QLabel *m_title;
    QToolButton *m_close;
    QPoint m_dragOffset;
    bool m_dragging = false;
};
