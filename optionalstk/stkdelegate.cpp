#include "stkdelegate.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

namespace {

enum ButtonState { Normal = 0, Hover = 1, Pressed = 2 };

// ":/vexa/img/icon/del" holds three frames of equal width side by side: the
// pressed, the hover and the normal look, so a state s shows frame 2 − s.
const int SpriteFrames = 3;
const int ButtonSize = 16;

void setState(QAbstractItemModel *model, const QModelIndex &index, ButtonState state)
{
    model->setData(index, int(state), Qt::UserRole);
}

} // namespace

StkDelegate::StkDelegate(QObject *parent)
    : LiveTextDelegate(parent)
{
    const QPixmap sprite(QStringLiteral(":/vexa/img/icon/del"));
    const int frameWidth = sprite.width() / SpriteFrames;
    for (int state = Normal; state <= Pressed; ++state)
        m_frames[state] = QIcon(sprite.copy(frameWidth * (Pressed - state), 0, frameWidth, sprite.height()));
}

void StkDelegate::setButtonColumn(int column)
{
    m_buttonColumn = column;
}

QRect StkDelegate::buttonRect(const QRect &cell)
{
    const QPoint centre((cell.left() + cell.right()) / 2, (cell.top() + cell.bottom()) / 2);
    return QRect(centre - QPoint(ButtonSize / 2, ButtonSize / 2), QSize(ButtonSize, ButtonSize));
}

void StkDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem cell(option);
    cell.state &= ~QStyle::State_HasFocus;
    LiveTextDelegate::paint(painter, cell, index);
    if (index.column() != m_buttonColumn)
        return;

    const int state
        = qBound(int(Normal), index.sibling(index.row(), m_buttonColumn).data(Qt::UserRole).toInt(), int(Pressed));
    QStyleOptionButton button;
    button.state = QStyle::State_Enabled;
    button.icon = m_frames[state];
    button.iconSize = QSize(ButtonSize, ButtonSize);
    button.features = QStyleOptionButton::Flat;
    button.rect = buttonRect(option.rect);
    QApplication::style()->drawControl(QStyle::CE_PushButtonLabel, &button, painter);
}

bool StkDelegate::editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                              const QModelIndex &index)
{
    // Asked first: a click on the button may reach a slot that rebuilds the model.
    const bool handled = LiveTextDelegate::editorEvent(event, model, option, index);
    switch (event->type()) {
    case QEvent::MouseMove: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        mouseMoved(model, index, buttonRect(option.rect).contains(mouse->pos()));
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton || !buttonRect(option.rect).contains(mouse->pos()))
            break;
        if (event->type() == QEvent::MouseButtonPress)
            buttonPressed(model, index);
        else
            buttonReleased(model, index);
        break;
    }
    default: break;
    }
    return handled;
}

void StkDelegate::mouseMoved(QAbstractItemModel *model, const QModelIndex &index, bool overButton)
{
    if (m_tracked.isValid() && index == m_tracked) {
        setState(model, index, overButton ? Hover : Normal);
        if (overButton)
            emit mousein(index);
        else
            emit mouseout(index);
        return;
    }
    if (m_tracked.isValid()) {
        const QModelIndex left = m_tracked;
        releaseTracked(model);
        emit mouseout(left);
    }
    if (isButtonCell(index) && overButton) {
        setState(model, index, Hover);
        m_tracked = index;
        emit mousein(index);
    }
}

void StkDelegate::buttonPressed(QAbstractItemModel *model, const QModelIndex &index)
{
    if (!(m_tracked.isValid() && index == m_tracked)) {
        releaseTracked(model);
        if (!isButtonCell(index))
            return;
        m_tracked = index;
    }
    setState(model, index, Pressed);
}

void StkDelegate::buttonReleased(QAbstractItemModel *model, const QModelIndex &index)
{
    if (!(m_tracked.isValid() && index == m_tracked)) {
        releaseTracked(model);
        if (!isButtonCell(index))
            return;
        m_tracked = index;
    }
    setState(model, index, Hover);
    emit btnclicked(index);
}

bool StkDelegate::isButtonCell(const QModelIndex &index) const
{
    return index.isValid() && index.column() == m_buttonColumn;
}

void StkDelegate::releaseTracked(QAbstractItemModel *model)
{
    if (m_tracked.isValid() && m_tracked.model() == model)
        setState(model, m_tracked, Normal);
    m_tracked = QPersistentModelIndex();
}
