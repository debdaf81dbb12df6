#include "vfutils.h"

#include <cmath>

char vf::strToChar(const QString &text)
{
    return text.isEmpty() ? char(0) : text.at(0).toLatin1();
}

int vf::getDecimals(double priceUnit)
{
    if (!(priceUnit > 0.0) || !std::isfinite(priceUnit))
        return 2;
    // The fewest decimals that write the step exactly, up to the eight a price
    // ever needs; the tolerance absorbs binary rounding (0.01 × 100 ≠ 1 exactly).
    for (int decimals = 0; decimals < 8; ++decimals) {
        const double scaled = priceUnit * std::pow(10.0, decimals);
        if (std::fabs(scaled - std::round(scaled)) < 1e-6)
            return decimals;
    }
    return 8;
}
