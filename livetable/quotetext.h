#pragma once

#include <QHash>
#include <QString>

#include <cmath>
#include <cstring>

// Quote numbers as the module shows them.
namespace QuoteText {

// Two quote numbers closer than this are the same number; a price closer to 0 is none.
constexpr double Tolerance = 1e-8;

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

// How a security's numbers read, the same in every table and label of the
// module: its prices and their changes with the decimals of its price step
// (never trimmed per value), ratios in percent with two decimals, volumes in
// its lots and volumes and amounts shortened with 万 and 亿. A value that
// is not there reads "--": a number no quote can hold, and a price, volume
// or amount of 0 (nothing quoted or traded); a change of 0 is a change.
class QuoteFormat
{
public:
    enum Kind {
        Price,
        Change, // of a price: the price's decimals
        Percent, // a ratio in percent
        Volume, // as a record counts it; shown in lots
        Amount,
    };

    QuoteFormat() = default;
    QuoteFormat(int priceDecimals, int lotSize);
    // A security with this minimum price step and host stock type.
    static QuoteFormat of(double priceStep, const QString &stockType);
    // 1 for the stock types traded in single units (futures, options, bonds
    // and others the host names), 100 for every other type (shares, funds).
    static int lotSizeOf(const QString &stockType);

    int priceDecimals() const { return m_decimals; }
    int lotSize() const { return m_lot; }

    static bool hasValue(Kind kind, double value);
    QString text(Kind kind, double value) const;
    // A ratio in percent followed by "%"; "--" for none.
    static QString percentText(double percent);
    // A volume in whole lots, cut toward zero.
    double lots(double quantity) const;
    // Below 10,000 whole; below 100 million in 万 with two decimals; above
    // in 亿. A value that rounds up to the next unit is written in it.
    static QString shortened(double value);

private:
    int m_decimals = 2;
    int m_lot = 1;
};

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
