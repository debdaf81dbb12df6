#pragma once

#include <QDate>
#include <QString>
#include <QVector>

// When contracts of the sample market expire and which months are listed.
// Weekends are the only days without trading; exchange holidays are ignored.

// The last trading day of a contract month.
class ExpiryRule
{
public:
    // "day15": the 15th, or the next weekday when it falls on a weekend;
    // "weekday10": the 10th weekday of the month;
    // "friday3", "wednesday4" (any English day name): that weekday's n-th occurrence.
    static ExpiryRule parse(const QString &text, bool *ok);

    QDate lastTradingDay(int year, int month) const;
    QString text() const;

private:
    enum Kind { DayOfMonth, NthWeekday, NthDayOfWeek };
    Kind m_kind = DayOfMonth;
    int m_n = 15;
    int m_dayOfWeek = Qt::Friday;
    QString m_text;
};

// Which contract months are listed on a business date. Months are counted
// from the nearest month whose contract has not expired on that date.
class ListingRule
{
public:
    // "monthly": the next 12 months; "1 5 9": those calendar months among the
    // next 12; "index": nearest month, next month and the two following
    // quarter months; "quarterly": the three nearest quarter months.
    static ListingRule parse(const QString &text, bool *ok);

    // The first day of each listed month, nearest first.
    QVector<QDate> months(const QDate &businessDate, const ExpiryRule &expiry) const;

private:
    enum Kind { Monthly, Months, Index, Quarterly };
    Kind m_kind = Monthly;
    QVector<int> m_months; // calendar months for Months
};
