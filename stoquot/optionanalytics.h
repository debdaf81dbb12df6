#pragma once

#include <optional>

class QDate;

// What an option's figures are worked out from.
struct OptionInputs
{
    bool call = true;
    double strike = 0;
    double spot = 0; // the underlying's last price
    double price = 0; // the option's mid of best bid and ask, or its last price
    double years = 0; // to expiry, actual/365
    double rate = 0; // risk-free, a year, continuously compounded

    friend bool operator==(const OptionInputs &a, const OptionInputs &b)
    {
        return a.call == b.call && a.strike == b.strike && a.spot == b.spot && a.price == b.price && a.years == b.years
            && a.rate == b.rate;
    }
    friend bool operator!=(const OptionInputs &a, const OptionInputs &b) { return !(a == b); }
};

// An option's figures. The volatility and the Greeks exist only with
// status Solved; the other statuses say why they do not.
struct OptionFigures
{
    enum Status {
        Solved,
        NoPrice, // no spot, strike or option price to work from
        BelowIntrinsic, // below what the model gives at no volatility (a call: or below its intrinsic value)
        AboveModel, // the price is above what the model gives at MaxVolatility
        Expired, // no time left
        NoConvergence, // the solver found no volatility
    };

    Status status = NoPrice;
    double impliedVolatility = 0; // a year: 0.2 is 20 %
    double delta = 0;
    double gamma = 0;
    double vega = 0; // per volatility point
    double theta = 0; // per calendar day
    std::optional<double> intrinsic; // with a spot and a strike
    std::optional<double> timeValue; // the price above the intrinsic value (a put's may be negative)
    bool inTheMoney = false;
};

// European options on a fund with no dividend, by Black–Scholes through
// QuantLib: the volatility that a price implies (QuantLib's own solver),
// and delta, gamma, vega and theta at that volatility.
namespace OptionAnalytics {

// The highest volatility the board solves for: prices above the model's
// value there imply nothing a trader reads as a volatility.
constexpr double MaxVolatility = 5.0;

OptionFigures evaluate(const OptionInputs &inputs);
// The price an option's figures are worked out from: the mid of its best
// bid and ask, or its last price without both; 0 without either.
double optionPrice(double bid, double ask, double last);
// Actual/365 from the business date to the expiry; negative once expired.
double yearsToExpiry(const QDate &businessDate, const QDate &expiry);

} // namespace OptionAnalytics
