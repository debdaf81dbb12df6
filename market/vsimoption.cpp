#include "vsimoption.h"

// The only file of the host that includes QuantLib: its headers are slow to compile.
#include <ql/interestrate.hpp>
#include <ql/pricingengines/blackscholescalculator.hpp>
#include <ql/time/daycounters/actual365fixed.hpp>

#include <algorithm>
#include <cmath>

namespace {

QuantLib::DiscountFactor discount(double rate, double years)
{
    return QuantLib::InterestRate(rate, QuantLib::Actual365Fixed(), QuantLib::Continuous, QuantLib::Annual)
        .discountFactor(years);
}

} // namespace

bool VSimOptionTerms::isUsable() const
{
    return std::isfinite(strike) && std::isfinite(years) && std::isfinite(volatility) && std::isfinite(rate)
        && strike > 0 && years > 0 && volatility > 0;
}

double VSimOptionTerms::value(double spot) const
{
    const QuantLib::BlackScholesCalculator calculator(call ? QuantLib::Option::Call : QuantLib::Option::Put, strike,
                                                      spot, 1.0, volatility * std::sqrt(years), discount(rate, years));
    return calculator.value();
}

double VSimOptionTerms::intrinsic(double spot) const
{
    return std::max(0.0, call ? spot - strike : strike - spot);
}
