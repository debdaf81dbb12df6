#pragma once

#include "quoteglyphs.h"
#include "readablecolours.h"

#include <QFont>
#include <QHash>
#include <QPixmap>
#include <QStaticText>
#include <QStyledItemDelegate>

#include <memory>
#include <vector>

// The item delegate of live tables: a cell of plain text (display text,
// font, alignment, background and foreground roles) is painted without
// laying its text out again. A number is drawn as glyphs of its font
// (QuoteGlyphs), any other text from a cache of texts laid out and drawn in
// their colour. Quote tables repaint a few hundred changing numbers many
// times a second, and shaping them took most of a repaint. Cell colours and
// text are drawn readable in a light and a dark style (ReadableColours).
// Cells with an icon or a check box and the cell with keyboard focus are
// painted as QStyledItemDelegate paints them.
//
// A view's background brush in the option (QStyleOptionViewItem::
// backgroundBrush) fills every cell without a colour of its own, as it
// does under QStyledItemDelegate: LiveTableView hands its background to the
// cells so that a repainted cell's pixels are filled once.
class LiveTextDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit LiveTextDelegate(QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    // The laid-out text in font; the caches start again for a new font and
    // when they hold more texts than a few screens of cells.
    const QStaticText &laidOut(const QString &text, const QFont &font) const;
    const QStaticText &elided(const QString &text, const QFont &font, Qt::TextElideMode mode, int width) const;
    void useFont(const QFont &font) const;
    // The laid-out text drawn in colour on a transparent pixmap.
    const QPixmap &rendered(const QStaticText &laid, const QColor &colour, qreal pixelRatio) const;

    // The glyphs of font, made on its first number.
    QuoteGlyphs *glyphsOf(const QFont &font) const;

    struct RenderKey
    {
        QString text;
        QRgb colour;
        friend bool operator==(const RenderKey &a, const RenderKey &b)
        {
            return a.colour == b.colour && a.text == b.text;
        }
        friend uint qHash(const RenderKey &key, uint seed) { return qHash(key.text, seed) ^ key.colour; }
    };

    mutable std::vector<std::unique_ptr<QuoteGlyphs>> m_glyphs;
    mutable QHash<QString, QStaticText> m_texts;
    mutable QHash<QString, QStaticText> m_elided; // by width, mode and text
    mutable QHash<RenderKey, QPixmap> m_rendered; // in m_font
    mutable QFont m_font;
    ReadableColours m_colours;
};
