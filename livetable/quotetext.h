#pragma once

#include <QHash>
#include <QString>

#include <cmath>
#include <cstring>

// Quote numbers as the tables show them.
namespace QuoteText {

// Whether a quote number can be shown: finite and below 1e15 in magnitude.
// Anything else comes from a broken record (no price or volume is that
// large) and is shown as an empty value.
inline bool isShownNumber(double value)
{
    return std::isfinite(value) && std::fabs(value) < 1e15;
}

// value with decimals (0 to 9) decimals, as QString::number(value, 'f',
// decimals) writes it, except that a value rounding to zero has no sign
// ("0.00", never "-0.00"); "--" for a number that is not shown. Rounding
// is done in integers where the result is certain, which is nearly always,
// and by QString::number where the value lies within rounding error of a
// tie.
QString fixed(double value, int decimals);

} // namespace QuoteText

// Texts of numbers by value and format, so a value shown before costs no
// formatting. A format is the caller's name for one way of turning a value
// into text (a field's decimals and display format, say). Bounded: it
// starts again when it holds MaxTexts texts.
class CellTextCache
{
public:
    static constexpr int MaxTexts = 8192;

    template <typename Make>
    QString text(int format, double value, Make &&make)
    {
        quint64 bits;
        std::memcpy(&bits, &value, sizeof bits);
        const Key key {format, bits};
        const auto found = m_texts.constFind(key);
        if (found != m_texts.cend())
            return *found;
        if (m_texts.size() >= MaxTexts)
            m_texts.clear();
        return *m_texts.insert(key, make());
    }
    void clear() { m_texts.clear(); }

private:
    struct Key
    {
        int format;
        quint64 bits;
        friend bool operator==(const Key &a, const Key &b) { return a.format == b.format && a.bits == b.bits; }
        friend uint qHash(const Key &key, uint seed) { return qHash(key.bits, seed) ^ uint(key.format); }
    };
    QHash<Key, QString> m_texts;
};
