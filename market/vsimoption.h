#pragma once

// A European option on a fund as the simulated market prices it: Black–Scholes
// with no dividend, computed by QuantLib.
struct VSimOptionTerms
{
    bool call = true;
    double strike = 0;
    double years = 0; // time to expiry
    double volatility = 0; // a year
    double rate = 0; // risk-free, a year, continuously compounded

    // Positive finite strike, time and volatility, a finite rate.
    bool isUsable() const;
    // The model value with the underlying at spot (positive); the terms are usable.
    double value(double spot) const;
    double intrinsic(double spot) const;
};
