#include "captionvaluelabel.h"

#include <QPainter>
#include <QStyle>
#include <QtMath>

CaptionValueLabel::CaptionValueLabel(const QString &text, QWidget *parent)
    : QLabel(text, parent)
{
    setTextFormat(Qt::PlainText);
}

void CaptionValueLabel::setCaptionValue(const QString &caption, const QString &colour, const QString &value)
{
    m_caption = caption;
    m_value = value;
    m_colour = QColor(colour);
    m_partsText
        = caption + QLatin1String("<font color='") + colour + QLatin1String("'>") + value + QLatin1String("</font>");
    setText(m_partsText);
}

QSize CaptionValueLabel::sizeHint() const
{
    if (!showsParts())
        return QLabel::sizeHint();
    const int extra = 2 * margin();
    const QMargins contents = contentsMargins();
    return (partsSize() + QSize(extra + contents.left() + contents.right(), extra + contents.top() + contents.bottom()))
        .expandedTo(minimumSize());
}

QSize CaptionValueLabel::partsSize() const
{
    const QFontMetricsF metrics(font());
    return QSize(qCeil(metrics.horizontalAdvance(m_caption) + metrics.horizontalAdvance(m_value)),
                 qCeil(metrics.height()));
}

QSize CaptionValueLabel::minimumSizeHint() const
{
    return showsParts() ? sizeHint() : QLabel::minimumSizeHint();
}

void CaptionValueLabel::paintEvent(QPaintEvent *event)
{
    if (!showsParts()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    drawFrame(&painter);
    // Placed as the rich text's one line: the value where the caption's
    // advance ends, to the fraction of a pixel.
    const QFontMetricsF metrics(font());
    const QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    const QRect placed = QStyle::alignedRect(layoutDirection(), QStyle::visualAlignment(layoutDirection(), alignment()),
                                             partsSize(), area);
    const QPointF baseline(placed.left(), placed.top() + metrics.ascent());
    painter.setPen(palette().color(foregroundRole()));
    painter.drawText(baseline, m_caption);
    painter.setPen(m_colour);
    painter.drawText(baseline + QPointF(metrics.horizontalAdvance(m_caption), 0), m_value);
}
