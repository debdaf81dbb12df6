#include "vtabbutton.h"

#include <QAbstractButton>
#include <QHelpEvent>
#include <QPainter>
#include <QStyleOptionToolButton>
#include <QStylePainter>
#include <QToolTip>

namespace {

// A borderless button that paints one of two pixmaps.
class IconButton : public QAbstractButton
{
public:
    IconButton(const QString &icon, const QString &hoverIcon, QWidget *parent)
        : QAbstractButton(parent)
        , m_normal(icon)
        , m_hover(hoverIcon.isEmpty() ? icon : hoverIcon)
    {
        setCursor(Qt::ArrowCursor);
        setFocusPolicy(Qt::NoFocus);
        setAttribute(Qt::WA_Hover);
    }

    QSize sizeHint() const override { return m_normal.isNull() ? QSize(12, 12) : m_normal.size().boundedTo({16, 16}); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        const QPixmap &pixmap = underMouse() ? m_hover : m_normal;
        if (pixmap.isNull()) {
            // Without an image: a plain cross, so the button is never invisible.
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(palette().color(underMouse() ? QPalette::Highlight : QPalette::Mid), 1.5));
            const QRectF r = QRectF(rect()).adjusted(3, 3, -3, -3);
            p.drawLine(r.topLeft(), r.bottomRight());
            p.drawLine(r.topRight(), r.bottomLeft());
        } else {
            p.drawPixmap(rect(), pixmap);
        }
    }

private:
    QPixmap m_normal;
    QPixmap m_hover;
};

} // namespace

VTabButton::VTabButton(QWidget *parent)
    : QToolButton(parent)
{
}

void VTabButton::addInternalButton(const QString &id, vd::AlignPositon align, const QPoint &offset, const QString &icon,
                                   const QString &hoverIcon, bool showOnHover, bool showWhenChecked)
{
    auto *button = new IconButton(icon, hoverIcon, this);
    button->resize(button->sizeHint());
    connect(button, &QAbstractButton::clicked, this, [this, id] { emit onInternalButtonClicked(id); });
    m_buttons.append(Internal {id, align, offset, showOnHover, showWhenChecked, button});
    placeButtons();
    updateVisibility();
}

QAbstractButton *VTabButton::internalButton(const QString &id) const
{
    for (const Internal &b : m_buttons) {
        if (b.id == id)
            return b.button;
    }
    return nullptr;
}

void VTabButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionToolButton option;
    initStyleOption(&option);
    QStyleOptionToolButton panel = option;
    panel.text.clear();
    panel.icon = QIcon();
    painter.drawComplexControl(QStyle::CC_ToolButton, panel);

    QStyleOptionToolButton label = option;
    label.rect = labelRect();
    label.text = shownText();
    painter.drawControl(QStyle::CE_ToolButtonLabel, label);
}

QString VTabButton::shownText() const
{
    return fontMetrics().elidedText(text(), Qt::ElideRight, labelRect().width());
}

// A tab without a tooltip of its own shows its whole text while the text is cut.
bool VTabButton::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip && toolTip().isEmpty()) {
        const QString shown = shownText();
        if (shown != text())
            QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(), text(), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QToolButton::event(event);
}

QRect VTabButton::labelRect() const
{
    QRect r = rect().adjusted(2, 0, -2, 0);
    for (const Internal &b : m_buttons) {
        const int strip = b.offset.x() + b.button->width() + 2;
        if (b.align == vd::AP_Right)
            r.setRight(qMin(r.right(), width() - 1 - strip));
        else if (b.align == vd::AP_Left)
            r.setLeft(qMax(r.left(), strip));
    }
    return r;
}

void VTabButton::resizeEvent(QResizeEvent *event)
{
    QToolButton::resizeEvent(event);
    placeButtons();
}

void VTabButton::enterEvent(QEvent *event)
{
    m_hovered = true;
    updateVisibility();
    QToolButton::enterEvent(event);
}

void VTabButton::leaveEvent(QEvent *event)
{
    m_hovered = false;
    updateVisibility();
    QToolButton::leaveEvent(event);
}

void VTabButton::checkStateSet()
{
    QToolButton::checkStateSet();
    updateVisibility();
}

void VTabButton::nextCheckState()
{
    QToolButton::nextCheckState();
    updateVisibility();
}

void VTabButton::placeButtons()
{
    for (const Internal &b : qAsConst(m_buttons)) {
        const QSize s = b.button->size();
        const int centreX = (width() - s.width()) / 2;
        const int centreY = (height() - s.height()) / 2;
        QPoint pos;
        switch (b.align) {
        case vd::AP_Left: pos = QPoint(b.offset.x(), centreY + b.offset.y()); break;
        case vd::AP_Top: pos = QPoint(centreX + b.offset.x(), b.offset.y()); break;
        case vd::AP_Center: pos = QPoint(centreX, centreY) + b.offset; break;
        case vd::AP_Right: pos = QPoint(width() - s.width() - b.offset.x(), centreY + b.offset.y()); break;
        case vd::AP_Bottom: pos = QPoint(centreX + b.offset.x(), height() - s.height() - b.offset.y()); break;
        }
        b.button->move(pos);
    }
}

void VTabButton::updateVisibility()
{
    for (const Internal &b : qAsConst(m_buttons)) {
        const bool always = !b.showOnHover && !b.showWhenChecked;
        b.button->setVisible(always || (b.showOnHover && m_hovered) || (b.showWhenChecked && isChecked()));
    }
}
