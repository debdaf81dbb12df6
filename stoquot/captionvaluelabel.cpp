#include "captionvaluelabel.h"

#include <quoteglyphs.h>

#include <QPainter>
#include <QStyle>
#include <QtMath>

CaptionValueLabel::CaptionValueLabel(const QString &text, QWidget *parent)
    : QLabel(text, parent)
{
    setTextFormat(Qt::PlainText);
}

CaptionValueLabel::~CaptionValueLabel() = default;

void CaptionValueLabel::setCaptionValue(const QString &caption, const QString &colour, const QString &value)
{
    if (caption != m_caption)
        m_captionAdvance = -1;
    if (value != m_value)
        m_valueAdvance = -1;
    m_caption = caption;
    m_value = value;
    m_colour = QColor(colour);
    m_partsText
        = caption + QLatin1String("<font color='") + colour + QLatin1String("'>") + value + QLatin1String("</font>");
    setText(m_partsText);
}

void CaptionValueLabel::measure() const
{
    if (!m_glyphs || m_measuredFont != font()) {
        m_measuredFont = font();
        m_glyphs = std::make_unique<QuoteGlyphs>(m_measuredFont);
        m_captionAdvance = -1;
        m_valueAdvance = -1;
    }
    const QFontMetricsF metrics(m_measuredFont);
    if (m_captionAdvance < 0) {
        m_captionText = QStaticText(m_caption);
        m_captionText.setTextFormat(Qt::PlainText);
        m_captionText.prepare(QTransform(), m_measuredFont);
        m_captionAdvance = metrics.horizontalAdvance(m_caption);
    }
    if (m_valueAdvance < 0) {
        // The glyphs keep the value laid out for the paints that follow.
        m_valueAsGlyphs = m_glyphs->layOut(m_value, qInf());
        m_valueAdvance = m_valueAsGlyphs ? m_glyphs->width() : metrics.horizontalAdvance(m_value);
    }
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
    measure();
    return QSize(qCeil(m_captionAdvance + m_valueAdvance), qCeil(QFontMetricsF(m_measuredFont).height()));
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
    const QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    const QRect placed = QStyle::alignedRect(layoutDirection(), QStyle::visualAlignment(layoutDirection(), alignment()),
                                             partsSize(), area);
    painter.setPen(palette().color(foregroundRole()));
    painter.drawStaticText(placed.topLeft(), m_captionText);
    const QPointF valueAt(placed.left() + m_captionAdvance, placed.top());
    if (m_valueAsGlyphs) {
        m_glyphs->draw(&painter, valueAt, m_colour);
    } else {
        painter.setPen(m_colour);
        painter.drawText(valueAt + QPointF(0, QFontMetricsF(m_measuredFont).ascent()), m_value);
    }
}
