#include "quoteglyphs.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QString>
#include <QVector>
#include <QtMath>

#include <utility>

namespace {

const char QuoteCharacters[] = "0123456789.,:+-%/ ";
// The units of shortened volumes and amounts, drawn where the font has them.
const QChar Units[] = {QChar(0x4E07), QChar(0x4EBF)}; // 万, 亿
const QChar Ellipsis(0x2026);
// Pairs of glyphs in a few colours at a few places within a pixel, up to a
// kilobyte each: a table's numbers in half a dozen colours use a few
// thousand. A full cache starts a new turn and keeps what is drawn again.
constexpr int MaxSprites = 4096;

} // namespace

QuoteGlyphs::QuoteGlyphs(const QFont &font)
    : m_font(font)
    , m_raw(QRawFont::fromFont(font))
{
    const QFontMetricsF metrics(font);
    m_ascent = metrics.ascent();
    m_height = metrics.height();
    if (!m_raw.isValid())
        return;
    const QString characters = QString::fromLatin1(QuoteCharacters) + QString(Units, 2) + Ellipsis;
    const QVector<quint32> glyphs = m_raw.glyphIndexesForString(characters);
    if (glyphs.size() != characters.size())
        return;
    const QVector<QPointF> advances = m_raw.advancesForGlyphIndexes(glyphs);
    for (int i = 0; i + 1 < characters.size(); ++i) {
        const int c = slotOf(characters.at(i).unicode());
        m_glyphOf[c] = glyphs.at(i);
        m_advanceOf[c] = advances.at(i).x();
    }
    m_ellipsis = glyphs.constLast();
    m_ellipsisAdvance = advances.constLast().x();
    m_run.setRawFont(m_raw);
}

int QuoteGlyphs::slotOf(ushort character)
{
    if (character < 128)
        return character;
    for (int unit = 0; unit < 2; ++unit) {
        if (character == Units[unit].unicode())
            return 128 + unit;
    }
    return -1;
}

bool QuoteGlyphs::layOut(const QString &text, qreal maxWidth)
{
    const int length = text.size();
    if (length == 0 || length > MaxLength)
        return false;
    qreal x = 0;
    const QChar *c = text.constData();
    for (int i = 0; i < length; ++i) {
        const int slot = slotOf(c[i].unicode());
        if (slot < 0 || m_glyphOf[size_t(slot)] == 0)
            return false;
        m_glyphs[i] = m_glyphOf[size_t(slot)];
        m_positions[i] = QPointF(x, m_ascent);
        x += m_advanceOf[size_t(slot)];
    }
    m_length = length;
    m_width = x;
    if (x <= maxWidth || length == 1)
        return true;
    // The longest start narrower than the room the ellipsis leaves, then the ellipsis.
    const qreal room = maxWidth - m_ellipsisAdvance;
    if (m_ellipsis == 0 || room < 0)
        return false;
    int kept = 0;
    while (kept + 1 < length && m_positions[kept + 1].x() < room)
        ++kept;
    m_glyphs[kept] = m_ellipsis;
    m_length = kept + 1;
    m_width = m_positions[kept].x() + m_ellipsisAdvance;
    return true;
}

void QuoteGlyphs::draw(QPainter *painter, const QPointF &topLeft, const QColor &colour)
{
    // Images stand for the glyphs only where they land pixel for pixel as
    // the glyphs would: whole-pixel moves, plain blending, antialiased text.
    const QTransform &device = painter->deviceTransform();
    if (device.type() > QTransform::TxTranslate || device.dx() != qFloor(device.dx())
        || device.dy() != qFloor(device.dy()) || !painter->testRenderHint(QPainter::TextAntialiasing)
        || painter->compositionMode() != QPainter::CompositionMode_SourceOver) {
        painter->setPen(colour);
        m_run.setRawData(m_glyphs.data(), m_positions.data(), m_length);
        painter->drawGlyphRun(topLeft, m_run);
        return;
    }
    // Qt places a glyph's image from the whole pixel below its origin and
    // picks the image by the origin's place within that pixel; so do these
    // (a whole-pixel move of the painter changes neither).
    const QRgb rgba = colour.rgba();
    for (int i = 0; i < m_length; i += 2) {
        const QPointF at = topLeft + m_positions[i];
        const int x = qFloor(at.x());
        const int y = qFloor(at.y());
        const bool pair = i + 1 < m_length;
        const SpriteKey key {m_glyphs[i],
                             pair ? m_glyphs[i + 1] : 0,
                             rgba,
                             qFloor((at.x() - x) * 4),
                             pair ? qFloor((topLeft.x() + m_positions[i + 1].x() - x) * 4) : 0,
                             qRound((at.y() - y) * 64)};
        const Sprite &glyphs = sprite(key);
        if (!glyphs.image.isNull())
            painter->drawImage(QPoint(x, y) + glyphs.offset, glyphs.image);
    }
}

const QuoteGlyphs::Sprite &QuoteGlyphs::sprite(const SpriteKey &key)
{
    auto it = m_sprites.find(key);
    if (it != m_sprites.end())
        return it.value();
    if (m_sprites.size() >= MaxSprites)
        m_older = std::exchange(m_sprites, {});
    const auto older = m_older.find(key);
    if (older != m_older.end()) {
        const Sprite kept = older.value();
        m_older.erase(older);
        return m_sprites.insert(key, kept).value();
    }
    // Drawn by Qt with the origins at the same places within a pixel, on
    // room enough for any ink around them, then cut to the ink.
    const int count = key.next ? 2 : 1;
    const quint32 glyphs[2] = {key.glyph, key.next};
    // Across at the middle of the quarter, where Qt picks the same image.
    const QPointF origins[2] = {QPointF((key.subX + 0.5) / 4, key.subY / 64.0),
                                QPointF((key.nextX + 0.5) / 4, key.subY / 64.0)};
    QRectF ink;
    for (int i = 0; i < count; ++i)
        ink |= m_raw.boundingRect(glyphs[i]).translated(origins[i]);
    const QPoint pixel(qCeil(-ink.left()) + 2, qCeil(-ink.top()) + 2);
    QImage image(pixel.x() + qCeil(ink.right()) + 2, pixel.y() + qCeil(ink.bottom()) + 2,
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setPen(QColor::fromRgba(key.colour));
        QGlyphRun run;
        run.setRawFont(m_raw);
        run.setRawData(glyphs, origins, count);
        painter.drawGlyphRun(pixel, run);
    }
    QRect inked;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(line[x]))
                inked |= QRect(x, y, 1, 1);
        }
    }
    Sprite glyph;
    if (!inked.isEmpty())
        glyph = Sprite {image.copy(inked), inked.topLeft() - pixel};
    return m_sprites.insert(key, glyph).value();
}
