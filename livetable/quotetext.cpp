#include "quotetext.h"

#include <vfutils.h>

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

QuoteFormat::QuoteFormat(int priceDecimals, int lotSize)
    : m_decimals(qBound(0, priceDecimals, 9))
    , m_lot(qMax(1, lotSize))
{
}

QuoteFormat QuoteFormat::of(double priceStep, const QString &stockType)
{
    return QuoteFormat(vf::getDecimals(priceStep), lotSizeOf(stockType));
}

int QuoteFormat::lotSizeOf(const QString &stockType)
{
    // Stock types traded in single units, by the host's type codes.
    static const QString unitLotTypes[] = {QStringLiteral("1,2,7,8,A,C,K,e,h,i,j,k,r,p,q"),
                                           QStringLiteral("3,6,D,G,H"), QStringLiteral("g,S"), QStringLiteral("Q,R")};
    for (const QString &types : unitLotTypes) {
        if (types.contains(stockType))
            return 1;
    }
    return 100;
}

bool QuoteFormat::hasValue(Kind kind, double value)
{
    if (!QuoteText::isShownNumber(value))
        return false;
    switch (kind) {
    case Change:
    case Percent: return true;
    case Price:
    case Volume:
    case Amount: break;
    }
    return std::fabs(value) >= QuoteText::Tolerance;
}

QString QuoteFormat::text(Kind kind, double value) const
{
    if (!hasValue(kind, value))
        return QStringLiteral("--");
    switch (kind) {
    case Price:
    case Change: return QuoteText::fixed(value, m_decimals);
    case Percent: return QuoteText::fixed(value, 2);
    case Volume: return shortened(lots(value));
    case Amount: return shortened(value);
    }
    return QStringLiteral("--");
}

QString QuoteFormat::percentText(double percent)
{
    return hasValue(Percent, percent) ? QuoteText::fixed(percent, 2) + QLatin1Char('%') : QStringLiteral("--");
}

double QuoteFormat::lots(double quantity) const
{
    return std::trunc(quantity / m_lot);
}

QString QuoteFormat::shortened(double value)
{
    if (!QuoteText::isShownNumber(value))
        return QStringLiteral("--");
    const double magnitude = std::fabs(value);
    if (std::round(magnitude) < 1e4)
        return QuoteText::fixed(value, 0);
    // Hundredths of 万: 99,999,999 is 1.00亿, not 10000.00万.
    if (std::round(magnitude / 1e2) < 1e6)
        return QuoteText::fixed(value / 1e4, 2) + QStringLiteral("万");
    return QuoteText::fixed(value / 1e8, 2) + QStringLiteral("亿");
}
