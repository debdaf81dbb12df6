#include "vbuttondelegate.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

VButtonDelegate::VButtonDelegate(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

void VButtonDelegate::setButtonResId(const QString &icon, const QString &hoverIcon)
{
    const QPixmap image(icon);
    const int frame = image.height();
    if (frame > 0 && image.width() == 3 * frame) {
        // A sprite of three square frames: pressed, hover, normal.
        m_icon = QIcon(image.copy(2 * frame, 0, frame, frame));
        m_hoverIcon = QIcon(image.copy(frame, 0, frame, frame));
    } else {
        m_icon = QIcon(image);
        m_hoverIcon = m_icon;
    }
    if (!hoverIcon.isEmpty())
        m_hoverIcon = QIcon(hoverIcon);
}

void VButtonDelegate::setDelegateColumn(int column, bool showText, bool alignRight)
{
    m_column = column;
    m_showText = showText;
    m_alignRight = alignRight;
}

QRect VButtonDelegate::buttonRect(const QRect &cell) const
{
    const int x = m_alignRight ? cell.right() - ButtonSize - 2 : cell.center().x() - ButtonSize / 2;
    return QRect(x, cell.center().y() - ButtonSize / 2, ButtonSize, ButtonSize);
}

void VButtonDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    if (index.column() != m_column) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    follow(qobject_cast<const QAbstractItemView *>(option.widget));
    QStyleOptionViewItem cell(option);
    initStyleOption(&cell, index);
    cell.state &= ~QStyle::State_HasFocus;
    if (!m_showText)
        cell.text.clear();
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);
    const QIcon &icon = index == m_hovered ? m_hoverIcon : m_icon;
    icon.paint(painter, buttonRect(option.rect));
}

// Pointer moves reach a view only with mouse tracking; the delegate turns
// it on for the view it paints in and watches the moves itself, so the
// hover look also ends when the pointer leaves the column or the view.
void VButtonDelegate::follow(const QAbstractItemView *view) const
{
    if (!view || m_followed == view->viewport())
        return;
    if (m_followed)
        m_followed->removeEventFilter(const_cast<VButtonDelegate *>(this));
    m_followed = view->viewport();
    m_followed->setMouseTracking(true);
    m_followed->installEventFilter(const_cast<VButtonDelegate *>(this));
}

bool VButtonDelegate::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_followed && (event->type() == QEvent::MouseMove || event->type() == QEvent::Leave)) {
        auto *view = qobject_cast<QAbstractItemView *>(m_followed->parentWidget());
        QModelIndex over;
        if (view && event->type() == QEvent::MouseMove) {
            const QPoint pos = static_cast<QMouseEvent *>(event)->pos();
            const QModelIndex index = view->indexAt(pos);
            if (index.column() == m_column && buttonRect(view->visualRect(index)).contains(pos))
                over = index;
        }
        setHovered(view, over);
    }
    return QStyledItemDelegate::eventFilter(watched, event);
}

void VButtonDelegate::setHovered(QAbstractItemView *view, const QModelIndex &index)
{
    if (index == m_hovered)
        return;
    const QModelIndex previous = m_hovered;
    m_hovered = index;
    if (!view)
        return;
    if (previous.isValid())
        view->update(previous);
    if (index.isValid())
        view->update(index);
}

bool VButtonDelegate::editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                                  const QModelIndex &index)
{
    const bool press = event->type() == QEvent::MouseButtonPress;
    const bool release = event->type() == QEvent::MouseButtonRelease;
    if (index.column() != m_column || (!press && !release))
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    const auto *mouse = static_cast<QMouseEvent *>(event);
    if (mouse->button() != Qt::LeftButton || !buttonRect(option.rect).contains(mouse->pos())) {
        m_pressed = QPersistentModelIndex();
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    }
    if (press) {
        m_pressed = index;
    } else if (m_pressed == index) {
        m_pressed = QPersistentModelIndex();
        emit onButtonClicked(index);
    }
    return true;
}
