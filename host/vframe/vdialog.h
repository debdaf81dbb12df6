#pragma once

#include "vframe_global.h"

#include <QDialog>

class QLabel;
class QToolButton;

// The client's framed dialog: no system frame, a translucent drop shadow
// shadowWidth wide where the window system composites (elsewhere none: the
// border alone frames it), a border borderWidth wide and a title bar with the
// window title and a close button; dragging the title bar moves the dialog.
// Unless placed before, it opens centred over its parent (placementAnchor).
// The frame is kept in the widget's contents margins, so a subclass's layout
// lands inside it; subclasses must not change those margins.
class VFRAME_EXPORT VDialog : public QDialog
{
    Q_OBJECT
public:
    VDialog(QWidget *parent, int shadowWidth, int borderWidth);

    static constexpr int TitleHeight = 28;

    // The title bar inside the shadow and border, in widget coordinates.
    QRect titleRect() const;
    // The shadow drawn: 0 where the window system does not composite.
    int shadowWidth() const { return m_shadow; }

    void setVisible(bool visible) override;

protected:
    // What the dialog opens centred over: its parent.
    virtual QWidget *placementAnchor() const;

    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void setFrameMargins();

    int m_shadow;
    int m_border;
    QLabel *m_title;
    QToolButton *m_close;
    QPoint m_dragOffset;
    bool m_dragging = false;
};
