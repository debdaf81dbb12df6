#include "quotetext.h"

namespace QuoteText {

namespace {

constexpr double Powers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};

// Removes the sign of a text that reads as zero ("-0.00").
QString unsignedZero(QString text)
{
    if (text.startsWith(QLatin1Char('-')) && text.count(QLatin1Char('0')) + text.count(QLatin1Char('.')) == text.size() - 1)
        text.remove(0, 1);
    return text;
}

} // namespace

QString fixed(double value, int decimals)
{
    if (!isShownNumber(value))
        return QStringLiteral("--");
    decimals = qBound(0, decimals, 9);
    const double scaled = std::fabs(value) * Powers[decimals];
    // The product carries at most half an ulp of error; away from a tie by
    // more than that, rounding the product rounds the exact value alike.
    double whole;
    const double fraction = std::modf(scaled, &whole);
    if (scaled >= 1e17 || std::fabs(fraction - 0.5) <= scaled * 4e-16 + 1e-12)
        return unsignedZero(QString::number(value, 'f', decimals));
    quint64 units = quint64(whole) + (fraction > 0.5 ? 1 : 0);
    const bool negative = value < 0 && units > 0;
    char text[40];
    char *const end = text + sizeof text;
    char *digit = end;
    for (int place = 0; place < decimals; ++place) {
        *--digit = char('0' + units % 10);
        units /= 10;
    }
    if (decimals > 0)
        *--digit = '.';
    do {
        *--digit = char('0' + units % 10);
        units /= 10;
    } while (units > 0);
    if (negative)
        *--digit = '-';
    return QString::fromLatin1(digit, int(end - digit));
}

} // namespace QuoteText
