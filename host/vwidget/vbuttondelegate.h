#pragma once

#include "vwidget_global.h"

#include <QIcon>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QStyledItemDelegate>

class QAbstractItemView;

// Draws a small button in every cell of one column (an add or a delete
// button per row) and reports a click on it: onButtonClicked(index) when
// the left button is pressed and released inside the same cell's button.
// While the pointer is over a button it shows the second icon; for that
// the delegate follows the pointer over the view it paints in.
class VWIDGET_EXPORT VButtonDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    static constexpr int ButtonSize = 16;

    explicit VButtonDelegate(QObject *parent = nullptr);

    // Resource paths of the button's icon and of its look under the
    // pointer (empty: the same icon). An image three times as wide as it is
    // high is a sprite of the pressed, hover and normal look.
    void setButtonResId(const QString &icon, const QString &hoverIcon);
    // The column that shows the button. With showText the cell's text is
    // painted too, with alignRight the button sits at the cell's right end
    // instead of its centre.
    void setDelegateColumn(int column, bool showText, bool alignRight);
    int delegateColumn() const { return m_column; }

    // The button's rectangle in a cell.
    QRect buttonRect(const QRect &cell) const;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;

signals:
    void onButtonClicked(const QModelIndex &index);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void follow(const QAbstractItemView *view) const;
    void setHovered(QAbstractItemView *view, const QModelIndex &index);

    QIcon m_icon;
    QIcon m_hoverIcon;
    int m_column = -1;
    bool m_showText = false;
    bool m_alignRight = false;
    QPersistentModelIndex m_pressed;
    QPersistentModelIndex m_hovered; // the cell whose button is under the pointer
    mutable QPointer<QWidget> m_followed; // the viewport whose pointer moves are watched
};
