#include "livetextdelegate.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QtMath>

namespace {

constexpr int MaxCachedTexts = 4096;
// Texts drawn in a colour, a few kilobytes each.
constexpr int MaxRenderedTexts = 1024;
constexpr size_t MaxGlyphFonts = 4;

QStaticText layOut(const QString &text, const QFont &font)
{
    QStaticText laid(text);
    laid.setTextFormat(Qt::PlainText);
    laid.prepare(QTransform(), font);
    return laid;
}

// The colour of a colour or brush role; invalid for none (no brush too). A
// model's colours are QColors nearly always, read without asking for a
// conversion.
QColor colourOf(const QVariant &role)
{
    if (role.userType() == QMetaType::QColor)
        return *static_cast<const QColor *>(role.constData());
    if (!role.canConvert<QBrush>())
        return QColor();
    const QBrush brush = qvariant_cast<QBrush>(role);
    return brush.style() == Qt::NoBrush ? QColor() : brush.color();
}

} // namespace

LiveTextDelegate::LiveTextDelegate(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

void LiveTextDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    if (index.data(Qt::DecorationRole).isValid() || index.data(Qt::CheckStateRole).isValid()
        || option.state.testFlag(QStyle::State_HasFocus)) {
        if (option.backgroundBrush.style() != Qt::NoBrush)
            painter->fillRect(option.rect, option.backgroundBrush);
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    const QString text = displayText(index.data(Qt::DisplayRole), option.locale);
    QFont font = option.font;
    const QVariant fontRole = index.data(Qt::FontRole);
    if (fontRole.isValid())
        font = qvariant_cast<QFont>(fontRole).resolve(option.font);
    const QWidget *widget = option.widget;
    const QStyle *style = widget ? widget->style() : QApplication::style();
    // The text margins of QStyledItemDelegate.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QRect textRect = option.rect.adjusted(margin, 0, -margin, 0);
    // A number is drawn as glyphs of its font (elided on the right as a
    // view elides by default); other text from the cache.
    const qreal elidedFrom = option.textElideMode == Qt::ElideRight ? textRect.width() : qInf();
    QuoteGlyphs *glyphs = glyphsOf(font);
    if (!glyphs->layOut(text, elidedFrom) || glyphs->width() > textRect.width())
        glyphs = nullptr;
    const QStaticText *laid = glyphs || text.isEmpty() ? nullptr : &laidOut(text, font);
    if (laid && laid->size().width() > textRect.width())
        laid = &elided(text, font, option.textElideMode, textRect.width());

    const QPalette::ColorGroup group = !option.state.testFlag(QStyle::State_Enabled) ? QPalette::Disabled
        : option.state.testFlag(QStyle::State_Active)                                  ? QPalette::Normal
                                                                                        : QPalette::Inactive;
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    // What the text is drawn on: the selection, the cell's own colour (a
    // flash, a marker; a dark shade of it in a dark style), the view's
    // background handed to the cell, or the table, whose alternate rows the
    // view has filled (PE_PanelItemViewRow).
    const QColor base = option.palette.color(group, QPalette::Base);
    QColor drawnOn = option.features.testFlag(QStyleOptionViewItem::Alternate)
        ? option.palette.color(group, QPalette::AlternateBase)
        : base;
    if (selected) {
        drawnOn = option.palette.color(group, QPalette::Highlight);
        painter->fillRect(option.rect, drawnOn);
    } else {
        const QColor background = colourOf(index.data(Qt::BackgroundRole));
        if (background.isValid()) {
            drawnOn = m_colours.cellBackground(background, base);
            painter->fillRect(option.rect, drawnOn);
        } else if (option.backgroundBrush.style() != Qt::NoBrush) {
            drawnOn = option.backgroundBrush.color();
            painter->fillRect(option.rect, option.backgroundBrush);
        }
    }
    if (!laid && !glyphs)
        return;

    QColor colour = option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);
    const QColor foreground = selected ? QColor() : colourOf(index.data(Qt::ForegroundRole));
    if (foreground.isValid())
        colour = foreground;
    colour = m_colours.text(colour, drawnOn);
    const QVariant alignmentRole = index.data(Qt::TextAlignmentRole);
    const Qt::Alignment alignment
        = alignmentRole.isValid() ? Qt::Alignment(alignmentRole.toInt()) : option.displayAlignment;
    const QSize size = glyphs ? QSize(qCeil(glyphs->width()), qCeil(glyphs->height())) : laid->size().toSize();
    const QRect placed = QStyle::alignedRect(option.direction, alignment, size, textRect);
    // Text taller than its cell is clipped to it; text that fits (nearly
    // every cell) spares the painter's whole save and restore.
    const bool clipped = !option.rect.contains(placed);
    if (clipped) {
        painter->save();
        painter->setClipRect(option.rect, Qt::IntersectClip);
    }
    if (glyphs) {
        glyphs->draw(painter, placed.topLeft(), colour);
    } else {
        painter->drawPixmap(placed.topLeft(), rendered(*laid, colour, painter->device()->devicePixelRatioF()));
    }
    if (clipped)
        painter->restore();
}

QuoteGlyphs *LiveTextDelegate::glyphsOf(const QFont &font) const
{
    for (const std::unique_ptr<QuoteGlyphs> &glyphs : m_glyphs) {
        if (glyphs->font() == font)
            return glyphs.get();
    }
    // A table shows a font or two; a style's or zoom's change brings new ones.
    if (m_glyphs.size() >= MaxGlyphFonts)
        m_glyphs.erase(m_glyphs.begin());
    m_glyphs.push_back(std::make_unique<QuoteGlyphs>(font));
    return m_glyphs.back().get();
}

const QPixmap &LiveTextDelegate::rendered(const QStaticText &laid, const QColor &colour, qreal pixelRatio) const
{
    const RenderKey key {laid.text(), colour.rgba()};
    auto it = m_rendered.find(key);
    if (it == m_rendered.end()) {
        if (m_rendered.size() >= MaxRenderedTexts)
            m_rendered.clear();
        const QSizeF size = laid.size();
        QPixmap pixmap(qCeil(size.width() * pixelRatio), qCeil(size.height() * pixelRatio));
        pixmap.setDevicePixelRatio(pixelRatio);
        pixmap.fill(Qt::transparent);
        QPainter text(&pixmap);
        text.setPen(colour);
        text.setFont(m_font);
        text.drawStaticText(QPointF(0, 0), laid);
        it = m_rendered.insert(key, pixmap);
    }
    return it.value();
}

void LiveTextDelegate::useFont(const QFont &font) const
{
    if (font != m_font || m_texts.size() + m_elided.size() > MaxCachedTexts) {
        m_texts.clear();
        m_elided.clear();
        m_rendered.clear();
        m_font = font;
    }
}

const QStaticText &LiveTextDelegate::laidOut(const QString &text, const QFont &font) const
{
    useFont(font);
    auto it = m_texts.find(text);
    if (it == m_texts.end())
        it = m_texts.insert(text, layOut(text, font));
    return it.value();
}

const QStaticText &LiveTextDelegate::elided(const QString &text, const QFont &font, Qt::TextElideMode mode,
                                         int width) const
{
    useFont(font);
    const QString key = QString::number(width) + QLatin1Char(char('a' + mode)) + text;
    auto it = m_elided.find(key);
    if (it == m_elided.end())
        it = m_elided.insert(key, layOut(QFontMetrics(font).elidedText(text, mode, width), font));
    return it.value();
}
