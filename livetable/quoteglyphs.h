#pragma once

#include <QFont>
#include <QGlyphRun>
#include <QHash>
#include <QImage>
#include <QRawFont>

#include <array>

class QPainter;
class QPointF;
class QString;

// Draws the texts quotes are made of (digits, signs, separators, the units
// 万 and 亿) as glyph runs of one font, each glyph placed by the advances of
// the glyphs before it. Qt lays out any other text by shaping it, which for
// a changing number costs more than drawing it; these characters have
// neither kerning nor ligatures in text fonts, so shaping would place them
// the same.
//
// On an unscaled painter that antialiases text the glyphs are drawn two by
// two from an image of the pair in the text's colour, made by Qt once per
// pair, colour and place within a pixel (quarters across, as Qt places
// glyphs): blending that image costs a third of blending the glyphs'
// coverage again, and a quote table draws a few thousand glyphs a frame.
// Pairs halve the draws. The images are antialiased in grey, not by
// subpixel, as the table's other texts, which are drawn from images as well.
class QuoteGlyphs
{
public:
    explicit QuoteGlyphs(const QFont &font);
    QuoteGlyphs(const QuoteGlyphs &) = delete;
    QuoteGlyphs &operator=(const QuoteGlyphs &) = delete;

    const QFont &font() const { return m_font; }
    // Lays text out as the one to draw, wider than maxWidth elided at its
    // right end as QFontMetrics::elidedText does; false for an empty or long
    // text, one with a character of another kind or one the font has no
    // glyph for, and one that not even an ellipsis would stand for.
    bool layOut(const QString &text, qreal maxWidth);
    // The laid-out text's size, as QFontMetricsF gives a line.
    qreal width() const { return m_width; }
    qreal height() const { return m_height; }
    // Draws the laid-out text in colour, its line's top left at topLeft.
    void draw(QPainter *painter, const QPointF &topLeft, const QColor &colour);

private:
    static constexpr int MaxLength = 40;
    // Where a character's glyph is kept: ASCII by its code, then the units; -1 for others.
    static int slotOf(ushort character);

    // A glyph or a pair drawn in a colour, and where its image's top left
    // lies from the whole pixel of the first glyph's origin.
    struct Sprite
    {
        QImage image;
        QPoint offset;
    };
    struct SpriteKey
    {
        quint32 glyph;
        quint32 next; // 0: a glyph alone
        QRgb colour;
        // The origins' places from the whole pixel of the first origin:
        // across in quarters, as Qt places glyphs, down in 64ths.
        int subX;
        int nextX;
        int subY;
        friend bool operator==(const SpriteKey &a, const SpriteKey &b)
        {
            return a.glyph == b.glyph && a.next == b.next && a.colour == b.colour && a.subX == b.subX
                && a.nextX == b.nextX && a.subY == b.subY;
        }
        friend uint qHash(const SpriteKey &key, uint seed)
        {
            return qHash(quint64(key.glyph) << 32 | key.next, seed)
                ^ qHash(quint64(key.colour) << 32 | uint(key.nextX) << 16 | uint(key.subX) << 8 | uint(key.subY), seed);
        }
    };
    const Sprite &sprite(const SpriteKey &key);

    QFont m_font;
    QRawFont m_raw;
    // By character's slot: its glyph (0: not drawn this way) and its advance.
    std::array<quint32, 130> m_glyphOf {};
    std::array<qreal, 130> m_advanceOf {};
    quint32 m_ellipsis = 0;
    qreal m_ellipsisAdvance = 0;
    qreal m_ascent = 0;
    qreal m_height = 0;
    // The laid-out text.
    std::array<quint32, MaxLength> m_glyphs {};
    std::array<QPointF, MaxLength> m_positions {};
    int m_length = 0;
    qreal m_width = 0;
    QGlyphRun m_run;
    // The images drawn since the cache last filled, and those of the turn
    // before, taken over when drawn again.
    QHash<SpriteKey, Sprite> m_sprites;
    QHash<SpriteKey, Sprite> m_older;
};
