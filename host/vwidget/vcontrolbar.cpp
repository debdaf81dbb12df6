#include "vcontrolbar.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QResizeEvent>
#include <QToolButton>

VControlBar::VControlBar(QWidget *parent)
    : QWidget(parent)
    , m_viewport(new QWidget(this))
    , m_row(new QWidget(m_viewport))
    , m_layout(new QHBoxLayout(m_row))
    , m_forward(new QToolButton(this))
    , m_back(new QToolButton(this))
{
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    m_layout->setSizeConstraint(QLayout::SetFixedSize);
    m_row->installEventFilter(this);
    for (QToolButton *button : {m_forward, m_back}) {
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
    }
    m_forward->setArrowType(Qt::LeftArrow);
    m_back->setArrowType(Qt::RightArrow);
    connect(m_forward, &QToolButton::clicked, this, [this] { scrollTo(m_first - 1); });
    connect(m_back, &QToolButton::clicked, this, [this] { scrollTo(m_first + 1); });
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    relayout();
}

void VControlBar::addWidget(QWidget *widget)
{
    m_layout->addWidget(widget);
    widget->show();
    contentsChanged();
}

void VControlBar::removeWidget(QWidget *widget)
{
    if (m_layout->indexOf(widget) < 0)
        return;
    m_layout->removeWidget(widget);
    widget->hide();
    contentsChanged();
}

QWidget *VControlBar::at(int index) const
{
    QLayoutItem *item = m_layout->itemAt(index);
    return item ? item->widget() : nullptr;
}

int VControlBar::count() const
{
    return m_layout->count();
}

QHBoxLayout *VControlBar::layout() const
{
    return m_layout;
}

void VControlBar::setSpacing(int spacing)
{
    m_layout->setSpacing(spacing);
    contentsChanged();
}

void VControlBar::setScrollButtonSize(int size)
{
    m_buttonSize = size;
    contentsChanged();
}

void VControlBar::setScrollButtonsAlwaysShown(bool shown)
{
    m_alwaysShown = shown;
    contentsChanged();
}

void VControlBar::setForwardIcon(const QIcon &icon)
{
    m_forward->setIcon(icon);
    m_forward->setArrowType(icon.isNull() ? Qt::LeftArrow : Qt::NoArrow);
}

void VControlBar::setBackIcon(const QIcon &icon)
{
    m_back->setIcon(icon);
    m_back->setArrowType(icon.isNull() ? Qt::RightArrow : Qt::NoArrow);
}

int VControlBar::firstVisible() const
{
    return m_first;
}

void VControlBar::scrollTo(int index)
{
    m_first = index;
    relayout();
}

void VControlBar::ensureVisible(QWidget *widget)
{
    const int index = m_layout->indexOf(widget);
    if (index < 0)
        return;
    if (index < m_first) {
        m_first = index;
    } else {
        const int end = offsetOf(index) + m_layout->itemAt(index)->sizeHint().width();
        while (m_first < index && end - offsetOf(m_first) > m_viewport->width())
            ++m_first;
    }
    relayout();
}

QSize VControlBar::sizeHint() const
{
    const QMargins m = contentsMargins();
    return QSize(rowWidth() + m.left() + m.right() + (m_alwaysShown ? 2 * m_buttonSize : 0),
                 qMax(m_layout->sizeHint().height(), minimumHeight()) + m.top() + m.bottom());
}

QSize VControlBar::minimumSizeHint() const
{
    // Room for the scroll buttons and a sliver of the row: anything wider scrolls.
    return QSize(2 * m_buttonSize + 8, sizeHint().height());
}

void VControlBar::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    relayout();
}

bool VControlBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_row && event->type() == QEvent::LayoutRequest) {
        // Runs after the row has taken its new size.
        QMetaObject::invokeMethod(
            this, [this] { contentsChanged(); }, Qt::QueuedConnection);
    }
    return QWidget::eventFilter(watched, event);
}

int VControlBar::rowWidth() const
{
    return m_layout->sizeHint().width();
}

int VControlBar::offsetOf(int index) const
{
    int x = m_layout->contentsMargins().left();
    for (int i = 0; i < index && i < m_layout->count(); ++i)
        x += m_layout->itemAt(i)->sizeHint().width() + m_layout->spacing();
    return x;
}

bool VControlBar::overflows() const
{
    return rowWidth() > contentsRect().width();
}

void VControlBar::relayout()
{
    const QRect area = contentsRect();
    const bool buttons = m_alwaysShown || overflows();
    const int viewWidth = buttons ? qMax(0, area.width() - 2 * m_buttonSize) : area.width();
    m_viewport->setGeometry(area.x(), area.y(), viewWidth, area.height());

    // Never scroll further than needed to show the last widget's end.
    const int last = qMax(0, m_layout->count() - 1);
    m_first = qBound(0, m_first, last);
    while (m_first > 0 && rowWidth() - offsetOf(m_first - 1) <= viewWidth)
        --m_first;
    if (!buttons)
        m_first = 0;
    m_row->setGeometry(-offsetOf(m_first) + m_layout->contentsMargins().left(), 0, rowWidth(), area.height());

    m_forward->setVisible(buttons);
    m_back->setVisible(buttons);
    m_forward->setGeometry(area.right() - 2 * m_buttonSize + 1, area.y(), m_buttonSize, area.height());
    m_back->setGeometry(area.right() - m_buttonSize + 1, area.y(), m_buttonSize, area.height());
    m_forward->setEnabled(m_first > 0);
    m_back->setEnabled(rowWidth() - offsetOf(m_first) > viewWidth);
}

void VControlBar::contentsChanged()
{
    updateGeometry();
    relayout();
}
