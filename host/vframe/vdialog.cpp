#include "vdialog.h"

#include "vwindowplace.h"

#include <QEvent>
#include <QLabel>
#include <QLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QToolButton>

namespace {

// Opacity of the shadow's innermost ring; the rings fade out towards the edge.
constexpr int ShadowAlpha = 60;

} // namespace

VDialog::VDialog(QWidget *parent, int shadowWidth, int borderWidth)
    : QDialog(parent)
    , m_shadow(vf::windowSystemComposites() ? qMax(0, shadowWidth) : 0)
    , m_border(qMax(0, borderWidth))
    , m_title(new QLabel(this))
    , m_close(new QToolButton(this))
{
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    if (m_shadow > 0)
        setAttribute(Qt::WA_TranslucentBackground);

    m_title->setObjectName(QStringLiteral("titleLabel"));
    QFont font = m_title->font();
    font.setBold(true);
    m_title->setFont(font);

    m_close->setObjectName(QStringLiteral("closeButton"));
    m_close->setAutoRaise(true);
    m_close->setFocusPolicy(Qt::NoFocus);
    m_close->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    m_close->setToolTip(QStringLiteral("关闭"));
    connect(m_close, &QToolButton::clicked, this, &QWidget::close);

    setFrameMargins();
}

QRect VDialog::titleRect() const
{
    const int frame = m_shadow + m_border;
    return QRect(frame, frame, width() - 2 * frame, TitleHeight);
}

void VDialog::setFrameMargins()
{
    const int frame = m_shadow + m_border;
    setContentsMargins(frame, frame + TitleHeight, frame, frame);
}

void VDialog::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    for (int i = 0; i < m_shadow; ++i) {
        const int alpha = ShadowAlpha * (i + 1) * (i + 1) / (m_shadow * m_shadow);
        painter.setPen(QColor(0, 0, 0, alpha));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(i, i, -i - 1, -i - 1));
    }
    const QRect frame = rect().adjusted(m_shadow, m_shadow, -m_shadow, -m_shadow);
    painter.fillRect(frame, palette().color(QPalette::Dark));
    painter.fillRect(frame.adjusted(m_border, m_border, -m_border, -m_border), palette().color(QPalette::Window));
    painter.fillRect(titleRect(), palette().color(QPalette::Button));
}

// The dialog takes its final size and place before QDialog creates the
// window. Under openbox a frameless window that grows (its layout asking for
// more) or is placed while it is being mapped is reported at (0, 0); Qt then
// maps everything from there, and the search list under a field and the
// message boxes over the dialog open at the screen's top-left.
void VDialog::setVisible(bool visible)
{
    if (visible && !isVisible()) {
        if (QLayout *contents = layout())
            contents->activate();
        vf::placeOver(this, placementAnchor());
    }
    QDialog::setVisible(visible);
}

QWidget *VDialog::placementAnchor() const
{
    return parentWidget();
}

void VDialog::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && titleRect().contains(event->pos())) {
        m_dragging = true;
        m_dragOffset = event->globalPos() - pos();
        event->accept();
        return;
    }
    QDialog::mousePressEvent(event);
}

void VDialog::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragging && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPos() - m_dragOffset);
        event->accept();
        return;
    }
    QDialog::mouseMoveEvent(event);
}

void VDialog::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_dragging && event->button() == Qt::LeftButton) {
        m_dragging = false;
        event->accept();
        return;
    }
    QDialog::mouseReleaseEvent(event);
}

void VDialog::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::WindowTitleChange)
        m_title->setText(windowTitle());
    QDialog::changeEvent(event);
}

void VDialog::resizeEvent(QResizeEvent *event)
{
    const QRect title = titleRect();
    m_close->setGeometry(title.right() - TitleHeight + 1, title.top(), TitleHeight, TitleHeight);
    m_title->setGeometry(title.adjusted(8, 0, -TitleHeight, 0));
    QDialog::resizeEvent(event);
}
