#pragma once

#include <QColor>
#include <QHash>

// Colours a live table paints so that they read in a light and a dark
// style alike: a cell colour meant for a light table (a light blue flash)
// becomes a dark shade of its hue on a dark table, and text keeps a
// contrast of at least 4.5 to what it is drawn on (the web's contrast
// ratio for text), moving only its lightness, so a rise stays red and a
// fall green.
class ReadableColours
{
public:
    static constexpr double MinContrast = 4.5;

    // background on a table whose base colour is base.
    QColor cellBackground(const QColor &background, const QColor &base) const;
    QColor text(const QColor &text, const QColor &background) const;

    // The contrast ratio of two colours, 1 to 21.
    static double contrast(const QColor &a, const QColor &b);

private:
    // Both by the two colours they are made of; a table has few of them.
    mutable QHash<quint64, QRgb> m_texts;
    mutable QHash<quint64, QRgb> m_backgrounds;
};
