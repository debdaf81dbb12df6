#include "quoteglyphs.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QString>
#include <QVector>

namespace {

const char QuoteCharacters[] = "0123456789.,:+-%/ ";
const QChar Ellipsis(0x2026);

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
    const QString characters = QString::fromLatin1(QuoteCharacters) + Ellipsis;
    const QVector<quint32> glyphs = m_raw.glyphIndexesForString(characters);
    if (glyphs.size() != characters.size())
        return;
    const QVector<QPointF> advances = m_raw.advancesForGlyphIndexes(glyphs);
    for (int i = 0; i + 1 < characters.size(); ++i) {
        const int c = characters.at(i).unicode();
        m_glyphOf[c] = glyphs.at(i);
        m_advanceOf[c] = advances.at(i).x();
    }
    m_ellipsis = glyphs.constLast();
    m_ellipsisAdvance = advances.constLast().x();
    m_run.setRawFont(m_raw);
}

bool QuoteGlyphs::layOut(const QString &text, qreal maxWidth)
{
    const int length = text.size();
    if (length == 0 || length > MaxLength)
        return false;
    qreal x = 0;
    const QChar *c = text.constData();
    for (int i = 0; i < length; ++i) {
        const ushort u = c[i].unicode();
        if (u >= m_glyphOf.size() || m_glyphOf[u] == 0)
            return false;
        m_glyphs[i] = m_glyphOf[u];
        m_positions[i] = QPointF(x, m_ascent);
        x += m_advanceOf[u];
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

void QuoteGlyphs::draw(QPainter *painter, const QPointF &topLeft)
{
    m_run.setRawData(m_glyphs.data(), m_positions.data(), m_length);
    painter->drawGlyphRun(topLeft, m_run);
}
