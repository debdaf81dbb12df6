#include "readablecolours.h"

#include <cmath>

namespace {

// Relative luminance of an sRGB colour.
double luminance(const QColor &colour)
{
    auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.red()) + 0.7152 * linear(colour.green()) + 0.0722 * linear(colour.blue());
}

bool isDark(const QColor &colour)
{
    return luminance(colour) < 0.18;
}

} // namespace

double ReadableColours::contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

QColor ReadableColours::cellBackground(const QColor &background, const QColor &base) const
{
    if (!background.isValid())
        return background;
    const quint64 key = quint64(background.rgba()) << 32 | base.rgb();
    auto found = m_backgrounds.constFind(key);
    if (found == m_backgrounds.cend()) {
        // The same hue, as dark as a dark table's cells are light in a light one.
        const QColor shown = isDark(base) && !isDark(background)
            ? QColor::fromHsl(background.hslHue(), qMin(background.hslSaturation(), 160), 64)
            : background;
        if (m_backgrounds.size() > 64)
            m_backgrounds.clear();
        found = m_backgrounds.insert(key, shown.rgba());
    }
    return QColor::fromRgba(*found);
}

QColor ReadableColours::text(const QColor &text, const QColor &background) const
{
    const quint64 key = quint64(text.rgb()) << 32 | background.rgb();
    const auto found = m_texts.constFind(key);
    if (found != m_texts.cend())
        return QColor(*found);
    QColor readable = text;
    const bool lighten = isDark(background);
    for (int lightness = text.lightness(); contrast(readable, background) < MinContrast;) {
        lightness += lighten ? 8 : -8;
        if (lightness < 0 || lightness > 255) {
            readable = lighten ? Qt::white : Qt::black;
            break;
        }
        readable = QColor::fromHsl(text.hslHue(), text.hslSaturation(), lightness);
    }
    if (m_texts.size() > 256)
        m_texts.clear();
    m_texts.insert(key, readable.rgb());
    return readable;
}
