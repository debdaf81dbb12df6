#include "sampleoptionmodel.h"

#include <vsimoption.h>

#include <QDate>

#include <algorithm>
#include <cmath>

namespace {

constexpr double LeastVolatility = 0.01;
constexpr double TermOfAtm = 0.25; // the expiry whose at-the-money volatility smile.csv gives

} // namespace

double SampleSmile::volatility(double strike, double underlyingClose, double years) const
{
    const double x = std::log(strike / underlyingClose) / std::sqrt(years);
    return std::max(LeastVolatility, atm + term * (years - TermOfAtm) + skew * x + curve * x * x);
}

double SampleOptionModel::years(const QDate &businessDate, const QDate &expiry)
{
    return double(std::max<qint64>(1, businessDate.daysTo(expiry))) / 365.0;
}

bool SampleOptionModel::terms(const QString &underlying, bool call, double strike, double underlyingClose, double years,
                              VSimOptionTerms &out) const
{
    const auto smile = smiles.constFind(underlying);
    if (smile == smiles.cend())
        return false;
    out.call = call;
    out.strike = strike;
    out.years = years;
    out.volatility = smile->volatility(strike, underlyingClose, years);
    out.rate = riskFreeRate;
    return true;
}
