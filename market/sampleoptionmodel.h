#pragma once

#include <QHash>
#include <QString>

class QDate;
struct VSimOptionTerms;

// The volatility smile of one option underlying (a line of smile.csv).
struct SampleSmile
{
    double atm = 0; // at-the-money volatility of a three-month expiry
    double term = 0; // its rise per year of expiry
    double skew = 0;
    double curve = 0;

    // vol = atm + term × (T − 0.25) + skew × x + curve × x², x = ln(K / S) / √T, at least 0.01.
    double volatility(double strike, double underlyingClose, double years) const;
};

// How the sample market prices its options (smile.csv, rate.csv): by the
// smile of the underlying and the risk-free rate, on the underlying's
// previous close, for the time from the business date to the expiry.
struct SampleOptionModel
{
    QHash<QString, SampleSmile> smiles; // by the underlying's stkid
    double riskFreeRate = 0;

    // Calendar days from the business date to the expiry, at least one, over 365.
    static double years(const QDate &businessDate, const QDate &expiry);
    // The terms of a contract; false when its underlying has no smile.
    bool terms(const QString &underlying, bool call, double strike, double underlyingClose, double years,
               VSimOptionTerms &out) const;
};
