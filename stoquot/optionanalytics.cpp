#include "optionanalytics.h"

// The only file of the module that includes QuantLib: its headers are slow to compile.
#include <ql/errors.hpp>
#include <ql/interestrate.hpp>
#include <ql/pricingengines/blackformula.hpp>
#include <ql/pricingengines/blackscholescalculator.hpp>
#include <ql/time/daycounters/actual365fixed.hpp>

#include <QDate>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// The solver stops within this of the volatility.
constexpr double VolatilityAccuracy = 1e-7;
constexpr QuantLib::Natural MaxIterations = 100;

bool isFinite(double value)
{
    return std::isfinite(value);
}

// QuantLib's dates run from 1901 to 2199.
bool inQuantLibRange(const QDate &date)
{
    return date.isValid() && date.year() > 1901 && date.year() < 2199;
}

QuantLib::Date quantLibDate(const QDate &date)
{
    return QuantLib::Date(QuantLib::Day(date.day()), QuantLib::Month(date.month()), QuantLib::Year(date.year()));
}

} // namespace

double OptionAnalytics::optionPrice(double bid, double ask, double last)
{
    const auto isPrice = [](double value) { return isFinite(value) && value > 0; };
    if (isPrice(bid) && isPrice(ask))
        return (bid + ask) / 2;
    return isPrice(last) ? last : 0;
}

double OptionAnalytics::yearsToExpiry(const QDate &businessDate, const QDate &expiry)
{
    if (!inQuantLibRange(businessDate) || !inQuantLibRange(expiry))
        return std::numeric_limits<double>::quiet_NaN();
    return QuantLib::Actual365Fixed().yearFraction(quantLibDate(businessDate), quantLibDate(expiry));
}

OptionFigures OptionAnalytics::evaluate(const OptionInputs &in)
{
    OptionFigures out;
    if (!isFinite(in.spot) || in.spot <= 0 || !isFinite(in.strike) || in.strike <= 0)
        return out;
    const double intrinsic = std::max(0.0, in.call ? in.spot - in.strike : in.strike - in.spot);
    out.intrinsic = intrinsic;
    out.inTheMoney = intrinsic > 0;
    if (!isFinite(in.price) || in.price <= 0 || !isFinite(in.rate))
        return out;
    // A European put may trade below its intrinsic value, down to K·e^(−rT) − S
    // (the model's value at no volatility, checked below); a call may not.
    if (in.call && in.price < intrinsic) {
        out.status = OptionFigures::BelowIntrinsic;
        return out;
    }
    // Negative for a put below its intrinsic value.
    out.timeValue = in.price - intrinsic;
    if (!(in.years > 0) || !isFinite(in.years)) {
        out.status = OptionFigures::Expired;
        return out;
    }

    const QuantLib::Option::Type type = in.call ? QuantLib::Option::Call : QuantLib::Option::Put;
    const QuantLib::DiscountFactor discount
        = QuantLib::InterestRate(in.rate, QuantLib::Actual365Fixed(), QuantLib::Continuous, QuantLib::Annual)
              .discountFactor(in.years);
    const double forward = in.spot / discount;
    const double rootYears = std::sqrt(in.years);
    double stdDev = 0;
    try {
        // The model's bounds: its value at no volatility (the discounted
        // intrinsic value of the forward: S − K·e^(−rT) for a call,
        // K·e^(−rT) − S for a put) and at the highest volatility.
        if (in.price <= QuantLib::blackFormula(type, in.strike, forward, 0.0, discount)) {
            out.status = OptionFigures::BelowIntrinsic;
            return out;
        }
        if (in.price >= QuantLib::blackFormula(type, in.strike, forward, MaxVolatility * rootYears, discount)) {
            out.status = OptionFigures::AboveModel;
            return out;
        }
        stdDev = QuantLib::blackFormulaImpliedStdDev(type, in.strike, forward, in.price, discount, 0.0,
                                                     QuantLib::Null<QuantLib::Real>(), VolatilityAccuracy * rootYears,
                                                     MaxIterations);
    } catch (const std::exception &) {
        out.status = OptionFigures::NoConvergence;
        return out;
    }
    const double volatility = stdDev / rootYears;
    if (!isFinite(volatility) || volatility <= 0 || volatility > MaxVolatility) {
        out.status = OptionFigures::NoConvergence;
        return out;
    }
    // No dividend: the underlying grows at the rate alone.
    const QuantLib::BlackScholesCalculator greeks(type, in.strike, in.spot, 1.0, stdDev, discount);
    const double delta = greeks.delta();
    const double gamma = greeks.gamma();
    const double vega = greeks.vega(in.years) / 100;
    const double theta = greeks.thetaPerDay(in.years);
    if (!isFinite(delta) || !isFinite(gamma) || !isFinite(vega) || !isFinite(theta)) {
        out.status = OptionFigures::NoConvergence;
        return out;
    }
    out.status = OptionFigures::Solved;
    out.impliedVolatility = volatility;
    out.delta = delta;
    out.gamma = gamma;
    out.vega = vega;
    out.theta = theta;
    return out;
}
